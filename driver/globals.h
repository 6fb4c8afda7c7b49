// Run-wide globals of the installer and the driver's own path routines.
#pragma once

#include <cstdint>

extern char *pVarenInstallDir;   // work area: /tmp/VarenInstall or DIR/VarenInstall
extern char *pPathToSetup;       // directory holding the running installer (SITE)
extern char *my_name;            // last component of argv[0]
extern char *pCmdLineInstallDir; // base from "install BASE", or null
extern char *pCurrentInstallDir; // base of the earlier installation, or null
extern char *pTargetInstallDir;  // base this run installs into (BASE)
extern char *pAppDir;            // BASE/Varen/tvxx (APP)
extern uint8_t flCreatedTmpDir;  // the installer created the work-area directory
extern char *pCreatedWorkDir;    // that directory, when it is the one in use; else null
extern const char pBinaryInstanceCheckList[];

// Base directory of the installation found at /usr/Varen/tvxx (saved
// string), or null when there is none.
char *locatePreviousInstallation();
// Cuts path in place at "tvxx", then at "Varen", then drops one final "/".
char *StripToBaseName(char *path);
// Moves the installation from pCurrentInstallDir to pTargetInstallDir and
// remakes the link at /usr/Varen/tvxx.
void moveInstallation();
// Final clean-up: removes the work area, runs tvqadmin -upgrade and -clean.
void VarenClean(const char *workArea);
