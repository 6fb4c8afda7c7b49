// Tests of the checks before installing, with fake df, du and ps commands
// whose canned output the tests choose, and the reply on standard input.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "child.h"
#include "driver/checks.h"
#include "driver/globals.h"
#include "driver/nls.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"

using namespace drvtest;

namespace {

// Formats an English message as the installer prints it.
template <class... Args> std::string Msg(int id, Args... args) {
    char buf[2048];
    snprintf(buf, sizeof buf, NLS_ENGLISH[id], args...);
    return buf;
}

constexpr int PASSED = 100; // the check returned: the run may go on

// A scratch install site with size files, a work-area parent T/w, an install
// base T/i and fake df and du in T/bin. The df lines name the file system:
// equal lines mean one shared file system.
struct SpaceCase {
    std::string t = MakeTempDir();
    std::string work = t + "/w/VarenInstall";
    std::string base = t + "/i";

    SpaceCase() {
        mkdir((t + "/site").c_str(), 0755);
        mkdir((t + "/bin").c_str(), 0755);
        mkdir((t + "/w").c_str(), 0755);
        mkdir(base.c_str(), 0755);
        Sizes("1000\n", "500\n");
    }
    void Sizes(const char *isize, const char *tsize) {
        unlink((t + "/site/isize").c_str());
        unlink((t + "/site/tsize").c_str());
        if (isize != nullptr) {
            WriteFile(t + "/site/isize", isize);
        }
        if (tsize != nullptr) {
            WriteFile(t + "/site/tsize", tsize);
        }
    }
    // Data lines (after the heading) that df prints for the work side, the
    // install side and anything else; an empty text prints no output at all.
    void Df(const std::string &workLine, const std::string &instLine,
            const std::string &otherLine = "rootfs 1 1 99999999 1% /") {
        auto answer = [](const std::string &line) {
            return line.empty() ? std::string(":")
                                : "echo 'Filesystem 1K-blocks Used Available Use% Mounted on'; "
                                  "echo '" +
                                      line + "'";
        };
        WriteFile(t + "/bin/df",
                  "#!/bin/sh\necho \"$1\" >> " + t + "/dfcalls\ncase \"$1\" in\n" + t + "/w*) " +
                      answer(workLine) + ";;\n" + t + "/i*) " + answer(instLine) + ";;\n*) " +
                      answer(otherLine) + ";;\nesac\n",
                  0755);
    }
    void Du(const std::string &workFigure, const std::string &instFigure) {
        WriteFile(t + "/bin/du",
                  "#!/bin/sh\ncase \"$2\" in\n" + t + "/w*) echo \"" + workFigure +
                      "\t$2\";;\n*) echo \"" + instFigure + "\t$2\";;\nesac\n",
                  0755);
    }
    ChildRun Run() {
        return RunInChild([&] {
            unsetenv("LANG");
            pPathToSetup = SaveStr("%s/site", t.c_str());
            pVarenInstallDir = SaveStr("%s", work.c_str());
            pTargetInstallDir = SaveStr("%s", base.c_str());
            ComList[CMD_DF].pPath = SaveStr("%s/bin", t.c_str());
            ComList[CMD_DU].pPath = SaveStr("%s/bin", t.c_str());
            FreeSpaceForInstall(pVarenInstallDir, pTargetInstallDir, "Varen");
            return PASSED;
        });
    }
};

std::string Line(const char *fs, double avail) {
    char buf[128];
    snprintf(buf, sizeof buf, "%s 1 1 %.0f 1%% /m", fs, avail);
    return buf;
}

TEST(FreeSpace, SeparateFileSystemsNeedEachItsOwnRoom) {
    SpaceCase c;
    c.Df(Line("workfs", 539), Line("instfs", 5000));
    ChildRun run = c.Run();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 540.0));
    EXPECT_NE(run.out.find("5.400000e+02"), std::string::npos);

    c.Df(Line("workfs", 540), Line("instfs", 1039));
    run = c.Run();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Msg(MSG_INST_TOO_SMALL, c.base.c_str(), 1040.0));

    c.Df(Line("workfs", 540), Line("instfs", 1040));
    run = c.Run();
    EXPECT_EQ(run.status, PASSED) << run.out << run.err;
    EXPECT_EQ(run.out, "");

    // Both short: only the work area is named.
    c.Df(Line("workfs", 10), Line("instfs", 20));
    EXPECT_EQ(c.Run().out, Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 540.0));
}

TEST(FreeSpace, SizeFilesMustBeThereAndTextCountsAsZero) {
    SpaceCase c;
    c.Df(Line("workfs", 39), Line("instfs", 5000));
    c.Sizes(nullptr, "500\n");
    ChildRun run = c.Run();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Msg(MSG_NO_ISIZE));
    c.Sizes("1000\n", nullptr);
    EXPECT_EQ(c.Run().out, Msg(MSG_NO_ISIZE));

    // No number at the start: the need is the margin alone.
    c.Sizes("1000\n", "abc 500\n");
    EXPECT_EQ(c.Run().out, Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 40.0));
    c.Sizes("1000\n", "  \t500 bytes\n");
    EXPECT_EQ(c.Run().out, Msg(MSG_WORK_TOO_SMALL, c.work.c_str(), 540.0));

    // No figure for the work side: no check at all, whatever the needs.
    c.Sizes("99999999\n", "99999999\n");
    c.Df("", Line("instfs", 1));
    EXPECT_EQ(c.Run().status, PASSED);
}

