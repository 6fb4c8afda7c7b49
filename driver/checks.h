// Checks before installing: free space, and the suite's running programs.
#pragma once

// Compares the room of the work area and of the installation (base
// installBase, maker's directory vendorDir) with the sizes in the install
// site's "isize" and "tsize". Returns only when there is room; otherwise
// prints the message and exits 0.
void FreeSpaceForInstall(const char *workArea, const char *installBase, const char *vendorDir);
// 0 when none of the listed programs runs (now or after waiting), 1 when the
// user chose to quit. When no reply can be read (end of input) it says so on
// standard error and ends the run with status 1.
int QuitForRunningProcesses(const char *list);
// Ends the run with status 1 when a question gets no answer (end of standard
// input): says so in one line (message 2) on standard error.
[[noreturn]] void EndForNoAnswer();
