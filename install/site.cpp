// Install site and media: the disks list, copying the medium into the work
// area, joining the archive pieces, and the root check with the continue
// question that guard the installation.
#include "install/site.h"

#include "driver/checks.h"
#include "driver/globals.h"
#include "driver/nls.h"
#include "install/sequence.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char END_MARKER[] = "end_of_list";
constexpr char ANSWERS[] = ",y,yes,n,no,";
constexpr int ANSWER_Y = 1;
constexpr int ANSWER_YES = 2;
constexpr int ANSWER_N = 3;
constexpr int ANSWER_NO = 4;
constexpr int REPLY_MAX = 510; // characters of one reply line
static_assert(sizeof(ANSWERS) == 13, "the four answers, each between commas");

// Names of a list text, saved one by one, so that the tokenizer walk is over
// before any command runs (the commands use the tokenizer and LineBuf too).
struct WordList {
    char **words;
    int count;
};

// Splits text with GetToken at delimiters, up to the first word that is the
// end marker. The words are saved strings; FreeWords releases them.
WordList CollectWords(const char *text, const char *delimiters) {
    WordList list{nullptr, 0};
    int capacity = static_cast<int>(strlen(text) / 2) + 1;
    list.words = static_cast<char **>(GetMem(capacity * static_cast<int>(sizeof(char *))));
    if (list.words == nullptr) {
        return list;
    }
    for (const char *word = GetToken(text, delimiters); word != nullptr && list.count < capacity;
         word = GetToken(nullptr, delimiters)) {
        if (strcmp(word, END_MARKER) == 0) {
            break;
        }
        list.words[list.count++] = SaveStr("%s", word);
    }
    return list;
}

void FreeWords(WordList &list) {
    for (int i = 0; i < list.count; ++i) {
        PutMem(list.words[i]);
    }
    PutMem(list.words);
    list.words = nullptr;
    list.count = 0;
}

// Cuts the next line (separators LF and CR, empty lines skipped) out of the
// writable text at *cursor, in place. As for the in-place tokenizer, a
// backslash keeps the character after it from ending the line. Null at the end.
char *NextLine(char **cursor) {
    char *p = *cursor;
    while (*p == '\n' || *p == '\r') {
        ++p;
    }
    if (*p == '\0') {
        *cursor = p;
        return nullptr;
    }
    char *start = p;
    while (*p != '\0' && *p != '\n' && *p != '\r') {
        if (*p == '\\' && p[1] != '\0') {
            ++p;
        }
        ++p;
    }
    if (*p != '\0') {
        *p++ = '\0';
    }
    *cursor = p;
    return start;
}

// Copies every name of one list line from SITE into the work area, up to the
// end marker if the line holds it as a word.
void CopyLineNames(const char *line, const char *work) {
    WordList names = CollectWords(line, " \t\r\n");
    for (int i = 0; i < names.count; ++i) {
        SysCmd(CMD_CP, MODE_FATAL, "%s/%s %s", pPathToSetup, names.words[i], work);
    }
    FreeWords(names);
}

} // namespace

// Reads dir/disks, or else dir/DISKS upper-cased up to the end marker, into
// LineBuf. Ends the run with message 21 (status 1) when neither can be read.
void GetDisksData(const char *dir) {
    if (GetFileContent(dir, "disks")) {
        return;
    }
    if (!GetFileContent(dir, "DISKS")) {
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NO_DISKS), "Varen");
        exit(1); // not reached: ErrorMsg of type 2 ends the run
    }
    const char *marker = StrStr(LineBuf, END_MARKER);
    for (char *p = LineBuf; *p != '\0' && p != marker; ++p) {
        if (*p >= 'a' && *p <= 'z') {
            *p = static_cast<char>(*p - 'a' + 'A');
        }
    }
}

// Appends the pieces named by the work area's copy of the list, in list
// order, to WORK/Linuxi386Tvxx.tar.Z. Leaves the current directory at WORK.
void genZFile() {
    if (chdir(pVarenInstallDir) != 0) {
        // The directory was just created; the copies below report any trouble.
    }
    GetDisksData(pVarenInstallDir);
    char *text = SaveStr("%s", LineBuf);
    WordList words = CollectWords(text, " \r\n");
    PutMem(text);
    for (int i = 0; i < words.count; ++i) {
        const char *word = words.words[i];
        bool isPiece = strncmp(word, "pkg_tar.", 8) == 0 || strncmp(word, "PKG_TAR.", 8) == 0;
        if (!isPiece || !FindFile(pVarenInstallDir, word)) {
            continue;
        }
        SysCmd(-CMD_CAT, MODE_FATAL, "%s/%s >> %s/%s.tar.Z", pVarenInstallDir, word,
               pVarenInstallDir, ARCHIVE_NAME);
    }
    FreeWords(words);
}

// True when the installation may go on. False, after message 35, when the
// user is not root. Asks the continue question when an earlier daemon is in
// APP; "n"/"no" end the run with status 0, the end of input with status 1.
bool readyForInstallation() {
    char *user = GetUserName();
    if (user == nullptr || strcmp(user, "root") != 0) {
        printf(nlsSetupStrCvt(MSG_NOT_ROOT), user != nullptr ? user : "", my_name);
        fflush(stdout);
        PutMem(user);
        return false;
    }
    PutMem(user);

    if (!FindFile(pAppDir, "TolvarD") && !FindFile(pAppDir, "TolvarDStop")) {
        return true;
    }
    printf(nlsSetupStrCvt(MSG_OLD_DAEMON), "Varen", "Varen", "Varen", "tvxx");
    for (;;) {
        printf("%s", nlsSetupStrCvt(MSG_CONTINUE));
        fflush(stdout);
        if (fgets(LineBuf, REPLY_MAX + 1, stdin) == nullptr) {
            EndForNoAnswer();
        }
        switch (FindToken(GetToken(LineBuf, " \t\r\n"), ANSWERS)) {
        case ANSWER_Y:
        case ANSWER_YES:
            DeleteFile("/etc/rc2.d", "KVarenPrintD");
            DeleteFile("/etc/rc2.d", "SVarenPrintD");
            return true;
        case ANSWER_N:
        case ANSWER_NO:
            exit(0);
        default:
            break;
        }
    }
}

// Recreates the work area, copies every file that SITE's list names into it,
// and runs the install sequence. Returns 0 always.
int installFromSite(const char *work) {
    DeleteFile(work, nullptr);
    mkdir(work, 0777);
    GetDisksData(pPathToSetup);

    char *text = SaveStr("%s", LineBuf);
    char *cursor = text;
    for (char *line = NextLine(&cursor); line != nullptr; line = NextLine(&cursor)) {
        if (strcmp(line, END_MARKER) == 0) {
            break;
        }
        CopyLineNames(line, work);
    }
    PutMem(text);

    Install();
    return 0;
}
