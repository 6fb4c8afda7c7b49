// Tests of the install sequence and of the directory layout, run in a
// sandbox child whose /usr, /etc and /var are overlays: what the sequence
// writes into those trees lands in the sandbox's upper layers, which the
// tests inspect afterwards.
#include <gtest/gtest.h>

#include <spawn.h>

#include <string>
#include <vector>

#include "helpers.h"
#include "install/scripts.h"
#include "install/sequence.h"
#include "install/site.h"

using namespace insttest;

extern char **environ;

namespace {

class SequenceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitInstallerOnce();
        root_ = MakeTempDir();
        scratch_ = root_ + "/sandbox";
        site_ = root_ + "/site";
        work_ = root_ + "/work/VarenInstall";
        ASSERT_EQ(0, Sh("mkdir -p " + scratch_ + " " + site_ + " " + root_ + "/work"));
        saved_ = {pPathToSetup, pVarenInstallDir, pTargetInstallDir, pAppDir, pCurrentInstallDir};
        Use("/usr", nullptr);
        ClearLog();
    }
    void TearDown() override {
        pPathToSetup = saved_[0];
        pVarenInstallDir = saved_[1];
        pTargetInstallDir = saved_[2];
        pAppDir = saved_[3];
        pCurrentInstallDir = saved_[4];
    }

    // Sets the run's globals for base (and an earlier installation's base).
    void Use(const std::string &base, const char *current) {
        strings_ = {site_, work_, base, base + "/Varen/tvxx", current ? current : ""};
        pPathToSetup = strings_[0].data();
        pVarenInstallDir = strings_[1].data();
        pTargetInstallDir = strings_[2].data();
        pAppDir = strings_[3].data();
        pCurrentInstallDir = current ? strings_[4].data() : nullptr;
    }

    // Writes a medium into SITE: the package list and the files it names,
    // tarred, compressed and split into pieces listed by "disks".
    void BuildMedium(const std::string &pkgList) {
        std::string src = root_ + "/src";
        ASSERT_EQ(0, Sh("mkdir -p " + src + "/pkg/doc"));
        WriteFile(src + "/pkg/pkg.list", pkgList);
        for (const char *tool : {"tvrtvxxtty", "vsf", "tvqadmin"}) {
            WriteFile(src + "/pkg/" + tool, std::string("#!/bin/sh\necho ") + tool + "\n", 0644);
        }
        WriteFile(src + "/pkg/doc/readme", std::string(3000, 'r'));
        ASSERT_EQ(0,
                  Sh("cd " + src + " && tar cf " + root_ + "/Linuxi386Tvxx.tar pkg && cd " + root_ +
                     " && compress -f Linuxi386Tvxx.tar && split -b 300 -a 3 "
                     "--numeric-suffixes=1 Linuxi386Tvxx.tar.Z " +
                     site_ + "/pkg_tar."));
        ASSERT_EQ(0, Sh("cd " + site_ +
                        " && { printf 'disks'; for p in pkg_tar.*; do "
                        "printf ' %s' $p; done; printf '\\nend_of_list\\n'; } "
                        "> disks && [ -f pkg_tar.002 ]"));
    }

    // Runs installFromSite in the sandbox with no lpd and no cupsd located.
    ChildRun InstallInSandbox(const std::string &seed = "", const std::string &input = "") {
        return RunInChild(
            [&] {
                if (!seed.empty() && Sh(seed) != 0) {
                    return 90;
                }
                ComList[CMD_LPD].pPath = nullptr;
                ComList[CMD_CUPSD].pPath = nullptr;
                return installFromSite(work_.c_str());
            },
            input, scratch_);
    }

    std::string Upper(const std::string &path) { return scratch_ + "/upper" + path; }

    // Whether the log holds the texts in this order.
    ::testing::AssertionResult LogInOrder(const std::vector<std::string> &texts) {
        std::string log = ReadLog();
        size_t at = 0;
        for (const std::string &text : texts) {
            size_t found = log.find(text, at);
            if (found == std::string::npos) {
                return ::testing::AssertionFailure() << "missing in order: " << text << "\n" << log;
            }
            at = found + text.size();
        }
        return ::testing::AssertionSuccess();
    }

    std::string root_, scratch_, site_, work_;
    std::vector<char *> saved_;
    std::vector<std::string> strings_;
};

