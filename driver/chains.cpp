// The directories a run works in: the work area's, the earlier
// installation's and /usr/Varen, each checked from / down before the run
// changes anything.
#include "driver/chains.h"

#include <cstring>

#include "driver/place.h"
#include "install/owndirs.h"
#include "support/mem.h"
#include "support/savestr.h"

// Checks the chain of path; ends the run for any fault when strict, else
// only for an entry someone else could change.
static void RequireChain(const char *path, bool strict) {
    DirChain chain;
    if (!CheckDirChain(path, &chain) && (strict || chain.fault == CHAIN_UNSAFE)) {
        RefuseChain(chain);
    }
}

void CheckRunDirectories() {
    // The work area is made anew by the run inside the directory that holds it.
    char *workDir = SaveStr("%s", pVarenInstallDir);
    char *slash = strrchr(workDir, '/');
    if (slash != nullptr) {
        slash[slash == workDir ? 1 : 0] = '\0';
    }
    RequireChain(workDir, true);
    PutMem(workDir);
    RequireChain("/usr/Varen", false);
    char *current = locatePreviousInstallation();
    if (current != nullptr) {
        char *app = SaveStr("%s/%s/%s", current, "Varen", "tvxx");
        RequireChain(app, false);
        PutMem(app);
        PutMem(current);
    }
}
