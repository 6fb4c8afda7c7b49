// Entry of every unit-test program: a private empty tmpfs on /tmp (needs root) keeps the machine's
// /tmp untouched; a test ending with more allocator nodes or descriptors in use than it began fails.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include "support/noted.h"
#include "testutil.h"
namespace {
class LeakCheck : public testing::EmptyTestEventListener {
    std::pair<long, int> before_;
    void OnTestStart(const testing::TestInfo &) override { before_ = tu::InUse(); }
    void OnTestEnd(const testing::TestInfo &) override {
        ForgetNoted(); // the run's notes of what it made are kept for the whole run
        EXPECT_LE(tu::InUse().first, before_.first) << "allocator nodes left in use";
        EXPECT_LE(tu::InUse().second, before_.second) << "descriptors left open";
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
