// Tests of the generated scripts: their head and layout, their syntax, and
// every branch run by the real /bin/sh against stand-in print tools that
// record the arguments and environment they receive.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "helpers.h"
#include "install/scripts.h"

using namespace insttest;

namespace {

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::stringstream ss(text);
    std::string line;
    while (std::getline(ss, line)) {
        lines.push_back(line);
    }
    return lines;
}

// A stand-in print tool: appends its arguments (each in brackets), its
// working directory and the job variables to RECORD, and exits with status 0
// from the call number succeedAt on (earlier calls fail).
std::string StandIn(const std::string &record, const std::string &counter, int succeedAt) {
    return "#!/bin/sh\n"
           "n=`cat " +
           counter + " 2>/dev/null || echo 0`\n" + "n=$((n + 1))\n" + "echo $n > " + counter +
           "\n" + "{\n" + "  printf 'CALL%s:' \"$n\"; printf '[%s]' \"$@\"; echo\n" +
           "  echo \"PWD=`pwd`\"\n" +
           "  for f in \"$@\"; do [ -f \"$f\" ] && echo \"CONTENT $f=`cat \"$f\"`\"; done\n" +
           "  for v in TolvarPrinter TolvarRequest_id TolvarUser_name TolvarTitle TolvarCopies "
           "TolvarOption_list TolvarHost_name TolvarJob_title TolvarControl_file "
           "TolvarFileSourceDir TolvarQueue; do eval \"echo $v=\\${$v-unset}\"; done\n" +
           "} >> " + record + "\n" + "echo tool-output\n" + "[ $n -ge " +
           std::to_string(succeedAt) + " ]\n";
}

class ScriptsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitInstallerOnce();
        root_ = MakeTempDir();
        app_ = root_ + "/app";
        mkdir(app_.c_str(), 0755);
        savedApp_ = pAppDir;
        appCopy_ = app_;
        pAppDir = appCopy_.data();
        record_ = root_ + "/record";
        counter_ = root_ + "/count";
    }
    void TearDown() override { pAppDir = savedApp_; }

    // Writes both interface scripts into APP, the stand-ins beside them and
    // the flags file (none when flags is null).
    void Prepare(const char *flags, int succeedAt = 1) {
        ASSERT_EQ(1, generateVarenPrinttvxxScript((app_ + "/VarenPrinttvxx").c_str(), ScriptShShell,
                                                  VarenPrinttvxxScript));
        spool_ = root_ + "/spool/tvxx";
        ASSERT_EQ(0, Sh("mkdir -p " + spool_));
        ASSERT_EQ(1, generateVarenVSFScript((app_ + "/VarenVSF").c_str(), ScriptShShell,
                                            VarenVSFScript, spool_.c_str()));
        for (const char *tool : {"tvrtvxxtty", "vsf", "AixInterface"}) {
            WriteFile(app_ + "/" + tool, StandIn(record_, counter_, succeedAt), 0755);
        }
        if (flags != nullptr) {
            WriteFile(app_ + "/.tv_cfg", flags);
        }
    }

    // Runs script (a path) with /bin/sh in dir, with the environment
    // assignments env and the arguments args, standard input from input.
    int Run(const std::string &dir, const std::string &env, const std::string &script,
            const std::string &args, const std::string &input = "") {
        WriteFile(root_ + "/stdin", input);
        return Sh("cd " + dir + " && env " + env + " timeout 30 /bin/sh " + script + " " + args +
                  " < " + root_ + "/stdin > " + root_ + "/stdout 2>&1");
    }

    std::string Record() { return ReadFile(record_); }

    std::string root_, app_, appCopy_, record_, counter_, spool_;
    char *savedApp_ = nullptr;
};