// The layout of a first installation: directly under /usr the application
// directory itself (755); elsewhere 775, /usr/Varen (775, unless it exists
// already) and the link /usr/Varen/tvxx.
TEST_F(SequenceTest, InstallationDirectories) {
    std::string base = root_ + "/opt";
    mkdir(base.c_str(), 0755);
    struct Case {
        std::string base, seed;
        int usrVarenMode;
    };
    for (const Case &c : {Case{"/usr", "", 0755}, Case{base, "", 0775},
                          Case{base, "mkdir -p /usr/Varen && chmod 700 /usr/Varen", 0700}}) {
        SCOPED_TRACE(c.base + " " + c.seed);
        Use(c.base, nullptr);
        scratch_ = MakeTempDir();
        ChildRun run = RunInChild(
            [&] {
                if (!c.seed.empty() && Sh(c.seed) != 0) {
                    return 90;
                }
                createInstallationDirectories(c.base.c_str());
                return 0;
            },
            "", scratch_);
        ASSERT_EQ(0, run.status) << run.out << run.err;
        if (c.base == "/usr") {
            EXPECT_TRUE(IsDir(Upper("/usr/Varen/tvxx")));
            EXPECT_EQ(0755, ModeOf(Upper("/usr/Varen/tvxx")));
            continue;
        }
        EXPECT_EQ(0775, ModeOf(base + "/Varen/tvxx"));
        EXPECT_EQ(c.usrVarenMode, ModeOf(Upper("/usr/Varen")));
        EXPECT_EQ(base + "/Varen/tvxx", LinkTarget(Upper("/usr/Varen/tvxx")));
        Sh("rm -rf " + base + "/Varen");
    }
}

// A first installation under /usr from a split medium, end to end at the
// level of installFromSite.
TEST_F(SequenceTest, FirstInstallationUnderUsr) {
    BuildMedium("c tvrtvxxtty mode 755\nc vsf\nc tvqadmin mode 755\ndir doc\nnewdir db\n");
    ChildRun run = InstallInSandbox();
    ASSERT_EQ(0, run.status) << run.out << run.err;

    std::string app = Upper("/usr/Varen/tvxx");
    EXPECT_EQ(0755, ModeOf(Upper("/usr/Varen")));
    EXPECT_EQ(0755, ModeOf(app));
    EXPECT_EQ(" BSD ", ReadFile(app + "/.tv_cfg"));
    EXPECT_EQ(0644, ModeOf(app + "/.tv_cfg"));
    EXPECT_EQ(0755, ModeOf(app + "/VarenPrinttvxx"));
    EXPECT_NE(std::string::npos,
              ReadFile(app + "/VarenPrinttvxx").find("\nToolPath=\"/usr/Varen/tvxx\"\n"));
    EXPECT_NE(std::string::npos,
              ReadFile(app + "/VarenVSF").find("\nSpoolDir=\"/var/spool/Varen/tvxx\"\n"));
    EXPECT_EQ(04755, ModeOf(app + "/tvrtvxxtty"));
    EXPECT_EQ(04755, ModeOf(app + "/vsf"));
    EXPECT_EQ(0755, ModeOf(app + "/tvqadmin"));
    EXPECT_EQ(std::string(3000, 'r'), ReadFile(app + "/doc/readme"));
    EXPECT_EQ(0775, ModeOf(app + "/db"));
    EXPECT_EQ(0775, ModeOf(Upper("/var/spool/Varen")));
    EXPECT_EQ(0777, ModeOf(Upper("/var/spool/Varen/tvxx/__tva_download__")));
    EXPECT_FALSE(Exists(work_ + "/Linuxi386Tvxx.tar"));
    EXPECT_FALSE(Exists(work_ + "/Linuxi386Tvxx.tar.Z"));
    EXPECT_TRUE(Exists(work_ + "/pkg/pkg.list"));
    EXPECT_EQ(std::string::npos, run.out.find("ERROR"));

    EXPECT_TRUE(LogInOrder(
        {"cp -p " + site_ + "/disks " + work_ + "\n",
         "cp -p " + site_ + "/pkg_tar.002 " + work_ + "\n",
         "uncompress  " + work_ + "/Linuxi386Tvxx.tar.Z\n",
         "tar xvfp " + work_ + "/Linuxi386Tvxx.tar\n", "rm -rf " + work_ + "/Linuxi386Tvxx.tar\n",
         "mkdir -p /usr/Varen/tvxx\n", "chmod  755 /usr/Varen/tvxx\n",
         "mkdir -p /var/spool/Varen\n", "chmod  775 /var/spool/Varen\n",
         "mkdir -p /var/spool/Varen/tvxx/__tva_download__\n",
         "chmod  777 /var/spool/Varen/tvxx/__tva_download__\n",
         "cp -p " + work_ + "/pkg/tvrtvxxtty /usr/Varen/tvxx\n",
         "chmod  4755 /usr/Varen/tvxx/tvrtvxxtty\n", "chmod  4755 /usr/Varen/tvxx/vsf\n"}));
}

