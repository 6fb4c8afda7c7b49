// The driver's path routines and the steps around the site installation: the
// search for an earlier installation at the fixed place, the reduction of a
// path to its installation base, the move of an installation to a new base,
// and the final clean-up.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "driver/globals.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/fileops.h"
#include "syscmd/run.h"

// The pieces of the application directory BASE/Varen/tvxx and of the fixed
// place /usr/Varen/tvxx where an installation is always found.
static constexpr char DefaultBase[] = "/usr";
static constexpr char VendorDir[] = "Varen";
static constexpr char ProductDir[] = "tvxx";

char *StripToBaseName(char *path) {
    if (path == nullptr) {
        return nullptr;
    }
    char *cut = strstr(path, ProductDir);
    if (cut != nullptr) {
        *cut = '\0';
    }
    cut = strstr(path, VendorDir);
    if (cut != nullptr) {
        *cut = '\0';
    }
    size_t len = strlen(path);
    if (len > 1 && path[len - 1] == '/') {
        path[len - 1] = '\0';
    }
    return path;
}

char *locatePreviousInstallation() {
    char *base = SaveStr("%s", DefaultBase);
    char *probe = SaveStr("%s/%s/%s", DefaultBase, VendorDir, ProductDir);
    struct stat st;
    if (lstat(probe, &st) != 0) {
        PutMem(probe);
        PutMem(base);
        return nullptr;
    }
    char target[256];
    memset(target, 0, sizeof target);
    ssize_t len = readlink(probe, target, sizeof target - 1);
    PutMem(probe);
    if (len <= 0) {
        // A real directory (or any entry that is no link): the installation
        // lives in /usr itself.
        return base;
    }
    PutMem(base);
    // A relative link text is taken relative to /usr, not to /usr/Varen.
    char *where = target[0] == '/' ? SaveStr("%s", target) : SaveStr("%s/%s", DefaultBase, target);
    return StripToBaseName(where);
}

// True when both paths can be examined and name one entry (same device and
// inode). A final symbolic link is not followed: a link at the fixed place is
// another entry than the directory it points to.
static bool SameEntry(const char *a, const char *b) {
    struct stat sa;
    struct stat sb;
    if (lstat(a, &sa) != 0 || lstat(b, &sb) != 0) {
        return false;
    }
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// True when the two bases resolve to one and the same directory.
static bool SameResolvedPath(const char *a, const char *b) {
    char ra[PATH_MAX];
    char rb[PATH_MAX];
    if (realpath(a, ra) == nullptr || realpath(b, rb) == nullptr) {
        return false;
    }
    return strcmp(ra, rb) == 0;
}

void moveInstallation() {
    const char *cur = pCurrentInstallDir;
    const char *dest = pTargetInstallDir;
    // Another spelling of the current base (/usr/., /usr//, a link to it)
    // names the installation itself: removing the target would destroy it.
    char *curApp = SaveStr("%s/%s/%s", cur, VendorDir, ProductDir);
    bool samePlace = SameEntry(curApp, pAppDir) || SameResolvedPath(cur, dest);
    PutMem(curApp);
    if (samePlace) {
        return;
    }
    SysCmd(CMD_RM_R, MODE_WARN, " %s", pAppDir);
    char *vendor = SaveStr("%s/%s", dest, VendorDir);
    CreateFile(vendor, nullptr, "755", nullptr, nullptr);
    PutMem(vendor);
    SysCmd(CMD_MV, MODE_FATAL, "-f %s/%s/%s %s/%s", cur, VendorDir, ProductDir, dest, VendorDir);

    // The fixed place needs a link unless the application now stands there
    // itself (by name, or by another spelling of /usr).
    char *fixed = SaveStr("%s/%s/%s", DefaultBase, VendorDir, ProductDir);
    bool atFixedPlace = strcmp(fixed, pAppDir) == 0 || SameEntry(fixed, pAppDir);
    PutMem(fixed);
    if (atFixedPlace) {
        return;
    }
    SysCmd(CMD_RM, MODE_WARN, "%s/%s/%s", DefaultBase, VendorDir, ProductDir);
    SysCmd(CMD_LN, MODE_FATAL, "-s %s/%s/%s %s/%s/%s", dest, VendorDir, ProductDir, DefaultBase,
           VendorDir, ProductDir);
}

// True when dir can be listed and holds nothing but "." and "..".
static bool IsEmptyDirectory(const char *dir) {
    char *list = GetDirFileList(dir);
    if (list == nullptr) {
        return false;
    }
    bool empty = true;
    for (char *name = GetTokenParse(list, " "); name != nullptr && empty;
         name = GetTokenParse(nullptr, " ")) {
        empty = strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
    }
    PutMem(list);
    return empty;
}

// Runs one tvqadmin pass directly through the shell (no log, no redirection;
// its result does not matter), then prints a progress dot.
static void RunSuiteTool(const char *option) {
    char *line = SaveStr("%s/tvqadmin %s", pAppDir, option);
    fflush(stdout);
    int ignored = system(line);
    (void)ignored;
    PutMem(line);
    fputs(".", stdout);
    fflush(stdout);
}

// Changes the working directory. A failure changes nothing for the clean-up:
// it goes on from wherever the process stands.
static void ChangeDirectory(const char *dir) {
    int ignored = chdir(dir);
    (void)ignored;
}

void VarenClean(const char *workArea) {
    ChangeDirectory("/");
    SysCmd(CMD_RM_R, MODE_WARN, " %s", workArea);
    if (flCreatedTmpDir) {
        ChangeDirectory(DefaultBase);
        SysCmd(CMD_RM_R, MODE_WARN, " %s", pVarenInstallDir);
        // The directory the installer made for the work area goes too, but
        // only when nothing else was put there. A relative name no longer
        // names it after the change of directory, so only absolute ones.
        if (pCreatedWorkDir != nullptr && pCreatedWorkDir[0] == '/' &&
            IsEmptyDirectory(pCreatedWorkDir)) {
            SysCmd(CMD_RM_R, MODE_WARN, " %s", pCreatedWorkDir);
        }
    }
    RunSuiteTool("-upgrade");
    RunSuiteTool("-clean");
    fputs("\n", stdout);
    fflush(stdout);
}
