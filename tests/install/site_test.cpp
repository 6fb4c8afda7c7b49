// Tests of the install site: reading the disks list, copying the medium into
// the work area, joining the archive pieces, the root check and the continue
// question.
#include <gtest/gtest.h>

#include <string>

#include "helpers.h"
#include "install/site.h"
#include "support/files.h"

using namespace insttest;

namespace {

class SiteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitInstallerOnce();
        root_ = MakeTempDir();
        site_ = root_ + "/site";
        work_ = root_ + "/VarenInstall";
        app_ = root_ + "/app";
        ASSERT_EQ(0, Sh("mkdir -p " + site_ + " " + app_));
        saved_[0] = pPathToSetup;
        saved_[1] = pVarenInstallDir;
        saved_[2] = pAppDir;
        copies_[0] = site_;
        copies_[1] = work_;
        copies_[2] = app_;
        pPathToSetup = copies_[0].data();
        pVarenInstallDir = copies_[1].data();
        pAppDir = copies_[2].data();
        ClearLog();
    }
    void TearDown() override {
        pPathToSetup = saved_[0];
        pVarenInstallDir = saved_[1];
        pAppDir = saved_[2];
    }

    // A stand-in whoami answering user, put into the command table.
    void UserIs(const std::string &user) {
        std::string bin = root_ + "/bin";
        mkdir(bin.c_str(), 0755);
        WriteFile(bin + "/whoami", "#!/bin/sh\necho " + user + "\n", 0755);
        binDir_ = bin;
        ComList[CMD_WHOAMI].pPath = binDir_.c_str();
    }

    std::string root_, site_, work_, app_, binDir_;
    std::string copies_[3];
    char *saved_[3] = {};
    RowPath whoami_{CMD_WHOAMI};
};

TEST_F(SiteTest, DisksListPreferredAndUpperCaseMediaConverted) {
    WriteFile(site_ + "/DISKS", "DISKS pkg_tar.001\nend_of_list\nafter marker\n");
    GetDisksData(site_.c_str());
    EXPECT_STREQ("DISKS PKG_TAR.001\nend_of_list\nafter marker\n", LineBuf);

    // An upper-case marker is no marker: everything is converted.
    WriteFile(site_ + "/DISKS", "a END_OF_LIST b\n");
    GetDisksData(site_.c_str());
    EXPECT_STREQ("A END_OF_LIST B\n", LineBuf);

    WriteFile(site_ + "/disks", "disks pkg_tar.001\nend_of_list\n");
    GetDisksData(site_.c_str());
    EXPECT_STREQ("disks pkg_tar.001\nend_of_list\n", LineBuf);
}

TEST_F(SiteTest, NoDisksListEndsWithMessage21) {
    ChildRun run = RunInChild([&] {
        GetDisksData(site_.c_str());
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
                                "pkg_tar.001 end_of_list pkg_tar.003\n"
                                "pkg_tar.004\n");
    for (const char *piece : {"001", "002", "003", "004"}) {
        WriteFile(work_ + "/pkg_tar." + piece, std::string("<") + piece + ">");
    }
    WriteFile(work_ + "/readme", "README");
    ASSERT_EQ(0, chdir("/"));
    genZFile();
    EXPECT_EQ("<002><001>", ReadFile(work_ + "/Linuxi386Tvxx.tar.Z"));
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof(cwd)));
    EXPECT_EQ(work_, cwd);
    ASSERT_EQ(0, chdir("/"));
    // The joining commands are quiet: no log lines.
    EXPECT_EQ(std::string::npos, ReadLog().find("cat"));
}

// On upper-case media the pieces are found under the "PKG_TAR." prefix; in
// the joining walk a tab belongs to the name.
TEST_F(SiteTest, UpperCasePiecesJoined) {
    mkdir(work_.c_str(), 0755);
    WriteFile(work_ + "/DISKS", "disks pkg_tar.002\tpkg_tar.001\npkg_tar.001\nend_of_list\n");
    WriteFile(work_ + "/PKG_TAR.001", "ONE");
    WriteFile(work_ + "/PKG_TAR.002", "TWO");
    genZFile();
    ASSERT_EQ(0, chdir("/"));
    EXPECT_EQ("ONE", ReadFile(work_ + "/Linuxi386Tvxx.tar.Z"));
}

