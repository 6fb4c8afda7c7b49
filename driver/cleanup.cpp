// The final clean-up of a run: the work area goes, the lock is kept from the
// suite's own tool, and the tool's two passes run over the installation.
#include "driver/cleanup.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "driver/lock.h"
#include "install/nls.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/run.h"

// The base whose directory the clean-up stands in while it removes the work
// area: always there, never the work area itself.
static constexpr char DefaultBase[] = "/usr";

// True when dir can be listed and holds nothing but "." and "..".
static bool IsEmptyDirectory(const char *dir) {
    char *list = GetDirFileList(dir);
    if (list == nullptr) {
        return false;
    }
    bool empty = true;
    for (char *name = GetTokenParse(list, " "); name != nullptr && empty;
         name = GetTokenParse(nullptr, " ")) {
        empty = strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
    }
    PutMem(list);
    return empty;
}

// Runs one tvqadmin pass as a logged command line (a progress dot, its
// output to the log); a pass that fails is one more failed step of the run.
static void RunSuiteTool(const char *option) {
    SysCmd(CMD_LINE, MODE_WARN, "%s/tvqadmin %s", pAppDir, option);
}

// Changes the working directory. A failure changes nothing for the clean-up:
// it goes on from wherever the process stands.
static void ChangeDirectory(const char *dir) {
    int ignored = chdir(dir);
    (void)ignored;
}

void VarenClean(const char *workArea) {
    ChangeDirectory("/");
    // Only a work area of this user's is removed: a run that is not root
    // never touches one that a root run made at the same name.
    if (OwnedByThisUser(workArea)) {
        SysCmd(CMD_RM_R, MODE_WARN, " %s", workArea);
    }
    RemoveOnStop(nullptr);
    if (flCreatedTmpDir) {
        ChangeDirectory(DefaultBase);
        if (OwnedByThisUser(pVarenInstallDir)) {
            SysCmd(CMD_RM_R, MODE_WARN, " %s", pVarenInstallDir);
        }
        // The directory the installer made for the work area goes too, but
        // only when nothing else was put there. A relative name no longer
        // names it after the change of directory, so only absolute ones.
        if (pCreatedWorkDir != nullptr && pCreatedWorkDir[0] == '/' &&
            IsEmptyDirectory(pCreatedWorkDir)) {
            SysCmd(CMD_RM_R, MODE_WARN, " %s", pCreatedWorkDir);
        }
    }
    KeepRunLockFromChildren();
    // Without an installation (a run refused before it installed) there is
    // no tool to run, and nothing is run.
    if (FindFile(pAppDir, "tvqadmin")) {
        ShowPhase(MSG_PHASE_UPGRADE);
        RunSuiteTool("-upgrade");
        RunSuiteTool("-clean");
    }
    fputs("\n", stdout);
    fflush(stdout);
    flDotLineOpen = 0;
}
