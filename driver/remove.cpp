// Taking the suite off the host: every entry the record says the runs made
// is removed while it still is what the record says, children before their
// directory, never through a link; what cannot or must not go is kept in
// the record, marked so, for the next removal.
#include "driver/remove.h"

#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "driver/lock.h"
#include "driver/record.h"
#include "install/nls.h"
#include "install/owndirs.h"
#include "install/running.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/globals.h"
#include "support/mem.h"
#include "support/record_entry.h"
#include "support/savestr.h"
#include "support/sha256.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
#include "syscmd/query.h"
#include "syscmd/run.h"

namespace {

// Exit status of a removal that left entries it could not remove.
constexpr int STATUS_NOT_REMOVED = 3;
// The names of the suite's filters that a print queue may still name.
constexpr const char *FILTER_NAMES[] = {"VarenPrinttvxx", "VarenVSF"};
static_assert(sizeof(FILTER_NAMES) / sizeof(FILTER_NAMES[0]) == 2, "the two filters of the suite");
// Where the print spoolers keep their queues' descriptions.
constexpr char PPD_DIR[] = "/etc/cups/ppd";
constexpr char PRINTCAP[] = "/etc/printcap";
// Longest queue description read whole; a longer one is not searched.
constexpr off_t QUEUE_FILE_LIMIT = 4 * 1024 * 1024;
// Largest file whose digest is taken; a longer one counts as changed.
constexpr uint64_t DIGEST_LIMIT = 1ULL << 40;
// Directory levels below one of the suite's open directories that are
// emptied; each holds a descriptor.
constexpr int EMPTY_DEPTH = 64;

// What became of an entry.
enum Outcome : char {
    PENDING = 0,
    GONE = 1,   // removed, or not there
    KEPT = 2,   // left where it is, stays in the record marked kept
    FAILED = 3, // could not be removed: stays, named on standard error
};

// The removal's state: the record, what became of each entry, the counts.
struct Removal {
    Record record;
    char *outcome; // one Outcome for each entry
    bool purge;
    int failed; // entries that could not be removed
};

// The record's entry at path, or null.
const RecordEntry *FindEntry(const Removal &r, const char *path) {
    return FindRecordEntry(r.record, path);
}

// Whether the entry is one the removal takes off (made, or kept before).
bool IsSuites(const RecordEntry &e) {
    return e.how == HOW_MADE || e.how == HOW_KEPT;
}

// Whether the recorded entry is a directory of the suite that others may
// write (the log directory of group lp, the queue and download
// directories): what is in it is reached through descriptors only. A
// directory that only group root may write besides root (the installer's
// own 775 root:root, such as /var/spool/Varen, which other products of the
// maker share) is none: what other software put there stays.
bool IsOpenSuiteDir(const RecordEntry *e) {
    return e != nullptr && IsSuites(*e) && e->type == 'd' &&
           ((e->mode & S_IWOTH) != 0 || ((e->mode & S_IWGRP) != 0 && e->gid != 0));
}

// The path as the log and the messages show it (saved): escaped as in the
// record, so that it stands on one line.
char *Shown(const char *path) {
    return EscapeRecordField(path);
}

// Says on standard output, and in the log, that the entry at path is kept
// (message id).
void ListKept(int id, const char *path) {
    char *shown = Shown(path);
    EndDotLine();
    printf(nlsSetupStrCvt(id), shown);
    fflush(stdout);
    PutLogMsg("kept: %s\n", shown);
    PutMem(shown);
}

// Says on standard error, and in the log, that the entry at path could not
// be removed, and counts it.
void ListFailed(Removal *r, const char *path) {
    char *shown = Shown(path);
    EndDotLine();
    fprintf(stderr, nlsSetupStrCvt(MSG_NOT_REMOVED), shown);
    fflush(stderr);
    PutLogMsg("WARNING: %s could not be removed\n", shown);
    PutMem(shown);
    r->failed++;
}

// Result of OpenDirectory besides a descriptor.
constexpr int DIR_MISSING = -1; // not there as a directory of its own (gone, or a link there)
constexpr int DIR_REFUSED = -2; // someone else can change the way to it, or it cannot be opened

// Opens the directory dir (absolute, as recorded) for the removal of its
// entries. The way to it must pass the directory chain rule and name it by
// real directories; a directory of the suite that others may write, on the
// way, is passed by opening one component after the other, never following
// a link. A refusal is shown on standard error.
int OpenDirectory(const Removal &r, const char *dir, int depth) {
    DirChain chain;
    if (CheckDirChain(dir, &chain)) {
        if (!chain.exists || strcmp(chain.resolved, dir) != 0) {
            return DIR_MISSING;
        }
        int fd = open(dir, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        return fd >= 0 ? fd
                       : (errno == ENOENT || errno == ELOOP || errno == ENOTDIR ? DIR_MISSING
                                                                                : DIR_REFUSED);
    }
    if (chain.fault == CHAIN_NOT_DIRECTORY) {
        return DIR_MISSING;
    }
    const RecordEntry *open = FindEntry(r, chain.where);
    size_t whereLen = strlen(chain.where);
    if (chain.fault != CHAIN_UNSAFE || !IsOpenSuiteDir(open) || depth <= 0 ||
        strncmp(dir, chain.where, whereLen) != 0 ||
        (dir[whereLen] != '/' && dir[whereLen] != '\0')) {
        EndDotLine();
        if (chain.fault == CHAIN_UNSAFE) {
            ShowUnsafeEntry(chain);
        }
        return DIR_REFUSED;
    }
    // Down from the directory above the open one, a component at a time.
    char *above = SaveStr("%s", chain.where);
    *strrchr(above, '/') = '\0';
    int fd = OpenDirectory(r, above[0] != '\0' ? above : "/", depth - 1);
    PutMem(above);
    char *rest = SaveStr("%s", dir + (strrchr(chain.where, '/') - chain.where) + 1);
    for (char *name = strtok(rest, "/"); name != nullptr && fd >= 0; name = strtok(nullptr, "/")) {
        int next = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        int err = errno;
        close(fd);
        fd = next >= 0
                 ? next
                 : (err == ENOENT || err == ELOOP || err == ENOTDIR ? DIR_MISSING : DIR_REFUSED);
    }
    PutMem(rest);
    return fd;
}

// Whether the entry name of dirFd (st, not followed) still is what the
// record says: its type and owner, and for a link the same target.
bool StillRecorded(const RecordEntry &e, int dirFd, const char *name, const struct stat &st) {
    char type = S_ISREG(st.st_mode)   ? 'f'
                : S_ISDIR(st.st_mode) ? 'd'
                : S_ISLNK(st.st_mode) ? 'l'
                                      : '?';
    if (type != e.type || st.st_uid != e.uid) {
        return false;
    }
    if (type != 'l') {
        return true;
    }
    char target[PATH_MAX + 1];
    ssize_t len = readlinkat(dirFd, name, target, sizeof(target));
    if (len < 0 || static_cast<size_t>(len) >= sizeof(target)) {
        return false;
    }
    target[len] = '\0';
    return e.target != nullptr && strcmp(target, e.target) == 0;
}

// Whether the regular file name of dirFd (st) holds other content than the
// record says: another size, or another digest. A file that cannot be read
// counts as changed.
bool ContentChanged(const RecordEntry &e, int dirFd, const char *name, const struct stat &st) {
    if (e.kind == KIND_RUNTIME || e.size == RECORD_NONE) {
        return false;
    }
    if (st.st_size != e.size) {
        return true;
    }
    int fd = openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat opened;
    char hex[SHA256_HEX_LEN + 1];
    bool same = fd >= 0 && fstat(fd, &opened) == 0 && opened.st_ino == st.st_ino &&
                opened.st_dev == st.st_dev && Sha256Descriptor(fd, DIGEST_LIMIT, hex) &&
                strcmp(hex, e.digest) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return !same;
}

// Removes the entry name of dirFd (path, for the log) as a logged step; 0,
// or the failure's code.
int RemoveStepShown(int dirFd, const char *name, const char *path, bool directory) {
    char *shown = Shown(path);
    int err = RemoveStep(MODE_LOG, dirFd, name, shown, directory);
    PutMem(shown);
    return err;
}

// Empties the directory name of dirFd (path), one of the suite's that others
// may write, through descriptors: what the record holds is left to its own
// entry; root's entries the suite wrote there since go, whole trees
// included; another user's go only with purge, else they are listed. True
// when it was emptied of all but recorded entries.
bool EmptyOpenDir(Removal *r, int dirFd, const char *name, const char *path, int depth) {
    int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR *dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0) {
            close(fd);
        }
        return false;
    }
    bool empty = true;
    for (const char *entry = ReadDir(dir); entry != nullptr; entry = ReadDir(dir)) {
        if (strcmp(entry, ".") == 0 || strcmp(entry, "..") == 0) {
            continue;
        }
        char *child = SaveStr("%s/%s", path, entry);
        struct stat st;
        if (FindEntry(*r, child) != nullptr || fstatat(fd, entry, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            // A recorded entry stays for its own turn (it is kept when it
            // is still there); one gone meanwhile is done.
            empty = empty && FindEntry(*r, child) == nullptr;
        } else if (st.st_uid != 0 && !r->purge) {
            ListKept(MSG_KEPT_FOREIGN, child);
            empty = false;
        } else if (S_ISDIR(st.st_mode)) {
            bool emptied = depth > 0 && EmptyOpenDir(r, fd, entry, child, depth - 1);
            if (!emptied) {
                empty = false;
            } else if (RemoveStepShown(fd, entry, child, true) != 0) {
                ListFailed(r, child);
                empty = false;
            }
        } else if (RemoveStepShown(fd, entry, child, false) != 0) {
            ListFailed(r, child);
            empty = false;
        }
        PutMem(child);
    }
    closedir(dir);
    return empty;
}

// Lists the entries of the directory name of dirFd (path) that the record
// does not hold: what other software put into a directory of the suite.
void ListForeign(int dirFd, const char *name, const char *path, const Removal &r) {
    int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR *dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0) {
            close(fd);
        }
        return;
    }
    for (const char *entry = ReadDir(dir); entry != nullptr; entry = ReadDir(dir)) {
        char *child = SaveStr("%s/%s", path, entry);
        if (strcmp(entry, ".") != 0 && strcmp(entry, "..") != 0 && FindEntry(r, child) == nullptr) {
            ListKept(MSG_KEPT_FOREIGN, child);
        }
        PutMem(child);
    }
    closedir(dir);
}

