// The run's log file, kept open for the whole run, and small host queries
// needed at start-up: the installer's own directory, environment values.
#pragma once

#include <cstddef>
#include <cstdint>

extern uint8_t flUseLog; // logging on; set by main first thing

// Begins the run's log /tmp/<my_name>.log, once the run really begins its
// work: until then an earlier run's log stays as it was, and what is logged
// is kept in memory (dropped when the run ends before). An earlier log of
// the running user is removed; anything else at the path (a directory of any
// depth, a FIFO, a link, another user's file) is renamed aside to
// PATH.aside.N (the first free N of 1 to 999), and the second line of the
// log says so. A run that is not root leaves what is not its own as it was.
// The log is made anew, exclusively, mode 0644, checked after opening, and
// kept open on one descriptor (never 0, 1 or 2) for the whole run;
// "initializing system" is its first line, what was kept follows. When no
// log can be made, "ERROR: couldn't open <path>" goes to standard error this
// once and the run goes on without a log (RunLogLost then tells). A later
// call closes the log and starts anew; with logging off it only closes the
// log and drops what was kept.
void StartRunLog();
// Appends one formatted message to the run's log through its descriptor; a
// link, a rename or a new file at the name changes nothing. Before
// StartRunLog the message is kept for the log; without a log it is lost.
void PutLogMsg(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Logs a file the run wrote itself, without a command: one line
// "write PATH MODE OWNER:GROUP" (mode in four octal digits, owner and group
// by name, else by number), as the entry at path is now (not followed).
void LogWrittenFile(const char *path);
// The log's descriptor for a command line's redirection ("1>&N"), or -1 when
// there is no log (or it cannot be named in one digit).
int LogFdForCommands();
// Closes descriptors 3 to 9, which a caller may have left open: they are
// not the run's own, and the log must take one of them so that commands'
// redirections can name it. Called first thing, before anything is opened.
void CloseInheritedDescriptors();
// Before a logged command runs: keeps room allocated behind the log's end
// for what the command writes into it, so that a file system filled
// meanwhile cannot refuse those writes unseen. When the file system has no
// room for it, the log counts as not written whole (RunLogLost).
void ReserveLogForCommand();
// After a logged command: when its output went beyond the room kept (or
// none could be kept) and the file system is now short of room, the log
// counts as not written whole (RunLogLost).
void CheckLogAfterCommand();
// Lets the commands started next inherit the log's descriptor (share), or
// closes it again at every exec (the default).
void ShareLogWithCommands(bool share);
// True when the run's log was begun but could not be made, or a line could
// not be written into it: the log does not hold the whole run.
bool RunLogLost();

// The log's length in bytes now, or -1 without a log.
long LogLength();
// The last line holding anything among what the log received after it was
// from bytes long (a failed command's error output), into buf: cut to fit
// size, every backslash and every byte that is no printable ASCII as \ooo. False,
// buf empty, when there is none.
bool LastLogLine(long from, char *buf, size_t size);

// Path of the run's log (allocator-owned).
char *GetLogPath();

// Directory that holds the running program, from argv[0] (allocator-owned):
// the directory part of an absolute path; the working directory for a bare
// name or ./name; else the working directory, "/" and the path's directory.
char *GetToolPath(const char *path);
// Allocator-owned copy of an environment value, or null when unset.
char *GetEnv(const char *name);
