// Checks before installing: free space, and the suite's running programs.
#pragma once

// Returns only when there is room; otherwise prints the message and exits 0.
void FreeSpaceForInstall(const char *workArea, const char *installBase, const char *vendorDir);
// 0 when none of the listed programs runs (now or after waiting), 1 when the
// user chose to quit.
int QuitForRunningProcesses(const char *list);