// Takes off entry i when it still is what the record says; sets its outcome.
void RemoveRecorded(Removal *r, int i) {
    const RecordEntry &e = r->record.entries[i];
    char *dir = SaveStr("%s", e.path);
    char *slash = strrchr(dir, '/');
    const char *name = e.path + (slash - dir) + 1;
    *slash = '\0';
    int fd = OpenDirectory(*r, dir[0] != '\0' ? dir : "/", EMPTY_DEPTH);
    // What stands in one of the suite's open directories in place of its
    // entry, another user may have put there: it goes with purge.
    bool inOpenDir = IsOpenSuiteDir(FindEntry(*r, dir[0] != '\0' ? dir : "/"));
    PutMem(dir);
    if (fd == DIR_MISSING || fd == DIR_REFUSED) {
        r->outcome[i] = fd == DIR_MISSING ? GONE : FAILED;
        if (fd == DIR_REFUSED) {
            ListFailed(r, e.path);
        }
        return;
    }
    struct stat st;
    bool changed = false;
    if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        r->outcome[i] = errno == ENOENT ? GONE : FAILED;
    } else if ((changed = !StillRecorded(e, fd, name, st) ||
                          (e.type == 'f' && !r->purge && ContentChanged(e, fd, name, st))) &&
               !(r->purge && inOpenDir && !S_ISDIR(st.st_mode))) {
        ListKept(MSG_KEPT_CHANGED, e.path);
        r->outcome[i] = KEPT;
    } else if (changed) {
        r->outcome[i] = RemoveStepShown(fd, name, e.path, false) == 0 ? GONE : FAILED;
    } else if (e.type != 'd') {
        r->outcome[i] = RemoveStepShown(fd, name, e.path, false) == 0 ? GONE : FAILED;
    } else {
        // A directory goes only once empty: recorded entries below it that
        // were kept keep it, and so do entries that are not the suite's.
        bool emptied = !IsOpenSuiteDir(&e) || EmptyOpenDir(r, fd, name, e.path, EMPTY_DEPTH);
        // Below it, an entry kept (or that could not go) keeps it: no attempt.
        size_t len = strlen(e.path);
        bool keptBelow = false;
        for (int j = i + 1;
             j < r->record.count && strncmp(r->record.entries[j].path, e.path, len) == 0; j++) {
            keptBelow =
                keptBelow || (r->record.entries[j].path[len] == '/' && r->outcome[j] != GONE);
        }
        int err = emptied && !keptBelow ? RemoveStepShown(fd, name, e.path, true) : ENOTEMPTY;
        if ((err == ENOTEMPTY || err == EEXIST) && emptied && !keptBelow) {
            ListForeign(fd, name, e.path, *r);
        }
        // A mount point the administrator made for the suite stays, empty:
        // the suite is off it, and the mount is the administrator's.
        if (err == EBUSY) {
            PutLogMsg("%s is a mount point: it stays, empty\n", e.path);
            err = 0;
        }
        r->outcome[i] = err == 0 ? GONE : (err == ENOTEMPTY || err == EEXIST) ? KEPT : FAILED;
    }
    if (r->outcome[i] == FAILED) {
        ListFailed(r, e.path);
    }
    close(fd);
}

