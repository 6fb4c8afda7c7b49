// The command table and the lookup of its commands: at start-up every command
// is located by listing the fixed system directories and then those of PATH;
// a command used before that is located on demand along the same search path.
#include "syscmd/cmdtable.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "support/files.h"
#include "support/mem.h"
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
    {nullptr, nullptr, nullptr, 0},   // 83: end of table
};
static_assert(sizeof(ComRows) / sizeof(ComRows[0]) == COM_COUNT, "the table has 84 rows");
static_assert(CMD_END == COM_COUNT - 1, "the end record is the last row");
static_assert(ComRows[CMD_END].pName == nullptr && ComRows[CMD_END].pOpts == nullptr,
              "the end record has no name");
static_assert(ComRows[CMD_NONE].pName[0] == '\0' && ComRows[CMD_LINE].pName[0] == '\0',
              "rows 0 and 1 name no command");
static_assert(ComRows[CMD_SH].pName[0] == 's' && ComRows[CMD_SH].pName[1] == 'h' &&
                  ComRows[CMD_SH].pName[2] == '\0',
              "row 31 is the shell");
static_assert(ComRows[CMD_SHA256SUM].pName != nullptr, "row 82 is the last command");

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
};
static_assert(sizeof(ComList) / sizeof(ComList[0]) == COM_COUNT, "ComList has 84 rows");

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

// Offers every ":"-separated directory of list (cut in place) to FillCmdPaths
// until no command is missing. Returns whether some command is still missing.
static bool WalkDirs(char *list, bool missing) {
    for (char *dir = GetTokenParse(list, ":"); dir; dir = GetTokenParse(nullptr, ":")) {
        if (!missing)
            break;
        missing = FillCmdPaths(dir);
    }
    return missing;
}

void InitSysCmdList() {
    bool missing = true;
    flInitSysCmd = false;

    // The copy of PATH and the cut SearchPaths are never freed: the located
    // directories point into them for the rest of the run.
    char *path = BuildFullSearchPath();
    missing = WalkDirs(SearchPaths, missing);
    if (missing && path)
        WalkDirs(path, missing);

    // The environment keeps this pointer, so the text is never freed.
    putenv(SaveStr("SHELL=%s/%s", ShellDir(), ComList[CMD_SH].pName));

    if (flUseLog) {
        flSysCmdLog = true;
        PutLogMsg("initializing system\n");
    }
}

bool FillCmdPaths(const char *dir) {
    char *list = GetDirFileList(dir);
    if (!list)
        return true;

    bool missing = false;
    for (int id = CMD_CANCEL; ComList[id].pName && ComList[id].pName[0]; id++) {
        if (!ComList[id].pPath && FindToken(ComList[id].pName, list) != 0)
            ComList[id].pPath = dir;
        if (!ComList[id].pPath)
            missing = true;
    }
    PutMem(list);
    return missing;
}

bool FillCmdPath(int id) {
    if (id < CMD_CANCEL || id >= CMD_END)
        return false;
    if (!FullSearchPath)
        BuildFullSearchPath();

    // GetToken copies each piece, so FullSearchPath stays whole for later calls.
    for (const char *dir = GetToken(FullSearchPath, ":"); dir; dir = GetToken(nullptr, ":")) {
        if (FindFile(dir, ComList[id].pName)) {
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
