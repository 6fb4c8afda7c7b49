// Running commands of the table: for their effect (SysCmd, in modes), for
// their output (GetCmdResponse), or as a command text (GetCmd).
#pragma once

constexpr int CMDLINE_SIZE = 4096;

// Mode of SysCmd.
constexpr int MODE_QUIET = 0; // output discarded, nothing reported
constexpr int MODE_WARN = 1;  // logged; a failure is a warning in the log and a failed step
constexpr int MODE_FATAL = 2; // logged; a failure ends the run with status 1

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
// "dir/name opts" of a row (allocator-owned), or null when not located.
char *GetCmd(int id);
// Output lines of the command that contain pattern (all when null or ""),
// or null.
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
