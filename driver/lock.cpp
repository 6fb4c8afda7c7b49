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

#include "install/nls.h"
#include "support/errors.h"

static int RunLockFd = -1;

void TakeRunLock() {
    if (geteuid() != 0) {
        return;
    }
    // Not close-on-exec: see KeepRunLockFromChildren.
    int fd = open(RUN_LOCK_PATH, O_RDWR | O_CREAT | O_NOFOLLOW, 0600);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != 0) {
        ErrorMsg(1, 0, "can't lock %s: %s", RUN_LOCK_PATH,
                 fd < 0 ? strerror(errno) : "not a file of root's");
        if (fd >= 0) {
            close(fd);
        }
        return;
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
