// Tests of the package list interpreter: directives and attributes checked by the files they leave
// and the commands in the log, with the work area and the application directory in temporary
// directories.
#include "install/pkglist.h"
#include "testutil.h"

#include <sys/utsname.h>

namespace {

using namespace tu;

// The command table located once for the program (kept for its life), logging on, English.
struct Installer : testing::Environment {
    void SetUp() override { unsetenv("LANG"), flUseLog = 1, InitSysCmdList(), nlsSetupStrCvt(0); }
};
const testing::Environment *const installer = testing::AddGlobalTestEnvironment(new Installer);
std::string ReadLog() { return ReadFile("/tmp/setup.log"); }

class PkgListTest : public Dirs {
  protected:
    void SetUp() override {
        ASSERT_EQ(0, Sh("mkdir -p " + pkg_ + "/tree/sub " + app_));
        for (const char *name : {"a", "b", "d", "e", "f", "tool"})
            WriteFile(pkg_ + "/" + name, std::string("file ") + name + "\n");
        WriteFile(pkg_ + "/tree/sub/inner", "inner\n");
        UseDirs(root_, work_, root_, app_);
    }
    int RunList(const std::string &text) {
        WriteFile(pkg_ + "/pkg.list", text);
        return ProcessPkgList("pkg");
    }
    bool Logged(const std::string &text) { return ReadLog().find(text) != std::string::npos; }
    std::string root_ = MakeTempDir(), work_ = root_ + "/work", app_ = root_ + "/app", pkg_ = work_ + "/pkg";
};

// "c" and any unlisted first word copy into APP; "#" alone is a comment, "#c" is not; dir, dirto
// and t do what they name; m and s act only on files APP holds; newdir creates with 775, then
// applies its attributes, and leaves an existing directory alone. After "name", later attributes
// still act on the old NAME; owner and group work recursively. A failing attribute command ends the
// run with status 1.
TEST_F(PkgListTest, DirectivesAndAttributes) {
    std::string dest = root_ + "/elsewhere", link = root_ + "/toollink";
    mkdir(dest.c_str(), 0755);
    EXPECT_EQ(0, RunList("c a mode 751\n#c b\n# c d\nx e mode 700\n\ndir tree owner root group root\n"
                         "dirto tree " + dest + " mode 750\nt stamp\nt fresh mode 600\nm absent mode 700\n"
                         "s stamp mode 711\nnewdir spool mode 777\nc tool name tool2 link " + link + "\n"));
    for (auto [name, mode] : {std::pair{"a", 0751}, {"e", 0700}, {"tree", 0750}, {"stamp", 0711},
                              {"fresh", 0600}, {"spool", 0777}, {"b", 0644}, {"tool2", 0644}})
        EXPECT_EQ(mode, ModeOf(app_ + "/" + name)) << name; // dirto's attributes act on APP/NAME
    EXPECT_FALSE(Exists(app_ + "/d") || Exists(app_ + "/absent") || Exists(app_ + "/tool"));
    EXPECT_EQ("file a\ninner\ninner\n|" + app_ + "/tool", ReadFile(app_ + "/a") + ReadFile(app_ + "/tree/sub/inner") +
                                                          ReadFile(dest + "/tree/sub/inner") + ReadFile(app_ + "/stamp") + "|" + LinkTarget(link));
    std::string log = ReadLog();
    for (std::string line : {"cp -p " + pkg_ + "/a " + app_ + "\n", "cp -pr " + pkg_ + "/tree " + dest + "\n",
                             "chmod  751 " + app_ + "/a\n", "chown  -R root " + app_ + "/tree\n",
                             "chgrp  -R root " + app_ + "/tree\n", "chmod  775 " + app_ + "/spool\n"})
        EXPECT_NE(std::string::npos, log.find(line)) << line;
    EXPECT_LT(log.find("chmod  775 " + app_ + "/spool\n"), log.find("chmod  777 " + app_ + "/spool\n"));
    EXPECT_FALSE(Logged("absent"));
    chmod((app_ + "/spool").c_str(), 0700);
    WriteFile("/tmp/setup.log", "");
    EXPECT_EQ(0, RunList("newdir spool mode 777\n"));
    EXPECT_TRUE(ModeOf(app_ + "/spool") == 0700 && ReadLog().empty());
    ChildRun run = RunInChild([&] { return RunList("c a name a2 mode 755\nc d\n"); });
    EXPECT_TRUE(run.status == 1 && run.out.find("ERROR: ") != std::string::npos && !Exists(app_ + "/d")) << run.out;
}

// "sed" as the first attribute takes the rest of the line, blanks included, so in "sed s/OLD/NEW/g
// mode 755" mode and 755 are sed's (here files in the working directory) and no chmod runs; later,
// sed takes one word. Its temporary file lives in the work area: whatever stands at its name there
// (a link, a directory) is removed, never written through.
TEST_F(PkgListTest, SedValuesAndTheTemporaryFile) {
    WriteFile(app_ + "/script", "OLD one OLD\n"), WriteFile(app_ + "/s2", "aaa\n", 0600), WriteFile(app_ + "/s3", "OLD\n", 0640);
    std::string cwd = root_ + "/cwd", victim = root_ + "/victim", tmp = work_ + "/setup.tmp";
    mkdir(cwd.c_str(), 0755);
    WriteFile(cwd + "/mode", ""), WriteFile(cwd + "/755", ""), WriteFile(victim, "SAFE\n");
    ASSERT_EQ(0, symlink(victim.c_str(), tmp.c_str()));
    ChildRun run = RunInChild([&] {
        return chdir(cwd.c_str()) != 0 ? 99 : RunList("m script sed -e s/OLD/NEW/g -e 's/one/two three/'\n"
                       "m s2 mode 700 sed s/a/b/ mode 751\n"
                       "m s3 sed s/OLD/NEW/g mode 755\n");
    });
    EXPECT_EQ(0, run.status) << run.out << run.err;
    EXPECT_EQ("NEW two three NEW\nbaa\nNEW\n", ReadFile(app_ + "/script") + ReadFile(app_ + "/s2") + ReadFile(app_ + "/s3"));
    EXPECT_TRUE(ModeOf(app_ + "/s2") == 0751 && Logged("chmod  700 " + app_ + "/s2\n"));
    EXPECT_FALSE(Logged("755 " + app_ + "/s3") || Exists("/tmp/setup.tmp") || Exists(tmp));
    EXPECT_EQ("SAFE\n", ReadFile(victim));
    ASSERT_EQ(0, mkdir(tmp.c_str(), 0755));
    EXPECT_EQ(0, RunInChild([&] { return RunList("m script sed s/NEW/z/\n"); }).status);
    EXPECT_TRUE(ReadFile(app_ + "/script") == "z two three NEW\n" && !Exists(tmp));
}

// Release conditions compare the running system's release as strings (not as versions), and chain.
TEST_F(PkgListTest, ReleaseConditions) {
    struct utsname host {};
    ASSERT_EQ(0, uname(&host));
    std::string r = host.release, above = r + "~", below = r; // sorting right after r; just before it
    below.back()--;
    EXPECT_EQ(0, RunList("v > " + below + " c f\nv = " + r + " c a\nv < " + r + " c b\nv > " + r + " c d\nv <= " + r +
                         " c e\nv >= " + r + " v < " + above + " c tool mode 700\nv >= " + r +
                         " v > " + above + " c tree\nv != " + r + " dir tree\n"));
    EXPECT_TRUE(Exists(app_ + "/a") && Exists(app_ + "/e") && Exists(app_ + "/f") && ModeOf(app_ + "/tool") == 0700);
    EXPECT_FALSE(Exists(app_ + "/b") || Exists(app_ + "/d") || Exists(app_ + "/tree"));
    // With a release such as 6.18.x, "6.9" sorts after it, although version 6.9 is older.
    size_t dot = r.find('.');
    if (dot == std::string::npos || r.size() < dot + 3 || r[dot + 1] == '9' || !isdigit(static_cast<unsigned char>(r[dot + 2])))
        GTEST_SKIP() << "release " << r << " has no two-digit minor below 90";
    std::string older = r.substr(0, dot) + ".9";
    EXPECT_EQ(0, RunList("v > " + older + " c b\nv < " + older + " c d\n"));
    EXPECT_TRUE(!Exists(app_ + "/b") && Exists(app_ + "/d"));
}

// Lines lacking a word they need are skipped with a WARNING line in the log and the list goes on.
// Odd word counts leave the last attribute word alone; a tab is part of a word, so "tool<TAB>mode"
// is one NAME, which a command line may not hold: that line is skipped too.
TEST_F(PkgListTest, IncompleteLinesOddCountsAndTabs) {
    // In a child: the skipped lines are kept for the summary.
    EXPECT_EQ(0, RunInChild([&] { return RunList("c\ndirto tree\nv\nv <\nv >= 0 v\ncheckps\nnewdir\nt\nm\n"
                         "c a mode\nc tool\tmode 755\nc b group\n"); }).status);
    EXPECT_TRUE(Exists(app_ + "/a") && Exists(app_ + "/b") && !Exists(app_ + "/tool"));
    size_t warnings = 0;
    for (size_t at = 0; (at = ReadLog().find("WARNING: ", at)) != std::string::npos; at++)
        warnings++;
    EXPECT_EQ(10u, warnings) << ReadLog();
    EXPECT_FALSE(Logged("cp -pr") || Logged("chmod") || Logged("chgrp"));
    EXPECT_TRUE(Logged("pkg.list line 11 skipped, word not allowed: tool\tmode\n"));
}

// The value of sed: sed's own characters within single quotes, nothing the shell acts on inside the
// command line's double quotes, quotes paired.
TEST(SedScript, WhatMayReachTheCommandLine) {
    const struct { const char *script; bool safe; } cases[] = {
        {"-e 's|@SPOOL@|/var/spool/Varen/tvxx|' -e 's|@LOG@|/var/log/varen-tvxx|'", true}, {"s/@LEVEL@/3.01.67/", true},
        {"-e s/OLD/NEW/g -e 's/one/two three/'", true}, {"'s/a;b/[x]*&<>(){}#!~?\\\\./'", true}, {"s/a/b/ \\\n-e s/c/d/", true},
        {"s/a/\xe9/", true}, {"s/a/b/;rm", false}, {"s/a/b/|x", false}, {"s/a/b/&", false}, {"s/a/b/>x", false},
        {"'s/$/x/'", false}, {"'s/a/`id`/'", false}, {"'s/a/\"/'", false}, {"'s/a/b/", false}, {"s/a/b/\n", false},
        {"'s/a/\tb/'", false}, {"s/a/*/", false}, {"\\;", false}};
    for (const auto &c : cases)
        EXPECT_EQ(c.safe, IsSafeSedScript(c.script)) << c.script;
}

} // namespace
