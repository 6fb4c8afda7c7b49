// The error reporters SysError and ErrorMsg, and the shared work buffer Line.
#pragma once

constexpr int LINE_SIZE = 262143;
extern char Line[LINE_SIZE]; // shared work buffer of ErrorMsg and the process query

// "\n<my_name>: ", the message, " : ", the system's error text; exit status 1.
[[noreturn]] void SysError(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Where an error that ends the run is recorded besides standard error (the
// run's log sets it once the log is made); null: nowhere.
extern void (*pRecordError)(const char *text);

// Ends the line of progress dots on standard output, when one is open, so
// that a message of the run's end stands on a line of its own.
void EndDotLine();

// type 1: "WARNING: %s\n" on standard error; type 2: "ERROR: %s\n" and exit
// with status; any other type only formats into Line.
void ErrorMsg(int type, int status, const char *format, ...) __attribute__((format(printf, 3, 4)));
