// Install site: proving the medium before anything changes on the host (its
// checksum file and that file's signature, copied into the work area and
// checked there; the checksum file read whole, every file it names checked,
// every file the run reads, copies or runs covered by it), then copying the
// files that the medium's disks list names into the work area, checking the
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

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The checksum file that make-medium writes, in sha256sum -c form, named in
// the case of the medium's other files.
constexpr const char *SUMS_NAMES[] = {"sha256sums", "SHA256SUMS"};
// The checksum lines of the files the proof copies itself, in the work area.
constexpr char EARLY_SUMS[] = "early.sums";

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

// Checks the copies in the work area against the lines of WORK/list, the
// verified checksum file or a part of it, with sha256sum -c (a logged
// command), before anything is joined, read or installed. A copy that does
// not match ends the run, naming it against the medium's checksum file sums.
void CheckCopies(const char *work, const char *list, const char *sums) {
    if (chdir(work) != 0) {
        // The check below then finds no copy and names the first.
    }
    if (SysCmd(CMD_SHA256SUM, MODE_WARN, "--strict --quiet %s/%s", work, list) == 0) {
        return;
    }
    // The check printed "NAME: FAILED" for each copy that does not match;
    // ask once more for the first of them.
    ResponseLine *failed =
        GetCmdResponse(CMD_SHA256SUM, ": FAILED", "--strict --quiet %s/%s 2>/dev/null", work, list);
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

// Ends the run (status 1): the work area is not this run's own, and why in
// the administrator's terms when it is known (message 77 with the reason
// why), else message 5.
[[noreturn]] void RefuseWorkArea(const char *work, int why) {
    const char *text = nlsSetupStrCvt(why != 0 ? MSG_WORK_REFUSED : MSG_WORK_NOT_OWN);
    const char *reason = why != 0 ? nlsSetupStrCvt(why) : "";
    printf(text, work, reason);
    fflush(stdout);
    PutLogMsg(text, work, reason);
    exit(1);
}

// The reason for a work area that mkdir could not make (its errno) or that
// is not this run's own: a read-only file system, something that is no
// directory, another user's; 0 when none of these.
int WhyNotOwn(const char *work, int err) {
    struct stat st;
    if (err == EROFS) {
        return MSG_WHY_READ_ONLY;
    }
    if (err == ENOTDIR || (lstat(work, &st) == 0 && !S_ISDIR(st.st_mode))) {
        return MSG_WHY_NOT_DIR;
    }
    if (err == EEXIST || err == 0) {
        return MSG_WHY_NOT_OWN;
    }
    return 0;
}

// Creates the work area as this run's own: a new directory (a name that
// reappeared after the removal is never adopted), owned by the running user,
// closed to others' writes, in a directory where nobody else can replace it.
// Otherwise ends the run before anything is copied.
void CreateOwnWorkArea(const char *work) {
    if (mkdir(work, 0755) != 0) {
        RefuseWorkArea(work, WhyNotOwn(work, errno));
    }
    struct stat st;
    bool own = lstat(work, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
               (st.st_mode & OTHERS_WRITE) == 0;
    if (!own || !SafeParent(work)) {
        if (own) {
            rmdir(work);
        }
        RefuseWorkArea(work, WhyNotOwn(work, 0));
    }
    // Nothing the run unpacks in it inherits an entry that lets others write,
    // nor the group of a set-group-id directory that holds it.
    if (lchown(work, static_cast<uid_t>(-1), getegid()) != 0 || chmod(work, 0755) != 0) {
        RefuseWorkArea(work, WhyNotOwn(work, errno));
    }
    CloseAcl(work);
}

// The length of a checksum-file line's digest and of what follows it before
// the name: a blank and a blank or "*", as sha256sum writes them.
constexpr size_t DIGEST_LEN = 64;
constexpr size_t NAME_AT = DIGEST_LEN + 2;

// Whether line (len characters, no line end) is well formed as sha256sum
// writes it: 64 hexadecimal digits, a blank, a blank or "*", then a plain
// file name of the medium.
bool WellFormed(const char *line, size_t len) {
    if (len <= NAME_AT || line[DIGEST_LEN] != ' ' ||
        (line[DIGEST_LEN + 1] != ' ' && line[DIGEST_LEN + 1] != '*')) {
        return false;
    }
    for (size_t i = 0; i < DIGEST_LEN; ++i) {
        if (strchr("0123456789abcdefABCDEF", line[i]) == nullptr) {
            return false;
        }
    }
    char *name = SaveStr("%.*s", static_cast<int>(len - NAME_AT), line + NAME_AT);
    bool plain = IsPlainFileName(name);
    PutMem(name);
    return plain;
}

// The name a malformed line gives, for its message: what follows its first
// blanks (the whole line when it has none), bounded and escaped as every
// refused word is shown.
const char *NameOfLine(const char *line, size_t len) {
    const char *blank = static_cast<const char *>(memchr(line, ' ', len));
    const char *name = line;
    if (blank != nullptr) {
        name = blank + strspn(blank, " *");
        name = name <= line + len ? name : line + len;
    }
    char *word = SaveStr("%.*s", static_cast<int>(line + len - name), name);
    const char *shown = QuoteWord(word);
    PutMem(word);
    return shown;
}

// Whether list holds name.
bool Holds(const WordList &list, const char *name) {
    for (int i = 0; i < list.count; ++i) {
        if (strcmp(list.words[i], name) == 0) {
            return true;
        }
    }
    return false;
}

// Whether the run reads the text of the medium's file name: the list file,
// the size files, the release file.
bool ReadByRun(const char *name) {
    const char *read[] = {ListFileName(), "isize", "tsize", ReleaseFileName()};
    for (const char *r : read) {
        if (strcmp(name, r) == 0) {
            return true;
        }
    }
    return false;
}

// What the proof of the medium leaves for the copy: the names of the list
// as read then, the checksum file's name (null when there is none), the
// names its lines give, and the work area, which holds a proven copy of
// every named file the list does not name and of every file the run reads.
WordList listed{nullptr, 0};
WordList named{nullptr, 0};
const char *sumsName = nullptr;
const char *workArea = nullptr;
bool trustsKeys = false;

// The message path of the medium's checksum file.
char *SumsPath(const char *sums) {
    return SaveStr("%s/%s", JoinDir(pPathToSetup), sums);
}

// Reads the work area's verified copy of the checksum file whole: a NUL
// byte in it, or a malformed line, ends the run (messages 81 and 80).
// Returns the names its lines give; *early receives its lines for the files
// the proof copies at once (a saved string): those the list does not name
// and those whose text the run reads.
WordList ReadSums(const char *work, const char *sums, char **early) {
    size_t size = 0;
    char *text = ReadWholeData(work, sums, &size);
    if (text == nullptr || strlen(text) != size) {
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NUL_BYTE), SumsPath(sums));
    }
    WordList names{static_cast<char **>(GetMem(static_cast<int>((size / NAME_AT + 1) * sizeof(char *)))), 0};
    *early = SaveStr("%s", "");
    for (const char *line = text; line < text + size;) {
        size_t len = strcspn(line, "\n");
        if (!WellFormed(line, len)) {
            ErrorMsg(2, 1, nlsSetupStrCvt(MSG_BAD_SUMS_LINE), SumsPath(sums), NameOfLine(line, len));
        }
        char *name = SaveStr("%.*s", static_cast<int>(len - NAME_AT), line + NAME_AT);
        names.words[names.count++] = name;
        if (!Holds(listed, name) || ReadByRun(name)) {
            char *more = SaveStr("%s%.*s\n", *early, static_cast<int>(len), line);
            PutMem(*early);
            *early = more;
        }
        line += len + 1;
    }
    PutMem(text);
    return names;
}

