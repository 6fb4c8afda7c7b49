// Tests of the command line: keywords, work-area directories and the refusal
// of paths that the shell would interpret. Each parse runs in a child, since
// the parse may end the process.
#include "driver/cmdline.h"

#include "support/savestr.h"
#include "testutil.h"

#include <vector>

namespace {

using tu::ChildRun;
using tu::Exists;

// Parses args (without the program name) in a child whose working directory
// is cwd, with mkdir taken from fakeMkdirDir when given; the child prints
// the resulting globals as "work=... created=N base=...".
ChildRun Parse(const std::vector<std::string> &args, const std::string &cwd = "/",
               const char *fakeMkdirDir = nullptr) {
    return tu::RunInChild([&] {
        if (chdir(cwd.c_str()) != 0)
            return 3;
        unsetenv("LANG");
        pVarenInstallDir = SaveStr("/tmp/VarenInstall");
        if (fakeMkdirDir != nullptr)
            ComList[CMD_MKDIR].pPath = fakeMkdirDir;
        std::vector<char *> argv{SaveStr("setup")};
        for (const std::string &a : args)
            argv.push_back(SaveStr("%s", a.c_str()));
        argv.push_back(nullptr);
        parseCommandLineOptions(static_cast<int>(args.size()) + 1, argv.data());
        printf("work=%s created=%d base=%s", pVarenInstallDir, flCreatedTmpDir,
               pCmdLineInstallDir ? pCmdLineInstallDir : "(none)");
        return 0;
    });
}

// "-v" and "install -v" are checked end to end; here the words around them.
TEST(CommandLine, KeywordsAndWorkAreaDirectories) {
    std::string t = tu::MakeTempDir();
    // "-V" and any word beginning with "-" are directories; a relative
    // work-area directory is made absolute. After "-v" nothing is looked at.
    ChildRun run = Parse({"-V", "Install", "-v", "/a b"}, t);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "setup 3.01.67\n");
    EXPECT_TRUE(Exists(t + "/-V"));
    EXPECT_TRUE(Exists(t + "/Install"));
    run = Parse({"-V", "Install", "install", "/opt/Varen/tvxx/"}, t);
    EXPECT_EQ(run.out, "work=" + t + "/Install/VarenInstall created=0 base=/opt");

    // The last directory wins; every missing one is created.
    mkdir((t + "/exist").c_str(), 0755);
    EXPECT_EQ(Parse({t + "/exist///"}).out,
              "work=" + t + "/exist/VarenInstall created=0 base=(none)");
    run = Parse({t + "/new/deep", "install", "/srv", t + "/exist"});
    EXPECT_EQ(run.out, "work=" + t + "/exist/VarenInstall created=1 base=/srv");
    EXPECT_TRUE(Exists(t + "/new/deep"));
    EXPECT_FALSE(Exists(t + "/exist/VarenInstall")) << "the work area itself is made later";

    // A mkdir that would leave a trace: none may run for the root.
    tu::WriteFile(t + "/mkdir", "#!/bin/sh\necho \"$@\" >> " + t + "/ran\n", 0755);
    EXPECT_EQ(Parse({"/"}, "/", t.c_str()).out, "work=/VarenInstall created=0 base=(none)");
    EXPECT_EQ(Parse({"//"}, "/", t.c_str()).out, "work=/VarenInstall created=0 base=(none)");
    EXPECT_FALSE(Exists(t + "/ran"));

    // A mkdir that reports success but makes nothing: status 2.
    tu::WriteFile(t + "/mkdir", "#!/bin/sh\nexit 0\n", 0755);
    run = Parse({t + "/ghost"}, "/", t.c_str());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "ERROR: couldn't open " + t + "/ghost\n\n");
}

TEST(CommandLine, UnsafePathsAreRefusedBeforeAnyIsUsed) {
    std::string t = tu::MakeTempDir();
    auto refusal = [](const std::string &path) { return tu::Msg(MSG_UNSAFE_PATH, path.c_str()); };
    ChildRun run = Parse({t + "/first", t + "/a b"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, refusal(t + "/a b"));
    EXPECT_FALSE(Exists(t + "/first")) << "refused before the first directory was made";

    for (std::string bad :
         {"/opt;rm", "/opt x", "/o$(id)", "/o`id`", "/o'",   "/o\"", "/o\\x", "/o*",
          "/o?",     "/o[a]",  "/o&",     "/o|x",   "/o>x",  "/o<x", "/o~",   "/o#",
          "/o!",     "/o{a}",  "/o(",     "/o\tx",  "/o\nx", "/o^", ""}) {
        run = Parse({"install", bad});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_EQ(run.out, refusal(bad)) << bad;
    }
    // The empty word names no directory: refused as a work area too.
    run = Parse({t + "/second", ""});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, refusal(""));
    EXPECT_FALSE(Exists(t + "/second"));
}

} // namespace
