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

// Gathers the trusted keys into the keyring WORK/trusted.gpg (each appended
// by a logged cat) and returns how many there are; 0 when TRUSTED_KEYS_DIR
// does not exist or is empty. Ends the run with status 1 when the directory
// is not safe (message 39) or holds anything but root's regular binary
// *.gpg files that no one else may write (message 40).
int GatherTrustedKeys(const char *work);

// Checks WORK/sig, the signature of WORK/sums, with gpgv (a logged command)
// against the keyring GatherTrustedKeys made. Returns when it is a good
// signature by one of the keys; otherwise ends the run with status 1: a bad
// or damaged signature (message 37), or one by a key that is not trusted
// (38). The messages name the medium's files.
void CheckSignature(const char *work, const char *sums, const char *sig);
