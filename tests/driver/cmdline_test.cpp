// Tests of the command line: keywords, work-area directories and the refusal of paths that the
// shell would interpret (each parse runs in a child, since it may end the process). Whole runs
// check the bases taken from paths.
#include "driver/cmdline.h"
#include "testutil.h"

#include <sched.h>
#include <sys/mount.h>
#include <vector>

namespace {

using tu::ChildRun;
using tu::Exists;

// Parses args (without the program name) in a child whose working directory is cwd, with mkdir
// taken from fakeMkdirDir when given; the child prints the resulting globals as "work=... created=N
// base=...".
ChildRun Parse(const std::vector<std::string> &args, const std::string &cwd = "/",
               const char *fakeMkdirDir = nullptr) {
    return tu::RunInChild([&] {
        if (chdir(cwd.c_str()) != 0)
            return 3;
        unsetenv("LANG"), pVarenInstallDir = SaveStr("/tmp/VarenInstall");
        if (fakeMkdirDir != nullptr)
            ComList[CMD_MKDIR].pPath = fakeMkdirDir;
        std::vector<char *> argv{SaveStr("setup")};
        for (const std::string &a : args)
            argv.push_back(SaveStr("%s", a.c_str()));
        argv.push_back(nullptr);
        parseCommandLineOptions(static_cast<int>(args.size()) + 1, argv.data());
        return printf("work=%s created=%d base=%s", pVarenInstallDir, flCreatedTmpDir,
                      pCmdLineInstallDir ? pCmdLineInstallDir : "(none)") < 0 ? 1 : 0;
    });
}

// Words beginning with "-" other than "-v" are directories, relative ones made absolute; the last
// directory wins and every missing one is made, never the root; a mkdir that makes nothing ends the
// run with status 2.
TEST(CommandLine, KeywordsAndWorkAreaDirectories) {
    std::string t = tu::MakeTempDir();
    EXPECT_EQ(Parse({"-V", "Install", "install", "/opt/Varen/tvxx/"}, t).out, "work=" + t + "/Install/VarenInstall created=1 base=/opt");
    mkdir((t + "/exist").c_str(), 0755);
    EXPECT_EQ(Parse({t + "/new/deep", "install", "/srv", t + "/exist///"}).out, "work=" + t + "/exist/VarenInstall created=1 base=/srv");
    EXPECT_TRUE(Exists(t + "/-V") && Exists(t + "/new/deep"));
    EXPECT_FALSE(Exists(t + "/exist/VarenInstall")) << "the work area itself is made later";
    tu::WriteFile(t + "/mkdir", "#!/bin/sh\necho \"$@\" >> " + t + "/ran\n", 0755);
    EXPECT_EQ(Parse({"//"}, "/", t.c_str()).out, "work=/VarenInstall created=0 base=(none)");
    EXPECT_FALSE(Exists(t + "/ran"));
    tu::WriteFile(t + "/mkdir", "#!/bin/sh\nexit 0\n", 0755);
    ChildRun run = Parse({t + "/ghost"}, "/", t.c_str());
    EXPECT_TRUE(run.status == 2 && run.out == "ERROR: couldn't open " + t + "/ghost\n\n") << run.out;
}

TEST(CommandLine, UnsafePathsAreRefusedBeforeAnyIsUsed) {
    std::string t = tu::MakeTempDir();
    auto refusal = [](const std::string &path) { return tu::Msg(MSG_UNSAFE_PATH, path.c_str()); };
    ChildRun run = Parse({t + "/first", t + "/a b"});
    EXPECT_TRUE(run.status == 2 && run.out == refusal(t + "/a b")) << run.out;
    EXPECT_FALSE(Exists(t + "/first")) << "refused before the first directory was made";
    for (std::string bad : {"/o$(id)", "/o`id`", "/o'", "/o\"", "/o\\x", "/o*", "/o?", "/o[a]", "/o&", "/o|x",
                            "/o>x", "/o<x", "/o~", "/o#", "/o!", "/o{a}", "/o(", "/o\tx", "/o\nx", "/o^"}) {
        run = Parse({"install", bad});
        EXPECT_TRUE(run.status == 2 && run.out == refusal(bad)) << bad;
    }
}

// The earlier installation by /usr/Varen/tvxx (in a /usr of the child's own): none, a link
// (relative ones from /usr) or a directory; whatever the lookup took is given back.
TEST(PreviousInstallation, NoneLinkOrDirectory) {
    ChildRun run = tu::RunInChild([] {
        if (unshare(CLONE_NEWNS) != 0 || mount("usr", "/usr", "tmpfs", 0, nullptr) != 0)
            return 2;
        pMemB = nullptr; // the chain of the program is left alone
        mkdir("/usr/Varen", 0755);
        for (const char *link : {"", "/opt/Varen/tvxx/", "../srv/Varen/tvxx", "dir"}) {
            unlink("/usr/Varen/tvxx");
            strcmp(link, "dir") == 0 ? mkdir("/usr/Varen/tvxx", 0755) : *link ? symlink(link, "/usr/Varen/tvxx") : 0;
            printf("%s|", tu::Take(locatePreviousInstallation()).c_str());
        }
        return pMemB == nullptr ? 0 : 1;
    });
    EXPECT_TRUE(run.status == 0 && run.out == "(null)|/opt|/usr/../srv|/usr|") << run.out;
}

} // namespace
