// The installation's place: the search for an earlier installation at the
// fixed place /usr/Varen/tvxx, the reduction of a path to its installation
// base, the move of an installation to a new base, and the completion of a
// move that an earlier run left half done.
#include "driver/place.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "install/owndirs.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/fileops.h"
#include "syscmd/run.h"

// The pieces of the application directory BASE/Varen/tvxx and of the fixed
// place /usr/Varen/tvxx where an installation is always found.
static constexpr char DefaultBase[] = "/usr";
static constexpr char VendorDir[] = "Varen";
static constexpr char ProductDir[] = "tvxx";
static constexpr char FixedPlace[] = "/usr/Varen/tvxx";

// Removes every final "/" but the one that names the root directory.
static void DropTrailingSlashes(char *path) {
    size_t len = strlen(path);
    while (len > 1 && path[len - 1] == '/') {
        path[--len] = '\0';
    }
}

// Cuts the last component of path (given without trailing slashes) when it
// is exactly name, together with the slashes before it.
static void CutLastComponent(char *path, const char *name) {
    size_t len = strlen(path);
    size_t nameLen = strlen(name);
    if (len <= nameLen || path[len - nameLen - 1] != '/' ||
        strcmp(path + len - nameLen, name) != 0) {
        return;
    }
    path[len - nameLen] = '\0';
    DropTrailingSlashes(path);
}

