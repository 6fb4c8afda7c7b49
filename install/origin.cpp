// The medium's origin: the site's trusted keys in /etc/Varen/trusted.gpg.d,
// checked so that only root can have put them there, each key file judged
// alone and copied into the work area as a keyring of its own, and the check
// of the checksum file's signature with gpgv, whose status lines decide by
// one rule: a good SHA-2 signature from a valid trusted key proves the
// medium, a bad signature refuses it.
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
#include "syscmd/log.h"
#include "syscmd/run.h"

namespace {

constexpr mode_t OTHERS_WRITE = S_IWGRP | S_IWOTH;
// Each usable key file is copied into the work area as its own keyring
// KEYRING_PREFIX N .gpg, and gpgv's status lines for it go to STATUS_PREFIX N.
constexpr char KEYRING_PREFIX[] = "trusted-";
constexpr char STATUS_PREFIX[] = "gpgv.status-";
constexpr char KEY_SUFFIX[] = ".gpg";
constexpr size_t KEY_SUFFIX_LEN = sizeof(KEY_SUFFIX) - 1;
// The OpenPGP packet tag of a public key, with which an exported key begins.
constexpr int TAG_PUBLIC_KEY = 6;

// The key files copied into the work area by GatherTrustedKeys.
int usableKeys = 0;

// True for a trusted key file: a name NAME.gpg that may reach a command
// line, root's regular file (not a link) that no one else may write.
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
    return good;
}

// The length of the OpenPGP packet whose header begins at p (size bytes
// left), header included, or 0 when the header is damaged, is cut short or
// announces more than is left. *tag receives the packet's tag. Partial and
// indeterminate lengths never occur in an exported key: damaged too.
size_t PacketLength(const unsigned char *p, size_t size, int *tag) {
    if (size < 2 || (p[0] & 0x80) == 0) {
        return 0;
    }
    size_t head = 0;
    size_t body = 0;
    if ((p[0] & 0x40) == 0) { // old format: tag in bits 5-2, length type in bits 1-0
        *tag = (p[0] >> 2) & 0x0f;
        int type = p[0] & 0x03;
        size_t octets = type == 0 ? 1 : type == 1 ? 2 : type == 2 ? 4 : 0;
        if (octets == 0 || size < 1 + octets) {
            return 0;
        }
        head = 1 + octets;
        for (size_t i = 1; i < head; ++i) {
            body = (body << 8) | p[i];
        }
    } else { // new format: tag in bits 5-0, then a one-, two- or five-octet length
        *tag = p[0] & 0x3f;
        if (p[1] < 192) {
            head = 2;
            body = p[1];
        } else if (p[1] < 224) {
            head = 3;
            body = size < 3 ? 0 : ((static_cast<size_t>(p[1]) - 192) << 8) + p[2] + 192;
        } else if (p[1] == 255) {
            head = 6;
            for (size_t i = 2; i < head && i < size; ++i) {
                body = (body << 8) | p[i];
            }
        } else {
            return 0;
        }
    }
    return head <= size && body <= size - head ? head + body : 0;
}

// True when text (size bytes) is a whole sequence of OpenPGP packets that
// begins with a public key: what gpg --export writes. A cut or damaged file
// is no key gpgv could read.
bool ReadableKey(const unsigned char *text, size_t size) {
    int tag = 0;
    for (size_t at = 0; at < size;) {
        size_t len = PacketLength(text + at, size - at, &tag);
        if (len == 0 || (at == 0 && tag != TAG_PUBLIC_KEY)) {
            return false;
        }
        at += len;
    }
    return size > 0;
}

// What gpgv's status lines say of one signature; a signature's lines begin
// with NEWSIG.
struct SigState {
    bool good;     // GOODSIG: a good signature by a valid key
    bool valid;    // VALIDSIG with a digest of the SHA-2 family
    unsigned seen; // the reasons (REASON_ bits) it gives against a proof
};

