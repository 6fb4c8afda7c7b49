// The medium's origin: the site's trusted keys in /etc/Varen/trusted.gpg.d,
// checked so that only root can have put them there, gathered into one
// keyring in the work area, and the check of the checksum file's signature
// with gpgv, whose status lines tell a bad signature from an unknown key.
#include "install/origin.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

#include "install/nls.h"
#include "install/owndirs.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/globals.h"
#include "support/mem.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"
#include "syscmd/run.h"

namespace {

constexpr mode_t OTHERS_WRITE = S_IWGRP | S_IWOTH;
// The keyring and gpgv's status lines, in the work area.
constexpr char KEYRING[] = "trusted.gpg";
constexpr char STATUS_FILE[] = "gpgv.status";
constexpr char KEY_SUFFIX[] = ".gpg";
constexpr size_t KEY_SUFFIX_LEN = sizeof(KEY_SUFFIX) - 1;
// gpgv's status lines that decide (its --status-fd output).
constexpr char STATUS_VALID[] = "[GNUPG:] VALIDSIG ";
constexpr char STATUS_BAD[] = "[GNUPG:] BADSIG ";
constexpr char STATUS_ERROR[] = "[GNUPG:] ERRSIG ";
constexpr char STATUS_NO_KEY[] = "[GNUPG:] NO_PUBKEY ";

// True for a trusted key file: a name NAME.gpg that may reach a command
// line, root's regular file (not a link) that no one else may write, in
// binary form (an OpenPGP packet begins with a byte whose top bit is set;
// an armored key begins with "-----BEGIN").
bool GoodKeyFile(const char *dir, const char *name) {
    size_t len = strlen(name);
    if (!IsPlainFileName(name) || len <= KEY_SUFFIX_LEN ||
        strcmp(name + len - KEY_SUFFIX_LEN, KEY_SUFFIX) != 0) {
        return false;
    }
    char *path = SaveStr("%s/%s", dir, name);
    struct stat st;
    bool good = lstat(path, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == 0 &&
                (st.st_mode & OTHERS_WRITE) == 0;
    PutMem(path);
    char *content = good ? ReadWholeFile(dir, name) : nullptr;
    good = content != nullptr && (static_cast<unsigned char>(content[0]) & 0x80) != 0;
    PutMem(content);
    return good;
}

// Whether gpgv's status lines hold a line that begins with tag.
bool HasStatus(const char *status, const char *tag) {
    for (const char *line = status; line != nullptr && *line != '\0';) {
        if (strncmp(line, tag, strlen(tag)) == 0) {
            return true;
        }
        line = strchr(line, '\n');
        line = line != nullptr ? line + 1 : nullptr;
    }
    return false;
}

} // namespace

bool TrustedKeysDirSafe(const char *dir) {
    if (dir == nullptr || dir[0] != '/') {
        return false;
    }
    // The same rule as for every directory the run works in; the directory
    // itself must exist as a directory.
    DirChain chain;
    return CheckDirChain(dir, &chain) && chain.exists;
}

int GatherTrustedKeys(const char *work) {
    struct stat st;
    if (lstat(TRUSTED_KEYS_DIR, &st) != 0 && errno == ENOENT) {
        return 0;
    }
    // The directory exists: it must be safe even when empty, or anybody who
    // could write it could have taken the keys away.
    DIR *dir = TrustedKeysDirSafe(TRUSTED_KEYS_DIR) ? opendir(TRUSTED_KEYS_DIR) : nullptr;
    if (dir == nullptr) {
        // An ACL entry or group root's members, which its mode does not
        // show, are named first.
        DirChain chain;
        if (!CheckDirChain(TRUSTED_KEYS_DIR, &chain) && chain.fault == CHAIN_UNSAFE &&
            chain.why != WHY_MODE) {
            ShowUnsafeEntry(chain);
        }
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_KEYS_DIR_UNSAFE), TRUSTED_KEYS_DIR);
        exit(1); // not reached: ErrorMsg of type 2 ends the run
    }
    char *keyring = SaveStr("%s/%s", work, KEYRING);
    int count = 0;
    for (const char *name = ReadDir(dir); name != nullptr; name = ReadDir(dir)) {
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) {
            continue;
        }
        if (!GoodKeyFile(TRUSTED_KEYS_DIR, name)) {
            char *path = SaveStr("%s/%s", TRUSTED_KEYS_DIR, name);
            closedir(dir);
            ErrorMsg(2, 1, nlsSetupStrCvt(MSG_BAD_KEY_FILE), path);
            exit(1); // not reached
        }
        SysCmdAppend(CMD_CAT, MODE_FATAL, keyring, "%s/%s", TRUSTED_KEYS_DIR, name);
        ++count;
    }
    closedir(dir);
    PutMem(keyring);
    return count;
}

void CheckSignature(const char *work, const char *sums, const char *sig) {
    // gpgv's status lines are its standard output; its report goes to the log.
    char *statusPath = SaveStr("%s/%s", work, STATUS_FILE);
    int result =
        SysCmdAppend(CMD_GPGV, MODE_WARN, statusPath, "--status-fd 1 --keyring %s/%s %s/%s %s/%s",
                     work, KEYRING, work, sig, work, sums);
    PutMem(statusPath);
    char *status = ReadWholeFile(work, STATUS_FILE);
    bool bad = HasStatus(status, STATUS_BAD);
    bool good =
        result == 0 && HasStatus(status, STATUS_VALID) && !bad && !HasStatus(status, STATUS_ERROR);
    bool unknownKey = !bad && HasStatus(status, STATUS_NO_KEY);
    PutMem(status);
    if (good) {
        return;
    }
    // The messages name the medium's files, which the user knows.
    char *sitePath = SaveStr("%s/%s", JoinDir(pPathToSetup), unknownKey ? sums : sig);
    if (unknownKey) {
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_UNKNOWN_KEY), sitePath, TRUSTED_KEYS_DIR);
    }
    ErrorMsg(2, 1, nlsSetupStrCvt(MSG_BAD_SIGNATURE), sitePath);
    exit(1); // not reached: ErrorMsg of type 2 ends the run
}
