// File and path operations: splitting paths, existence by listing the parent
// directory, the current input file read line by line, small files read
// whole, and text files written. Creating, changing and removing through
// commands lives in syscmd/fileops.cpp.
#include "support/files.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "support/globals.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "support/errors.h"

char LineBuf[LINEBUF_SIZE];
const char common_115[] = "can't open file, %s";
const char common_114[] = "ERROR: can't open file, %s\n";
const char common_007[] = "ERROR: couldn't open %s\n";

constexpr int STRIP_PATH_SIZE = 128;
constexpr int STRIP_FN_SIZE = 256;
// Working size for paths inside this module; longer paths are refused.
constexpr size_t PATH_BUF_SIZE = 4096;
constexpr int FILE_CONTENT_MAX = LINEBUF_SIZE - 1;

// The current input file of OpenInputFile and GetFileLine.
static FILE *pIn = nullptr;
// Fault and first physical line number of the line GetFileLine delivered
// last, and the number of physical lines read from the current input file.
static int lineFault = LINE_FINE;
static int lineStart = 0;
static int linesRead = 0;

// Copies len characters of text into out (size bytes), cutting what does not
// fit. Returns whether all of it fitted.
static bool CopyPart(char *out, size_t size, const char *text, size_t len) {
    bool fits = len < size;
    if (!fits)
        len = size - 1;
    memcpy(out, text, len);
    out[len] = '\0';
    return fits;
}

// Last "/"-separated non-empty piece of path; path itself when it has none
// (empty, or slashes only).
static bool LastPart(const char *path, char *out, size_t size) {
    size_t end = strlen(path);
    while (end > 0 && path[end - 1] == '/')
        end--;
    if (end == 0)
        return CopyPart(out, size, path, strlen(path));
    size_t begin = end;
    while (begin > 0 && path[begin - 1] != '/')
        begin--;
    return CopyPart(out, size, path + begin, end - begin);
}

// Everything before the last "/" of path; "/" when that is the first
// character; "." when path is empty or has no "/".
static bool DirPart(const char *path, char *out, size_t size) {
    const char *slash = strrchr(path, '/');
    if (!slash)
        return CopyPart(out, size, ".", 1);
    if (slash == path)
        return CopyPart(out, size, "/", 1);
    return CopyPart(out, size, path, static_cast<size_t>(slash - path));
}

// Characters besides ASCII letters, digits and bytes of 128 and above that a
// path may hold: none of them means anything to the shell inside a word.
static constexpr char SafePathPunctuation[] = "/._-+,=:@%";

bool IsShellSafePath(const char *path) {
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(path); *p != '\0'; p++) {
        unsigned char c = *p;
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool digit = c >= '0' && c <= '9';
        if (c >= 128 || letter || digit || strchr(SafePathPunctuation, c) != nullptr)
            continue;
        return false;
    }
    return true;
}

bool IsPlainFileName(const char *name) {
    return name[0] != '\0' && strchr(name, '/') == nullptr && strcmp(name, ".") != 0 &&
           strcmp(name, "..") != 0 && IsShellSafePath(name);
}

bool IsDescendingPath(const char *path) {
    if (!IsShellSafePath(path))
        return false;
    for (const char *part = path; *part != '\0';) {
        size_t len = strcspn(part, "/");
        if (len == 2 && part[0] == '.' && part[1] == '.')
            return false;
        part += len;
        part += strspn(part, "/");
    }
    return true;
}

const char *StripPath(const char *path) {
    static char buf[STRIP_PATH_SIZE];
    // A last piece longer than 127 characters is cut to fit.
    LastPart(path ? path : "", buf, sizeof(buf));
    return buf;
}

const char *StripFn(const char *path) {
    static char buf[STRIP_FN_SIZE];
    // A directory part longer than 255 characters is cut to fit.
    DirPart(path ? path : "", buf, sizeof(buf));
    return buf;
}

const char *JoinDir(const char *dir) {
    return strcmp(dir, "/") == 0 ? "" : dir;
}

