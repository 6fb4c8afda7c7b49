// Tests of running commands: the exact logged line, the progress dot, the redirections, failure by
// exit status and by signal in each mode, quiet calls, unlocated commands, overlong lines, the
// after-run rules, the output reader.
#include "syscmd/run.h"
#include "testutil.h"

// The pauses of the after-run rules are counted here instead of waited for.
static unsigned Slept = 0;
extern "C" unsigned sleep(unsigned seconds) { return Slept += seconds, 0; }

namespace {

using tu::ReadFile;
const char LOG[] = "/tmp/setup.log";

// Logging on, sh and the real commands in /bin, a fresh log per test.
class Run : public testing::Test {
  protected:
    void SetUp() override {
        for (ComEntry &row : ComList)
            row.pPath = nullptr;
        for (int id : {CMD_SH, CMD_RM_R, CMD_CAT, CMD_ECHO})
            ComList[id].pPath = "/bin";
        flInitSysCmd = false, flUseLog = 1, flSysCmdLog = true, flLogFirstWrite = true;
        unlink(LOG);
    }
    void TearDown() override { flUseLog = 0, flSysCmdLog = false, ComList[CMD_ECHO].Delay = 0; }
    std::string dir = tu::MakeTempDir();
};

// Failure is judged by the exit status or signal, never by errno; the rm line is the byte-exact
// example of a logged table command. (Whole runs check mode 2.)
TEST_F(Run, LoggedLinesAndFailuresInEachMode) {
    std::string victim = dir + "/x";
    mkdir(victim.c_str(), 0755);
    // In a child (its failures are kept for the program's life); mode-1 failures are counted, lines
    // as logged.
    tu::ChildRun run = tu::RunInChild([&] {
        for (int result : {SysCmd(CMD_RM_R, MODE_WARN, " %s", victim.c_str()),
                           SysCmd(CMD_LINE, MODE_FATAL, "sh -c 'echo out; echo err >&2'"),
                           SysCmd(CMD_LINE, MODE_WARN, "false"), SysCmd(CMD_LINE, MODE_WARN, "sh -c 'exit 3'"),
                           SysCmd(CMD_LINE, MODE_WARN, "kill -KILL $$"), SysCmd(CMD_LINE, MODE_QUIET, "sh -c 'echo hidden; exit 5'")})
            fprintf(stderr, "%d ", result);
        return fprintf(stderr, "%d %s", FailureCount(), FailedStep(2)) < 0;
    });
    EXPECT_EQ("..... 0 0 1 3 137 5 3 kill -KILL $$", run.out + " " + run.err);
    EXPECT_FALSE(tu::Exists(victim));
    EXPECT_EQ("/bin/sh -c \"/bin/rm -rf  " + victim + "\nsh -c 'echo out; echo err >&2'\nout\nerr\nfalse\n"
              "WARNING_MSG: exit status 1\nsh -c 'exit 3'\nWARNING_MSG: exit status 3\nkill -KILL $$\n"
              "WARNING_MSG: killed by signal 9 (Killed)\n", ReadFile(LOG));
}

// Quiet calls are neither logged nor redirected; an unlocated command ends the run with status 1.
TEST_F(Run, QuietCallsAndUnlocatedCommands) {
    std::string src = dir + "/src", dst = dir + "/dst";
    tu::WriteFile(src, "data\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, SysCmd(-CMD_CAT, MODE_FATAL, " %s >> %s", src.c_str(), dst.c_str()) + SysCmd(CMD_NONE, MODE_WARN, "echo shown"));
    EXPECT_EQ("shown\ndata\n", testing::internal::GetCapturedStdout() + ReadFile(dst));
    EXPECT_FALSE(tu::Exists(LOG));
    EXPECT_EXIT(SysCmd(-CMD_CAT, MODE_FATAL, " %s/missing", dir.c_str()), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(SysCmd(CMD_LPSTAT, MODE_QUIET, " -a"), testing::ExitedWithCode(1), "^ERROR: unable to locate system command 'lpstat'\n$");
    EXPECT_EXIT(GetCmdResponse(CMD_DF, nullptr, "/"), testing::ExitedWithCode(1), "^ERROR: unable to locate system command 'df'\n$");
    EXPECT_EQ(nullptr, GetCmd(CMD_LPSTAT));
}

TEST_F(Run, OverlongLinesAreNeverRun) {
    // Mode 0 adds " 1>/dev/null 2>/dev/null" (24 characters): 4095 in all fit, one more does not.
    std::string made = dir + "/made", fits = "touch " + made;
    fits.resize(4095 - 24, ' ');
    EXPECT_EQ(E2BIG, SysCmd(CMD_NONE, MODE_QUIET, "%s ", fits.c_str()));
    EXPECT_FALSE(tu::Exists(made));
    EXPECT_EQ(0, SysCmd(CMD_NONE, MODE_QUIET, "%s", fits.c_str()));
    EXPECT_EQ(0, unlink(made.c_str()));
    std::string longer = "touch " + made + " #" + std::string(5000, 'a');
    EXPECT_EQ(E2BIG, tu::RunInChild([&] { return SysCmd(CMD_LINE, MODE_WARN, "%s", longer.c_str()); }).status);
    EXPECT_EQ("WARNING_MSG: Argument list too long\n", ReadFile(LOG)); // counted failures stay in the child
    EXPECT_EXIT(SysCmd(CMD_ECHO, MODE_FATAL, "%s", longer.c_str()), testing::ExitedWithCode(1), "");
    EXPECT_EQ(nullptr, GetCmdResponse(CMD_LINE, nullptr, "%s", longer.c_str()));
    EXPECT_FALSE(tu::Exists(made));
}

// Delay > 0 pauses that many seconds; -1 asks ps once a second until it lists an "echo" process
// (this one does from its third call on), at most 11 times.
TEST_F(Run, AfterRunPauseAndProcessWait) {
    ComList[CMD_ECHO].Delay = 2, Slept = 0;
    SysCmd(CMD_ECHO, MODE_QUIET, "x");
    EXPECT_EQ(2u, Slept);
    ComList[CMD_ECHO].Delay = -1;
    std::string calls = dir + "/calls";
    tu::FakeCmd(CMD_PS, dir, "echo >> " + calls + "; [ $(wc -l < " + calls + ") -ge 3 ] && echo ' 42 ? S 0:00 0 echo'");
    SysCmd(CMD_ECHO, MODE_QUIET, "x");
    EXPECT_TRUE(ReadFile(calls) == "\n\n\n" && !tu::Exists(LOG));
    tu::FakeCmd(CMD_PS, dir, "echo >> " + calls);
    unlink(calls.c_str()), Slept = 0;
    SysCmd(CMD_ECHO, MODE_QUIET, "x");
    EXPECT_TRUE(ReadFile(calls) == std::string(11, '\n') && Slept == 10u);
    EXPECT_EQ("ERROR: Time out for command echo\n", ReadFile(LOG));
}

// Output comes in lines of at most 4095 characters, only those holding the filter text if given.
TEST_F(Run, ResponseLinesInPieces) {
    auto take = [](ResponseLine *all) {
        std::string got;
        for (ResponseLine *l = all; l; l = l->pNextLine)
            got += std::string(l->pText) + "|";
        return FreeResponseList(all), got;
    };
    tu::FakeCmd(CMD_PS, dir, "echo \"$*\"; echo LPRng; head -c 5000 /dev/zero | tr '\\0' a; echo");
    EXPECT_EQ("-ace arg\n|LPRng\n|" + std::string(4095, 'a') + "|" + std::string(905, 'a') + "\n|", take(GetCmdResponse(CMD_PS, "", "%s", "arg")));
    EXPECT_EQ("LPRng\n|", take(GetCmdResponse(CMD_PS, "LPRng", "%s", "")));
    EXPECT_EQ("", take(GetCmdResponse(CMD_LINE, "cups", "echo LPRng")));
}

} // namespace
