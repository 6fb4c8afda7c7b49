// The installation's place: where an earlier installation stands, the base a
// path names, and the move of an installation to another base. The run-wide
// globals these work on are declared in support/globals.h.
#pragma once

#include "support/globals.h"

// Base directory of the installation found at /usr/Varen/tvxx (saved
// string), or null when there is none.
char *locatePreviousInstallation();
// The base of the earlier installation that stands at /usr/Varen/tvxx (a
// saved string), or null when there is none. An installation is what holds
// the program tvqadmin (a regular file), or what a first installation that
// has not ended began. An empty directory there (or one holding only
// lost+found, or such a directory the link there leads to) is the place of a
// first installation: null, and *firstPlace gets its base. Any other
// directory, and a link whose target does not exist, end the run with
// status 1 before anything changed, naming it.
char *FindEarlierInstallation(char **firstPlace);
// Makes way for a first installation at base when the fixed place is an
// empty directory (firstPlace, from FindEarlierInstallation) that base does
// not name: the empty directory is removed so that the link can stand
// there; a volume mounted there ends the run (status 1).
void ClearFirstPlace(const char *firstPlace, const char *base);
// Ends the run with status 1, before anything changed, when the move from
// pCurrentInstallDir to pTargetInstallDir would take an application
// directory that is a mount point (the source, the destination, or the
// fixed place): a volume is never renamed or removed.
void RefuseMountedMove();
// Cuts path in place to its installation base: drops every final "/", then a
// last component "tvxx", then a last component "Varen" (whole components
// only, with the slashes before them); "/" stays "/".
char *StripToBaseName(char *path);
// Finishes or undoes a move that an earlier run left half done, from the
// names it leaves next to /usr/Varen/tvxx: when nothing usable stands at the
// fixed place, the complete new copy is committed or the set-aside old one
// put back; then surplus staging copies, an uncommitted new copy and the
// old copy set aside are removed. A pending link whose installation is a
// volume mounted at the fixed place is undone. Every name found gets a line
// in the log, every step is a logged command. Runs nothing when no such name
// is there.
void finishInterruptedMove();
// Moves the installation from pCurrentInstallDir to pTargetInstallDir and
// remakes the fixed place /usr/Varen/tvxx, so that an interruption at any
// moment leaves a complete installation there or names that
// finishInterruptedMove completes: one rename within a file system, else a
// copy under a staging name renamed when complete; a rename at the fixed
// place commits the move; the old copy goes last.
void moveInstallation();