char *StripToBaseName(char *path) {
    if (path == nullptr) {
        return nullptr;
    }
    DropTrailingSlashes(path);
    CutLastComponent(path, ProductDir);
    CutLastComponent(path, VendorDir);
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
    // The whole text of the link, never cut, which would name another base.
    char *target = ReadLinkText(probe);
    PutMem(probe);
    if (target == nullptr) {
        // A real directory (or any entry that is no link): the installation
        // lives in /usr itself.
        return base;
    }
    PutMem(base);
    // A relative link text is taken relative to /usr, not to /usr/Varen.
    char *where = target[0] == '/' ? SaveStr("%s", target) : SaveStr("%s/%s", DefaultBase, target);
    PutMem(target);
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

// Names next to the fixed place that a move uses while it runs; a run that
// finds them knows that an earlier move was interrupted. The pending link
// points to the new application directory before anything is copied, and is
// renamed over the fixed place to commit the move; once the directory it
// points to exists, that directory is complete and the move only goes
// forward. The set-aside name holds what stood at the fixed place (the old
// directory, or the old link) from just before the commit until the old copy
// is removed. A copy to another file system is made under the staging suffix
// and renamed when complete.
static constexpr char PendingLink[] = "/usr/Varen/tvxx.link";
static constexpr char SetAside[] = "/usr/Varen/tvxx.old";
static constexpr char StagingSuffix[] = ".partial";

// True when something is at path (a final link is not followed).
static bool Present(const char *path) {
    struct stat st;
    return lstat(path, &st) == 0;
}

// True when path leads to an existing entry: a directory, or a link whose
// target exists.
static bool Stands(const char *path) {
    struct stat st;
    return stat(path, &st) == 0;
}

// True when both paths lead (links followed) to one existing entry.
static bool SameTarget(const char *a, const char *b) {
    struct stat sa;
    struct stat sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// True when the entry at a (not followed) and the directory b lie on one file
// system, so that a rename may move a to b's directory.
static bool SameFileSystem(const char *a, const char *b) {
    struct stat sa;
    struct stat sb;
    return lstat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev;
}

// The application directory BASE/Varen/tvxx that the link at linkPath names,
// composed from the link's text as the run composes every application
// directory (a relative text counts from /usr), never by following the link;
// a saved string, or null when the link cannot be read or its text may not
// reach a command line.
static char *AppDirNamedBy(const char *linkPath) {
    char *text = ReadLinkText(linkPath);
    if (text == nullptr) {
        return nullptr;
    }
    char *base = text[0] == '/' ? SaveStr("%s", text) : SaveStr("%s/%s", DefaultBase, text);
    PutMem(text);
    StripToBaseName(base);
    char *app = SaveStr("%s/%s/%s", base, VendorDir, ProductDir);
    PutMem(base);
    if (!IsShellSafePath(app)) {
        PutMem(app);
        return nullptr;
    }
    return app;
}

// Removes the old copy a move set aside: the old directory under the
// set-aside name, or the old link there and the application directory it
// names, by that name (a link planted there is removed, never followed).
// What the fixed place leads to is never removed.
static void RemoveSetAside() {
    int type = GetFileType(SetAside);
    if (type == 0) {
        return;
    }
    if (type != 2) {
        if (!SameTarget(SetAside, FixedPlace)) {
            SysCmd(CMD_RM_R, MODE_FATAL, " %s", SetAside);
        }
        return;
    }
    char *old = AppDirNamedBy(SetAside);
    if (old != nullptr && Present(old) && !SameTarget(old, FixedPlace)) {
        SysCmd(CMD_RM_R, MODE_FATAL, " %s", old);
    }
    PutMem(old);
    SysCmd(CMD_RM, MODE_FATAL, "%s", SetAside);
}

// Takes what stands at the fixed place out of the way of the commit, under
// the set-aside name. Where the file system cannot rename it (EXDEV: the old
// directory lies in a lower layer of an overlay), it is removed instead:
// callers do this only while a complete new copy stands behind the pending
// link, which the next run commits whatever is left of the old one.
static void SetAsideFixedPlace() {
    if (Present(SetAside)) {
        RemoveSetAside();
    }
    if (RenameStep(MODE_FATAL, FixedPlace, SetAside) == EXDEV) {
        SysCmd(CMD_RM_R, MODE_FATAL, " %s", FixedPlace);
    }
}

// Brings the tree from to the name to: one rename, or, where the file system
// cannot rename it there, a copy under the staging name renamed when
// complete. True when from was renamed (it is gone), false when copied.
static bool MoveTree(const char *from, const char *to, bool tryRename) {
    if (tryRename && RenameStep(MODE_FATAL, from, to) == 0) {
        return true;
    }
    char *staging = SaveStr("%s%s", to, StagingSuffix);
    DeleteFile(staging, nullptr);
    SysCmd(CMD_CP_R, MODE_FATAL, "%s %s", from, staging);
    RenameStep(MODE_FATAL, staging, to);
    PutMem(staging);
    return false;
}

// The directory the pending link names (a saved string), or null when it is
// no absolute path that may reach a command line.
static char *PendingTarget() {
    char *target = ReadLinkText(PendingLink);
    if (target != nullptr && (target[0] != '/' || !IsShellSafePath(target))) {
        PutMem(target);
        return nullptr;
    }
    return target;
}

void finishInterruptedMove() {
    if (Present(PendingLink)) {
        char *target = PendingTarget();
        if (target != nullptr && GetFileType(FixedPlace) == 1 && SameTarget(FixedPlace, target)) {
            // The link leads to the directory at the fixed place: nothing to
            // commit.
            SysCmd(CMD_RM, MODE_FATAL, "%s", PendingLink);
        } else if (target != nullptr && GetFileType(target) == 1) {
            // The new copy is complete: the move goes on to its commit,
            // whatever is left of the old copy at the fixed place.
            if (Present(FixedPlace) && !SameTarget(FixedPlace, target)) {
                SetAsideFixedPlace();
            }
            RenameStep(MODE_FATAL, PendingLink, FixedPlace);
        } else {
            // The move never had a complete new copy: it is undone.
            if (target != nullptr) {
                char *staging = SaveStr("%s%s", target, StagingSuffix);
                DeleteFile(staging, nullptr);
                PutMem(staging);
                if (Present(target) && !SameTarget(target, FixedPlace)) {
                    SysCmd(CMD_RM_R, MODE_FATAL, " %s", target);
                }
            }
            SysCmd(CMD_RM, MODE_FATAL, "%s", PendingLink);
        }
        PutMem(target);
    }
    // Nothing usable at the fixed place: what was set aside goes back.
    if (!Stands(FixedPlace) && Stands(SetAside)) {
        RenameStep(MODE_FATAL, SetAside, FixedPlace);
    }
    RemoveSetAside();
    char *staging = SaveStr("%s%s", FixedPlace, StagingSuffix);
    DeleteFile(staging, nullptr);
    PutMem(staging);
}

void moveInstallation() {
    const char *cur = pCurrentInstallDir;
    const char *dest = pTargetInstallDir;
    // Another spelling of the current base (/usr/., /usr//, a link to it)
    // names the installation itself: removing the target would destroy it.
    char *curApp = SaveStr("%s/%s/%s", cur, VendorDir, ProductDir);
    bool samePlace = SameEntry(curApp, pAppDir) || SameResolvedPath(cur, dest);
    if (samePlace) {
        PutMem(curApp);
        return;
    }
    // Whether the application comes to stand at the fixed place itself (by
    // name, or by another spelling of /usr) or elsewhere behind a link.
    bool toFixed = strcmp(FixedPlace, pAppDir) == 0 || SameEntry(FixedPlace, pAppDir);
    char *vendor = SaveStr("%s/%s", dest, VendorDir);

    if (!toFixed) {
        // The pending link must never lead to anything but the new copy:
        // what stands at the new place goes first, or the run stops.
        SysCmd(CMD_RM_R, MODE_FATAL, " %s", pAppDir);
    }
    char *staging = SaveStr("%s%s", pAppDir, StagingSuffix);
    DeleteFile(staging, nullptr);
    PutMem(staging);
    MakeOwnDirectory(vendor, "755");
    bool oneFileSystem = SameFileSystem(curApp, vendor);

    if (!toFixed) {
        // The pending link names the new place before anything is moved.
        DeleteFile(PendingLink, nullptr);
        SysCmd(CMD_LN, MODE_FATAL, "-s %s %s", pAppDir, PendingLink);
        bool renamed = MoveTree(curApp, pAppDir, oneFileSystem);
        // An old directory at the fixed place, or an old copy that stays
        // behind the old link, is set aside, so that the next run finds it.
        if (!renamed || GetFileType(FixedPlace) == 1) {
            SetAsideFixedPlace();
        }
        // The commit: one rename puts the new link at the fixed place.
        RenameStep(MODE_FATAL, PendingLink, FixedPlace);
    } else {
        // Back to the fixed place: a copy from another file system is made
        // before the old link is set aside, so that the fixed place stays
        // empty only for two renames.
        char *partial = SaveStr("%s%s", FixedPlace, StagingSuffix);
        if (!oneFileSystem) {
            SysCmd(CMD_CP_R, MODE_FATAL, "%s %s", curApp, partial);
        }
        SetAsideFixedPlace();
        if (oneFileSystem) {
            MoveTree(curApp, FixedPlace, true);
        } else {
            RenameStep(MODE_FATAL, partial, FixedPlace);
        }
        PutMem(partial);
    }
    RemoveSetAside();
    PutMem(vendor);
    PutMem(curApp);
}
