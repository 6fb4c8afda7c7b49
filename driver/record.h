// The record of the installation in /var/lib/varen-tvxx/installed: the
// refusal of a medium that would replace a release with an older one, the
// record of every entry written at the end of a run, and read back trusted.
#pragma once

#include "support/record_entry.h"

// Exit status of --list, --verify and --remove when nothing is recorded.
constexpr int STATUS_NOT_RECORDED = 5;

// What ReadRecordFile found.
enum RecordFound : int {
    RECORD_READ = 0,       // read and parsed
    RECORD_MISSING = 1,    // there is no record
    RECORD_UNSAFE_DIR = 2, // someone else may change a directory on the way
    RECORD_NOT_FILE = 3,   // no regular file of root's closed to others, or unreadable
    RECORD_BAD_LINE = 4,   // a line that is no record line (*badLine)
};

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

// Reads the record into record (emptied first) when the record's directory
// passes the directory chain rule and the record is a regular file of
// root's that nobody else may change (mode bits, access ACL); returns a
// RecordFound. Nothing is changed.
int ReadRecordFile(Record *record, int *badLine);
// The record for --list, --verify and --remove, read as ReadRecordFile says,
// or the end of the run: message 90 on standard error and status 5 when no
// entry is recorded; message 91 (the entry at fault, owner, group, mode) or
// message 93 (an unparsable line) and status 1 when it cannot be trusted.
void ReadTrustedRecord(Record *record);

// Before the clean-up of a run that installed: keeps the SHA-256 digest of
// the medium's checksum file (that of work/sums; "-" when the medium has
// none), the earlier record when it can be trusted, and the entries of the
// installation as they stand before the suite's tool runs over it.
void PrepareRecord(const char *work, const char *sums);
// After the suite's tool ran: writes the record of what PrepareRecord began,
// root's, mode 0644, replaced whole by a rename, in RECORD_DIR (made root's
// with mode 0755 when missing, checked by the directory chain rule): the
// release and sums lines, "state complete" or "state incomplete" (complete
// false, or the bounds of the walk cut it short), "app APP", and an entry
// for the application directory's whole tree and for every entry the run
// noted outside it (whole trees where noted so) and every entry of the
// earlier record outside its application directory that is still there.
// An entry is made when noted so or made in the earlier record, else
// changed; runtime when noted so, when it lies in a directory others may
// write, or when the tool made or changed it; config when the run edited it.
// A record that cannot be written is a failed step of the run.
void WriteRecord(bool complete);
