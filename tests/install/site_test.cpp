// Tests of the install site: reading the disks list, copying the medium into
// the work area, joining the archive pieces, the root check and the continue
// question.
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
    RowPath whoami_{CMD_WHOAMI};
};

// "disks" is preferred; a "DISKS" list is upper-cased up to the marker (an
// upper-case marker is no marker); no list at all ends the run.
TEST_F(SiteTest, DisksList) {
    WriteFile(site_ + "/DISKS", "DISKS pkg_tar.001\nend_of_list\nafter marker\n");
    EXPECT_EQ("DISKS PKG_TAR.001\nend_of_list\nafter marker\n", Take(GetDisksData(site_.c_str())));
    WriteFile(site_ + "/DISKS", "a END_OF_LIST b\n");
    EXPECT_EQ("A END_OF_LIST B\n", Take(GetDisksData(site_.c_str())));
    WriteFile(site_ + "/disks", "disks pkg_tar.001\nend_of_list\n");
    EXPECT_EQ("disks pkg_tar.001\nend_of_list\n", Take(GetDisksData(site_.c_str())));

    std::string empty = MakeTempDir();
    ChildRun run = RunInChild([&] {
        Take(GetDisksData(empty.c_str()));
        return 0;
    });
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("ERROR: can't open file, VarenInstall/disks\n", run.err);
}

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

// The continue question, in a sandbox with the earlier daemon's links in
// /etc/rc2.d. The child ends with 7 when readyForInstallation returned true
// and both links are gone, with 8 otherwise (unless the question ends it).
class ContinueQuestionTest : public SiteTest {
  protected:
    ChildRun Ask(const std::string &input) {
        WriteFile(app_ + "/TolvarDStop", "");
        UserIs("root");
        ClearLog();
        return RunInChild(
            [&] {
                if (Sh("mkdir -p /etc/rc2.d && touch /etc/rc2.d/KVarenPrintD "
                       "/etc/rc2.d/SVarenPrintD") != 0)
                    return 90;
                bool ready = readyForInstallation();
                bool gone =
                    !Exists("/etc/rc2.d/KVarenPrintD") && !Exists("/etc/rc2.d/SVarenPrintD");
                return ready && gone ? 7 : 8;
            },
            input, MakeTempDir());
    }
};

TEST_F(ContinueQuestionTest, YesRemovesDaemonLinksAfterAskingAgain) {
    ChildRun run = Ask("Yes\n\n   \tYES\nyes please\n");
    EXPECT_EQ(7, run.status) << run.out << run.err;
    std::string daemon =
        "\nIf you currently have Varen printer software installed that uses TolvarD\n";
    EXPECT_EQ(0u, run.out.find(daemon)) << run.out;
    EXPECT_EQ(1, Count(run.out, daemon));
    EXPECT_EQ(4, Count(run.out, NLS_ENGLISH[MSG_CONTINUE]));
    std::string log = ReadLog();
    EXPECT_NE(std::string::npos, log.find("rm -rf /etc/rc2.d/KVarenPrintD\n")) << log;
    EXPECT_NE(std::string::npos, log.find("rm -rf /etc/rc2.d/SVarenPrintD\n")) << log;
    EXPECT_EQ(7, Ask("y\n").status);
}

// "n" or "no" ends at once with status 0 and nothing removed; end of input
// ends with status 1 and one line on standard error.
TEST_F(ContinueQuestionTest, NoAndEndOfInput) {
    const std::string noAnswer = NLS_ENGLISH[MSG_NO_ANSWER];
    const std::pair<const char *, int> cases[] = {
        {"no\n", 0}, {"n\n", 0}, {"maybe\nn\ny\n", 0}, {"", 1}, {"maybe\n", 1}};
    for (auto [input, status] : cases) {
        ChildRun run = Ask(input);
        EXPECT_EQ(status, run.status) << input << run.err;
        EXPECT_EQ(status == 1 ? noAnswer : "", run.err) << input;
        EXPECT_EQ(std::string::npos, ReadLog().find("rc2.d")) << input;
    }
}

} // namespace
