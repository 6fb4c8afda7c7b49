// Tests of the log (truncation by a new run, mode 0666 of a new file, links at the log path never
// followed, anything not the run's own replaced) and of GetToolPath.
#include "testutil.h"

#include <sys/mount.h>

namespace {

using tu::ReadFile;
using tu::Take;
const char LOG[] = "/tmp/setup.log";

class Log : public testing::Test {
  protected:
    void SetUp() override {
        unlink(LOG);
        flUseLog = 1, flLogFirstWrite = true;
    }
    void TearDown() override { flUseLog = 0; }
};

TEST_F(Log, NewRunTruncatesAndNewFileIsWorldWritable) {
    mode_t old = umask(022);
    PutLogMsg("run %d\n", 1);
    PutLogMsg("more\n");
    EXPECT_TRUE(ReadFile(LOG) == "run 1\nmore\n" && tu::ModeOf(LOG) == 0666);
    chmod(LOG, 0600);
    flLogFirstWrite = true; // the next run: emptied at its first write
    EXPECT_TRUE(LogIsOwn() && ReadFile(LOG).empty());
    PutLogMsg("run 2\n");
    umask(old);
    EXPECT_TRUE(ReadFile(LOG) == "run 2\n" && tu::ModeOf(LOG) == 0600);
}

TEST_F(Log, PlantedLinksAreNeverFollowed) {
    std::string target = "/tmp/log-target";
    tu::WriteFile(target, "precious\n");
    symlink(target.c_str(), LOG);
    PutLogMsg("first\n");
    EXPECT_EQ("precious\n|first\n|", ReadFile(target) + "|" + ReadFile(LOG) + "|" + tu::LinkTarget(LOG));
    unlink(LOG);
    symlink("/tmp/through-link", LOG); // a dangling link
    flLogFirstWrite = true;
    PutLogMsg("again\n");
    EXPECT_TRUE(!tu::Exists("/tmp/through-link") && ReadFile(LOG) == "again\n");
    // A link or another file put there after the first write is refused, and the run goes on.
    for (bool link : {true, false}) {
        rename(LOG, "/tmp/setup.old");
        link ? (void)symlink(target.c_str(), LOG) : tu::WriteFile(LOG, "");
        testing::internal::CaptureStderr();
        PutLogMsg("later\n");
        EXPECT_EQ("ERROR: couldn't open /tmp/setup.log\n", testing::internal::GetCapturedStderr());
        EXPECT_EQ("precious\n", ReadFile(target));
    }
    // A new run removes whatever is not a file of its own with one name: a directory with content,
    // a second name of another file, another user's file; the log is made anew and the other file
    // never emptied.
    for (int kind = 0; kind < 3; kind++) {
        unlink(LOG);
        if (kind == 0)
            mkdir(LOG, 0777), tu::WriteFile(std::string(LOG) + "/x", "x");
        else if (kind == 1)
            link(target.c_str(), LOG);
        else
            tu::WriteFile(LOG, "theirs\n"), (void)!chown(LOG, 65534, 65534);
        flLogFirstWrite = true;
        PutLogMsg("own %d\n", kind);
        EXPECT_EQ("own " + std::to_string(kind) + "\nprecious\n", ReadFile(LOG) + ReadFile(target)) << kind;
        struct stat st;
        EXPECT_TRUE(lstat(LOG, &st) == 0 && st.st_uid == geteuid() && st.st_nlink == 1) << kind;
    }
    // What cannot be removed (a mount point) leaves the run without a log, and no other descriptor
    // is written or closed instead.
    unlink(LOG);
    mkdir(LOG, 0755);
    ASSERT_EQ(0, mount("t", LOG, "tmpfs", 0, nullptr));
    flLogFirstWrite = true;
    tu::ChildRun run = tu::RunInChild([] { PutLogMsg("lost\n"); return fcntl(0, F_GETFD) != -1 ? 0 : 1; });
    umount(LOG);
    EXPECT_TRUE(run.status == 0 && run.err == "ERROR: couldn't open /tmp/setup.log\n") << run.err;
}

TEST(ToolPath, DirectoryOfTheRunningProgram) {
    std::string cwd = tu::MakeTempDir();
    ASSERT_EQ(0, chdir(cwd.c_str()));
    const std::pair<const char *, std::string> cases[] = {
        {"/mnt/cd/setup", "/mnt/cd"}, {"/setup", "/"}, {"setup", cwd}, {nullptr, cwd}, {"./setup", cwd},
        {"bin/setup", cwd + "/bin"}, {"./sub/setup", cwd + "/./sub"}, {"../dir/setup", cwd + "/../dir"}};
    for (const auto &[program, dir] : cases)
        EXPECT_EQ(dir, Take(GetToolPath(program))) << (program ? program : "null");
    ASSERT_EQ(0, chdir("/"));
    EXPECT_EQ("/sub", Take(GetToolPath("sub/setup")));
}

} // namespace