// Whether the proof copies name itself, before anything uses it: a named
// file the list does not name, or one whose text the run reads (the list
// file, the size files, the release file) even when the list names it.
bool CopiedEarly(const char *name) {
    return Holds(named, name) && (ReadByRun(name) || !Holds(listed, name));
}

// Ends the run naming the list file as damaged when the verified copy of
// the list in the work area names other files than the medium's list read
// before the proof (the list was changed meanwhile).
void RequireSameList(const char *work, const char *sums) {
    char *text = GetDisksData(work);
    WordList verified = ListedNames(text);
    PutMem(text);
    bool same = verified.count == listed.count;
    for (int i = 0; same && i < listed.count; ++i) {
        same = strcmp(verified.words[i], listed.words[i]) == 0;
    }
    FreeWords(verified);
    if (!same) {
        StopForBadFile(ListFileName(), sums);
    }
}

} // namespace

void CheckCoverage(const char *sums, const char *sig, const WordList &names, bool listSelf) {
    for (int i = 0; i < names.count; ++i) {
        const char *name = names.words[i];
        if (!listSelf && strcmp(name, ListFileName()) == 0) {
            continue;
        }
        if (strcmp(name, sums) == 0 || strcmp(name, sig) == 0 || !Holds(named, name)) {
            ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NOT_COVERED), QuoteWord(name), SumsPath(sums));
        }
    }
}

