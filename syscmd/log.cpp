// The run's log /tmp/<my_name>.log, one descriptor kept for the whole run, and the small host queries of start-up
// that need no command: the installer's own directory, environment values.
// Uses the support library only, so every other file here may log.
#include "support/errors.h"
#include "syscmd/log.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/describe.h"
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
// Whether the run's log could not be made, or a line could not be written
// into it: the log does not hold the whole run.
static bool LogLost = false;

// What stood at the log's path is moved aside to PATH.aside.N, the first N
// from 1 up to this bound whose name is free.
constexpr int LOG_ASIDE_MAX = 999;

// What MakeOwnLog moved aside, for the log's one line about it: the first
// new name, its kind, and how many entries were moved in all.
struct AsideRecord {
    char name[PATH_MAX];
    const char *kind;
    int count;
};

// Renames what stands at path to a free name path.aside.N in the same
// directory, never replacing an entry there (and never opening or descending
// into what it moves). True when moved; false when it could not be, or when
// nothing stands at path any more.
static bool MoveAside(const char *path, mode_t mode, AsideRecord *aside) {
    char name[PATH_MAX];
    for (int n = 1; n <= LOG_ASIDE_MAX; n++) {
        int len = snprintf(name, sizeof(name), "%s.aside.%d", path, n);
        if (len < 0 || static_cast<size_t>(len) >= sizeof(name))
            return false;
        if (renameat2(AT_FDCWD, path, AT_FDCWD, name, RENAME_NOREPLACE) == 0) {
            if (aside->count++ == 0) {
                memcpy(aside->name, name, static_cast<size_t>(len) + 1);
                aside->kind = EntryKindName(mode);
            }
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Makes the log a new file at path, created exclusively with mode 0644
// whatever the umask: a new inode, so no descriptor or second name anybody
// kept of an earlier file reaches it. An earlier log (a regular file of the
// running user) is removed; anything else at path (a directory of any depth,
// a FIFO, a link, a device, another user's file) is renamed aside, never
// opened, followed or removed. A run that is not root leaves alone what is
// not its own (root's log of an earlier run among them). The new file is
// checked after opening: a regular file of the running user with one name,
// the very entry at path. Returns the descriptor, or -1.
static int MakeOwnLog(const char *path, AsideRecord *aside) {
    for (int tries = 0; tries < LOG_TRIES; tries++) {
        struct stat st;
        if (lstat(path, &st) == 0) {
            bool own = st.st_uid == geteuid();
            if (!own && geteuid() != 0)
                return -1;
            if (own && S_ISREG(st.st_mode)) {
                if (unlink(path) != 0 && errno != ENOENT)
                    return -1;
            } else if (!MoveAside(path, st.st_mode, aside) && errno != ENOENT) {
                return -1;
            }
            continue;
        }
        int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, LOG_MODE);
        if (fd < 0 && errno != EEXIST)
            return -1;
        if (fd < 0)
            continue;
        struct stat made;
        bool sound = fchmod(fd, LOG_MODE) == 0 && fstat(fd, &made) == 0 && S_ISREG(made.st_mode) &&
                     made.st_uid == geteuid() && made.st_nlink == 1 && lstat(path, &st) == 0 &&
                     st.st_dev == made.st_dev && st.st_ino == made.st_ino;
        if (sound)
            return fd;
        close(fd);
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
    LogLost = false;
    char *pending = pLogPending;
    pLogPending = nullptr;
    if (LogStarted) {
        char *path = GetLogPath();
        AsideRecord aside{{'\0'}, nullptr, 0};
        int made = MakeOwnLog(path, &aside);
        // Moved above the standard descriptors, whatever was open at start.
        LogFd = made >= 0 ? fcntl(made, F_DUPFD_CLOEXEC, LOG_FD_LOWEST) : -1;
        if (made >= 0)
            close(made);
        PutLogMsg("initializing system\n");
        // Said once, naming the first entry moved (others may have been put
        // there meanwhile and moved as well).
        if (aside.count > 0)
            PutLogMsg("%s found at %s was moved aside to %s\n", aside.kind, path, aside.name);
        if (aside.count > 1)
            PutLogMsg("%d entries in all were moved aside from %s\n", aside.count, path);
        if (LogLost) {
            // Not even the first line could be written (a full file system).
            close(LogFd);
            LogFd = -1;
        }
        if (LogFd < 0) {
            fprintf(stderr, "ERROR: couldn't open %s\n", path);
            LogLost = true;
        }
        PutMem(path);
        PutLogMsg("%s", pending ? pending : "");
        pRecordError = RecordError;
    }
    PutMem(pending);
}

bool RunLogLost() {
    return LogLost;
}

int LogFdForCommands() {
    if (LogFd > LOG_FD_HIGHEST) {
        // The commands' output cannot reach the log: never lost silently.
        LogLost = true;
    }
    return LogFd >= LOG_FD_LOWEST && LogFd <= LOG_FD_HIGHEST ? LogFd : -1;
}

void CloseInheritedDescriptors() {
    for (int fd = LOG_FD_LOWEST; fd <= LOG_FD_HIGHEST; fd++) {
        close(fd);
    }
}

// Room kept allocated behind the log's end for what the next command writes
// into it, and the length up to which it is allocated (-1: nothing kept,
// the file system cannot keep room).
constexpr off_t LOG_RESERVE = 65536;
static off_t LogReservedTo = -1;

void ReserveLogForCommand() {
    struct stat st;
    LogReservedTo = -1;
    if (LogFd < 0 || fstat(LogFd, &st) != 0)
        return;
    if (fallocate(LogFd, FALLOC_FL_KEEP_SIZE, st.st_size, LOG_RESERVE) == 0) {
        LogReservedTo = st.st_size + LOG_RESERVE;
        return;
    }
    // A full file system may refuse what the command writes, unseen.
    if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)
        LogLost = true;
}

void CheckLogAfterCommand() {
    struct stat st;
    if (LogFd < 0 || (fstat(LogFd, &st) == 0 && LogReservedTo >= 0 && st.st_size <= LogReservedTo))
        return;
    // Beyond the room kept (or none could be): when the file system is now
    // short of room, some of the command's writes may have been refused.
    struct statvfs fs;
    if (fstatvfs(LogFd, &fs) != 0 || static_cast<off_t>(fs.f_bfree * fs.f_frsize) < LOG_RESERVE)
        LogLost = true;
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
        // A write that fails (a full file system) leaves the log incomplete.
        if (vdprintf(LogFd, format, ap) < 0)
            LogLost = true;
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

long LogLength() {
    struct stat st;
    return LogFd >= 0 && fstat(LogFd, &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

bool LastLogLine(long from, char *buf, size_t size) {
    if (size == 0)
        return false;
    buf[0] = '\0';
    long end = LogLength();
    if (from < 0 || end <= from)
        return false;
    // The log is open for writing only: read through a second descriptor of
    // the same open file, never through its name.
    char self[64];
    snprintf(self, sizeof self, "/proc/self/fd/%d", LogFd);
    int fd = open(self, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char tail[512];
    long start = end - from > static_cast<long>(sizeof tail) - 1 ? end - static_cast<long>(sizeof tail) + 1 : from;
    ssize_t got = pread(fd, tail, sizeof tail - 1, start);
    close(fd);
    if (got <= 0)
        return false;
    tail[got] = '\0';
    // The last line that holds anything, its line end dropped.
    size_t len = static_cast<size_t>(got);
    while (len > 0 && (tail[len - 1] == '\n' || tail[len - 1] == '\r'))
        tail[--len] = '\0';
    const char *line = strrchr(tail, '\n');
    line = line != nullptr ? line + 1 : tail;
    // Bounded, and every byte that is no printable ASCII written as \ooo.
    size_t used = 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(line); *p != '\0'; p++) {
        char piece[5];
        bool plain = *p >= ' ' && *p < 127 && *p != '\\';
        int n = plain ? snprintf(piece, sizeof piece, "%c", *p) : snprintf(piece, sizeof piece, "\\%03o", *p);
        if (n < 0 || used + static_cast<size_t>(n) >= size)
            break;
        memcpy(buf + used, piece, static_cast<size_t>(n) + 1);
        used += static_cast<size_t>(n);
    }
    return used > 0;
}
