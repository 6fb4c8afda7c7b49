// Printing subsystem detection: the LPRng and CUPS probes in the system's
// fixed directories, the rule that the system's lpr decides with, and the
// flags file APP/.tv_cfg that the interface scripts read at every job.
#include "install/spooler.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "install/nls.h"
#include "support/files.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/token.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

// The directories where the spoolers' programs (lpd, cupsd, lpr) are looked
// for, in the order of the system's own PATH for root; never the caller's
// PATH, which decides nothing here.
constexpr const char *SPOOLER_DIRS[] = {"/usr/local/sbin", "/usr/local/bin", "/usr/sbin",
                                        "/usr/bin",        "/sbin",          "/bin"};

// The first name in SPOOLER_DIRS that passes TrustedCommand (saved string),
// or null; a name there that fails is skipped (and logged).
static char *FindSpoolerProgram(const char *name) {
    for (const char *dir : SPOOLER_DIRS) {
        char *path = SaveStr("%s/%s", dir, name);
        struct stat st;
        if (lstat(path, &st) == 0 && TrustedCommand(dir, name)) {
            return path;
        }
        PutMem(path);
    }
    return nullptr;
}

// True when an lpd of SPOOLER_DIRS names LPRng in its version answer
// (standard output or standard error). The probe is logged as it runs.
bool SniffLprng() {
    char *lpd = FindSpoolerProgram("lpd");
    if (lpd == nullptr) {
        return false;
    }
    char *line = SaveStr("%s -V 2>&1", lpd);
    LogCmdLine(line);
    ResponseLine *lines = GetCmdResponse(CMD_NONE, "LPRng", "%s", line);
    PutMem(line);
    PutMem(lpd);
    bool found = false;
    for (ResponseLine *line = lines; line != nullptr; line = line->pNextLine) {
        if (StrStr(line->pText, "LPRng") != nullptr) {
            found = true;
        }
    }
    FreeResponseList(lines);
    return found;
}

// True when a cupsd of SPOOLER_DIRS passes TrustedCommand; runs nothing.
bool SniffCUPS() {
    char *cupsd = FindSpoolerProgram("cupsd");
    PutMem(cupsd);
    return cupsd != nullptr;
}

namespace {

// What the lpr program's own bytes name: LPRng's lpr carries its version
// text "LPRng", the CUPS lpr names the CUPS library it is linked with.
constexpr char LPRNG_MARK[] = "LPRng";
constexpr char CUPS_MARK[] = "libcups";
// The longest mark, less one: what a read keeps of the bytes before it, so
// that a mark cut by the end of a read is still found.
constexpr size_t MARK_KEEP = sizeof CUPS_MARK - 2;
static_assert(sizeof LPRNG_MARK - 2 <= MARK_KEEP, "the kept bytes hold every mark but one byte");
constexpr size_t SCAN_CHUNK = 65536;
// An lpr longer than this is not a print client: nothing of it is judged.
constexpr size_t SCAN_LIMIT = 64 * 1024 * 1024;

// Whether the regular file at path holds each mark: *lprng, *cups. False
// when it cannot be read as a regular file of at most SCAN_LIMIT bytes, or
// when someone other than root (and this user) could change it or a
// directory on the way to it: such a file decides nothing.
bool ScanMarks(const char *path, bool *lprng, bool *cups) {
    *lprng = false;
    *cups = false;
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat st;
    DirChain chain;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > SCAN_LIMIT ||
        !OwnedAndClosed(st.st_uid, st.st_gid, st.st_mode) || !CheckDirChain(StripFn(path), &chain)) {
        close(fd);
        return false;
    }
    char *buf = static_cast<char *>(GetMem(static_cast<int32_t>(SCAN_CHUNK + MARK_KEEP)));
    size_t kept = 0;
    size_t total = 0;
    bool readable = buf != nullptr;
    while (readable) {
        ssize_t got = read(fd, buf + kept, SCAN_CHUNK);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            readable = got == 0;
            break;
        }
        size_t have = kept + static_cast<size_t>(got);
        total += static_cast<size_t>(got);
        *lprng = *lprng || memmem(buf, have, LPRNG_MARK, sizeof LPRNG_MARK - 1) != nullptr;
        *cups = *cups || memmem(buf, have, CUPS_MARK, sizeof CUPS_MARK - 1) != nullptr;
        kept = have < MARK_KEEP ? have : MARK_KEEP;
        memmove(buf, buf + have - kept, kept);
        if (total > SCAN_LIMIT) {
            readable = false;
        }
    }
    PutMem(buf);
    close(fd);
    return readable;
}

