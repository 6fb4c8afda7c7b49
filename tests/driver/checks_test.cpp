// Tests of the free-space check with stand-in df and du: the reading of the size figures, one
// shared file system, and old directories of an upgrade counted as free. Whole runs check the
// stops, their boundaries and messages.
#include "driver/checks.h"
#include "testutil.h"

namespace {

using tu::Msg;
using tu::WriteFile;

// A site asking 1000 (install) and TSIZE (work area), a work area T/w/VarenInstall, a base T/i and
// df and du in T/bin printing the files df.w, df.i (by path) and du.w, du.i. Say gives the check's
// output or "passed".
struct Space {
    std::string t = tu::MakeTempDir(), work = t + "/w/VarenInstall", base = t + "/i";
    Space() {
        tu::Sh("mkdir -p " + t + "/site " + t + "/bin " + t + "/w " + base + "; echo 1000 > " + t + "/site/isize");
        WriteFile(t + "/bin/df", "#!/bin/sh\ncase \"$1\" in " + t + "/w*) f=w;; *) f=i;; esac\n"
                  "echo 'Filesystem 1K-blocks Used Available Use% Mounted on'; cat " + t + "/df.$f\n", 0755);
        WriteFile(t + "/bin/du", "#!/bin/sh\ncase \"$2\" in " + t + "/w*) f=w;; *) f=i;; esac\necho \"$(cat " + t + "/du.$f)\t$2\"\n", 0755);
    }
    std::string Say(const char *tsize, int workFree, int instFree, const char *duWork = "0", const char *duInst = "0") {
        const char *fs = workFree == instFree ? "fs" : "other"; // the same figure: one shared file system
        WriteFile(t + "/site/tsize", tsize), WriteFile(t + "/du.w", duWork), WriteFile(t + "/du.i", duInst);
        WriteFile(t + "/df.w", std::string("fs 1 1 ") + std::to_string(workFree) + " 1% /m\n");
        WriteFile(t + "/df.i", fs + std::string(" 1 1 ") + std::to_string(instFree) + " 1% /m\n");
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

// A figure must open the size file (blanks first allowed, no hex); else the margin alone. An
// upgrade in place: the old application directory counts as free room of the shared file system,
// and an old work area on top of it.
TEST(FreeSpace, SizeFiguresAndOldDirectories) {
    Space c;
    EXPECT_EQ(c.Say("abc 500\n", 39, 5000), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 40.0));
    EXPECT_EQ(c.Say("  \t500 b\n", 539, 5000), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 540.0));
    EXPECT_EQ(c.Say("0x500\n", 39, 5000), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 40.0));
    tu::Sh("mkdir -p " + c.base + "/Varen/tvxx");
    EXPECT_EQ(c.Say("500\n", 1000, 1000, "0", "580"), "passed");
    EXPECT_EQ(c.Say("500\n", 1000, 1000, "0", "579"), Msg(MSG_SHARED_TOO_SMALL, c.work.c_str(), c.base.c_str(), 1580.0));
    mkdir(c.work.c_str(), 0755);
    EXPECT_EQ(c.Say("500\n", 1000, 1000, "1", "579"), "passed");
}

} // namespace
