// Running commands of the table: through the shell for their effect, in one of
// three modes (SysCmd), through a pipe for their output lines
// (GetCmdResponse), or handing out the command text (GetCmd); renames, copies
// and removals logged as the command line they stand for; the stop of a run
// that is interrupted.
#include "support/errors.h"
#include "syscmd/run.h"

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/files.h"
#include "support/globals.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"

// Highest command id a caller may name.
constexpr int CMD_LAST = CMD_END - 1;
// Retries of the wait for a process after a row whose Delay is -1.
constexpr int WAIT_RETRIES = 10;
constexpr int DELAY_WAIT_FOR_PROCESS = -1;
// Field separators of ps output, and the field of a ps -ace line that holds
// the command name (1-based).
constexpr char PS_SEPARATORS[] = " \t\n";
constexpr int PS_NAME_FIELD = 6;

// A command line being built in a fixed buffer. Whatever does not fit sets
// overflow and leaves the buffer as it was, so a line is never run cut short.
struct LineText {
    char *buf;
    size_t size;
    size_t len;
    bool overflow;
};

static void AppendV(LineText *t, const char *format, va_list ap) {
    if (t->overflow)
        return;
    size_t room = t->size - t->len;
    int n = vsnprintf(t->buf + t->len, room, format, ap);
    if (n < 0 || static_cast<size_t>(n) >= room) {
        t->overflow = true;
        t->buf[t->len] = '\0';
        return;
    }
    t->len += static_cast<size_t>(n);
}

static void Append(LineText *t, const char *format, ...) __attribute__((format(printf, 2, 3)));
static void Append(LineText *t, const char *format, ...) {
    va_list ap;
    va_start(ap, format);
    AppendV(t, format, ap);
    va_end(ap);
}

// While the table has not been initialised, locates the command (and, for
// command lines run through the shell, sh) on its first use.
static void LocateOnFirstUse(int id, bool withShell) {
    if (!flInitSysCmd)
        return;
    if (id > CMD_LINE && !ComList[id].pPath)
        FillCmdPath(id);
    if (withShell && !ComList[CMD_SH].pPath)
        FillCmdPath(CMD_SH);
}

// Ends the run for a command of the table that was not located: the
// installation cannot go on without it.
[[noreturn]] static void ExitUnlocated(const char *name) {
    fprintf(stderr, "ERROR: unable to locate system command '%s'\n", name);
    exit(1);
}

// The row of id, located on first use (with the shell when the line runs
// through it). A command of the table that was not located ends the run.
static const ComEntry &RowToRun(int id, bool withShell) {
    LocateOnFirstUse(id, withShell);
    if (id >= CMD_CANCEL && !ComList[id].pPath)
        ExitUnlocated(ComList[id].pName);
    return ComList[id];
}

// The failed steps of the run: how many, and the first FAILURES_KEPT of them
// as logged (saved strings, kept until the process ends).
static int failureCount = 0;
static char *failuresKept[FAILURES_KEPT];

void CountFailure(const char *format, ...) {
    if (failureCount < FAILURES_KEPT) {
        char text[CMDLINE_SIZE];
        va_list ap;
        va_start(ap, format);
        vsnprintf(text, sizeof(text), format, ap);
        va_end(ap);
        failuresKept[failureCount] = SaveStr("%s", text);
    }
    failureCount++;
}

int FailureCount() {
    return failureCount;
}

const char *FailedStep(int i) {
    return i >= 0 && i < failureCount && i < FAILURES_KEPT ? failuresKept[i] : nullptr;
}

// The last line of error output of the command that failed last (bounded and
// escaped), empty when it wrote none.
static char lastErrorLine[256];

const char *LastErrorLine() {
    return lastErrorLine;
}

// Ends the run for a command that failed in mode 2: the error line goes to
// the log and to standard output, the command as logged and the last line of
// its error output to standard error.
[[noreturn]] static void ExitFailed(const char *why, const char *command) {
    PutLogMsg("%s: %s\n", "ERROR", why);
    printf("%s: %s\n", "ERROR", why);
    fflush(stdout);
    fprintf(stderr, "failed command: %s\n", command);
    if (lastErrorLine[0] != '\0')
        fprintf(stderr, "  %s\n", lastErrorLine);
    exit(1);
}

