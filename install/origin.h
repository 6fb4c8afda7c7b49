// The medium's origin: the site's trusted keys and the check, with gpgv, of
// the signature that the medium carries for its checksum file.
#pragma once

// The site's public keys: binary *.gpg files, as gpg --export writes them.
constexpr char TRUSTED_KEYS_DIR[] = "/etc/Varen/trusted.gpg.d";

// True when dir (absolute) exists as a directory and it and every directory
// and link on the way from / to it pass the rule of CheckDirChain (root's or
// the running user's, writable by no one else), so that nobody but root can
// put a key there or take one away.
bool TrustedKeysDirSafe(const char *dir);

// Judges each key file of TRUSTED_KEYS_DIR alone: one that is no whole
// OpenPGP key (cut short, damaged, armored) is skipped with a warning
// (message 86, logged); each other is copied into the work area as a keyring
// of its own (a logged cat). Returns how many key files there are, skipped
// ones included: a host with any key file trusts keys, so trust can only
// shrink. 0 when TRUSTED_KEYS_DIR does not exist or is empty. Ends the run
// with status 1 when the directory is not safe (message 39) or holds
// anything but root's regular files NAME.gpg, NAME of the characters allowed
// in command lines, that no one else may write (message 40).
int GatherTrustedKeys(const char *work);

// Checks WORK/sig, the signature of WORK/sums, with gpgv (a logged command
// for each keyring GatherTrustedKeys made). The medium is proven when some
// signature has GOODSIG and VALIDSIG with a SHA-2 digest (algorithm 8, 9 or
// 10) from a trusted key, neither revoked nor expired, and no signature is
// BADSIG; then the other signatures' faults are logged and ignored.
// Otherwise ends the run with status 1 naming the first fault in this order:
// a bad signature (message 37), a revoked key (82), an expired key (83), an
// expired signature (84), a weak digest (85), an unknown key (38); a status
// text with a NUL byte refuses too (81); no gpgv on the host is message 87.
void CheckSignature(const char *work, const char *sums, const char *sig);
