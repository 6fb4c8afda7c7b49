// Unit tests of the system-command layer: command lookup, running commands, host queries, the log.
#include "syscmd/fileops.h"
#include <dlfcn.h>
#include "syscmd/query.h"
#include "syscmd/run.h"
#include "testutil.h"
// The pauses of the after-run rules are counted here instead of waited for.
static unsigned Slept = 0;
extern "C" unsigned sleep(unsigned seconds) { return Slept += seconds, 0; }
// readdir as the C library has it, but a test may have a file made once a pass through a directory ends.
static std::string MadeAtEnd;
extern "C" struct dirent *readdir(DIR *d) {
    static auto real = reinterpret_cast<struct dirent *(*)(DIR *)>(dlsym(RTLD_NEXT, "readdir"));
    struct dirent *e = real(d);
    if (e == nullptr && !MadeAtEnd.empty())
        close(creat(MadeAtEnd.c_str(), 0644)), MadeAtEnd.clear();
    return e;
}
namespace {
using namespace tu;
// ---- The command lookup against fake directories.
// Each test has an unlocated table and its own fixed directories f1 and f2; what the table located
// is kept for the program's life, so all is dropped afterwards (SHELL first: the export is in it).
class CmdTable : public EmptyChain {
  protected:
    void SetUp() override {
        EmptyChain::SetUp();
        for (const char *d : {"/f1", "/f2", "/p1", "/cwd"})
            mkdir((top + d).c_str(), 0755);
        Reset((top + "/f1:" + top + "/f2").c_str());
    }
    void TearDown() override {
        setenv("SHELL", "/bin/sh", 1), setenv("PATH", savedPath.c_str(), 1), flUseLog = 0, StartRunLog();
        EmptyChain::TearDown();
        Reset("/usr/sbin:/usr/bin:/bin:/sbin:/etc:/usr/etc");
    }
    static void Reset(const char *fixed) {
        for (ComEntry &row : ComList)
            row.pPath = nullptr;
        snprintf(SearchPaths, sizeof(SearchPaths), "%s", fixed);
        FullSearchPath = nullptr, flInitSysCmd = true, flSysCmdLog = false;
    }
    std::string top = MakeTempDir(), savedPath = getenv("PATH");
};
TEST_F(CmdTable, LookupOrderAndKindsOfEntries) {
    // Two file systems whose top directories have one inode number: neither is taken for the other.
    for (const char *d : {"/f1", "/f2"})
        ASSERT_EQ(0, mount("t", (top + d).c_str(), "tmpfs", 0, nullptr));
    for (const char *f : {"/f1/cat", "/f2/cat", "/p1/cat", "/p1/chmod", "/f1/CHGRP", "/cwd/mkque",
                          "/f1/lpstat2", "/f1/xlpr", "/f2/rm x", "/f2/lpq", "/p1/lp", "/f2/whoami", "/f2/piomisc_base",
                          "/p1/whoami", "/p1/uname"})
        WriteFile(top + f, "", 0755);
    WriteFile(top + "/f1/chmod", "", 0777);            // others may change it: skipped
    mkdir((top + "/f1/ls").c_str(), 0755);             // a subdirectory is no regular file,
    symlink("/nonexistent", (top + "/f2/cp").c_str()); // nor a dangling link
    ASSERT_EQ(0, chdir((top + "/cwd").c_str()));       // "" in PATH is not "."
    std::string path = "::" + top + "/p1::" + top + "/f2:";
    setenv("PATH", path.c_str(), 1);
    // Asked before the table is located, a command is looked up on its own.
    EXPECT_TRUE(TestCmd(CMD_WHOAMI) && FillCmdPath(CMD_UNAME) && !TestCmd(CMD_LPSTAT) && !FillCmdPath(CMD_LPSTAT));
    EXPECT_FALSE(FillCmdPath(CMD_END) || FillCmdPath(CMD_CANCEL - 1)); // no row of a command
    ComList[CMD_END].pPath = ComList[CMD_LINE].pPath = "/bin"; // nor a row that is no command
    EXPECT_FALSE(TestCmd(CMD_END) || TestCmd(CMD_LINE));
    ComList[CMD_END].pPath = ComList[CMD_LINE].pPath = nullptr;
    auto where = [&](std::initializer_list<int> ids) {
        std::string s;
        for (int id : ids)
            s += (ComList[id].pPath ? std::string(ComList[id].pPath).substr(top.size()) : "-") + " ";
        return s;
    };
    EXPECT_EQ("/f2 /p1 ", where({CMD_WHOAMI, CMD_UNAME}));
    InitSysCmdList();
    ASSERT_EQ(0, chdir("/"));
    // The longest name; only an entry of exactly the name counts: not one it begins or ends (lp in
    // lpq), nor a word of a name with a blank.
    EXPECT_EQ("/f1 /p1 - - /f2 - - /p1 - - - ", where({CMD_CAT, CMD_CHMOD, CMD_LS, CMD_CP_R, CMD_PIOMISC_BASE,
                                                        CMD_CHGRP, CMD_MKQUE, CMD_LP, CMD_LPSTAT, CMD_LPR, CMD_RM}));
    EXPECT_EQ(top + "/f1:" + top + "/f2:" + path, FullSearchPath);
    EXPECT_EQ("/bin/sh /bin", std::string(getenv("SHELL")) + " " + ShellDir()); // sh found nowhere
    umount((top + "/f1").c_str()), umount((top + "/f2").c_str());
}
TEST_F(CmdTable, ShellExportWithoutTrailingBlankAndFirstLogLine) {
    WriteFile(top + "/f2/sh", "", 0755), WriteFile(top + "/f1/cancel", "", 0755), WriteFile(top + "/f1/cat", "", 0777);
    EXPECT_FALSE(TrustedCommand(std::string(PATH_MAX, 'd').c_str(), "cat") || TrustedCommand(top.c_str(), "f2"));
    // A path too long to be named whole is never taken for the root file that its first PATH_MAX - 1 bytes name.
    std::string cut = "/usr" + std::string(PATH_MAX - 12, '/') + "bin/cat";
    EXPECT_TRUE(cut.size() == PATH_MAX - 1 && !TrustedCommand((cut + "/x").c_str(), "y"));
    unsetenv("PATH");
    flUseLog = 1;
    WriteFile("/tmp/setup.log", "earlier run\n");
    PutMem(GetCmd(CMD_CAT)), PutLogMsg("kept %s\n", "for the log"); // one command located alone
    EXPECT_EQ(nullptr, ComList[CMD_SH].pPath);
    SysCmd(CMD_CANCEL, MODE_QUIET, "%s", ""); // a line run through the shell locates it first
    EXPECT_EQ(top + "/f2", ComList[CMD_SH].pPath ? ComList[CMD_SH].pPath : "-");
    InitSysCmdList();
    // Located once: a command put on the search path later is not found mid-run.
    WriteFile(top + "/f2/lpstat", "", 0755);
    EXPECT_TRUE(!flInitSysCmd && flSysCmdLog && TestCmd(CMD_CANCEL) && !TestCmd(CMD_LPSTAT) && !GetCmd(CMD_LPSTAT));
    EXPECT_EQ(top + "/f2/sh|" + top + "/f1:" + top + "/f2:|earlier run\n", // the log waits for the run
              std::string(getenv("SHELL")) + "|" + FullSearchPath + "|" + ReadFile("/tmp/setup.log"));
    StartRunLog();
    std::string skipped = "command " + top + "/f1/cat skipped: someone other than root may change " + top;
    EXPECT_EQ("initializing system\n" + skipped + "/f1/cat\nkept for the log\n" + skipped + "/f1/cat\n",
              ReadFile("/tmp/setup.log")); // once alone, once with the table
}
// Over 64 KiB of names: a blank before each of the 702 (".", ".." and 700), one after.
TEST_F(CmdTable, DirectoryListingsOfAnySize) {
    for (int i = 0; i < 700; i++)
        WriteFile(top + "/cwd/" + std::to_string(i) + std::string(120, 'n'), "");
    // A name made between the pass that measures and the one that lists: measured again.
    MadeAtEnd = top + "/cwd/" + std::string(200, 'g');
    std::string s = Take(GetDirFileList((top + "/cwd").c_str()));
    EXPECT_EQ(703 + 3 + (10 * 1 + 90 * 2 + 600 * 3) + 700 * 120 + 200 + 1, s.size());
    EXPECT_NE(std::string::npos, s.find(" 699" + std::string(120, 'n') + " "));
    EXPECT_EQ(nullptr, GetDirFileList((top + "/none").c_str()));
}
// ---- Running commands.
const char LOG[] = "/tmp/setup.log";
// Logging on, sh and the real commands in /bin, a fresh log per test.
class Run : public testing::Test {
  protected:
    void SetUp() override {
        for (ComEntry &row : ComList)
            row.pPath = nullptr;
        for (int id : {CMD_SH, CMD_RM_R, CMD_CAT, CMD_ECHO})
            ComList[id].pPath = "/bin";
        flInitSysCmd = false, flUseLog = 1, flSysCmdLog = true;
        StartRunLog(), truncate(LOG, 0); // the log's own first line left out
    }
    // Logging off: the log is closed.
    void TearDown() override { flUseLog = 0, flSysCmdLog = false, ComList[CMD_ECHO].Delay = 0, StartRunLog(); }
    std::string dir = MakeTempDir();
};
// Failure is judged by the exit status or signal, never by errno; the rm line is the byte-exact
// example of a logged table command. (Whole runs check mode 2.)
TEST_F(Run, LoggedLinesAndFailuresInEachMode) {
    std::string victim = dir + "/x";
    mkdir(victim.c_str(), 0755);
    // In a child, which keeps the failures; those of mode 1 are counted with their logged lines.
    ChildRun run = RunInChild([&] {
        for (int result : {SysCmd(CMD_RM_R, MODE_WARN, " %s", victim.c_str()),
                           SysCmd(CMD_LINE, MODE_FATAL, "sh -c 'echo out; echo err >&2'"),
                           SysCmd(CMD_LINE, MODE_WARN, "false"), SysCmd(CMD_LINE, MODE_WARN, "sh -c 'exit 3'"),
                           SysCmd(CMD_LINE, MODE_WARN, "kill -KILL $$"),
                           SysCmd(CMD_LINE, MODE_QUIET, "sh -c 'echo hidden; exit 5'")})
            fprintf(stderr, "%d ", result);
        return fprintf(stderr, "%d %s", FailureCount(), FailedStep(2)) < 0;
    });
    EXPECT_EQ("..... 0 0 1 3 137 5 3 kill -KILL $$", run.out + " " + run.err);
    EXPECT_FALSE(Exists(victim));
    EXPECT_EQ("/bin/sh -c \"/bin/rm -rf  " + victim + "\nsh -c 'echo out; echo err >&2'\nout\nerr\nfalse\n"
              "WARNING_MSG: exit status 1\nsh -c 'exit 3'\nWARNING_MSG: exit status 3\nkill -KILL $$\n"
              "WARNING_MSG: killed by signal 9 (Killed)\n", ReadFile(LOG));
    // No process left to start one (a user at its process limit): no answer, a failure, no crash.
    run = RunInChild([&] {
        rlimit none{0, 0};
        if (setgid(65534) != 0 || setuid(65534) != 0 || setrlimit(RLIMIT_NPROC, &none) != 0)
            return 9;
        flUseLog = 0;
        return GetCmdResponse(CMD_ECHO, nullptr, "x") == nullptr && SysCmd(CMD_ECHO, MODE_QUIET, "x") == EAGAIN ? 0 : 8;
    });
    EXPECT_EQ(0, run.status) << run.err;
    run = RunInChild([&] { // a shell that cannot run: 127, as for a command
        WriteFile(dir + "/sh", "", 0644);
        char *sh = realpath("/bin/sh", nullptr);
        if (unshare(CLONE_NEWNS) != 0 || mount((dir + "/sh").c_str(), sh, nullptr, MS_BIND, nullptr) != 0)
            return 9;
        return SysCmd(CMD_LINE, MODE_QUIET, "true");
    });
    EXPECT_EQ(127, run.status);
}
// A copy has every byte of its source (one beyond a whole 64 KiB read too) and its permission bits.
TEST_F(Run, CopyStepCopiesEveryByte) {
    std::string src = dir + "/src", to = dir + "/to";
    mkdir(to.c_str(), 0755), ComList[CMD_CP].pPath = "/bin"; // the row a copy is logged as
    for (size_t size : {0, 1, 65536, 65537}) {
        std::string text(size, '\0');
        for (size_t i = 0; i < size; i++)
            text[i] = static_cast<char>(i * 7 + size);
        WriteFile(src, text, 0640);
        struct stat st;
        int fd = open(src.c_str(), O_RDONLY);
        errno = EACCES; // a stale error is no failure: each copy after the first replaces the one before
        EXPECT_TRUE(fd >= 0 && fstat(fd, &st) == 0 && CopyStep(MODE_WARN, fd, st, src.c_str(), to.c_str(), "c") == 0);
        close(fd);
        EXPECT_TRUE(ReadFile(to + "/c") == text && ModeOf(to + "/c") == 0640) << size;
    }
    // One that cannot be made (no such directory) is reported and counted as a failed command is.
    truncate(LOG, 0);
    ChildRun run = RunInChild([&] {
        struct stat st;
        int fd = open(src.c_str(), O_RDONLY), err = 9;
        if (fd >= 0 && fstat(fd, &st) == 0)
            err = CopyStep(MODE_WARN, fd, st, src.c_str(), (to + "/no").c_str(), "c");
        return err + 100 * FailureCount();
    });
    EXPECT_EQ(ENOENT + 100, run.status);
    EXPECT_EQ("/bin/sh -c \"/bin/cp -p " + src + " " + to + "/no\nWARNING_MSG: No such file or directory\n",
              ReadFile(LOG));
}
// A stop signal ends the run with 128 + its number even while a command that ignores it runs: the
// command's group is killed after the grace, never waited for to its end; the work area goes. A
// stop signal ignored from the start (nohup) stays ignored.
TEST_F(Run, StopSignalEndsACommandThatIgnoresIt) {
    std::string work = dir + "/work";
    mkdir(work.c_str(), 0700);
    time_t start = time(nullptr);
    ChildRun run = RunInChild([&] {
        signal(SIGHUP, SIG_IGN), CatchInterrupts("stopped by %s (%s)\n"), RemoveOnStop(SaveStr("%s", work.c_str()));
        return SysCmd(CMD_LINE, MODE_WARN, "trap '' TERM; echo $$ >%s/sh.pid; kill -HUP $PPID; sleep 1; "
                      "kill -TERM $PPID; sleep 30", dir.c_str());
    });
    EXPECT_TRUE(run.status == 143 && time(nullptr) - start < 15 && !Exists(work)) << run.status << run.err;
    pid_t sh = static_cast<pid_t>(atoi(ReadFile(dir + "/sh.pid").c_str()));
    EXPECT_TRUE(sh > 0 && kill(sh, 0) != 0) << "the command outlived the run";
    if (sh > 0)
        kill(-sh, SIGKILL);
    EXPECT_EQ("stopped by SIGTERM (setup)\n", run.err);
}
// Quiet calls are neither logged nor redirected; an unlocated command ends the run with status 1.
TEST_F(Run, QuietCallsAndUnlocatedCommands) {
    std::string src = dir + "/src", dst = dir + "/dst";
    WriteFile(src, "data\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, SysCmd(-CMD_CAT, MODE_FATAL, " %s >> %s", src.c_str(), dst.c_str()) +
                     SysCmd(CMD_NONE, MODE_WARN, "echo shown"));
    EXPECT_EQ("shown\ndata\n", testing::internal::GetCapturedStdout() + ReadFile(dst) + ReadFile(LOG));
    EXPECT_EXIT(SysCmd(-CMD_CAT, MODE_FATAL, " %s/missing", dir.c_str()), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(SysCmd(CMD_LPSTAT, MODE_QUIET, " -a"), testing::ExitedWithCode(1),
                "^ERROR: unable to locate system command 'lpstat'\n$");
    EXPECT_EXIT(GetCmdResponse(CMD_DF, nullptr, "/"), testing::ExitedWithCode(1),
                "^ERROR: unable to locate system command 'df'\n$");
    EXPECT_TRUE(!GetCmd(CMD_LPSTAT) && !GetCmd(CMD_END + 1) && !GetCmd(CMD_NONE - 1));
    // DeleteFile takes a path alone as well as a directory and a name, and leaves what is missing.
    ASSERT_EQ(0, Sh("mkdir -p " + dir + "/a/b && touch " + dir + "/f"));
    DeleteFile(nullptr, (dir + "/a").c_str()), DeleteFile(dir.c_str(), "f"), DeleteFile(dir.c_str(), "none");
    EXPECT_TRUE(!Exists(dir + "/a") && !Exists(dir + "/f") && ReadFile(LOG).find("none") == std::string::npos);
}
TEST_F(Run, OverlongLinesAreNeverRun) {
    // Mode 0 adds " 1>/dev/null 2>/dev/null" (24 characters): 4095 in all fit, one more does not.
    std::string made = dir + "/made", fits = "touch " + made;
    fits.resize(4095 - 24, ' ');
    EXPECT_EQ(E2BIG, SysCmd(CMD_NONE, MODE_QUIET, "%s ", fits.c_str()));
    EXPECT_FALSE(Exists(made));
    EXPECT_EQ(0, SysCmd(CMD_NONE, MODE_QUIET, "%s", fits.c_str()));
    EXPECT_EQ(0, unlink(made.c_str()));
    std::string longer = "touch " + made + " #" + std::string(5000, 'a');
    EXPECT_EQ(E2BIG, RunInChild([&] { return SysCmd(CMD_LINE, MODE_WARN, "%s", longer.c_str()); }).status);
    EXPECT_EQ("WARNING_MSG: Argument list too long\n", ReadFile(LOG)); // failures counted in the child
    EXPECT_EXIT(SysCmd(CMD_ECHO, MODE_FATAL, "%s", longer.c_str()), testing::ExitedWithCode(1), "");
    EXPECT_EQ(nullptr, GetCmdResponse(CMD_LINE, nullptr, "%s", longer.c_str()));
    EXPECT_EQ(nullptr, GetCmdResponse(CMD_ECHO, nullptr, "%s", longer.c_str())); // no echo without it
    EXPECT_EQ(2 * EINVAL, SysCmd(CMD_END, MODE_QUIET, "%s", made.c_str()) + SysCmd(-CMD_END, 0, "%s", made.c_str()));
    EXPECT_FALSE(Exists(made));
    // A removal is no command line: its log line shows an overlong path cut, and the entry goes all the same.
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    WriteFile(made, ""), truncate(LOG, 0), ComList[CMD_RM].pPath = "/bin";
    EXPECT_EQ(0, RemoveStep(MODE_WARN, fd, "made", longer.c_str(), false));
    std::string logged = ReadFile(LOG);
    EXPECT_TRUE(!Exists(made) && logged.size() < 1200 && logged.find("aaa...\n") != std::string::npos) << logged;
    close(fd);
}
// Delay > 0 pauses that many seconds; -1 asks ps once a second until it lists an "echo" process
// (this one does from its third call on), at most 11 times.
TEST_F(Run, AfterRunPauseAndProcessWait) {
    for (int delay : {1, 2})
        ComList[CMD_ECHO].Delay = delay, SysCmd(CMD_ECHO, MODE_QUIET, "x");
    EXPECT_EQ(3u, Slept);
    ComList[CMD_ECHO].Delay = -1;
    std::string calls = dir + "/calls";
    FakeCmd(CMD_PS, dir, "echo >> " + calls + "; [ $(wc -l < " + calls + ") -ge 3 ] && echo ' 42 ? S 0:00 0 echo'");
    SysCmd(CMD_ECHO, MODE_QUIET, "x");
    EXPECT_TRUE(ReadFile(calls) == "\n\n\n" && ReadFile(LOG).empty());
    FakeCmd(CMD_PS, dir, "echo >> " + calls);
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
    FakeCmd(CMD_PS, dir, "echo \"$*\"; echo LPRng; head -c 5000 /dev/zero | tr '\\0' a; echo");
    EXPECT_EQ("-ace arg\n|LPRng\n|" + std::string(4095, 'a') + "|" + std::string(905, 'a') + "\n|",
              take(GetCmdResponse(CMD_PS, "", "%s", "arg")));
    EXPECT_EQ("LPRng\n|", take(GetCmdResponse(CMD_PS, "LPRng", "%s", "")));
}
// ---- The host queries against canned ps, df and du output.
// ps, df and du print the file "out" of a temporary directory and record their arguments in "args".
class Query : public Run {
  protected:
    void SetUp() override {
        Run::SetUp();
        for (int id : {CMD_PS, CMD_DF, CMD_DU})
            FakeCmd(id, dir, "echo \"$*\" > " + dir + "/args\ncat " + dir + "/out");
    }
    void Output(const std::string &text) { WriteFile(dir + "/out", text); }
    std::string Args() { return ReadFile(dir + "/args"); }
};
TEST_F(Query, ProcessIdsByExactName) {
    Output("  PID TTY STAT TIME CMD\n  812 ?   S    0:01 x tvadmin\n  900 ?   S    0:01 x tvadmin2\n"
           "  901 ?   S    0:01 tvadmin vsf\n  902 tvadmin\n 1040 pts/1 R  0:00 y\ttvadmin\n"
           "   77 ?   S    0:00 z tvqadmin\n");
    EXPECT_EQ(" 812 1040 ", Take(GetSysPsIdList("tvadmin")));
    EXPECT_EQ("-ace\n", Args());
    EXPECT_EQ("(null)", Take(GetSysPsIdList("tvadmi")));
    EXPECT_EQ("tvqadmin ( 77 )\ntvadmin ( 812 1040 )\n",
              Take(CheckProcTableForExecs(",tvqadmin,tolvar,,tvadmin,TVQ,TVRM,xx,")));
    EXPECT_EQ("(null)", Take(CheckProcTableForExecs(",tolvar,TVQ,")));
    // Lists and reports beyond 512 and 1024 bytes are complete; a list that would not fit Line
    // keeps the ids that do, up to its last byte.
    std::string many, full;
    for (int i = 0; i < 60; i++)
        many += ",tvadmin";
    EXPECT_EQ(60 * strlen("tvadmin ( 812 1040 )\n"), Take(CheckProcTableForExecs(many.c_str())).size());
    for (size_t i = 0; i < sizeof(Line) / 8; i++)
        full += "1234567 ? S 0:01 x tvadmin\n";
    Output(full + std::string(sizeof(Line) % 8 - 2, '9') + " ? S 0:01 x tvadmin\n"); // 1 too many
    EXPECT_EQ(sizeof(Line) / 8 * 8 + 1, Take(GetSysPsIdList("tvadmin")).size());
    FakeCmd(CMD_WHOAMI, dir, "echo alice");
    auto before = InUse();
    EXPECT_EQ("alice", Take(GetUserName()));
    EXPECT_EQ(before, InUse()); // nothing kept of the query
    FakeCmd(CMD_GPGV, dir, "echo last"); // the table's last command answers too
    ResponseLine *last = GetCmdResponse(CMD_GPGV, nullptr, "%s", "");
    EXPECT_STREQ("last\n", last != nullptr ? last->pText : "");
    FreeResponseList(last);
}
TEST_F(Query, DiskSpaceAndUsage) {
    const std::string head = "Filesystem 1K-blocks Used Available Use% Mounted on\n";
    const struct { std::string out; bool answer; double avail; const char *dfLine; } cases[] = {
        {head + "/dev/sda1 1000 400 600 40% /\n", true, 600, "/dev/sda1 1000 400 600 40% /\n"},
        {"Filesystem Size Used AVAIL Use%\ntmpfs 2.0G 0 1.5G 0%\n", true, 1.5, "tmpfs 2.0G 0 1.5G 0%\n"},
        {head + "/dev/mapper/long-name\n  1000 400 600 40% /\n", false, 0, "/dev/mapper/long-name\n"}, // wrapped
        {head, true, 0, ""}, {"Filesystem Size Used Free\n/dev/sda1 1 2 3\n", false, 0, ""}, {"", false, 0, ""}};
    for (const auto &c : cases) {
        Output(c.out);
        DiskSpaceInfo info;
        info.Avail = 5, info.DfLine[0] = '\0';
        EXPECT_TRUE(c.answer == GetDiskSpace("/tmp/x", &info) && c.avail == info.Avail &&
                    !strcmp(c.dfLine, info.DfLine)) << c.out;
    }
    EXPECT_EQ("/tmp/x\n", Args());
    Output("Avail x\n7 " + std::string(5000, 'd') + "\n"); // longer than DfLine
    DiskSpaceInfo info;
    EXPECT_TRUE(GetDiskSpace("/", &info) && info.Avail == 7 && strlen(info.DfLine) == 511u);
}
// ---- The log and the tool path.
class Log : public Run {}; // logging on, no log yet
// A failed command's last words: the last line that holds anything, escaped, cut to fit.
TEST_F(Log, LastLineCutToFit) {
    PutLogMsg("first\n");
    long from = LogLength();
    char buf[8] = "x";
    EXPECT_TRUE(!LastLogLine(from, buf, sizeof buf) && buf[0] == '\0');
    PutLogMsg("gone\na\\b\001long line\n\n");
    EXPECT_TRUE(LastLogLine(from, buf, sizeof buf));
    EXPECT_EQ("a\\134b", std::string(buf));
    // A last line without its line end, read into a stack that held other bytes before.
    PutLogMsg("end"), [] { volatile char junk[8192]; for (auto &c : junk) c = 'x'; }();
    char whole[64];
    EXPECT_TRUE(LastLogLine(from, whole, sizeof whole));
    EXPECT_EQ("end", std::string(whole));
    // A failed command's 600-character last line: the log's last 511 bytes are read, and the first 255
    // characters of them kept (in a child, which keeps the failure).
    ChildRun run = RunInChild([] {
        SysCmd(CMD_LINE, MODE_WARN, "sh -c 'printf %%0300d 0 >&2; printf %%0300d 0 | tr 0 7 >&2; exit 1'");
        return printf("%zu %zu", strspn(LastErrorLine(), "0"), strlen(LastErrorLine())) < 0;
    });
    EXPECT_EQ(".211 255", run.out) << run.err; // its progress dot first
}
// One descriptor for the whole run: a second name, a rename or a new file at the path change
// nothing. A new run removes its own earlier log, moves anything else at the path aside (said once
// in the log) and makes the log anew, mode 0644 whatever the umask.
TEST_F(Log, TheRunsOwnFromFirstLineToLast) {
    PutLogMsg("run %d\n", 1);
    link(LOG, "/tmp/second"), rename(LOG, "/tmp/moved"), WriteFile(LOG, "forged\n", 0666);
    testing::internal::CaptureStderr(), testing::internal::CaptureStdout();
    PutLogMsg("more\n"), SysCmd(CMD_LINE, MODE_WARN, "sh -c 'echo out; echo err >&2'");
    EXPECT_EQ("|.", testing::internal::GetCapturedStderr() + "|" + testing::internal::GetCapturedStdout());
    EXPECT_EQ("run 1\nmore\nsh -c 'echo out; echo err >&2'\nout\nerr\n|forged\n",
              ReadFile("/tmp/second") + "|" + ReadFile(LOG));
    EXPECT_EQ(2, [] { struct stat st; return lstat("/tmp/moved", &st) ? 0 : static_cast<int>(st.st_nlink); }());
    std::string target = "/tmp/log-target";
    WriteFile(target, "precious\n");
    mode_t old = umask(077);
    // What another user or an earlier run left at the path (whole runs: a directory, a FIFO, a link).
    for (int kind = 0; kind < 3; kind++) {
        RemoveEntry(LOG);
        kind == 0 ? (void)symlink("/tmp/through-link", LOG) : kind == 1 ? (void)link(target.c_str(), LOG)
                  : (WriteFile(LOG, "theirs\n", 0666), (void)!chown(LOG, 65534, 65534));
        StartRunLog();
        std::string aside = std::string(kind ? "a regular file" : "a symbolic link") +
                            " found at /tmp/setup.log was moved aside to /tmp/setup.log.aside." + "12"[kind / 2] + "\n";
        EXPECT_EQ("initializing system\n" + (kind == 1 ? "" : aside) + "precious\n", ReadFile(LOG) + ReadFile(target));
        struct stat st;
        EXPECT_TRUE(lstat(LOG, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_nlink == 1 &&
                    (st.st_mode & 07777) == 0644 && !Exists("/tmp/through-link")) << kind;
    }
    umask(old);
    // A run that is not root leaves root's log (a file, a FIFO) as it was, says so once and goes
    // on. Later writes never reach or close descriptor 0.
    std::string in = dir + "/stdin";
    WriteFile(in, "");
    for (int kind = 0; kind < 2; kind++) {
        RemoveEntry(LOG);
        kind == 0 ? WriteFile(LOG, "root's\n") : (void)mkfifo(LOG, 0644);
        chmod("/tmp", kind == 0 ? 0777 : 01777); // root's log kept by rule, not the sticky bit
        ChildRun run = RunInChild([&] {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                return 9;
            int fd = open(in.c_str(), O_RDONLY);
            dup2(fd, 0), close(fd), alarm(10);
            StartRunLog(), PutLogMsg("lost\n"), SysCmd(CMD_LINE, MODE_WARN, "echo lost");
            return fcntl(0, F_GETFD) != -1 ? 0 : 1; // never waited on
        });
        EXPECT_EQ("0 .ERROR: couldn't open /tmp/setup.log\n", std::to_string(run.status) + " " + run.out + run.err)
            << kind;
        EXPECT_EQ(kind == 0 ? "root's\n" : "", ReadFile(in) + (kind == 0 ? ReadFile(LOG) : ""));
    }
    chmod("/tmp", 01777);
}
TEST(ToolPath, DirectoryOfTheRunningProgram) {
    std::string cwd = MakeTempDir();
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