// Reasons against a proof, in the order in which a refusal names the first.
constexpr unsigned REASON_BAD = 1u << 0;
constexpr unsigned REASON_REVOKED = 1u << 1;
constexpr unsigned REASON_EXPIRED_KEY = 1u << 2;
constexpr unsigned REASON_EXPIRED_SIG = 1u << 3;
constexpr unsigned REASON_WEAK = 1u << 4;
constexpr unsigned REASON_UNKNOWN = 1u << 5;
// The status tags that give each reason, in bit order, and the message of each.
struct ReasonTag {
    unsigned reason;
    const char *tag;
    int message;
    const char *logName;
};
constexpr ReasonTag REASON_TAGS[] = {
    {REASON_BAD, "BADSIG", MSG_BAD_SIGNATURE, "bad signature"},
    {REASON_REVOKED, "REVKEYSIG", MSG_REVOKED_KEY, "revoked key"},
    {REASON_EXPIRED_KEY, "EXPKEYSIG", MSG_EXPIRED_KEY, "expired key"},
    {REASON_EXPIRED_SIG, "EXPSIG", MSG_EXPIRED_SIG, "expired signature"},
    {REASON_WEAK, "", MSG_WEAK_DIGEST, "weak digest"},
    {REASON_UNKNOWN, "ERRSIG", MSG_UNKNOWN_KEY, "unknown key"},
};
static_assert(sizeof(REASON_TAGS) / sizeof(REASON_TAGS[0]) == 6, "six reasons, in order");

// Whether the VALIDSIG line's fields (after the tag) name a digest of the
// SHA-2 family gpg accepts as strong: 8, 9 or 10 (SHA-256, SHA-384,
// SHA-512). The digest is the eighth field.
bool StrongDigest(const char *fields, size_t len) {
    const char *p = fields;
    const char *end = fields + len;
    for (int field = 1; field < 8 && p < end; ++field) {
        const char *blank = static_cast<const char *>(memchr(p, ' ', static_cast<size_t>(end - p)));
        p = blank != nullptr ? blank + 1 : end;
    }
    const char *blank = static_cast<const char *>(memchr(p, ' ', static_cast<size_t>(end - p)));
    size_t n = static_cast<size_t>((blank != nullptr ? blank : end) - p);
    return (n == 1 && (*p == '8' || *p == '9')) || (n == 2 && p[0] == '1' && p[1] == '0');
}

// Reads gpgv's status lines (text, size bytes): returns whether one
// signature proves the medium, and adds the reasons every other signature
// gives against a proof to *reasons.
bool ReadStatus(const char *text, size_t size, unsigned *reasons) {
    constexpr char PREFIX[] = "[GNUPG:] ";
    constexpr size_t PREFIX_LEN = sizeof(PREFIX) - 1;
    bool proven = false;
    SigState sig{false, false, 0};
    const char *end = text + size;
    for (const char *line = text; line <= end;) {
        const char *nl = static_cast<const char *>(memchr(line, '\n', static_cast<size_t>(end - line)));
        size_t len = nl != nullptr ? static_cast<size_t>(nl - line) : static_cast<size_t>(end - line);
        bool last = nl == nullptr;
        // The tag: the word after the prefix; none on a line without it.
        size_t rest = len >= PREFIX_LEN && strncmp(line, PREFIX, PREFIX_LEN) == 0 ? len - PREFIX_LEN : 0;
        const char *tag = rest > 0 ? line + PREFIX_LEN : line;
        const char *blank = static_cast<const char *>(memchr(tag, ' ', rest));
        size_t tagLen = blank != nullptr ? static_cast<size_t>(blank - tag) : rest;
        auto is = [&](const char *name) { return tagLen == strlen(name) && strncmp(tag, name, tagLen) == 0; };
        if (is("NEWSIG") || last) {
            // The signature before is complete.
            proven = proven || (sig.good && sig.valid && sig.seen == 0);
            *reasons |= sig.good && sig.valid && sig.seen == 0 ? 0 : sig.seen;
            sig = SigState{false, false, 0};
        }
        if (is("GOODSIG")) {
            sig.good = true;
        } else if (is("VALIDSIG")) {
            sig.valid = blank != nullptr && StrongDigest(blank + 1, rest - tagLen - 1);
            sig.seen |= sig.valid ? 0 : REASON_WEAK;
        } else if (is("NO_PUBKEY")) {
            sig.seen |= REASON_UNKNOWN;
        }
        for (const ReasonTag &r : REASON_TAGS) {
            sig.seen |= r.tag[0] != '\0' && is(r.tag) ? r.reason : 0;
        }
        if (last) {
            break;
        }
        line = nl + 1;
    }
    return proven;
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
    int count = 0;
    usableKeys = 0;
    for (const char *name = ReadDir(dir); name != nullptr; name = ReadDir(dir)) {
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) {
            continue;
        }
        char *path = SaveStr("%s/%s", TRUSTED_KEYS_DIR, name);
        if (!GoodKeyFile(TRUSTED_KEYS_DIR, name)) {
            closedir(dir);
            ErrorMsg(2, 1, nlsSetupStrCvt(MSG_BAD_KEY_FILE), path);
            exit(1); // not reached
        }
        ++count;
        // Each key file is judged alone: one that cannot be read as a key
        // is skipped (trust can only shrink) and the others still count.
        size_t size = 0;
        char *content = ReadWholeData(TRUSTED_KEYS_DIR, name, &size);
        bool readable = content != nullptr && ReadableKey(reinterpret_cast<unsigned char *>(content), size);
        PutMem(content);
        if (!readable) {
            EndDotLine();
            ErrorMsg(1, 0, nlsSetupStrCvt(MSG_UNREADABLE_KEY), path);
            PutLogMsg("WARNING: %s\n", Line);
        } else {
            ++usableKeys;
            char *keyring = SaveStr("%s/%s%d%s", work, KEYRING_PREFIX, usableKeys, KEY_SUFFIX);
            SysCmdAppend(CMD_CAT, MODE_FATAL, keyring, "%s", path);
            PutMem(keyring);
        }
        PutMem(path);
    }
    closedir(dir);
    return count;
}

