// The run's log /tmp/<my_name>.log, and the small host queries of start-up
// that need no command: the installer's own directory, environment values.
// Uses the support library only, so every other file here may log.
#include "support/errors.h"
#include "syscmd/log.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/files.h"
#include "support/globals.h"
#include "support/mem.h"
#include "support/savestr.h"

uint8_t flUseLog = 0;
bool flLogFirstWrite = true;

// Directory of the log file.
static const char *pLogPath = "/tmp";
constexpr char LOG_DIR[] = "/tmp";
constexpr mode_t LOG_MODE = 0666;
constexpr size_t CWD_SIZE = 4096;

// Attempts at making the log this run's own while something else keeps
// appearing at its path.
constexpr int LOG_TRIES = 20;

// The log file this run made its own (device and inode), once it has.
static bool LogOwn = false;
static dev_t LogDev;
static ino_t LogIno;

// True for a regular file of the running user's with no other name: nobody
// else can have put it there or reach it through another path.
static bool IsOwnFile(const struct stat &st) {
    return S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_nlink == 1;
}

// Opens an existing file at path for writing without following a link and
// without blocking on a FIFO; the descriptor when it is the run's own file,
// else -1. When first, the file is emptied (after the check, never before).
static int OpenOwnFile(const char *path, bool first, struct stat *st) {
    int fd = open(path, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (first ? 0 : O_APPEND));
    if (fd < 0)
        return -1;
    bool own = fstat(fd, st) == 0 && IsOwnFile(*st) &&
               (first || (st->st_dev == LogDev && st->st_ino == LogIno));
    if (!own || (first && ftruncate(fd, 0) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

// At the run's first write: keeps a file of the running user's that has no
// other name (emptied), removes anything else at path (a file of another
// user's, a link, a FIFO, a directory with whatever it holds) and creates the
// log anew, exclusively, with mode 0666 whatever the umask. Returns the
// descriptor, or -1.
static int MakeOwnLog(const char *path) {
    for (int tries = 0; tries < LOG_TRIES; tries++) {
        struct stat st;
        if (lstat(path, &st) == 0) {
            int fd = IsOwnFile(st) ? OpenOwnFile(path, true, &st) : -1;
            if (fd >= 0)
                return fd;
            RemoveEntry(path);
            continue;
        }
        int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, LOG_MODE);
        if (fd >= 0) {
            fchmod(fd, LOG_MODE);
            return fd;
        }
    }
    return -1;
}

// Opens the log for one message. The first write of the run makes the log
// the run's own; later writes open only that same file. Returns the stream,
// or null.
static FILE *OpenLog(const char *path, bool first) {
    struct stat st;
    int fd = -1;
    if (first) {
        fd = MakeOwnLog(path);
        LogOwn = fd >= 0 && fstat(fd, &st) == 0;
        if (LogOwn) {
            LogDev = st.st_dev;
            LogIno = st.st_ino;
        }
    } else if (LogOwn) {
        fd = OpenOwnFile(path, false, &st);
    }
    if (fd < 0)
        return nullptr;
    FILE *log = fdopen(fd, first ? "w" : "a");
    if (!log)
        close(fd);
    return log;
}

bool LogIsOwn() {
    // Before the run's first line, the first (empty) write makes the log.
    if (flUseLog && flLogFirstWrite)
        PutLogMsg("%s", "");
    return LogOwn;
}

void PutLogMsg(const char *format, ...) {
    if (!flUseLog)
        return;
    pLogPath = LOG_DIR;
    bool first = flLogFirstWrite;
    flLogFirstWrite = false;

    char path[512];
    int n = snprintf(path, sizeof(path), "%s/%s.log", pLogPath, my_name);
    FILE *log = nullptr;
    if (n > 0 && static_cast<size_t>(n) < sizeof(path))
        log = OpenLog(path, first);
    if (!log) {
        fprintf(stderr, "ERROR: couldn't open %s\n", path);
        return;
    }
    va_list ap;
    va_start(ap, format);
    vfprintf(log, format, ap);
    va_end(ap);
    fclose(log);
}

char *GetLogPath() {
    return SaveStr("%s/%s.log", LOG_DIR, my_name);
}

char *GetToolPath(const char *path) {
    if (!path || !path[0])
        path = ".";
    const char *slash = strrchr(path, '/');

    // Absolute: everything before the last "/", or "/" itself.
    if (path[0] == '/')
        return slash == path ? SaveStr("/") : SaveStr("%.*s", static_cast<int>(slash - path), path);

    char cwd[CWD_SIZE];
    bool haveCwd = getcwd(cwd, sizeof(cwd)) != nullptr;

    // Bare name or "./name": the working directory.
    bool inCwd = !slash || (slash == path + 1 && path[0] == '.');
    if (inCwd)
        return haveCwd ? SaveStr("%s", cwd) : SaveStr(".");

    // Any other relative path (sub/setup, ../setup, ./sub/setup,
    // ../dir/setup): the working directory and the path's directory joined.
    int dirLen = static_cast<int>(slash - path);
    if (!haveCwd)
        return SaveStr("%.*s", dirLen, path);
    const char *sep = strcmp(cwd, "/") == 0 ? "" : "/";
    return SaveStr("%s%s%.*s", cwd, sep, dirLen, path);
}

char *GetEnv(const char *name) {
    if (!name)
        return nullptr;
    const char *value = getenv(name);
    return value ? SaveStr("%s", value) : nullptr;
}
