// File and path operations: splitting paths, existence by directory listing,
// reading input files, writing text files.
#pragma once

#include <climits>
#include <cstdio>
#include <dirent.h>
#include <sys/types.h>

constexpr int LINEBUF_SIZE = 4096;
// The shared line and file buffer; each use overwrites the last.
extern char LineBuf[LINEBUF_SIZE];

extern const char common_115[]; // "can't open file, %s"
extern const char common_114[]; // "ERROR: can't open file, %s\n"
extern const char common_007[]; // "ERROR: couldn't open %s\n"

// True when path holds only ASCII letters, digits, bytes of 128 and above and
// the characters / . _ - + , = : @ %, which a shell takes literally.
bool IsShellSafePath(const char *path);
// True when name is a plain file name of one directory: the characters of
// IsShellSafePath, no "/", not empty, not "." or "..".
bool IsPlainFileName(const char *name);
// True when path is shell-safe and none of its "/"-separated components is
// "..": it cannot climb out of the directory it is joined to.
bool IsDescendingPath(const char *path);

// Last component of path, in a 128-character buffer of its own.
const char *StripPath(const char *path);
// Directory part of path, in a 256-character buffer of its own.
const char *StripFn(const char *path);
// dir as the part before "/NAME" of a path to one of its entries: empty for
// the root directory, so that its entries are named "/NAME", never "//NAME".
const char *JoinDir(const char *dir);
// " . .. name1 name2 " listing of dir (allocator-owned), or null.
char *GetDirFileList(const char *dir);
// Name of the next entry of an open directory stream, or null.
const char *ReadDir(DIR *handle);
// Whether the entry exists: exact, case-sensitive, by listing the parent.
bool FindFile(const char *dir, const char *name);
// 0 missing, 1 directory, 2 symbolic link, 3 anything else (lstat).
int GetFileType(const char *path);
// True when the program runs as root, when nothing is at path, or when the
// entry at path (not followed) belongs to the running user: whether this run
// may remove what is there.
bool OwnedByThisUser(const char *path);
// What CheckDirChain found on the way from / to a path.
enum ChainFault : int {
    CHAIN_SAFE = 0,
    CHAIN_NOT_DIRECTORY = 1, // an entry that is neither a directory nor a link (a file, a FIFO)
    CHAIN_UNSAFE = 2,        // an entry someone other than root or this user may change
    CHAIN_UNREADABLE = 3,    // cannot be examined, a loop of links, a path beyond PATH_MAX
};
// Why CheckDirChain found an entry that someone else may change.
enum ChainWhy : int {
    WHY_MODE = 0,       // its owner, or its mode bits let others or a group other than root's write
    WHY_ACL = 1,        // a named entry of its access ACL (chain->acl) lets someone else write
    WHY_GROUP_ROOT = 2, // group root may write it, and group root has members besides root
};
// One entry of a POSIX ACL as the kernel keeps it in an extended attribute.
struct AclEntry {
    unsigned tag;  // ACL_TAG_*
    unsigned perm; // ACL_READ | ACL_WRITE | ACL_EXECUTE
    unsigned id;   // the user's or group's id of a named entry
};
constexpr unsigned ACL_TAG_USER_OBJ = 0x01;
constexpr unsigned ACL_TAG_USER = 0x02; // a named user
constexpr unsigned ACL_TAG_GROUP_OBJ = 0x04;
constexpr unsigned ACL_TAG_GROUP = 0x08; // a named group
constexpr unsigned ACL_TAG_MASK = 0x10;
constexpr unsigned ACL_TAG_OTHER = 0x20;
constexpr unsigned ACL_READ = 4;
constexpr unsigned ACL_WRITE = 2;
constexpr unsigned ACL_EXECUTE = 1;
// The result of CheckDirChain.
struct DirChain {
    int fault;               // a ChainFault
    bool exists;             // the whole path exists (a directory when fault is CHAIN_SAFE)
    char resolved[PATH_MAX]; // the path with every link replaced by its target and ".", ".."
                             // and repeated slashes taken out; a missing end kept as written
    char where[PATH_MAX];    // the entry at fault
    uid_t owner;             // its owner, group and mode (lstat), when it could be examined
    gid_t group;
    mode_t mode;
    int why;                 // a ChainWhy, for CHAIN_UNSAFE
    AclEntry acl;            // the ACL entry at fault, for WHY_ACL
};
// Whether an entry of this owner, group and mode can be changed by nobody but
// root and the running user: it belongs to root or to that user, and neither
// others nor a group other than root's (gid 0) may write it, nor group root
// when it has members besides root and this user (pGroupRootOthers), unless
// it is a sticky directory (in which only the owner of an entry may rename it).
bool OwnedAndClosed(uid_t owner, gid_t group, mode_t mode);
// Looks through a binary access ACL (size bytes as the extended attribute
// system.posix_acl_access holds it: a 4-byte version 2 header, then 8-byte
// entries tag, perm, id, little-endian) for a named user or group entry
// whose write the mask lets through and that gives it to someone other than
// root and the running user: any group but root's, and group root when it
// has other members. Returns 1 with *found set when there is one, 0 when
// there is none, -1 when the text is no such ACL.
int AclLetsOthersWrite(const unsigned char *data, size_t size, AclEntry *found);
// Walks path (a relative one from the working directory) from / down as the
// kernel looks it up, links followed, and checks every directory it passes
// through, and every link, with OwnedAndClosed and, for a directory that is
// not sticky, its access ACL with AclLetsOthersWrite; each existing entry
// must be a directory or a link. True when all pass: then nobody but root and
// this user can change what the path names, and chain->resolved names the
// same place by real directories. Otherwise chain->fault tells the first
// fault on the way, chain->where the entry and chain->why the reason. A
// missing end is no fault (chain->exists false). A default ACL is no fault:
// it opens nothing of the directory itself.
bool CheckDirChain(const char *path, DirChain *chain);
// CheckDirChain for a program or file that root may run or trust: path must
// name an existing regular file (links followed), which is checked as the
// directories on the way are (owner, mode bits, access ACL). False with the
// fault in chain otherwise (CHAIN_NOT_DIRECTORY: the end is no regular file,
// CHAIN_UNREADABLE: it is missing).
bool CheckFileChain(const char *path, DirChain *chain);
// Removes the default ACL of path (never followed) whole, and from its access
// ACL every named user or group entry that grants write, so that no later
// chmod of what the run made opens it to someone else and nothing made below
// inherits modes from it; access entries that only read stay. True when none
// is left (a file system without ACLs has none).
bool CloseAcl(const char *path);
// True when path (never followed) has an access or a default ACL, for which
// ls -l shows a "+" behind the mode.
bool HasAcl(const char *path);
// Removes the entry at path without following any link: a file, a link or a
// whole directory tree (through descriptors, never by name below path).
// True when nothing is left at path.
bool RemoveEntry(const char *path);
// Opens path with mode after closing stream; report 2 ends the run, 1 writes
// a line on standard error, else silent. Null on failure.
FILE *OpenFile(FILE *stream, const char *path, const char *mode, int report);
// Makes path the current input file; severity 2 ends the run (status 0).
bool OpenInputFile(const char *path, int severity);
// Longest physical line GetFileLine delivers.
constexpr int LINE_LIMIT = 510;
// What GetFileLine found wrong with the line it just read.
enum LineFault : int {
    LINE_FINE = 0,
    LINE_TOO_LONG = 1, // a physical line over LINE_LIMIT, or a joined line over LineBuf
    LINE_HAS_NUL = 2,  // a NUL byte within the line
};
// Next logical line into LineBuf (backslash-newline joins the next line). A
// line is never split: one too long or holding a NUL byte is read to its end
// and delivered empty, with GetFileLineFault telling why. False at the end,
// which closes the file.
bool GetFileLine();
// Fault of the line GetFileLine delivered last (LINE_FINE, ...).
int GetFileLineFault();
// Number (1-based) of the physical line on which that line began.
int GetFileLineNumber();
void CloseInputFile();
// Reads at most 4095 bytes of the regular file dir/name (or dir alone) into
// LineBuf; false for anything else there (a FIFO is never waited on).
bool GetFileContent(const char *dir, const char *name);
// The whole of dir/name, whatever its length, as allocator memory ending in
// a NUL (the caller frees it with PutMem), or null when it cannot be read.
char *ReadWholeFile(const char *dir, const char *name);
// The whole of the regular file dir/name (not a link) as allocator memory
// with a NUL after its *size bytes, which may hold NUL bytes of their own;
// null when it cannot be read. The caller frees it with PutMem.
char *ReadWholeData(const char *dir, const char *name, size_t *size);
// The text of the symbolic link at path, whole (a saved string), or null when
// path is no link or cannot be read. The link is never followed.
char *ReadLinkText(const char *path);
// Writes the formatted text to path; false when it cannot be opened or written whole.
bool CreateTextFile(const char *path, const char *mode, int permissions, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
// Begins the whole replacement of path: a new file beside it, named path
// and ".new", made by this run exclusively, never through a link, mode 0600
// until FinishReplacement gives it its own. A leftover of an interrupted run
// at that name (a file or a link, never a directory) is removed first.
// Null when it cannot be made ("ERROR: can't open file, PATH" on standard
// error then); *newPath is the new file's name (allocator-owned).
FILE *StartReplacement(const char *path, char **newPath);
// Ends what StartReplacement began: the text written whole, mode given,
// synced, and the new file renamed over path, so that a reader finds the
// old text or the new one, never a part. False, the new file removed and
// path left as it was, when any of it failed. Frees newPath either way.
bool FinishReplacement(FILE *out, char *newPath, const char *path, int permissions);
// Nearest existing path (saved string); *flag = 1 when that is path itself.
// A path longer than the working buffer starts the walk at the parent of the
// part that fits, never at a cut name.
char *FindExistingPath(const char *path, int *flag);
double MaxD(double a, double b);
