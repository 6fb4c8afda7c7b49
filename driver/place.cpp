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
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "install/owndirs.h"
#include "install/nls.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/noted.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/fileops.h"
#include "syscmd/log.h"
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

// The mark a first installation leaves next to the fixed place until it ends.
static constexpr char FirstMark[] = "/usr/Varen/tvxx.first";

// True when the directory dir holds nothing, or nothing but lost+found (the
// root of a freshly made volume).
static bool EmptyPlace(const char *dir) {
    DIR *handle = opendir(dir);
    if (handle == nullptr) {
        return false;
    }
    bool empty = true;
    for (struct dirent *e = readdir(handle); e != nullptr && empty; e = readdir(handle)) {
        empty = strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0 ||
                strcmp(e->d_name, "lost+found") == 0;
    }
    closedir(handle);
    return empty;
}

// True when app holds an installation of the suite: its tvqadmin is a
// regular file there.
static bool HoldsSuite(const char *app) {
    struct stat st;
    char *program = SaveStr("%s/tvqadmin", app);
    bool installed = lstat(program, &st) == 0 && S_ISREG(st.st_mode);
    PutMem(program);
    return installed;
}

// True when path is a directory on which a file system is mounted: it lies
// on another device than its parent, or /proc/self/mountinfo lists it (a
// bind mount of the same device).
static bool IsMountPoint(const char *path) {
    char real[PATH_MAX];
    struct stat st;
    struct stat up;
    if (realpath(path, real) == nullptr || stat(real, &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    char *parent = SaveStr("%s/..", real);
    bool other = stat(parent, &up) == 0 && up.st_dev != st.st_dev;
    PutMem(parent);
    FILE *table = fopen("/proc/self/mountinfo", "re");
    char line[4096];
    while (!other && table != nullptr && fgets(line, sizeof line, table) != nullptr) {
        // The fifth field is the mount point (a blank in it written as \040).
        char *save = nullptr;
        char *field = strtok_r(line, " ", &save);
        for (int i = 1; i < 5 && field != nullptr; i++) {
            field = strtok_r(nullptr, " ", &save);
        }
        other = field != nullptr && strcmp(field, real) == 0;
    }
    if (table != nullptr) {
        fclose(table);
    }
    return other;
}

// Ends the run with status 1: message id with up to three arguments on
// standard error and in the log.
[[noreturn]] static void RefusePlace(int id, const char *a, const char *b = nullptr,
                                     const char *c = nullptr) {
    const char *text = nlsSetupStrCvt(id);
    fprintf(stderr, text, a, b, c);
    fflush(stderr);
    PutLogMsg(text, a, b, c);
    exit(1);
}

char *FindEarlierInstallation(char **firstPlace) {
    *firstPlace = nullptr;
    char *base = locatePreviousInstallation();
    if (base == nullptr) {
        return nullptr;
    }
    // A first installation that an earlier run began is taken up wherever it
    // stands, its program not yet there.
    struct stat st;
    if (lstat(FirstMark, &st) == 0 && S_ISREG(st.st_mode)) {
        return base;
    }
    char *text = ReadLinkText(FixedPlace);
    if (text != nullptr && stat(FixedPlace, &st) != 0) {
        RefusePlace(MSG_DANGLING_LINK, FixedPlace, text);
    }
    PutMem(text);
    char *app = SaveStr("%s/%s/%s", base, VendorDir, ProductDir);
    if (HoldsSuite(app)) {
        PutMem(app);
        return base;
    }
    if (!EmptyPlace(app)) {
        RefusePlace(MSG_NO_INSTALLATION, app);
    }
    PutLogMsg("%s holds no installation and is empty: the place of a first installation\n", app);
    PutMem(app);
    *firstPlace = base;
    return nullptr;
}

void ClearFirstPlace(const char *firstPlace, const char *base) {
    char real[PATH_MAX];
    char wanted[PATH_MAX];
    if (firstPlace == nullptr || (realpath(firstPlace, real) != nullptr &&
                                  realpath(base, wanted) != nullptr && strcmp(real, wanted) == 0)) {
        return;
    }
    // The first installation goes elsewhere; its link takes the place of
    // the empty directory, which holds nothing to keep, or of the link to
    // one (removed, never followed). A volume mounted there stays as it is.
    if (GetFileType(FixedPlace) == 2) {
        SysCmd(CMD_RM, MODE_FATAL, "%s", FixedPlace);
        return;
    }
    if (IsMountPoint(FixedPlace)) {
        RefusePlace(MSG_MOUNT_POINT, FixedPlace);
    }
    PutLogMsg("rmdir %s (empty; the first installation goes to %s)\n", FixedPlace, base);
    if (rmdir(FixedPlace) != 0) {
        RefusePlace(MSG_NO_INSTALLATION, FixedPlace);
    }
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
// directory lies in a lower layer of an overlay; EPERM on some file
// systems), it is removed instead: callers do this only while a complete new
// copy stands behind the pending link, which the next run commits whatever
// is left of the old one.
static void SetAsideFixedPlace() {
    if (Present(SetAside)) {
        RemoveSetAside();
    }
    if (RenameStep(MODE_FATAL, FixedPlace, SetAside, true) != 0) {
        SysCmd(CMD_RM_R, MODE_FATAL, " %s", FixedPlace);
    }
}

// The directory on which the file system holding path is mounted (a saved
// string): path resolved, then cut while its parent lies on one device.
static char *MountPointOf(const char *path) {
    char real[PATH_MAX];
    if (realpath(path, real) == nullptr) {
        return SaveStr("%s", path);
    }
    struct stat here;
    struct stat up;
    char *slash = strrchr(real, '/');
    while (slash != nullptr && slash != real && stat(real, &here) == 0) {
        *slash = '\0';
        if (stat(real, &up) != 0 || up.st_dev != here.st_dev) {
            *slash = '/';
            break;
        }
        slash = strrchr(real, '/');
    }
    if (slash == real && stat(real, &here) == 0 && stat("/", &up) == 0 && up.st_dev == here.st_dev) {
        return SaveStr("/");
    }
    return SaveStr("%s", real);
}

// True when the file system holding dir has no room left: (nearly) no free
// blocks or no free inodes.
static bool FileSystemFull(const char *dir) {
    struct statvfs fs;
    if (statvfs(dir, &fs) != 0) {
        return false;
    }
    constexpr unsigned long long Slack = 64 * 1024;
    unsigned long long freeBytes = static_cast<unsigned long long>(fs.f_bfree) * fs.f_frsize;
    return freeBytes < Slack || fs.f_ffree == 0;
}

// Copies the tree from to staging (removed first). A copy that fails is
// removed at once, and so is the pending link (the move then never began:
// the installation at from is untouched); the run stops with status 1: on a
// full file system with one line naming it and "no space left", else as a
// failed command stops it, the command's last line of error output shown.
static void CopyTree(const char *from, const char *staging) {
    DeleteFile(staging, nullptr);
    if (SysCmd(CMD_CP_R, MODE_WARN, "%s %s", from, staging) == 0) {
        return;
    }
    char *dir = SaveStr("%s", staging);
    char *slash = strrchr(dir, '/');
    if (slash != nullptr && slash != dir) {
        *slash = '\0';
    }
    bool full = FileSystemFull(dir) || strstr(LastErrorLine(), strerror(ENOSPC)) != nullptr;
    char *mount = MountPointOf(dir);
    char lastLine[256];
    snprintf(lastLine, sizeof lastLine, "%s", LastErrorLine());
    SysCmd(CMD_RM_R, MODE_WARN, " %s", staging);
    char *pending = ReadLinkText(PendingLink);
    if (pending != nullptr && strncmp(staging, pending, strlen(pending)) == 0) {
        SysCmd(CMD_RM, MODE_WARN, "%s", PendingLink);
    }
    PutMem(pending);
    if (full) {
        // Named as the copy was to be named when complete.
        size_t len = strlen(staging) - strlen(StagingSuffix);
        RefusePlace(MSG_NO_SPACE_LEFT, mount, SaveStr("%.*s", static_cast<int>(len), staging), from);
    }
    PutLogMsg("ERROR: the copy of %s failed: %s\n", from, lastLine);
    fprintf(stderr, "ERROR: the copy of %s failed: %s\n", from, lastLine);
    exit(1);
}

// Brings the tree from to the name to: one rename, or, where the file system
// cannot rename it there, a copy under the staging name renamed when
// complete. True when from was renamed (it is gone), false when copied.
static bool MoveTree(const char *from, const char *to, bool tryRename) {
    if (tryRename && RenameStep(MODE_FATAL, from, to, true) == 0) {
        return true;
    }
    char *staging = SaveStr("%s%s", to, StagingSuffix);
    CopyTree(from, staging);
    RenameStep(MODE_FATAL, staging, to);
    PutMem(staging);
    return false;
}

// The directory the pending link names (a saved string), or null when it is
// no absolute path that may reach a command line.
static char *PendingTarget() {
    char *target = ReadLinkText(PendingLink);
    // A move names an application directory BASE/Varen/tvxx, nothing else.
    size_t len = target != nullptr ? strlen(target) : 0;
    size_t tail = sizeof "/Varen/tvxx" - 1;
    bool app = len > tail && strcmp(target + len - tail, "/Varen/tvxx") == 0;
    if (target != nullptr && (target[0] != '/' || !app || !IsShellSafePath(target))) {
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
            PutLogMsg("found %s of an interrupted move, leading to %s itself: removed\n", PendingLink, FixedPlace);
            SysCmd(CMD_RM, MODE_FATAL, "%s", PendingLink);
        } else if (target != nullptr && GetFileType(target) == 1 && HoldsSuite(target) &&
                   !IsMountPoint(target) && !IsMountPoint(FixedPlace)) {
            // The new copy is complete: the move goes on to its commit,
            // whatever is left of the old copy at the fixed place.
            PutLogMsg("found %s of an interrupted move, %s complete: the move is finished\n", PendingLink, target);
            if (Present(FixedPlace) && !SameTarget(FixedPlace, target)) {
                SetAsideFixedPlace();
            }
            RenameStep(MODE_FATAL, PendingLink, FixedPlace);
        } else {
            // The move never had a complete new copy (a copy is renamed to
            // its place only when whole, so what stands there without the
            // suite is not the move's, and is left), or its installation is
            // a volume mounted at the fixed place that no move may take
            // away: it is undone.
            PutLogMsg("found %s of an interrupted move: undone, the installation stays at %s\n", PendingLink, FixedPlace);
            if (target != nullptr) {
                char *staging = SaveStr("%s%s", target, StagingSuffix);
                DeleteFile(staging, nullptr);
                PutMem(staging);
            }
            SysCmd(CMD_RM, MODE_FATAL, "%s", PendingLink);
        }
        PutMem(target);
    }
    // Nothing usable at the fixed place: what was set aside goes back.
    if (!Stands(FixedPlace) && Stands(SetAside)) {
        PutLogMsg("found %s of an interrupted move and nothing at %s: put back\n", SetAside, FixedPlace);
        RenameStep(MODE_FATAL, SetAside, FixedPlace);
    }
    if (Present(SetAside)) {
        PutLogMsg("found %s of an interrupted move: the old copy is removed\n", SetAside);
        RemoveSetAside();
    }
    char *staging = SaveStr("%s%s", FixedPlace, StagingSuffix);
    if (Present(staging)) {
        PutLogMsg("found %s of an interrupted copy: removed\n", staging);
        DeleteFile(staging, nullptr);
    }
    PutMem(staging);
}

void RefuseMountedMove() {
    if (pCurrentInstallDir == nullptr || strcmp(pTargetInstallDir, pCurrentInstallDir) == 0) {
        return;
    }
    char *curApp = SaveStr("%s/%s/%s", pCurrentInstallDir, VendorDir, ProductDir);
    bool samePlace = SameEntry(curApp, pAppDir) || SameResolvedPath(pCurrentInstallDir, pTargetInstallDir);
    const char *apps[] = {curApp, pAppDir};
    for (const char *app : apps) {
        if (!samePlace && IsMountPoint(app)) {
            RefusePlace(MSG_MOUNT_POINT, app);
        }
    }
    // The fixed place itself is renamed when the installation leaves it.
    if (!samePlace && GetFileType(FixedPlace) == 1 && IsMountPoint(FixedPlace)) {
        RefusePlace(MSG_MOUNT_POINT, FixedPlace);
    }
    PutMem(curApp);
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
        NoteEntry(FixedPlace, NOTE_MADE);
    } else {
        // Back to the fixed place: a copy from another file system is made
        // before the old link is set aside, so that the fixed place stays
        // empty only for two renames.
        char *partial = SaveStr("%s%s", FixedPlace, StagingSuffix);
        if (!oneFileSystem) {
            CopyTree(curApp, partial);
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
