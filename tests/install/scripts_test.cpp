// Tests of the generated scripts: their values, and every branch run by the
// real /bin/sh against stand-in print tools that record the arguments and
// environment they receive.
#include "install/scripts.h"

#include "testutil.h"

namespace {

using namespace tu;

// A stand-in print tool: appends "CALLn:" with its arguments in brackets, its
// working directory, the content of argument files, the job variables and
// its standard input to the record; fails until call number succeedAt.
std::string StandIn(const std::string &record, const std::string &counter, int succeedAt) {
    return "#!/bin/sh\nn=`cat " + counter + " 2>/dev/null || echo 0`; n=$((n + 1)); echo $n > " +
           counter +
           "\n{\n"
           "  printf 'CALL%s:' \"$n\"; printf '[%s]' \"$@\"; echo\n"
           "  echo \"PWD=`pwd`\"\n"
           "  for f in \"$@\"; do [ -f \"$f\" ] && echo \"CONTENT=`cat \"$f\"`\"; done\n"
           "  for v in TolvarPrinter TolvarRequest_id TolvarUser_name TolvarTitle TolvarCopies "
           "TolvarOption_list TolvarHost_name TolvarJob_title TolvarControl_file "
           "TolvarFileSourceDir; do eval \"echo $v=\\${$v-}\"; done\n"
           "  echo \"STDIN=`cat`\"\n"
           "} >> " +
           record + "\necho tool-output\n[ $n -ge " + std::to_string(succeedAt) + " ]\n";
}

class ScriptsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitInstallerOnce();
        ASSERT_EQ(0, Sh("mkdir -p " + app_ + " " + spool_));
        UseDirs(root_, root_, root_, app_);
    }

    // Writes both interface scripts, the stand-ins and the flags file (none
    // when flags is null) into APP.
    void Prepare(const char *flags, int succeedAt = 1) {
        ASSERT_EQ(1, generateVarenPrinttvxxScript((app_ + "/VarenPrinttvxx").c_str(), ScriptShShell,
                                                  VarenPrinttvxxScript));
        ASSERT_EQ(1, generateVarenVSFScript((app_ + "/VarenVSF").c_str(), ScriptShShell,
                                            VarenVSFScript, spool_.c_str()));
        for (const char *tool : {"tvrtvxxtty", "vsf"})
            WriteFile(app_ + "/" + tool, StandIn(root_ + "/record", root_ + "/n", succeedAt), 0755);
        if (flags != nullptr)
            WriteFile(app_ + "/.tv_cfg", flags);
    }

    // Runs script with /bin/sh in dir (created), with the environment
    // assignments env, the arguments args and input on standard input.
    int Run(const std::string &dir, const std::string &env, const std::string &script,
            const std::string &args, const std::string &input = "") {
        WriteFile(root_ + "/stdin", input);
        return Sh("mkdir -p " + dir + " && cd " + dir + " && env " + env + " timeout 30 /bin/sh " +
                  script + " " + args + " < " + root_ + "/stdin > /dev/null 2>&1");
    }

    void Recorded(const std::string &text) {
        std::string rec = ReadFile(root_ + "/record");
        EXPECT_NE(rec.find(text), std::string::npos) << "not recorded: " << text << "\n" << rec;
    }

    std::string root_ = MakeTempDir(), app_ = root_ + "/app", spool_ = root_ + "/spool/tvxx";
};

