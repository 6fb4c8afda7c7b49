// The record of the installed release in /var/lib/varen-tvxx/installed and
// the refusal of a medium that would replace it with an older one.
#pragma once

// The directory of the installation's records, root's, and the record.
constexpr char RECORD_DIR[] = "/var/lib/varen-tvxx";
constexpr char RECORD_NAME[] = "installed";

// Reads the medium's release (the proven copy of its release file) and the
// recorded one. A medium whose release sorts before the recorded one (or
// that has none while one is recorded) is refused with message 88 and
// status 1 on a host that trusts keys unless downgrades are allowed; on any
// other host it is installed with the warning of message 89. The record's
// directory is checked by the directory chain rule before it is read (status
// 1 when someone else could change it).
void CheckDowngrade(bool trustsKeys, bool allowed);

// Records the medium's release and the SHA-256 digest of its checksum file
// (that of work/sums; "-" when the medium has none) in the record, root's,
// mode 0644, replaced whole by a rename, in RECORD_DIR, made root's with
// mode 0755 when missing and checked by the directory chain rule. A record
// that cannot be written is a failed step of the run.
void WriteRecord(const char *work, const char *sums);
