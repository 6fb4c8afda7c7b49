// The install medium's disks list (read, upper-cased on upper-case media) and
// the joining of the archive pieces it names into one compressed archive.
#include "install/medium.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "install/mediumfile.h"
#include "install/nls.h"
#include "support/describe.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/globals.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/run.h"

// The path of the list file read, for messages: dir/name.
static char *listPath = nullptr;
// The name of the list file read: "disks", or "DISKS" on upper-case media.
static const char *listName = "disks";

const char *ListFileName() {
    return listName;
}

// Upper-cases every name of an upper-case medium's list, wherever it stands.
// A word that is the end marker stays as written, so that it is recognised
// in lower case after the conversion, also on a line with trailing blanks.
static void UpperCaseNames(char *text) {
    const size_t markerLen = strlen(END_MARKER);
    char *p = text;
    while (*p != '\0') {
        p += strspn(p, DISKS_SEPARATORS);
        size_t len = strcspn(p, DISKS_SEPARATORS);
        bool marker = len == markerLen && strncmp(p, END_MARKER, len) == 0;
        for (size_t i = 0; i < len && !marker; ++i) {
            if (p[i] >= 'a' && p[i] <= 'z') {
                p[i] = static_cast<char>(p[i] - 'a' + 'A');
            }
        }
        p += len;
    }
}

WordList CollectWords(const char *text, const char *delimiters) {
    WordList list{nullptr, 0};
    int capacity = static_cast<int>(strlen(text) / 2) + 1;
    list.words = static_cast<char **>(GetMem(capacity * static_cast<int>(sizeof(char *))));
    if (list.words == nullptr) {
        return list;
    }
    for (const char *word = GetToken(text, delimiters); word != nullptr && list.count < capacity;
         word = GetToken(nullptr, delimiters)) {
        if (GetTokenCut()) {
            // A cut name would copy or join some other file.
            ErrorMsg(2, 1, nlsSetupStrCvt(MSG_LONG_NAME), listPath != nullptr ? listPath : "",
                     TOKEN_BUF_SIZE - 1, QuoteWord(word));
        }
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
static char *NextLine(char **cursor) {
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

WordList ListedNames(const char *text) {
    WordList all{nullptr, 0};
    char *copy = SaveStr("%s", text);
    int capacity = static_cast<int>(strlen(copy) / 2) + 1;
    all.words = static_cast<char **>(GetMem(capacity * static_cast<int>(sizeof(char *))));
    char *cursor = copy;
    for (char *line = NextLine(&cursor); line != nullptr && all.words != nullptr;
         line = NextLine(&cursor)) {
        if (strcmp(line, END_MARKER) == 0) {
            break;
        }
        WordList names = CollectWords(line, DISKS_SEPARATORS);
        for (int i = 0; i < names.count && all.count < capacity; ++i) {
            all.words[all.count++] = names.words[i];
        }
        PutMem(names.words);
    }
    PutMem(copy);
    return all;
}

char *GetDisksData(const char *dir) {
    // Two lists would leave the choice to whoever added the second; an
    // upper-case medium (one with DISKS or SHA256SUMS) has only DISKS, so a
    // lower-case list added beside its checksum file is never read.
    if (FindFile(dir, "disks") && FindFile(dir, "DISKS")) {
        char *lower = SaveStr("%s/disks", JoinDir(dir));
        char *kind = SaveStr("a second list file beside %s/DISKS", JoinDir(dir));
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NOT_MEDIUM_FILE), lower, kind);
    }
    bool upper = FindFile(dir, "DISKS") || FindFile(dir, "SHA256SUMS");
    const char *name = upper ? "DISKS" : "disks";
    char *text = ReadMediumFile(dir, name);
    if (text == nullptr) {
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NO_DISKS), "Varen");
        exit(1); // not reached: ErrorMsg of type 2 ends the run
    }
    listName = name;
    if (name[0] == 'D') {
        UpperCaseNames(text);
    }

    // Every name is pasted into a copy command and names a file of dir: a
    // plain file name of the characters allowed in command lines.
    PutMem(listPath);
    listPath = SaveStr("%s/%s", JoinDir(dir), name);
    WordList names = ListedNames(text);
    if (names.count == 0) {
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_EMPTY_DISKS), listPath);
    }
    for (int i = 0; i < names.count; ++i) {
        if (!IsPlainFileName(names.words[i])) {
            ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NOT_PLAIN_NAME), listPath, QuoteWord(names.words[i]));
        }
    }
    FreeWords(names);
    return text;
}

// Appends the pieces named by the work area's copy of the list, in list
// order, to WORK/Linuxi386Tvxx.tar.Z, each a logged command. Leaves the
// current directory at WORK.
void genZFile() {
    if (chdir(pVarenInstallDir) != 0) {
        // The directory was just created; the copies below report any trouble.
    }
    char *text = GetDisksData(pVarenInstallDir);
    WordList words = CollectWords(text, DISKS_SEPARATORS);
    PutMem(text);
    char *archive = SaveStr("%s/%s.tar.Z", pVarenInstallDir, ARCHIVE_NAME);
    for (int i = 0; i < words.count; ++i) {
        const char *word = words.words[i];
        bool isPiece = strncmp(word, "pkg_tar.", 8) == 0 || strncmp(word, "PKG_TAR.", 8) == 0;
        if (!isPiece || !FindFile(pVarenInstallDir, word)) {
            continue;
        }
        SysCmdAppend(CMD_CAT, MODE_FATAL, archive, "%s/%s", pVarenInstallDir, word);
    }
    PutMem(archive);
    FreeWords(words);
}
