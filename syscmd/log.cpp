// The run's log /tmp/<my_name>.log, and the small host queries of start-up:
// the installer's own directory, environment values and the user's name.
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

#include "support/globals.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/run.h"

uint8_t flUseLog = 0;
bool flLogFirstWrite = true;

// Directory of the log file.
static const char *pLogPath = "/tmp";
constexpr char LOG_DIR[] = "/tmp";
constexpr mode_t LOG_MODE = 0666;
constexpr size_t CWD_SIZE = 4096;
constexpr size_t USER_LINE_SIZE = 256;

// Opens the log for one message without ever following a link: /tmp is
// writable by everyone and we run as root. At the run's first write anything
// there that is not a regular file is removed and a regular file is
// truncated; a new file is created exclusively and given mode 0666 whatever
// the umask. Returns the stream, or null.
static FILE *OpenLog(const char *path, bool first) {
    struct stat st;
    bool exists = lstat(path, &st) == 0;
    if (exists && first && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode))
            rmdir(path);
        else
            unlink(path);
        exists = false;
    }

    int fd;
    if (!exists) {
        fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, LOG_MODE);
        if (fd >= 0)
            fchmod(fd, LOG_MODE);
    } else {
        int flags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (first ? O_TRUNC : O_APPEND);
        fd = open(path, flags);
    }
    if (fd < 0)
        return nullptr;

    // Whatever was opened must be a regular file (it may have been swapped
    // between the test and the open).
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    FILE *log = fdopen(fd, first ? "w" : "a");
    if (!log)
        close(fd);
    return log;
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

char *GetUserName() {
    char *command = GetCmd(CMD_WHOAMI);
    if (!command) {
        uid_t uid = getuid();
        return uid == 0 ? SaveStr("root") : SaveStr("User ID:  %d", static_cast<int>(uid));
    }
    FILE *pipe = popen(command, "r");
    PutMem(command);
    if (!pipe)
        return nullptr;

    char line[USER_LINE_SIZE];
    bool got = fgets(line, sizeof(line), pipe) != nullptr;
    pclose(pipe);
    if (!got)
        return nullptr;
    line[strcspn(line, "\r\n")] = '\0';
    return SaveStr("%s", line);
}
