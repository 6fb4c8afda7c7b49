// The installed release's record: read before anything changes, so that an
// older medium does not silently replace a newer installation, and written
// after the installation, replaced whole by a rename.
#include "driver/record.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "install/mediumfile.h"
#include "install/owndirs.h"
#include "install/nls.h"
#include "install/site.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/globals.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "support/version.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"
#include "syscmd/run.h"

namespace {

// The record's line that gives the release, and the one for the digest.
constexpr char RELEASE_KEY[] = "release ";
constexpr char SUMS_KEY[] = "sums ";
constexpr size_t DIGEST_LEN = 64;

// The medium's release read in CheckDowngrade, null when it has none.
char *mediumRelease = nullptr;

// The first line of dir/name, saved, when it is a release number; else null.
// Read as a file of the medium: only a regular file of dir is read.
char *ReadRelease(const char *dir, const char *name) {
    char *text = ReadMediumFile(dir, name);
    if (text == nullptr) {
        return nullptr;
    }
    text[strcspn(text, "\n")] = '\0';
    char *release = IsReleaseNumber(text) ? SaveStr("%s", text) : nullptr;
    PutMem(text);
    return release;
}

// The release the record gives, saved, or null when there is none. The
// record's directory is checked first: a record that someone else could
// have changed or removed ends the run.
char *RecordedRelease() {
    DirChain chain;
    if (!CheckDirChain(RECORD_DIR, &chain)) {
        RefuseChain(chain);
    }
    char *text = chain.exists ? ReadWholeFile(RECORD_DIR, RECORD_NAME) : nullptr;
    char *release = nullptr;
    for (char *line = text; line != nullptr && *line != '\0' && release == nullptr;) {
        size_t len = strcspn(line, "\n");
        if (strncmp(line, RELEASE_KEY, strlen(RELEASE_KEY)) == 0) {
            char *value = SaveStr("%.*s", static_cast<int>(len - strlen(RELEASE_KEY)), line + strlen(RELEASE_KEY));
            release = IsReleaseNumber(value) ? value : nullptr;
            if (release == nullptr) {
                PutMem(value);
            }
        }
        line = line[len] != '\0' ? line + len + 1 : line + len;
    }
    PutMem(text);
    return release;
}

// The SHA-256 digest of work/sums as sha256sum prints it, saved; "-" when
// it cannot be had.
char *SumsDigest(const char *work, const char *sums) {
    if (sums == nullptr || !TestCmd(CMD_SHA256SUM)) {
        return SaveStr("%s", "-");
    }
    ResponseLine *out = GetCmdResponse(CMD_NONE, nullptr, "%s/sha256sum < %s/%s", ComList[CMD_SHA256SUM].pPath,
                                       work, sums);
    char *digest = SaveStr("%.*s", static_cast<int>(DIGEST_LEN), out != nullptr ? out->pText : "");
    FreeResponseList(out);
    if (strlen(digest) != DIGEST_LEN || strspn(digest, "0123456789abcdef") != DIGEST_LEN) {
        PutMem(digest);
        digest = SaveStr("%s", "-");
    }
    return digest;
}

// Makes dir when missing, root's with mode 0755; true when it is then a
// directory whose chain from / nobody but root can change.
bool MakeRootDir(const char *dir) {
    if (mkdir(dir, 0755) == 0) {
        if (chown(dir, 0, 0) != 0 || chmod(dir, 0755) != 0) {
            return false;
        }
    }
    DirChain chain;
    return CheckDirChain(dir, &chain) && chain.exists;
}

// Writes text to dir/name through dir/name.new (root's, mode 0644, made
// anew) and a rename; false when any step fails.
bool ReplaceFile(const char *dir, const char *name, const char *text) {
    char *temp = SaveStr("%s/%s.new", dir, name);
    char *path = SaveStr("%s/%s", dir, name);
    unlink(temp);
    int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    size_t len = strlen(text);
    bool ok = fd >= 0 && fchown(fd, 0, 0) == 0 && fchmod(fd, 0644) == 0 &&
              write(fd, text, len) == static_cast<ssize_t>(len) && fsync(fd) == 0;
    ok = fd >= 0 && close(fd) == 0 && ok && rename(temp, path) == 0;
    if (!ok) {
        unlink(temp);
    }
    PutMem(temp);
    PutMem(path);
    return ok;
}

} // namespace

void CheckDowngrade(bool trustsKeys, bool allowed) {
    const char *name = ReleaseFileName();
    const char *dir = ProvenDir(name);
    // On a host that trusts keys only the checked copy counts: a release
    // file the checksum file does not name (one that appeared on the medium
    // after the proof) is not the medium's.
    mediumRelease = trustsKeys && dir == pPathToSetup ? nullptr : ReadRelease(dir, name);
    char *recorded = RecordedRelease();
    if (recorded == nullptr) {
        return;
    }
    const char *medium = mediumRelease != nullptr ? mediumRelease : "none";
    bool older = mediumRelease == nullptr || CompareReleases(mediumRelease, recorded) < 0;
    // Elsewhere a medium without a release cannot be judged and installs.
    if (!older || (!trustsKeys && mediumRelease == nullptr)) {
        PutMem(recorded);
        return;
    }
    if (trustsKeys && !allowed) {
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_DOWNGRADE), medium, recorded);
    }
    EndDotLine();
    ErrorMsg(1, 0, nlsSetupStrCvt(MSG_DOWNGRADE_WARN), medium, recorded);
    PutLogMsg("WARNING: %s\n", Line);
    PutMem(recorded);
}

void WriteRecord(const char *work, const char *sums) {
    char *path = SaveStr("%s/%s", RECORD_DIR, RECORD_NAME);
    char *digest = SumsDigest(work, sums);
    char *text = SaveStr("%s%s%s%s%s\n", mediumRelease != nullptr ? RELEASE_KEY : "",
                         mediumRelease != nullptr ? mediumRelease : "", mediumRelease != nullptr ? "\n" : "",
                         SUMS_KEY, digest);
    // /var/lib is the system's; only the last directory is made here.
    if (!MakeRootDir(RECORD_DIR) || !ReplaceFile(RECORD_DIR, RECORD_NAME, text)) {
        PutLogMsg("WARNING: couldn't write %s\n", path);
        CountFailure("couldn't write %s", path);
    } else {
        PutLogMsg("write %s 0644 root:root\n", path);
    }
    PutMem(text);
    PutMem(digest);
    PutMem(path);
}
