// The package list interpreter: reads WORK/PKG/pkg.list line by line and
// carries out each directive (copies, created files and directories, release
// conditions, process checks) and its attributes (mode, wrapper, owner,
// group, link, rename, stream edit) right after reading it.
#include "install/pkglist.h"

#include "install/running.h"
#include "support/describe.h"
#include "support/errors.h"
#include "support/globals.h"
#include "install/nls.h"
#include "install/owndirs.h"
#include "install/scripts.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/noted.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/fileops.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
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
    // One slot more than words can fill: the list ends with a null pointer.
    line.words = static_cast<char **>(GetMem((capacity + 1) * static_cast<int>(sizeof(char *))));
    if (line.words == nullptr) {
        return line;
    }
    for (char *word = GetTokenParse(line.cut, WORD_SEPARATORS);
         word != nullptr && line.count < capacity; word = GetTokenParse(nullptr, WORD_SEPARATORS)) {
        line.words[line.count++] = word;
    }
    line.words[line.count] = nullptr;
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

// Where a line stands: the list's path and the line's number, for warnings.
struct ListPlace {
    const char *path;
    int number;
};

// Logs that a line is skipped, and why, and counts it as a failed step.
void SkipLine(const ListPlace &at, const char *why, const char *detail) {
    const char *colon = detail[0] != '\0' ? ": " : "";
    PutLogMsg("WARNING: package list %s line %d skipped, %s%s%s\n", at.path, at.number, why, colon,
              detail);
    CountFailure("package list %s line %d skipped, %s%s%s", at.path, at.number, why, colon, detail);
}

// Logs that a line lacks a word it needs; the line is then skipped.
void WarnIncomplete(const ListPlace &at, const PkgLine &line, const char *missing) {
    char *why = SaveStr("no %s", missing);
    char *text = SaveStr("%.*s", static_cast<int>(LengthToLineEnd(line.text)), line.text);
    SkipLine(at, why, text);
    PutMem(text);
    PutMem(why);
}

// A NAME (or the new name of "name") stays inside APP: relative, no "..".
bool NameAllowed(const char *word) {
    return word[0] != '/' && IsDescendingPath(word);
}

// A saved copy of the first value of the attribute pairs from index first on
// that may not reach a command line, or null when all may. The rest of the
// line that a leading sed takes counts as one value.
char *RefusedAttribute(const PkgLine &line, int first) {
    for (int a = first; a + 1 < line.count; a += 2) {
        const char *value = line.words[a + 1];
        bool allowed = true;
        switch (FindToken(line.words[a], ATTRIBUTES)) {
        case ATTR_MODE:
        case ATTR_OWNER:
        case ATTR_GROUP:
        case ATTR_LINK:
            allowed = IsShellSafePath(value);
            break;
        case ATTR_NAME:
            allowed = NameAllowed(value);
            break;
        case ATTR_BAT: // a command in /usr/bin, not below or beside it
            allowed = IsPlainFileName(value);
            break;
        case ATTR_SED:
            if (a == first) {
                char *script = RestOfLine(line, a + 1);
                if (IsSafeSedScript(script)) {
                    PutMem(script);
                    return nullptr;
                }
                return script;
            }
            allowed = IsSafeSedScript(value);
            break;
        default: // passed over, never used
            break;
        }
        if (!allowed) {
            return SaveStr("%s", value);
        }
    }
    return nullptr;
}

// Checks every word of a line that would reach a command line: NAME, DEST
// (null when the directive has none) and the attribute values from index
// first on. A line with a word that is not allowed is skipped whole: true.
bool LineRefused(const ListPlace &at, const PkgLine &line, const char *name, const char *dest,
                 int first) {
    char *word = nullptr;
    if (!NameAllowed(name)) {
        word = SaveStr("%s", name);
    } else if (dest != nullptr && !IsDescendingPath(dest)) {
        word = SaveStr("%s", dest);
    } else {
        word = RefusedAttribute(line, first);
    }
    if (word == nullptr) {
        return false;
    }
    SkipLine(at, "word not allowed", QuoteWord(word));
    PutMem(word);
    return true;
}

// The sed arguments as the command line's double quotes must hold them for
// sed to receive the script exactly as written: inside double quotes the
// shell turns each "\\" into "\", so every backslash is doubled. One before
// a line end (a continued list line) stays single: the shell drops the pair.
char *QuotedForCommandLine(const char *script) {
    size_t length = 0;
    for (const char *p = script; *p != '\0'; ++p) {
        length += *p == '\\' && p[1] != '\n' ? 2 : 1;
    }
    char *quoted = SaveStr("%*s", static_cast<int>(length), "");
    // Written within the length counted, whatever happens to the count.
    char *q = quoted;
    char *end = quoted + strlen(quoted);
    for (const char *p = script; *p != '\0' && q < end; ++p) {
        if (*p == '\\' && p[1] != '\n') {
            *q++ = '\\';
        }
        if (q < end) {
            *q++ = *p;
        }
    }
    *q = '\0';
    return quoted;
}