// What the lpr the system runs names: the first lpr in SPOOLER_DIRS (any
// entry there, its links resolved). " LPRng " or " CUPS ", or null when
// there is none, or it is unreadable, someone else may change it, or it
// names neither or both. Logs what it found.
const char *SpoolerOfLpr() {
    char *path = nullptr;
    for (const char *dir : SPOOLER_DIRS) {
        char *candidate = SaveStr("%s/lpr", dir);
        struct stat st;
        if (path == nullptr && lstat(candidate, &st) == 0) {
            path = candidate;
        } else {
            PutMem(candidate);
        }
    }
    if (path == nullptr) {
        PutLogMsg("spooler: no lpr found\n");
        return nullptr;
    }
    char resolved[PATH_MAX];
    bool lprng = false;
    bool cups = false;
    bool read = realpath(path, resolved) != nullptr && ScanMarks(resolved, &lprng, &cups);
    const char *spooler = nullptr;
    if (read && lprng != cups) {
        spooler = lprng ? " LPRng " : " CUPS ";
    }
    PutLogMsg("spooler: lpr %s is %s, %s\n", path, read ? resolved : "unreadable",
              spooler == nullptr ? "of neither spooler" : lprng ? "LPRng's" : "CUPS's");
    PutMem(path);
    return spooler;
}

} // namespace

// The spooler that runs the queues, as .tv_cfg names it: " BSD " when
// neither LPRng's lpd nor cupsd is found in SPOOLER_DIRS; with one of them,
// that one unless the system's lpr (SpoolerOfLpr) names the other; with
// both, the one the lpr names. When that cannot decide, " CUPS " with a
// WARNING naming cfgPath (the flags file) in the log, and a failed step.
// The probes and the decision are logged.
const char *DetectSpooler(const char *cfgPath) {
    bool lprng = SniffLprng();
    bool cups = SniffCUPS();
    PutLogMsg("spooler: LPRng's lpd %s, cupsd %s\n", lprng ? "found" : "not found",
              cups ? "found" : "not found");
    if (!lprng && !cups) {
        return " BSD ";
    }
    const char *daemon = lprng ? " LPRng " : " CUPS ";
    const char *spooler = SpoolerOfLpr();
    if (lprng != cups && (spooler == nullptr || strcmp(spooler, daemon) == 0)) {
        return daemon;
    }
    if (lprng && cups && spooler != nullptr) {
        return spooler;
    }
    char text[LINEBUF_SIZE];
    snprintf(text, sizeof text, nlsSetupStrCvt(MSG_SPOOLER_UNDECIDED), cfgPath);
    PutLogMsg("WARNING: %s\n", text);
    CountFailure("%s", text);
    return " CUPS ";
}

// Writes dir/.tv_cfg with the detected spooler (DetectSpooler), no line end,
// permissions 0644: a new file renamed over the old one, so that a job
// never reads it half-written; logged as written.
void createPrintingSubsystemFile(const char *dir) {
    char *path = SaveStr("%s/.tv_cfg", dir);
    const char *flags = DetectSpooler(path);
    PutLogMsg("spooler:%s\n", flags);
    char *newPath = nullptr;
    FILE *out = StartReplacement(path, &newPath);
    if (out != nullptr) {
        fputs(flags, out);
    }
    if (out == nullptr || !FinishReplacement(out, newPath, path, 0644)) {
        if (out == nullptr) {
            PutMem(newPath);
        }
        PutLogMsg("WARNING: couldn't write %s\n", path);
        CountFailure("couldn't write %s", path);
    } else {
        LogWrittenFile(path);
    }
    PutMem(path);
}
