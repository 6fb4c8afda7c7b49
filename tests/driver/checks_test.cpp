// Tests of the checks before installing, with fake df, du and ps commands
// whose canned output the tests choose, and the reply on standard input.
#include "driver/checks.h"
#include "install/running.h"

#include "support/errors.h"
#include "support/savestr.h"
#include "testutil.h"

#include <chrono>

namespace {

using tu::ChildRun;
using tu::Msg;
using tu::WriteFile;

constexpr int PASSED = 100; // the check returned: the run may go on

// A scratch install site with size files, a work-area parent T/w, an install
// base T/i and fake df and du in T/bin that print the data lines of the
// files df.w, df.i and df.o (for any other path) and the figures of du.w and
// du.i. Equal df lines mean one shared file system; an empty df file gives
// no output at all.
struct SpaceCase {
    std::string t = tu::MakeTempDir();
    std::string work = t + "/w/VarenInstall";
    std::string base = t + "/i";

    SpaceCase() {
        for (const char *d : {"/site", "/bin", "/w", "/i"})
            mkdir((t + d).c_str(), 0755);
        Sizes("1000\n", "500\n");
        WriteFile(t + "/bin/df",
                  "#!/bin/sh\necho \"$1\" >> " + t + "/dfcalls\ncase \"$1\" in " + t +
                      "/w*) f=w;; " + t + "/i*) f=i;; *) f=o;; esac\n[ -s " + t +
                      "/df.$f ] && echo 'Filesystem 1K-blocks Used Available Use% Mounted on' "
                      "&& cat " +
                      t + "/df.$f\n",
                  0755);
        WriteFile(t + "/bin/du",
                  "#!/bin/sh\ncase \"$2\" in " + t + "/w*) f=w;; *) f=i;; esac\necho \"$(cat " + t +
                      "/du.$f)\t$2\"\n",
                  0755);
    }
    void Sizes(const char *isize, const char *tsize) {
        for (auto [name, text] : {std::pair{"/site/isize", isize}, {"/site/tsize", tsize}}) {
            unlink((t + name).c_str());
            if (text != nullptr)
                WriteFile(t + name, text);
        }
    }
    void Df(const std::string &workLine, const std::string &instLine,
            const std::string &otherLine = "rootfs 1 1 99999999 1% /") {
        WriteFile(t + "/df.w", workLine.empty() ? "" : workLine + "\n");
        WriteFile(t + "/df.i", instLine + "\n");
        WriteFile(t + "/df.o", otherLine + "\n");
    }
    void Du(const std::string &workFigure, const std::string &instFigure) {
        WriteFile(t + "/du.w", workFigure);
        WriteFile(t + "/du.i", instFigure);
    }
    ChildRun Run() {
        return tu::RunInChild([&] {
            unsetenv("LANG");
            pPathToSetup = SaveStr("%s/site", t.c_str());
            ComList[CMD_DF].pPath = ComList[CMD_DU].pPath = SaveStr("%s/bin", t.c_str());
            pVarenInstallDir = SaveStr("%s", work.c_str());
            pTargetInstallDir = SaveStr("%s", base.c_str());
            FreeSpaceForInstall(pVarenInstallDir, pTargetInstallDir, "Varen");
            return PASSED;
        });
    }
    // What the check says: its output, or "passed".
    std::string Say() {
        ChildRun run = Run();
        if (run.status == PASSED && run.out.empty())
            return "passed";
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        return run.out;
    }
};

std::string Line(const char *fs, double avail) {
    char buf[128];
    snprintf(buf, sizeof buf, "%s 1 1 %.0f 1%% /m", fs, avail);
    return buf;
}

// The stops and boundaries of each side are checked end to end; here the
// reading of the size figures and a df that gives no figure.
TEST(FreeSpace, SizeFiguresAndMissingDfFigure) {
    SpaceCase c;
    c.Df(Line("workfs", 39), Line("instfs", 5000));
    c.Sizes("1000\n", "abc 500\n"); // no number at the start: the margin alone
    EXPECT_EQ(c.Say(), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 40.0));
    c.Sizes("1000\n", "  \t500 bytes\n");
    EXPECT_EQ(c.Say(), Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 540.0));
    c.Sizes(nullptr, "500\n");
    EXPECT_EQ(c.Say(), Msg(MSG_NO_ISIZE));
    // No figure for the work side: no check at all, whatever the needs.
    c.Sizes("99999999\n", "99999999\n");
    c.Df("", Line("instfs", 1));
    EXPECT_EQ(c.Say(), "passed");
}

