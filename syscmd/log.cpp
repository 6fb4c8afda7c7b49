// The run's log /tmp/<my_name>.log, one descriptor kept for the whole run, and the small host queries of start-up
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

constexpr char LOG_DIR[] = "/tmp";
// Readable by all, written by the run alone: nobody else may cut or forge it.
constexpr mode_t LOG_MODE = 0644;
constexpr size_t CWD_SIZE = 4096;
// The log's descriptor is never a standard one, and the shell names it in a
// redirection with one digit.
constexpr int LOG_FD_LOWEST = 3;
constexpr int LOG_FD_HIGHEST = 9;

// Attempts at clearing the log's path while something else keeps appearing
// there.
constexpr int LOG_TRIES = 20;

// The run's log, open for the whole run once StartRunLog made it; -1 before
// and when no log could be made.
static int LogFd = -1;
// Whether StartRunLog ran (with logging on), and what was logged before it:
// kept until the log is made, dropped when the run ends before that.
static bool LogStarted = false;
static char *pLogPending = nullptr;

// Makes the log a new file at path, created exclusively with mode 0644
// whatever the umask, after clearing what is there: a new inode, so no
// descriptor or second name anybody kept of an earlier file reaches it. A
// run that is not root leaves alone what is not its own (root's log of an
// earlier run among them). Never opens what is at path: a FIFO or device
// there is only looked at. Returns the descriptor, or -1.
static int MakeOwnLog(const char *path) {
    for (int tries = 0; tries < LOG_TRIES; tries++) {
        struct stat st;
        if (lstat(path, &st) == 0) {
            if (st.st_uid != geteuid() && geteuid() != 0)
                return -1;
            RemoveEntry(path);
            continue;
        }
        int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, LOG_MODE);
        if (fd >= 0) {
            fchmod(fd, LOG_MODE);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// Writes an error that ends the run into the log, as standard error shows it.
static void RecordError(const char *text) {
    PutLogMsg("ERROR: %s\n", text);
}

void StartRunLog() {
    if (LogFd >= 0)
        close(LogFd);
    LogFd = -1;
    LogStarted = flUseLog != 0;
    char *pending = pLogPending;
    pLogPending = nullptr;
    if (LogStarted) {
        char *path = GetLogPath();
        int made = MakeOwnLog(path);
        // Moved above the standard descriptors, whatever was open at start.
        LogFd = made >= 0 ? fcntl(made, F_DUPFD_CLOEXEC, LOG_FD_LOWEST) : -1;
        if (made >= 0)
            close(made);
        if (LogFd < 0)
            fprintf(stderr, "ERROR: couldn't open %s\n", path);
        PutMem(path);
        PutLogMsg("initializing system\n%s", pending ? pending : "");
        pRecordError = RecordError;
    }
    PutMem(pending);
}

int LogFdForCommands() {
    return LogFd >= LOG_FD_LOWEST && LogFd <= LOG_FD_HIGHEST ? LogFd : -1;
}

void ShareLogWithCommands(bool share) {
    if (LogFd >= LOG_FD_LOWEST)
        fcntl(LogFd, F_SETFD, share ? 0 : FD_CLOEXEC);
}

void PutLogMsg(const char *format, ...) {
    if (!flUseLog || (LogStarted && LogFd < LOG_FD_LOWEST))
        return;
    va_list ap;
    va_start(ap, format);
    if (LogStarted) {
        vdprintf(LogFd, format, ap);
    } else {
        // Before the run's start: kept for the log, whatever its length.
        va_list count;
        va_copy(count, ap);
        int n = vsnprintf(nullptr, 0, format, count);
        va_end(count);
        size_t had = pLogPending ? strlen(pLogPending) : 0;
        char *more = n > 0 ? static_cast<char *>(GetMem(static_cast<int32_t>(had + static_cast<size_t>(n) + 1))) : nullptr;
        if (more) {
            memcpy(more, pLogPending ? pLogPending : "", had);
            vsnprintf(more + had, static_cast<size_t>(n) + 1, format, ap);
            PutMem(pLogPending);
            pLogPending = more;
        }
    }
    va_end(ap);
}

// Writes the name of id from file (the first line "name:password:id:..."
// whose third field is id) into out, or the number when no line names it.
// The files are read, not the system's name service: the program is linked
// statically.
static void NameOfId(const char *file, unsigned long id, char *out, size_t size) {
    snprintf(out, size, "%lu", id);
    char *text = ReadWholeFile(file, nullptr);
    if (text == nullptr)
        return;
    char number[32];
    snprintf(number, sizeof number, ":%lu:", id);
    for (const char *line = text; *line != '\0';) {
        size_t length = strcspn(line, "\n");
        size_t nameLength = strcspn(line, ":\n");
        const char *password = line + nameLength;
        const char *idField = *password == ':' ? password + 1 + strcspn(password + 1, ":\n") : password;
        if (strncmp(idField, number, strlen(number)) == 0) {
            snprintf(out, size, "%.*s", static_cast<int>(nameLength), line);
            break;
        }
        line += length + (line[length] == '\n' ? 1 : 0);
    }
    PutMem(text);
}

// Room for a user's or group's name, or a number in its place.
constexpr size_t NAME_SIZE = 64;

void LogWrittenFile(const char *path) {
    struct stat st;
    if (lstat(path, &st) != 0) {
        PutLogMsg("write %s\n", path);
        return;
    }
    char owner[NAME_SIZE];
    char group[NAME_SIZE];
    NameOfId("/etc/passwd", st.st_uid, owner, sizeof owner);
    NameOfId("/etc/group", st.st_gid, group, sizeof group);
    PutLogMsg("write %s %04o %s:%s\n", path, static_cast<unsigned>(st.st_mode & 07777), owner, group);
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