// Edits APP/name with the sed arguments script through WORK/MYNAME.tmp: the
// work area is the run's own directory, which nobody else can write to.
// Whatever stands at that path is removed first, so the redirection always
// creates a fresh file. The edit and the copy back are logged commands.
void EditWithSed(const char *script, const char *name) {
    char *tmpName = SaveStr("%s.tmp", my_name);
    DeleteFile(pVarenInstallDir, tmpName);
    char *tmpPath = SaveStr("%s/%s", pVarenInstallDir, tmpName);
    char *quoted = QuotedForCommandLine(script);
    SysCmdAppend(CMD_SED, MODE_FATAL, tmpPath, "%s %s/%s", quoted, pAppDir, name);
    // A copy back that fails (a full file system leaves the file cut short)
    // is a failed step of the run.
    SysCmd(CMD_CP, MODE_WARN, "%s %s/%s", tmpPath, pAppDir, name);
    SysCmd(CMD_RM, MODE_QUIET, "%s", tmpPath);
    char *edited = SaveStr("%s/%s", pAppDir, name);
    NoteEntry(edited, NOTE_CONFIG);
    PutMem(edited);
    PutMem(quoted);
    PutMem(tmpPath);
    PutMem(tmpName);
}

// Makes the directory that holds path (when path names one) as the run's own;
// one that exists (/usr/bin) must be closed to others all the same.
void MakeParentDirectory(const char *path) {
    char *parent = SaveStr("%s", path);
    char *slash = strrchr(parent, '/');
    if (slash != nullptr) {
        slash[slash == parent ? 1 : 0] = '\0';
        MakeRunDirectory(parent, MODE_FATAL);
        RequireSafeDirectory(parent);
    }
    PutMem(parent);
}

// Copies WORK/pkg/name to dest (cp -pr) for a dirto line: the directory that
// holds dest is made as the run's own first, and a dest the copy made must
// be the run's own too. What the copy made is noted, its whole tree: dest,
// or the copy inside dest when dest was a directory already.
void CopyToDest(const char *pkg, const char *name, const char *dest) {
    MakeParentDirectory(dest);
    int before = GetFileType(dest);
    SysCmd(CMD_CP_R, MODE_WARN, "%s/%s/%s %s", pVarenInstallDir, pkg, name, dest);
    if (before == 0 && GetFileType(dest) == 1) {
        RequireOwnDirectory(dest);
    }
    char *made = before == 1 ? SaveStr("%s/%s", dest, StripPath(name)) : SaveStr("%s", dest);
    NoteEntry(made, NOTE_MADE | NOTE_TREE);
    PutMem(made);
}

// True when the link text names NAME in an application directory of the
// suite: APP, the earlier installation's, or the fixed place /usr/Varen/tvxx.
bool NamesOwnFile(const char *text, const char *name) {
    const char *apps[] = {pAppDir, nullptr, "/usr/Varen/tvxx"};
    char *earlier = pCurrentInstallDir != nullptr ? SaveStr("%s/Varen/tvxx", pCurrentInstallDir) : nullptr;
    apps[1] = earlier;
    bool own = false;
    for (const char *app : apps) {
        size_t len = app != nullptr ? strlen(app) : 0;
        own = own || (len > 0 && strncmp(text, app, len) == 0 && text[len] == '/' &&
                      strcmp(text + len + 1, name) == 0);
    }
    PutMem(earlier);
    return own;
}

