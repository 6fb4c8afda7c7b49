// Tests of the command lookup against fake directories (fixed ones before PATH, the first wins, any
// kind of entry and only exact names count, empty PATH components are not "."), the SHELL export,
// the first log line and directory listings of any size.
#include "syscmd/run.h"
#include "testutil.h"

namespace {

void Touch(const std::string &path) { tu::WriteFile(path, "", 0755); }

// Each test has an unlocated table and its own fixed directories f1 and f2.
class CmdTable : public tu::EmptyChain {
  protected:
    void SetUp() override {
        tu::EmptyChain::SetUp();
        for (const char *d : {"/f1", "/f2", "/p1", "/cwd"})
            mkdir((top + d).c_str(), 0755);
        Reset((top + "/f1:" + top + "/f2").c_str());
    }
    // What the table located is kept for the program's life: all dropped here.
    void TearDown() override { // SHELL first: the installer's export lives in the chain
        setenv("SHELL", "/bin/sh", 1), setenv("PATH", savedPath.c_str(), 1), flUseLog = 0;
        tu::EmptyChain::TearDown();
        Reset("/usr/sbin:/usr/bin:/bin:/sbin:/etc:/usr/etc");
    }
    static void Reset(const char *fixed) {
        for (ComEntry &row : ComList)
            row.pPath = nullptr;
        snprintf(SearchPaths, sizeof(SearchPaths), "%s", fixed);
        FullSearchPath = nullptr, flInitSysCmd = true, flSysCmdLog = false;
    }
    std::string top = tu::MakeTempDir(), savedPath = getenv("PATH");
};

TEST_F(CmdTable, LookupOrderAndKindsOfEntries) {
    for (const char *f : {"/f1/cat", "/f2/cat", "/p1/cat", "/p1/chmod", "/f1/CHGRP", "/cwd/mkque",
                          "/f1/lpstat2", "/f1/xlpr", "/f2/rm x", "/f2/lpq", "/p1/lp", "/f2/whoami", "/f2/piomisc_base",
                          "/p1/whoami", "/p1/uname"})
        Touch(top + f);
    mkdir((top + "/f1/ls").c_str(), 0755);             // a subdirectory counts
    symlink("/nonexistent", (top + "/f2/cp").c_str()); // so does a dangling link
    ASSERT_EQ(0, chdir((top + "/cwd").c_str()));       // "" in PATH is not "."
    std::string path = "::" + top + "/p1::" + top + "/f2:";
    setenv("PATH", path.c_str(), 1);
    // Asked before the table is located, a command is looked up on its own.
    EXPECT_TRUE(TestCmd(CMD_WHOAMI) && TestCmd(CMD_UNAME) && !TestCmd(CMD_LPSTAT));
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
    EXPECT_EQ("/f1 /p1 /f1 /f2 /f2 - - /p1 - - - ", where({CMD_CAT, CMD_CHMOD, CMD_LS, CMD_CP_R, CMD_PIOMISC_BASE,
                                                        CMD_CHGRP, CMD_MKQUE, CMD_LP, CMD_LPSTAT, CMD_LPR, CMD_RM}));
    EXPECT_EQ(top + "/f1:" + top + "/f2:" + path, FullSearchPath);
    EXPECT_EQ("/bin/sh /bin", std::string(getenv("SHELL")) + " " + ShellDir()); // sh found nowhere
}

TEST_F(CmdTable, ShellExportWithoutTrailingBlankAndFirstLogLine) {
    Touch(top + "/f2/sh");
    unsetenv("PATH");
    flUseLog = 1, flLogFirstWrite = true;
    tu::WriteFile("/tmp/setup.log", "earlier run\n");
    PutMem(GetCmd(CMD_CAT)); // one command located on its own, not the shell
    EXPECT_EQ(nullptr, ComList[CMD_SH].pPath);
    InitSysCmdList();
    EXPECT_EQ(top + "/f2/sh|" + top + "/f1:" + top + "/f2:|initializing system\n",
              std::string(getenv("SHELL")) + "|" + FullSearchPath + "|" + tu::ReadFile("/tmp/setup.log"));
}

// Over 64 KiB of names: a blank before each of the 702 (".", ".." and 700), one after.
TEST_F(CmdTable, DirectoryListingsOfAnySize) {
    for (int i = 0; i < 700; i++)
        Touch(top + "/cwd/" + std::to_string(i) + std::string(120, 'n'));
    std::string s = tu::Take(GetDirFileList((top + "/cwd").c_str()));
    EXPECT_EQ(702 + 3 + (10 * 1 + 90 * 2 + 600 * 3) + 700 * 120 + 1, s.size());
    EXPECT_NE(std::string::npos, s.find(" 699" + std::string(120, 'n') + " "));
    EXPECT_EQ(nullptr, GetDirFileList((top + "/none").c_str()));
}

} // namespace
