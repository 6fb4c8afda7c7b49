// Running commands of the table: for their effect (SysCmd, in modes), for
// their output (GetCmdResponse), or as a command text (GetCmd).
#pragma once

#include <sys/stat.h>

constexpr int CMDLINE_SIZE = 4096;

// Mode of SysCmd.
constexpr int MODE_QUIET = 0; // output discarded, nothing reported
constexpr int MODE_WARN = 1;  // logged; a failure is a warning in the log and a failed step
constexpr int MODE_FATAL = 2; // logged; a failure ends the run with status 1
constexpr int MODE_LOG = 3;   // logged; a failure only logged: the caller judges the output

// One output line of GetCmdResponse, allocated in one piece with its text.
struct ResponseLine {
    ResponseLine *pNextLine;
    char *pText; // points behind the two fields; keeps the line's newline
};

// Runs command id (negative: quietly; 0/1: the text is the whole line) with
// the formatted arguments. Returns 0 or the failure's code.
int SysCmd(int id, int mode, const char *format, ...) __attribute__((format(printf, 3, 4)));
// SysCmd with the command's standard output appended to outFile (a path the
// shell takes literally) instead of the log or /dev/null; the logged line
// shows the redirection, and standard error goes where the mode says.
int SysCmdAppend(int id, int mode, const char *outFile, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
// Renames from to to with rename(2), logged (with a progress dot) as the
// command line "mv -f -T FROM TO" would be. 0 when done; EXDEV (and EPERM,
// which some file systems give for a directory, when canCopy), logged but not
// reported, when the file system cannot rename there (the caller copies
// instead); any other failure is reported in the shape of mode, as SysCmd
// reports a failed command.
int RenameStep(int mode, const char *from, const char *to, bool canCopy = false);
// Removes the entry name of the directory dirFd (with directory, an empty
// directory) without following a link, logged (with a progress dot) as the
// command line "rm -f PATH" ("rm -f -d PATH" for a directory) would be;
// path is how the log names the entry (the caller escapes it; a path too
// long for the line is shown cut, followed by "..."). 0 when done
// or when nothing was there; any other failure is reported in the shape of
// mode, as SysCmd reports a failed command, and its code returned.
int RemoveStep(int mode, int dirFd, const char *name, const char *path, bool directory);
// Copies what fromFd reads (the regular file from, opened and checked by
// the caller; -1 when it is missing) into a new file toDir/name, made
// exclusively, with from's permission bits and times, logged (with a
// progress dot) as the command line "cp -p FROMPATH TODIR" would be. The
// path is never opened again, so nothing swapped in at it meanwhile is
// read. 0 when done; a failure is reported in the shape of mode, as SysCmd
// reports a failed command, and its code returned.
int CopyStep(int mode, int fromFd, const struct stat &from, const char *fromPath, const char *toDir,
             const char *name);
// The last line of error output of the command (or rename) that failed last,
// bounded and escaped; empty when it wrote none.
const char *LastErrorLine();
// "dir/name opts" of a row (allocator-owned), or null when not located.
char *GetCmd(int id);
// Output lines of the command that contain pattern (all when null or ""),
// or null. Logs nothing (see LogCmdLine).
ResponseLine *GetCmdResponse(int id, const char *pattern, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
void FreeResponseList(ResponseLine *first);

// How many failed steps the run keeps the text of.
constexpr int FAILURES_KEPT = 3;
// Counts one failed step of the run: a mode-1 command that failed (SysCmd
// counts those itself), a file that could not be written, a skipped line.
// The formatted text, the step as logged, is kept for the first few.
void CountFailure(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Number of failed steps so far.
int FailureCount();
// Text of failed step i (0-based), or null beyond those kept.
const char *FailedStep(int i);

// " 812 907 " style list of ids of processes whose command name is exactly
// name (ps), or null (allocator-owned). Here, below the other queries,
// because the after-run wait of SysCmd asks it.
char *GetSysPsIdList(const char *name);

// From now on SIGINT, SIGTERM, SIGHUP and SIGPIPE (unless ignored from the start) stop
// the run: the command that runs gets the signal too (commands lead process
// groups of their own) and is killed when it has not ended within a second;
// the log gets "ERROR: interrupted by SIGxxx"; message (a format taking the
// signal's name and the program's name) goes to standard error; the process
// exits with status 128 plus the signal's number. The stop comes at the next
// step of the run (every command, rename and answer read is one), never in
// the signal handler. Also makes every end of the process remove the work
// area given to RemoveOnStop, and the work-area directory the installer made
// (pCreatedWorkDir) when it is empty.
void CatchInterrupts(const char *message);
// Ends the run as CatchInterrupts describes when a stop signal has come;
// else returns at once.
void StopIfInterrupted();
// The work area the run made (a saved string), removed with all it holds
// when the process ends before the clean-up removed it; null once it is
// gone. The directory the installer made for it goes too when then empty.
void RemoveOnStop(const char *workArea);
// Logs line, a whole command line that GetCmdResponse runs, as every
// command line of the run is logged: after the shell that runs it, with
// its progress dot.
void LogCmdLine(const char *line);
