// The run's log file and small host queries needed
// at start-up: the installer's own directory, environment values, the user.
#pragma once

#include <cstdint>

extern uint8_t flUseLog;     // logging on; set by main first thing
extern bool flLogFirstWrite; // the next log write is the run's first (truncates)

// Appends one formatted message to /tmp/<my_name>.log; the first write of the
// run truncates the log. The log is never opened through a link: at the first
// write anything there that is not a regular file is removed; a new log is
// created with mode 0666. When it cannot be opened, "ERROR: couldn't open
// <path>" goes to standard error and the message is lost.
void PutLogMsg(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Path of the run's log (allocator-owned).
char *GetLogPath();

// Directory that holds the running program, from argv[0] (allocator-owned):
// the directory part of an absolute path; the working directory for a bare
// name or ./name; else the working directory, "/" and the path's directory.
char *GetToolPath(const char *path);
// Allocator-owned copy of an environment value, or null when unset.
char *GetEnv(const char *name);
// Allocator-owned user name (first line of whoami), or null when whoami
// cannot be run or prints nothing. Without whoami: "root" for uid 0, else
// "User ID:  <uid>".
char *GetUserName();
