// The run's log file and the error reporters, and small host queries needed
// at start-up: the installer's own directory, environment values, the user.
#pragma once

#include <cstdint>

extern uint8_t flUseLog;   // logging on; set by main first thing
constexpr int LINE_SIZE = 262143;
extern char Line[LINE_SIZE]; // shared work buffer of ErrorMsg and the process query

// Appends one formatted message to /tmp/<my_name>.log; the first write of the
// run truncates the log.
void PutLogMsg(const char *format, ...) __attribute__((format(printf, 1, 2)));

// "\n<my_name>: ", the message, " : ", the system's error text; exit status 1.
[[noreturn]] void SysError(const char *format, ...) __attribute__((format(printf, 1, 2)));

// type 1: "WARNING: %s\n" on standard error; type 2: "ERROR: %s\n" and exit
// with status; any other type only formats into Line.
void ErrorMsg(int type, int status, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// Directory that holds the running program, from argv[0] (allocator-owned).
char *GetToolPath(const char *path);
// Allocator-owned copy of an environment value, or null when unset.
char *GetEnv(const char *name);
// Allocator-owned user name (first line of whoami), or null.
char *GetUserName();