// Copy walk: a line that is exactly the marker ends the list; a marker word
// elsewhere (also with a trailing blank) only ends its own line. The user is
// not root, so the install sequence stops after message 35.
TEST_F(SiteTest, CopyWalkAndNotRoot) {
    for (const char *name : {"disks", "a", "b", "c", "d", "e", "f", "g"}) {
        WriteFile(site_ + "/" + name, name);
    }
    WriteFile(site_ + "/disks", "disks a\tb\r\n\n  c end_of_list d\ne\nend_of_list \nf\n"
                                "end_of_list\ng\n");
    mkdir(work_.c_str(), 0755);
    WriteFile(work_ + "/stale", "old");
    UserIs("bob");
    ChildRun run = RunInChild([&] { return installFromSite(work_.c_str()); });
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(".......bob is logged in\nYou must become root to run setup\n", run.out);
    EXPECT_EQ(ReadFile(site_ + "/disks"), ReadFile(work_ + "/disks"));
    for (const char *name : {"a", "b", "c", "e", "f"}) {
        EXPECT_EQ(name, ReadFile(work_ + "/" + name)) << name;
    }
    EXPECT_FALSE(Exists(work_ + "/d"));
    EXPECT_FALSE(Exists(work_ + "/g"));
    EXPECT_FALSE(Exists(work_ + "/stale"));
    EXPECT_FALSE(Exists(work_ + "/Linuxi386Tvxx.tar.Z"));
    std::string log = ReadLog();
    EXPECT_NE(std::string::npos, log.find("cp -p " + site_ + "/a " + work_ + "\n")) << log;
}

// A list that does not name itself: every file is copied, then the joining
// step cannot read the list and the run ends with message 21.
TEST_F(SiteTest, ListNotNamingItselfEndsAtJoin) {
    WriteFile(site_ + "/disks", "pkg_tar.001\nend_of_list\n");
    WriteFile(site_ + "/pkg_tar.001", "P");
    UserIs("root");
    ChildRun run = RunInChild([&] { return installFromSite(work_.c_str()); });
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("ERROR: can't open file, VarenInstall/disks\n", run.err);
    EXPECT_EQ("P", ReadFile(work_ + "/pkg_tar.001"));
}

// The continue question, in a sandbox with the earlier daemon's links in
// /etc/rc2.d. The child ends with 7 when readyForInstallation returned true
// and both links are gone, with 8 otherwise (unless the question ends it).
class ContinueQuestionTest : public SiteTest {
  protected:
    ChildRun Ask(const std::string &input) {
        WriteFile(app_ + "/TolvarDStop", "");
        UserIs("root");
        scratch_ = MakeTempDir();
        return RunInChild(
            [&] {
                if (Sh("mkdir -p /etc/rc2.d && touch /etc/rc2.d/KVarenPrintD "
                       "/etc/rc2.d/SVarenPrintD") != 0) {
                    return 90;
                }
                bool ready = readyForInstallation();
                bool gone =
                    !Exists("/etc/rc2.d/KVarenPrintD") && !Exists("/etc/rc2.d/SVarenPrintD");
                return ready && gone ? 7 : 8;
            },
            input, scratch_);
    }
    std::string Prompt() { return NLS_ENGLISH[MSG_CONTINUE]; }
    std::string scratch_;
};

TEST_F(ContinueQuestionTest, YesRemovesDaemonLinksAfterAskingAgain) {
    ChildRun run = Ask("Yes\n\n   \tYES\nyes please\n");
    EXPECT_EQ(7, run.status) << run.out << run.err;
    std::string daemon =
        "\nIf you currently have Varen printer software installed that uses TolvarD\n";
    EXPECT_EQ(0u, run.out.find(daemon)) << run.out;
    EXPECT_EQ(1, Count(run.out, daemon));
    EXPECT_EQ(4, Count(run.out, Prompt()));
    std::string log = ReadLog();
    EXPECT_NE(std::string::npos, log.find("rm -rf /etc/rc2.d/KVarenPrintD\n")) << log;
    EXPECT_NE(std::string::npos, log.find("rm -rf /etc/rc2.d/SVarenPrintD\n")) << log;
}

TEST_F(ContinueQuestionTest, ShortYesAlsoGoesOn) {
    EXPECT_EQ(7, Ask("y\n").status);
}

TEST_F(ContinueQuestionTest, NoAndNEndAtOnceWithStatusZero) {
    for (const char *answer : {"no\n", "n\n", "maybe\nn\ny\n"}) {
        SCOPED_TRACE(answer);
        ChildRun run = Ask(answer);
        EXPECT_EQ(0, run.status) << run.err;
        EXPECT_EQ("", run.err);
        EXPECT_EQ(std::string::npos, ReadLog().find("rc2.d"));
    }
}

TEST_F(ContinueQuestionTest, EndOfInputEndsWithStatusOne) {
    for (const char *input : {"", "maybe\n"}) {
        SCOPED_TRACE(input);
        ChildRun run = Ask(input);
        EXPECT_EQ(1, run.status);
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(std::string(NLS_ENGLISH[MSG_NO_ANSWER]), run.err);
        EXPECT_EQ('\n', run.err.back());
        EXPECT_EQ(1, Count(run.err, "\n"));
    }
}

} // namespace
