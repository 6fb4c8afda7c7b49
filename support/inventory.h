// What stands on the host at a path, examined without following any link:
// single entries, and whole trees walked through directory descriptors.
#pragma once

#include <cstdint>

#include "support/sha256.h"

// Bounds of a walk: directories deeper below the root of a tree, and entries
// beyond the count, are left out (the inventory then says it was cut).
constexpr int INVENTORY_DEPTH = 32;
constexpr int INVENTORY_ENTRIES = 200000;
// Of them, entries in directories others may write: beyond this many, what
// others put there is left out, so that it cannot crowd out the suite's own.
constexpr int INVENTORY_OPEN_ENTRIES = 20000;
static_assert(INVENTORY_OPEN_ENTRIES < INVENTORY_ENTRIES, "room for the suite's own entries");
// Regular files longer than this are not read for a digest.
constexpr uint64_t INVENTORY_DIGEST_LIMIT = 1ULL << 36;

// What ExamineEntry found.
enum Examined : int {
    EXAMINED = 0,   // the entry is there and was examined
    EX_MISSING = 1, // nothing is at the path (or a directory on the way is missing)
    EX_DENIED = 2,  // it cannot be examined (no permission, or another error)
};

// One entry as it stands.
struct HostEntry {
    char *path;        // absolute, saved
    char type;         // 'f' regular file, 'd' directory, 'l' symbolic link, '?' anything else
    unsigned mode;     // st_mode & 07777
    unsigned uid;
    unsigned gid;
    int64_t size;
    int64_t mtime;     // seconds
    int64_t ctimeNs;   // the last change of content or attributes, in nanoseconds
    uint64_t dev;
    uint64_t ino;
    char sha256[SHA256_HEX_LEN + 1]; // empty when not read (or not readable)
    bool unreadable;   // a digest was asked for but the file could not be read
    char *target;      // link text (saved) for 'l', else null
    unsigned flags;    // the caller's flags (the NOTE_ flags and INV_OPEN)
};

// Flag of an entry in a directory that a user other than root may write
// (others, or a group other than root's): what is there is not the suite's
// content alone.
constexpr unsigned INV_OPEN = 0x100;

// A list of examined entries, from the block allocator.
struct Inventory {
    HostEntry *items;
    int count;
    int capacity;
    bool cut;      // a bound left entries out
    int openCount; // entries marked INV_OPEN
    bool openCut;  // INVENTORY_OPEN_ENTRIES left some of them out
};

// Opens the directory dir (absolute) with O_PATH, one component at a time
// from /: a link on the way is followed only while no component so far
// could have been put there by a user other than root (in a directory such
// a user may write; in a sticky one, where no entry of root's stands).
// *open tells whether one could, or others may write dir itself. -1 (errno
// set) when it cannot be opened so.
int OpenParent(const char *dir, bool *open);
// Examines the entry at path (absolute) without following it: its parent is
// opened by OpenParent (*inOpen: whether others may write a directory on the
// way), the entry itself examined with fstatat. With digest, a regular file
// is opened without following a link or waiting on anything and read whole
// for its SHA-256 (unreadable set when that fails); never below a directory
// others may write. Fills e (path left null); returns an Examined.
int ExamineEntry(const char *path, bool digest, HostEntry *e, bool *inOpen);
// Adds the entry at path with flags, when it is there; with tree and a
// directory there, everything below it too, walked through directory
// descriptors without following links, within the bounds. An entry below a
// directory others may write is marked INV_OPEN and never read for a
// digest; when it is not root's it is left out, and so is all below it.
// Returns false when the entry is not there, is left out, or memory is
// refused.
bool InventoryAdd(Inventory *inv, const char *path, unsigned flags, bool tree, bool digest);
// Sorts the entries by path in byte order and joins entries of one path
// (their flags joined).
void InventorySort(Inventory *inv);
// The entry of path in a sorted inventory, or null.
const HostEntry *InventoryFind(const Inventory *inv, const char *path);
// Releases what the inventory holds and empties it.
void FreeInventory(Inventory *inv);
// True when path is dir itself or lies below it.
bool PathWithin(const char *path, const char *dir);
