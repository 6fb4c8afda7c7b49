// Writers of the generated shell scripts: the two print-queue interface
// scripts in the application directory, the printconf link on LPRng hosts,
// and the wrapper commands that the package list asks for.
#include "install/scripts.h"

#include "support/globals.h"
#include "install/spooler.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/noted.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>

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

// Begins a new script for path: a new file beside it (see
// StartReplacement) with the script's head (shell line, banner with the
// year, empty line). Null when the file cannot be made; that is reported on
// standard error and counts as a failed step. *newPath names the new file.
FILE *StartScript(const char *path, const char *shell, char **newPath) {
    int year = CurrentYear();
    FILE *out = StartReplacement(path, newPath);
    if (out == nullptr) {
        PutMem(*newPath);
        ScriptFailed(path);
        return nullptr;
    }
    fprintf(out, "%s\n", shell);
    fprintf(out, ScriptCopyRight, year);
    return out;
}

// Ends a script: executable (0755), then renamed over path whole, so that a
// job started meanwhile runs the old script or the new one, never a part,
// and logged. A script that could not be written whole (a full file system)
// counts as a failed step and leaves path as it was.
void FinishScript(FILE *out, char *newPath, const char *path) {
    if (!FinishReplacement(out, newPath, path, 0755)) {
        ScriptFailed(path);
        return;
    }
    LogWrittenFile(path);
    NoteEntry(path, NOTE_MADE);
}

} // namespace

// Writes path from the shell line and the VarenPrinttvxx body, as a new file
// renamed over the old one; 1 when begun, 0 when the new file cannot be made.
int generateVarenPrinttvxxScript(const char *path, const char *shell, const char *body) {
    char *newPath = nullptr;
    FILE *out = StartScript(path, shell, &newPath);
    if (out == nullptr) {
        return 0;
    }
    fprintf(out, body, pAppDir, "tvxx", "tolvartvxx", "tolvartvxx", "tvxx", "tvxx");
    FinishScript(out, newPath, path);
    return 1;
}

// Writes path from the shell line and the VarenVSF body, with spoolDir as the
// job spool directory, as a new file renamed over the old one; 1 when begun,
// 0 when the new file cannot be made.
int generateVarenVSFScript(const char *path, const char *shell, const char *body,
                           const char *spoolDir) {
    char *newPath = nullptr;
    FILE *out = StartScript(path, shell, &newPath);
    if (out == nullptr) {
        return 0;
    }
    fprintf(out, body, pAppDir, spoolDir);
    FinishScript(out, newPath, path);
    return 1;
}

// Writes a wrapper command at path whose body is filled with a, b and c, as
// a new file renamed over the old one.
void GenSimpleScript(const char *path, const char *shell, const char *body, const char *a,
                     const char *b, const char *c) {
    char *newPath = nullptr;
    FILE *out = StartScript(path, shell, &newPath);
    if (out == nullptr) {
        return;
    }
    fprintf(out, body, a, b, c);
    FinishScript(out, newPath, path);
}

// Whether a link's text names the suite's VarenPrinttvxx in one of its
// application directories (BASE/Varen/tvxx, the fixed place among them):
// a link of an earlier run, which may be replaced.
static bool NamesSuiteScript(const char *text) {
    constexpr char TAIL[] = "/Varen/tvxx/VarenPrinttvxx";
    size_t len = strlen(text);
    return text[0] == '/' && len >= sizeof TAIL - 1 &&
           strcmp(text + len - (sizeof TAIL - 1), TAIL) == 0;
}

// Writes APP/VarenPrinttvxx and APP/VarenVSF (jobs under spool/tvxx), and on
// LPRng hosts that have /usr/share/printconf/util links VarenPrinttvxx there
// to the fixed place /usr/Varen/tvxx, which follows every move. A link of an
// earlier run (to the script in an application directory of the suite) is
// replaced, never followed; anything else of that name is left as it is,
// with a warning and a failed step.
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
    const char *link = "/usr/share/printconf/util/VarenPrinttvxx";
    const char *target = "/usr/Varen/tvxx/VarenPrinttvxx";
    if (!SniffLprng() || !FindFile(utilDir, nullptr)) {
        return;
    }
    struct stat st;
    bool replace = lstat(link, &st) == 0;
    if (replace) {
        char *text = S_ISLNK(st.st_mode) ? ReadLinkText(link) : nullptr;
        bool same = text != nullptr && strcmp(text, target) == 0;
        bool own = text != nullptr && NamesSuiteScript(text);
        PutMem(text);
        if (same) {
            PutLogMsg("link %s -> %s is there already\n", link, target);
            NoteEntry(link, NOTE_MADE);
            return;
        }
        if (!own) {
            PutLogMsg("WARNING: %s is left as it is: it is no link to %s\n", link, target);
            CountFailure("%s is left as it is: it is no link to %s", link, target);
            return;
        }
    }
    // -T: the old link is replaced, never followed into a directory it leads to.
    if (SysCmd(CMD_LN, MODE_WARN, "%s %s %s", replace ? "-sfT" : "-s", target, link) == 0) {
        NoteEntry(link, NOTE_MADE);
    }
}
