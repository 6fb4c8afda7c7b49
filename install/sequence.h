// The install sequence: unpack, lay out directories, flags file, scripts,
// package list, set-user-id modes.
#pragma once

int Install();
void createInstallationDirectories(const char *base);
