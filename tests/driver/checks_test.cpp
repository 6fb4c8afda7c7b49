// Tests of the free-space check with fake df and du commands whose canned
// output the tests choose: the reading of the size figures, one shared file
// system, and old directories of an upgrade counted as free. The stops and
// the running-programs menu are checked by whole runs.
#include "driver/checks.h"
#include "testutil.h"

namespace {

using tu::Msg;
using tu::WriteFile;

// A site with size files, a work area T/w/VarenInstall, a base T/i and fake
// df and du in T/bin printing the files df.w, df.i (by path) and du.w, du.i.
struct SpaceCase {
    std::string t = tu::MakeTempDir(), work = t + "/w/VarenInstall", base = t + "/i";
    SpaceCase() {
        tu::Sh("mkdir -p " + t + "/site " + t + "/bin " + t + "/w " + base);
        WriteFile(t + "/bin/df", "#!/bin/sh\ncase \"$1\" in " + t + "/w*) f=w;; *) f=i;; esac\n"
                  "echo 'Filesystem 1K-blocks Used Available Use% Mounted on'; cat " + t + "/df.$f\n", 0755);
        WriteFile(t + "/bin/du", "#!/bin/sh\ncase \"$2\" in " + t + "/w*) f=w;; *) f=i;; esac\n"
                  "echo \"$(cat " + t + "/du.$f)\t$2\"\n", 0755);
    }
    // What the check says for these size files, df free figures (same
    // figure: one shared file system) and du figures: its output or "passed".
    std::string Say(const char *isize, const char *tsize, int workFree, int instFree,
                    const char *duWork = "0", const char *duInst = "0") {
        bool shared = workFree == instFree;
        WriteFile(t + "/site/isize", isize), WriteFile(t + "/site/tsize", tsize);
        WriteFile(t + "/df.w", (shared ? "fs" : "wfs") + std::string(" 1 1 ") + std::to_string(workFree) + " 1% /m\n");
        WriteFile(t + "/df.i", (shared ? "fs" : "ifs") + std::string(" 1 1 ") + std::to_string(instFree) + " 1% /m\n");
        WriteFile(t + "/du.w", duWork), WriteFile(t + "/du.i", duInst);
        tu::ChildRun run = tu::RunInChild([&] {
            unsetenv("LANG"), pPathToSetup = SaveStr("%s/site", t.c_str());
            ComList[CMD_DF].pPath = ComList[CMD_DU].pPath = SaveStr("%s/bin", t.c_str());
            pVarenInstallDir = SaveStr("%s", work.c_str());
            pTargetInstallDir = SaveStr("%s", base.c_str());
            return FreeSpaceForInstall(pVarenInstallDir, pTargetInstallDir, "Varen"), 100;
        });
        return run.status == 100 && run.out.empty() ? "passed" : run.out;
    }
};

TEST(FreeSpace, SizeFiguresSharedFileSystemAndOldDirectories) {
    SpaceCase c;
    // A figure must open the size file (blanks first allowed); else the margin alone.
    EXPECT_EQ(c.Say("1000\n", "abc 500\n", 39, 5000), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 40.0));
    EXPECT_EQ(c.Say("1000\n", "  \t500 b\n", 539, 5000), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 540.0));
    EXPECT_EQ(c.Say("1000\n", "0x500\n", 39, 5000), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 40.0)); // no hex
    // One file system: the free room counts once against both needs.
    std::string shared = Msg(MSG_SHARED_TOO_SMALL, c.work.c_str(), c.base.c_str(), 1580.0);
    EXPECT_EQ(c.Say("1000\n", "500\n", 1579, 1579), shared);
    EXPECT_EQ(c.Say("1000\n", "500\n", 1580, 1580), "passed");
    // An upgrade in place: the old application directory counts as free, and
    // an old work area on top of it.
    tu::Sh("mkdir -p " + c.base + "/Varen/tvxx");
    EXPECT_EQ(c.Say("1000\n", "500\n", 1000, 1000, "0", "580"), "passed");
    EXPECT_EQ(c.Say("1000\n", "500\n", 1000, 1000, "0", "579"), shared);
    mkdir(c.work.c_str(), 0755);
    EXPECT_EQ(c.Say("1000\n", "500\n", 1000, 1000, "1", "579"), "passed");
}

} // namespace
