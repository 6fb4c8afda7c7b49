// One installation at a time: an exclusive lock on a file that only root can
// create, held for the whole run.
#pragma once

// The lock file; /run is writable by root alone (unlike /run/lock and /tmp),
// so nobody else can put a file or a link there in its place.
constexpr char RUN_LOCK_PATH[] = "/run/VarenInstall.lock";

// Takes the run lock when the installer runs as root. A run that is not
// root takes none: it changes nothing root owns and stops at the root check.
// When another run holds the lock, shows message 6 and ends the run with
// status 1 before anything is changed. The lock is taken with flock(2), so
// the kernel releases it when its last holder ends; the descriptor is passed
// on to the commands the installer runs, so a command left running after the
// installer was killed keeps the next run waiting until it has ended. The
// lock is root's or the run stops, before anything is changed, with status
// 1: anything at the path but root's regular file with one name (a link, a
// FIFO, a directory, another user's file, a file with a second name) with
// message 14, a path where no file can be made or opened with message 16.
void TakeRunLock();

// Keeps the lock from programs started from now on (the suite's own tool at
// the clean-up may leave a daemon behind); this run still holds it.
void KeepRunLockFromChildren();
