// The install sequence: root check and continue question, unpack, lay out
// directories, flags file, scripts, package list, set-user-id modes.
#pragma once

// What Install reports: it ran to its end, the package list stopped as the
// user answered (part of the suite is installed), or the user is not root
// (nothing was done).
constexpr int INSTALL_DONE = 0;
constexpr int INSTALL_STOPPED = 1;
constexpr int INSTALL_NOT_ROOT = 2;

// True when the installation may go on. False, after message 35, when the
// user is not root. Asks the continue question when an earlier daemon is in
// APP; "n"/"no" end the run with status 4, the end of input with status 1.
// An answer from the command line (chContinueAnswer) is taken instead of
// asking: standard input is not read.
bool readyForInstallation();
// Runs the install sequence; one of the INSTALL_ values above.
int Install();
void createInstallationDirectories(const char *base);
