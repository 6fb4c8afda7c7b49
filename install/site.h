// Install site: copying the medium into the work area and running the
// install sequence.
#pragma once

// Recreates the work area, copies every file that SITE's list names into it,
// and runs the install sequence. Returns 0 always.
int installFromSite(const char *work);
