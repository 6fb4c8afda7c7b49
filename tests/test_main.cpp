// Entry of every unit-test program. The installer writes its log and
// temporary files under /tmp; so that no test touches the machine's real
// /tmp, the program first moves into a private mount namespace with an empty
// tmpfs on /tmp. This needs root; without it no test runs. Every test must
// also give back the allocator memory and the descriptors it takes: a test
// that ends with more of either in use than it began with fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <dirent.h>
#include <sched.h>
#include <sys/mount.h>

#include "support/mem.h"

namespace {

// Allocator nodes in use (a dedicated block counts all its nodes) and open
// descriptors.
long NodesInUse() {
    long n = 0;
    for (MemBlock *b = pMemB; b != nullptr; b = b->pNext)
        n += b->Size > MEM_BLOCK_SIZE ? b->Size / MEM_NODE_SIZE : MEM_NODES - b->FreeNodeCount;
    return n;
}
int OpenFds() {
    int n = -1; // the listing's own descriptor
    if (DIR *d = opendir("/proc/self/fd")) {
        for (dirent *e; (e = readdir(d)) != nullptr;)
            n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

class LeakCheck : public testing::EmptyTestEventListener {
    long nodes_ = 0;
    int fds_ = 0;
    void OnTestStart(const testing::TestInfo &) override {
        nodes_ = NodesInUse();
        fds_ = OpenFds();
    }
    void OnTestEnd(const testing::TestInfo &) override {
        EXPECT_LE(NodesInUse(), nodes_) << "allocator nodes left in use";
        EXPECT_LE(OpenFds(), fds_) << "descriptors left open";
    }
};

} // namespace

int main(int argc, char **argv) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("testtmp", "/tmp", "tmpfs", 0, "mode=1777") != 0) {
        perror("test: cannot isolate /tmp (run as root); not running tests");
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    PutMem(GetMem(1)); // opens the zero device, kept for the whole program
    testing::UnitTest::GetInstance()->listeners().Append(new LeakCheck);
    return RUN_ALL_TESTS();
}
