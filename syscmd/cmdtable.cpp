// The command table and the lookup of its commands: at start-up every command
// is located by listing the fixed system directories and then those of PATH;
// a command used before that is located on demand along the same search path.
// Wherever it is found, a command counts only when nobody but root can
// change it or a directory on the way to it; one that fails is logged and
// looked for further on.
// Layers of this folder, each file using only those below it: log.cpp
// (support only), this table, run.cpp, then query.cpp and fileops.cpp.
#include "syscmd/cmdtable.h"

#include <cstdint>
#include <cstdlib>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "support/files.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/log.h"

// The constant part of every row, in command-id order. ComList below is the
// writable copy whose pPath the lookup fills in.
constexpr ComEntry ComRows[] = {
    {"", "", nullptr, 0},             // 0: caller's text is the line, not logged
    {"", "", nullptr, 0},             // 1: caller's text is the line, logged
    {"cancel", "", nullptr, 2},       // 2
    {"cat", "", nullptr, 0},          // 3
    {"chgrp", "", nullptr, 0},        // 4
    {"chmod", "", nullptr, 0},        // 5
    {"chown", "", nullptr, 0},        // 6
    {"clear", "", nullptr, 0},        // 7
    {"compress", "", nullptr, 0},     // 8
    {"cp", "-p", nullptr, 0},         // 9
    {"cp", "-pr", nullptr, 0},        // 10
    {"cupsd", "", nullptr, 0},        // 11
    {"id", "", nullptr, 0},           // 12
    {"echo", "", nullptr, 0},         // 13
    {"eject", "-f", nullptr, 1},      // 14
    {"eject", "-q", nullptr, 1},      // 15
    {"file", "", nullptr, 0},         // 16
    {"ln", "", nullptr, 0},           // 17
    {"lp", "", nullptr, 0},           // 18
    {"lpc", "", nullptr, 1},          // 19
    {"lpr", "", nullptr, 0},          // 20
    {"lprm", "", nullptr, 1},         // 21
    {"lpstat", "", nullptr, 1},       // 22
    {"ls", "", nullptr, 0},           // 23
    {"kill", "-KILL", nullptr, 0},    // 24
    {"mv", "-f", nullptr, 0},         // 25
    {"mkdir", "-p", nullptr, 0},      // 26
    {"more", "", nullptr, 0},         // 27
    {"ping", "", nullptr, 0},         // 28
    {"rm", "-f", nullptr, 0},         // 29
    {"rm", "-rf", nullptr, 0},        // 30
    {"sh", "", nullptr, 0},           // 31
    {"sleep", "", nullptr, 0},        // 32
    {"tar", "cvfp", nullptr, 0},      // 33
    {"tar", "xvfp", nullptr, 0},      // 34
    {"touch", "", nullptr, 0},        // 35
    {"uncompress", "", nullptr, 0},   // 36
    {"whoami", "", nullptr, 0},       // 37
    {"zcat", "", nullptr, 0},         // 38
    {"uname", "", nullptr, 0},        // 39
    {"sed", "", nullptr, 0},          // 40
    {"du", "-s", nullptr, 0},         // 41
    {"checkpc", "", nullptr, 0},      // 42
    {"lpd", "", nullptr, 0},          // 43
    {"pkgadd", "", nullptr, 1},       // 44
    {"pkginfo", "", nullptr, 0},      // 45
    {"pkgrm", "", nullptr, 1},        // 46
    {"accept", "", nullptr, 1},       // 47
    {"disable", "", nullptr, 1},      // 48
    {"enable", "", nullptr, 1},       // 49
    {"lpadmin", "", nullptr, 1},      // 50
    {"lpfilter", "", nullptr, 1},     // 51
    {"lpsched", "", nullptr, 1},      // 52
    {"lpshut", "", nullptr, 1},       // 53
    {"lpsystem", "", nullptr, 1},     // 54
    {"ps", "-ace", nullptr, 0},       // 55
    {"bar", "", nullptr, 0},          // 56
    {"df", "", nullptr, 0},           // 57
    {"lpq", "-P", nullptr, 0},        // 58
    {"ypcat", "", nullptr, 0},        // 59
    {"reject", "", nullptr, 1},       // 60
    {"pmadm", "", nullptr, 1},        // 61
    {"sacadm", "", nullptr, 1},       // 62
    {"volcheck", "", nullptr, 0},     // 63
    {"capture", "", nullptr, 0},      // 64
    {"lpset", "", nullptr, 1},        // 65
    {"instnetpr", "", nullptr, 1},    // 66
    {"piomkpq", "", nullptr, 0},      // 67
    {"piomisc_ext", "", nullptr, 0},  // 68
    {"piomisc_base", "", nullptr, 0}, // 69
    {"lsallq", "", nullptr, 0},       // 70
    {"mkque", "", nullptr, 0},        // 71
    {"mkquedev", "", nullptr, 0},     // 72
    {"rmque", "", nullptr, 0},        // 73
    {"rmquedev", "", nullptr, 0},     // 74
    {"piochdfq", "", nullptr, 0},     // 75
    {"enq", "", nullptr, 0},          // 76
    {"lsquedev", "", nullptr, 0},     // 77
    {"lsque", "", nullptr, 0},        // 78
    {"startsrc", "", nullptr, 1},     // 79
    {"stopsrc", "", nullptr, 0},      // 80
    {"lssrc", "", nullptr, 0},        // 81
    {"sha256sum", "-c", nullptr, 0},  // 82
    {"gpgv", "", nullptr, 0},         // 83
    {"getent", "", nullptr, 0},       // 84
    {nullptr, nullptr, nullptr, 0},   // 85: end of table
};
static_assert(sizeof(ComRows) / sizeof(ComRows[0]) == COM_COUNT, "the table has 86 rows");
static_assert(CMD_END == COM_COUNT - 1, "the end record is the last row");
static_assert(ComRows[CMD_END].pName == nullptr && ComRows[CMD_END].pOpts == nullptr,
              "the end record has no name");