// Reports a failed command in the shape of its mode: a warning line in the
// log and one more failed step (mode 1), or the end of the run (mode 2).
// Other modes report nothing. command is the command line as logged.
static void ReportFailure(int mode, const char *why, const char *command) {
    if (mode == MODE_WARN) {
        PutLogMsg("%s: %s\n", "WARNING_MSG", why);
        CountFailure("%s", command);
    } else if (mode == MODE_FATAL) {
        ExitFailed(why, command);
    } else if (mode == MODE_LOG) {
        PutLogMsg("%s\n", why);
    }
}

// Judges the status system() returned. Returns 0 for success; otherwise the
// code SysCmd returns, with the reason written into why: the system's error
// text when the shell could not be run, else the exit status or the signal.
static int JudgeStatus(int status, int savedErrno, char *why, size_t whySize) {
    if (status == -1) {
        int code = savedErrno ? savedErrno : ECHILD;
        snprintf(why, whySize, "%s", strerror(code));
        return code;
    }
    if (WIFEXITED(status)) {
        if (WEXITSTATUS(status) == 0)
            return 0;
        snprintf(why, whySize, "exit status %d", WEXITSTATUS(status));
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        snprintf(why, whySize, "killed by signal %d (%s)", WTERMSIG(status),
                 strsignal(WTERMSIG(status)));
        return 128 + WTERMSIG(status);
    }
    snprintf(why, whySize, "unexpected status %d", status);
    return status;
}

char *GetSysPsIdList(const char *name) {
    Line[0] = '\0';
    if (!name)
        return nullptr;

    ResponseLine *lines = GetCmdResponse(CMD_PS, name, "%s", "");
    size_t used = 0;
    for (ResponseLine *l = lines; l; l = l->pNextLine) {
        const char *field = GetTokenN(l->pText, PS_SEPARATORS, PS_NAME_FIELD);
        // A line of fewer than six fields gives null and does not match.
        if (!field || strcmp(field, name) != 0)
            continue;
        const char *pid = GetToken(l->pText, PS_SEPARATORS);
        if (!pid)
            continue;
        // Room for " pid" and the final blank and NUL; a list that would not
        // fit Line keeps the ids gathered so far.
        size_t len = strlen(pid);
        if (used + 1 + len + 2 > sizeof(Line))
            break;
        Line[used] = ' ';
        memcpy(Line + used + 1, pid, len + 1);
        used += 1 + len;
    }
    FreeResponseList(lines);

    if (used == 0)
        return nullptr;
    Line[used] = ' ';
    Line[used + 1] = '\0';
    return SaveStr("%s", Line);
}

// Waits until a process named name runs: 11 questions, 1 second apart.
static void WaitForProcess(const char *name) {
    char *ids = GetSysPsIdList(name);
    for (int retries = 0; !ids && retries < WAIT_RETRIES; retries++) {
        sleep(1);
        ids = GetSysPsIdList(name);
    }
    if (ids) {
        PutMem(ids);
        return;
    }
    PutLogMsg("ERROR: Time out for command %s\n", name);
}

// The row's after-run rule: a pause of Delay seconds, or the wait for the
// process when Delay is -1.
static void AfterRun(int id) {
    int delay = ComList[id].Delay;
    if (delay > 0)
        sleep(static_cast<unsigned>(delay));
    else if (delay == DELAY_WAIT_FOR_PROCESS)
        WaitForProcess(ComList[id].pName);
}

// ---- Stop signals: an interrupt, a termination or a hang-up stops the run.

// The signals that stop a run, with the names its last message gives them.
// A standard output or error whose reader went away (a pipe to a program
// that ended, as when the session that read it was lost) stops the run the
// same way, instead of killing it part-way with its work area left.
struct StopSignal {
    int number;
    const char *name;
};
constexpr StopSignal STOP_SIGNALS[] = {
    {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}, {SIGPIPE, "SIGPIPE"}};
static_assert(sizeof(STOP_SIGNALS) / sizeof(STOP_SIGNALS[0]) == 4,
              "interrupt, termination, hang-up, a reader gone");
// How long a stopped command may take to end before it is killed: steps of 50 ms.
constexpr int END_GRACE_STEPS = 20;
constexpr useconds_t END_GRACE_STEP_US = 50000;

