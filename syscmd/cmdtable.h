// The table of host commands the installer may run, and their lookup in the
// system directories and on PATH at start-up.
#pragma once

#include <cstdint>
#include <dirent.h>

struct ComEntry {
    const char *pName; // file name looked for; "" in rows 0 and 1; null ends the table
    const char *pOpts; // fixed options that follow the path; "" when none
    const char *pPath; // directory where found (no trailing "/"), null until located
    int32_t Delay;     // after each run: 0 nothing, N > 0 sleep N s, -1 wait for the process
};

constexpr int COM_COUNT = 86;
extern ComEntry ComList[COM_COUNT];

// Command ids: the row index in ComList. Call sites use these names.
enum CmdId : int {
    CMD_NONE = 0, // caller's text is the whole line, not logged
    CMD_LINE = 1, // caller's text is the whole line, logged
    CMD_CANCEL = 2,
    CMD_CAT = 3,
    CMD_CHGRP = 4,
    CMD_CHMOD = 5,
    CMD_CHOWN = 6,
    CMD_CLEAR = 7,
    CMD_COMPRESS = 8,
    CMD_CP = 9,    // cp -p
    CMD_CP_R = 10, // cp -pr
    CMD_CUPSD = 11,
    CMD_ID = 12,
    CMD_ECHO = 13,
    CMD_EJECT_F = 14,
    CMD_EJECT_Q = 15,
    CMD_FILE = 16,
    CMD_LN = 17,
    CMD_LP = 18,
    CMD_LPC = 19,
    CMD_LPR = 20,
    CMD_LPRM = 21,
    CMD_LPSTAT = 22,
    CMD_LS = 23,
    CMD_KILL = 24,
    CMD_MV = 25,    // mv -f
    CMD_MKDIR = 26, // mkdir -p
    CMD_MORE = 27,
    CMD_PING = 28,
    CMD_RM = 29,   // rm -f
    CMD_RM_R = 30, // rm -rf
    CMD_SH = 31,
    CMD_SLEEP = 32,
    CMD_TAR_C = 33, // tar cvfp
    CMD_TAR_X = 34, // tar xvfp
    CMD_TOUCH = 35,
    CMD_UNCOMPRESS = 36,
    CMD_WHOAMI = 37,
    CMD_ZCAT = 38,
    CMD_UNAME = 39,
    CMD_SED = 40,
    CMD_DU = 41, // du -s
    CMD_CHECKPC = 42,
    CMD_LPD = 43,
    CMD_PKGADD = 44,
    CMD_PKGINFO = 45,
    CMD_PKGRM = 46,
    CMD_ACCEPT = 47,
    CMD_DISABLE = 48,
    CMD_ENABLE = 49,
    CMD_LPADMIN = 50,
    CMD_LPFILTER = 51,
    CMD_LPSCHED = 52,
    CMD_LPSHUT = 53,
    CMD_LPSYSTEM = 54,
    CMD_PS = 55, // ps -ace
    CMD_BAR = 56,
    CMD_DF = 57,
    CMD_LPQ = 58,
    CMD_YPCAT = 59,
    CMD_REJECT = 60,
    CMD_PMADM = 61,
    CMD_SACADM = 62,
    CMD_VOLCHECK = 63,
    CMD_CAPTURE = 64,
    CMD_LPSET = 65,
    CMD_INSTNETPR = 66,
    CMD_PIOMKPQ = 67,
    CMD_PIOMISC_EXT = 68,
    CMD_PIOMISC_BASE = 69,
    CMD_LSALLQ = 70,
    CMD_MKQUE = 71,
    CMD_MKQUEDEV = 72,
    CMD_RMQUE = 73,
    CMD_RMQUEDEV = 74,
    CMD_PIOCHDFQ = 75,
    CMD_ENQ = 76,
    CMD_LSQUEDEV = 77,
    CMD_LSQUE = 78,
    CMD_STARTSRC = 79,
    CMD_STOPSRC = 80,
    CMD_LSSRC = 81,
    CMD_SHA256SUM = 82, // sha256sum -c: the medium's checksum file
    CMD_GPGV = 83,      // gpgv: the signature of the medium's checksum file
    CMD_GETENT = 84,    // getent: users and groups, from a directory service too
    CMD_END = 85,       // end record
};

extern char SearchPaths[44]; // "/usr/sbin:/usr/bin:/bin:/sbin:/etc:/usr/etc"
extern char *FullSearchPath; // SearchPaths ":" PATH, for the on-demand lookup
extern bool flInitSysCmd;    // true until InitSysCmdList ran
extern bool flSysCmdLog;     // commands are logged with a progress dot

// Locates every command, exports SHELL, and turns on the logging of commands
// with their progress dots when logging is on.
void InitSysCmdList();
// Records dir for every unlocated command it lists that passes TrustedCommand;
// true while some command is still unlocated (or dir cannot be listed).
bool FillCmdPaths(const char *dir);
// Whether the command dir/name may be run by root: it is a regular file
// and neither it nor a directory or link on the way to it can be changed by
// anyone but root (CheckFileChain: owner, mode bits, ACLs). Logs why a
// command that fails is skipped.
bool TrustedCommand(const char *dir, const char *name);
// Locates one command along FullSearchPath (TrustedCommand); true when found.
bool FillCmdPath(int id);
// True when id >= 2 and the command was located.
bool TestCmd(int id);
// Directory of the shell for command lines and SHELL: where sh was located,
// else /bin.
const char *ShellDir();