// System V (also with no flags file): the queue is the script's own name, the
// title loses its "###" tail, the job files follow -i. CUPS, last word of the
// flags, takes the queue from PRINTER and keeps the title.
TEST_F(ScriptsTest, PrinttvxxV5AndCups) {
    Prepare(nullptr);
    ASSERT_EQ(0, symlink((app_ + "/VarenPrinttvxx").c_str(), (root_ + "/queue1").c_str()));
    ASSERT_EQ(0, Run(root_, "", root_ + "/queue1", "42 alice 'Rep###1 x' 2 o=1 /j/f1 /j/f2"));
    Recorded("CALL1:[-dqueue1][-i][/j/f1][/j/f2]\nPWD=" + app_ + "\n");
    Recorded("TolvarPrinter=queue1\nTolvarRequest_id=42\nTolvarUser_name=alice\n"
             "TolvarTitle=Rep\nTolvarCopies=2\nTolvarOption_list=o=1\n");

    WriteFile(app_ + "/.tv_cfg", " BSD junk CUPS ");
    ASSERT_EQ(0, Run(root_, "PRINTER=lp2", app_ + "/VarenPrinttvxx", "7 bob 'T###1' 1 '' /j/a"));
    Recorded("CALL2:[-dlp2][-i][/j/a]\n");
    Recorded("TolvarPrinter=lp2\nTolvarRequest_id=7\nTolvarUser_name=bob\nTolvarTitle=T###1\n");
}

// BSD: the queue is the name of the working directory; the tool's output goes
// to tolvartvxx.log there.
TEST_F(ScriptsTest, PrinttvxxBsd) {
    Prepare(" BSD ");
    std::string queue = root_ + "/lpd/queue7";
    ASSERT_EQ(0, Run(queue, "", app_ + "/VarenPrinttvxx", "-w132 -l66"));
    Recorded("CALL1:[-dqueue7][-f]\n");
    EXPECT_EQ("tool-output\n", ReadFile(queue + "/tolvartvxx.log"));
}

// LPRng without a control text (a real LPRng run covers that): host, user,
// options, queue and title come from the options as LPRng 3.8 passes them;
// the tool reads the job from standard input; when it fails the filter ends
// with status 1.
TEST_F(ScriptsTest, PrinttvxxLprng) {
    Prepare(" LPRng ");
    std::string spool = root_ + "/lpd/pq";
    ASSERT_EQ(0, Run(spool, "PRINTER=pq SPOOL_DIR=" + spool, app_ + "/VarenPrinttvxx",
                     "-Aroot@h9+7 -CA -Ff -Hh9.example '-JMy Title' -Nfile.txt -Ppq -Qq9 "
                     "-Zopt1=1,opt2=2 -d" + spool + " -edfA007h9 -f'(STDIN)' -hh9 -j7 -nalice acct",
                     "JOB4"));
    Recorded("CALL1:[-dq9][-f][-oopt1=1][-oopt2=2][My Title]\nPWD=" + app_ + "\n");
    Recorded("TolvarUser_name=alice\nTolvarTitle=\nTolvarCopies=\nTolvarOption_list=\n"
             "TolvarHost_name=h9.example\nTolvarJob_title=file.txt\n"
             "TolvarControl_file=cfA007h9\nTolvarFileSourceDir=" +
             spool + "\nSTDIN=JOB4\n");

    Prepare(" LPRng ", 99);
    WriteFile(root_ + "/n", "0");
    EXPECT_EQ(1, Run(spool, "", app_ + "/VarenPrinttvxx", "-Aj5 -Qq5"));
    Recorded("CALL1:[-dq5][-f]\n");
}

// VSF, System V and CUPS: vsf runs again until it succeeds (here at the third
// call), with the job files after the five interface arguments.
TEST_F(ScriptsTest, VsfV5RetriesAndCups) {
    Prepare(" V5 ", 3);
    ASSERT_EQ(0, symlink((app_ + "/VarenVSF").c_str(), (root_ + "/q5").c_str()));
    ASSERT_EQ(0, Run(root_, "", root_ + "/q5", "1 u t 1 o /j/a"));
    EXPECT_EQ(3, Count(ReadFile(root_ + "/record"), ":[/j/a]\nPWD=" + app_ + "\n"));
    Recorded("CALL3:[/j/a]\nPWD=" + app_ + "\nTolvarPrinter=q5\n");

    WriteFile(app_ + "/.tv_cfg", " CUPS ");
    ASSERT_EQ(0, Run(root_, "PRINTER=cq", app_ + "/VarenVSF", "1 u t 1 o /j/c"));
    Recorded("CALL4:[/j/c]\nPWD=" + app_ + "\nTolvarPrinter=cq\n");
    EXPECT_EQ(std::string::npos, ReadFile(root_ + "/record").find("CALL5"));
}

