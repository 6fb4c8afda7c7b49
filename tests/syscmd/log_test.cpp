// Tests of the log (truncation by a new run, mode 0666 of a new file, links at
// the log path never followed) and of GetToolPath and GetUserName.
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

class Log : public testing::Test {
  protected:
    void SetUp() override {
        unlink(LOG);
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
    struct stat st;
    stat(LOG, &st);
    EXPECT_EQ(0666u, st.st_mode & 07777);

    chmod(LOG, 0600);
    flLogFirstWrite = true; // the next run
    PutLogMsg("run 2\n");
    umask(old);
    EXPECT_EQ("run 2\n", Read(LOG));
    stat(LOG, &st);
    EXPECT_EQ(0600u, st.st_mode & 07777);
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

    unlink(LOG);
    symlink("/tmp/through-link", LOG); // a dangling link
    flLogFirstWrite = true;
    PutLogMsg("again\n");
    EXPECT_NE(0, access("/tmp/through-link", F_OK));
    EXPECT_EQ("again\n", Read(LOG));

    // A link planted after the first write is refused, and the run goes on.
    unlink(LOG);
    symlink(target.c_str(), LOG);
    testing::internal::CaptureStderr();
    PutLogMsg("later\n");
    EXPECT_EQ("ERROR: couldn't open /tmp/setup.log\n", testing::internal::GetCapturedStderr());
    EXPECT_EQ("precious\n", Read(target));
}

TEST(ToolPath, DirectoryOfTheRunningProgram) {
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
}

TEST(UserName, FromWhoamiOrTheUserId) {
    char tmpl[] = "/tmp/unXXXXXX";
    std::string dir = mkdtemp(tmpl), whoami = dir + "/whoami";
    std::ofstream(whoami) << "#!/bin/sh\nprintf 'bob\\r\\nsecond\\n'\n";
    chmod(whoami.c_str(), 0755);
    flInitSysCmd = false;
    ComList[CMD_WHOAMI].pPath = dir.c_str();
    EXPECT_EQ("bob", Take(GetUserName()));
    ComList[CMD_WHOAMI].pPath = nullptr;
    EXPECT_EQ("root", Take(GetUserName()));
    EXPECT_EXIT(exit(setuid(500) == 0 && Take(GetUserName()) == "User ID:  500" ? 0 : 1),
                testing::ExitedWithCode(0), "");
}

} // namespace