TEST(FreeSpace, SharedFileSystemCountsFreeRoomOnceAndOldDirectoriesAsFree) {
    SpaceCase c;
    c.Df(Line("fs", 1579), Line("fs", 1579));
    ChildRun run = c.Run();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Msg(MSG_SHARED_TOO_SMALL, c.work.c_str(), c.base.c_str(), 1580.0));
    c.Df(Line("fs", 1580), Line("fs", 1580));
    EXPECT_EQ(c.Run().status, PASSED);

    // An upgrade in place: the old application directory's 600 count as free.
    mkdir((c.base + "/Varen").c_str(), 0755);
    mkdir((c.base + "/Varen/tvxx").c_str(), 0755);
    c.Df(Line("fs", 1000), Line("fs", 1000));
    c.Du("0", "600");
    EXPECT_EQ(c.Run().status, PASSED);
    c.Du("0", "579");
    EXPECT_EQ(c.Run().out, Msg(MSG_SHARED_TOO_SMALL, c.work.c_str(), c.base.c_str(), 1580.0));

    // An old work area counts as well, on top of it.
    mkdir(c.work.c_str(), 0755);
    c.Du("1", "579");
    EXPECT_EQ(c.Run().status, PASSED);
}

TEST(FreeSpace, NearestExistingInstallPlaceNeedsMoreThanTheThreshold) {
    SpaceCase c;
    c.Df(Line("workfs", 5000), Line("instfs", 17));
    ChildRun run = c.Run();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Msg(MSG_PLACE_FULL, c.base.c_str()));

    // 18 passes this stop; the size check then speaks.
    c.Df(Line("workfs", 5000), Line("instfs", 18));
    EXPECT_EQ(c.Run().out, Msg(MSG_INST_TOO_SMALL, c.base.c_str(), 1040.0));

    // A base that does not exist yet: the root file system is measured.
    c.base = c.t + "/nothere/base";
    c.Df(Line("workfs", 5000), Line("instfs", 0), Line("rootfs", 17));
    EXPECT_EQ(c.Run().out, Msg(MSG_PLACE_FULL, "/"));
    unlink((c.t + "/dfcalls").c_str());
    c.Df(Line("workfs", 5000), Line("instfs", 0), Line("rootfs", 2000));
    EXPECT_EQ(c.Run().status, PASSED);
    EXPECT_NE(ReadFile(c.t + "/dfcalls").find("\n/\n"), std::string::npos);
}

// A fake ps that shows tvqadmin as processes 812 and 907 (and a look-alike)
// for the first `runs` questions, and nothing afterwards.
struct PsCase {
    std::string t = MakeTempDir();
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
        return RunInChild(
            [&] {
                unsetenv("LANG");
                ComList[CMD_PS].pPath = SaveStr("%s", t.c_str());
                return PASSED + QuitForRunningProcesses(",tvqadmin,vsf,");
            },
            input, 30);
    }
    int Questions() { return atoi(ReadFile(t + "/count").c_str()); }
};

std::string Menu() {
    return Msg(MSG_RUNNING) + "tvqadmin ( 812 907 )\n\n" + Msg(MSG_WOULD_YOU) +
           Msg(MSG_CHOICE_WAIT) + Msg(MSG_CHOICE_QUIT) + Msg(MSG_SELECT);
}

TEST(RunningPrograms, QuitAndOtherRepliesShowTheMenuAgain) {
    PsCase ps(100);
    ChildRun run = ps.Run("2\n");
    EXPECT_EQ(run.status, PASSED + 1);
    EXPECT_EQ(run.out, Menu());

    // "3" and a letter: a fresh check and the menu again, then quit.
    PsCase again(100);
    run = again.Run("3\nx\n2\n");
    EXPECT_EQ(run.status, PASSED + 1);
    EXPECT_EQ(run.out, Menu() + Menu() + Menu());
}

TEST(RunningPrograms, EndOfInputQuitsWithStatusOne) {
    PsCase ps(100);
    ChildRun run = ps.Run("");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, Menu());
    EXPECT_EQ(run.err, Msg(MSG_NO_ANSWER));

    // Input that ends after a reply that is no choice: one more menu, then
    // the same end, never a loop.
    PsCase ps2(100);
    run = ps2.Run("3\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, Menu() + Menu());
    EXPECT_EQ(run.err, Msg(MSG_NO_ANSWER));
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
    EXPECT_EQ(ps.Questions(), 4);
    EXPECT_GE(seconds, 4.5);
    EXPECT_LT(seconds, 15);
}

} // namespace
