// Install site: copying the files that the medium's disks list names into the
// work area, then running the install sequence.
#include "install/site.h"

#include "support/globals.h"
#include "install/medium.h"
#include "install/nls.h"
#include "install/sequence.h"
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

// Permission bits that let others than the owner write.
constexpr mode_t OTHERS_WRITE = S_IWGRP | S_IWOTH;

// True when the directory holding work lets nobody else rename or replace
// entries in it: it belongs to root or to the running user, and is either
// closed to others' writes or sticky.
bool SafeParent(const char *work) {
    // The work area's path is absolute: cut it after its last "/" but one.
    char *parent = SaveStr("%s", work);
    char *slash = strrchr(parent, '/');
    if (slash != nullptr) {
        slash[slash == parent ? 1 : 0] = '\0';
    }
    struct stat st;
    bool safe = stat(parent, &st) == 0 && S_ISDIR(st.st_mode) &&
                (st.st_uid == 0 || st.st_uid == geteuid()) &&
                ((st.st_mode & OTHERS_WRITE) == 0 || (st.st_mode & S_ISVTX) != 0);
    PutMem(parent);
    return safe;
}

// Ends the run with message 5 (status 1): the work area is not this run's own.
[[noreturn]] void RefuseWorkArea(const char *work) {
    printf(nlsSetupStrCvt(MSG_WORK_NOT_OWN), work);
    fflush(stdout);
    PutLogMsg(nlsSetupStrCvt(MSG_WORK_NOT_OWN), work);
    exit(1);
}

// Creates the work area as this run's own: a new directory (a name that
// reappeared after the removal is never adopted), owned by the running user,
// closed to others' writes, in a directory where nobody else can replace it.
// Otherwise ends the run before anything is copied.
void CreateOwnWorkArea(const char *work) {
    if (mkdir(work, 0755) != 0) {
        RefuseWorkArea(work);
    }
    struct stat st;
    bool own = lstat(work, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
               (st.st_mode & OTHERS_WRITE) == 0;
    if (!own || !SafeParent(work)) {
        if (own) {
            rmdir(work);
        }
        RefuseWorkArea(work);
    }
}

} // namespace

// Recreates the work area, copies every file that SITE's list names into it,
// and runs the install sequence. Returns 0 always.
int installFromSite(const char *work) {
    // A user who is not root removes only a work area of his own: one that
    // a root run made stays untouched (and this run stops below).
    if (OwnedByThisUser(work)) {
        DeleteFile(work, nullptr);
    }
    CreateOwnWorkArea(work);
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
