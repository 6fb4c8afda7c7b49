// Writers of the generated shell scripts: the two print-queue interface
// scripts in the application directory, the printconf link on LPRng hosts,
// and the wrapper commands that the package list asks for.
#include "install/scripts.h"

#include "support/globals.h"
#include "install/spooler.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

#include <cstdio>
#include <ctime>

namespace {

// Local year of the moment of writing, in four digits.
int CurrentYear() {
    time_t now = time(nullptr);
    struct tm local {};
    if (localtime_r(&now, &local) == nullptr) {
        return 1900;
    }
    return local.tm_year + 1900;
}

// Logs a script that could not be written and counts it as a failed step.
void ScriptFailed(const char *path) {
    PutLogMsg("WARNING: couldn't write %s\n", path);
    CountFailure("couldn't write %s", path);
}

// Opens path for a new script and writes its head (shell line, banner with
// the year, empty line). Null when the file cannot be opened; OpenFile has
// then reported it on standard error, and it counts as a failed step.
FILE *StartScript(const char *path, const char *shell) {
    int year = CurrentYear();
    FILE *out = OpenFile(nullptr, path, "w+", 1);
    if (out == nullptr) {
        ScriptFailed(path);
        return nullptr;
    }
    fprintf(out, "%s\n", shell);
    fprintf(out, ScriptCopyRight, year);
    return out;
}

// Closes a written script, takes every ACL entry that grants write off it
// and makes it executable (a failing chmod is not reported). A script that could not be written whole (a full file system)
// counts as a failed step.
void FinishScript(FILE *out, const char *path) {
    bool written = !ferror(out);
    if (fclose(out) != 0 || !written) {
        ScriptFailed(path);
    }
    // An entry inherited from the directory's default ACL must not let
    // others write the script once it is executable.
    CloseAcl(path);
    SysCmd(CMD_CHMOD, MODE_QUIET, "755 %s", path);
}

} // namespace

// Writes path from the shell line and the VarenPrinttvxx body; 1 when
// written, 0 when the file cannot be opened.
int generateVarenPrinttvxxScript(const char *path, const char *shell, const char *body) {
    FILE *out = StartScript(path, shell);
    if (out == nullptr) {
        return 0;
    }
    fprintf(out, body, pAppDir, "tvxx", "tolvartvxx", "tolvartvxx", "tvxx", "tvxx");
    FinishScript(out, path);
    return 1;
}

// Writes path from the shell line and the VarenVSF body, with spoolDir as the
// job spool directory; 1 when written, 0 when the file cannot be opened.
int generateVarenVSFScript(const char *path, const char *shell, const char *body,
                           const char *spoolDir) {
    FILE *out = StartScript(path, shell);
    if (out == nullptr) {
        return 0;
    }
    fprintf(out, body, pAppDir, spoolDir);
    FinishScript(out, path);
    return 1;
}

// Writes a wrapper command at path whose body is filled with a, b and c.
void GenSimpleScript(const char *path, const char *shell, const char *body, const char *a,
                     const char *b, const char *c) {
    FILE *out = StartScript(path, shell);
    if (out == nullptr) {
        return;
    }
    fprintf(out, body, a, b, c);
    FinishScript(out, path);
}

// Writes APP/VarenPrinttvxx and APP/VarenVSF (jobs under spool/tvxx), and on
// LPRng hosts links the first into /usr/share/printconf/util unless an entry
// of that name is already there.
void createQueueScripts(const char *spool) {
    char *printPath = SaveStr("%s/%s", pAppDir, "VarenPrinttvxx");
    generateVarenPrinttvxxScript(printPath, ScriptShShell, VarenPrinttvxxScript);
    PutMem(printPath);

    char *vsfPath = SaveStr("%s/%s%s", pAppDir, "Varen", "VSF");
    char *spoolDir = SaveStr("%s/%s", spool, "tvxx");
    generateVarenVSFScript(vsfPath, ScriptShShell, VarenVSFScript, spoolDir);
    PutMem(spoolDir);
    PutMem(vsfPath);

    const char *utilDir = "/usr/share/printconf/util";
    if (SniffLprng() && FindFile(utilDir, nullptr) && !FindFile(utilDir, "VarenPrinttvxx")) {
        SysCmd(CMD_LN, MODE_WARN,
               "-s %s/%s/%s/VarenPrinttvxx /usr/share/printconf/util/VarenPrinttvxx",
               pTargetInstallDir, "Varen", "tvxx");
    }
}
