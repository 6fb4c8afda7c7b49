// Tests of the log (truncation by a new run, mode 0666 of a new file, links
// at the log path never followed, unopenable log) and of the start-up
// queries GetToolPath, GetEnv and GetUserName.
#include "syscmd/log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "support/mem.h"
#include "syscmd/cmdtable.h"

namespace {

const char LOG[] = "/tmp/setup.log";

std::string Read(const std::string &path) {
    std::stringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

std::string Take(char *text) {
    std::string s = text ? text : "(null)";
    PutMem(text);
    return s;
}

mode_t ModeOf(const char *path) {
    struct stat st;
    return stat(path, &st) == 0 ? st.st_mode & 07777 : 0;
}

class Log : public testing::Test {
  protected:
    void SetUp() override {
        unlink(LOG);
        rmdir(LOG);
        flUseLog = 1;
        flLogFirstWrite = true;
    }
    void TearDown() override { flUseLog = 0; }
};

TEST_F(Log, NewRunTruncatesAndNewFileIsWorldWritable) {
    mode_t old = umask(022);
    PutLogMsg("run %d\n", 1);
    PutLogMsg("more\n");
    EXPECT_EQ("run 1\nmore\n", Read(LOG));
    EXPECT_EQ(0666u, ModeOf(LOG));

    chmod(LOG, 0600);
    flLogFirstWrite = true; // the next run
    PutLogMsg("run 2\n");
    umask(old);
    EXPECT_EQ("run 2\n", Read(LOG));
    EXPECT_EQ(0600u, ModeOf(LOG));

    flUseLog = 0;
    PutLogMsg("off\n");
    EXPECT_EQ("run 2\n", Read(LOG));
}

TEST_F(Log, PlantedLinksAreNeverFollowed) {
    std::string target = "/tmp/log-target";
    std::ofstream(target) << "precious\n";
    symlink(target.c_str(), LOG);
    PutLogMsg("first\n");
    EXPECT_EQ("precious\n", Read(target));
    struct stat st;
    ASSERT_EQ(0, lstat(LOG, &st));
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ("first\n", Read(LOG));

    // A dangling link does not create its target.
    unlink(LOG);
    symlink("/tmp/created-through-link", LOG);
    flLogFirstWrite = true;
    PutLogMsg("again\n");
    EXPECT_NE(0, access("/tmp/created-through-link", F_OK));
    EXPECT_EQ("again\n", Read(LOG));

    // A link planted later is refused, not followed.
    unlink(LOG);
    symlink(target.c_str(), LOG);
    testing::internal::CaptureStderr();
    PutLogMsg("later\n");
    EXPECT_EQ("ERROR: couldn't open /tmp/setup.log\n", testing::internal::GetCapturedStderr());
    EXPECT_EQ("precious\n", Read(target));
    unlink(LOG);
}

TEST_F(Log, UnopenableLogIsReportedAndTheRunGoesOn) {
    mkdir(LOG, 0755);
    std::ofstream(std::string(LOG) + "/keep") << "x";
    testing::internal::CaptureStderr();
    PutLogMsg("lost\n");
    PutLogMsg("lost\n");
    EXPECT_EQ("ERROR: couldn't open /tmp/setup.log\nERROR: couldn't open /tmp/setup.log\n",
              testing::internal::GetCapturedStderr());
    unlink((std::string(LOG) + "/keep").c_str());
    rmdir(LOG);
}

TEST(ToolPath, DirectoryOfTheRunningProgram) {
    char saved[4096];
    ASSERT_NE(nullptr, getcwd(saved, sizeof(saved)));
    char tmpl[] = "/tmp/tpXXXXXX";
    std::string cwd = mkdtemp(tmpl);
    ASSERT_EQ(0, chdir(cwd.c_str()));
    EXPECT_EQ("/mnt/cd", Take(GetToolPath("/mnt/cd/setup")));
    EXPECT_EQ("/", Take(GetToolPath("/setup")));
    EXPECT_EQ(cwd, Take(GetToolPath("setup")));
    EXPECT_EQ(cwd, Take(GetToolPath("./setup")));
    EXPECT_EQ(cwd + "/bin", Take(GetToolPath("bin/setup")));
    EXPECT_EQ(cwd + "/..", Take(GetToolPath("../setup")));
    EXPECT_EQ(cwd + "/./sub", Take(GetToolPath("./sub/setup")));
    EXPECT_EQ(cwd + "/../dir", Take(GetToolPath("../dir/setup")));
    ASSERT_EQ(0, chdir("/"));
    EXPECT_EQ("/sub", Take(GetToolPath("sub/setup")));
    ASSERT_EQ(0, chdir(saved));
}

TEST(Env, PrivateCopies) {
    setenv("LOG_TEST_VAR", "value", 1);
    char *copy = GetEnv("LOG_TEST_VAR");
    EXPECT_NE(getenv("LOG_TEST_VAR"), copy);
    EXPECT_EQ("value", Take(copy));
    setenv("LOG_TEST_VAR", "", 1);
    EXPECT_EQ("", Take(GetEnv("LOG_TEST_VAR")));
    unsetenv("LOG_TEST_VAR");
    EXPECT_EQ("(null)", Take(GetEnv("LOG_TEST_VAR")));
}

TEST(UserName, FromWhoamiOrTheUserId) {
    char tmpl[] = "/tmp/unXXXXXX";
    std::string dir = mkdtemp(tmpl);
    std::string whoami = dir + "/whoami";
    std::ofstream(whoami) << "#!/bin/sh\nprintf 'bob\\r\\nsecond\\n'\n";
    chmod(whoami.c_str(), 0755);
    flInitSysCmd = false;
    ComList[CMD_WHOAMI].pPath = dir.c_str();
    EXPECT_EQ("bob", Take(GetUserName()));
    std::ofstream(whoami) << "#!/bin/sh\n";
    EXPECT_EQ("(null)", Take(GetUserName()));

    ComList[CMD_WHOAMI].pPath = nullptr;
    EXPECT_EQ("root", Take(GetUserName()));
    EXPECT_EXIT(
        {
            if (setuid(500) != 0)
                exit(2);
            exit(Take(GetUserName()) == "User ID:  500" ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace
