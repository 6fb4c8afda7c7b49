// Tests of the generated interface scripts: the branches that whole runs under CUPS and LPRng do
// not reach, run by /bin/sh against stand-in print tools that record the arguments and environment
// they receive.
#include "install/scripts.h"
#include "testutil.h"

namespace {

using namespace tu;

// A stand-in print tool: appends "CALLn:" with its arguments in brackets, its working directory,
// the content of argument files, the job variables and its standard input to R/record; fails until
// call number succeedAt.
std::string StandIn(const std::string &r, int succeedAt) {
    return "#!/bin/sh\nn=`cat " + r + "/n 2>/dev/null || echo 0`; n=$((n + 1)); echo $n > " + r +
           "/n\n{\n"
           "  printf 'CALL%s:' \"$n\"; printf '[%s]' \"$@\"; echo\n"
           "  echo \"PWD=`pwd`\"\n"
           "  for f in \"$@\"; do [ -f \"$f\" ] && echo \"CONTENT=`cat \"$f\"`\"; done\n"
           "  for v in TolvarPrinter TolvarRequest_id TolvarUser_name TolvarTitle TolvarCopies "
           "TolvarOption_list TolvarHost_name TolvarJob_title TolvarControl_file "
           "TolvarFileSourceDir; do eval \"echo $v=\\${$v-}\"; done\n"
           "  echo \"STDIN=`cat`\"\n"
           "} >> " + r + "/record\necho tool-output\n[ $n -ge " + std::to_string(succeedAt) + " ]\n";
}

// In the texts of a case, @A stands for APP, @R for the test's directory and @S for the spool
// directory VarenVSF was made with.
struct Case {
    const char *flags; // content of .tv_cfg, none when null
    int succeedAt;     // the call of the tool that first succeeds
    const char *dir, *env, *script, *args, *input;
    int status;
    std::vector<const char *> recorded; // texts the record holds
};

const Case CASES[] = {
    // System V: the queue is the script's name, the title loses its "###" tail.
    {nullptr, 1, "@R", "", "@R/queue1", "42 alice 'Rep###1 x' 2 o=1 /j/f1 /j/f2", "", 0,
     {"CALL1:[-dqueue1][-i][/j/f1][/j/f2]\nPWD=@A\n", "TolvarPrinter=queue1\nTolvarRequest_id=42\n"
      "TolvarUser_name=alice\nTolvarTitle=Rep\nTolvarCopies=2\nTolvarOption_list=o=1\n"}},
    // CUPS, the last word of the flags: the queue from PRINTER, the title kept.
    {" BSD junk CUPS ", 1, "@R", "PRINTER=lp2", "@A/VarenPrinttvxx", "7 bob 'T###1' 1 '' /j/a", "", 0,
     {"CALL1:[-dlp2][-i][/j/a]\n", "TolvarPrinter=lp2\nTolvarRequest_id=7\nTolvarUser_name=bob\n"
      "TolvarTitle=T###1\n"}},
    // BSD: the queue is the working directory's name.
    {" BSD ", 1, "@R/lpd/queue7", "", "@A/VarenPrinttvxx", "-w132 -l66", "", 0, {"CALL1:[-dqueue7][-f]\n"}},
    // LPRng: the queue from -Q; a tool that fails makes the filter end with status 1.
    {" LPRng ", 99, "@R", "", "@A/VarenPrinttvxx", "-Aj5 -Qq5", "", 1, {"CALL1:[-dq5][-f]\n"}},
    // VSF, System V: vsf runs again until it succeeds, the job files after the five interface
    // arguments.
    {" V5 ", 3, "@R", "", "@R/q5", "1 u t 1 o /j/a", "", 0,
     {"CALL2:[/j/a]\nPWD=@A\n", "CALL3:[/j/a]\nPWD=@A\nTolvarPrinter=q5\n"}},
    // VSF, BSD: the job on standard input is stored as SPOOL/QUEUE/QUEUE.PID.
    {" BSD ", 2, "@R/lpd/queueB", "", "@A/VarenVSF", "", "JOBDATA", 0,
     {"CALL1:[@S/queueB/queueB.", "CALL2:[@S/queueB/queueB.", "CONTENT=JOBDATA\n"}},
    // VSF, LPRng: with a -f naming no readable file, the job is stored as ${SPOOL_DIR}/QUEUE.PID;
    // named readable files are gathered.
    {" LPRng ", 1, "@R/lpr/queueM", "SPOOL_DIR=@R/lprspool", "@A/VarenVSF", "-f/elsewhere/report.txt",
     "NAMEDJOB", 0, {"CALL1:[@R/lprspool/queueM.", "CONTENT=NAMEDJOB\n"}},
    {" LPRng ", 1, "@R", "SPOOL_DIR=@R/lprspool", "@A/VarenVSF",
     "-Q q -f @R/j1 -Nfoo.txt -Zx=1 -f @R/j2", "", 0, {"CALL1:[@R/j1][@R/j2]\n"}},
};

using Scripts = Dirs;

TEST_F(Scripts, EveryBranchWithStandInTools) {
    std::string r = MakeTempDir(), app = r + "/app", spool = r + "/spool/tvxx";
    auto fill = [&](std::string s) {
        for (auto [mark, value] : {std::pair{"@A", &app}, {"@R", &r}, {"@S", &spool}})
            for (size_t at; (at = s.find(mark)) != std::string::npos;)
                s.replace(at, 2, *value);
        return s;
    };
    ASSERT_EQ(0, Sh("mkdir -p " + app + " " + spool + "/queueB " + r + "/lprspool"));
    UseDirs(r, r, r, app);
    ASSERT_EQ(1, generateVarenPrinttvxxScript((app + "/VarenPrinttvxx").c_str(), ScriptShShell,
                                              VarenPrinttvxxScript));
    ASSERT_EQ(1, generateVarenVSFScript((app + "/VarenVSF").c_str(), ScriptShShell, VarenVSFScript,
                                        spool.c_str()));
    symlink((app + "/VarenPrinttvxx").c_str(), (r + "/queue1").c_str());
    symlink((app + "/VarenVSF").c_str(), (r + "/q5").c_str());
    WriteFile(r + "/j1", "ONE"), WriteFile(r + "/j2", "TWO");
    for (const Case &c : CASES) {
        for (const char *tool : {"tvrtvxxtty", "vsf"})
            WriteFile(app + "/" + tool, StandIn(r, c.succeedAt), 0755);
        unlink((app + "/.tv_cfg").c_str());
        if (c.flags != nullptr)
            WriteFile(app + "/.tv_cfg", c.flags);
        WriteFile(r + "/record", ""), WriteFile(r + "/n", "0"), WriteFile(r + "/stdin", c.input);
        std::string dir = fill(c.dir);
        EXPECT_EQ(c.status, Sh("mkdir -p " + dir + " && cd " + dir + " && env " + fill(c.env) +
                               " timeout 30 /bin/sh " + fill(c.script) + " " + fill(c.args) +
                               " < " + r + "/stdin > /dev/null 2>&1")) << c.args;
        std::string rec = ReadFile(r + "/record");
        for (const char *text : c.recorded)
            EXPECT_NE(rec.find(fill(text)), std::string::npos) << fill(text) << " not in:\n" << rec;
    }
    // BSD keeps the tool's output in the queue directory; stored jobs are removed, named files
    // kept.
    EXPECT_EQ("tool-output\n", ReadFile(r + "/lpd/queue7/tolvartvxx.log"));
    EXPECT_EQ(0, Sh("[ -z \"$(find " + spool + "/queueB " + r + "/lprspool -mindepth 1)\" ]"));
    EXPECT_TRUE(Exists(r + "/j1") && Exists(r + "/j2"));
}

} // namespace