static_assert(ComRows[CMD_NONE].pName[0] == '\0' && ComRows[CMD_LINE].pName[0] == '\0',
              "rows 0 and 1 name no command");
static_assert(ComRows[CMD_SH].pName[0] == 's' && ComRows[CMD_SH].pName[1] == 'h' &&
                  ComRows[CMD_SH].pName[2] == '\0',
              "row 31 is the shell");
static_assert(ComRows[CMD_GETENT].pName != nullptr, "row 84 is the last command");

// Writable copy of ComRows (constant-initialised, so it is complete before any
// code runs). The unsized definition makes a missing row a compile error
// against the declaration's bound of COM_COUNT.
ComEntry ComList[] = {
    ComRows[0],  ComRows[1],  ComRows[2],  ComRows[3],  ComRows[4],  ComRows[5],  ComRows[6],
    ComRows[7],  ComRows[8],  ComRows[9],  ComRows[10], ComRows[11], ComRows[12], ComRows[13],
    ComRows[14], ComRows[15], ComRows[16], ComRows[17], ComRows[18], ComRows[19], ComRows[20],
    ComRows[21], ComRows[22], ComRows[23], ComRows[24], ComRows[25], ComRows[26], ComRows[27],
    ComRows[28], ComRows[29], ComRows[30], ComRows[31], ComRows[32], ComRows[33], ComRows[34],
    ComRows[35], ComRows[36], ComRows[37], ComRows[38], ComRows[39], ComRows[40], ComRows[41],
    ComRows[42], ComRows[43], ComRows[44], ComRows[45], ComRows[46], ComRows[47], ComRows[48],
    ComRows[49], ComRows[50], ComRows[51], ComRows[52], ComRows[53], ComRows[54], ComRows[55],
    ComRows[56], ComRows[57], ComRows[58], ComRows[59], ComRows[60], ComRows[61], ComRows[62],
    ComRows[63], ComRows[64], ComRows[65], ComRows[66], ComRows[67], ComRows[68], ComRows[69],
    ComRows[70], ComRows[71], ComRows[72], ComRows[73], ComRows[74], ComRows[75], ComRows[76],
    ComRows[77], ComRows[78], ComRows[79], ComRows[80], ComRows[81], ComRows[82], ComRows[83],
    ComRows[84], ComRows[85],
};
static_assert(sizeof(ComList) / sizeof(ComList[0]) == COM_COUNT, "ComList has 86 rows");

