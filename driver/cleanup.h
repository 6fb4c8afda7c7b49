// The final clean-up of a run.
#pragma once

#include "support/globals.h"

// Removes the work area (and the work-area directory the run made, when
// empty), keeps the run lock from programs started from now on, and runs
// tvqadmin -upgrade and -clean when the application directory holds it.
void VarenClean(const char *workArea);
