// Tests of the driver's path routines, the move of an installation and the
// final clean-up. Everything at the fixed place /usr/Varen/tvxx happens in a
// sandbox child whose /usr is an overlay over the real one.
#include "support/savestr.h"
#include "testutil.h"

namespace {

using tu::ChildRun;
using tu::Exists;
using tu::ReadFile;
using tu::WriteFile;

TEST(StripToBaseName, CutsWholeTrailingComponentsOnly) {
    const char *cases[][2] = {
        {"/opt", "/opt"},           {"/opt/", "/opt"},
        {"/opt/Varen", "/opt"},     {"/opt/Varen/", "/opt"},
        {"/opt/Varen/tvxx", "/opt"}, {"/opt/Varen/tvxx//", "/opt"},
        {"/opt//", "/opt"},         {"/", "/"},
        {"///", "/"},               {"/Varen/tvxx", "/"},
        {"/opt/tvxx-suite", "/opt/tvxx-suite"}, {"/opt/Varen-2026", "/opt/Varen-2026"},
        {"/data/tvxxhome/x", "/data/tvxxhome/x"}, {"/srv/Varenx/tvxx", "/srv/Varenx"},
        {"/srv/tvxx/Varen", "/srv/tvxx"}, {"/srv/xtvxx", "/srv/xtvxx"}};
    for (const auto &c : cases) {
        char *copy = SaveStr("%s", c[0]);
        EXPECT_EQ(StripToBaseName(copy), copy) << "works in place";
        EXPECT_STREQ(copy, c[1]) << c[0];
    }
    EXPECT_EQ(StripToBaseName(nullptr), nullptr);
}

// Runs locatePreviousInstallation in a sandbox after prepare has laid out
// /usr/Varen; gives its answer, "(none)" for null.
std::string LocateWith(const std::function<void()> &prepare) {
    ChildRun run = tu::RunInChild(
        [&] {
            tu::Sh("rm -rf /usr/Varen"); // in the overlay: whatever the host holds
            mkdir("/usr/Varen", 0755);
            prepare();
            char *base = locatePreviousInstallation();
            fputs(base ? base : "(none)", stdout);
            return 0;
        },
        "", tu::MakeTempDir());
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

TEST(LocatePreviousInstallation, FindsTheBaseFromTheFixedPlace) {
    EXPECT_EQ(LocateWith([] {}), "(none)");
    // Any entry that is no link counts as an installation in /usr.
    EXPECT_EQ(LocateWith([] { WriteFile("/usr/Varen/tvxx", "x"); }), "/usr");
    EXPECT_EQ(LocateWith([] { symlink("/opt/Varen/tvxx/", "/usr/Varen/tvxx"); }), "/opt");
    // A relative link text is joined to /usr, not to /usr/Varen.
    EXPECT_EQ(LocateWith([] { symlink("../../opt/Varen/tvxx", "/usr/Varen/tvxx"); }),
              "/usr/../../opt");
    // A dangling link still names an installation: the text alone counts.
    EXPECT_EQ(LocateWith([] { symlink("/gone/away/Varen/tvxx", "/usr/Varen/tvxx"); }),
              "/gone/away");
}

// What stands at a path: "dir", "link:TEXT", "file" or "none".
std::string Kind(const std::string &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return "none";
    if (S_ISLNK(st.st_mode))
        return "link:" + tu::LinkTarget(path);
    return S_ISDIR(st.st_mode) ? "dir" : "file";
}

void SetMove(const std::string &cur, const std::string &target) {
    pCurrentInstallDir = SaveStr("%s", cur.c_str());
    pTargetInstallDir = SaveStr("%s", target.c_str());
    pAppDir = SaveStr("%s/Varen/tvxx", target.c_str());
}

// Another spelling of the same place moves nothing and removes nothing.
TEST(MoveInstallation, SamePlaceMovesNothing) {
    std::string t = tu::MakeTempDir(), opt = t + "/opt", alias = t + "/alias";
    ChildRun run = tu::RunInChild(
        [&] {
            tu::Sh("rm -rf /usr/Varen"); // in the overlay: whatever the host holds
            mkdir("/usr/Varen", 0755);
            mkdir("/usr/Varen/tvxx", 0755);
            WriteFile("/usr/Varen/tvxx/tvqadmin", "program");
            mkdir(opt.c_str(), 0755);
            symlink("/usr", alias.c_str());
            for (std::string spelling :
                 {std::string("/usr/."), std::string("/usr/Varen/.."), alias}) {
                SetMove("/usr", spelling);
                moveInstallation();
                printf("%s: %s %s\n", spelling.c_str(), Kind("/usr/Varen/tvxx").c_str(),
                       ReadFile("/usr/Varen/tvxx/tvqadmin").c_str());
            }
            // An installation elsewhere, reached through the link at the fixed
            // place, named with a trailing "/.".
            SetMove("/usr", opt);
            moveInstallation();
            SetMove(opt, opt + "/.");
            moveInstallation();
            printf("opt/.: %s %s\n", Kind("/usr/Varen/tvxx").c_str(),
                   ReadFile(opt + "/Varen/tvxx/tvqadmin").c_str());
            return 0;
        },
        "", t);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "/usr/.: dir program\n/usr/Varen/..: dir program\n" + alias +
                           ": dir program\nopt/.: link:" + opt + "/Varen/tvxx program\n");
}

// The work area goes, then the directory named on the command line when the
// installer made it and it is empty; tvqadmin runs with -upgrade, -clean.
TEST(VarenClean, RemovesTheWorkAreaAndAnEmptyCreatedDirectoryAndRunsTheTool) {
    std::string t = tu::MakeTempDir(), app = t + "/app";
    mkdir(app.c_str(), 0755);
    WriteFile(app + "/tvqadmin", "#!/bin/sh\necho \"$1\" >> " + t + "/calls\n", 0755);

    // created: whether the installer made dir; extra: a file of someone
    // else's in it.
    auto clean = [&](const std::string &dir, bool created, bool extra) {
        mkdir(dir.c_str(), 0755);
        mkdir((dir + "/VarenInstall").c_str(), 0755);
        WriteFile(dir + "/VarenInstall/piece", "x");
        if (extra)
            WriteFile(dir + "/keep", "x");
        unlink((t + "/calls").c_str());
        ChildRun run = tu::RunInChild([&] {
            pAppDir = SaveStr("%s", app.c_str());
            pVarenInstallDir = SaveStr("%s/VarenInstall", dir.c_str());
            flCreatedTmpDir = created ? 1 : 0;
            pCreatedWorkDir = created ? SaveStr("%s", dir.c_str()) : nullptr;
            VarenClean(pVarenInstallDir);
            return 0;
        });
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_FALSE(Exists(dir + "/VarenInstall"));
        return run;
    };

    ChildRun run = clean(t + "/made", true, false);
    EXPECT_EQ(run.out, "..\n");
    EXPECT_EQ(ReadFile(t + "/calls"), "-upgrade\n-clean\n");
    EXPECT_FALSE(Exists(t + "/made"));
    clean(t + "/shared", true, true);
    EXPECT_TRUE(Exists(t + "/shared/keep"));
    clean(t + "/given", false, false);
    EXPECT_TRUE(Exists(t + "/given")) << "a directory the installer did not make stays";
}

} // namespace
