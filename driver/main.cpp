// Entry of setup: one pass from start-up through the checks, the move of an
// earlier installation and the site installation to the clean-up.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "driver/chains.h"
#include "driver/checks.h"
#include "install/running.h"
#include "driver/cmdline.h"
#include "driver/cleanup.h"
#include "driver/place.h"
#include "driver/lock.h"
#include "driver/record.h"
#include "driver/remove.h"
#include "driver/verify.h"
#include "install/nls.h"
#include "install/owndirs.h"
#include "install/sequence.h"
#include "install/site.h"
#include "support/files.h"
#include "support/globals.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

// Exit status of a run that went to its end but in which some steps failed.
constexpr int STATUS_STEPS_FAILED = 3;

// The end of a run that got through: status 0 when no step failed and the
// log holds the whole run; else a summary on standard error (how many steps
// failed, the first of them as logged; the log's path, or that it could not
// be made or written whole) and status 3.
static int EndOfRunStatus() {
    int failed = FailureCount();
    bool logLost = RunLogLost();
    if (failed == 0 && !logLost) {
        return 0;
    }
    if (failed > 0) {
        fprintf(stderr, nlsSetupStrCvt(MSG_FAILED_STEPS), failed);
    }
    for (int i = 0; FailedStep(i) != nullptr; i++) {
        fprintf(stderr, "  %s\n", FailedStep(i));
    }
    char *log = GetLogPath();
    fprintf(stderr, nlsSetupStrCvt(logLost ? MSG_NO_LOG : MSG_SEE_LOG), log);
    PutMem(log);
    return STATUS_STEPS_FAILED;
}

