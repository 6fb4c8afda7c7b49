// Entry of setup: one pass from start-up through the checks, the move of an
// earlier installation and the site installation to the clean-up.
#include <cstdlib>
#include <cstring>

#include "driver/checks.h"
#include "install/running.h"
#include "driver/cmdline.h"
#include "driver/globals.h"
#include "install/nls.h"
#include "install/site.h"
#include "support/files.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"

// Runs the installer; never returns (every end of the run is an exit).
[[noreturn]] static void RunInstaller(int argc, char **argv) {
    flUseLog = 1;
    pVarenInstallDir = SaveStr("/tmp/%sInstall", "Varen");
    LineBuf[0] = '\0';
    const char *self = (argc > 0 && argv[0] != nullptr) ? argv[0] : "setup";
    pPathToSetup = GetToolPath(self);
    my_name = SaveStr("%s", StripPath(self));
    InitSysCmdList();
    // The first request picks the language (and shortens LANG) before any
    // command of the command line runs.
    nlsSetupStrCvt(0);
    parseCommandLineOptions(argc, argv);

    pCurrentInstallDir = locatePreviousInstallation();
    // The base read from the link at the fixed place goes into command lines
    // just as a base from the command line does.
    if (pCurrentInstallDir != nullptr && !IsShellSafePath(pCurrentInstallDir)) {
        RefusePath(pCurrentInstallDir);
    }
    if (pCmdLineInstallDir != nullptr) {
        pTargetInstallDir = pCmdLineInstallDir;
    } else if (pCurrentInstallDir != nullptr) {
        pTargetInstallDir = pCurrentInstallDir;
    } else {
        pTargetInstallDir = SaveStr("%s", "/usr");
    }
    pAppDir = SaveStr("%s/%s/%s", pTargetInstallDir, "Varen", "tvxx");

    FreeSpaceForInstall(pVarenInstallDir, pTargetInstallDir, "Varen");
    if (pCurrentInstallDir != nullptr) {
        if (QuitForRunningProcesses(pBinaryInstanceCheckList) == 1) {
            exit(0);
        }
        if (strcmp(pTargetInstallDir, pCurrentInstallDir) != 0) {
            moveInstallation();
        }
    }
    // Whatever the site installation reports, the clean-up follows.
    installFromSite(pVarenInstallDir);
    VarenClean(pVarenInstallDir);
    exit(0);
}

int main(int argc, char **argv) {
    RunInstaller(argc, argv);
}
