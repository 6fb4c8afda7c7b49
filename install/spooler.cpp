// Printing subsystem detection: the LPRng and CUPS probes and the flags file
// APP/.tv_cfg that the interface scripts read at every job.
#include "install/spooler.h"

#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

// True when the located lpd names LPRng in its version answer (standard
// output or standard error). Runs nothing when lpd was not located.
bool SniffLprng() {
    if (!TestCmd(CMD_LPD)) {
        return false;
    }
    ResponseLine *lines = GetCmdResponse(CMD_LPD, "LPRng", " -V 2>&1");
    bool found = false;
    for (ResponseLine *line = lines; line != nullptr; line = line->pNextLine) {
        if (StrStr(line->pText, "LPRng") != nullptr) {
            found = true;
        }
    }
    FreeResponseList(lines);
    return found;
}

// True when cupsd was located; runs nothing.
bool SniffCUPS() {
    return TestCmd(CMD_CUPSD);
}

// Writes dir/.tv_cfg with " CUPS ", " LPRng " or " BSD " (in that order of
// precedence), no line end, permissions 0644. Both probes always run.
void createPrintingSubsystemFile(const char *dir) {
    const char *flags = " BSD ";
    if (SniffLprng()) {
        flags = " LPRng ";
    }
    if (SniffCUPS()) {
        flags = " CUPS ";
    }
    char *path = SaveStr("%s/.tv_cfg", dir);
    if (!CreateTextFile(path, "wt", 0644, "%s", flags)) {
        PutLogMsg("WARNING: couldn't write %s\n", path);
        CountFailure("couldn't write %s", path);
    }
    PutMem(path);
}