bool FindFile(const char *dir, const char *name) {
    if (!dir && (!name || !name[0]))
        return false;
    if (!dir) {
        dir = name;
        name = nullptr;
    }

    // The directory to list and the entry to look for in it.
    const char *where = dir;
    const char *what = name;
    char joined[PATH_BUF_SIZE];
    char dirPart[PATH_BUF_SIZE];
    char lastPart[PATH_BUF_SIZE];
    if (name && name[0]) {
        if (strchr(name, '/')) {
            int n = snprintf(joined, sizeof(joined), "%s/%s", dir, name);
            if (n < 0 || static_cast<size_t>(n) >= sizeof(joined))
                return false;
            char *slash = strrchr(joined, '/');
            *slash = '\0';
            where = joined[0] ? joined : "/";
            what = slash + 1;
        }
    } else {
        if (!DirPart(dir, dirPart, sizeof(dirPart)) || !LastPart(dir, lastPart, sizeof(lastPart)))
            return false;
        where = dirPart;
        what = lastPart;
    }
    // An empty name would match the empty element after the listing's final
    // blank; no entry has an empty name.
    if (!what[0])
        return false;

    char *list = GetDirFileList(where);
    if (!list)
        return false;
    bool found = FindToken(what, list) != 0;
    PutMem(list);
    return found;
}

int GetFileType(const char *path) {
    struct stat st;
    if (!path || lstat(path, &st) != 0)
        return 0;
    if (S_ISDIR(st.st_mode))
        return 1;
    if (S_ISLNK(st.st_mode))
        return 2;
    return 3;
}

bool OwnedByThisUser(const char *path) {
    struct stat st;
    return geteuid() == 0 || lstat(path, &st) != 0 || st.st_uid == geteuid();
}

// Whether group root has members besides root and the running user.
static bool GroupRootShared() {
    return pGroupRootOthers != nullptr && pGroupRootOthers[0] != '\0';
}

// A link's own mode means nothing; in a sticky directory nobody may rename
// or remove another's entry.
static bool LinkOrSticky(mode_t mode) {
    return S_ISLNK(mode) || (S_ISDIR(mode) && (mode & S_ISVTX) != 0);
}

bool OwnedAndClosed(uid_t owner, gid_t group, mode_t mode) {
    if (owner != 0 && owner != geteuid())
        return false;
    if (LinkOrSticky(mode))
        return true;
    if ((mode & S_IWOTH) != 0)
        return false;
    return (mode & S_IWGRP) == 0 || (group == 0 && !GroupRootShared());
}

// The extended attributes that hold an entry's ACLs, and their layout.
static constexpr char AclAccess[] = "system.posix_acl_access";
static constexpr char AclDefault[] = "system.posix_acl_default";
constexpr size_t ACL_HEADER_SIZE = 4;
constexpr size_t ACL_ENTRY_SIZE = 8;
constexpr unsigned ACL_VERSION = 2;
// Room for the ACLs read here: 511 entries, far beyond what any file system keeps.
constexpr size_t ACL_BUF_SIZE = ACL_HEADER_SIZE + 511 * ACL_ENTRY_SIZE;

// The little-endian number of bytes octets at p.
static unsigned LittleEndian(const unsigned char *p, int bytes) {
    unsigned value = 0;
    for (int i = bytes - 1; i >= 0; i--)
        value = (value << 8) | p[i];
    return value;
}

// Entry i of a binary ACL whose size was checked.
static AclEntry AclEntryAt(const unsigned char *data, size_t i) {
    const unsigned char *p = data + ACL_HEADER_SIZE + i * ACL_ENTRY_SIZE;
    return AclEntry{LittleEndian(p, 2), LittleEndian(p + 2, 2), LittleEndian(p + 4, 4)};
}

// Number of entries of a binary ACL, or -1 when it is none.
static long AclEntryCount(const unsigned char *data, size_t size) {
    if (size < ACL_HEADER_SIZE || (size - ACL_HEADER_SIZE) % ACL_ENTRY_SIZE != 0 ||
        LittleEndian(data, 4) != ACL_VERSION)
        return -1;
    return static_cast<long>((size - ACL_HEADER_SIZE) / ACL_ENTRY_SIZE);
}

