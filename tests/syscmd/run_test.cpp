// Tests of running commands: the exact logged line, the progress dot, the
// redirections, failure by exit status and by signal in each mode, quiet
// calls, unlocated commands, command lines too long for the buffer, the
// after-run pauses and the output reader.
#include "syscmd/run.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "support/mem.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"

namespace {

std::string Read(const std::string &path) {
    std::stringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

void Script(const std::string &path, const std::string &body) {
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
}

const char LOG[] = "/tmp/setup.log";

// Logging on, sh and the real commands in /bin, a fresh log per test.
class Run : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/runXXXXXX";
        dir = mkdtemp(tmpl);
        for (ComEntry &row : ComList)
            row.pPath = nullptr;
        ComList[CMD_SH].pPath = "/bin";
        ComList[CMD_RM_R].pPath = "/bin";
        ComList[CMD_CAT].pPath = "/bin";
        ComList[CMD_ECHO].pPath = "/bin";
        flInitSysCmd = false;
        flUseLog = 1;
        flSysCmdLog = true;
        flLogFirstWrite = true;
        unlink(LOG);
    }
    void TearDown() override {
        flUseLog = 0;
        flSysCmdLog = false;
        ComList[CMD_ECHO].Delay = 0;
        ComList[CMD_PS].pPath = nullptr;
    }
    std::string dir;
};

TEST_F(Run, LoggedLineIsByteExactAndOutputGoesToTheLog) {
    std::string victim = dir + "/x";
    mkdir(victim.c_str(), 0755);
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, SysCmd(CMD_RM_R, MODE_WARN, " %s", victim.c_str()));
    EXPECT_EQ(0, SysCmd(CMD_LINE, MODE_FATAL, "sh -c 'echo out; echo err >&2'"));
    EXPECT_EQ("..", testing::internal::GetCapturedStdout());
    EXPECT_NE(0, access(victim.c_str(), F_OK));
    EXPECT_EQ("/bin/sh -c \"/bin/rm -rf  " + victim + "\nsh -c 'echo out; echo err >&2'\nout\nerr\n",
              Read(LOG));
}

TEST_F(Run, FailuresByStatusAndSignalInEachMode) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, SysCmd(CMD_LINE, MODE_WARN, "true"));
    EXPECT_EQ(1, SysCmd(CMD_LINE, MODE_WARN, "false"));
    EXPECT_EQ(3, SysCmd(CMD_LINE, MODE_WARN, "sh -c 'exit 3'"));
    EXPECT_EQ(128 + 9, SysCmd(CMD_LINE, MODE_WARN, "kill -KILL $$"));
    EXPECT_EQ(5, SysCmd(CMD_LINE, MODE_QUIET, "sh -c 'echo hidden; exit 5'"));
    EXPECT_EQ("....", testing::internal::GetCapturedStdout());
    EXPECT_EQ("true\nfalse\nWARNING_MSG: exit status 1\n"
              "sh -c 'exit 3'\nWARNING_MSG: exit status 3\n"
              "kill -KILL $$\nWARNING_MSG: killed by signal 9 (Killed)\n",
              Read(LOG));

    // Mode 2 ends the run with status 1 and says why on standard output.
    std::string out = dir + "/stdout";
    EXPECT_EXIT(
        {
            freopen(out.c_str(), "w", stdout);
            SysCmd(CMD_LINE, MODE_FATAL, "exit 4");
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EQ(".ERROR: exit status 4\n", Read(out));
    EXPECT_NE(std::string::npos, Read(LOG).find("exit 4\nERROR: exit status 4\n"));
}

TEST_F(Run, QuietCallsAreNotLoggedNorRedirected) {
    std::string src = dir + "/src", dst = dir + "/dst";
    std::ofstream(src) << "data\n";
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, SysCmd(-CMD_CAT, MODE_FATAL, " %s >> %s", src.c_str(), dst.c_str()));
    EXPECT_EQ(0, SysCmd(CMD_NONE, MODE_WARN, "echo shown"));
    EXPECT_EQ(0, SysCmd(CMD_LINE, MODE_QUIET, "echo discarded"));
    EXPECT_EQ("shown\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ("data\n", Read(dst));
    EXPECT_EQ(-1, access(LOG, F_OK));
    // A quiet failure in mode 2 still ends the run.
    EXPECT_EXIT(SysCmd(-CMD_CAT, MODE_FATAL, " %s/missing", dir.c_str()),
                testing::ExitedWithCode(1), "");
}

TEST_F(Run, LoggingOffSendsOutputNowhere) {
    flUseLog = 0;
    flSysCmdLog = false;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, SysCmd(CMD_LINE, MODE_WARN, "echo lost"));
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ(-1, access(LOG, F_OK));
}

