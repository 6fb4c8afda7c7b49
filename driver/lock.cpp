// The run lock: one installation at a time on a host.
#include "driver/lock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "install/owndirs.h"
#include "install/nls.h"

static int RunLockFd = -1;

// Ends the run with message 14 for what stands at the lock's path.
[[noreturn]] static void RefuseLock(const struct stat &st) {
    EntryText text;
    DescribeEntry(RUN_LOCK_PATH, st.st_uid, st.st_gid, st.st_mode, &text);
    fprintf(stderr, nlsSetupStrCvt(MSG_LOCK_NOT_ROOTS), RUN_LOCK_PATH, text.user, text.group,
            text.mode, static_cast<unsigned long>(st.st_nlink));
    exit(1);
}

void TakeRunLock() {
    if (geteuid() != 0) {
        return;
    }
    // Not close-on-exec: see KeepRunLockFromChildren. Never through a link,
    // and without waiting for a writer when a FIFO stands there.
    int fd = open(RUN_LOCK_PATH, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat st = {};
    if (fd < 0) {
        int error = errno;
        // A link or a directory cannot be opened as the lock: name what it is.
        if (lstat(RUN_LOCK_PATH, &st) == 0) {
            RefuseLock(st);
        }
        fprintf(stderr, nlsSetupStrCvt(MSG_LOCK_FAILED), RUN_LOCK_PATH, strerror(error));
        exit(1);
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != 0 || st.st_nlink != 1) {
        RefuseLock(st);
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        printf(nlsSetupStrCvt(MSG_OTHER_RUN), RUN_LOCK_PATH);
        fflush(stdout);
        exit(1);
    }
    RunLockFd = fd;
}

void KeepRunLockFromChildren() {
    if (RunLockFd >= 0) {
        fcntl(RunLockFd, F_SETFD, FD_CLOEXEC);
    }
}
