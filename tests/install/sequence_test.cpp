// Tests of the install sequence and of the directory layout, in a sandbox
// child whose /usr, /etc and /var are overlays: what the sequence writes
// there lands in the sandbox's upper layers, which the tests inspect. Whole
// installations are checked by the end-to-end tests.
#include "install/scripts.h"
#include "install/sequence.h"
#include "install/medium.h"
#include "install/sequence.h"
#include "install/site.h"

#include "testutil.h"

namespace {

using namespace tu;

class SequenceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitInstallerOnce();
        ASSERT_EQ(0, Sh("mkdir -p " + site_ + " " + root_ + "/work " + base_));
        UseDirs(site_, work_, base_, base_ + "/Varen/tvxx");
        ClearLog();
    }
    std::string Upper(const std::string &path) { return scratch_ + "/upper" + path; }

    std::string root_ = MakeTempDir(), site_ = root_ + "/site", base_ = root_ + "/opt",
                work_ = root_ + "/work/VarenInstall", scratch_ = MakeTempDir();
};

// Outside /usr the application directory gets 775 (755 on a CUPS host) and
// the link /usr/Varen/tvxx leads to it; /usr/Varen gets the same mode unless
// it exists already.
TEST_F(SequenceTest, InstallationDirectoriesOutsideUsr) {
    struct Case {
        bool cups;
        int usrVarenBefore, appMode, usrVarenMode;
    } cases[] = {{false, 0, 0775, 0775}, {false, 0700, 0775, 0700}, {true, 0, 0755, 0755}};
    for (const Case &c : cases) {
        scratch_ = MakeTempDir();
        ChildRun run = RunInChild(
            [&] {
                if (c.cups)
                    FakeCmd(CMD_CUPSD, root_, "true");
                else
                    ComList[CMD_CUPSD].pPath = nullptr;
                if (c.usrVarenBefore && Sh("mkdir -p /usr/Varen && chmod 700 /usr/Varen"))
                    return 90;
                createInstallationDirectories(base_.c_str());
                return 0;
            },
            "", scratch_);
        ASSERT_EQ(0, run.status) << run.out << run.err;
        EXPECT_EQ(c.appMode, ModeOf(base_ + "/Varen/tvxx")) << c.cups;
        EXPECT_EQ(c.usrVarenMode, ModeOf(Upper("/usr/Varen"))) << c.cups;
        EXPECT_EQ(base_ + "/Varen/tvxx", LinkTarget(Upper("/usr/Varen/tvxx")));
        Sh("rm -rf " + base_ + "/Varen");
    }
}

// The package list stops at its process check: Install returns before the
// set-user-id modes, so the programs keep the modes they had.
TEST_F(SequenceTest, StoppedPackageListSkipsSetUserIdModes) {
    std::string src = root_ + "/src";
    ASSERT_EQ(0, Sh("mkdir -p " + src + "/pkg"));
    WriteFile(src + "/pkg/pkg.list", "c tvrtvxxtty\ncheckps ,tvzzseq,\nc vsf\n");
    WriteFile(src + "/pkg/tvrtvxxtty", "#!/bin/sh\n");
    WriteFile(src + "/pkg/vsf", "#!/bin/sh\n");
    ASSERT_EQ(0, Sh("cd " + src + " && tar cf - pkg | compress > " + site_ + "/pkg_tar.001"));
    WriteFile(site_ + "/disks", "disks pkg_tar.001\nend_of_list\n");

    Sleeper running(root_, "tvzzseq");
    ASSERT_NE(0, running.pid);
    ChildRun run = RunInChild(
        [&] {
            ComList[CMD_LPD].pPath = ComList[CMD_CUPSD].pPath = nullptr;
            return installFromSite(work_.c_str());
        },
        "2\n", scratch_);
    ASSERT_EQ(0, run.status) << run.out << run.err;
    EXPECT_EQ(0644, ModeOf(base_ + "/Varen/tvxx/tvrtvxxtty"));
    EXPECT_FALSE(Exists(base_ + "/Varen/tvxx/vsf"));
    EXPECT_EQ(std::string::npos, ReadLog().find("4755"));
}

// On an LPRng host the link in /usr/share/printconf/util is made once: an
// entry that exists already (an upgrade) stays.
TEST_F(SequenceTest, PrintconfLinkMadeOnce) {
    std::string bin = root_ + "/bin";
    ASSERT_EQ(0, Sh("mkdir -p " + base_ + "/Varen/tvxx " + bin));
    ChildRun run = RunInChild(
        [&] {
            FakeCmd(CMD_LPD, bin, "echo 'LPRng-3.8' >&2");
            if (Sh("mkdir -p /usr/share/printconf/util") != 0)
                return 90;
            createQueueScripts("/var/spool/Varen");
            createQueueScripts("/var/spool/Varen");
            return 0;
        },
        "", scratch_);
    ASSERT_EQ(0, run.status) << run.out << run.err;
    EXPECT_EQ(base_ + "/Varen/tvxx/VarenPrinttvxx",
              LinkTarget(Upper("/usr/share/printconf/util/VarenPrinttvxx")));
    EXPECT_EQ(1, Count(ReadLog(), "ln  -s "));
}

} // namespace
