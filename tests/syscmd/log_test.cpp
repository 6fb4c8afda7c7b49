// Tests of the log (truncation by a new run, mode 0666 of a new file, links at
// the log path never followed, anything not the run's own replaced) and of
// GetToolPath.
#include "syscmd/log.h"

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
        flUseLog = 1;
        flLogFirstWrite = true;
    }
    void TearDown() override { flUseLog = 0; }
};

TEST_F(Log, NewRunTruncatesAndNewFileIsWorldWritable) {
    mode_t old = umask(022);
    PutLogMsg("run %d\n", 1);
    PutLogMsg("more\n");
    EXPECT_EQ("run 1\nmore\n", ReadFile(LOG));
    EXPECT_EQ(0666, tu::ModeOf(LOG));

    chmod(LOG, 0600);
    flLogFirstWrite = true; // the next run: emptied at its first write
    EXPECT_TRUE(LogIsOwn());
    EXPECT_EQ("", ReadFile(LOG));
    PutLogMsg("run 2\n");
    umask(old);
    EXPECT_EQ("run 2\n", ReadFile(LOG));
    EXPECT_EQ(0600, tu::ModeOf(LOG));
}

TEST_F(Log, PlantedLinksAreNeverFollowed) {
    std::string target = "/tmp/log-target";
    tu::WriteFile(target, "precious\n");
    symlink(target.c_str(), LOG);
    PutLogMsg("first\n");
    EXPECT_EQ("precious\n", ReadFile(target));
    EXPECT_EQ("", tu::LinkTarget(LOG));
    EXPECT_EQ("first\n", ReadFile(LOG));

    unlink(LOG);
    symlink("/tmp/through-link", LOG); // a dangling link
    flLogFirstWrite = true;
    PutLogMsg("again\n");
    EXPECT_FALSE(tu::Exists("/tmp/through-link"));
    EXPECT_EQ("again\n", ReadFile(LOG));

    // A link or another file put there after the first write is refused, and
    // the run goes on.
    for (bool link : {true, false}) {
        rename(LOG, "/tmp/setup.old");
        if (link)
            symlink(target.c_str(), LOG);
        else
            tu::WriteFile(LOG, "");
        testing::internal::CaptureStderr();
        PutLogMsg("later\n");
        EXPECT_EQ("ERROR: couldn't open /tmp/setup.log\n", testing::internal::GetCapturedStderr());
        EXPECT_EQ("precious\n", ReadFile(target));
    }

    // A new run removes whatever is not a file of its own with one name: a
    // directory with content, a second name of another file, another user's
    // file; the log is made anew and the other file never emptied.
    for (int kind = 0; kind < 3; kind++) {
        unlink(LOG);
        if (kind == 0) {
            mkdir(LOG, 0777);
            tu::WriteFile(std::string(LOG) + "/x", "x");
        } else if (kind == 1) {
            link(target.c_str(), LOG);
        } else {
            tu::WriteFile(LOG, "theirs\n");
            ASSERT_EQ(0, chown(LOG, 65534, 65534));
        }
        flLogFirstWrite = true;
        PutLogMsg("own %d\n", kind);
        EXPECT_EQ("own " + std::to_string(kind) + "\n", ReadFile(LOG)) << kind;
        EXPECT_EQ("precious\n", ReadFile(target)) << kind;
        struct stat st;
        EXPECT_TRUE(lstat(LOG, &st) == 0 && st.st_uid == geteuid() && st.st_nlink == 1) << kind;
    }

    // What cannot be removed (a mount point) leaves the run without a log,
    // and no other descriptor is written or closed instead.
    unlink(LOG);
    mkdir(LOG, 0755);
    ASSERT_EQ(0, mount("t", LOG, "tmpfs", 0, nullptr));
    flLogFirstWrite = true;
    tu::ChildRun run = tu::RunInChild([] { PutLogMsg("lost\n"); return fcntl(0, F_GETFD) != -1 ? 0 : 1; });
    umount(LOG);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("ERROR: couldn't open /tmp/setup.log\n", run.err);
}

TEST(ToolPath, DirectoryOfTheRunningProgram) {
    std::string cwd = tu::MakeTempDir();
    ASSERT_EQ(0, chdir(cwd.c_str()));
    EXPECT_EQ("/mnt/cd", Take(GetToolPath("/mnt/cd/setup")));
    EXPECT_EQ("/", Take(GetToolPath("/setup")));
    EXPECT_EQ(cwd, Take(GetToolPath("setup")));
    EXPECT_EQ(cwd, Take(GetToolPath(nullptr)));
    EXPECT_EQ(cwd, Take(GetToolPath("./setup")));
    EXPECT_EQ(cwd + "/bin", Take(GetToolPath("bin/setup")));
    EXPECT_EQ(cwd + "/./sub", Take(GetToolPath("./sub/setup")));
    EXPECT_EQ(cwd + "/../dir", Take(GetToolPath("../dir/setup")));
    ASSERT_EQ(0, chdir("/"));
    EXPECT_EQ("/sub", Take(GetToolPath("sub/setup")));
}

} // namespace