// Index of the command names for the start-up lookup: open addressing over
// NAME_SLOTS slots, each holding a command id or -1. Built at compile time,
// so each directory entry is looked up by its hash instead of every name
// being searched for in every listing.
constexpr int NAME_SLOTS = 256;
static_assert(NAME_SLOTS >= 2 * COM_COUNT, "the index stays at most half full");

struct NameIndex {
    int16_t ids[NAME_SLOTS];
};

constexpr size_t NameLength(const char *name) {
    size_t len = 0;
    while (name[len] != '\0')
        len++;
    return len;
}

// FNV-1a over the name's characters, reduced to a slot.
constexpr int NameSlot(const char *name, size_t len) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < len; i++)
        hash = (hash ^ static_cast<unsigned char>(name[i])) * 16777619u;
    return static_cast<int>(hash % NAME_SLOTS);
}

constexpr size_t LongestName() {
    size_t longest = 0;
    for (int id = CMD_CANCEL; id < CMD_END; id++) {
        size_t len = NameLength(ComRows[id].pName);
        longest = len > longest ? len : longest;
    }
    return longest;
}
constexpr size_t LONGEST_NAME = LongestName();

// Every command row from id 2 on, in the probe sequence of its name's slot.
// Rows that share a name (cp -p and cp -pr, say) each have a slot.
constexpr NameIndex BuildNameIndex() {
    NameIndex index{};
    for (int16_t &slot : index.ids)
        slot = -1;
    for (int id = CMD_CANCEL; id < CMD_END; id++) {
        int slot = NameSlot(ComRows[id].pName, NameLength(ComRows[id].pName));
        while (index.ids[slot] != -1)
            slot = (slot + 1) % NAME_SLOTS;
        index.ids[slot] = static_cast<int16_t>(id);
    }
    return index;
}
constexpr NameIndex ComNameIndex = BuildNameIndex();

char SearchPaths[44] = "/usr/sbin:/usr/bin:/bin:/sbin:/etc:/usr/etc";
static_assert(sizeof("/usr/sbin:/usr/bin:/bin:/sbin:/etc:/usr/etc") == sizeof(SearchPaths),
              "SearchPaths holds the fixed directories exactly");
char *FullSearchPath = nullptr;
bool flInitSysCmd = true;
bool flSysCmdLog = false;

// Directory used for the shell when sh was not located.
constexpr char DEFAULT_SHELL_DIR[] = "/bin";

const char *ShellDir() {
    return ComList[CMD_SH].pPath ? ComList[CMD_SH].pPath : DEFAULT_SHELL_DIR;
}

// Builds FullSearchPath from SearchPaths (not yet cut) and PATH. Returns the
// private copy of PATH, or null when PATH is unset.
static char *BuildFullSearchPath() {
    char *path = GetEnv("PATH");
    FullSearchPath = SaveStr("%s:%s", SearchPaths, path ? path : "");
    return path;
}

// The directories the start-up lookup has read, by device and inode: a
// directory reached again under another name (/bin as a link to /usr/bin, a
// PATH entry that repeats a fixed directory) can locate nothing new, so it
// is not read again. Past MAX_DIRS_READ directories the rest are all read.
constexpr int MAX_DIRS_READ = 64;
struct DirsRead {
    dev_t dev[MAX_DIRS_READ];
    ino_t ino[MAX_DIRS_READ];
    int count;
};

// Whether the open directory was read before; if not, it is noted as read.
static bool ReadBefore(DIR *handle, DirsRead *read) {
    struct stat st;
    if (!read || fstat(dirfd(handle), &st) != 0)
        return false;
    for (int k = 0; k < read->count; k++) {
        if (read->dev[k] == st.st_dev && read->ino[k] == st.st_ino)
            return true;
    }
    if (read->count < MAX_DIRS_READ) {
        read->dev[read->count] = st.st_dev;
        read->ino[read->count++] = st.st_ino;
    }
    return false;
}

