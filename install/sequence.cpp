// The install sequence: the root check and the continue question that guard
// it, then unpack the joined archive in the work area, lay out
// the directories of a first installation, write the flags file and the
// interface scripts (on a CUPS host in directories only root may write), run
// the package list, set the set-user-id modes.
#include "install/sequence.h"

#include "support/errors.h"
#include "support/globals.h"
#include "install/pkglist.h"
#include "install/scripts.h"
#include "install/medium.h"
#include "install/nls.h"
#include "install/owndirs.h"
#include "install/running.h"
#include "install/spooler.h"
#include "support/files.h"
#include "support/token.h"
#include "support/mem.h"
#include "support/noted.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/fileops.h"
#include "syscmd/log.h"
#include "syscmd/query.h"
#include "syscmd/run.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char ANSWERS[] = ",y,yes,n,no,";
constexpr int ANSWER_Y = 1;
constexpr int ANSWER_YES = 2;
constexpr int ANSWER_N = 3;
constexpr int ANSWER_NO = 4;
constexpr int REPLY_MAX = 510; // characters of one reply line
static_assert(sizeof(ANSWERS) == 13, "the four answers, each between commas");

constexpr char VENDOR[] = "Varen";
constexpr char PRODUCT[] = "tvxx";
constexpr char PKG_DIR[] = "pkg";

// The mark of a first installation that has not ended, next to the fixed
// place: it holds "1" when that installation made /usr/Varen itself (which
// then gets the mode a first installation gives it), else "0".
constexpr char FIRST_MARK[] = "/usr/Varen/tvxx.first";
constexpr char USR_VENDOR[] = "/usr/Varen";

// Whether the first installation that runs made /usr/Varen.
bool madeUsrVendor = false;

} // namespace

// True when a first installation began and never ended: its mark is a
// regular file (it is never followed).
static bool FirstInstallationUnfinished() {
    struct stat st;
    return lstat(FIRST_MARK, &st) == 0 && S_ISREG(st.st_mode);
}