TEST_F(ScriptsTest, HeadBannerAndLayoutOfBothInterfaceScripts) {
    Prepare(" BSD ");
    time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    std::string year = std::to_string(local.tm_year + 1900);

    for (const char *name : {"VarenPrinttvxx", "VarenVSF"}) {
        SCOPED_TRACE(name);
        std::string path = app_ + "/" + name;
        std::string text = ReadFile(path);
        std::vector<std::string> lines = Lines(text);
        ASSERT_GT(lines.size(), 9u);
        EXPECT_EQ("#!/bin/sh", lines[0]);
        EXPECT_EQ(std::string(63, '#'), lines[1]);
        EXPECT_EQ("##" + std::string(59, ' ') + "##", lines[2]);
        EXPECT_EQ(63u, lines[3].size());
        EXPECT_EQ(0u, lines[3].find("##  "));
        EXPECT_EQ(59u, lines[3].rfind("  ##"));
        EXPECT_NE(std::string::npos, lines[3].find(year));
        EXPECT_NE(std::string::npos, lines[3].find("Varen"));
        EXPECT_EQ(lines[2], lines[4]);
        EXPECT_EQ(lines[1], lines[5]);
        EXPECT_EQ("", lines[6]);
        EXPECT_EQ("ToolPath=\"" + app_ + "\"", lines[7]);
        // The last line is esac, without a line end.
        ASSERT_GE(text.size(), 5u);
        EXPECT_EQ("\nesac", text.substr(text.size() - 5));
        EXPECT_EQ(0755, ModeOf(path));
        EXPECT_EQ(0, Sh("/bin/sh -n " + path));
        EXPECT_EQ(0, Sh("shellcheck --shell=sh --severity=error " + path + " > /dev/null"));
    }
    std::vector<std::string> vsf = Lines(ReadFile(app_ + "/VarenVSF"));
    EXPECT_EQ("SpoolDir=\"" + spool_ + "\"", vsf[9]);
}

TEST_F(ScriptsTest, RewritingReplacesTheWholeFileAndUnwritablePathReports) {
    std::string path = app_ + "/VarenPrinttvxx";
    WriteFile(path, std::string(20000, 'x'), 0600);
    ASSERT_EQ(1, generateVarenPrinttvxxScript(path.c_str(), ScriptShShell, VarenPrinttvxxScript));
    std::string text = ReadFile(path);
    EXPECT_EQ(std::string::npos, text.find('x' + std::string(10, 'x')));
    EXPECT_EQ(0755, ModeOf(path));

    std::string bad = root_ + "/missing/VarenVSF";
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, generateVarenVSFScript(bad.c_str(), ScriptShShell, VarenVSFScript, "/s"));
    EXPECT_EQ("ERROR: can't open file, " + bad + "\n", testing::internal::GetCapturedStderr());
    EXPECT_FALSE(Exists(bad));
}

// System V: no flags file means V5; the queue is the script's own name, the
// title loses its "###" tail, the job files follow -i.
TEST_F(ScriptsTest, PrinttvxxV5WithoutFlagsFile) {
    Prepare(nullptr);
    ASSERT_EQ(0, symlink((app_ + "/VarenPrinttvxx").c_str(), (root_ + "/queue1").c_str()));
    ASSERT_EQ(0, Run(root_, "", root_ + "/queue1",
                     "42 alice 'Report###1 rest' 2 'opt=1' /jobs/f1 /jobs/f2"));
    std::string rec = Record();
    EXPECT_NE(std::string::npos, rec.find("CALL1:[-dqueue1][-i][/jobs/f1][/jobs/f2]\n")) << rec;
    EXPECT_NE(std::string::npos, rec.find("PWD=" + app_ + "\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarPrinter=queue1\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarRequest_id=42\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarUser_name=alice\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarTitle=Report\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarCopies=2\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarOption_list=opt=1\n"));
}

// The last recognised word of the flags file wins: BSD then CUPS is CUPS.
// The queue comes from PRINTER and the title is passed unedited.
TEST_F(ScriptsTest, PrinttvxxCupsWinsAsLastWord) {
    Prepare(" BSD junk CUPS ");
    ASSERT_EQ(0, Run(root_, "PRINTER=lp2", app_ + "/VarenPrinttvxx", "7 bob 'T###1' 1 '' /jobs/a"));
    std::string rec = Record();
    EXPECT_NE(std::string::npos, rec.find("CALL1:[-dlp2][-i][/jobs/a]\n")) << rec;
    EXPECT_NE(std::string::npos, rec.find("TolvarTitle=T###1\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarPrinter=lp2\n"));
}

// BSD: the queue is the name of the working directory (the spool directory),
// the tool's output goes to tolvartvxx.log there.
TEST_F(ScriptsTest, PrinttvxxBsdUsesQueueDirectoryAndLog) {
    Prepare(" BSD ");
    std::string queue = root_ + "/lpspool/queue7";
    ASSERT_EQ(0, Sh("mkdir -p " + queue));
    ASSERT_EQ(0, Run(queue, "", app_ + "/VarenPrinttvxx", "-w132 -l66"));
    std::string rec = Record();
    EXPECT_NE(std::string::npos, rec.find("CALL1:[-dqueue7][-f]\n")) << rec;
    EXPECT_EQ("tool-output\n", ReadFile(queue + "/tolvartvxx.log"));
}