// The first stop signal that came, 0 while none did. Set by the handler only.
static volatile sig_atomic_t caughtSignal = 0;
// The command running now (0 while none does); it leads a process group of its
// own, which receives a stop signal as a whole.
static volatile sig_atomic_t runningPid = 0;
// The run's last message on a stop (its format takes the signal's name and the
// program's name), and the work area the run made, removed whenever it ends
// before its clean-up.
static const char *stopMessage = nullptr;
static const char *workAreaMade = nullptr;

// Records the signal and passes it on to the command that runs; the run stops
// at its next step (StopIfInterrupted), never in the handler.
static void OnStopSignal(int sig) {
    if (caughtSignal == 0)
        caughtSignal = sig;
    pid_t pid = runningPid;
    if (pid > 0)
        kill(-pid, sig);
}

// Removes, at any end of the process, the work area the run made and had not
// removed yet, then the directory the installer made for it when it is empty:
// also when the run stopped before it made the work area (a refusal of the
// checks, an answer, an interrupt), which leaves the host as it found it.
static void RemoveWorkAreaAtExit() {
    if (workAreaMade != nullptr) {
        RemoveEntry(workAreaMade);
        workAreaMade = nullptr;
    }
    if (flCreatedTmpDir && pCreatedWorkDir != nullptr && pCreatedWorkDir[0] == '/')
        rmdir(pCreatedWorkDir);
}

