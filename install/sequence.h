// The install sequence: root check and continue question, unpack, lay out
// directories, flags file, scripts, package list, set-user-id modes.
#pragma once

// True when the installation may go on. False, after message 35, when the
// user is not root. Asks the continue question when an earlier daemon is in
// APP; "n"/"no" end the run with status 0, the end of input with status 1.
bool readyForInstallation();
int Install();
void createInstallationDirectories(const char *base);
