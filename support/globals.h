// Run-wide globals of the installer: the paths and flags that main writes
// during start-up and every later step reads.
#pragma once

#include <cstdint>

extern char *pVarenInstallDir;   // work area: /tmp/VarenInstall or DIR/VarenInstall
extern char *pPathToSetup;       // directory holding the running installer (SITE)
extern char *my_name;            // last component of argv[0]
extern char *pCmdLineInstallDir; // base from "install BASE", or null
extern char *pCurrentInstallDir; // base of the earlier installation, or null
extern char *pTargetInstallDir;  // base this run installs into (BASE)
extern char *pAppDir;            // BASE/Varen/tvxx (APP)
extern uint8_t flDotLineOpen;    // progress dots stand on standard output without their newline
extern uint8_t flCreatedTmpDir;  // the installer created the work-area directory
extern char *pCreatedWorkDir;    // that directory, when it is the one in use; else null
extern const char pBinaryInstanceCheckList[];
// Names of group root's members (gid 0) besides root and the running user,
// comma-separated, as found once at start-up; null when it has none. While
// it has some, a directory that group root may write is not closed.
extern char *pGroupRootOthers;