// Begins a first installation, or takes up one that an earlier run began:
// /usr/Varen is made when missing and the mark written, before anything else
// of the installation is made, so that a run interrupted at any later step
// leaves the mark and the next run does every step of a first installation
// again.
static void BeginFirstInstallation() {
    if (FirstInstallationUnfinished()) {
        PutLogMsg("found %s of an interrupted first installation: its every step is done again\n", FIRST_MARK);
        int fd = open(FIRST_MARK, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        char made = '0';
        if (fd >= 0 && read(fd, &made, 1) != 1) {
            made = '0';
        }
        if (fd >= 0) {
            close(fd);
        }
        madeUsrVendor = made == '1';
        if (madeUsrVendor) {
            NoteEntry(USR_VENDOR, NOTE_MADE);
        }
        return;
    }
    madeUsrVendor = GetFileType(USR_VENDOR) == 0;
    if (madeUsrVendor) {
        MakeRunDirectory(USR_VENDOR, MODE_FATAL);
    }
    int fd = open(FIRST_MARK, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 || write(fd, madeUsrVendor ? "1" : "0", 1) != 1) {
        // Without the mark an interrupted run is finished as an upgrade.
        CountFailure("can't write %s", FIRST_MARK);
    } else {
        LogWrittenFile(FIRST_MARK);
    }
    if (fd >= 0) {
        close(fd);
    }
}

// The mode of the directories that hold the interface scripts outside /usr
// (BASE/Varen/tvxx and /usr/Varen). CUPS runs a queue's filter only from a
// directory that neither group nor others may write, so on a CUPS host they
// get 755; under the other spoolers the group may write them (775) unless
// group root has other members.
static const char *ScriptDirMode() {
    return SniffCUPS() ? "755" : OwnDirMode();
}

// On a CUPS host, gives 755 to each of APP, BASE/Varen and /usr/Varen that is
// a real directory writable by group or others: an earlier installation
// under another base made them 775 (and a move keeps the mode), and CUPS
// would refuse to run the interface scripts from there. Others stay as they
// are.
static void SecureScriptDirs() {
    if (!SniffCUPS()) {
        return;
    }
    char *dirs[] = {SaveStr("%s", pAppDir), SaveStr("%s/%s", pTargetInstallDir, VENDOR),
                    SaveStr("%s/%s", "/usr", VENDOR)};
    for (char *dir : dirs) {
        struct stat st;
        if (lstat(dir, &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & (S_IWGRP | S_IWOTH))) {
            SysCmd(CMD_CHMOD, MODE_WARN, "755 %s", dir);
        }
        PutMem(dir);
    }
}

// Lays out the application directory of a first installation: directly under
// /usr with 755, elsewhere with the mode of ScriptDirMode plus /usr/Varen
// (the same mode, when missing) and the link /usr/Varen/tvxx to it.
void createInstallationDirectories(const char *base) {
    if (strcmp(base, "/usr") == 0) {
        MakeOwnDirectory(pAppDir, "755");
        return;
    }
    const char *mode = ScriptDirMode();
    char *appDir = SaveStr("%s/%s/%s", base, VENDOR, PRODUCT);
    MakeOwnDirectory(appDir, mode);
    PutMem(appDir);

    // /usr/Varen gets the mode when this installation made it (at its start).
    if (madeUsrVendor) {
        MakeOwnDirectory(USR_VENDOR, mode);
    }

    // A link an interrupted first installation made already stays.
    char *fixed = SaveStr("%s/%s/%s", "/usr", VENDOR, PRODUCT);
    char *app = SaveStr("%s/%s/%s", base, VENDOR, PRODUCT);
    char *target = ReadLinkText(fixed);
    bool linked = target != nullptr && strcmp(target, app) == 0;
    PutMem(target);
    if (!linked) {
        SysCmd(CMD_LN, MODE_FATAL, "-s %s %s", app, fixed);
    }
    NoteEntry(fixed, NOTE_MADE);
    PutMem(app);
    PutMem(fixed);
}

// Notes the directories every run changes or keeps for the suite outside
// its application directory: /usr/Varen and BASE/Varen (changed; made when
// this run made them, which MakeRunDirectory notes), spool (likewise), the
// suite's own spool/tvxx with its tree, the download directory among it, and
// the link at the fixed place of an installation under another base.
static void NoteSuiteDirectories(const char *spool) {
    char *vendor = SaveStr("%s/%s", pTargetInstallDir, VENDOR);
    char *fixed = SaveStr("%s/%s", USR_VENDOR, PRODUCT);
    if (GetFileType(fixed) == 2) {
        NoteEntry(fixed, NOTE_MADE);
    }
    PutMem(fixed);
    NoteEntry(USR_VENDOR, 0);
    NoteEntry(vendor, 0);
    NoteEntry(spool, 0);
    char *own = SaveStr("%s/%s", spool, PRODUCT);
    NoteEntry(own, NOTE_MADE | NOTE_TREE);
    PutMem(own);
    PutMem(vendor);
}

// True when the reply fgets read into LineBuf is a whole line. A longer one
// is read to its end and is no answer: judged piece by piece, an "n" deep in
// pasted text would stop the run.
static bool ReplyLineWhole() {
    if (strchr(LineBuf, '\n') != nullptr) {
        return true;
    }
    bool whole = true;
    for (int c = getchar(); c != '\n' && c != EOF; c = getchar()) {
        whole = false;
    }
    return whole;
}

// The answer yes to the continue question: the earlier daemon's start and
// stop links go.
static bool GoOnAsAnswered() {
    DeleteFile("/etc/rc2.d", "KVarenPrintD");
    DeleteFile("/etc/rc2.d", "SVarenPrintD");
    return true;
}

bool readyForInstallation() {
    char *user = GetUserName();
    if (user == nullptr || strcmp(user, "root") != 0) {
        EndDotLine();
        printf(nlsSetupStrCvt(MSG_NOT_ROOT), user != nullptr ? user : "", my_name);
        fflush(stdout);
        PutMem(user);
        return false;
    }
    PutMem(user);

    if (!FindFile(pAppDir, "TolvarD") && !FindFile(pAppDir, "TolvarDStop")) {
        return true;
    }
    EndDotLine();
    // The notice begins on the line after the dots, not after a blank one.
    const char *notice = nlsSetupStrCvt(MSG_OLD_DAEMON);
    printf(notice + (notice[0] == '\n' ? 1 : 0), "Varen", "Varen", "Varen", "tvxx");
    if (chContinueAnswer == 'n') {
        fflush(stdout);
        EndRunStopped(STATUS_ANSWERED_STOP, MSG_STOP_ANSWERED, nullptr);
    }
    if (chContinueAnswer == 'y') {
        printf(nlsSetupStrCvt(MSG_ANSWERED_YES), "--yes");
        fflush(stdout);
        return GoOnAsAnswered();
    }
    for (;;) {
        // A stop signal caught meanwhile (during the user query) ends the run
        // before anything is asked.
        StopIfInterrupted();
        printf("%s", nlsSetupStrCvt(MSG_CONTINUE));
        fflush(stdout);
        if (fgets(LineBuf, REPLY_MAX + 1, stdin) == nullptr) {
            EndForNoAnswer();
        }
        if (!ReplyLineWhole()) {
            continue;
        }
        switch (FindToken(GetToken(LineBuf, " \t\r\n"), ANSWERS)) {
        case ANSWER_Y:
        case ANSWER_YES:
            return GoOnAsAnswered();
        case ANSWER_N:
        case ANSWER_NO:
            EndRunStopped(STATUS_ANSWERED_STOP, MSG_STOP_ANSWERED, nullptr);
        default:
            break;
        }
    }
}

// Runs the install sequence in its fixed order.
int Install() {
    if (!readyForInstallation()) {
        return INSTALL_NOT_ROOT;
    }
    ShowPhase(MSG_PHASE_UNPACK);
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
    ShowPhase(MSG_PHASE_SCRIPTS);
    // A first installation, or one that an earlier run began and never ended.
    bool first = pCurrentInstallDir == nullptr || FirstInstallationUnfinished();
    flFirstInstallation = first;
    if (first) {
        BeginFirstInstallation();
        createInstallationDirectories(pTargetInstallDir);
        createPrintingSubsystemFile(pAppDir);
        createQueueScripts(spool);
    } else {
        createPrintingSubsystemFile(pAppDir);
        createQueueScripts(spool);
    }
    // Made by a first installation; an upgrade makes them again when the
    // suite's spool directory went (an interrupted removal, an
    // administrator), before the package list copies into it, and leaves
    // what stands. The download directory is open to all by name: nothing
    // of the installer's goes into it, and no chain is checked through it.
    char *own = SaveStr("%s/%s", spool, PRODUCT);
    char *download = SaveStr("%s/__tva_download__", own);
    if (first || GetFileType(own) == 0) {
        if (first || GetFileType(spool) == 0) {
            MakeOwnDirectory(spool, OwnDirMode());
        }
        MakeOwnDirectory(download, "777");
    }
    PutMem(download);
    PutMem(own);
    NoteSuiteDirectories(spool);
    PutMem(spool);
    SecureScriptDirs();
    ShowPhase(MSG_PHASE_FILES);
    if (ProcessPkgList(PKG_DIR) != 0) {
        return INSTALL_STOPPED;
    }

    SysCmd(CMD_CHMOD, MODE_QUIET, "755 %s/%s", pTargetInstallDir, VENDOR);
    SysCmd(CMD_CHMOD, MODE_WARN, "4755 %s/%s", pAppDir, "tvrtvxxtty");
    SysCmd(CMD_CHMOD, MODE_WARN, "4755 %s/%s", pAppDir, "vsf");
    if (first) {
        // The first installation has ended.
        unlink(FIRST_MARK);
    }
    return INSTALL_DONE;
}
