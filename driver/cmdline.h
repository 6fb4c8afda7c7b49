// The installer's command line: [WORKDIR] [install BASE] [-v].
#pragma once

#include "support/files.h" // IsShellSafePath, the rule for paths in command lines

// Reads the arguments from argv[1] on, left to right: sets pVarenInstallDir
// (creating a missing work-area directory), pCmdLineInstallDir and
// flCreatedTmpDir. Ends the process with status 0 after printing the version
// for "-v", and with status 2 for a work-area directory that cannot be made
// or for a path holding characters the shell would interpret (checked for
// every path before any is used).
void parseCommandLineOptions(int argc, char **argv);

// Shows message 1 (a path the shell would interpret) for path on standard
// output and ends the run with status 2.
[[noreturn]] void RefusePath(const char *path);
