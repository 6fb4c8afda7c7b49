// Install site: proving the medium before anything changes on the host (its
// checksum file and that file's signature, copied into the work area and
// checked there; every listed file covered by it), then copying the files
// that the medium's disks list names into the work area, checking the
// copies against the verified checksum file, and running the install
// sequence.
#include "install/site.h"

#include "support/globals.h"
#include "install/medium.h"
#include "install/mediumfile.h"
#include "install/nls.h"
#include "install/origin.h"
#include "support/describe.h"
#include "support/errors.h"
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

// The checksum file that make-medium writes, in sha256sum -c form, named in
// the case of the medium's other files.
constexpr const char *SUMS_NAMES[] = {"sha256sums", "SHA256SUMS"};

// The medium's checksum file, or null when it holds none.
const char *FindSumsFile() {
    for (const char *name : SUMS_NAMES) {
        if (FindFile(pPathToSetup, name)) {
            return name;
        }
    }
    return nullptr;
}

// Ends the run with message 12 for a listed file that is missing or damaged.
[[noreturn]] void StopForBadFile(const char *name, const char *sums) {
    char *sumsPath = SaveStr("%s/%s", JoinDir(pPathToSetup), sums);
    ErrorMsg(2, 1, nlsSetupStrCvt(MSG_BAD_PIECE), QuoteWord(name), sumsPath);
    exit(1); // not reached: ErrorMsg of type 2 ends the run
}

// Checks the copies in the work area against the work area's verified copy
// of the checksum file with sha256sum -c (a logged command), before anything
// is joined or installed. A copy that does not match ends the run, naming it.
void CheckCopies(const char *work, const char *sums) {
    if (chdir(work) != 0) {
        // The check below then finds no copy and names the first.
    }
    if (SysCmd(CMD_SHA256SUM, MODE_WARN, "--strict --quiet %s/%s", work, sums) == 0) {
        return;
    }
    // The check printed "NAME: FAILED" for each copy that does not match;
    // ask once more for the first of them.
    ResponseLine *failed =
        GetCmdResponse(CMD_SHA256SUM, ": FAILED", "--strict --quiet %s/%s 2>/dev/null", work, sums);
    char *name = SaveStr("%s", failed != nullptr ? failed->pText : sums);
    FreeResponseList(failed);
    char *end = StrStr(name, ": FAILED");
    if (end != nullptr) {
        *end = '\0';
    }
    StopForBadFile(name, sums);
}

// Permission bits that let others than the owner write.
constexpr mode_t OTHERS_WRITE = S_IWGRP | S_IWOTH;

// True when nobody but root and the running user can rename or replace the
// directory holding work, nor any directory on the way to it from /.
bool SafeParent(const char *work) {
    // The work area's path is absolute: cut it after its last "/" but one.
    char *parent = SaveStr("%s", work);
    char *slash = strrchr(parent, '/');
    if (slash != nullptr) {
        slash[slash == parent ? 1 : 0] = '\0';
    }
    DirChain chain;
    bool safe = CheckDirChain(parent, &chain) && chain.exists;
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
    // Nothing the run unpacks in it inherits an entry that lets others write,
    // nor the group of a set-group-id directory that holds it.
    if (lchown(work, static_cast<uid_t>(-1), getegid()) != 0 || chmod(work, 0755) != 0) {
        RefuseWorkArea(work);
    }
    CloseAcl(work);
}

// Whether a line of the checksum file text, in sha256sum's form (the
// checksum, a blank, a blank or "*", the name), names name.
bool Covers(const char *sumsText, const char *name) {
    size_t nameLen = strlen(name);
    for (const char *line = sumsText; line != nullptr && *line != '\0';) {
        size_t len = strcspn(line, "\n");
        const char *blank = static_cast<const char *>(memchr(line, ' ', len));
        if (blank != nullptr && blank + 2 + nameLen == line + len &&
            (blank[1] == ' ' || blank[1] == '*') && strncmp(blank + 2, name, nameLen) == 0) {
            return true;
        }
        line = line[len] != '\0' ? line + len + 1 : nullptr;
    }
    return false;
}

