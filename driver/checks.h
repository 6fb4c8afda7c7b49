// Checks before installing: free space.
#pragma once

// Compares the room of the work area and of the installation (base
// installBase, maker's directory vendorDir) with the sizes in the install
// site's "isize" and "tsize". Returns only when there is room; otherwise
// prints the message, says why on standard error and exits 1.
void FreeSpaceForInstall(const char *workArea, const char *installBase, const char *vendorDir);

// After the medium's proof: ends the run with message 12 (status 1) when a
// size file's proven copy in the work area gives another number than the
// medium's file that FreeSpaceForInstall read, which then no longer matches
// the checksum file.
void RecheckSizeFiles();