// LPRng: the control text is read line by line; host, user, options, queue,
// title and the first data file reach the tool, which runs at the -A line.
TEST_F(ScriptsTest, PrinttvxxLprngReadsControlText) {
    Prepare(" LPRng ");
    std::string from = root_ + "/from";
    ASSERT_EQ(0, Sh("mkdir -p " + from));
    std::string control = "'CONTROL=Hhost1\nPbob\nZduplex,a4\nQlpq\nJmy title\nNjob7\n"
                          "UdfA001host1\nUdfB002host1\n'";
    ASSERT_EQ(0, Run(from, control + " SPOOL_DIR=/var/spool/lpd/other", app_ + "/VarenPrinttvxx",
                     "-Ajob1 -Pqueue"));
    std::string rec = Record();
    EXPECT_NE(std::string::npos, rec.find("CALL1:[-dlpq][-f][-oduplex][-oa4][my][title]\n")) << rec;
    EXPECT_NE(std::string::npos, rec.find("PWD=" + app_ + "\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarHost_name=host1\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarUser_name=bob\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarJob_title=job7\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarControl_file=cfA001host1\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarFileSourceDir=" + from + "\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarQueue=lpq\n"));
}

// LPRng without a queue line: PRINTER names the queue, else the last
// component of SPOOL_DIR.
TEST_F(ScriptsTest, PrinttvxxLprngQueueFromPrinterOrSpoolDir) {
    Prepare(" LPRng ");
    ASSERT_EQ(0, Run(root_, "'CONTROL=Hh\n' PRINTER=pr1 SPOOL_DIR=/x/sd1", app_ + "/VarenPrinttvxx",
                     "-Aj1"));
    ASSERT_EQ(0, Run(root_, "'CONTROL=Hh\n' SPOOL_DIR=/x/sd2", app_ + "/VarenPrinttvxx", "-Aj2"));
    std::string rec = Record();
    EXPECT_NE(std::string::npos, rec.find("CALL1:[-dpr1][-f]\n")) << rec;
    EXPECT_NE(std::string::npos, rec.find("CALL2:[-dsd2][-f]\n")) << rec;
}

TEST_F(ScriptsTest, PrinttvxxAixPassesArgumentsOn) {
    Prepare(" AIX ");
    ASSERT_EQ(0, Run(root_, "", app_ + "/VarenPrinttvxx", "a 'b c'"));
    EXPECT_NE(std::string::npos, Record().find("CALL1:[a][b][c]\n")) << Record();
}

// VSF, System V: vsf runs again until it succeeds (here at the third call),
// with the job files after the five interface arguments.
TEST_F(ScriptsTest, VsfV5RetriesUntilSuccess) {
    Prepare(" V5 ", 3);
    ASSERT_EQ(0, symlink((app_ + "/VarenVSF").c_str(), (root_ + "/q5").c_str()));
    ASSERT_EQ(0, Run(root_, "", root_ + "/q5", "1 u t 1 o /jobs/a"));
    std::string rec = Record();
    EXPECT_EQ(3, Count(rec, ":[/jobs/a]\n")) << rec;
    EXPECT_NE(std::string::npos, rec.find("CALL3:[/jobs/a]\n"));
    EXPECT_EQ(std::string::npos, rec.find("CALL4"));
    EXPECT_NE(std::string::npos, rec.find("TolvarPrinter=q5\n"));
    EXPECT_NE(std::string::npos, rec.find("PWD=" + app_ + "\n"));
}

TEST_F(ScriptsTest, VsfCupsTakesQueueFromPrinter) {
    Prepare(" CUPS ");
    ASSERT_EQ(0, Run(root_, "PRINTER=cq", app_ + "/VarenVSF", "1 u t 1 o /jobs/c"));
    std::string rec = Record();
    EXPECT_NE(std::string::npos, rec.find("CALL1:[/jobs/c]\n")) << rec;
    EXPECT_NE(std::string::npos, rec.find("TolvarPrinter=cq\n"));
}

