// Tests of the host queries against canned ps, df and du output: exact name
// matching on the sixth field, the running-programs report, the "avail"
// column, wrapped and short df output, and du totals.
#include "syscmd/query.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "support/mem.h"
#include "syscmd/cmdtable.h"
#include "syscmd/log.h"

namespace {

// ps, df and du are fakes that print the file "out" of a temporary directory
// and record their arguments in "args".
class Query : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qXXXXXX";
        dir = mkdtemp(tmpl);
        for (const char *name : {"/ps", "/df", "/du"}) {
            std::string path = dir + name;
            std::ofstream(path) << "#!/bin/sh\necho \"$*\" > " << dir << "/args\ncat " << dir
                                << "/out\n";
            chmod(path.c_str(), 0755);
        }
        for (int id : {CMD_PS, CMD_DF, CMD_DU})
            ComList[id].pPath = dir.c_str();
        flInitSysCmd = false;
    }
    void TearDown() override {
        for (int id : {CMD_PS, CMD_DF, CMD_DU})
            ComList[id].pPath = nullptr;
    }
    void Output(const std::string &text) { std::ofstream(dir + "/out") << text; }
    std::string Args() {
        std::string line;
        std::getline(std::ifstream(dir + "/args"), line);
        return line;
    }
    std::string dir;
};

std::string Take(char *text) {
    std::string s = text ? text : "(null)";
    PutMem(text);
    return s;
}

const char PS_OUT[] = "  PID TTY STAT TIME CMD\n"
                      "  812 ?   S    0:01 x tvadmin\n"
                      "  900 ?   S    0:01 x tvadmin2\n"
                      "  901 ?   S    0:01 tvadmin vsf\n"
                      "  902 tvadmin\n"
                      " 1040 pts/1 R  0:00 y\ttvadmin\n"
                      "   77 ?   S    0:00 z tvqadmin\n";

TEST_F(Query, ProcessIdsByExactName) {
    Output(PS_OUT);
    EXPECT_EQ(" 812 1040 ", Take(GetSysPsIdList("tvadmin")));
    EXPECT_EQ("-ace", Args());
    EXPECT_EQ(" 901 ", Take(GetSysPsIdList("vsf")));
    EXPECT_EQ("(null)", Take(GetSysPsIdList("tvadmi")));
    EXPECT_EQ("(null)", Take(GetSysPsIdList("TVQ")));

    EXPECT_EQ("tvqadmin ( 77 )\ntvadmin ( 812 1040 )\n",
              Take(CheckProcTableForExecs(",tvqadmin,tolvar,,tvadmin,TVQ,TVRM,xx,")));
    EXPECT_EQ("(null)", Take(CheckProcTableForExecs(",tolvar,TVQ,")));
    EXPECT_EQ("(null)", Take(CheckProcTableForExecs(",,")));

    // A list far longer than any fixed buffer still reports every match.
    std::string many;
    for (int i = 0; i < 60; i++)
        many += ",tvadmin";
    std::string report = Take(CheckProcTableForExecs(many.c_str()));
    EXPECT_EQ(60 * (sizeof("tvadmin ( 812 1040 )\n") - 1), report.size());
}

TEST_F(Query, DiskSpaceFromTheAvailColumn) {
    DiskSpaceInfo info;
    Output("Filesystem 1K-blocks Used Available Use% Mounted on\n"
           "/dev/sda1 1000 400 600 40% /\n");
    EXPECT_TRUE(GetDiskSpace("/tmp/x", &info));
    EXPECT_EQ("/tmp/x", Args());
    EXPECT_EQ(600, info.Avail);
    EXPECT_STREQ("/dev/sda1 1000 400 600 40% /\n", info.DfLine);

    Output("Filesystem Size Used AVAIL Use% Mounted on\ntmpfs 2.0G 0 1.5G 0% /tmp\n");
    EXPECT_TRUE(GetDiskSpace("/tmp", &info));
    EXPECT_EQ(1.5, info.Avail);

    // A long device name alone on the data line: no answer.
    Output("Filesystem 1K-blocks Used Available Use% Mounted on\n"
           "/dev/mapper/very-long-volume-name\n  1000 400 600 40% /\n");
    EXPECT_FALSE(GetDiskSpace("/", &info));
    EXPECT_STREQ("/dev/mapper/very-long-volume-name\n", info.DfLine);
    EXPECT_EQ(0, info.Avail);

    Output("Filesystem 1K-blocks Used Available\n");
    info.Avail = 5;
    EXPECT_TRUE(GetDiskSpace("/", &info));
    EXPECT_EQ(0, info.Avail);

    Output("Filesystem Size Used Free\n/dev/sda1 1 2 3\n");
    EXPECT_FALSE(GetDiskSpace("/", &info));
    Output("");
    EXPECT_FALSE(GetDiskSpace("/", &info));

    // A data line longer than DfLine is cut, and its figure still read.
    Output("Avail x\n7 " + std::string(5000, 'd') + "\n");
    EXPECT_TRUE(GetDiskSpace("/", &info));
    EXPECT_EQ(7, info.Avail);
    EXPECT_EQ(511u, strlen(info.DfLine));
}

TEST_F(Query, DiskUsageTotal) {
    Output("1234\t/opt/x\n");
    EXPECT_EQ(1234, DUPath("/opt/x"));
    EXPECT_EQ("-s /opt/x", Args());
    Output("");
    EXPECT_EQ(0, DUPath("/gone"));
}

} // namespace
