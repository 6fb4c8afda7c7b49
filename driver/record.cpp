// The installation's record: its release read before anything changes, so
// that an older medium does not silently replace a newer installation; every
// entry of the suite on the host written after the installation, replaced
// whole by a rename; and the record read back only when nobody but root can
// have changed it.
#include "driver/record.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "install/mediumfile.h"
#include "install/owndirs.h"
#include "install/nls.h"
#include "install/site.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/globals.h"
#include "support/inventory.h"
#include "support/mem.h"
#include "support/noted.h"
#include "support/record_entry.h"
#include "support/savestr.h"
#include "support/version.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

namespace {

// The record's line that gives the release, and the one for the digest.
constexpr char RELEASE_KEY[] = "release ";
constexpr char SUMS_KEY[] = "sums ";
constexpr size_t DIGEST_LEN = 64;

// The medium's release read in CheckDowngrade, null when it has none.
char *mediumRelease = nullptr;

// What PrepareRecord keeps for WriteRecord: the digest of the checksum file,
// the entries as they stood before the suite's tool ran, the earlier record.
bool prepared = false;
char *sumsDigest = nullptr;
Inventory beforeTool{};
Record earlier{};

// Room for a record's access ACL: 511 entries, far beyond any file system's.
constexpr size_t RECORD_ACL_SIZE = 4 + 511 * 8;
// The largest record read: far beyond the entries of any installation.
constexpr off_t RECORD_MAX_SIZE = 256L * 1024 * 1024;

// The first line of dir/name, saved, when it is a release number; else null.
// Read as a file of the medium: only a regular file of dir is read.
char *ReadRelease(const char *dir, const char *name) {
    char *text = ReadMediumFile(dir, name);
    if (text == nullptr) {
        return nullptr;
    }
    text[strcspn(text, "\n")] = '\0';
    char *release = IsReleaseNumber(text) ? SaveStr("%s", text) : nullptr;
    PutMem(text);
    return release;
}

// The release the record gives, saved, or null when there is none. The
// record's directory is checked first: a record that someone else could
// have changed or removed ends the run.
char *RecordedRelease() {
    DirChain chain;
    if (!CheckDirChain(RECORD_DIR, &chain)) {
        RefuseChain(chain);
    }
    char *text = chain.exists ? ReadWholeFile(RECORD_DIR, RECORD_NAME) : nullptr;
    char *release = nullptr;
    for (char *line = text; line != nullptr && *line != '\0' && release == nullptr;) {
        size_t len = strcspn(line, "\n");
        if (strncmp(line, RELEASE_KEY, strlen(RELEASE_KEY)) == 0) {
            char *value = SaveStr("%.*s", static_cast<int>(len - strlen(RELEASE_KEY)), line + strlen(RELEASE_KEY));
            release = IsReleaseNumber(value) ? value : nullptr;
            if (release == nullptr) {
                PutMem(value);
            }
        }
        line = line[len] != '\0' ? line + len + 1 : line + len;
    }
    PutMem(text);
    return release;
}

// The SHA-256 digest of work/sums as sha256sum prints it, saved; "-" when
// it cannot be had.
char *SumsDigest(const char *work, const char *sums) {
    if (sums == nullptr || !TestCmd(CMD_SHA256SUM)) {
        return SaveStr("%s", "-");
    }
    ResponseLine *out = GetCmdResponse(CMD_NONE, nullptr, "%s/sha256sum < %s/%s", ComList[CMD_SHA256SUM].pPath,
                                       work, sums);
    char *digest = SaveStr("%.*s", static_cast<int>(DIGEST_LEN), out != nullptr ? out->pText : "");
    FreeResponseList(out);
    if (strlen(digest) != DIGEST_LEN || strspn(digest, "0123456789abcdef") != DIGEST_LEN) {
        PutMem(digest);
        digest = SaveStr("%s", "-");
    }
    return digest;
}

// Makes dir when missing, root's with mode 0755; true when it is then a
// directory whose chain from / nobody but root can change.
bool MakeRootDir(const char *dir) {
    if (mkdir(dir, 0755) == 0) {
        if (chown(dir, 0, 0) != 0 || chmod(dir, 0755) != 0) {
            return false;
        }
    }
    DirChain chain;
    return CheckDirChain(dir, &chain) && chain.exists;
}

// Writes text to dir/name through dir/name.new (root's, mode 0644, made
// anew) and a rename; false when any step fails.
bool ReplaceFile(const char *dir, const char *name, const char *text) {
    char *temp = SaveStr("%s/%s.new", dir, name);
    char *path = SaveStr("%s/%s", dir, name);
    unlink(temp);
    int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    size_t len = strlen(text);
    bool ok = fd >= 0 && fchown(fd, 0, 0) == 0 && fchmod(fd, 0644) == 0 &&
              write(fd, text, len) == static_cast<ssize_t>(len) && fsync(fd) == 0;
    ok = fd >= 0 && close(fd) == 0 && ok && rename(temp, path) == 0;
    if (!ok) {
        unlink(temp);
    }
    PutMem(temp);
    PutMem(path);
    return ok;
}

// Whether path is no part of the installation: the work area and the
// directory the run made for it, the record's own directory.
bool Excluded(const char *path) {
    return PathWithin(path, pVarenInstallDir) || (pCreatedWorkDir != nullptr && PathWithin(path, pCreatedWorkDir)) ||
           PathWithin(path, RECORD_DIR);
}

// Examines every entry of the installation into inv (sorted): the whole
// application directory, the entries the run noted (trees where noted so),
// and the entries of the earlier record outside its application directory
// that are still there (those inside it are the walk's, or moved away).
void CollectEntries(Inventory *inv, bool digest) {
    InventoryAdd(inv, pAppDir, NOTE_MADE, true, digest);
    for (int i = 0; i < NotedCount(); i++) {
        const char *path = NotedPath(i);
        if (!Excluded(path)) {
            InventoryAdd(inv, path, NotedFlags(i), (NotedFlags(i) & NOTE_TREE) != 0, digest);
        }
    }
    for (int i = 0; i < earlier.count; i++) {
        const char *path = earlier.entries[i].path;
        if ((earlier.app == nullptr || !PathWithin(path, earlier.app)) && !Excluded(path)) {
            InventoryAdd(inv, path, 0, false, digest);
        }
    }
    InventorySort(inv);
}

// Whether the suite's tool made or changed e: it was not there before the
// tool ran, or it is no longer the same inode or type, or (but for a
// directory, which changes whenever the tool puts a file into it) its
// content or attributes changed since.
bool ChangedByTool(const HostEntry &e) {
    if (!prepared) {
        return false;
    }
    const HostEntry *before = InventoryFind(&beforeTool, e.path);
    return before == nullptr || before->type != e.type || before->ino != e.ino ||
           (e.type != 'd' && before->ctimeNs != e.ctimeNs);
}

// The record's entry for the examined entry e (its path and target now the
// entry's); false for what is recorded as no entry (neither file, directory
// nor link, or a link whose text could not be read).
bool ToRecordEntry(HostEntry *e, RecordEntry *r) {
    if ((e->type != 'f' && e->type != 'd' && e->type != 'l') || (e->type == 'l' && e->target == nullptr)) {
        return false;
    }
    memset(r, 0, sizeof *r);
    const RecordEntry *old = FindRecordEntry(earlier, e->path);
    bool made = (e->flags & NOTE_MADE) != 0 || (old != nullptr && old->how != HOW_CHANGED);
    bool runtime = (e->flags & (NOTE_RUNTIME | INV_OPEN)) != 0 || ChangedByTool(*e);
    // A file root cannot read has no digest: only what can be checked is recorded.
    if (e->type == 'f' && !runtime && e->unreadable) {
        PutLogMsg("WARNING: %s cannot be read: recorded without its content\n", e->path);
        runtime = true;
    }
    r->how = made ? HOW_MADE : HOW_CHANGED;
    r->kind = runtime ? KIND_RUNTIME : ((e->flags & NOTE_CONFIG) != 0 ? KIND_CONFIG : KIND_CONTENT);
    r->type = e->type;
    r->mode = e->mode;
    r->uid = e->uid;
    r->gid = e->gid;
    bool content = e->type == 'f' && !runtime;
    r->size = content ? e->size : RECORD_NONE;
    r->mtime = content ? e->mtime : RECORD_NONE;
    if (content) {
        memcpy(r->digest, e->sha256, sizeof r->digest);
    }
    r->path = e->path;
    r->target = e->type == 'l' ? e->target : nullptr;
    e->path = nullptr;
    e->target = e->type == 'l' ? nullptr : e->target;
    return true;
}

// The record's text for the entries on the host now (saved), or null when
// memory runs out.
char *RecordText(bool complete) {
    Inventory inv{};
    CollectEntries(&inv, true);
    if (inv.cut) {
        PutLogMsg("WARNING: the record holds only the first %d entries within %d directories\n", INVENTORY_ENTRIES,
                  INVENTORY_DEPTH);
    }
    if (inv.openCut) {
        PutLogMsg("WARNING: the record holds only %d entries of directories that others may write\n",
                  INVENTORY_OPEN_ENTRIES);
    }
    Record record{};
    record.release = mediumRelease != nullptr ? SaveStr("%s", mediumRelease) : nullptr;
    record.sums = SaveStr("%s", sumsDigest != nullptr ? sumsDigest : "-");
    // A record the bounds cut short does not hold the whole installation.
    record.state = SaveStr("%s", complete && !inv.cut ? "complete" : "incomplete");
    record.app = SaveStr("%s", pAppDir);
    int room = inv.count > 0 ? inv.count : 1;
    record.entries = static_cast<RecordEntry *>(GetMem(room * static_cast<int32_t>(sizeof(RecordEntry))));
    for (int i = 0; i < inv.count && record.entries != nullptr; i++) {
        if (ToRecordEntry(&inv.items[i], &record.entries[record.count])) {
            record.count++;
        }
    }
    char *text = record.entries != nullptr ? FormatRecord(record) : nullptr;
    FreeRecord(&record);
    FreeInventory(&inv);
    return text;
}

// Reads the record from the open descriptor fd whole (saved, NUL-ended), or
// null when it cannot be read or is too long.
char *ReadRecordText(int fd, off_t size) {
    if (size < 0 || size > RECORD_MAX_SIZE) {
        return nullptr;
    }
    char *text = static_cast<char *>(GetMem(static_cast<int32_t>(size + 1)));
    off_t got = 0;
    while (text != nullptr && got <= size) {
        ssize_t n = read(fd, text + got, static_cast<size_t>(size + 1 - got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += n;
    }
    // A record that grew while it was read is no record that was checked.
    if (text != nullptr && (got != size || memchr(text, '\0', static_cast<size_t>(size)) != nullptr)) {
        PutMem(text);
        return nullptr;
    }
    return text;
}

// Whether the open record (fstat st) is root's and nobody else may change it:
// a regular file of root's, closed to others by its mode and its access ACL.
bool RecordClosed(int fd, const struct stat &st) {
    if (!S_ISREG(st.st_mode) || st.st_uid != 0 || !OwnedAndClosed(st.st_uid, st.st_gid, st.st_mode)) {
        return false;
    }
    unsigned char acl[RECORD_ACL_SIZE];
    ssize_t size = fgetxattr(fd, "system.posix_acl_access", acl, sizeof acl);
    if (size < 0) {
        return errno == ENODATA || errno == ENOTSUP;
    }
    AclEntry found;
    return AclLetsOthersWrite(acl, static_cast<size_t>(size), &found) == 0;
}

// Ends the run with message 91 for the entry at path (status 1).
[[noreturn]] void RefuseRecord(const char *path, uid_t owner, gid_t group, mode_t mode) {
    EntryText text;
    DescribeEntry(path, owner, group, mode, &text);
    fprintf(stderr, nlsSetupStrCvt(MSG_RECORD_UNTRUSTED), path, text.user, text.group, text.mode);
    exit(1);
}

} // namespace

void CheckDowngrade(bool trustsKeys, bool allowed) {
    const char *name = ReleaseFileName();
    const char *dir = ProvenDir(name);
    // On a host that trusts keys only the checked copy counts: a release
    // file the checksum file does not name (one that appeared on the medium
    // after the proof) is not the medium's.
    mediumRelease = trustsKeys && dir == pPathToSetup ? nullptr : ReadRelease(dir, name);
    char *recorded = RecordedRelease();
    if (recorded == nullptr) {
        return;
    }
    const char *medium = mediumRelease != nullptr ? mediumRelease : "none";
    bool older = mediumRelease == nullptr || CompareReleases(mediumRelease, recorded) < 0;
    // Elsewhere a medium without a release cannot be judged and installs.
    if (!older || (!trustsKeys && mediumRelease == nullptr)) {
        PutMem(recorded);
        return;
    }
    if (trustsKeys && !allowed) {
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_DOWNGRADE), medium, recorded);
    }
    EndDotLine();
    ErrorMsg(1, 0, nlsSetupStrCvt(MSG_DOWNGRADE_WARN), medium, recorded);
    PutLogMsg("WARNING: %s\n", Line);
    PutMem(recorded);
}

