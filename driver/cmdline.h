// The installer's command line: [WORKDIR] [install BASE] [--medium DIR]
// [--allow-downgrade] [-v], the answers --yes, --no, --running=wait and
// --running=quit, and the conventional --help, -h and --version.
#pragma once

#include "support/files.h" // IsShellSafePath, the rule for paths in command lines

// Settles every word before anything is made, locked or logged: --help or -h
// (before any "-v") prints the usage on standard output and ends the run with
// status 0; any other word beginning with "-" but "-v", "--version" and the
// answers, and a base that begins with "-", is refused with message 23 and
// the usage on standard error, status 2; so is "install" as the last word,
// --list, --verify or --remove with another of them or with a word of an
// installation (a work-area directory, install, --medium, --allow-downgrade),
// and --purge without --remove (message 92)
// (message 43) and an answer that contradicts an earlier one (--yes and --no,
// --running=wait and --running=quit: message 42). An empty word or a path the
// shell would interpret is refused with message 1, status 2. When "-v" (or
// "--version") comes before any work-area directory, the version is printed
// and the run ends with status 0. Then each work-area directory and base
// before it is checked from / down (RefuseChain: status 1 when someone else
// could change a directory on the way, status 2 when it or an ancestor
// exists but is no directory). Words after "-v" are never looked at. Whatever
// ends the run here ends it with status 1 instead when its text cannot be
// written, after a line about it on the other standard stream.
void settleCommandLine(int argc, char **argv);

// Reads the arguments from argv[1] on, left to right: sets pVarenInstallDir
// (creating a missing work-area directory), pCmdLineInstallDir and
// flCreatedTmpDir, each from the path with its links resolved, and the
// answers chContinueAnswer and chRunningAnswer. Ends the process with status
// 0 after printing the version for "-v", and with status 2 for a work-area
// directory that cannot be made; refuses what settleCommandLine refuses.
void parseCommandLineOptions(int argc, char **argv);

// Whether the command line gave --medium DIR: the install site is then DIR
// (pPathToSetup), and the installer is no file of the medium.
bool MediumGiven();
// Whether the command line gave --allow-downgrade.
bool DowngradeAllowed();

// What the command line asks for, as settleCommandLine found it.
constexpr int ACTION_INSTALL = 0;
constexpr int ACTION_LIST = 1;   // --list: print the recorded entries
constexpr int ACTION_VERIFY = 2; // --verify: compare the host with the record
constexpr int ACTION_REMOVE = 3; // --remove [--purge]: take the suite off the host
int RecordAction();
// Whether --purge came with --remove.
bool PurgeGiven();

// Shows message 1 (a path the shell would interpret) for path on standard
// output and ends the run with status 2.
[[noreturn]] void RefusePath(const char *path);