const char *ProvenDir(const char *name) {
    // A file the checksum file names is read only from its checked copy.
    return workArea != nullptr && Holds(named, name) ? workArea : pPathToSetup;
}

bool HostTrustsKeys() {
    return trustsKeys;
}

const char *ProvenSumsName() {
    return sumsName;
}

const char *ReleaseFileName() {
    // Chosen by the case of the list file, never by which names are present,
    // which someone changing the medium during the run could decide.
    return ListFileName()[0] == 'D' ? "RELEASE" : "release";
}

// Recreates the work area and proves the medium before anything changes on
// the host.
void proveMedium(const char *work, const char *self) {
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
    trustsKeys = keys > 0;
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
    CopyMediumFile(pPathToSetup, sums, work);
    if (keys > 0) {
        CopyMediumFile(pPathToSetup, sig, work);
        CheckSignature(work, sums, sig);
    }
    char *early = nullptr;
    named = ReadSums(work, sums, &early);
    // Every listed file must have a line; on a host that trusts keys also
    // the list file, the size files, the release file when there is one and
    // the installer when it runs from the medium: all that the run reads,
    // copies or runs.
    CheckCoverage(sums, sig, listed, keys > 0);
    if (keys > 0) {
        const char *read[5] = {ListFileName(), "isize", "tsize", nullptr, nullptr};
        int count = 3;
        if (FindFile(pPathToSetup, ReleaseFileName())) {
            read[count++] = ReleaseFileName();
        }
        if (self != nullptr) {
            read[count++] = self;
        }
        WordList more{const_cast<char **>(read), count};
        CheckCoverage(sums, sig, more, true);
    }
    // Every named file is on the medium; those the list does not name and
    // those whose text the run reads are copied now and checked, so that the
    // list, the size and release files are proven before their contents are
    // used, and only the checked copies are ever read.
    for (int i = 0; i < named.count; ++i) {
        if (!FindFile(pPathToSetup, named.words[i])) {
            StopForBadFile(named.words[i], sums);
        }
    }
    for (int i = 0; i < named.count; ++i) {
        if (CopiedEarly(named.words[i]) && strcmp(named.words[i], sums) != 0 &&
            strcmp(named.words[i], sig) != 0) {
            CopyMediumFile(pPathToSetup, named.words[i], work);
        }
    }
    // Their lines are written after the copies, which could not replace them.
    if (early[0] != '\0') {
        char *earlyPath = SaveStr("%s/%s", work, EARLY_SUMS);
        if (!CreateTextFile(earlyPath, "w", 0644, "%s", early)) {
            StopForBadFile(sums, sums);
        }
        PutMem(earlyPath);
        CheckCopies(work, EARLY_SUMS, sums);
    }
    PutMem(early);
    if (Holds(named, ListFileName())) {
        RequireSameList(work, sums);
    }
    workArea = work;
}

// Copies every file that SITE's list named into the work area (checked
// against the verified checksum file when the medium has one), and runs the
// install sequence. Returns what the install sequence reports.
int installFromSite(const char *work) {
    ShowPhase(MSG_PHASE_COPY);
    for (int i = 0; i < listed.count; ++i) {
        if (CopiedEarly(listed.words[i])) {
            continue; // already copied and checked by the proof
        }
        CopyMediumFile(pPathToSetup, listed.words[i], work);
    }
    FreeWords(listed);
    if (sumsName != nullptr) {
        ShowPhase(MSG_PHASE_CHECK);
        CheckCopies(work, sumsName, sumsName);
    }

    return Install();
}
