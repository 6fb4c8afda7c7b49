// The install sequence: unpack the joined archive in the work area, lay out
// the directories of a first installation, write the flags file and the
// interface scripts, run the package list, set the set-user-id modes.
#include "install/sequence.h"

#include "driver/globals.h"
#include "install/pkglist.h"
#include "install/scripts.h"
#include "install/site.h"
#include "install/spooler.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/run.h"

#include <cstring>
#include <unistd.h>

namespace {

constexpr char VENDOR[] = "Varen";
constexpr char PRODUCT[] = "tvxx";
constexpr char PKG_DIR[] = "pkg";

} // namespace

// Lays out the application directory of a first installation: directly under
// /usr with 755, elsewhere with 775 plus /usr/Varen (775, when missing) and
// the link /usr/Varen/tvxx to it.
void createInstallationDirectories(const char *base) {
    if (strcmp(base, "/usr") == 0) {
        CreateFile(pAppDir, nullptr, "755", nullptr, nullptr);
        return;
    }
    char *appDir = SaveStr("%s/%s/%s", base, VENDOR, PRODUCT);
    CreateFile(appDir, nullptr, "775", nullptr, nullptr);
    PutMem(appDir);

    char *usrVendor = SaveStr("%s/%s", "/usr", VENDOR);
    if (GetFileType(usrVendor) == 0) {
        CreateFile(usrVendor, nullptr, "775", nullptr, nullptr);
    }
    PutMem(usrVendor);

    SysCmd(CMD_LN, MODE_FATAL, "-s %s/%s/%s %s/%s/%s", base, VENDOR, PRODUCT, "/usr", VENDOR,
           PRODUCT);
}

// Runs the install sequence in its fixed order. 0 when it ran to its end or
// the user may not install, 1 when the package list asked to stop.
int Install() {
    if (!readyForInstallation()) {
        return 0;
    }
    genZFile();
    SysCmd(CMD_UNCOMPRESS, MODE_FATAL, "%s/%s.tar.Z", pVarenInstallDir, ARCHIVE_NAME);
    if (chdir(pVarenInstallDir) != 0) {
        // Ignored: the unpacking below names the archive by its full path.
    }
    SysCmd(CMD_TAR_X, MODE_FATAL, "%s/%s.tar", pVarenInstallDir, ARCHIVE_NAME);
    char *tarName = SaveStr("%s.tar", ARCHIVE_NAME);
    DeleteFile(pVarenInstallDir, tarName);
    PutMem(tarName);

    char *spool = SaveStr("/var/spool/%s", VENDOR);
    if (pCurrentInstallDir == nullptr) {
        createInstallationDirectories(pTargetInstallDir);
        createPrintingSubsystemFile(pAppDir);
        createQueueScripts(spool);
        CreateFile(spool, nullptr, "775", nullptr, nullptr);
        char *download = SaveStr("%s/%s/__tva_download__", spool, PRODUCT);
        CreateFile(download, nullptr, "777", nullptr, nullptr);
        PutMem(download);
    } else {
        createPrintingSubsystemFile(pAppDir);
        createQueueScripts(spool);
    }
    PutMem(spool);
    if (ProcessPkgList(PKG_DIR) != 0) {
        return 1;
    }

    SysCmd(CMD_CHMOD, MODE_QUIET, "755 %s/%s", pTargetInstallDir, VENDOR);
    SysCmd(CMD_CHMOD, MODE_WARN, "4755 %s/%s", pAppDir, "tvrtvxxtty");
    SysCmd(CMD_CHMOD, MODE_WARN, "4755 %s/%s", pAppDir, "vsf");
    return 0;
}