// What the proof of the medium leaves for the copy: the names of the list
// as read then, and the checksum file's name (null when there is none).
WordList listed{nullptr, 0};
const char *sumsName = nullptr;

} // namespace

void CheckCoverage(const char *work, const char *sums, const char *sig, const WordList &names) {
    char *text = ReadWholeFile(work, sums);
    for (int i = 0; i < names.count; ++i) {
        const char *name = names.words[i];
        if (strcmp(name, ListFileName()) == 0) {
            continue;
        }
        if (text == nullptr || strcmp(name, sums) == 0 || strcmp(name, sig) == 0 ||
            !Covers(text, name)) {
            char *sumsPath = SaveStr("%s/%s", JoinDir(pPathToSetup), sums);
            ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NOT_COVERED), name, sumsPath);
        }
    }
    PutMem(text);
}

// Recreates the work area and proves the medium before anything changes on
// the host.
void proveMedium(const char *work) {
    // A user who is not root removes only a work area of his own: one that
    // a root run made stays untouched (and this run stops below).
    if (OwnedByThisUser(work)) {
        DeleteFile(work, nullptr);
    }
    CreateOwnWorkArea(work);
    RemoveOnStop(work);
    // Every file read, copied or run from the medium is its own regular file.
    RequireMediumFile(pPathToSetup, my_name);
    char *text = GetDisksData(pPathToSetup);
    listed = ListedNames(text);
    PutMem(text);
    for (int i = 0; i < listed.count; ++i) {
        RequireMediumFile(pPathToSetup, listed.words[i]);
    }

    int keys = GatherTrustedKeys(work);
    const char *sums = FindSumsFile();
    // Named in the case of the medium's list file when it has none.
    bool upper = sums != nullptr ? sums == SUMS_NAMES[1] : ListFileName()[0] == 'D';
    const char *sig = upper ? "SHA256SUMS.SIG" : "sha256sums.sig";
    if (sums != nullptr) {
        RequireMediumFile(pPathToSetup, sums);
    }
    RequireMediumFile(pPathToSetup, sig);
    if (keys > 0 && (sums == nullptr || !FindFile(pPathToSetup, sig))) {
        char *missing = SaveStr("%s/%s", JoinDir(pPathToSetup), sums == nullptr ? SUMS_NAMES[upper] : sig);
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NOT_SIGNED), missing, TRUSTED_KEYS_DIR);
    }
    if (keys == 0) {
        PutLogMsg("the medium's origin is not checked: no trusted keys in %s\n", TRUSTED_KEYS_DIR);
    }
    sumsName = sums;
    if (sums == nullptr) {
        return;
    }
    for (int i = 0; i < listed.count; ++i) {
        if (!FindFile(pPathToSetup, listed.words[i])) {
            StopForBadFile(listed.words[i], sums);
        }
    }
    // The checksum file (and its signature) are checked in the work area,
    // where the medium cannot change them afterwards.
    SysCmd(CMD_CP, MODE_FATAL, "%s/%s %s", JoinDir(pPathToSetup), sums, work);
    if (keys > 0) {
        SysCmd(CMD_CP, MODE_FATAL, "%s/%s %s", JoinDir(pPathToSetup), sig, work);
        CheckSignature(work, sums, sig);
    }
    CheckCoverage(work, sums, sig, listed);
}

// Copies every file that SITE's list named into the work area (checked
// against the verified checksum file when the medium has one), and runs the
// install sequence. Returns what the install sequence reports.
int installFromSite(const char *work) {
    ShowPhase(MSG_PHASE_COPY);
    for (int i = 0; i < listed.count; ++i) {
        SysCmd(CMD_CP, MODE_FATAL, "%s/%s %s", JoinDir(pPathToSetup), listed.words[i], work);
    }
    FreeWords(listed);
    if (sumsName != nullptr) {
        ShowPhase(MSG_PHASE_CHECK);
        CheckCopies(work, sumsName);
    }

    return Install();
}
