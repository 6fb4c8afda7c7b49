// Unit tests of the driver: the command line, the free-space check, the move to another base and the
// record.
#include "driver/chains.h"
#include "driver/checks.h"
#include "driver/cmdline.h"
#include "driver/place.h"
#include "driver/record.h"
#include "install/sequence.h"
#include "support/noted.h"
#include "syscmd/run.h"
#include "testutil.h"
namespace {
using namespace tu;
// ---- The command line, each parse in a child (it may end the process).
// Parses args (no program name) in cwd, with mkdir from fakeMkdirDir if given; prints the globals.
ChildRun Parse(const std::vector<std::string> &args, const std::string &cwd = "/",
               const char *fakeMkdirDir = nullptr) {
    return RunInChild([&] {
        if (chdir(cwd.c_str()) != 0)
            return 3;
        unsetenv("LANG"), pVarenInstallDir = SaveStr("/tmp/VarenInstall"), my_name = SaveStr("setup");
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
// Relative directories are made absolute; the last wins, every missing one is made, never the root;
// a mkdir that fails and makes nothing ends with status 2, and so does a work area under a file
// or a medium that is one.
TEST(CommandLine, KeywordsAndWorkAreaDirectories) {
    std::string t = MakeTempDir();
    EXPECT_EQ(Parse({"./-V", "Install", "install", "/opt/Varen/tvxx/"}, t).out,
              "work=" + t + "/Install/VarenInstall created=1 base=/opt");
    mkdir((t + "/exist").c_str(), 0755);
    EXPECT_EQ(Parse({t + "/new/deep", "install", "/srv", t + "/exist///"}).out,
              "work=" + t + "/exist/VarenInstall created=1 base=/srv");
    EXPECT_TRUE(Exists(t + "/-V") && Exists(t + "/new/deep"));
    EXPECT_FALSE(Exists(t + "/exist/VarenInstall")) << "the work area itself is made later";
    WriteFile(t + "/mkdir", "#!/bin/sh\necho \"$@\" >> " + t + "/ran\n", 0755);
    EXPECT_EQ(Parse({"//"}, "/", t.c_str()).out, "work=/VarenInstall created=0 base=(none)");
    EXPECT_FALSE(Exists(t + "/ran"));
    WriteFile(t + "/mkdir", "#!/bin/sh\nexit 1\n", 0755);
    ChildRun run = Parse({t + "/ghost"}, "/", t.c_str());
    EXPECT_TRUE(run.status == 2 && run.out == "ERROR: couldn't open " + t + "/ghost\n\n") << run.out;
    WriteFile(t + "/file", ""); // a work area under a file, met when the run's directories are checked
    run = RunInChild([&] {
        return pVarenInstallDir = SaveStr("%s/file/VarenInstall", t.c_str()), CheckRunDirectories(), 0;
    });
    EXPECT_TRUE(run.status == 2 && run.err == Msg(MSG_NOT_DIRECTORY, (t + "/file").c_str())) << run.status << run.err;
    run = Parse({"--medium", t + "/file"}); // a medium that is no directory, said as a missing work area is
    EXPECT_TRUE(run.status == 2 && run.out == "ERROR: couldn't open " + t + "/file\n\n") << run.status << run.out;
}
// Help and version come before anything is looked at; another word beginning with "-", also as a
// base, is refused with the usage. Every word is settled before any directory is made: a file or a
// path below one is refused with 2, a way that someone else may change with 1 (naming it, its owner
// and mode), a path the shell would interpret with 2, also when a link or the working directory
// leads there.
TEST(CommandLine, RefusalsBeforeAnyDirectoryIsMade) {
    std::string t = MakeTempDir(), first = t + "/first", usage = Msg(MSG_USAGE, "setup"), version = "setup 3.01.67\n";
    ASSERT_EQ(0, Sh("cd " + t + " && touch file && mkdir -p real theirs 'a b' && chown 65534:54321 theirs &&"
                    " chmod 7755 theirs && ln -s real link && ln -s 'a b' ab"));
    auto refused = [&](const char *word) { return Msg(MSG_UNKNOWN_OPTION, word, word) + usage; };
    auto unsafe = [](const std::string &path) { return Msg(MSG_UNSAFE_PATH, path.c_str()); };
    const std::string notDir = Msg(MSG_NOT_DIRECTORY, (t + "/file").c_str()), ab = t + "/a b";
    const struct { std::vector<std::string> args; std::string cwd; int status; std::string out, err; } rows[] = {
        {{"--help"}, "/", 0, usage, ""}, {{"install", "/opt", "-h", first}, "/", 0, usage, ""},
        {{"--version", "-x"}, "/", 0, "", version}, {{"-v", "--help"}, "/", 0, "", version},
        {{t + "/real", "-v", "-x"}, "/", 0, "", version}, // after a work area too
        {{first, "-x", "-y", "--help"}, "/", 0, usage, ""}, {{first, "-x"}, "/", 2, "", refused("-x")},
        {{"install", "--help"}, "/", 2, "", refused("--help")}, {{"-"}, "/", 2, "", refused("-")},
        {{first, t + "/file"}, "/", 2, "", notDir}, {{first, "install", t + "/file/base"}, "/", 2, "", notDir},
        {{first, "install", t + "/theirs/base"}, "/", 1, "",
         Msg(MSG_UNSAFE_DIR, (t + "/theirs").c_str(), "nobody", "54321", "drwsr-sr-t")},
        {{first, ab}, "/", 2, unsafe(ab), ""}, {{"rel"}, ab, 2, unsafe(ab + "/rel"), ""},
        {{t + "/ab"}, "/", 2, unsafe(ab), ""}};
    for (const auto &r : rows) {
        ChildRun run = Parse(r.args, r.cwd);
        EXPECT_TRUE(run.status == r.status && run.out == r.out && run.err == r.err) << r.args[0] << run.out << run.err;
    }
    for (std::string bad : {"/o$(id)", "/o`id`", "/o'", "/o\"", "/o\\x", "/o*", "/o?", "/o[a]", "/o&", "/o|x",
                            "/o>x", "/o<x", "/o~", "/o#", "/o!", "/o{a}", "/o(", "/o\tx", "/o\nx", "/o^"}) {
        ChildRun run = Parse({"install", bad, first});
        EXPECT_TRUE(run.status == 2 && run.out == unsafe(bad)) << bad;
    }
    EXPECT_FALSE(Exists(first));
    // Links are resolved; a relative word joins a working directory of any length up to PATH_MAX.
    EXPECT_EQ(Parse({"link", "install", "link/Varen"}, t).out,
              "work=" + t + "/real/VarenInstall created=0 base=" + t + "/real");
    for (size_t length : {511, 512, 513, 4090}) { // made and used below it, or the directory itself
        std::string cwd = t, word = length < 4000 ? "rel" : ".", dir = length < 4000 ? "/rel" : "";
        while (length - cwd.size() > 201)
            cwd += "/" + std::string(200, 'a' + length % 26);
        cwd += "/" + std::string(length - cwd.size() - 1, 'z');
        ASSERT_EQ(0, Sh("mkdir -p " + cwd));
        EXPECT_EQ(Parse({word}, cwd).out,
                  "work=" + cwd + dir + "/VarenInstall created=" + std::to_string(dir.size() / 4) + " base=(none)");
    }
}
// Once removed, the work area is let go of: a directory made there later (another run's) outlives
// this run's exit.
TEST(Clean, TheWorkAreaIsLetGoOfOnceRemoved) {
    std::string work = MakeTempDir() + "/VarenInstall";
    mkdir(work.c_str(), 0700);
    ChildRun run = RunInChild([&] {
        ComList[CMD_RM_R].pPath = "/bin", CatchInterrupts("stopped\n"), RemoveOnStop(SaveStr("%s", work.c_str()));
        return VarenClean(work.c_str()), mkdir(work.c_str(), 0700);
    });
    EXPECT_TRUE(run.status == 0 && Exists(work)) << run.status << run.out << run.err;
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
        WriteFile(t + "/bin/du", "#!/bin/sh\ncase \"$2\" in " + t + "/w*) f=w;; *) f=i;; esac\n"
                  "echo \"$(cat " + t + "/du.$f)\t$2\"\n", 0755);
    }
    // A negative workFree: df prints its header alone, for both areas.
    std::string Say(const char *tsize, int workFree, int instFree, const char *duWork = "0", const char *duInst = "0") {
        const char *fs = workFree == instFree ? "fs" : "other"; // the same figure: one shared file system
        WriteFile(t + "/site/tsize", tsize), WriteFile(t + "/du.w", duWork), WriteFile(t + "/du.i", duInst);
        WriteFile(t + "/df.w", workFree < 0 ? "" : std::string("fs 1 1 ") + std::to_string(workFree) + " 1% /m\n");
        WriteFile(t + "/df.i", workFree < 0 ? "" : fs + std::string(" 1 1 ") + std::to_string(instFree) + " 1% /m\n");
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
    EXPECT_EQ(c.Say("500\n", 1000, 1000, "0", "579"),
              Msg(MSG_SHARED_TOO_SMALL, c.work.c_str(), c.base.c_str(), 1580.0));
    // No figures at all: one file system without room, as far as can be told.
    EXPECT_EQ(c.Say("500\n", -1, -1), Msg(MSG_SHARED_TOO_SMALL, c.work.c_str(), c.base.c_str(), 1580.0));
    mkdir(c.work.c_str(), 0755);
    EXPECT_EQ(c.Say("500\n", 1000, 1000, "1", "579"), "passed");
}
// Moves from /usr (an overlay of the child's own) to another spelling of it, to another base, on
// within that file system and back, a first installation's layout under a base and the search for an
// earlier installation through its link give back every allocator node they took.
TEST(Move, ReleasesWhatItTook) {
    std::string t = MakeTempDir(), cur = "/usr";
    ChildRun run = RunInChild([&] {
        if (unshare(CLONE_NEWNS) != 0 || Sh("mkdir " + t + "/u " + t + "/w") != 0 ||
            mount("e", "/usr", "overlay", 0, ("lowerdir=/usr,upperdir=" + t + "/u,workdir=" + t + "/w").c_str()) != 0)
            return 9;
        Sh("mkdir -p /usr/Varen/tvxx && touch /usr/Varen/tvxx/q"), InitSysCmdList();
        for (std::string dest : {std::string("/usr/."), t + "/b1", t + "/b2", std::string("/usr")}) {
            pCurrentInstallDir = SaveStr("%s", cur.c_str()), pTargetInstallDir = SaveStr("%s", dest.c_str());
            pAppDir = SaveStr("%s/Varen/tvxx", dest.c_str()), cur = dest;
            long before = InUse().first;
            moveInstallation();
            ForgetNoted(); // the notes of what the run made stay for its record
            printf("%ld ", InUse().first - before);
            for (char **p : {&pCurrentInstallDir, &pTargetInstallDir, &pAppDir})
                PutMem(*p);
        }
        long before = InUse().first; // and a check for an interrupted move that finds none
        finishInterruptedMove();
        printf("%ld ", InUse().first - before);
        bool kept = Exists("/usr/Varen/tvxx/q") && LinkTarget("/usr/Varen/tvxx").empty();
        Sh("rm -r /usr/Varen/tvxx"), before = InUse().first; // and a first installation under a base
        createInstallationDirectories((t + "/b3").c_str());
        ForgetNoted();
        printf("%ld ", InUse().first - before);
        char *first = nullptr; // and the search for an earlier installation through that link
        before = InUse().first, PutMem(FindEarlierInstallation(&first)), PutMem(first);
        printf("%ld ", InUse().first - before);
        return kept && LinkTarget("/usr/Varen/tvxx") == t + "/b3/Varen/tvxx" ? 0 : 1;
    });
    EXPECT_TRUE(run.status == 0 && run.out == "0 0 0 0 0 0 0 ") << run.status << run.out << run.err;
}
// The record written for a first installation and over it (a private /var/lib) gives back every node;
// a file root cannot read (without the capability to override modes) is recorded without content.
TEST(Record, WritingReleasesWhatItTook) {
    std::string t = MakeTempDir(), rec = "/var/lib/varen-tvxx/installed";
    ChildRun run = RunInChild([&] {
        if (unshare(CLONE_NEWNS) != 0 || mount("e", "/var/lib", "tmpfs", 0, "mode=755") != 0)
            return 9;
        Sh("mkdir -p " + t + "/app/sub && echo f >" + t + "/app/sub/f && echo s >" + t + "/sums"), InitSysCmdList();
        WriteFile(t + "/app/secret", "s", 0), pAppDir = SaveStr("%s/app", t.c_str());
        pVarenInstallDir = SaveStr("%s/work", t.c_str());
        for (int i = 0; i < 2 && DropCapabilities(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH); i++) {
            long before = InUse().first;
            PrepareRecord(t.c_str(), "sums"), WriteRecord(true);
            printf("%ld ", InUse().first - before);
        }
        std::string text = ReadFile(rec);
        return printf("%d %d", Count(text, t + "/app/sub/f"), Count(text, "\truntime\tf")) < 0 ? 8 : 0; // secret
    });
    EXPECT_TRUE(run.status == 0 && run.out == "0 0 1 1") << run.status << run.out << run.err;
}
} // namespace
