// The directories a run works in: nobody but root and the running user may
// be able to change any directory on the way to them.
#pragma once

// Checks, before anything is changed, the chain of every directory the run is
// about to work in that it has not just made and the command line did not
// name (those are settled with it): the work-area directory (the one holding
// pVarenInstallDir, /tmp by default), the earlier installation found at
// /usr/Varen/tvxx down to its application directory, and /usr/Varen. Returns
// when all pass; otherwise ends the run through RefuseChain (an earlier
// installation or /usr/Varen only for an entry someone else could change).
void CheckRunDirectories();
