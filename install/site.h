// Install site: proving the medium, copying it into the work area and
// running the install sequence.
#pragma once

#include "install/medium.h"

// Recreates the work area and proves the medium before anything changes on
// the host: reads SITE's list; when the site trusts keys, copies the
// checksum file and its signature into the work area and checks the
// signature there (a medium without them is refused), else logs once that
// the origin is not checked; when the medium has a checksum file, every
// listed file besides the list file must have a line in it and be on the
// medium. Ends the run with status 1 on any refusal, naming the cause.
void proveMedium(const char *work);
// Copies every file that the list named into the work area, checks the
// copies against the work area's verified checksum file when the medium
// has one, and runs the install sequence. Returns what Install reports
// (INSTALL_DONE, INSTALL_STOPPED or INSTALL_NOT_ROOT).
int installFromSite(const char *work);
// Ends the run with message 41 unless the work area's copy of the checksum
// file sums has a line for every listed file besides the list file itself.
// The checksum file and its signature sig cannot vouch for themselves.
void CheckCoverage(const char *work, const char *sums, const char *sig, const WordList &names);
