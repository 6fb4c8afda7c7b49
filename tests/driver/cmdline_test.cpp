// Tests of the command line: keywords, work-area directories and the refusal
// of paths that the shell would interpret. Each parse runs in a child, since
// the parse may end the process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child.h"
#include "driver/cmdline.h"
#include "driver/globals.h"
#include "driver/nls.h"
#include "support/savestr.h"
#include "syscmd/cmdtable.h"

using namespace drvtest;

namespace {

// Parses args (without the program name) in a child whose working directory
// is cwd; the child prints the resulting globals as
// "work=... created=N base=...".
ChildRun Parse(const std::vector<std::string> &args, const std::string &cwd = "/",
               const char *fakeMkdirDir = nullptr) {
    return RunInChild([&] {
        if (chdir(cwd.c_str()) != 0) {
            return 3;
        }
        unsetenv("LANG");
        my_name = SaveStr("setup");
        pVarenInstallDir = SaveStr("/tmp/VarenInstall");
        if (fakeMkdirDir != nullptr) {
            ComList[CMD_MKDIR].pPath = fakeMkdirDir;
        }
        std::vector<char *> argv;
        argv.push_back(SaveStr("setup"));
        for (const std::string &a : args) {
            argv.push_back(SaveStr("%s", a.c_str()));
        }
        argv.push_back(nullptr);
        parseCommandLineOptions((int)args.size() + 1, argv.data());
        printf("work=%s created=%d base=%s", pVarenInstallDir, flCreatedTmpDir,
               pCmdLineInstallDir ? pCmdLineInstallDir : "(none)");
        return 0;
    });
}

TEST(CommandLine, VersionEndsTheRunOnlyAsAWordOfItsOwn) {
    std::string t = MakeTempDir();
    ChildRun run = Parse({"-v"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "setup 3.01.67\n");
    EXPECT_EQ(run.out, "");

    // After "install" it is the base; nothing is printed.
    run = Parse({"install", "-v"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "work=/tmp/VarenInstall created=0 base=/-v")
        << "a relative base is taken in the working directory";

    // Arguments before it have taken effect, those after it are never seen.
    run = Parse({t + "/before", "-v", t + "/after"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "setup 3.01.67\n");
    EXPECT_TRUE(Exists(t + "/before"));
    EXPECT_FALSE(Exists(t + "/after"));

    run = Parse({"-V", "Install"}, t);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "work=" + t + "/Install/VarenInstall created=1 base=(none)")
        << "a relative work-area directory is made absolute";
    EXPECT_TRUE(Exists(t + "/-V")) << "a word beginning with - is a directory";
    EXPECT_TRUE(Exists(t + "/Install"));
}

TEST(CommandLine, InstallBaseIsReducedToItsBase) {
    EXPECT_EQ(Parse({"install", "/opt/Varen/tvxx/"}).out,
              "work=/tmp/VarenInstall created=0 base=/opt");
    EXPECT_EQ(Parse({"install"}).out, "work=/tmp/VarenInstall created=0 base=(none)");
    EXPECT_EQ(Parse({}).out, "work=/tmp/VarenInstall created=0 base=(none)");
}

TEST(CommandLine, WorkAreaDirectoriesAreCreatedWhenMissing) {
    std::string t = MakeTempDir();
    mkdir((t + "/exist").c_str(), 0755);
    EXPECT_EQ(Parse({t + "/exist/"}).out,
              "work=" + t + "/exist/VarenInstall created=0 base=(none)");

    ChildRun run = Parse({t + "/new/deep", "install", "/srv", t + "/exist"});
    EXPECT_EQ(run.out, "work=" + t + "/exist/VarenInstall created=1 base=/srv");
    EXPECT_TRUE(Exists(t + "/new/deep"));
    EXPECT_FALSE(Exists(t + "/exist/VarenInstall")) << "the work area itself is made later";

    // Every character that is allowed, and a byte of 128 and above.
    std::string odd = t + "/Az09_.-+,=:@%\xe9";
    run = Parse({odd});
    EXPECT_EQ(run.out, "work=" + odd + "/VarenInstall created=1 base=(none)") << run.err;
    EXPECT_TRUE(Exists(odd));
}

TEST(CommandLine, RootAndEmptyWordNeedNoCommand) {
    // A mkdir that would leave a trace: none may run for the root.
    std::string t = MakeTempDir();
    WriteFile(t + "/mkdir", "#!/bin/sh\necho \"$@\" >> " + t + "/ran\n", 0755);
    EXPECT_EQ(Parse({"/"}, "/", t.c_str()).out, "work=/VarenInstall created=0 base=(none)");
    EXPECT_EQ(Parse({""}, "/", t.c_str()).out, "work=/VarenInstall created=0 base=(none)");
    EXPECT_FALSE(Exists(t + "/ran"));
}

TEST(CommandLine, DirectoryThatCannotBeMadeEndsWithStatusTwo) {
    // mkdir reports success but makes nothing.
    std::string t = MakeTempDir();
    WriteFile(t + "/mkdir", "#!/bin/sh\nexit 0\n", 0755);
    ChildRun run = Parse({t + "/ghost"}, "/", t.c_str());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "ERROR: couldn't open " + t + "/ghost\n\n");
}

TEST(CommandLine, PathsTheShellWouldInterpretAreRefusedBeforeAnyIsUsed) {
    std::string t = MakeTempDir();
    std::string english = NLS_ENGLISH[MSG_UNSAFE_PATH];
    auto refusal = [&](const std::string &path) {
        std::string rest = english.substr(english.find("%s") + 2);
        rest.replace(rest.find("%%"), 2, "%");
        return english.substr(0, english.find("%s")) + path + rest;
    };

    ChildRun run = Parse({t + "/first", t + "/a b"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, refusal(t + "/a b"));
    EXPECT_FALSE(Exists(t + "/first")) << "refused before the first directory was made";
    EXPECT_FALSE(Exists(t + "/a"));

    for (std::string bad :
         {"/opt;rm", "/opt x", "/o$(id)", "/o`id`", "/o'",   "/o\"", "/o\\x", "/o*",
          "/o?",     "/o[a]",  "/o&",     "/o|x",   "/o>x",  "/o<x", "/o~",   "/o#",
          "/o!",     "/o{a}",  "/o(",     "/o\tx",  "/o\nx", "/o^"}) {
        run = Parse({"install", bad});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_EQ(run.out, refusal(bad)) << bad;
    }

    // After "-v" nothing more is looked at.
    run = Parse({"-v", "/a b"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "setup 3.01.67\n");
}

} // namespace
