// Install site: proving the medium, copying it into the work area and
// running the install sequence.
#pragma once

#include "install/medium.h"

// Recreates the work area and proves the medium before anything changes on
// the host: reads SITE's list; when the site trusts keys, copies the
// checksum file and its signature into the work area and checks the
// signature there (a medium without them is refused), else logs once that
// the origin is not checked. When the medium has a checksum file, it is read
// whole (a NUL byte or a malformed line refuses the medium); every listed
// file besides the list file must have a line, on a host that trusts keys
// also the list file, isize, tsize, the release file when there is one and
// self, the installer's name when it runs from the medium (null otherwise).
// Every named file must be on the medium; those the list does not name are
// copied into the work area at once and checked there. Files the checksum
// file does not name are never read. Ends the run with status 1 on any
// refusal, naming the cause.
void proveMedium(const char *work, const char *self);
// Copies every file that the list named into the work area, checks the
// copies against the work area's verified checksum file when the medium
// has one, and runs the install sequence. Returns what Install reports
// (INSTALL_DONE, INSTALL_STOPPED or INSTALL_NOT_ROOT).
int installFromSite(const char *work);
// Ends the run with message 41 unless the checksum file sums has a line for
// every name of names (the list file only when listSelf). The checksum file
// and its signature sig cannot vouch for themselves.
void CheckCoverage(const char *sums, const char *sig, const WordList &names, bool listSelf);
// Where the run reads the medium's file name from: the work area for every
// file the verified checksum file names (the proof copied and checked there
// each one the run reads), else the medium's directory.
const char *ProvenDir(const char *name);
// The name of the medium's release file: "RELEASE" on an upper-case medium
// (its list is DISKS), else "release".
const char *ReleaseFileName();
// Whether the host trusts keys (its key directory holds a key file), as the
// proof found.
bool HostTrustsKeys();
// The name of the medium's checksum file the proof read, null when none.
const char *ProvenSumsName();