TEST_F(Run, UnlocatedCommandEndsTheRunWithStatusOne) {
    EXPECT_EXIT(SysCmd(CMD_LPSTAT, MODE_QUIET, " -a"), testing::ExitedWithCode(1),
                "^ERROR: unable to locate system command 'lpstat'\n$");
    EXPECT_EXIT(GetCmdResponse(CMD_DF, nullptr, "/"), testing::ExitedWithCode(1),
                "^ERROR: unable to locate system command 'df'\n$");
    EXPECT_EQ(nullptr, GetCmd(CMD_LPSTAT));
    EXPECT_EQ(nullptr, GetCmd(CMD_LINE));
}

TEST_F(Run, LinesThatDoNotFitAreNeverRun) {
    // Mode 0 adds " 1>/dev/null 2>/dev/null" (24 characters) to the text:
    // 4095 characters in all fit the buffer, one more does not.
    std::string made = dir + "/made";
    std::string text = "touch " + made;
    std::string fits = text + std::string(4095 - 24 - text.size(), ' ');
    EXPECT_EQ(E2BIG, SysCmd(CMD_NONE, MODE_QUIET, "%s ", fits.c_str()));
    EXPECT_NE(0, access(made.c_str(), F_OK));
    EXPECT_EQ(0, SysCmd(CMD_NONE, MODE_QUIET, "%s", fits.c_str()));
    EXPECT_EQ(0, access(made.c_str(), F_OK));
    unlink(made.c_str());

    std::string longer = "touch " + made + " #" + std::string(5000, 'a');
    testing::internal::CaptureStdout();
    EXPECT_EQ(E2BIG, SysCmd(CMD_LINE, MODE_WARN, "%s", longer.c_str()));
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ("WARNING_MSG: Argument list too long\n", Read(LOG));
    EXPECT_EXIT(SysCmd(CMD_ECHO, MODE_FATAL, "%s", longer.c_str()), testing::ExitedWithCode(1), "");
    EXPECT_NE(0, access(made.c_str(), F_OK));
    EXPECT_EQ(nullptr, GetCmdResponse(CMD_LINE, nullptr, "%s", longer.c_str()));
    EXPECT_NE(0, access(made.c_str(), F_OK));
}

TEST_F(Run, AfterRunPausesAndProcessWait) {
    using Clock = std::chrono::steady_clock;
    ComList[CMD_ECHO].Delay = 1;
    auto start = Clock::now();
    SysCmd(CMD_ECHO, MODE_QUIET, "x");
    EXPECT_GE(Clock::now() - start, std::chrono::seconds(1));

    // Delay -1: ps is asked until it lists an "echo" process; this fake ps
    // lists one from its third call on.
    ComList[CMD_ECHO].Delay = -1;
    ComList[CMD_PS].pPath = dir.c_str();
    std::string calls = dir + "/calls";
    Script(dir + "/ps", "echo x >> " + calls + "\n[ $(wc -l < " + calls +
                            ") -ge 3 ] && echo ' 42 ? S 0:00 0 echo'");
    start = Clock::now();
    SysCmd(CMD_ECHO, MODE_QUIET, "x");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ("x\nx\nx\n", Read(calls));
    EXPECT_EQ(-1, access(LOG, F_OK));

    // Never listed: 11 questions, then the time-out line.
    Script(dir + "/ps", "echo x >> " + calls);
    unlink(calls.c_str());
    SysCmd(CMD_ECHO, MODE_QUIET, "x");
    std::string eleven;
    for (int i = 0; i < 11; i++)
        eleven += "x\n";
    EXPECT_EQ(eleven, Read(calls));
    EXPECT_EQ("ERROR: Time out for command echo\n", Read(LOG));
}

TEST_F(Run, ResponseLinesCommandTextAndPieces) {
    Script(dir + "/ps", "echo \"$*\"; echo LPRng here; head -c 5000 /dev/zero | tr '\\0' a; echo");
    ComList[CMD_PS].pPath = dir.c_str();
    ComList[CMD_WHOAMI].pPath = "/usr/bin";
    char *cmd = GetCmd(CMD_WHOAMI);
    EXPECT_STREQ("/usr/bin/whoami ", cmd);
    PutMem(cmd);

    ResponseLine *all = GetCmdResponse(CMD_PS, "", "%s", "arg");
    std::vector<std::string> got;
    for (ResponseLine *l = all; l; l = l->pNextLine)
        got.push_back(l->pText);
    FreeResponseList(all);
    ASSERT_EQ(4u, got.size());
    EXPECT_EQ("-ace arg\n", got[0]);
    EXPECT_EQ(std::string(4095, 'a'), got[2]);
    EXPECT_EQ(std::string(905, 'a') + "\n", got[3]);

    ResponseLine *some = GetCmdResponse(CMD_PS, "LPRng", "%s", "");
    ASSERT_NE(nullptr, some);
    EXPECT_STREQ("LPRng here\n", some->pText);
    EXPECT_EQ(nullptr, some->pNextLine);
    FreeResponseList(some);
    EXPECT_EQ(nullptr, GetCmdResponse(CMD_LINE, "cups", "echo LPRng"));
    FreeResponseList(nullptr);
}

} // namespace