void CatchInterrupts(const char *message) {
    stopMessage = message;
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    // No SA_RESTART: a wait or a read in progress returns, and the run stops.
    sa.sa_flags = 0;
    for (const StopSignal &s : STOP_SIGNALS) {
        struct sigaction before;
        // A signal ignored from the start (nohup, a background job) stays so.
        if (sigaction(s.number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        sigaction(s.number, &sa, nullptr);
    }
    atexit(RemoveWorkAreaAtExit);
}

void RemoveOnStop(const char *workArea) {
    workAreaMade = workArea;
}

// Waits up to the grace for the stopped command to end, then kills what is
// left of its group and waits for it.
static void EndRunningCommand(pid_t pid) {
    for (int i = 0; i < END_GRACE_STEPS; i++) {
        if (waitpid(pid, nullptr, WNOHANG) != 0) {
            kill(-pid, SIGKILL);
            return;
        }
        usleep(END_GRACE_STEP_US);
    }
    kill(-pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

void StopIfInterrupted() {
    int sig = caughtSignal;
    if (sig == 0)
        return;
    pid_t pid = runningPid;
    if (pid > 0) {
        kill(-pid, sig);
        EndRunningCommand(pid);
        runningPid = 0;
    }
    const char *name = "signal";
    for (const StopSignal &s : STOP_SIGNALS) {
        if (s.number == sig)
            name = s.name;
    }
    PutLogMsg("ERROR: interrupted by %s\n", name);
    fputs("\n", stdout);
    fflush(stdout);
    flDotLineOpen = 0;
    fprintf(stderr, stopMessage != nullptr ? stopMessage : "ERROR: interrupted by %s (%s)\n", name,
            my_name != nullptr ? my_name : "");
    fflush(stderr);
    exit(128 + sig);
}

// Starts /bin/sh -c line, as system() does, with the output on outFd when it
// is not -1. The command leads a process group of its own, so that it is
// stopped through the run (which passes a stop signal on) and never outlives
// a stop. Returns the process id, or -1.
static pid_t StartShell(const char *line, int outFd) {
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        // The run asks its questions itself; a command never takes answers.
        // On a terminal one that tried, from a process group of its own,
        // would be stopped (SIGTTIN) and the run would wait for it for ever:
        // it reads an empty input instead.
        if (isatty(STDIN_FILENO)) {
            int none = open("/dev/null", O_RDONLY);
            if (none < 0 || dup2(none, STDIN_FILENO) < 0)
                _exit(127);
            if (none != STDIN_FILENO)
                close(none);
        }
        if (outFd >= 0 && dup2(outFd, STDOUT_FILENO) < 0)
            _exit(127);
        // The handlers of the run fall back to the default handling at exec.
        execl("/bin/sh", "sh", "-c", line, static_cast<char *>(nullptr));
        _exit(127);
    }
    if (pid > 0) {
        setpgid(pid, pid);
        runningPid = pid;
    }
    return pid;
}

// Waits for the command StartShell started and returns its status as
// waitpid gives it, or -1 when it cannot be waited for. A stop signal that
// comes meanwhile stops the command and the run.
static int WaitShell(pid_t pid) {
    int status = -1;
    while (caughtSignal == 0) {
        if (waitpid(pid, &status, 0) == pid) {
            runningPid = 0;
            return status;
        }
        if (errno != EINTR)
            break;
    }
    StopIfInterrupted();
    runningPid = 0;
    return -1;
}

// Logs a command line the way SysCmd does before it runs one: a progress
// dot and the line.
static void LogShownLine(const char *line, size_t shownLen) {
    if (!flSysCmdLog)
        return;
    fputs(".", stdout);
    fflush(stdout);
    flDotLineOpen = 1;
    PutLogMsg("%.*s\n", static_cast<int>(shownLen), line);
}

// SysCmd; when outFile is not null, the command's standard output is
// appended to outFile instead of going where the mode sends output.
static int RunCmd(int id, int mode, const char *outFile, const char *format, va_list ap) {
    if (id < -CMD_LAST || id > CMD_LAST || !format)
        return EINVAL;
    bool quiet = id <= CMD_NONE;
    if (id < 0)
        id = -id;

    const ComEntry &row = RowToRun(id, true);
    char line[CMDLINE_SIZE];
    line[0] = '\0';
    LineText text = {line, sizeof(line), 0, false};
    if (id >= CMD_CANCEL)
        Append(&text, "%s/%s -c \"%s/%s %s ", ShellDir(), ComList[CMD_SH].pName, row.pPath,
               row.pName, row.pOpts);
    AppendV(&text, format, ap);
    if (outFile)
        Append(&text, " >> %s", outFile);
    size_t shownLen = text.len;

    bool logged = (mode == MODE_WARN || mode == MODE_FATAL || mode == MODE_LOG) && !quiet;
    // A logged command writes into the run's own descriptor of the log,
    // never to the log's name; the command keeps it only as its output and
    // errors (what it leaves running, a daemon of the suite's tool, holds no
    // descriptor of its own on the log).
    int logFd = logged ? LogFdForCommands() : -1;
    if (mode == MODE_QUIET)
        Append(&text, outFile ? " 2>/dev/null" : " 1>/dev/null 2>/dev/null");
    else if (logFd >= 0 && outFile)
        Append(&text, " 2>&%d %d>&-", logFd, logFd);
    else if (logFd >= 0)
        Append(&text, " 1>&%d 2>&%d %d>&-", logFd, logFd, logFd);
    else if (logged)
        Append(&text, outFile ? " 2>>/dev/null" : " 1>>/dev/null 2>>/dev/null");
    if (id >= CMD_CANCEL)
        Append(&text, "\"");

    if (text.overflow) {
        // What was built of the line, which never runs cut.
        line[shownLen] = '\0';
        ReportFailure(mode, strerror(E2BIG), line);
        return E2BIG;
    }

    StopIfInterrupted();
    if (logged)
        LogShownLine(line, shownLen);
    // Where the command's own output begins in the log.
    long logBefore = logFd >= 0 ? LogLength() : -1;
    lastErrorLine[0] = '\0';

    if (logFd >= 0) {
        ReserveLogForCommand();
        ShareLogWithCommands(true);
    }
    errno = 0;
    pid_t pid = StartShell(line, -1);
    int status = pid < 0 ? -1 : WaitShell(pid);
    int savedErrno = errno;
    if (logFd >= 0) {
        ShareLogWithCommands(false);
        CheckLogAfterCommand();
    }
    // A command ended by the stop signal is no failure of its own.
    StopIfInterrupted();
    char why[128];
    int result = JudgeStatus(status, savedErrno, why, sizeof(why));
    if (result != 0) {
        line[shownLen] = '\0';
        LastLogLine(logBefore, lastErrorLine, sizeof lastErrorLine);
        ReportFailure(mode, why, line);
    }

    AfterRun(id);
    return result;
}

int SysCmd(int id, int mode, const char *format, ...) {
    va_list ap;
    va_start(ap, format);
    int result = RunCmd(id, mode, nullptr, format, ap);
    va_end(ap);
    return result;
}

int SysCmdAppend(int id, int mode, const char *outFile, const char *format, ...) {
    va_list ap;
    va_start(ap, format);
    int result = RunCmd(id, mode, outFile, format, ap);
    va_end(ap);
    return result;
}

// Starts the log line of a step that root takes itself in place of command
// id: text gets "SH -c \"PATH/NAME OPTS" followed by what format makes. The
// row is located first so that the line names the command as a run would.
static void StepLine(int id, LineText *text, const char *format, ...) __attribute__((format(printf, 3, 4)));
static void StepLine(int id, LineText *text, const char *format, ...) {
    RowToRun(id, true);
    text->buf[0] = '\0';
    Append(text, "%s/%s -c \"%s/%s %s", ShellDir(), ComList[CMD_SH].pName, ComList[id].pPath, ComList[id].pName,
           ComList[id].pOpts);
    va_list ap;
    va_start(ap, format);
    AppendV(text, format, ap);
    va_end(ap);
}

// Logs a step's line just before the step is taken, unless a stop signal
// came first.
static void LogStep(const LineText &text) {
    StopIfInterrupted();
    LogShownLine(text.buf, text.len);
    lastErrorLine[0] = '\0';
}

// Reports a step that failed with err the way a failed command is reported,
// and returns err.
static int StepFailed(int mode, int err, const char *line) {
    snprintf(lastErrorLine, sizeof lastErrorLine, "%s", strerror(err));
    ReportFailure(mode, strerror(err), line);
    return err;
}

int RenameStep(int mode, const char *from, const char *to, bool canCopy) {
    char line[CMDLINE_SIZE];
    LineText text = {line, sizeof(line), 0, false};
    StepLine(CMD_MV, &text, " -T %s %s", from, to);
    if (text.overflow) {
        ReportFailure(mode, strerror(E2BIG), line);
        return E2BIG;
    }
    LogStep(text);
    if (rename(from, to) == 0) {
        StopIfInterrupted();
        return 0;
    }
    int err = errno;
    if (err == EXDEV || (err == EPERM && canCopy)) {
        // What mv would have said before it began to copy; the caller copies.
        snprintf(lastErrorLine, sizeof lastErrorLine, "%s", strerror(err));
        PutLogMsg("rename %s: %s\n", from, strerror(err));
        return err;
    }
    return StepFailed(mode, err, line);
}

// Bytes of a removed entry's path that its log line shows when the whole
// path does not fit.
constexpr int REMOVED_SHOWN = 1024;
static_assert(REMOVED_SHOWN < CMDLINE_SIZE / 2, "a cut path fits a log line");

int RemoveStep(int mode, int dirFd, const char *name, const char *path, bool directory) {
    char line[CMDLINE_SIZE];
    LineText text = {line, sizeof(line), 0, false};
    StepLine(CMD_RM, &text, "%s %s", directory ? " -d" : "", path);
    if (text.overflow) {
        // A path too long for a log line is logged cut: the entry is named
        // through its directory's descriptor, never through this line.
        text = {line, sizeof(line), 0, false};
        StepLine(CMD_RM, &text, "%s %.*s...", directory ? " -d" : "", REMOVED_SHOWN, path);
    }
    LogStep(text);
    int err = unlinkat(dirFd, name, directory ? AT_REMOVEDIR : 0) == 0 ? 0 : errno;
    StopIfInterrupted();
    if (err == 0 || err == ENOENT)
        return 0;
    return StepFailed(mode, err, line);
}

// Copies what fromFd reads (from.st_size bytes) into the new file
// toDir/name, made exclusively (an earlier copy of the same name this run
// made is removed first), with from's permission bits and times. 0 when
// whole, else the error's code.
static int CopyFromFd(int fromFd, const struct stat &from, const char *toDir, const char *name) {
    if (fromFd < 0)
        return ENOENT;
    char *to = SaveStr("%s/%s", toDir, name);
    if (unlink(to) != 0 && errno != ENOENT) {
        int err = errno;
        PutMem(to);
        return err;
    }
    int out = open(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    PutMem(to);
    if (out < 0)
        return errno;
    char buf[65536];
    off_t left = from.st_size;
    int err = 0;
    while (left > 0 && err == 0) {
        size_t want = left < static_cast<off_t>(sizeof(buf)) ? static_cast<size_t>(left) : sizeof(buf);
        ssize_t n = read(fromFd, buf, want);
        if (n <= 0) {
            // A file cut short meanwhile is no whole copy.
            err = n < 0 ? errno : EIO;
            break;
        }
        for (ssize_t done = 0; done < n && err == 0;) {
            ssize_t w = write(out, buf + done, static_cast<size_t>(n - done));
            err = w < 0 ? errno : 0;
            done += w > 0 ? w : 0;
        }
        left -= n;
    }
    const struct timespec times[2] = {from.st_atim, from.st_mtim};
    if (err == 0 && (fchmod(out, from.st_mode & 0777) != 0 || futimens(out, times) != 0))
        err = errno;
    if (close(out) != 0 && err == 0)
        err = errno;
    return err;
}

int CopyStep(int mode, int fromFd, const struct stat &from, const char *fromPath, const char *toDir,
             const char *name) {
    char line[CMDLINE_SIZE];
    LineText text = {line, sizeof(line), 0, false};
    StepLine(CMD_CP, &text, " %s %s", fromPath, toDir);
    if (text.overflow) {
        ReportFailure(mode, strerror(E2BIG), line);
        return E2BIG;
    }
    LogStep(text);
    int err = CopyFromFd(fromFd, from, toDir, name);
    StopIfInterrupted();
    if (err != 0)
        return StepFailed(mode, err, line);
    return 0;
}

char *GetCmd(int id) {
    if (id < CMD_NONE || id > CMD_LAST)
        return nullptr;
    LocateOnFirstUse(id, false);
    if (id < CMD_CANCEL || !ComList[id].pPath)
        return nullptr;
    return SaveStr("%s/%s %s", ComList[id].pPath, ComList[id].pName, ComList[id].pOpts);
}

// Appends one output piece as a new node behind *last. A failed allocation
// drops the piece.
static void KeepLine(ResponseLine **first, ResponseLine **last, const char *piece) {
    size_t len = strlen(piece);
    auto *node =
        static_cast<ResponseLine *>(GetMem(static_cast<int32_t>(sizeof(ResponseLine) + len + 1)));
    if (!node)
        return;
    node->pText = reinterpret_cast<char *>(node + 1);
    memcpy(node->pText, piece, len + 1);
    node->pNextLine = nullptr;
    if (*last)
        (*last)->pNextLine = node;
    else
        *first = node;
    *last = node;
}

ResponseLine *GetCmdResponse(int id, const char *pattern, const char *format, ...) {
    if (id < CMD_NONE || id > CMD_LAST || !format)
        return nullptr;
    const ComEntry &row = RowToRun(id, false);
    char line[CMDLINE_SIZE];
    line[0] = '\0';
    LineText text = {line, sizeof(line), 0, false};
    if (id >= CMD_CANCEL)
        Append(&text, "%s/%s %s ", row.pPath, row.pName, row.pOpts);
    va_list ap;
    va_start(ap, format);
    AppendV(&text, format, ap);
    va_end(ap);
    if (text.overflow)
        return nullptr;

    StopIfInterrupted();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return nullptr;
    pid_t pid = StartShell(line, fds[1]);
    close(fds[1]);
    FILE *out = pid < 0 ? nullptr : fdopen(fds[0], "r");
    if (!out) {
        close(fds[0]);
        if (pid > 0)
            WaitShell(pid);
        return nullptr;
    }

    // The buffer that held the command line now takes the output, so a line
    // longer than 4095 characters arrives in several pieces.
    ResponseLine *first = nullptr;
    ResponseLine *last = nullptr;
    while (fgets(line, sizeof(line), out)) {
        if (pattern && pattern[0] && !strstr(line, pattern))
            continue;
        KeepLine(&first, &last, line);
    }
    fclose(out);
    WaitShell(pid);
    // Output cut short by a stop signal is never taken for the answer.
    StopIfInterrupted();
    return first;
}

void FreeResponseList(ResponseLine *first) {
    while (first) {
        ResponseLine *next = first->pNextLine;
        PutMem(first);
        first = next;
    }
}

void LogCmdLine(const char *line) {
    char shown[CMDLINE_SIZE];
    int n =
        snprintf(shown, sizeof(shown), "%s/%s -c \"%s", ShellDir(), ComList[CMD_SH].pName, line);
    if (n < 0)
        return;
    // A line too long for the buffer is logged as far as it fits.
    size_t len = static_cast<size_t>(n);
    LogShownLine(shown, len < sizeof(shown) ? len : sizeof(shown) - 1);
}
