// Entry of every unit-test program. The installer writes its log and
// temporary files under /tmp; so that no test touches the machine's real
// /tmp, the program first moves into a private mount namespace with an empty
// tmpfs on /tmp. This needs root; without it no test runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <sched.h>
#include <sys/mount.h>

int main(int argc, char **argv) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("testtmp", "/tmp", "tmpfs", 0, "mode=1777") != 0) {
        perror("test: cannot isolate /tmp (run as root); not running tests");
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