TEST(FreeSpace, SharedFileSystemCountsFreeRoomOnceAndOldDirectoriesAsFree) {
    SpaceCase c;
    std::string shared = Msg(MSG_SHARED_TOO_SMALL, c.work.c_str(), c.base.c_str(), 1580.0);
    c.Df(Line("fs", 1579), Line("fs", 1579));
    EXPECT_EQ(c.Say(), shared);
    c.Df(Line("fs", 1580), Line("fs", 1580));
    EXPECT_EQ(c.Say(), "passed");

    // An upgrade in place: the old application directory's 600 count as free.
    mkdir((c.base + "/Varen").c_str(), 0755);
    mkdir((c.base + "/Varen/tvxx").c_str(), 0755);
    c.Df(Line("fs", 1000), Line("fs", 1000));
    c.Du("0", "600");
    EXPECT_EQ(c.Say(), "passed");
    c.Du("0", "579");
    EXPECT_EQ(c.Say(), shared);
    // An old work area counts as well, on top of it.
    mkdir(c.work.c_str(), 0755);
    c.Du("1", "579");
    EXPECT_EQ(c.Say(), "passed");
}

// The stop at the nearest existing install place has a text of its own.
TEST(FreeSpace, FullInstallPlaceHasItsOwnText) {
    SpaceCase c;
    c.Df(Line("workfs", 5000), Line("instfs", 17));
    EXPECT_EQ(c.Say(), Msg(MSG_PLACE_FULL, c.base.c_str()));
    // 18 passes this stop; the size check then speaks.
    c.Df(Line("workfs", 5000), Line("instfs", 18));
    EXPECT_EQ(c.Say(), Msg(MSG_INST_TOO_SMALL, c.base.c_str(), 1040.0));

    // A base that does not exist yet: the root file system is measured.
    c.base = c.t + "/nothere/base";
    c.Df(Line("workfs", 5000), Line("instfs", 0), Line("rootfs", 17));
    EXPECT_EQ(c.Say(), Msg(MSG_PLACE_FULL, "/"));
    unlink((c.t + "/dfcalls").c_str());
    c.Df(Line("workfs", 5000), Line("instfs", 0), Line("rootfs", 2000));
    EXPECT_EQ(c.Say(), "passed");
    EXPECT_NE(tu::ReadFile(c.t + "/dfcalls").find("\n/\n"), std::string::npos);
}

// A fake ps that shows tvqadmin as processes 812 and 907 (and a look-alike)
// for the first `runs` questions, and nothing afterwards.
struct PsCase {
    std::string t = tu::MakeTempDir();
    explicit PsCase(int runs) {
        WriteFile(t + "/ps",
                  "#!/bin/sh\nn=$(cat " + t +
                      "/count 2>/dev/null || echo 0)\nn=$((n+1))\necho $n > " + t +
                      "/count\necho '  PID CLS PRI TTY          TIME CMD'\nif [ $n -le " +
                      std::to_string(runs) +
                      " ]; then\n"
                      "echo '  812 TS   19 pts/0    00:00:00 tvqadmin'\n"
                      "echo '  907 TS   19 pts/0    00:00:00 tvqadmin'\n"
                      "echo '  950 TS   19 pts/0    00:00:00 tvqadmin2'\nfi\n",
                  0755);
    }
    ChildRun Run(const std::string &input) {
        return tu::RunInChild(
            [&] {
                unsetenv("LANG");
                ComList[CMD_PS].pPath = SaveStr("%s", t.c_str());
                return PASSED + QuitForRunningProcesses(",tvqadmin,vsf,");
            },
            input);
    }
};

std::string Menu() {
    return Msg(MSG_RUNNING) + "tvqadmin ( 812 907 )\n\n" + Msg(MSG_WOULD_YOU) +
           Msg(MSG_CHOICE_WAIT) + Msg(MSG_CHOICE_QUIT) + Msg(MSG_SELECT);
}

// A reply that is no choice shows the menu again after a fresh check. End of
// input, at once or after such a reply, quits with status 1 and one line on
// standard error; it never loops.
TEST(RunningPrograms, RepliesAndEndOfInput) {
    struct {
        const char *input;
        int status, menus;
        std::string err;
    } cases[] = {{"3\nx\n2\n", PASSED + 1, 3, ""},
                 {"", 1, 1, Msg(MSG_NO_ANSWER)},
                 {"3\n", 1, 2, Msg(MSG_NO_ANSWER)}};
    for (const auto &c : cases) {
        ChildRun run = PsCase(100).Run(c.input);
        EXPECT_EQ(run.status, c.status) << c.input;
        std::string menus;
        for (int i = 0; i < c.menus; i++)
            menus += Menu();
        EXPECT_EQ(run.out, menus) << c.input;
        EXPECT_EQ(run.err, c.err) << c.input;
    }
}

TEST(RunningPrograms, WaitingEndsAfterTheStepInWhichTheProgramsStopped) {
    PsCase ps(1); // running at the first question only
    auto start = std::chrono::steady_clock::now();
    ChildRun run = ps.Run("1\n");
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(run.status, PASSED + 0);
    EXPECT_EQ(run.out, Menu());
    // Two checks (the first and the one after the first step), one ps for
    // each of the two names.
    EXPECT_EQ(atoi(tu::ReadFile(ps.t + "/count").c_str()), 4);
    EXPECT_GE(seconds, 4.5);
    EXPECT_LT(seconds, 15);
}

} // namespace