bool TrustedCommand(const char *dir, const char *name) {
    char path[PATH_MAX];
    int n = snprintf(path, sizeof path, "%s/%s", dir, name);
    DirChain chain;
    if (n < 0 || static_cast<size_t>(n) >= sizeof path) {
        PutLogMsg("command %s/%s skipped: the path is too long\n", dir, name);
        return false;
    }
    if (CheckFileChain(path, &chain))
        return true;
    if (chain.fault == CHAIN_UNSAFE)
        PutLogMsg("command %s skipped: someone other than root may change %s\n", path, chain.where);
    else
        PutLogMsg("command %s skipped: no regular file, or %s cannot be examined\n", path,
                  chain.where);
    return false;
}

// Records dir for every unlocated row whose name is exactly name, when the
// command there passes TrustedCommand (checked once for all such rows).
static void LocateName(const char *name, const char *dir) {
    size_t len = strnlen(name, LONGEST_NAME + 1);
    if (len == 0 || len > LONGEST_NAME)
        return;
    int trusted = -1; // not checked yet
    for (int slot = NameSlot(name, len); ComNameIndex.ids[slot] != -1;
         slot = (slot + 1) % NAME_SLOTS) {
        ComEntry &row = ComList[ComNameIndex.ids[slot]];
        if (row.pPath || strcmp(row.pName, name) != 0)
            continue;
        if (trusted < 0)
            trusted = TrustedCommand(dir, name) ? 1 : 0;
        if (trusted == 1)
            row.pPath = dir;
    }
}

// FillCmdPaths, passing over a directory in read (when given) that was read
// before.
static bool FillFromDir(const char *dir, DirsRead *read) {
    // One pass over the directory: each entry is looked up in the index of
    // the command names (exact, case-sensitive, any kind of entry).
    DIR *handle = dir ? opendir(dir) : nullptr;
    if (!handle)
        return true;
    if (!ReadBefore(handle, read)) {
        for (const char *name = ReadDir(handle); name; name = ReadDir(handle))
            LocateName(name, dir);
    }
    closedir(handle);

    bool missing = false;
    for (int id = CMD_CANCEL; ComList[id].pName && ComList[id].pName[0]; id++) {
        if (!ComList[id].pPath)
            missing = true;
    }
    return missing;
}

bool FillCmdPaths(const char *dir) {
    return FillFromDir(dir, nullptr);
}

// Offers every ":"-separated directory of list (cut in place) to FillFromDir
// until no command is missing. Returns whether some command is still missing.
static bool WalkDirs(char *list, bool missing, DirsRead *read) {
    for (char *dir = GetTokenParse(list, ":"); dir; dir = GetTokenParse(nullptr, ":")) {
        if (!missing)
            break;
        missing = FillFromDir(dir, read);
    }
    return missing;
}

void InitSysCmdList() {
    bool missing = true;
    flInitSysCmd = false;

    // The copy of PATH and the cut SearchPaths are never freed: the located
    // directories point into them for the rest of the run.
    char *path = BuildFullSearchPath();
    DirsRead read{};
    missing = WalkDirs(SearchPaths, missing, &read);
    if (missing && path)
        WalkDirs(path, missing, &read);

    // The environment keeps this pointer, so the text is never freed.
    putenv(SaveStr("SHELL=%s/%s", ShellDir(), ComList[CMD_SH].pName));

    // The log's first line waits for the run's real start (StartRunLog).
    if (flUseLog)
        flSysCmdLog = true;
}

bool FillCmdPath(int id) {
    if (id < CMD_CANCEL || id >= CMD_END)
        return false;
    if (!FullSearchPath)
        BuildFullSearchPath();

    // GetToken copies each piece, so FullSearchPath stays whole for later calls.
    for (const char *dir = GetToken(FullSearchPath, ":"); dir; dir = GetToken(nullptr, ":")) {
        if (FindFile(dir, ComList[id].pName) && TrustedCommand(dir, ComList[id].pName)) {
            ComList[id].pPath = SaveStr("%s", dir);
            return true;
        }
    }
    return false;
}

bool TestCmd(int id) {
    if (id < CMD_CANCEL || id >= CMD_END)
        return false;
    if (flInitSysCmd && !ComList[id].pPath)
        FillCmdPath(id);
    return ComList[id].pPath != nullptr;
}
