// The run's log file and small host queries needed
// at start-up: the installer's own directory, environment values, the user.
#pragma once

#include <cstdint>

extern uint8_t flUseLog;     // logging on; set by main first thing
extern bool flLogFirstWrite; // the next log write is the run's first (truncates)

// Appends one formatted message to /tmp/<my_name>.log. The first write of the
// run makes the log the run's own: a regular file of the running user's with
// no other name is emptied; anything else there (another user's file, a
// link, a FIFO, a directory with its content) is removed and the log created
// anew, exclusively, with mode 0666. Later writes append to that same file
// only, never through a link. When it cannot be opened, "ERROR: couldn't
// open <path>" goes to standard error and the message is lost.
void PutLogMsg(const char *format, ...) __attribute__((format(printf, 1, 2)));
// True once the first write made the log this run's own file; until then,
// and when it could not, commands must not send their output there.
bool LogIsOwn();

// Path of the run's log (allocator-owned).
char *GetLogPath();

// Directory that holds the running program, from argv[0] (allocator-owned):
// the directory part of an absolute path; the working directory for a bare
// name or ./name; else the working directory, "/" and the path's directory.
char *GetToolPath(const char *path);
// Allocator-owned copy of an environment value, or null when unset.
char *GetEnv(const char *name);