void CheckSignature(const char *work, const char *sums, const char *sig) {
    if (!TestCmd(CMD_GPGV)) {
        ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NO_GPGV), TRUSTED_KEYS_DIR);
    }
    // The messages name the medium's files, which the user knows.
    char *sigPath = SaveStr("%s/%s", JoinDir(pPathToSetup), sig);
    bool proven = false;
    // With no key file that could be read, every signature is by an unknown key.
    unsigned reasons = usableKeys == 0 ? REASON_UNKNOWN : 0;
    // gpgv runs once for each key file, so that no key file can keep gpgv
    // from reading another. Its status lines are its standard output; its
    // report goes to the log. Its exit status is not looked at: a medium
    // signed by a trusted and an unknown key makes it report a failure.
    for (int i = 1; i <= usableKeys; ++i) {
        char *statusName = SaveStr("%s%d", STATUS_PREFIX, i);
        char *statusPath = SaveStr("%s/%s", work, statusName);
        SysCmdAppend(CMD_GPGV, MODE_LOG, statusPath, "--status-fd 1 --keyring %s/%s%d%s %s/%s %s/%s", work,
                     KEYRING_PREFIX, i, KEY_SUFFIX, work, sig, work, sums);
        size_t size = 0;
        char *status = ReadWholeData(work, statusName, &size);
        if (status != nullptr && strlen(status) != size) {
            ErrorMsg(2, 1, nlsSetupStrCvt(MSG_NUL_BYTE), sigPath);
        }
        proven = (status != nullptr && ReadStatus(status, size, &reasons)) || proven;
        PutMem(status);
        PutMem(statusPath);
        PutMem(statusName);
    }
    // Any bad signature refuses the medium, whatever else proves it.
    if ((reasons & REASON_BAD) == 0 && proven) {
        for (const ReasonTag &r : REASON_TAGS) {
            if ((reasons & r.reason) != 0) {
                PutLogMsg("a further signature is ignored: %s\n", r.logName);
            }
        }
        PutMem(sigPath);
        return;
    }
    for (const ReasonTag &r : REASON_TAGS) {
        if ((reasons & r.reason) == 0) {
            continue;
        }
        if (r.reason == REASON_UNKNOWN) {
            char *sumsPath = SaveStr("%s/%s", JoinDir(pPathToSetup), sums);
            ErrorMsg(2, 1, nlsSetupStrCvt(MSG_UNKNOWN_KEY), sumsPath, TRUSTED_KEYS_DIR);
        }
        ErrorMsg(2, 1, nlsSetupStrCvt(r.message), sigPath);
    }
    // No signature gpgv could read at all.
    ErrorMsg(2, 1, nlsSetupStrCvt(MSG_BAD_SIGNATURE), sigPath);
    exit(1); // not reached: ErrorMsg of type 2 ends the run
}
