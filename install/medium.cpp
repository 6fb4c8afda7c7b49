// The install medium's disks list (read, upper-cased on upper-case media) and
// the joining of the archive pieces it names into one compressed archive.
#include "install/medium.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "install/nls.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/globals.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/run.h"

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