// The link attribute: makes the symbolic link value to APP/name. A link
// there that already names the file (in APP, the earlier installation or the
// fixed place) is kept or replaced, so that a run repeated after an
// interruption ends as one run does; the link itself is replaced, never
// followed into the directory it leads to. Any other entry at value is left
// as it is (never removed, replaced or entered): a warning and a failed step.
void MakeLink(const char *name, const char *value) {
    char *target = SaveStr("%s/%s", pAppDir, name);
    struct stat st;
    if (lstat(value, &st) == 0) {
        char *text = S_ISLNK(st.st_mode) ? ReadLinkText(value) : nullptr;
        struct stat to;
        struct stat at;
        bool leads = stat(value, &at) == 0 && stat(target, &to) == 0 && at.st_dev == to.st_dev &&
                     at.st_ino == to.st_ino;
        // A link someone else made is hers to point elsewhere later: never taken up.
        bool own = text != nullptr && st.st_uid == geteuid() && (leads || NamesOwnFile(text, name));
        bool same = text != nullptr && strcmp(text, target) == 0;
        PutMem(text);
        if (!own) {
            PutLogMsg("WARNING: %s is left as it is: it is no link to %s\n", value, target);
            CountFailure("%s is left as it is: it is no link to %s", value, target);
        } else if (same) {
            PutLogMsg("link %s -> %s is there already\n", value, target);
            NoteEntry(value, NOTE_MADE);
        }
        if (!own || same) {
            PutMem(target);
            return;
        }
    }
    // -T: a directory that appeared there meanwhile is never entered.
    SysCmd(CMD_LN, MODE_FATAL, "-sfT %s %s", target, value);
    NoteEntry(value, NOTE_MADE);
    PutMem(target);
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
            MakeParentDirectory(wrapper);
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
            MakeParentDirectory(value);
            MakeLink(name, value);
            break;
        case ATTR_NAME: {
            SysCmd(CMD_MV, MODE_FATAL, "%s/%s %s/%s", pAppDir, name, pAppDir, value);
            char *from = SaveStr("%s/%s", pAppDir, name);
            char *to = SaveStr("%s/%s", pAppDir, value);
            RenameNoted(from, to);
            PutMem(to);
            PutMem(from);
            break;
        }
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
bool RunLine(const ListPlace &at, const PkgLine &line, const char *pkg) {
    if (line.count == 0) {
        return false;
    }
    int k = 0;
    int directive = FindToken(line.words[k], DIRECTIVES);
    while (directive == DIR_RELEASE) {
        if (k + 2 >= line.count) {
            WarnIncomplete(at, line, "OP or RELEASE");
            return false;
        }
        struct utsname host {};
        if (uname(&host) != 0) {
            perror(nlsSetupStrCvt(MSG_NO_VERSION));
            if (!LineRefused(at, line, line.words[k + 1], nullptr, k + 2)) {
                RunAttributes(line, line.words[k + 1], k + 2);
            }
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
            WarnIncomplete(at, line, "checkps list");
            return false;
        }
        return QuitForRunningProcesses(line.words[k + 1]) == 1;
    }
    if (k + 1 >= line.count) {
        WarnIncomplete(at, line, "NAME");
        return false;
    }
    const char *name = line.words[k + 1];
    const char *dest = nullptr;
    int attributes = k + 2;
    if (directive == DIR_DIRTO) {
        if (k + 2 >= line.count) {
            WarnIncomplete(at, line, "DEST");
            return false;
        }
        dest = line.words[k + 2];
        attributes = k + 3;
    }
    if (LineRefused(at, line, name, dest, attributes)) {
        return false;
    }
    switch (directive) {
    case DIR_DIR:
        SysCmd(CMD_CP_R, MODE_WARN, "%s/%s/%s %s", pVarenInstallDir, pkg, name, pAppDir);
        break;
    case DIR_DIRTO:
        CopyToDest(pkg, name, dest);
        break;
    case DIR_TOUCH: {
        // What the suite keeps in such a file changes while it works.
        SysCmd(CMD_TOUCH, MODE_WARN, "%s/%s", pAppDir, name);
        char *touched = SaveStr("%s/%s", pAppDir, name);
        NoteEntry(touched, NOTE_RUNTIME);
        PutMem(touched);
        break;
    }
    case DIR_MODIFY:
    case DIR_SAME:
        if (!FindFile(pAppDir, name)) {
            return false;
        }
        break;
    case DIR_NEWDIR: {
        if (!flFirstInstallation && FindFile(pAppDir, name)) {
            return false;
        }
        char *dir = SaveStr("%s/%s", pAppDir, name);
        MakeOwnDirectory(dir, OwnDirMode());
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

bool flFirstInstallation = false;

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

    // A line too long for the line buffer, or holding a NUL byte, is
    // skipped whole: carried out in pieces or cut short it would do what
    // nobody wrote.
    bool stop = false;
    while (!stop && GetFileLine()) {
        ListPlace at{path, GetFileLineNumber()};
        int fault = GetFileLineFault();
        if (fault == LINE_TOO_LONG) {
            SkipLine(at, "longer than the line limit", "");
            continue;
        }
        if (fault == LINE_HAS_NUL) {
            SkipLine(at, "holds a NUL byte", "");
            continue;
        }
        PkgLine line = SplitLine(LineBuf);
        stop = RunLine(at, line, pkg);
        FreeLine(line);
    }
    PutMem(path);
    if (stop) {
        CloseInputFile();
        return 1;
    }
    return 0;
}

bool IsSafeSedScript(const char *script) {
    bool quoted = false;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(script); *p != '\0';
         p++) {
        unsigned char c = *p;
        if (c == '\\' && p[1] == '\n') {
            p++;
            continue;
        }
        if (c == '\'') {
            quoted = !quoted;
            continue;
        }
        if (c < ' ' || c == 127 || c == '$' || c == '`' || c == '"') {
            return false;
        }
        char one[2] = {static_cast<char>(c), '\0'};
        if (!quoted && c != ' ' && !IsShellSafePath(one)) {
            return false;
        }
    }
    return !quoted;
}
