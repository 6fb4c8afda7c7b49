// Tests of the command lookup: fixed directories before PATH, first directory
// wins, any kind of entry counts, empty PATH components are not ".", the
// SHELL export (no trailing blank, /bin/sh fallback), the first log line, the
// on-demand lookup and directory listings of any size.
#include "syscmd/cmdtable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "support/mem.h"
#include "syscmd/log.h"

namespace {

void Touch(const std::string &path) {
    close(open(path.c_str(), O_CREAT | O_WRONLY, 0755));
}

// Each test starts and ends with an unlocated table and its own fixed
// directories and PATH.
class CmdTable : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ctXXXXXX";
        top = mkdtemp(tmpl);
        for (const char *d : {"/f1", "/f2", "/p1", "/cwd"})
            mkdir((top + d).c_str(), 0755);
        const char *path = getenv("PATH");
        savedPath = path ? path : "";
        getcwd(savedCwd, sizeof(savedCwd));
        Reset((top + "/f1:" + top + "/f2").c_str());
    }
    void TearDown() override {
        Reset("/usr/sbin:/usr/bin:/bin:/sbin:/etc:/usr/etc");
        setenv("PATH", savedPath.c_str(), 1);
        chdir(savedCwd);
        flUseLog = 0;
    }
    static void Reset(const char *fixed) {
        for (ComEntry &row : ComList)
            row.pPath = nullptr;
        snprintf(SearchPaths, sizeof(SearchPaths), "%s", fixed);
        FullSearchPath = nullptr;
        flInitSysCmd = true;
        flSysCmdLog = false;
    }
    std::string top, savedPath;
    char savedCwd[4096];
};

TEST_F(CmdTable, LookupOrderAndKindsOfEntries) {
    Touch(top + "/f1/cat"); // in both fixed dirs: the first wins
    Touch(top + "/f2/cat");
    Touch(top + "/p1/cat");                            // PATH comes after the fixed dirs
    Touch(top + "/p1/chmod");                          // only on PATH
    mkdir((top + "/f1/ls").c_str(), 0755);             // a subdirectory counts
    symlink("/nonexistent", (top + "/f2/cp").c_str()); // so does a dangling link
    Touch(top + "/f1/CHGRP");                          // case matters
    Touch(top + "/cwd/mkque");                         // "" in PATH is not the cwd
    chdir((top + "/cwd").c_str());
    std::string path = "::" + top + "/p1::" + top + "/f2:";
    setenv("PATH", path.c_str(), 1);

    InitSysCmdList();

    EXPECT_EQ(top + "/f1", ComList[CMD_CAT].pPath);
    // A located fixed directory is a piece of SearchPaths itself, not a copy.
    EXPECT_TRUE(ComList[CMD_CAT].pPath >= SearchPaths &&
                ComList[CMD_CAT].pPath < SearchPaths + sizeof(SearchPaths));
    EXPECT_EQ(top + "/p1", ComList[CMD_CHMOD].pPath);
    EXPECT_EQ(top + "/f1", ComList[CMD_LS].pPath);
    EXPECT_EQ(top + "/f2", ComList[CMD_CP].pPath);
    EXPECT_EQ(top + "/f2", ComList[CMD_CP_R].pPath);
    EXPECT_EQ(nullptr, ComList[CMD_CHGRP].pPath);
    EXPECT_EQ(nullptr, ComList[CMD_MKQUE].pPath);
    EXPECT_FALSE(TestCmd(CMD_MKQUE));
    EXPECT_TRUE(TestCmd(CMD_CHMOD));
    EXPECT_FALSE(TestCmd(CMD_NONE));
    EXPECT_FALSE(TestCmd(CMD_LINE));
    EXPECT_EQ(top + "/f1:" + top + "/f2:" + path, FullSearchPath);
    // sh was found nowhere: the shell falls back to /bin/sh, without a blank.
    EXPECT_STREQ("/bin/sh", getenv("SHELL"));
    EXPECT_FALSE(flSysCmdLog);
}

TEST_F(CmdTable, ShellExportAndFirstLogLine) {
    Touch(top + "/f2/sh");
    unsetenv("PATH");
    flUseLog = 1;
    flLogFirstWrite = true;
    std::ofstream("/tmp/setup.log") << "earlier run\n";

    InitSysCmdList();

    EXPECT_EQ(top + "/f2/sh", std::string(getenv("SHELL")));
    EXPECT_EQ(top + "/f1:" + top + "/f2:", FullSearchPath);
    EXPECT_TRUE(flSysCmdLog);
    std::stringstream log;
    log << std::ifstream("/tmp/setup.log").rdbuf();
    EXPECT_EQ("initializing system\n", log.str());
}

TEST_F(CmdTable, OnDemandLookupBeforeInit) {
    Touch(top + "/f2/whoami");
    Touch(top + "/p1/whoami");
    Touch(top + "/p1/uname");
    setenv("PATH", (top + "/p1").c_str(), 1);

    EXPECT_TRUE(TestCmd(CMD_WHOAMI));
    EXPECT_EQ(top + "/f2", ComList[CMD_WHOAMI].pPath);
    EXPECT_TRUE(FillCmdPath(CMD_UNAME));
    EXPECT_EQ(top + "/p1", ComList[CMD_UNAME].pPath);
    EXPECT_FALSE(TestCmd(CMD_LPSTAT));
    // The search path survives the walks (GetToken copies its pieces).
    EXPECT_EQ(top + "/f1:" + top + "/f2:" + top + "/p1", FullSearchPath);
}

TEST_F(CmdTable, FillCmdPathsReportsMissingCommands) {
    EXPECT_TRUE(FillCmdPaths((top + "/none").c_str()));
    for (const ComEntry &row : ComList)
        ASSERT_EQ(nullptr, row.pPath);
    // A directory holding every name leaves nothing missing.
    for (int id = CMD_CANCEL; id < CMD_END; id++)
        Touch(top + "/f1/" + ComList[id].pName);
    std::string dir = top + "/f1";
    EXPECT_FALSE(FillCmdPaths(dir.c_str()));
    EXPECT_EQ(dir.c_str(), ComList[CMD_LSSRC].pPath);
}

TEST_F(CmdTable, DirectoryListings) {
    char *list = GetDirFileList((top + "/cwd").c_str());
    ASSERT_NE(nullptr, list);
    std::string s = list;
    EXPECT_TRUE(s == " . .. " || s == " .. . ") << s;
    PutMem(list);
    EXPECT_EQ(nullptr, GetDirFileList((top + "/none").c_str()));

    // Over 64 KiB of names: every one of them listed, blank-delimited.
    std::set<std::string> names = {".", ".."};
    for (int i = 0; i < 700; i++) {
        std::string name = std::to_string(i) + std::string(120, 'n');
        names.insert(name);
        Touch(top + "/p1/" + name);
    }
    list = GetDirFileList((top + "/p1").c_str());
    ASSERT_NE(nullptr, list);
    s = list;
    PutMem(list);
    ASSERT_EQ(' ', s.front());
    ASSERT_EQ(' ', s.back());
    std::set<std::string> got;
    std::istringstream in(s);
    for (std::string w; in >> w;)
        got.insert(w);
    EXPECT_EQ(names, got);
}

} // namespace