// Whether a named entry's write reaches someone other than root and this user.
static bool WritesForOthers(const AclEntry &e) {
    if ((e.perm & ACL_WRITE) == 0)
        return false;
    if (e.tag == ACL_TAG_USER)
        return e.id != 0 && e.id != geteuid();
    return e.tag == ACL_TAG_GROUP && (e.id != 0 || GroupRootShared());
}

int AclLetsOthersWrite(const unsigned char *data, size_t size, AclEntry *found) {
    long count = AclEntryCount(data, size);
    if (count < 0)
        return -1;
    // Without a mask a named entry cannot stand; with one it bounds them all.
    unsigned mask = ACL_READ | ACL_WRITE | ACL_EXECUTE;
    for (long i = 0; i < count; i++) {
        AclEntry e = AclEntryAt(data, static_cast<size_t>(i));
        if (e.tag == ACL_TAG_MASK)
            mask = e.perm;
    }
    for (long i = 0; i < count; i++) {
        AclEntry e = AclEntryAt(data, static_cast<size_t>(i));
        if ((mask & ACL_WRITE) != 0 && WritesForOthers(e)) {
            *found = e;
            return 1;
        }
    }
    return 0;
}

// Reads the ACL attribute name of path (not followed) into buf; its size, 0
// when there is none (or no ACLs on that file system), -1 when unreadable.
static ssize_t ReadAcl(const char *path, const char *name, unsigned char *buf) {
    ssize_t got = lgetxattr(path, name, buf, ACL_BUF_SIZE);
    if (got >= 0)
        return got;
    return errno == ENODATA || errno == ENOTSUP ? 0 : -1;
}

bool CloseAcl(const char *path) {
    // A default ACL goes whole: its group and other entries would otherwise
    // give what is made below mode bits that no umask narrows.
    if (lgetxattr(path, AclDefault, nullptr, 0) > 0 && lremovexattr(path, AclDefault) != 0)
        return false;
    unsigned char buf[ACL_BUF_SIZE];
    ssize_t got = ReadAcl(path, AclAccess, buf);
    long count = got > 0 ? AclEntryCount(buf, static_cast<size_t>(got)) : 0;
    if (got < 0 || count < 0)
        return false;
    // The entries kept are moved down over those dropped, in order.
    size_t kept = 0;
    for (long i = 0; i < count; i++) {
        AclEntry e = AclEntryAt(buf, static_cast<size_t>(i));
        bool named = e.tag == ACL_TAG_USER || e.tag == ACL_TAG_GROUP;
        if (named && (e.perm & ACL_WRITE) != 0)
            continue;
        memmove(buf + ACL_HEADER_SIZE + kept * ACL_ENTRY_SIZE,
                buf + ACL_HEADER_SIZE + static_cast<size_t>(i) * ACL_ENTRY_SIZE, ACL_ENTRY_SIZE);
        kept++;
    }
    return kept == static_cast<size_t>(count) ||
           lsetxattr(path, AclAccess, buf, ACL_HEADER_SIZE + kept * ACL_ENTRY_SIZE, 0) == 0;
}

// Links CheckDirChain follows in one path at most, as many as the kernel does.
constexpr int CHAIN_LINKS_MAX = 40;

// Records fault at entry (with its status, when known) in chain; false.
static bool ChainFails(DirChain *chain, int fault, const char *entry, const struct stat *st) {
    chain->fault = fault;
    chain->why = WHY_MODE;
    CopyPart(chain->where, sizeof(chain->where), entry, strlen(entry));
    chain->owner = st ? st->st_uid : 0;
    chain->group = st ? st->st_gid : 0;
    chain->mode = st ? st->st_mode : 0;
    return false;
}

// Cuts the last component of the resolved path out (length *len, "" for /).
static void DropLastName(char *out, size_t *len) {
    while (*len > 0 && out[*len - 1] != '/')
        (*len)--;
    if (*len > 0)
        (*len)--;
    out[*len] = '\0';
}

bool HasAcl(const char *path) {
    return lgetxattr(path, AclAccess, nullptr, 0) > 0 || lgetxattr(path, AclDefault, nullptr, 0) > 0;
}

