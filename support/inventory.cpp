// The inventory of entries on the host: fstatat and readlinkat relative to
// an open directory, files opened without following links and read for
// their digests, trees walked through descriptors within fixed bounds.
#include "support/inventory.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/mem.h"
#include "support/savestr.h"

namespace {

constexpr int FIRST_CAPACITY = 256;
constexpr int DIR_FLAGS = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The type letter of a mode.
char TypeOf(mode_t mode) {
    if (S_ISREG(mode)) {
        return 'f';
    }
    if (S_ISDIR(mode)) {
        return 'd';
    }
    return S_ISLNK(mode) ? 'l' : '?';
}

// Reads the regular file name of dirfd, which must still be the entry e
// describes, for its digest.
void DigestAt(int dirfd, const char *name, HostEntry *e) {
    int fd = openat(dirfd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st;
    bool same = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                static_cast<uint64_t>(st.st_dev) == e->dev && static_cast<uint64_t>(st.st_ino) == e->ino;
    e->unreadable = !same || !Sha256Descriptor(fd, INVENTORY_DIGEST_LIMIT, e->sha256);
    if (e->unreadable) {
        e->sha256[0] = '\0';
    }
    if (fd >= 0) {
        close(fd);
    }
}

// Examines name of the open directory dirfd without following it.
int ExamineAt(int dirfd, const char *name, bool digest, HostEntry *e) {
    struct stat st;
    char *path = e->path;
    memset(e, 0, sizeof *e);
    e->path = path;
    if (fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? EX_MISSING : EX_DENIED;
    }
    e->type = TypeOf(st.st_mode);
    e->mode = st.st_mode & 07777;
    e->uid = st.st_uid;
    e->gid = st.st_gid;
    e->size = st.st_size;
    e->mtime = st.st_mtime;
    e->ctimeNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    e->dev = st.st_dev;
    e->ino = st.st_ino;
    if (e->type == 'l') {
        char text[PATH_MAX];
        ssize_t len = readlinkat(dirfd, name, text, sizeof text);
        if (len >= 0 && static_cast<size_t>(len) < sizeof text) {
            e->target = SaveStr("%.*s", static_cast<int>(len), text);
        }
    }
    if (e->type == 'f' && digest) {
        DigestAt(dirfd, name, e);
    }
    return EXAMINED;
}

// Appends a copy of e (its path and target now the inventory's); false when
// memory is refused or the bound is reached.
bool Append(Inventory *inv, const HostEntry &e) {
    if (inv->count >= INVENTORY_ENTRIES) {
        inv->cut = true;
        return false;
    }
    if (inv->count == inv->capacity) {
        int capacity = inv->capacity == 0 ? FIRST_CAPACITY : inv->capacity * 2;
        auto *larger = static_cast<HostEntry *>(GetMem(capacity * static_cast<int32_t>(sizeof(HostEntry))));
        if (larger == nullptr) {
            return false;
        }
        if (inv->count > 0) {
            memcpy(larger, inv->items, inv->count * sizeof(HostEntry));
        }
        PutMem(inv->items);
        inv->items = larger;
        inv->capacity = capacity;
    }
    inv->items[inv->count++] = e;
    inv->openCount += (e.flags & INV_OPEN) != 0 ? 1 : 0;
    return true;
}

// Whether a user other than root may write a directory of mode and group.
bool OpenToOthers(unsigned mode, unsigned gid) {
    return (mode & S_IWOTH) != 0 || ((mode & S_IWGRP) != 0 && gid != 0);
}

// Walks the directory dirfd (the entry dir of the inventory, taken over and
// closed here): each entry examined and added, directories entered down to
// the depth bound. Entries inside a directory others may write get INV_OPEN.
void Walk(Inventory *inv, int dirfd, const HostEntry &dir, int depth, bool digest) {
    DIR *stream = fdopendir(dirfd);
    if (stream == nullptr) {
        close(dirfd);
        return;
    }
    unsigned flags = dir.flags | (OpenToOthers(dir.mode, dir.gid) ? INV_OPEN : 0);
    // What others may put there is never read: a file of any length, or one
    // that changes while it is read, is theirs, not the suite's content.
    bool digestHere = digest && (flags & INV_OPEN) == 0;
    for (struct dirent *d = readdir(stream); d != nullptr; d = readdir(stream)) {
        if (strcmp(d->d_name, ".") == 0 || strcmp(d->d_name, "..") == 0) {
            continue;
        }
        if ((flags & INV_OPEN) != 0 && inv->openCount >= INVENTORY_OPEN_ENTRIES) {
            inv->openCut = true;
            break;
        }
        HostEntry e{};
        e.path = SaveStr("%s/%s", strcmp(dir.path, "/") == 0 ? "" : dir.path, d->d_name);
        if (strlen(e.path) >= PATH_MAX || ExamineAt(dirfd, d->d_name, digestHere, &e) != EXAMINED) {
            inv->cut = inv->cut || strlen(e.path) >= PATH_MAX;
            PutMem(e.path);
            continue;
        }
        e.flags = flags;
        // Another user's entry in a directory others may write is that
        // user's, and so is all below it: neither recorded nor entered.
        if ((flags & INV_OPEN) != 0 && e.uid != 0) {
            PutMem(e.path);
            PutMem(e.target);
            continue;
        }
        if (!Append(inv, e)) {
            PutMem(e.path);
            PutMem(e.target);
            break;
        }
        if (e.type != 'd') {
            continue;
        }
        if (depth >= INVENTORY_DEPTH) {
            inv->cut = true;
            continue;
        }
        // Entered only while it is still the directory just examined.
        int sub = openat(dirfd, d->d_name, DIR_FLAGS);
        struct stat st;
        if (sub >= 0 && (fstat(sub, &st) != 0 || static_cast<uint64_t>(st.st_ino) != e.ino ||
                         static_cast<uint64_t>(st.st_dev) != e.dev)) {
            close(sub);
            sub = -1;
        }
        if (sub >= 0) {
            Walk(inv, sub, e, depth + 1, digest);
        }
    }
    closedir(stream);
}

int ComparePaths(const void *a, const void *b) {
    return strcmp(static_cast<const HostEntry *>(a)->path, static_cast<const HostEntry *>(b)->path);
}

} // namespace

bool PathWithin(const char *path, const char *dir) {
    size_t len = strlen(dir);
    while (len > 1 && dir[len - 1] == '/') {
        len--;
    }
    return strncmp(path, dir, len) == 0 && (path[len] == '\0' || path[len] == '/' || strcmp(dir, "/") == 0);
}

int OpenParent(const char *dir, bool *open) {
    *open = false;
    // O_PATH: a directory this user may search but not list still shows
    // its entries.
    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    char *names = SaveStr("%s", dir);
    char *rest = nullptr;
    for (char *name = strtok_r(names, "/", &rest); name != nullptr && fd >= 0; name = strtok_r(nullptr, "/", &rest)) {
        // Others may put their own entry at name, or replace root's there
        // (in a sticky directory only where none of root's stands).
        struct stat dir;
        struct stat st;
        bool dirOpen = fstat(fd, &dir) == 0 && OpenToOthers(dir.st_mode, dir.st_gid);
        bool rootsStays = (dir.st_mode & S_ISVTX) != 0 && fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                          st.st_uid == 0;
        *open = *open || (dirOpen && !rootsStays);
        int next = openat(fd, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        // A link that root (or the owner of a directory only they may write)
        // put on the way is followed; one in a directory others may write
        // could be anyone's.
        if (next < 0 && (errno == ENOTDIR || errno == ELOOP) && !*open) {
            next = openat(fd, name, O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
        int err = errno;
        close(fd);
        fd = next;
        errno = err;
    }
    struct stat st;
    *open = *open || (fd >= 0 && fstat(fd, &st) == 0 && OpenToOthers(st.st_mode, st.st_gid));
    PutMem(names);
    return fd;
}

int ExamineEntry(const char *path, bool digest, HostEntry *e, bool *inOpen) {
    const char *slash = strrchr(path, '/');
    *inOpen = false;
    if (path[0] != '/' || slash == nullptr || slash[1] == '\0') {
        return EX_DENIED;
    }
    char *parent = SaveStr("%.*s", slash == path ? 1 : static_cast<int>(slash - path), path);
    int dirfd = OpenParent(parent, inOpen);
    PutMem(parent);
    if (dirfd < 0) {
        memset(e, 0, sizeof *e);
        return errno == ENOENT || errno == ENOTDIR || errno == ELOOP ? EX_MISSING : EX_DENIED;
    }
    char *path0 = e->path;
    // What others may have put there is never read.
    int found = ExamineAt(dirfd, slash + 1, digest && !*inOpen, e);
    e->path = path0;
    close(dirfd);
    return found;
}

bool InventoryAdd(Inventory *inv, const char *path, unsigned flags, bool tree, bool digest) {
    HostEntry e{};
    bool inOpen = false;
    if (ExamineEntry(path, digest, &e, &inOpen) != EXAMINED) {
        return false;
    }
    // Another user's entry in a directory others may write is that user's.
    if (inOpen && e.uid != 0) {
        PutMem(e.target);
        return false;
    }
    e.path = SaveStr("%s", path);
    e.flags = flags | (inOpen ? INV_OPEN : 0);
    if (!Append(inv, e)) {
        PutMem(e.path);
        PutMem(e.target);
        return false;
    }
    if (!tree || e.type != 'd') {
        return true;
    }
    int dirfd = open(path, DIR_FLAGS);
    struct stat st;
    if (dirfd >= 0 && fstat(dirfd, &st) == 0 && static_cast<uint64_t>(st.st_ino) == e.ino &&
        static_cast<uint64_t>(st.st_dev) == e.dev) {
        Walk(inv, dirfd, e, 1, digest);
    } else if (dirfd >= 0) {
        close(dirfd);
    }
    return true;
}

void InventorySort(Inventory *inv) {
    if (inv->count < 2) {
        return;
    }
    qsort(inv->items, inv->count, sizeof(HostEntry), ComparePaths);
    int kept = 1;
    for (int i = 1; i < inv->count; i++) {
        HostEntry &last = inv->items[kept - 1];
        if (strcmp(last.path, inv->items[i].path) == 0) {
            last.flags |= inv->items[i].flags;
            PutMem(inv->items[i].path);
            PutMem(inv->items[i].target);
            continue;
        }
        inv->items[kept++] = inv->items[i];
    }
    inv->count = kept;
}

const HostEntry *InventoryFind(const Inventory *inv, const char *path) {
    int low = 0;
    int high = inv->count - 1;
    while (low <= high) {
        int mid = low + (high - low) / 2;
        int order = strcmp(inv->items[mid].path, path);
        if (order == 0) {
            return &inv->items[mid];
        }
        if (order < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    return nullptr;
}

void FreeInventory(Inventory *inv) {
    for (int i = 0; i < inv->count; i++) {
        PutMem(inv->items[i].path);
        PutMem(inv->items[i].target);
    }
    PutMem(inv->items);
    *inv = Inventory{};
}
