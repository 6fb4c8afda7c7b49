// Unit tests of the driver: the command line and the free-space check.
#include "driver/checks.h"
#include "driver/cmdline.h"
#include "testutil.h"

#include <vector>

namespace {

using namespace tu;

// ---- The command line, each parse in a child (it may end the process).

// Parses args (no program name) in cwd, with mkdir from fakeMkdirDir if given; prints the globals.
ChildRun Parse(const std::vector<std::string> &args, const std::string &cwd = "/",
               const char *fakeMkdirDir = nullptr) {
    return RunInChild([&] {
        if (chdir(cwd.c_str()) != 0)
            return 3;
        unsetenv("LANG"), pVarenInstallDir = SaveStr("/tmp/VarenInstall");
        if (fakeMkdirDir != nullptr)
            ComList[CMD_MKDIR].pPath = fakeMkdirDir;
        std::vector<char *> argv{SaveStr("setup")};
        for (const std::string &a : args)
            argv.push_back(SaveStr("%s", a.c_str()));
        argv.push_back(nullptr);
        parseCommandLineOptions(static_cast<int>(args.size()) + 1, argv.data());
        return printf("work=%s created=%d base=%s", pVarenInstallDir, flCreatedTmpDir,
                      pCmdLineInstallDir ? pCmdLineInstallDir : "(none)") < 0 ? 1 : 0;
    });
}

// Words beginning with "-" other than "-v" are directories, relative ones made absolute; the last
// wins, every missing one is made, never the root; a mkdir that makes nothing ends with status 2.
TEST(CommandLine, KeywordsAndWorkAreaDirectories) {
    std::string t = MakeTempDir();
    EXPECT_EQ(Parse({"-V", "Install", "install", "/opt/Varen/tvxx/"}, t).out,
              "work=" + t + "/Install/VarenInstall created=1 base=/opt");
    mkdir((t + "/exist").c_str(), 0755);
    EXPECT_EQ(Parse({t + "/new/deep", "install", "/srv", t + "/exist///"}).out,
              "work=" + t + "/exist/VarenInstall created=1 base=/srv");
    EXPECT_TRUE(Exists(t + "/-V") && Exists(t + "/new/deep"));
    EXPECT_FALSE(Exists(t + "/exist/VarenInstall")) << "the work area itself is made later";
    WriteFile(t + "/mkdir", "#!/bin/sh\necho \"$@\" >> " + t + "/ran\n", 0755);
    EXPECT_EQ(Parse({"//"}, "/", t.c_str()).out, "work=/VarenInstall created=0 base=(none)");
    EXPECT_EQ(Parse({"install"}).out, "work=/tmp/VarenInstall created=0 base=(none)");
    EXPECT_FALSE(Exists(t + "/ran"));
    WriteFile(t + "/mkdir", "#!/bin/sh\nexit 0\n", 0755);
    ChildRun run = Parse({t + "/ghost"}, "/", t.c_str());
    EXPECT_TRUE(run.status == 2 && run.out == "ERROR: couldn't open " + t + "/ghost\n\n") << run.out;
}

TEST(CommandLine, UnsafePathsAreRefusedBeforeAnyIsUsed) {
    std::string t = MakeTempDir();
    auto refusal = [](const std::string &path) { return Msg(MSG_UNSAFE_PATH, path.c_str()); };
    ChildRun run = Parse({t + "/first", t + "/a b"});
    EXPECT_TRUE(run.status == 2 && run.out == refusal(t + "/a b") && !Exists(t + "/first")) << run.out;
    mkdir((t + "/a b").c_str(), 0755);
    run = Parse({"rel"}, t + "/a b"); // a relative path joined to an unsafe working directory
    EXPECT_TRUE(run.status == 2 && run.out == refusal(t + "/a b/rel")) << run.out;
    for (std::string bad : {"/o$(id)", "/o`id`", "/o'", "/o\"", "/o\\x", "/o*", "/o?", "/o[a]", "/o&", "/o|x",
                            "/o>x", "/o<x", "/o~", "/o#", "/o!", "/o{a}", "/o(", "/o\tx", "/o\nx", "/o^"}) {
        run = Parse({"install", bad, t + "/first"});
        EXPECT_TRUE(run.status == 2 && run.out == refusal(bad) && !Exists(t + "/first")) << bad;
    }
}

// ---- The free-space check with stand-in df and du; whole runs check the stops and their messages.

// A site asking 1000 (install) and TSIZE (work area), a work area T/w/VarenInstall, a base T/i, df
// and du printing T/df.w, df.i, du.w, du.i by path. Say gives the check's output or "passed".
struct Space {
    std::string t = MakeTempDir(), work = t + "/w/VarenInstall", base = t + "/i";
    Space() {
        Sh("mkdir -p " + t + "/site " + t + "/bin " + t + "/w " + base + "; echo 1000 > " + t + "/site/isize");
        WriteFile(t + "/bin/df", "#!/bin/sh\ncase \"$1\" in " + t + "/w*) f=w;; *) f=i;; esac\n"
                  "echo 'Filesystem 1K-blocks Used Available Use% Mounted on'; cat " + t + "/df.$f\n", 0755);
        WriteFile(t + "/bin/du", "#!/bin/sh\ncase \"$2\" in " + t + "/w*) f=w;; *) f=i;; esac\necho \"$(cat " + t + "/du.$f)\t$2\"\n", 0755);
    }
    std::string Say(const char *tsize, int workFree, int instFree, const char *duWork = "0", const char *duInst = "0") {
        const char *fs = workFree == instFree ? "fs" : "other"; // the same figure: one shared file system
        WriteFile(t + "/site/tsize", tsize), WriteFile(t + "/du.w", duWork), WriteFile(t + "/du.i", duInst);
        WriteFile(t + "/df.w", std::string("fs 1 1 ") + std::to_string(workFree) + " 1% /m\n");
        WriteFile(t + "/df.i", fs + std::string(" 1 1 ") + std::to_string(instFree) + " 1% /m\n");
        ChildRun run = RunInChild([&] {
            unsetenv("LANG"), pPathToSetup = SaveStr("%s/site", t.c_str());
            ComList[CMD_DF].pPath = ComList[CMD_DU].pPath = SaveStr("%s/bin", t.c_str());
            pVarenInstallDir = SaveStr("%s", work.c_str());
            pTargetInstallDir = SaveStr("%s", base.c_str());
            return FreeSpaceForInstall(pVarenInstallDir, pTargetInstallDir, "Varen"), 100;
        });
        return run.status == 100 && run.out.empty() ? "passed" : run.out;
    }
};

// A figure must open the size file (blanks first allowed, no hex), else the margin alone counts.
// In an upgrade the old application directory, then an old work area count as free room.
TEST(FreeSpace, SizeFiguresAndOldDirectories) {
    Space c;
    EXPECT_EQ(c.Say("abc 500\n", 39, 5000), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 40.0));
    EXPECT_EQ(c.Say("  \t500 b\n", 539, 5000), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 540.0));
    for (const char *hex : {"0x500\n", "+0x500\n"})
        EXPECT_EQ(c.Say(hex, 39, 5000), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 40.0)) << hex;
    Sh("mkdir -p " + c.base + "/Varen/tvxx");
    EXPECT_EQ(c.Say("500\n", 1000, 1000, "0", "580"), "passed");
    EXPECT_EQ(c.Say("500\n", 1000, 1000, "0", "579"), Msg(MSG_SHARED_TOO_SMALL, c.work.c_str(), c.base.c_str(), 1580.0));
    mkdir(c.work.c_str(), 0755);
    EXPECT_EQ(c.Say("500\n", 1000, 1000, "1", "579"), "passed");
}

} // namespace