// The whole regular file name of dirFd as allocator memory (with a NUL
// behind its *size bytes) when it is root's, writable by no one else and
// at most QUEUE_FILE_LIMIT bytes long; never through a link; null otherwise.
char *ReadRootFile(int dirFd, const char *name, size_t *size) {
    int fd = openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != 0 ||
        (st.st_mode & 022) != 0 || st.st_size > QUEUE_FILE_LIMIT) {
        if (fd >= 0) {
            close(fd);
        }
        return nullptr;
    }
    char *text = static_cast<char *>(GetMem(static_cast<int32_t>(st.st_size) + 1));
    size_t got = 0;
    for (ssize_t n = 1;
         text != nullptr && n > 0 && got<static_cast<size_t>(st.st_size); got += n> 0 ? n : 0) {
        n = read(fd, text + got, static_cast<size_t>(st.st_size) - got);
    }
    close(fd);
    *size = got;
    return text;
}

// Warns (message 97, standard error and log) when the bytes of text name
// one of the suite's filters: queue still uses it.
void WarnIfNamed(const char *text, size_t size, const char *queue, const char *file) {
    for (const char *filter : FILTER_NAMES) {
        if (memmem(text, size, filter, strlen(filter)) == nullptr) {
            continue;
        }
        char *shown = Shown(queue);
        char *where = Shown(file);
        EndDotLine();
        fprintf(stderr, nlsSetupStrCvt(MSG_QUEUE_USES), shown, where, filter);
        fflush(stderr);
        PutLogMsg("WARNING: the print queue %s (%s) still uses %s\n", shown, where, filter);
        PutMem(where);
        PutMem(shown);
    }
}

