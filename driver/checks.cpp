// Checks before installing: enough room for the work area and the
// installation. The running-programs check is in install/running.cpp.
#include "driver/checks.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "support/errors.h"
#include "support/globals.h"
#include "install/mediumfile.h"
#include "install/nls.h"
#include "install/running.h"
#include "install/site.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/query.h"

// Added to each size read from the install medium.
constexpr double SizeMargin = 40;
// The nearest existing directory of the install location must have more
// than this much room.
constexpr double ProbeThreshold = 17;

// Reads the decimal number at the start of text (leading white space
// skipped) into *value, 0 when there is none; hexadecimal is no decimal
// number. False for a number that is negative or not finite ("inf", "nan",
// "1e999"): no room can be reckoned from it.
static bool LeadingDecimal(const char *text, double *value) {
    const char *p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') {
        p++;
    }
    *value = 0;
    const char *digits = (*p == '+' || *p == '-') ? p + 1 : p;
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        return true;
    }
    char *end = nullptr;
    double number = strtod(p, &end);
    if (end == p) {
        return true;
    }
    if (!std::isfinite(number) || number < 0) {
        return false;
    }
    *value = number;
    return true;
}

// The size a file of the install site asks for, plus the margin. Ends the
// run with message 65 and the refusal naming the file (status 1) when the
// file cannot be read or its number is negative or not finite; with message
// 74 when it is not the medium's own regular file (read through the
// descriptor of the very file checked).
static double ReadSizeFile(const char *name) {
    double size = 0;
    char *text = ReadMediumFile(ProvenDir(name), name);
    bool read = text != nullptr && LeadingDecimal(text, &size);
    PutMem(text);
    if (!read) {
        fputs(nlsSetupStrCvt(MSG_NO_ISIZE), stdout);
        fflush(stdout);
        char *path = SaveStr("%s/%s", JoinDir(pPathToSetup), name);
        EndRunStopped(STATUS_REFUSED, MSG_STOP_SIZES, path);
    }
    return size + SizeMargin;
}

// Prints a stop message with its arguments and ends the run with the
// refusal for too little space (status 1).
[[noreturn]] static void StopForSpace(int id, const char *place, double need) {
    printf(nlsSetupStrCvt(id), place, need);
    fflush(stdout);
    EndRunStopped(STATUS_REFUSED, MSG_STOP_SPACE, nullptr);
}

// The sizes FreeSpaceForInstall read, for RecheckSizeFiles.
static double readInstall = 0;
static double readWork = 0;

void RecheckSizeFiles() {
    const char *sums = ProvenSumsName();
    const char *names[] = {"isize", "tsize"};
    const double read[] = {readInstall, readWork};
    for (int i = 0; i < 2 && sums != nullptr; ++i) {
        if (ProvenDir(names[i]) != pPathToSetup && ReadSizeFile(names[i]) != read[i]) {
            char *sumsPath = SaveStr("%s/%s", JoinDir(pPathToSetup), sums);
            ErrorMsg(2, 1, nlsSetupStrCvt(MSG_BAD_PIECE), names[i], sumsPath);
        }
    }
}

void FreeSpaceForInstall(const char *workArea, const char *installBase, const char *vendorDir) {
    double needInstall = ReadSizeFile("isize");
    double needWork = ReadSizeFile("tsize");
    readInstall = needInstall;
    readWork = needWork;

    // Work-area side. A work area left over from an earlier run is removed
    // before use, so the room it takes counts as free.
    int workExists = 0;
    char *workPath = FindExistingPath(workArea, &workExists);
    DiskSpaceInfo workFs;
    memset(&workFs, 0, sizeof workFs);
    bool haveWork = GetDiskSpace(workPath, &workFs);
    PutMem(workPath);
    if (!haveWork) {
        return;
    }
    if (workExists) {
        workFs.Avail += DUPath(workArea);
    }

    // Install side: the application directory when it exists (its room
    // counts as free, it is replaced), else its nearest existing parent
    // among the maker's directory, the base and "/".
    char *app = SaveStr("%s/%s/%s", installBase, vendorDir, "tvxx");
    char *vendor = SaveStr("%s/%s", installBase, vendorDir);
    const char *instPath = "/";
    const char *probe = "/";
    // On a move back to /usr the link there leads to the installation that
    // moves: it is no room of the destination.
    bool moving = pCurrentInstallDir != nullptr && strcmp(installBase, pCurrentInstallDir) != 0;
    bool appExists = FindFile(app, "") && !(moving && GetFileType(app) == 2);
    if (appExists) {
        instPath = app;
        probe = "";
    } else if (FindFile(vendor, "")) {
        instPath = vendor;
        probe = vendor;
    } else if (FindFile(installBase, "")) {
        instPath = installBase;
        probe = installBase;
    }
    DiskSpaceInfo instFs;
    memset(&instFs, 0, sizeof instFs);
    GetDiskSpace(instPath, &instFs);
    if (appExists) {
        instFs.Avail += DUPath(app);
    }
    // A move to another file system copies the earlier installation there
    // whole before the new files come: both need room there.
    if (moving) {
        char *current = SaveStr("%s/%s/%s", pCurrentInstallDir, vendorDir, "tvxx");
        struct stat from;
        struct stat to;
        if (stat(current, &from) == 0 && stat(instPath, &to) == 0 && from.st_dev != to.st_dev) {
            needInstall += DUPath(current);
        }
        PutMem(current);
    }

    if (probe[0] != '\0') {
        DiskSpaceInfo probeFs;
        memset(&probeFs, 0, sizeof probeFs);
        GetDiskSpace(probe, &probeFs);
        if (probeFs.Avail <= ProbeThreshold) {
            printf(nlsSetupStrCvt(MSG_PLACE_FULL), probe);
            fflush(stdout);
            EndRunStopped(STATUS_REFUSED, MSG_STOP_SPACE, nullptr);
        }
    }

    double work = workFs.Avail;
    double inst = instFs.Avail;
    if (strcmp(workFs.DfLine, instFs.DfLine) == 0) {
        // One file system for both: the free space is counted once, plus
        // what the old work area and the old application directory hold.
        DiskSpaceInfo nowFs;
        memset(&nowFs, 0, sizeof nowFs);
        GetDiskSpace(instPath, &nowFs);
        double now = nowFs.Avail;
        double available = (now < work || now < inst) ? work + inst - now : MaxD(work, inst);
        double need = needInstall + needWork;
        if (available < need) {
            printf(nlsSetupStrCvt(MSG_SHARED_TOO_SMALL), workArea, pTargetInstallDir, need);
            fflush(stdout);
            EndRunStopped(STATUS_REFUSED, MSG_STOP_SPACE, nullptr);
        }
    } else {
        if (work < needWork) {
            StopForSpace(MSG_WORK_TOO_SMALL, pVarenInstallDir, needWork);
        }
        if (inst < needInstall) {
            StopForSpace(MSG_INST_TOO_SMALL, pTargetInstallDir, needInstall);
        }
    }
    PutMem(vendor);
    PutMem(app);
}