// Checks the entry at path (status st) as CheckDirChain does; false with the
// fault recorded in chain when someone else may change it.
static bool EntryClosed(const char *path, const struct stat &st, DirChain *chain) {
    if (!OwnedAndClosed(st.st_uid, st.st_gid, st.st_mode)) {
        ChainFails(chain, CHAIN_UNSAFE, path, &st);
        // Only group root's members stand in the way.
        if (st.st_gid == 0 && OwnedAndClosed(st.st_uid, 0, st.st_mode & ~S_IWGRP))
            chain->why = WHY_GROUP_ROOT;
        return false;
    }
    if (LinkOrSticky(st.st_mode))
        return true;
    unsigned char acl[ACL_BUF_SIZE];
    ssize_t got = ReadAcl(path, AclAccess, acl);
    int opens = got > 0 ? AclLetsOthersWrite(acl, static_cast<size_t>(got), &chain->acl) : 0;
    if (got < 0 || opens < 0)
        return ChainFails(chain, CHAIN_UNREADABLE, path, &st);
    if (opens == 0)
        return true;
    AclEntry entry = chain->acl;
    ChainFails(chain, CHAIN_UNSAFE, path, &st);
    chain->why = WHY_ACL;
    chain->acl = entry;
    return false;
}

// CheckDirChain, or with fileEnd CheckFileChain: the last component may then
// be a regular file, checked as the directories are.
static bool WalkChain(const char *path, DirChain *chain, bool fileEnd) {
    chain->fault = CHAIN_SAFE;
    chain->why = WHY_MODE;
    chain->exists = false;
    chain->where[0] = '\0';
    // What is left to walk, always absolute; the walked part goes to out,
    // real directories only ("" stands for the root).
    char rest[PATH_MAX];
    char next[PATH_MAX];
    char *out = chain->resolved;
    size_t outLen = 0;
    out[0] = '\0';
    int n = 0;
    if (path[0] == '/') {
        n = snprintf(rest, sizeof(rest), "%s", path);
    } else {
        if (!getcwd(next, sizeof(next)))
            return ChainFails(chain, CHAIN_UNREADABLE, path, nullptr);
        n = snprintf(rest, sizeof(rest), "%s/%s", next, path);
    }
    if (n < 0 || static_cast<size_t>(n) >= sizeof(rest))
        return ChainFails(chain, CHAIN_UNREADABLE, path, nullptr);

    struct stat st;
    if (lstat("/", &st) != 0)
        return ChainFails(chain, CHAIN_UNREADABLE, "/", nullptr);
    if (!EntryClosed("/", st, chain))
        return false;
    int missing = 0; // components at the end of out that do not exist
    int links = 0;
    for (const char *p = rest; *p != '\0';) {
        p += strspn(p, "/");
        size_t len = strcspn(p, "/");
        const char *name = p;
        p += len;
        if (len == 0 || (len == 1 && name[0] == '.'))
            continue;
        if (len == 2 && name[0] == '.' && name[1] == '.') {
            DropLastName(out, &outLen);
            missing -= missing > 0 ? 1 : 0;
            continue;
        }
        if (outLen + 1 + len >= sizeof(chain->resolved))
            return ChainFails(chain, CHAIN_UNREADABLE, path, nullptr);
        out[outLen] = '/';
        memcpy(out + outLen + 1, name, len);
        outLen += 1 + len;
        out[outLen] = '\0';
        if (missing > 0 || lstat(out, &st) != 0) {
            if (missing == 0 && errno != ENOENT)
                return ChainFails(chain, CHAIN_UNREADABLE, out, nullptr);
            missing++;
            continue;
        }
        bool fileAtEnd = fileEnd && *p == '\0' && S_ISREG(st.st_mode);
        if (!S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode) && !fileAtEnd)
            return ChainFails(chain, CHAIN_NOT_DIRECTORY, out, &st);
        if (!EntryClosed(out, st, chain))
            return false;
        if (!S_ISLNK(st.st_mode))
            continue;
        // A link: its target is walked from the directory that holds it (from
        // the root when absolute), followed by what was left.
        char target[PATH_MAX];
        ssize_t got = readlink(out, target, sizeof(target) - 1);
        if (++links > CHAIN_LINKS_MAX || got <= 0)
            return ChainFails(chain, CHAIN_UNREADABLE, out, &st);
        target[got] = '\0';
        DropLastName(out, &outLen);
        if (target[0] == '/') {
            outLen = 0;
            out[0] = '\0';
        }
        // Nothing left: no "/" behind the target, which may be a file's name.
        n = *p != '\0' ? snprintf(next, sizeof(next), "%s/%s", target, p)
                       : snprintf(next, sizeof(next), "%s", target);
        if (n < 0 || static_cast<size_t>(n) >= sizeof(next))
            return ChainFails(chain, CHAIN_UNREADABLE, path, nullptr);
        memcpy(rest, next, static_cast<size_t>(n) + 1);
        p = rest;
    }
    if (outLen == 0)
        CopyPart(out, sizeof(chain->resolved), "/", 1);
    chain->exists = missing == 0;
    return true;
}

