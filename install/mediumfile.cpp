// The check of a file of the install medium before the run reads, copies or
// runs it: a regular file of the medium's directory, or a link to one inside
// it. A link to a file elsewhere (a root-only file, say) is refused by its
// kind, so nothing of that file ever reaches a message or the log.
#include "install/mediumfile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "install/nls.h"
#include "support/describe.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"

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

} // namespace

bool RequireMediumFile(const char *dir, const char *name) {
    char *path = SaveStr("%s/%s", JoinDir(dir), name);
    char kind[KIND_SIZE];
    kind[0] = '\0';
    struct stat st;
    if (lstat(path, &st) != 0) {
        if (errno == ENOENT) {
            PutMem(path);
            return false;
        }
        snprintf(kind, sizeof(kind), "%s", "an entry that cannot be examined");
    } else if (S_ISLNK(st.st_mode)) {
        JudgeLink(dir, path, kind);
    } else if (!S_ISREG(st.st_mode)) {
        snprintf(kind, sizeof(kind), "%s", EntryKindName(st.st_mode));
    }
    if (kind[0] != '\0') {
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NOT_MEDIUM_FILE), path, kind);
        exit(1); // not reached: ErrorMsg of type 2 ends the run
    }
    PutMem(path);
    return true;
}
