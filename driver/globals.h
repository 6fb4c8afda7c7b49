// The driver's own path routines and steps around the site installation; the
// run-wide globals they work on are declared in support/globals.h.
#pragma once

#include "support/globals.h"

// Base directory of the installation found at /usr/Varen/tvxx (saved
// string), or null when there is none.
char *locatePreviousInstallation();
// Cuts path in place at "tvxx", then at "Varen", then drops one final "/".
char *StripToBaseName(char *path);
// Moves the installation from pCurrentInstallDir to pTargetInstallDir and
// remakes the link at /usr/Varen/tvxx.
void moveInstallation();
// Final clean-up: removes the work area, runs tvqadmin -upgrade and -clean.
void VarenClean(const char *workArea);