int ReadRecordFile(Record *record, int *badLine) {
    memset(record, 0, sizeof *record);
    *badLine = 0;
    char *path = SaveStr("%s/%s", RECORD_DIR, RECORD_NAME);
    DirChain chain;
    if (!CheckDirChain(RECORD_DIR, &chain) && chain.fault != CHAIN_UNREADABLE) {
        PutMem(path);
        return chain.fault == CHAIN_UNSAFE ? RECORD_UNSAFE_DIR : RECORD_NOT_FILE;
    }
    int fd = chain.exists ? open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1;
    bool missing = fd < 0 && (!chain.exists || errno == ENOENT);
    PutMem(path);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        if (fd >= 0) {
            close(fd);
        }
        return missing ? RECORD_MISSING : RECORD_NOT_FILE;
    }
    bool closed = RecordClosed(fd, st);
    char *text = closed ? ReadRecordText(fd, st.st_size) : nullptr;
    close(fd);
    if (!closed) {
        return RECORD_NOT_FILE;
    }
    bool parsed = text != nullptr && ParseRecord(text, record, badLine);
    PutMem(text);
    if (!parsed) {
        *badLine = *badLine > 0 ? *badLine : 1;
        return RECORD_BAD_LINE;
    }
    return RECORD_READ;
}

