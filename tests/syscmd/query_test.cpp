// Tests of the host queries against canned ps, df and du output: exact name on the sixth field, the
// running-programs report, the "avail" column, and wrapped, short and overlong df output.
#include "syscmd/query.h"
#include "testutil.h"

namespace {

using tu::Take;

// ps, df and du print the file "out" of a temporary directory and record their arguments in "args".
class Query : public testing::Test {
  protected:
    void SetUp() override {
        for (int id : {CMD_PS, CMD_DF, CMD_DU})
            tu::FakeCmd(id, dir, "echo \"$*\" > " + dir + "/args\ncat " + dir + "/out");
        ComList[CMD_SH].pPath = "/bin";
        flInitSysCmd = false;
    }
    void Output(const std::string &text) { tu::WriteFile(dir + "/out", text); }
    std::string Args() { return tu::ReadFile(dir + "/args"); }
    std::string dir = tu::MakeTempDir();
};

TEST_F(Query, ProcessIdsByExactName) {
    Output("  PID TTY STAT TIME CMD\n"
           "  812 ?   S    0:01 x tvadmin\n"
           "  900 ?   S    0:01 x tvadmin2\n"
           "  901 ?   S    0:01 tvadmin vsf\n"
           "  902 tvadmin\n"
           " 1040 pts/1 R  0:00 y\ttvadmin\n"
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
    for (size_t i = 0; i < sizeof(Line) / 8 + 2; i++)
        full += "1234567 ? S 0:01 x tvadmin\n";
    Output(full);
    EXPECT_EQ((sizeof(Line) - 2) / 8 * 8 + 1, Take(GetSysPsIdList("tvadmin")).size());
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
        EXPECT_TRUE(c.answer == GetDiskSpace("/tmp/x", &info) && c.avail == info.Avail && !strcmp(c.dfLine, info.DfLine)) << c.out;
    }
    EXPECT_EQ("/tmp/x\n", Args());
    Output("Avail x\n7 " + std::string(5000, 'd') + "\n"); // longer than DfLine
    DiskSpaceInfo info;
    EXPECT_TRUE(GetDiskSpace("/", &info) && info.Avail == 7 && strlen(info.DfLine) == 511u);
    Output("1234\t/opt/x\n");
    EXPECT_EQ(1234, DUPath("/opt/x"));
    EXPECT_EQ("-s /opt/x\n", Args());
    Output("");
    EXPECT_EQ(0, DUPath("/gone"));
}

} // namespace