// VSF, BSD: the job on standard input is stored as SPOOL/QUEUE/QUEUE.PID,
// printed (with retries) and removed.
TEST_F(ScriptsTest, VsfBsdStoresJobFromStdinAndRemovesIt) {
    Prepare(" BSD ", 2);
    std::string queue = root_ + "/lpd/queueB";
    ASSERT_EQ(0, Sh("mkdir -p " + queue + " " + spool_ + "/queueB"));
    ASSERT_EQ(0, Run(queue, "", app_ + "/VarenVSF", "", "JOBDATA"));
    std::string rec = Record();
    std::string prefix = "CALL1:[" + spool_ + "/queueB/queueB.";
    ASSERT_NE(std::string::npos, rec.find(prefix)) << rec;
    EXPECT_NE(std::string::npos, rec.find("CALL2:[" + spool_ + "/queueB/queueB."));
    EXPECT_EQ(2, Count(rec, "=JOBDATA\n"));
    EXPECT_EQ(0, Sh("[ -z \"$(ls -A " + spool_ + "/queueB)\" ]"));
}

// VSF, LPRng with -f (stdin): the job is stored as ${SPOOL_DIR}/QUEUE.PID,
// printed and then removed; other options are skipped by getopts.
TEST_F(ScriptsTest, VsfLprngStdinJobStoredPrintedAndRemoved) {
    Prepare(" LPRng ", 2);
    std::string queue = root_ + "/lpr/queueL";
    std::string spoolDir = root_ + "/lprspool";
    ASSERT_EQ(0, Sh("mkdir -p " + queue + " " + spoolDir));
    ASSERT_EQ(0, Run(queue, "SPOOL_DIR=" + spoolDir, app_ + "/VarenVSF",
                     "-P queueL -H host -f '(stdin)' -J title", "STDINJOB"));
    std::string rec = Record();
    ASSERT_NE(std::string::npos, rec.find("CALL1:[" + spoolDir + "/queueL.")) << rec;
    EXPECT_NE(std::string::npos, rec.find("CALL2:[" + spoolDir + "/queueL."));
    EXPECT_EQ(2, Count(rec, "=STDINJOB\n"));
    EXPECT_EQ(0, Sh("[ -z \"$(ls -A " + spoolDir + ")\" ]"));
}

// VSF, LPRng with named files: all -f files are gathered and kept.
TEST_F(ScriptsTest, VsfLprngNamedFilesAreGatheredAndKept) {
    Prepare(" LPRng ");
    WriteFile(root_ + "/j1", "ONE");
    WriteFile(root_ + "/j2", "TWO");
    ASSERT_EQ(0, Run(root_, "SPOOL_DIR=" + root_, app_ + "/VarenVSF",
                     "-Q q -f " + root_ + "/j1 -x y -f " + root_ + "/j2"));
    std::string rec = Record();
    EXPECT_NE(std::string::npos, rec.find("CALL1:[" + root_ + "/j1][" + root_ + "/j2]\n")) << rec;
    EXPECT_TRUE(Exists(root_ + "/j1"));
    EXPECT_TRUE(Exists(root_ + "/j2"));
}

// A wrapper command changes to APP, remembers the starting directory and
// replaces itself by the program with all its arguments.
TEST_F(ScriptsTest, WrapperRunsProgramFromApp) {
    Prepare(nullptr);
    std::string wrapper = root_ + "/tool";
    GenSimpleScript(wrapper.c_str(), ScriptShShell, SimpleScript, app_.c_str(), app_.c_str(),
                    "vsf");
    EXPECT_EQ(0755, ModeOf(wrapper));
    std::vector<std::string> lines = Lines(ReadFile(wrapper));
    ASSERT_EQ(13u, lines.size());
    EXPECT_EQ("", lines[7]);
    EXPECT_EQ("TolvarFileSourceDir=`pwd`", lines[8]);
    EXPECT_EQ("cd " + app_, lines[11]);
    EXPECT_EQ("exec " + app_ + "/vsf $*", lines[12]);
    EXPECT_EQ('\n', ReadFile(wrapper).back());
    EXPECT_EQ(0, Sh("shellcheck --shell=sh --severity=error " + wrapper + " > /dev/null"));

    std::string from = root_ + "/start";
    ASSERT_EQ(0, Sh("mkdir -p " + from));
    ASSERT_EQ(0, Run(from, "", wrapper, "x y"));
    std::string rec = Record();
    EXPECT_NE(std::string::npos, rec.find("CALL1:[x][y]\n")) << rec;
    EXPECT_NE(std::string::npos, rec.find("PWD=" + app_ + "\n"));
    EXPECT_NE(std::string::npos, rec.find("TolvarFileSourceDir=" + from + "\n"));
}

} // namespace