// An upgrade in place: no spool directory is created, the scripts are
// rewritten and still name /var/spool/Varen/tvxx.
TEST_F(SequenceTest, UpgradeLeavesSpoolAloneAndRewritesScripts) {
    BuildMedium("c tvrtvxxtty\nc vsf\n");
    Use("/usr", "/usr");
    ChildRun run =
        InstallInSandbox("mkdir -p /usr/Varen/tvxx && echo old > /usr/Varen/tvxx/VarenPrinttvxx && "
                         "echo old > /usr/Varen/tvxx/VarenVSF && rm -rf /var/spool/Varen");
    ASSERT_EQ(0, run.status) << run.out << run.err;
    std::string app = Upper("/usr/Varen/tvxx");
    EXPECT_NE(std::string::npos, ReadFile(app + "/VarenPrinttvxx").find("#!/bin/sh\n"));
    EXPECT_NE(std::string::npos,
              ReadFile(app + "/VarenVSF").find("\nSpoolDir=\"/var/spool/Varen/tvxx\"\n"));
    EXPECT_FALSE(Exists(Upper("/var/spool/Varen/tvxx")));
    EXPECT_EQ(std::string::npos, ReadLog().find("/var/spool/Varen\n"));
    EXPECT_EQ(04755, ModeOf(app + "/vsf"));
}

// The package list stops at its process check: Install returns before the
// set-user-id modes, so the programs keep the modes they had.
TEST_F(SequenceTest, StoppedPackageListSkipsSetUserIdModes) {
    BuildMedium("c tvrtvxxtty\ncheckps ,tvzzseq,\nc vsf\n");
    std::string prog = root_ + "/tvzzseq";
    ASSERT_EQ(0, Sh("cp /bin/sleep " + prog));
    pid_t sleeper = 0;
    char *args[] = {prog.data(), const_cast<char *>("30"), nullptr};
    ASSERT_EQ(0, posix_spawn(&sleeper, prog.c_str(), nullptr, nullptr, args, environ));
    ChildRun run = InstallInSandbox("", "2\n");
    kill(sleeper, SIGKILL);
    waitpid(sleeper, nullptr, 0);
    ASSERT_EQ(0, run.status) << run.out << run.err;
    std::string app = Upper("/usr/Varen/tvxx");
    EXPECT_EQ(0644, ModeOf(app + "/tvrtvxxtty"));
    EXPECT_FALSE(Exists(app + "/vsf"));
    EXPECT_EQ(std::string::npos, ReadLog().find("4755"));
}

// LPRng host with /usr/share/printconf/util: the link to the application's
// script is made once; an existing entry stays. Without the directory no
// link and no message.
TEST_F(SequenceTest, PrintconfLinkOnLprngHosts) {
    std::string base = root_ + "/base";
    ASSERT_EQ(0, Sh("mkdir -p " + base + "/Varen/tvxx " + root_ + "/bin"));
    WriteFile(root_ + "/bin/lpd", "#!/bin/sh\necho 'LPRng-3.8' >&2\n", 0755);
    Use(base, nullptr);
    std::string bin = root_ + "/bin";
    ChildRun run = RunInChild(
        [&] {
            ComList[CMD_LPD].pPath = bin.c_str();
            createQueueScripts("/var/spool/Varen");
            if (Sh("mkdir -p /usr/share/printconf/util") != 0) {
                return 90;
            }
            createQueueScripts("/var/spool/Varen");
            createQueueScripts("/var/spool/Varen");
            return 0;
        },
        "", scratch_);
    ASSERT_EQ(0, run.status) << run.out << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_EQ(base + "/Varen/tvxx/VarenPrinttvxx",
              LinkTarget(Upper("/usr/share/printconf/util/VarenPrinttvxx")));
    EXPECT_EQ(1, Count(ReadLog(), "ln  -s "));
    EXPECT_TRUE(Exists(base + "/Varen/tvxx/VarenVSF"));
}

} // namespace
