// The check of a file of the install medium before the run reads, copies or
// runs it: a regular file of the medium's directory, or a link to one inside
// it. A link to a file elsewhere (a root-only file, say) is refused by its
// kind, so nothing of that file ever reaches a message or the log.
#include "install/mediumfile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "install/nls.h"
#include "support/describe.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/run.h"

namespace {

// Room for the words that tell what an entry is.
constexpr size_t KIND_SIZE = 96;

// Whether the real path file lies inside the real directory dir (at any depth).
bool Inside(const char *file, const char *dir) {
    if (strcmp(dir, "/") == 0) {
        return true;
    }
    size_t len = strlen(dir);
    return strncmp(file, dir, len) == 0 && file[len] == '/';
}

// What the link at path is when it does not lead to a regular file inside
// dir, in kind (size KIND_SIZE); an empty text when it does.
void JudgeLink(const char *dir, const char *path, char *kind) {
    char target[PATH_MAX];
    char realDir[PATH_MAX];
    struct stat st;
    kind[0] = '\0';
    if (realpath(path, target) == nullptr || stat(target, &st) != 0) {
        snprintf(kind, KIND_SIZE, "%s", "a symbolic link that leads nowhere");
    } else if (!S_ISREG(st.st_mode)) {
        snprintf(kind, KIND_SIZE, "a symbolic link to %s", EntryKindName(st.st_mode));
    } else if (realpath(dir, realDir) == nullptr || !Inside(target, realDir)) {
        snprintf(kind, KIND_SIZE, "%s", "a symbolic link that leads out of the medium's directory");
    }
}

// Ends the run with message 74 for path, which is kind (status 1).
[[noreturn]] void RefuseMediumFile(const char *path, const char *kind) {
    ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NOT_MEDIUM_FILE), path, kind);
    exit(1); // not reached: ErrorMsg of type 2 ends the run
}

// Judges dir/name as RequireMediumFile says. For a file it accepts, real
// (PATH_MAX) receives the path of the regular file it resolves to, without
// links, and *st that file's status.
bool JudgeMediumFile(const char *dir, const char *name, char *real, struct stat *st) {
    char *path = SaveStr("%s/%s", JoinDir(dir), name);
    // What a message shows of it: the medium's name for it bounded and escaped.
    char *shown = SaveStr("%s/%s", JoinDir(dir), QuoteWord(name));
    char kind[KIND_SIZE];
    kind[0] = '\0';
    if (lstat(path, st) != 0) {
        if (errno == ENOENT) {
            PutMem(shown);
            PutMem(path);
            return false;
        }
        snprintf(kind, sizeof(kind), "%s", "an entry that cannot be examined");
    } else if (S_ISLNK(st->st_mode)) {
        JudgeLink(dir, path, kind);
    } else if (!S_ISREG(st->st_mode)) {
        snprintf(kind, sizeof(kind), "%s", EntryKindName(st->st_mode));
    }
    if (kind[0] == '\0' && (realpath(path, real) == nullptr || stat(real, st) != 0 || !S_ISREG(st->st_mode))) {
        snprintf(kind, sizeof(kind), "%s", "a file that changed while it was checked");
    }
    if (kind[0] != '\0') {
        RefuseMediumFile(shown, kind);
    }
    PutMem(shown);
    PutMem(path);
    return true;
}

// Opens the very file that JudgeMediumFile judged at dir/name: no link at
// its real path any more, the same inode, still a regular file (a FIFO put
// there is never waited on), its status into *st. -1 when nothing is at
// dir/name; a file changed in between ends the run as RequireMediumFile does.
int OpenJudged(const char *dir, const char *name, struct stat *st) {
    char real[PATH_MAX];
    struct stat judged;
    if (!JudgeMediumFile(dir, name, real, &judged)) {
        return -1;
    }
    int fd = open(real, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    bool same = fd >= 0 && fstat(fd, st) == 0 && S_ISREG(st->st_mode) && st->st_dev == judged.st_dev &&
                st->st_ino == judged.st_ino && st->st_size < INT32_MAX;
    if (!same) {
        if (fd >= 0) {
            close(fd);
        }
        RefuseMediumFile(SaveStr("%s/%s", JoinDir(dir), QuoteWord(name)), "a file that changed while it was checked");
    }
    return fd;
}

} // namespace

bool RequireMediumFile(const char *dir, const char *name) {
    char real[PATH_MAX];
    struct stat st;
    return JudgeMediumFile(dir, name, real, &st);
}

void CopyMediumFile(const char *dir, const char *name, const char *work) {
    struct stat st;
    int fd = OpenJudged(dir, name, &st);
    char *path = SaveStr("%s/%s", JoinDir(dir), name);
    CopyStep(MODE_FATAL, fd, st, path, work, name);
    PutMem(path);
    if (fd >= 0) {
        close(fd);
    }
}

char *ReadMediumFile(const char *dir, const char *name) {
    struct stat st;
    int fd = OpenJudged(dir, name, &st);
    if (fd < 0) {
        return nullptr;
    }
    char *text = static_cast<char *>(GetMem(static_cast<int32_t>(st.st_size + 1)));
    if (text == nullptr) {
        close(fd);
        RefuseMediumFile(SaveStr("%s/%s", JoinDir(dir), QuoteWord(name)), "a file too large to read");
    }
    // A file that shrinks meanwhile ends early; what it grew by is not read.
    size_t size = static_cast<size_t>(st.st_size);
    size_t got = 0;
    while (got < size) {
        ssize_t n = read(fd, text + got, size - got);
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    text[got] = '\0';
    close(fd);
    return text;
}
