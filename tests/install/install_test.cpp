// Unit tests of the installation steps: messages and language, package lists, interface scripts.
#include "install/medium.h"
#include "install/nls.h"
#include "install/pkglist.h"
#include "install/scripts.h"
#include "install/site.h"
#include "syscmd/run.h"
#include "testutil.h"
#include <set>
#include <sys/utsname.h>
namespace {
using namespace tu;
using Strings = std::vector<std::string>;
// ---- The message tables.
const char *const *const Tables[] = {NLS_ENGLISH, NLS_SPANISH, NLS_ITALIAN,
                                     NLS_FRENCH,  NLS_GERMAN,  NLS_PORTUGUESE};
// The printf conversions of a text, in order, each with its flags, width, precision and length
// (so "%s" and "%e" differ, and a stray "%" shows up as an odd conversion).
Strings Conversions(const std::string &text) {
    Strings found;
    for (size_t at = text.find('%'), end; at != std::string::npos; at = text.find('%', end)) {
        end = std::min(text.find_first_not_of("-+ #0123456789.*hlLqjzt", at + 1), text.size() - 1);
        found.push_back(text.substr(at, ++end - at));
    }
    return found;
}
// Every translation takes the English placeholders in kind and order, and exactly the messages
// the installer shows have texts; the callers pass what the English texts take.
TEST(MessageTables, PlaceholdersAndShownTextsInEveryLanguage) {
    const std::set<int> unused = {0, 19, 20, 48, 50, 51, 52, 53, 54, 57, 58, 59, 61, 64};
    for (int lang = 0; lang < 6; lang++)
        for (int id = 0; id < NLS_COUNT; id++) {
            const char *text = Tables[lang][id];
            ASSERT_NE(text, nullptr) << lang << " " << id;
            EXPECT_EQ(Conversions(text), Conversions(NLS_ENGLISH[id])) << lang << " message " << id;
            bool empty = unused.count(id) > 0;
            EXPECT_EQ(text[0] == '\0', empty) << lang << " message " << id;
        }
    const std::pair<int, const char *> callers[] = {
        {MSG_UNSAFE_PATH, "%s%%"}, {MSG_PLACE_FULL, "%s"}, {MSG_WORK_NOT_OWN, "%s"},
        {MSG_OTHER_RUN, "%s"}, {MSG_WORK_TOO_SMALL, "%s%e"}, {MSG_SHARED_TOO_SMALL, "%s%s%e"},
        {MSG_OLD_DAEMON, "%s%s%s%s"}, {MSG_FAILED_STEPS, "%d"}, {MSG_LONG_NAME, "%s%d%s"},
        {MSG_BAD_PIECE, "%s%s"}, {MSG_UNSAFE_DIR, "%s%s%s%s"}, {MSG_LOCK_NOT_ROOTS, "%s%s%s%s%lu"},
        {MSG_LOCK_FAILED, "%s%s"}, {MSG_USAGE, "%s"}, {MSG_OPTIONS_CLASH, "%s%s"}, {MSG_RECORD_UNTRUSTED, "%s%s%s%s"},
        {MSG_RECORD_BAD_LINE, "%s%d"}, {MSG_NOT_RECORDED, ""}, {MSG_STOP_SIZES, "%s"},
        {MSG_SPOOLER_UNDECIDED, "%s"}, {MSG_NOT_MEDIUM_FILE, "%s%s"}, {MSG_NO_LOG, "%s"},
        {MSG_NO_SPACE_LEFT, "%s%s%s"}, {MSG_WORK_REFUSED, "%s%s"}, {MSG_MOUNT_POINT, "%s"},
        {MSG_NO_INSTALLATION, "%s"}, {MSG_DANGLING_LINK, "%s%s"}, {MSG_KEPT_CHANGED, "%s"},
        {MSG_KEPT_FOREIGN, "%s"}, {MSG_NOT_REMOVED, "%s"}, {MSG_QUEUE_USES, "%s%s%s"}, {MSG_REMOVED, ""},
        {MSG_REMOVED_KEPT, "%d%s"}, {MSG_STOP_REMOVAL, ""}, {MSG_MOVED_SINCE, "%s%s"},
        {MSG_REMOVAL_STOPPED, "%s%s"}, {MSG_INTERRUPTED, "%s%s"}};
    for (const auto &[id, expected] : callers)
        EXPECT_EQ(Conversions(expected), Conversions(NLS_ENGLISH[id])) << id;
}
// The copy's names: a line that is only the end marker ends the list; a backslash keeps the
// character after it (a line end too) in the name, one at the very end takes nothing. The list,
// and the checksum file read to check it, are given back.
TEST(DisksList, LinesMarkersAndBackslashes) {
    for (auto [text, want] : {std::pair{"a b\nc end_of_list d\nend_of_list\ne\n", "a|b|c|"},
                              {"x\\\nend_of_list\ny\n", "x\nend_of_list|y|"}, {"\r\nlast\\", "last|"}}) {
        long before = InUse().first;
        WordList names = ListedNames(text);
        std::string got;
        for (int i = 0; i < names.count; ++i)
            got += std::string(names.words[i]) + "|";
        FreeWords(names);
        EXPECT_EQ(want, got) << text;
        EXPECT_EQ(before, InUse().first) << text;
    }
#if !defined(__SANITIZE_ADDRESS__) // the sanitizer's own mappings need the room this takes away
    std::string many(200000, 'a'); // a list with no room for its words: empty, nothing written
    ChildRun run = RunInChild([&] {
        WordList words = LimitAddressSpace(0) ? CollectWords(many.c_str(), " ") : WordList{nullptr, 9};
        return words.words == nullptr ? words.count : 8;
    });
    EXPECT_EQ(0, run.status) << run.err;
#endif
}
// ---- The package-list interpreter, checked by the files it leaves and the commands it logs.
// The command table located once for the program (kept for its life), logging on, English.
struct Installer : testing::Environment {
    void SetUp() override { unsetenv("LANG"), flUseLog = 1, InitSysCmdList(), nlsSetupStrCvt(0); }
};
const testing::Environment *const installer = testing::AddGlobalTestEnvironment(new Installer);
std::string ReadLog() { return ReadFile("/tmp/setup.log"); }
// SITE and BASE are a temporary ROOT, WORK is ROOT/work holding the package pkg, APP is ROOT/app.
class PkgListTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(0, Sh("mkdir -p " + pkg_ + "/tree/sub " + app_));
        for (const char *name : {"a", "b", "d", "e", "f", "g", "tool"})
            WriteFile(pkg_ + "/" + name, std::string("file ") + name + "\n");
        WriteFile(pkg_ + "/tree/sub/inner", "inner\n"), StartRunLog(), truncate("/tmp/setup.log", 0);
        pPathToSetup = SaveStr("%s", root_.c_str()), pVarenInstallDir = SaveStr("%s", work_.c_str());
        pTargetInstallDir = SaveStr("%s", root_.c_str()), pAppDir = SaveStr("%s", app_.c_str());
        pCurrentInstallDir = nullptr;
    }
    void TearDown() override {
        for (char **p : {&pPathToSetup, &pVarenInstallDir, &pTargetInstallDir, &pAppDir})
            PutMem(*p), *p = nullptr;
        flUseLog = 0, StartRunLog(), flUseLog = 1; // the log closed
    }
    int RunList(const std::string &text) {
        WriteFile(pkg_ + "/pkg.list", text);
        return ProcessPkgList("pkg");
    }
    bool Logged(const std::string &text) { return ReadLog().find(text) != std::string::npos; }
    bool InApp(const char *name) { return Exists(app_ + "/" + name); }
    std::string root_ = MakeTempDir(), work_ = root_ + "/work", app_ = root_ + "/app";
    std::string pkg_ = work_ + "/pkg";
};
// "c" and any unlisted word copy into APP, "#c" too; m and s act only on files APP holds; newdir
// makes 775 then applies its attributes, leaving an existing directory alone; attributes after
// "name" act on the old NAME; owner and group recurse; a failing attribute or a missing list ends
// with status 1.
TEST_F(PkgListTest, DirectivesAndAttributes) {
    std::string dest = root_ + "/elsewhere", link = root_ + "/toollink";
    mkdir(dest.c_str(), 0755);
    EXPECT_EQ(0, RunList("c a mode 751\n#c b\n# c d\nx e mode 700\n\n"
                         "dir tree owner root group root\ndirto tree " + dest + " mode 750\n"
                         "t stamp\nt fresh mode 600\nm absent mode 700\ns stamp mode 711\n"
                         "newdir spool mode 777\nc tool name tool2 link " + link + "\nv >= 0 t q\n"));
    for (auto [name, mode] : {std::pair{"a", 0751}, {"e", 0700}, {"tree", 0750}, {"stamp", 0711},
                              {"fresh", 0600}, {"spool", 0777}, {"b", 0644}, {"tool2", 0644}})
        EXPECT_EQ(mode, ModeOf(app_ + "/" + name)) << name; // dirto's attributes act on APP/NAME
    EXPECT_TRUE(!InApp("d") && !InApp("absent") && !InApp("tool") && InApp("q")); // q: a word every 2 characters
    EXPECT_EQ("file a\ninner\ninner\n|" + app_ + "/tool",
              ReadFile(app_ + "/a") + ReadFile(app_ + "/tree/sub/inner") +
                  ReadFile(dest + "/tree/sub/inner") + ReadFile(app_ + "/stamp") + "|" + LinkTarget(link));
    std::string a = app_ + "/"; // the order 775, 777 of newdir: install.sh
    EXPECT_TRUE(Logged("chown  -R root " + a + "tree\n") && Logged("chgrp  -R root " + a + "tree\n")) << ReadLog();
    EXPECT_FALSE(Logged("absent"));
    EXPECT_EQ(3, Count(ReadLog(), "touch ")) << ReadLog(); // t stamp, fresh and q; never dirto's NAME
    chmod((a + "spool").c_str(), 0700), WriteFile("/tmp/setup.log", "");
    EXPECT_EQ(0, RunList("newdir spool mode 777\n"));
    EXPECT_TRUE(ModeOf(a + "spool") == 0700 && ReadLog().empty());
    ChildRun run = RunInChild([&] { return RunList("c a name a2 mode 755\nc d\n"); });
    EXPECT_TRUE(run.status == 1 && run.out.find("ERROR: ") != std::string::npos && !InApp("d"));
    run = RunInChild([&] { return unlink((pkg_ + "/pkg.list").c_str()) ? 9 : ProcessPkgList("pkg"); });
    EXPECT_EQ("1 ERROR: can't open file, " + pkg_ + "/pkg.list\n", std::to_string(run.status) + " " + run.err);
    run = RunInChild([&] { // a program of a checkps line runs, the answer is 2 (quit): the list stops
        WriteFile(root_ + "/in", "2\n"), FakeCmd(CMD_PS, root_, "echo ' 9 ? S 0:00 x tvadmin'");
        return freopen((root_ + "/in").c_str(), "r", stdin) ? RunList("checkps ,tvadmin,\nc g\n") : 9;
    });
    EXPECT_TRUE(run.status == 1 && !InApp("g")) << run.out;
    // A new directory that another user makes first, after the check and before the copy, is refused.
    std::string shared = root_ + "/shared", taken = shared + "/new";
    run = RunInChild([&] {
        FakeCmd(CMD_CP_R, root_, "mkdir -m 777 " + taken + " && chown 65534 " + taken + " && exec /bin/cp \"$@\"");
        return mkdir(shared.c_str(), 0755) ? 9 : RunList("dirto tree " + taken + "\n");
    });
    EXPECT_TRUE(run.status == 1 && (run.out + run.err).find(taken + " (owner nobody") != std::string::npos)
        << run.status << run.out << run.err;
    // A destination under a regular file: its directory cannot be made, and the run ends there.
    WriteFile(root_ + "/plain", "");
    run = RunInChild([&] { return RunList("dirto tree " + root_ + "/plain/file/tree\n"); });
    EXPECT_EQ("1 ERROR: couldn't make the directory " + root_ + "/plain/file\n",
              std::to_string(run.status) + " " + run.err);
}
// "sed" first takes the rest of the line ("mode 755" are sed's files here), later one word; its
// temporary file is in the work area, where a link or directory at its name is removed, not used.
// sed gets a script as written: \\, \/ and \t (a backslash-newline joins list lines).
TEST_F(PkgListTest, SedValuesAndTheTemporaryFile) {
    std::string cwd = root_ + "/cwd", victim = root_ + "/victim", tmp = work_ + "/setup.tmp", a = app_;
    WriteFile(a + "/script", "OLD one OLD\n"), WriteFile(a + "/s2", "aaa\n", 0600);
    WriteFile(a + "/s3", "OLD\n", 0640), WriteFile(a + "/s4", "C:\\Varen\\tvxx q \\\n");
    mkdir(cwd.c_str(), 0755);
    WriteFile(cwd + "/mode", ""), WriteFile(cwd + "/755", ""), WriteFile(victim, "SAFE\n");
    ASSERT_EQ(0, symlink(victim.c_str(), tmp.c_str()));
    ChildRun run = RunInChild([&] {
        return chdir(cwd.c_str()) ? 99
                                  : RunList("m script sed -e s/OLD/NEW/g -e 's/one/two three/'\n"
                                            "m s2 mode 700 sed s/a/b/ mode 751\n"
                                            "m s3 sed \\\ns/OLD/NEW/g mode 755\nm s4 sed -e "
                                            "'s/C:\\\\Varen\\\\tvxx/\\/opt\\/Varen\\/tvxx/' "
                                            "-e 's/\\\\/|/g' \\\n -e 's/q/\\t/'\n");
    });
    EXPECT_EQ(0, run.status) << run.out << run.err;
    EXPECT_EQ("NEW two three NEW\nbaa\nNEW\n/opt/Varen/tvxx \t |\n",
              ReadFile(a + "/script") + ReadFile(a + "/s2") + ReadFile(a + "/s3") + ReadFile(a + "/s4"));
    EXPECT_TRUE(ModeOf(a + "/s2") == 0751 && Logged("chmod  700 " + a + "/s2\n"));
    EXPECT_FALSE(Logged("chmod  755 " + a + "/s3") || Exists("/tmp/setup.tmp") || Exists(tmp));
    EXPECT_EQ("SAFE\n", ReadFile(victim));
    ASSERT_EQ(0, mkdir(tmp.c_str(), 0755));
    EXPECT_EQ(0, RunInChild([&] { return RunList("m script sed s/NEW/z/\n"); }).status);
    EXPECT_TRUE(ReadFile(a + "/script") == "z two three NEW\n" && !Exists(tmp));
}
// Release conditions compare the running system's release as strings (not as versions), and chain.
TEST_F(PkgListTest, ReleaseConditions) {
    struct utsname host {};
    ASSERT_EQ(0, uname(&host));
    std::string r = host.release, above = r + "~", below = r; // sorting right after r; just before
    below.back()--;
    EXPECT_EQ(0, RunList("v > " + below + " c f\nv = " + r + " c a\nv < " + r + " c b\nv > " + r +
                         " c d\nv <= " + r + " c e\nv >= " + r + " v < " + above +
                         " c tool mode 700\nv >= " + r + " v > " + above + " c tree\nv != " + r +
                         " dir tree\nv <= " + below + " c g\nv >= " + above + " c g\n"));
    EXPECT_TRUE(InApp("a") && InApp("e") && InApp("f") && ModeOf(app_ + "/tool") == 0700);
    EXPECT_FALSE(InApp("b") || InApp("d") || InApp("tree") || InApp("g"));
    // With a release such as 6.18.x, "6.9" sorts after it, although version 6.9 is older.
    size_t dot = r.find('.');
    if (dot == std::string::npos || r.size() < dot + 3 || r[dot + 1] == '9' || !isdigit(r[dot + 2] & 255))
        GTEST_SKIP() << "release " << r << " has no two-digit minor below 90";
    std::string older = r.substr(0, dot) + ".9";
    EXPECT_EQ(0, RunList("v > " + older + " c b\nv < " + older + " c d\n"));
    EXPECT_TRUE(!InApp("b") && InApp("d"));
}
// Lines lacking a word are skipped with a WARNING and the list goes on (a complete condition alone
// is no such line); an odd last attribute word is left alone; "tool<TAB>mode" (a tab is part of a
// word) and a shell word after a sed value: skipped. In a child, which keeps the skipped lines.
TEST_F(PkgListTest, IncompleteLinesOddCountsAndTabs) {
    EXPECT_EQ(0, RunInChild([&] {
                  return RunList("c\ndirto tree\nv\nv <\nv >= 0 v\ncheckps\nnewdir\nt\nm\nc a mode\n"
                                 "c tool\tmode 755\nc b group\nc e name ../e2\nc f sed s/a/b/ ;touch " +
                                 root_ + "/x\nc d name name ../e3\nv = 0\n" // a value that is a word
                                 "v > 0\nc h mode 644 sed s/a/b/;id\n");        // one that holds; a later sed
              }).status);
    EXPECT_TRUE(InApp("a") && InApp("b") && InApp("name") && !InApp("tool") && !InApp("f"));
    EXPECT_FALSE(Exists(root_ + "/e2") || Exists(root_ + "/e3") || Exists(root_ + "/x"));
    std::string log = ReadLog();
    EXPECT_EQ(13, Count(log, "WARNING: ")) << log;
    EXPECT_FALSE(Logged("cp -pr") || Logged("chmod") || Logged("chgrp"));
    EXPECT_TRUE(Logged("pkg.list line 11 skipped, word not allowed: tool\\011mode\n"));
    EXPECT_TRUE(Logged("pkg.list line 18 skipped, word not allowed: s/a/b/;id\n") && !InApp("h"));
}
// Skipped lines give back what their warnings took (once the kept failures are full): forty of them
// leave the allocator as they found it.
TEST_F(PkgListTest, SkippedLinesTakeNothing) {
    ChildRun run = RunInChild([&] {
        RunList("c\nc\nc\nc\n");
        long before = InUse().first;
        std::string many;
        for (int i = 0; i < 40; i++)
            many += i % 2 ? "c\n" : "v <\n";
        RunList(many);
        return static_cast<int>(InUse().first - before);
    });
    EXPECT_EQ(0, run.status) << run.err;
}
#if !defined(__SANITIZE_ADDRESS__)
// A joined line of 3600 characters whose word list finds no room (holes of 300 nodes only, no
// room for a new block) is skipped, nothing written through the missing list.
TEST_F(PkgListTest, NoRoomForTheWordsOfALine) {
    std::string line;
    for (int i = 0; i < 9; i++)
        line += "#" + std::string(400, 'x') + "\\\n";
    WriteFile(pkg_ + "/pkg.list", line + "\n");
    ChildRun run = RunInChild([&] {
        void *hole[5] = {};
        int k = 0;
        bool limited = (free(malloc(100000)), LimitAddressSpace(1 << 20)); // room for the stream
        for (int n : {300, 128, 64, 32, 16, 8, 4, 2, 1})
            for (void *p; (p = limited ? GetMem(32 * n - 1) : nullptr) != nullptr;)
                if (k < 5)
                    hole[k++] = p;
        PutMem(hole[0]), PutMem(hole[2]), PutMem(hole[4]);
        return ProcessPkgList("pkg") + 10 * (k < 5);
    });
    EXPECT_EQ(0, run.status) << run.err;
}
#endif
// The value of sed: sed's own characters within single quotes, nothing the shell acts on inside
// the command line's double quotes, quotes paired.
TEST(SedScript, WhatMayReachTheCommandLine) {
    for (const char *safe : {"-e 's|@SPOOL@|/var/spool/Varen/tvxx|' -e 's|@LOG@|/var/log/v-tvxx|'",
                             "s/@LEVEL@/3.01.67/", "-e s/OLD/NEW/g -e 's/one/two three/'",
                             "'s/a;b/[x]*&<>(){}#!~?\\\\./'", "s/a/b/ \\\n-e s/c/d/", "s/a/\xe9/"})
        EXPECT_TRUE(IsSafeSedScript(safe)) << safe;
    for (const char *unsafe : {"s/a/b/;rm", "s/a/b/|x", "s/a/b/&", "s/a/b/>x", "'s/$/x/'", "'s/a/`id`/'",
                               "'s/a/\"/'", "'s/a/b/", "s/a/b/\n", "'s/a/\tb/'", "s/a/*/", "\\;"})
        EXPECT_FALSE(IsSafeSedScript(unsafe)) << unsafe;
}
// ---- The interface scripts' branches that whole runs under CUPS and LPRng (cups_test.sh,
// spoolers.sh) do not reach: System V, BSD, the flags' last word.
// A stand-in print tool: records "CALLn:" and its arguments, directory, argument files' content,
// job variables and standard input in R/record; fails until call number succeedAt.
std::string StandIn(const std::string &r, int succeedAt) {
    return "#!/bin/sh\nn=`cat " + r + "/n 2>/dev/null || echo 0`; n=$((n + 1)); echo $n > " + r +
           "/n\n{\n  printf 'CALL%s:' \"$n\"; printf '[%s]' \"$@\"; echo; echo \"PWD=`pwd`\"\n"
           "  for f in \"$@\"; do [ -f \"$f\" ] && echo \"CONTENT=`cat \"$f\"`\"; done\n"
           "  for v in Printer Request_id User_name Title Copies Option_list; do\n"
           "    eval \"echo Tolvar$v=\\${Tolvar$v-}\"; done; echo \"STDIN=`cat`\"\n} >> " + r +
           "/record\necho tool-output\n[ $n -ge " + std::to_string(succeedAt) + " ]\n";
}
// In the texts of a case, @A stands for APP, @R for the test's directory and @S for the spool
// directory VarenVSF was made with.
struct Case {
    const char *flags; // content of .tv_cfg, none when null
    int succeedAt;     // the call of the tool that first succeeds
    const char *dir, *env, *script, *args, *input;
    int status;
    Strings recorded; // texts the record holds
};
const Case CASES[] = {
    // System V: the queue is the script's name, the title loses its "###" tail.
    {nullptr, 1, "@R", "", "@R/queue1", "42 alice 'Rep###1 x' 2 o=1 /j/f1 /j/f2", "", 0,
     {"CALL1:[-dqueue1][-i][/j/f1][/j/f2]\nPWD=@A\n", "TolvarPrinter=queue1\nTolvarRequest_id=42\n"
      "TolvarUser_name=alice\nTolvarTitle=Rep\nTolvarCopies=2\nTolvarOption_list=o=1\n"}},
    // CUPS, the last word of the flags: the queue from PRINTER, the title kept.
    {" BSD junk CUPS ", 1, "@R", "PRINTER=lp2", "@A/VarenPrinttvxx", "7 bob 'T###1' 1 '' /j/a", "",
     0, {"CALL1:[-dlp2][-i][/j/a]\n", "TolvarPrinter=lp2\nTolvarRequest_id=7\n"
         "TolvarUser_name=bob\nTolvarTitle=T###1\n"}},
    // BSD: the queue is the working directory's name.
    {" BSD ", 1, "@R/lpd/queue7", "", "@A/VarenPrinttvxx", "-w132 -l66", "", 0, {"CALL1:[-dqueue7][-f]\n"}},
    // VSF, System V: vsf runs again until it succeeds, the job files after the five interface
    // arguments.
    {" V5 ", 3, "@R", "", "@R/q5", "1 u t 1 o /j/a", "", 0,
     {"CALL2:[/j/a]\nPWD=@A\n", "CALL3:[/j/a]\nPWD=@A\nTolvarPrinter=q5\n"}},
    // VSF, BSD: the job from a pipe ("|") is kept in SPOOL/QUEUE/QUEUE.XXXXXX for every try.
    {" BSD ", 2, "@R/lpd/queueB", "", "@A/VarenVSF", "", "|JOBDATA", 0,
     {"CALL1:[@S/queueB/queueB.", "CALL2:[@S/queueB/queueB.", "CONTENT=JOBDATA\n"}},
};
TEST_F(PkgListTest, InterfaceScriptsWithStandInTools) {
    std::string &r = root_, &app = app_, spool = r + "/spool/tvxx";
    auto fill = [&](std::string s) {
        for (auto [mark, value] : {std::pair{"@A", &app}, {"@R", &r}, {"@S", &spool}})
            for (size_t at; (at = s.find(mark)) != std::string::npos;)
                s.replace(at, 2, *value);
        return s;
    };
    ASSERT_EQ(0, Sh("mkdir -p " + spool + "/queueB"));
    std::string printScript = app + "/VarenPrinttvxx", vsfScript = app + "/VarenVSF";
    ASSERT_EQ(1, generateVarenPrinttvxxScript(printScript.c_str(), ScriptShShell, VarenPrinttvxxScript));
    ASSERT_EQ(1, generateVarenVSFScript(vsfScript.c_str(), ScriptShShell, VarenVSFScript, spool.c_str()));
    symlink(printScript.c_str(), (r + "/queue1").c_str()), symlink(vsfScript.c_str(), (r + "/q5").c_str());
    for (const Case &c : CASES) {
        for (const char *tool : {"tvrtvxxtty", "vsf"})
            WriteFile(app + "/" + tool, StandIn(r, c.succeedAt), 0755);
        unlink((app + "/.tv_cfg").c_str());
        if (c.flags != nullptr)
            WriteFile(app + "/.tv_cfg", c.flags);
        bool pipe = c.input[0] == '|';
        WriteFile(r + "/record", ""), WriteFile(r + "/n", "0"), WriteFile(r + "/stdin", c.input + pipe);
        std::string dir = fill(c.dir), in = r + "/stdin";
        EXPECT_EQ(c.status, Sh((pipe ? "cat " + in + " | " : "") + "(mkdir -p " + dir + " && cd " + dir +
                               " && env " + fill(c.env) + " timeout 30 /bin/sh " + fill(c.script) +
                               " " + fill(c.args) + (pipe ? "" : " < " + in) + ") > /dev/null 2>&1"))
            << c.args;
        std::string rec = ReadFile(r + "/record");
        for (const std::string &text : c.recorded)
            EXPECT_NE(rec.find(fill(text)), std::string::npos) << fill(text) << " not in:\n" << rec;
    }
    // BSD keeps the tool's output in the queue directory; kept jobs are removed, nothing else made.
    EXPECT_EQ("tool-output\n", ReadFile(r + "/lpd/queue7/tolvartvxx.log"));
    EXPECT_EQ(0, Sh("[ -z \"$(find " + spool + "/queueB -mindepth 1)\" ]"));
    // A script whose last bytes cannot be written (the file system fills at the close) is a failed
    // step.
    std::string full = r + "/full";
    ASSERT_EQ(0, Sh("mkdir " + full + " && mount -t tmpfs -o size=4k full " + full +
                    " && (dd if=/dev/zero of=" + full + "/fill bs=1k count=8 2>/dev/null; true)"));
    EXPECT_EQ(1, RunInChild([&] {
                  return GenSimpleScript((full + "/s").c_str(), "#!/bin/sh", "", "", "", ""), FailureCount();
              }).status);
    umount(full.c_str());
}
} // namespace
