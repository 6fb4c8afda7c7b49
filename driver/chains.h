// The directories a run works in: nobody but root and the running user may
// be able to change any directory on the way to them.
#pragma once

#include <sys/types.h>

#include "support/files.h"

// An entry's owner, group and mode as the installer's messages show them:
// names from the user and group files (numbers when they name none), the mode
// as ls -l shows it (drwxrwsr-x, lrwxrwxrwx).
struct EntryText {
    char user[64];
    char group[64];
    char mode[11];
};
void DescribeEntry(uid_t owner, gid_t group, mode_t mode, EntryText *text);

// Ends the run for a chain that CheckDirChain refused. Someone else could
// change an entry on the way: message 13 (the entry, its owner and mode) on
// standard error, status 1. Otherwise the path names no usable directory (a
// word of the command line): message 15 for an entry that is no directory,
// message 3 for one that cannot be examined, status 2. Nothing is changed.
[[noreturn]] void RefuseChain(const DirChain &chain);

// Checks, before anything is changed, the chain of every directory the run is
// about to work in that it has not just made and the command line did not
// name (those are settled with it): the work-area directory (the one holding
// pVarenInstallDir, /tmp by default), the earlier installation found at
// /usr/Varen/tvxx down to its application directory, and /usr/Varen. Returns
// when all pass; otherwise ends the run through RefuseChain (an earlier
// installation or /usr/Varen only for an entry someone else could change).
void CheckRunDirectories();