// VSF, BSD: the job on standard input is stored as SPOOL/QUEUE/QUEUE.PID,
// printed (with a retry) and removed.
TEST_F(ScriptsTest, VsfBsdStoresJobFromStdin) {
    Prepare(" BSD ", 2);
    ASSERT_EQ(0, Sh("mkdir -p " + spool_ + "/queueB"));
    ASSERT_EQ(0, Run(root_ + "/lpd/queueB", "", app_ + "/VarenVSF", "", "JOBDATA"));
    Recorded("CALL2:[" + spool_ + "/queueB/queueB.");
    EXPECT_EQ(2, Count(ReadFile(root_ + "/record"), "CONTENT=JOBDATA\n"));
    EXPECT_EQ(0, Sh("[ -z \"$(ls -A " + spool_ + "/queueB)\" ]"));
}

// VSF, LPRng: with -f (STDIN), or a -f that names no readable file, the job
// on standard input is stored as ${SPOOL_DIR}/QUEUE.PID, printed and removed;
// named readable -f files are gathered and kept. Other options, as LPRng 3.8
// passes them (-Nfile.txt), are skipped.
TEST_F(ScriptsTest, VsfLprngStdinAndNamedFiles) {
    Prepare(" LPRng ", 2);
    std::string spoolDir = root_ + "/lprspool";
    ASSERT_EQ(0, Sh("mkdir -p " + spoolDir));
    ASSERT_EQ(0, Run(root_ + "/lpr/queueL", "SPOOL_DIR=" + spoolDir, app_ + "/VarenVSF",
                     "-Pqueue -H host '-f(STDIN)' -N'(STDIN)' -J title acct", "STDINJOB"));
    Recorded("CALL2:[" + spoolDir + "/queueL.");
    EXPECT_EQ(2, Count(ReadFile(root_ + "/record"), "CONTENT=STDINJOB\n"));

    WriteFile(root_ + "/j1", "ONE");
    WriteFile(root_ + "/j2", "TWO");
    ASSERT_EQ(0, Run(root_, "SPOOL_DIR=" + spoolDir, app_ + "/VarenVSF",
                     "-Q q -f " + root_ + "/j1 -Nfoo.txt -Zx=1 -f " + root_ + "/j2"));
    Recorded("CALL3:[" + root_ + "/j1][" + root_ + "/j2]\n");
    EXPECT_TRUE(Exists(root_ + "/j1") && Exists(root_ + "/j2"));

    ASSERT_EQ(0, Run(root_ + "/lpr/queueM", "SPOOL_DIR=" + spoolDir, app_ + "/VarenVSF",
                     "-f/elsewhere/report.txt", "NAMEDJOB"));
    Recorded("CALL4:[" + spoolDir + "/queueM.");
    Recorded("CONTENT=NAMEDJOB\n");
    EXPECT_EQ(0, Sh("[ -z \"$(ls -A " + spoolDir + ")\" ]"));
}

// A wrapper command changes to APP, remembers the starting directory and
// replaces itself by the program with all its arguments.
TEST_F(ScriptsTest, WrapperRunsProgramFromApp) {
    Prepare(nullptr);
    std::string wrapper = root_ + "/tool";
    GenSimpleScript(wrapper.c_str(), ScriptShShell, SimpleScript, app_.c_str(), app_.c_str(),
                    "vsf");
    EXPECT_EQ(0755, ModeOf(wrapper));
    ASSERT_EQ(0, Run(root_ + "/start", "", wrapper, "x y"));
    Recorded("CALL1:[x][y]\nPWD=" + app_ + "\n");
    Recorded("TolvarFileSourceDir=" + root_ + "/start\n");
}

} // namespace