// Warns about the print queues whose filters still name the suite's: the
// PPD of every queue of the CUPS spooler, and every entry of the printcap
// file. Only root's files, never through a link, are read.
void WarnAboutQueues() {
    int ppd = open(PPD_DIR, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    DIR *dir = ppd >= 0 && fstat(ppd, &st) == 0 && st.st_uid == 0 ? fdopendir(ppd) : nullptr;
    if (dir == nullptr && ppd >= 0) {
        close(ppd);
    }
    for (const char *name = dir != nullptr ? ReadDir(dir) : nullptr; name != nullptr;
         name = ReadDir(dir)) {
        size_t len = strlen(name);
        size_t size = 0;
        char *text = len > 4 && strcmp(name + len - 4, ".ppd") == 0 ? ReadRootFile(ppd, name, &size)
                                                                    : nullptr;
        if (text != nullptr) {
            char *queue = SaveStr("%.*s", static_cast<int>(len - 4), name);
            char *file = SaveStr("%s/%s", PPD_DIR, name);
            WarnIfNamed(text, size, queue, file);
            PutMem(file);
            PutMem(queue);
        }
        PutMem(text);
    }
    if (dir != nullptr) {
        closedir(dir);
    }
    size_t size = 0;
    char *text = ReadRootFile(AT_FDCWD, PRINTCAP, &size);
    // An entry begins with its names at the start of a line that does not
    // continue the line before it (a final backslash, or a blank or a ":"
    // at the start of the next one); the first name is the queue's.
    char *queue = nullptr;
    bool continued = false;
    for (size_t at = 0; text != nullptr && at < size;) {
        const char *line = text + at;
        size_t len = strcspn(line, "\n");
        if (!continued && len > 0 && strchr(" \t:|#", line[0]) == nullptr) {
            PutMem(queue);
            queue = SaveStr("%.*s", static_cast<int>(strcspn(line, "|:\\ \t\n")), line);
        }
        if (queue != nullptr && line[0] != '#') {
            WarnIfNamed(line, len, queue, PRINTCAP);
        }
        continued = len > 0 && line[len - 1] == '\\';
        at += len + 1;
    }
    PutMem(queue);
    PutMem(text);
}

// Replaces the record by its text now, root's, mode 0644, through a rename;
// logged as a written file. False when it could not be written.
bool WriteRecordText(const Record &record) {
    char *path = SaveStr("%s/%s", RECORD_DIR, RECORD_NAME);
    char *text = FormatRecord(record);
    char *newPath = nullptr;
    FILE *out = text != nullptr ? StartReplacement(path, &newPath) : nullptr;
    bool done = out != nullptr && fputs(text, out) >= 0;
    done = out != nullptr && FinishReplacement(out, newPath, path, 0644) && done;
    if (done) {
        LogWrittenFile(path);
    } else {
        PutLogMsg("WARNING: couldn't write %s\n", path);
    }
    PutMem(text);
    PutMem(path);
    return done;
}

// Runs the suite's own clean-up when its tool is there and root may run it.
void RunSuiteClean(const char *app) {
    if (app == nullptr || !IsShellSafePath(app)) {
        return;
    }
    char *tool = SaveStr("%s/tvqadmin", app);
    DirChain chain;
    if (GetFileType(tool) == 3 && CheckFileChain(tool, &chain)) {
        KeepRunLockFromChildren();
        SysCmd(CMD_LINE, MODE_LOG, "%s -clean", tool);
    }
    PutMem(tool);
}

// The order of a removal: the application directory's entries but the
// suite's tool (an upgrade copies them again, and makes the directories of
// newdir lines with their links); then the entries elsewhere (the wrappers,
// the spool tree, the links); then the tool and the application directory;
// last the directories above it (/usr/Varen, BASE/Varen).
enum Phase : int {
    PHASE_IN_APP = 0,
    PHASE_ELSEWHERE = 1,
    PHASE_TOOL_AND_APP = 2,
    PHASE_ABOVE_APP = 3,
};

// The phase in which the entry at path goes, app being the recorded
// application directory (null: everything is elsewhere).
int PhaseOf(const char *app, const char *path) {
    if (app == nullptr) {
        return PHASE_ELSEWHERE;
    }
    size_t len = strlen(app);
    bool within = strncmp(path, app, len) == 0;
    if (within && path[len] == '\0') {
        return PHASE_TOOL_AND_APP;
    }
    if (within && path[len] == '/') {
        return strcmp(path + len, "/tvqadmin") == 0 ? PHASE_TOOL_AND_APP : PHASE_IN_APP;
    }
    size_t pathLen = strlen(path);
    bool above = strncmp(app, path, pathLen) == 0 && (app[pathLen] == '/' || strcmp(path, "/") == 0);
    return above ? PHASE_ABOVE_APP : PHASE_ELSEWHERE;
}

// Where every installation is found, a directory or a link to one.
constexpr char FIXED_PLACE[] = "/usr/Varen/tvxx";

// Ends the run with message 105 (status 1, nothing removed) when the record
// no longer describes the installation that stands at the fixed place: a
// move killed after its last step, before it wrote the record anew, left
// the suite where the record does not look (the recorded application
// directory is now the link, or the fixed place leads elsewhere). Removing
// by such a record would leave the suite behind, unrecorded. A removal
// already under way goes on: it may have taken the fixed place itself.
void RefuseMovedSince(const Record &record) {
    if (record.app == nullptr || (record.state != nullptr && strcmp(record.state, "removing") == 0)) {
        return;
    }
    char fixed[PATH_MAX];
    char recorded[PATH_MAX];
    struct stat st;
    bool appIsLink = lstat(record.app, &st) == 0 && S_ISLNK(st.st_mode);
    if (realpath(FIXED_PLACE, fixed) == nullptr) {
        return;
    }
    if (!appIsLink && realpath(record.app, recorded) != nullptr && strcmp(fixed, recorded) == 0) {
        return;
    }
    char *app = Shown(record.app);
    char *now = Shown(fixed);
    fprintf(stderr, nlsSetupStrCvt(MSG_MOVED_SINCE), app, now);
    PutLogMsg("stopped with status %d, nothing was removed: the record describes %s, the suite stands at %s\n",
              STATUS_REFUSED, app, now);
    exit(STATUS_REFUSED);
}

// Ends the record: removed with its directory (when that holds nothing else)
// when nothing of the suite is left; else rewritten with what is left, the
// suite's entries marked kept. Returns how many of the suite's are left.
int FinishRecord(Removal *r) {
    int left = 0;
    int count = 0;
    for (int i = 0; i < r->record.count; i++) {
        RecordEntry &e = r->record.entries[i];
        bool suites = IsSuites(e);
        if (suites && r->outcome[i] == GONE) {
            FreeRecordEntry(&e);
            continue;
        }
        if (suites) {
            e.how = HOW_KEPT;
            left++;
        }
        r->record.entries[count++] = e;
    }
    r->record.count = count;
    if (left > 0) {
        if (!WriteRecordText(r->record)) {
            r->failed++;
        }
        return left;
    }
    int dir = open(RECORD_DIR, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    char *path = SaveStr("%s/%s", RECORD_DIR, RECORD_NAME);
    if (dir < 0 || RemoveStep(MODE_LOG, dir, RECORD_NAME, path, false) != 0) {
        ListFailed(r, path);
    }
    PutMem(path);
    if (dir >= 0) {
        close(dir);
    }
    char *list = GetDirFileList(RECORD_DIR);
    if (list != nullptr && strcmp(list, " . .. ") == 0) {
        const char *slash = strrchr(RECORD_DIR, '/');
        char *above = SaveStr("%.*s", static_cast<int>(slash - RECORD_DIR), RECORD_DIR);
        int fd = open(above, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            RemoveStep(MODE_LOG, fd, slash + 1, RECORD_DIR, true);
            close(fd);
        }
        PutMem(above);
    }
    PutMem(list);
    return 0;
}

} // namespace

void RemoveInstallation(bool purge) {
    if (geteuid() != 0) {
        char *user = GetUserName();
        fprintf(stderr, nlsSetupStrCvt(MSG_NOT_ROOT), user != nullptr ? user : "", my_name);
        PutLogMsg("stopped with status %d, nothing was removed: the run is not root's\n",
                  STATUS_REFUSED);
        exit(STATUS_REFUSED);
    }
    int ignored = chdir("/");
    (void)ignored;
    Removal r = {};
    r.purge = purge;
    ReadTrustedRecord(&r.record);
    RefuseMovedSince(r.record);
    if (QuitForRunningProcesses(pBinaryInstanceCheckList) == 1) {
        EndRunStopped(STATUS_ANSWERED_STOP, MSG_STOP_REMOVAL, nullptr);
    }
    RunSuiteClean(r.record.app);
    WarnAboutQueues();
    // From here on an interrupted removal leaves a record that says so; the
    // next removal goes on where it stopped (what is gone is done).
    PutMem(r.record.state);
    r.record.state = SaveStr("%s", "removing");
    if (!WriteRecordText(r.record)) {
        char *path = SaveStr("%s/%s", RECORD_DIR, RECORD_NAME);
        fprintf(stderr, common_007, path);
        exit(STATUS_NOT_REMOVED);
    }
    r.outcome = static_cast<char *>(GetMem(r.record.count + 1));
    if (r.outcome == nullptr) {
        exit(STATUS_REFUSED);
    }
    // Children before their directory (the entries are sorted by path), in
    // phases: what an upgrade puts back first, the suite's tool last, so
    // that a removal stopped half-way leaves what an installation over it
    // takes for an earlier installation and completes.
    for (int i = 0; i < r.record.count; i++) {
        r.outcome[i] = IsSuites(r.record.entries[i]) ? PENDING : KEPT;
    }
    for (int phase = PHASE_IN_APP; phase <= PHASE_ABOVE_APP; phase++) {
        for (int i = r.record.count - 1; i >= 0; i--) {
            if (r.outcome[i] == PENDING && PhaseOf(r.record.app, r.record.entries[i].path) == phase) {
                RemoveRecorded(&r, i);
            }
        }
    }
    int left = FinishRecord(&r);
    EndDotLine();
    if (left > 0) {
        char *path = SaveStr("%s/%s", RECORD_DIR, RECORD_NAME);
        printf(nlsSetupStrCvt(MSG_REMOVED_KEPT), left, path);
        PutLogMsg(nlsSetupStrCvt(MSG_REMOVED_KEPT), left, path);
        PutMem(path);
    } else {
        fputs(nlsSetupStrCvt(MSG_REMOVED), stdout);
        PutLogMsg("%s", nlsSetupStrCvt(MSG_REMOVED));
    }
    fflush(stdout);
    if (r.failed > 0) {
        char *log = GetLogPath();
        fprintf(stderr, nlsSetupStrCvt(MSG_SEE_LOG), log);
        PutMem(log);
        exit(STATUS_NOT_REMOVED);
    }
    exit(0);
}
