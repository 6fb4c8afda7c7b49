// The installation's place: where an earlier installation stands, the base a
// path names, and the move of an installation to another base. The run-wide
// globals these work on are declared in support/globals.h.
#pragma once

#include "support/globals.h"

// Base directory of the installation found at /usr/Varen/tvxx (saved
// string), or null when there is none.
char *locatePreviousInstallation();
// Cuts path in place to its installation base: drops every final "/", then a
// last component "tvxx", then a last component "Varen" (whole components
// only, with the slashes before them); "/" stays "/".
char *StripToBaseName(char *path);
// Finishes or undoes a move that an earlier run left half done, from the
// names it leaves next to /usr/Varen/tvxx: when nothing usable stands at the
// fixed place, the complete new copy is committed or the set-aside old one
// put back; then surplus staging copies, an uncommitted new copy and the
// old copy set aside are removed. Every step is a logged command. Runs
// nothing when no such name is there.
void finishInterruptedMove();
// Moves the installation from pCurrentInstallDir to pTargetInstallDir and
// remakes the fixed place /usr/Varen/tvxx, so that an interruption at any
// moment leaves a complete installation there or names that
// finishInterruptedMove completes: one rename within a file system, else a
// copy under a staging name renamed when complete; a rename at the fixed
// place commits the move; the old copy goes last.
void moveInstallation();