bool CheckDirChain(const char *path, DirChain *chain) {
    return WalkChain(path, chain, false);
}

bool CheckFileChain(const char *path, DirChain *chain) {
    if (!WalkChain(path, chain, true))
        return false;
    struct stat st;
    if (chain->exists && lstat(chain->resolved, &st) == 0 && S_ISREG(st.st_mode))
        return true;
    return ChainFails(chain, chain->exists ? CHAIN_NOT_DIRECTORY : CHAIN_UNREADABLE, path, nullptr);
}

// Directory levels RemoveEntry descends at most; each holds a descriptor.
constexpr int REMOVE_DEPTH = 256;

// Removes name in the directory dirfd, a directory with everything in it.
// Never follows a link: a directory is opened with O_NOFOLLOW and emptied
// through its descriptor.
static bool RemoveAt(int dirfd, const char *name, int depth) {
    if (unlinkat(dirfd, name, 0) == 0 || errno == ENOENT)
        return true;
    if ((errno != EISDIR && errno != EPERM) || depth <= 0)
        return false;
    int fd = openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    for (struct dirent *e = readdir(dir); e; e = readdir(dir)) {
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
            RemoveAt(fd, e->d_name, depth - 1);
    }
    closedir(dir);
    return unlinkat(dirfd, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

bool RemoveEntry(const char *path) {
    return path && RemoveAt(AT_FDCWD, path, REMOVE_DEPTH);
}

FILE *OpenFile(FILE *stream, const char *path, const char *mode, int report) {
    if (stream)
        fclose(stream);
    FILE *f = path && mode ? fopen(path, mode) : nullptr;
    if (f)
        return f;
    if (report == 2)
        SysError(common_115, path);
    if (report == 1)
        fprintf(stderr, common_114, path);
    return nullptr;
}

bool OpenInputFile(const char *path, int severity) {
    CloseInputFile();
    pIn = path ? fopen(path, "rt") : nullptr;
    linesRead = 0;
    if (pIn)
        return true;
    ErrorMsg(severity, 0, common_115, path);
    LineBuf[0] = '\0';
    return false;
}

// Reads one physical line of the input file behind LineBuf[*used], with its
// newline. A line over LINE_LIMIT characters, one that would not fit LineBuf,
// or one holding a NUL byte sets *fault and is read to its end without being
// kept. *continues tells whether the line ended in backslash-newline. False
// at the end of the file, when nothing was read.
static bool ReadPhysicalLine(size_t *used, int *fault, bool *continues) {
    size_t len = 0;
    int c = EOF;
    int last = EOF;
    bool any = false;
    while ((c = getc(pIn)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        last = c;
        len++;
        if (c == '\0' && *fault == LINE_FINE)
            *fault = LINE_HAS_NUL;
        // Room for this character, a newline and the terminating NUL.
        if ((len > LINE_LIMIT || *used + 3 > LINEBUF_SIZE) && *fault == LINE_FINE)
            *fault = LINE_TOO_LONG;
        if (*fault == LINE_FINE)
            LineBuf[(*used)++] = static_cast<char>(c);
    }
    *continues = c == '\n' && last == '\\';
    if (c == '\n' && *fault == LINE_FINE)
        LineBuf[(*used)++] = '\n';
    LineBuf[*used] = '\0';
    return any;
}

bool GetFileLine() {
    lineFault = LINE_FINE;
    if (!pIn)
        return false;
    size_t used = 0;
    bool continues = false;
    lineStart = linesRead + 1;
    if (!ReadPhysicalLine(&used, &lineFault, &continues)) {
        CloseInputFile();
        return false;
    }
    linesRead++;
    // A line ending in backslash-newline goes on with the next one, read
    // directly behind it.
    while (continues && ReadPhysicalLine(&used, &lineFault, &continues))
        linesRead++;
    if (lineFault != LINE_FINE)
        LineBuf[0] = '\0';
    return true;
}

int GetFileLineFault() {
    return lineFault;
}

int GetFileLineNumber() {
    return lineStart;
}

void CloseInputFile() {
    if (!pIn)
        return;
    fclose(pIn);
    pIn = nullptr;
}

// Reads from fd into buf until max bytes, the end of the file or an error;
// gives the number of bytes read.
static size_t ReadUpTo(int fd, char *buf, size_t max) {
    size_t got = 0;
    while (got < max) {
        ssize_t n = read(fd, buf + got, max - got);
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    return got;
}

bool GetFileContent(const char *dir, const char *name) {
    if (!dir)
        return false;
    const char *path = dir;
    if (name) {
        int n = snprintf(LineBuf, sizeof(LineBuf), "%s/%s", dir, name);
        if (n < 0 || static_cast<size_t>(n) >= sizeof(LineBuf))
            return false;
        path = LineBuf;
    }
    // Non-blocking and only a regular file: a FIFO there is answered at once.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    size_t got = ReadUpTo(fd, LineBuf, static_cast<size_t>(FILE_CONTENT_MAX));
    LineBuf[got] = '\0';
    close(fd);
    return true;
}

char *ReadWholeFile(const char *dir, const char *name) {
    if (!dir)
        return nullptr;
    char *path = name ? SaveStr("%s/%s", dir, name) : SaveStr("%s", dir);
    // Non-blocking, so that a FIFO planted there is refused rather than waited on.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    PutMem(path);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size >= INT32_MAX) {
        close(fd);
        return nullptr;
    }
    size_t size = static_cast<size_t>(st.st_size);
    char *text = static_cast<char *>(GetMem(static_cast<int32_t>(size + 1)));
    if (!text) {
        close(fd);
        return nullptr;
    }
    // A file that shrinks meanwhile ends early; what it grew by is not read.
    size_t got = ReadUpTo(fd, text, size);
    text[got] = '\0';
    close(fd);
    return text;
}

char *ReadLinkText(const char *path) {
    // Room for any link the system allows: a text is never cut.
    char text[PATH_MAX];
    ssize_t len = path != nullptr ? readlink(path, text, sizeof text - 1) : -1;
    if (len <= 0)
        return nullptr;
    text[len] = '\0';
    return SaveStr("%s", text);
}

bool CreateTextFile(const char *path, const char *mode, int permissions, const char *format, ...) {
    FILE *f = path && mode ? fopen(path, mode) : nullptr;
    if (!f) {
        fprintf(stderr, common_007, path);
        return false;
    }
    va_list ap;
    va_start(ap, format);
    vfprintf(f, format, ap);
    va_end(ap);
    if (permissions != 0)
        fchmod(fileno(f), static_cast<mode_t>(permissions));
    // A text that could not be written whole (a full file system) is a failure.
    bool written = !ferror(f);
    return fclose(f) == 0 && written;
}

// Attempts at making the new file of a replacement while something else
// keeps appearing at its name.
constexpr int REPLACE_TRIES = 20;

FILE *StartReplacement(const char *path, char **newPath) {
    *newPath = SaveStr("%s.new", path);
    for (int tries = 0; tries < REPLACE_TRIES; tries++) {
        int fd = open(*newPath, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            FILE *out = fdopen(fd, "w");
            if (out != nullptr)
                return out;
            close(fd);
            break;
        }
        // A leftover file or link goes; a directory there is no leftover.
        struct stat st;
        if (errno != EEXIST || lstat(*newPath, &st) != 0 || S_ISDIR(st.st_mode) || unlink(*newPath) != 0)
            break;
    }
    fprintf(stderr, common_114, path);
    return nullptr;
}

bool FinishReplacement(FILE *out, char *newPath, const char *path, int permissions) {
    bool done = fflush(out) == 0 && !ferror(out);
    // An entry inherited from the directory's default ACL must not let
    // anyone else write the file once it stands at path.
    done = CloseAcl(newPath) && done;
    done = fchmod(fileno(out), static_cast<mode_t>(permissions)) == 0 && done;
    done = fsync(fileno(out)) == 0 && done;
    done = fclose(out) == 0 && done;
    done = done && rename(newPath, path) == 0;
    if (!done)
        unlink(newPath);
    PutMem(newPath);
    return done;
}

// Appends " name" to list (capacity size, NUL-terminated). False when it does
// not fit; list is then unchanged.
static bool AppendName(char *list, size_t size, size_t *used, const char *name) {
    size_t len = strlen(name);
    if (*used + 1 + len + 1 > size)
        return false;
    list[*used] = ' ';
    memcpy(list + *used + 1, name, len + 1);
    *used += 1 + len;
    return true;
}

// Number of attempts at a listing whose directory grows between the passes.
constexpr int LIST_ATTEMPTS = 4;

char *GetDirFileList(const char *dir) {
    if (!dir)
        return nullptr;
    DIR *handle = opendir(dir);
    if (!handle)
        return nullptr;

    for (int attempt = 0; attempt < LIST_ATTEMPTS; attempt++) {
        size_t total = 0;
        for (const char *name = ReadDir(handle); name; name = ReadDir(handle))
            total += strlen(name) + 1;
        // Each name as " name", then " " and the NUL, and one byte to spare.
        const size_t size = total + 3;
        if (size > static_cast<size_t>(INT32_MAX))
            break;
        char *list = static_cast<char *>(GetMem(static_cast<int32_t>(size)));
        if (!list)
            break;

        // The directory may change between the passes: a second pass that
        // does not fit any more starts the listing again.
        rewinddir(handle);
        size_t used = 0;
        bool fits = true;
        for (const char *name = ReadDir(handle); name && fits; name = ReadDir(handle))
            fits = AppendName(list, size, &used, name);
        if (fits && AppendName(list, size, &used, "")) {
            closedir(handle);
            return list;
        }
        PutMem(list);
        rewinddir(handle);
    }
    closedir(handle);
    return nullptr;
}

const char *ReadDir(DIR *handle) {
    if (!handle)
        return nullptr;
    struct dirent *entry = readdir(handle);
    return entry ? entry->d_name : nullptr;
}

char *FindExistingPath(const char *path, int *flag) {
    if (!path)
        path = "";
    char buf[PATH_BUF_SIZE];
    char up[PATH_BUF_SIZE];
    // A path too long for the buffer starts the walk at an ancestor that fits.
    if (!CopyPart(buf, sizeof(buf), path, strlen(path))) {
        DirPart(buf, up, sizeof(up));
        CopyPart(buf, sizeof(buf), up, strlen(up));
    }

    while (!FindFile(buf, nullptr) && strcmp(buf, "/") != 0) {
        DirPart(buf, up, sizeof(up));
        // "." of an unreadable working directory has no further parent.
        if (strcmp(up, buf) == 0)
            break;
        CopyPart(buf, sizeof(buf), up, strlen(up));
    }
    if (flag && strcmp(buf, path) == 0)
        *flag = 1;
    return SaveStr("%s", buf);
}

double MaxD(double a, double b) {
    return a > b ? a : b;
}

char *ReadWholeData(const char *dir, const char *name, size_t *size) {
    *size = 0;
    char *path = SaveStr("%s/%s", dir, name);
    // Non-blocking, so that a FIFO planted there is refused rather than waited on.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    PutMem(path);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size >= INT32_MAX) {
        if (fd >= 0)
            close(fd);
        return nullptr;
    }
    char *data = static_cast<char *>(GetMem(static_cast<int32_t>(st.st_size + 1)));
    if (data != nullptr) {
        *size = ReadUpTo(fd, data, static_cast<size_t>(st.st_size));
        data[*size] = '\0';
    }
    close(fd);
    return data;
}
