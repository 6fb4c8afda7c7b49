// Install site: copying the files that the medium's disks list names into the
// work area, then running the install sequence.
#include "install/site.h"

#include "support/globals.h"
#include "install/medium.h"
#include "install/sequence.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/fileops.h"
#include "syscmd/run.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