// Runs the installer; never returns (every end of the run is an exit).
[[noreturn]] static void RunInstaller(int argc, char **argv) {
    flUseLog = 1;
    // What the run's commands create (the edited copy of a file, say) is
    // writable by root alone, whatever umask the caller left.
    umask(022);
    pVarenInstallDir = SaveStr("/tmp/%sInstall", "Varen");
    LineBuf[0] = '\0';
    const char *self = (argc > 0 && argv[0] != nullptr) ? argv[0] : "setup";
    pPathToSetup = GetToolPath(self);
    my_name = SaveStr("%s", StripPath(self));
    // Both reach command lines and the log's name: checked before any
    // command runs and before the log is written.
    if (!IsShellSafePath(pPathToSetup)) {
        RefusePath(pPathToSetup);
    }
    if (my_name[0] == '\0' || !IsShellSafePath(my_name)) {
        RefusePath(my_name);
    }
    // Group root's members decide whether a directory it may write is
    // closed: known before the first directory is checked.
    pGroupRootOthers = FindGroupRootOthers();
    // Every word is settled before anything is made, locked or logged.
    settleCommandLine(argc, argv);
    // Reading the record takes no lock and changes nothing.
    if (RecordAction() == ACTION_LIST) {
        ListInstallation();
    }
    if (RecordAction() == ACTION_VERIFY) {
        VerifyInstallation();
    }
    // A second run ends here, before it has written anything.
    TakeRunLock();
    InitSysCmdList();
    // The first request for a message picks the language (and shortens LANG)
    // before any command of the command line runs. From here on an interrupt
    // stops the run with its own message and status.
    CatchInterrupts(nlsSetupStrCvt(RecordAction() == ACTION_REMOVE ? MSG_REMOVAL_STOPPED : MSG_INTERRUPTED));
    parseCommandLineOptions(argc, argv);
    // Nobody but root (and this user) may be able to change a directory the
    // run works in: checked before anything else is changed.
    CheckRunDirectories();
    // The run really begins here: the command line was accepted and the lock
    // taken, so the earlier log is replaced only now.
    StartRunLog();

    // A move that an earlier run left half done is finished (or undone)
    // before the fixed place is read. Only root can change it.
    if (geteuid() == 0) {
        finishInterruptedMove();
    }
    if (RecordAction() == ACTION_REMOVE) {
        RemoveInstallation(PurgeGiven());
    }
    // An installation is what holds one: an empty directory there is the
    // place of a first installation, anything else without the suite ends
    // the run here.
    // The base read from the link at the fixed place goes into command lines
    // just as a base from the command line does.
    char *seen = locatePreviousInstallation();
    if (seen != nullptr && !IsShellSafePath(seen)) {
        RefusePath(seen);
    }
    PutMem(seen);
    char *firstPlace = nullptr;
    pCurrentInstallDir = FindEarlierInstallation(&firstPlace);
    if (pCmdLineInstallDir != nullptr) {
        pTargetInstallDir = pCmdLineInstallDir;
    } else if (pCurrentInstallDir != nullptr) {
        pTargetInstallDir = pCurrentInstallDir;
    } else if (firstPlace != nullptr) {
        pTargetInstallDir = SaveStr("%s", firstPlace);
    } else {
        pTargetInstallDir = SaveStr("%s", "/usr");
    }
    pAppDir = SaveStr("%s/%s/%s", pTargetInstallDir, "Varen", "tvxx");
    // A volume at either end of a move is refused before anything changes.
    RefuseMountedMove();

    FreeSpaceForInstall(pVarenInstallDir, pTargetInstallDir, "Varen");
    if (pCurrentInstallDir != nullptr && QuitForRunningProcesses(pBinaryInstanceCheckList) == 1) {
        EndRunStopped(STATUS_ANSWERED_STOP, MSG_STOP_ANSWERED, nullptr);
    }
    // The medium is proven before anything changes on the host: before an
    // earlier installation is moved and before any of its files is copied.
    // The size files' numbers, which only a refusal has used so far, must
    // be those of their proven copies.
    proveMedium(pVarenInstallDir, MediumGiven() ? nullptr : my_name);
    RecheckSizeFiles();
    CheckDowngrade(HostTrustsKeys(), DowngradeAllowed());
    ClearFirstPlace(firstPlace, pTargetInstallDir);
    if (pCurrentInstallDir != nullptr && strcmp(pTargetInstallDir, pCurrentInstallDir) != 0) {
        moveInstallation();
    }
    // Whatever the site installation reports, the clean-up follows; a run
    // that did not install, or only part, then says so and ends with its own
    // status (a summary of failed steps comes first).
    int outcome = installFromSite(pVarenInstallDir);
    // Only root's installation is recorded, in root's directory: the medium's
    // digest is taken while the work area is there, the entries after the
    // suite's tool ran over them (what it made or changed is runtime data).
    bool record = outcome == INSTALL_DONE && geteuid() == 0;
    if (record) {
        PrepareRecord(pVarenInstallDir, ProvenSumsName());
        StopIfInterrupted();
    }
    VarenClean(pVarenInstallDir);
    if (record) {
        WriteRecord(FailureCount() == 0 && !RunLogLost());
        // A stop signal that came while the record was made ends the run as
        // any other does: the record written is whole, or the earlier one.
        StopIfInterrupted();
    }
    if (outcome == INSTALL_NOT_ROOT) {
        EndRunStopped(STATUS_REFUSED, MSG_STOP_NOT_ROOT, nullptr);
    }
    int status = EndOfRunStatus();
    if (outcome == INSTALL_STOPPED) {
        EndRunStopped(STATUS_ANSWERED_STOP, MSG_STOP_INCOMPLETE, nullptr);
    }
    exit(status);
}

// Opens every closed standard descriptor (0, 1, 2) on /dev/null, so that
// the first file the program opens cannot become standard input or output:
// a closed input then reads as end of input. Ends the run with status 1 when
// /dev/null cannot be opened.
static void OpenStandardDescriptors() {
    for (int fd = 0; fd <= 2; fd++) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free descriptor is fd itself: those below it are open.
        int opened = open("/dev/null", O_RDWR);
        if (opened != fd) {
            _exit(1);
        }
    }
}

int main(int argc, char **argv) {
    OpenStandardDescriptors();
    // Descriptors a caller left open are not the run's: the log's place.
    CloseInheritedDescriptors();
    RunInstaller(argc, argv);
}
