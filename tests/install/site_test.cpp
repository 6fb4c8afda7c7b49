// Tests of the install site: copying the medium into the work area, joining
// the archive pieces and the root check. Reading the lists and the continue
// question are checked by whole runs.
#include "install/medium.h"
#include "install/sequence.h"
#include "install/site.h"

#include "support/files.h"
#include "testutil.h"

namespace {

using namespace tu;

class SiteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitInstallerOnce();
        ASSERT_EQ(0, Sh("mkdir -p " + site_ + " " + app_ + " " + bin_));
        UseDirs(site_, work_, root_, app_);
        ClearLog();
    }
    // A stand-in whoami answering user, put into the command table.
    void UserIs(const std::string &user) { FakeCmd(CMD_WHOAMI, bin_, "echo " + user); }

    std::string root_ = MakeTempDir(), site_ = root_ + "/site", work_ = root_ + "/VarenInstall",
                app_ = root_ + "/app", bin_ = root_ + "/bin";
};

// The joining walk takes pieces in list order, stops at the first marker
// word wherever it stands, and passes over other names and missing pieces.
TEST_F(SiteTest, PiecesJoinedInListOrderUpToMarker) {
    mkdir(work_.c_str(), 0755);
    WriteFile(work_ + "/disks", "disks pkg_tar.002 readme pkg_tar.404\r\n"
                                "pkg_tar.001 end_of_list pkg_tar.003\npkg_tar.004\n");
    for (const char *piece : {"001", "002", "003", "004"})
        WriteFile(work_ + "/pkg_tar." + piece, std::string("<") + piece + ">");
    WriteFile(work_ + "/readme", "README");
    ASSERT_EQ(0, chdir("/"));
    genZFile();
    EXPECT_EQ("<002><001>", ReadFile(work_ + "/Linuxi386Tvxx.tar.Z"));
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof(cwd)));
    EXPECT_EQ(work_, cwd);
    EXPECT_EQ(std::string::npos, ReadLog().find("cat")) << "the joining commands are quiet";
}

// Copy walk: a line that is exactly the marker ends the list; a marker word
// elsewhere (also with a trailing blank) only ends its own line. The user is
// not root, so the install sequence stops after message 35.
TEST_F(SiteTest, CopyWalkAndNotRoot) {
    for (const char *name : {"a", "b", "c", "d", "e", "f", "g"})
        WriteFile(site_ + "/" + name, name);
    WriteFile(site_ + "/disks", "disks a\tb\r\n\n  c end_of_list d\ne\nend_of_list \nf\n"
                                "end_of_list\ng\n");
    mkdir(work_.c_str(), 0755);
    WriteFile(work_ + "/stale", "old");
    UserIs("bob");
    ChildRun run = RunInChild([&] { return installFromSite(work_.c_str()); });
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(".......bob is logged in\nYou must become root to run setup\n", run.out);
    EXPECT_EQ(ReadFile(site_ + "/disks"), ReadFile(work_ + "/disks"));
    for (const char *name : {"a", "b", "c", "e", "f"})
        EXPECT_EQ(name, ReadFile(work_ + "/" + name)) << name;
    EXPECT_FALSE(Exists(work_ + "/d"));
    EXPECT_FALSE(Exists(work_ + "/g"));
    EXPECT_FALSE(Exists(work_ + "/stale"));
    EXPECT_FALSE(Exists(work_ + "/Linuxi386Tvxx.tar.Z"));
}

} // namespace
