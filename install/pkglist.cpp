// The package list interpreter: reads WORK/PKG/pkg.list line by line and
// carries out each directive (copies, created files and directories, release
// conditions, process checks) and its attributes (mode, wrapper, owner,
// group, link, rename, stream edit) right after reading it.
#include "install/pkglist.h"

#include "install/running.h"
#include "support/errors.h"
#include "support/globals.h"
#include "install/nls.h"
#include "install/scripts.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/fileops.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/utsname.h>

namespace {

constexpr char DIRECTIVES[] = ",dir,dirto,t,c,m,#,v,s,newdir,checkps";
enum Directive : int {
    DIR_OTHER = 0, // any other word: copy like "c"
    DIR_DIR = 1,
    DIR_DIRTO = 2,
    DIR_TOUCH = 3,
    DIR_COPY = 4,
    DIR_MODIFY = 5,
    DIR_COMMENT = 6,
    DIR_RELEASE = 7,
    DIR_SAME = 8, // "s", as "m"
    DIR_NEWDIR = 9,
    DIR_CHECKPS = 10,
};

constexpr char ATTRIBUTES[] = ",mode,bat,owner,group,link,name,sed";
enum Attribute : int {
    ATTR_MODE = 1,
    ATTR_BAT = 2,
    ATTR_OWNER = 3,
    ATTR_GROUP = 4,
    ATTR_LINK = 5,
    ATTR_NAME = 6,
    ATTR_SED = 7,
};

constexpr char OPERATORS[] = ",<,<=,=,>,>=,";
enum Operator : int {
    OP_LT = 1,
    OP_LE = 2,
    OP_EQ = 3,
    OP_GT = 4,
    OP_GE = 5,
};

// Number of elements of a delimiter list (a trailing delimiter ends the list).
constexpr int ElementCount(const char *list) {
    int count = 0;
    for (int i = 0; list[i] != '\0'; ++i) {
        if (list[i] == list[0] && list[i + 1] != '\0') {
            ++count;
        }
    }
    return count;
}
static_assert(ElementCount(DIRECTIVES) == DIR_CHECKPS, "one enumerator per directive");
static_assert(ElementCount(ATTRIBUTES) == ATTR_SED, "one enumerator per attribute");
static_assert(ElementCount(OPERATORS) == OP_GE, "one enumerator per operator");

constexpr char WORD_SEPARATORS[] = " \n\r"; // a tab belongs to the word

// One list line: its text as read, a copy cut into words in place, and the
// words in order. The words are all taken before anything runs, since the
// commands of a line use the tokenizer and LineBuf themselves.
struct PkgLine {
    char *text;
    char *cut;
    char **words;
    int count;
};

PkgLine SplitLine(const char *source) {
    PkgLine line{SaveStr("%s", source), SaveStr("%s", source), nullptr, 0};
    int capacity = static_cast<int>(strlen(line.cut) / 2) + 1;
    line.words = static_cast<char **>(GetMem(capacity * static_cast<int>(sizeof(char *))));
    if (line.words == nullptr) {
        return line;
    }
    for (char *word = GetTokenParse(line.cut, WORD_SEPARATORS);
         word != nullptr && line.count < capacity; word = GetTokenParse(nullptr, WORD_SEPARATORS)) {
        line.words[line.count++] = word;
    }
    return line;
}

void FreeLine(PkgLine &line) {
    PutMem(line.words);
    PutMem(line.cut);
    PutMem(line.text);
}

// Length of the text up to its line end (LF or CR not escaped by a backslash).
size_t LengthToLineEnd(const char *text) {
    size_t i = 0;
    while (text[i] != '\0' && text[i] != '\n' && text[i] != '\r') {
        if (text[i] == '\\' && text[i + 1] != '\0') {
            ++i;
        }
        ++i;
    }
    return i;
}

// The line from word index on, as written (blanks included), up to its end.
char *RestOfLine(const PkgLine &line, int index) {
    const char *start = line.text + (line.words[index] - line.cut);
    return SaveStr("%.*s", static_cast<int>(LengthToLineEnd(start)), start);
}

// Logs that a line lacks a word it needs; the line is then skipped.
void WarnIncomplete(const PkgLine &line, const char *missing) {
    PutLogMsg("WARNING: package list line skipped, no %s: %.*s\n", missing,
              static_cast<int>(LengthToLineEnd(line.text)), line.text);
}

// Edits APP/name with the sed arguments script through WORK/MYNAME.tmp: the
// work area is the run's own directory, which nobody else can write to.
// Whatever stands at that path is removed first, so the redirection always
// creates a fresh file.
void EditWithSed(const char *script, const char *name) {
    char *tmpName = SaveStr("%s.tmp", my_name);
    DeleteFile(pVarenInstallDir, tmpName);
    PutMem(tmpName);
    SysCmd(-CMD_SED, MODE_FATAL, "%s %s/%s > %s/%s.tmp", script, pAppDir, name, pVarenInstallDir,
           my_name);
    SysCmd(CMD_CP, MODE_QUIET, "%s/%s.tmp %s/%s", pVarenInstallDir, my_name, pAppDir, name);
    SysCmd(CMD_RM, MODE_QUIET, "%s/%s.tmp", pVarenInstallDir, my_name);
}

// Carries out the attribute pairs from word index first on, acting on
// APP/name. A "sed" in the first position takes the rest of the line.
void RunAttributes(const PkgLine &line, const char *name, int first) {
    for (int a = first; a + 1 < line.count; a += 2) {
        const char *value = line.words[a + 1];
        switch (FindToken(line.words[a], ATTRIBUTES)) {
        case ATTR_MODE:
            SysCmd(CMD_CHMOD, MODE_FATAL, "%s %s/%s", value, pAppDir, name);
            break;
        case ATTR_BAT: {
            char *wrapper = SaveStr("/usr/bin/%s", value);
            GenSimpleScript(wrapper, ScriptShShell, SimpleScript, pAppDir, pAppDir, name);
            PutMem(wrapper);
            break;
        }
        case ATTR_OWNER:
            SysCmd(CMD_CHOWN, MODE_FATAL, "-R %s %s/%s", value, pAppDir, name);
            break;
        case ATTR_GROUP:
            SysCmd(CMD_CHGRP, MODE_FATAL, "-R %s %s/%s", value, pAppDir, name);
            break;
        case ATTR_LINK:
            SysCmd(CMD_LN, MODE_FATAL, "-s %s/%s %s", pAppDir, name, value);
            break;
        case ATTR_NAME:
            SysCmd(CMD_MV, MODE_FATAL, "%s/%s %s/%s", pAppDir, name, pAppDir, value);
            break;
        case ATTR_SED:
            if (a == first) {
                char *script = RestOfLine(line, a + 1);
                EditWithSed(script, name);
                PutMem(script);
                return;
            }
            EditWithSed(value, name);
            break;
        default:
            break;
        }
    }
}

// Whether the running system's release meets "OP RELEASE" (string order).
bool ReleaseMatches(const char *op, const char *current, const char *release) {
    int order = strcmp(current, release);
    switch (FindToken(op, OPERATORS)) {
    case OP_LT:
        return order < 0;
    case OP_LE:
        return order <= 0;
    case OP_EQ:
        return order == 0;
    case OP_GT:
        return order > 0;
    case OP_GE:
        return order >= 0;
    default:
        return false;
    }
}

// Carries out one list line. True when a process check asked to stop.
bool RunLine(const PkgLine &line, const char *pkg) {
    if (line.count == 0) {
        return false;
    }
    int k = 0;
    int directive = FindToken(line.words[k], DIRECTIVES);
    while (directive == DIR_RELEASE) {
        if (k + 2 >= line.count) {
            WarnIncomplete(line, "OP or RELEASE");
            return false;
        }
        struct utsname host {};
        if (uname(&host) != 0) {
            perror(nlsSetupStrCvt(MSG_NO_VERSION));
            RunAttributes(line, line.words[k + 1], k + 2);
            return false;
        }
        if (!ReleaseMatches(line.words[k + 1], host.release, line.words[k + 2]) ||
            k + 3 >= line.count) {
            return false;
        }
        k += 3;
        directive = FindToken(line.words[k], DIRECTIVES);
    }

    if (directive == DIR_COMMENT) {
        return false;
    }
    if (directive == DIR_CHECKPS) {
        if (k + 1 >= line.count) {
            WarnIncomplete(line, "checkps list");
            return false;
        }
        return QuitForRunningProcesses(line.words[k + 1]) == 1;
    }
    if (k + 1 >= line.count) {
        WarnIncomplete(line, "NAME");
        return false;
    }
    const char *name = line.words[k + 1];
    int attributes = k + 2;
    switch (directive) {
    case DIR_DIR:
        SysCmd(CMD_CP_R, MODE_WARN, "%s/%s/%s %s", pVarenInstallDir, pkg, name, pAppDir);
        break;
    case DIR_DIRTO:
        if (k + 2 >= line.count) {
            WarnIncomplete(line, "DEST");
            return false;
        }
        SysCmd(CMD_CP_R, MODE_WARN, "%s/%s/%s %s", pVarenInstallDir, pkg, name, line.words[k + 2]);
        attributes = k + 3;
        break;
    case DIR_TOUCH:
        SysCmd(CMD_TOUCH, MODE_WARN, "%s/%s", pAppDir, name);
        break;
    case DIR_MODIFY:
    case DIR_SAME:
        if (!FindFile(pAppDir, name)) {
            return false;
        }
        break;
    case DIR_NEWDIR: {
        if (FindFile(pAppDir, name)) {
            return false;
        }
        char *dir = SaveStr("%s/%s", pAppDir, name);
        CreateFile(dir, nullptr, "775", nullptr, nullptr);
        PutMem(dir);
        break;
    }
    default: // "c" and any other word
        SysCmd(CMD_CP, MODE_WARN, "%s/%s/%s %s", pVarenInstallDir, pkg, name, pAppDir);
        break;
    }
    RunAttributes(line, name, attributes);
    return false;
}

} // namespace

// Reads WORK/pkg/pkg.list and carries out each line in file order. Returns 0
// after the last line, 1 when a checkps line stopped the processing. A list
// that cannot be opened ends the run with status 1: the installation is
// incomplete.
int ProcessPkgList(const char *pkg) {
    char *path = SaveStr("%s/%s/pkg.list", pVarenInstallDir, pkg);
    if (!OpenInputFile(path, 0)) {
        ErrorMsg(2, 1, common_115, path);
        exit(1); // not reached: ErrorMsg of type 2 ends the run
    }
    PutMem(path);

    while (GetFileLine()) {
        PkgLine line = SplitLine(LineBuf);
        bool stop = RunLine(line, pkg);
        FreeLine(line);
        if (stop) {
            CloseInputFile();
            return 1;
        }
    }
    return 0;
}