void ReadTrustedRecord(Record *record) {
    int badLine = 0;
    int found = ReadRecordFile(record, &badLine);
    char *path = SaveStr("%s/%s", RECORD_DIR, RECORD_NAME);
    DirChain chain;
    struct stat st;
    switch (found) {
    case RECORD_READ:
        if (record->count > 0) {
            PutMem(path);
            return;
        }
        // A record of an earlier release names no entry: nothing to go by.
        FreeRecord(record);
        [[fallthrough]];
    case RECORD_MISSING:
        fprintf(stderr, "%s\n", nlsSetupStrCvt(MSG_NOT_RECORDED));
        exit(STATUS_NOT_RECORDED);
    case RECORD_UNSAFE_DIR:
        CheckDirChain(RECORD_DIR, &chain);
        RefuseRecord(chain.where, chain.owner, chain.group, chain.mode);
    case RECORD_BAD_LINE:
        fprintf(stderr, nlsSetupStrCvt(MSG_RECORD_BAD_LINE), path, badLine);
        exit(1);
    default:
        // One this user may not read (a user other than root, a record or
        // directory closed to others) says so; anything else is no record.
        if (lstat(path, &st) != 0 || access(path, R_OK) != 0) {
            fprintf(stderr, common_114, path);
            exit(1);
        }
        RefuseRecord(path, st.st_uid, st.st_gid, st.st_mode);
    }
}

void PrepareRecord(const char *work, const char *sums) {
    sumsDigest = SumsDigest(work, sums);
    int badLine = 0;
    if (ReadRecordFile(&earlier, &badLine) != RECORD_READ) {
        FreeRecord(&earlier);
    }
    CollectEntries(&beforeTool, false);
    prepared = true;
}

void WriteRecord(bool complete) {
    char *path = SaveStr("%s/%s", RECORD_DIR, RECORD_NAME);
    char *text = prepared ? RecordText(complete) : nullptr;
    // /var/lib is the system's; only the last directory is made here.
    if (text == nullptr || !MakeRootDir(RECORD_DIR) || !ReplaceFile(RECORD_DIR, RECORD_NAME, text)) {
        PutLogMsg("WARNING: couldn't write %s\n", path);
        CountFailure("couldn't write %s", path);
    } else {
        PutLogMsg("write %s 0644 root:root\n", path);
    }
    PutMem(text);
    PutMem(path);
    FreeInventory(&beforeTool);
    FreeRecord(&earlier);
    PutMem(sumsDigest);
    sumsDigest = nullptr;
    prepared = false;
}
