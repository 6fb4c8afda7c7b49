// Entry of every unit-test program.
//
// The installer writes its log and temporary files under /tmp. So that no
// test can touch the machine's real /tmp, the test program moves into a
// private mount namespace with an empty tmpfs on /tmp before any test runs.
// This needs root; without it the program refuses to run.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

static bool IsolateTmp() {
    if (unshare(CLONE_NEWNS) != 0) {
        fprintf(stderr, "test: unshare(CLONE_NEWNS): %s\n", strerror(errno));
        return false;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        fprintf(stderr, "test: making / private: %s\n", strerror(errno));
        return false;
    }
    if (mount("testtmp", "/tmp", "tmpfs", 0, "mode=1777") != 0) {
        fprintf(stderr, "test: tmpfs on /tmp: %s\n", strerror(errno));
        return false;
    }
    return true;
}

int main(int argc, char **argv) {
    if (!IsolateTmp()) {
        fprintf(stderr, "test: cannot isolate /tmp (run as root); not running tests\n");
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
