// Tests of the driver's path routines, the move of an installation and the
// final clean-up. Everything at the fixed place /usr/Varen/tvxx happens in a
// child with its own mount namespace and a scratch layer over /usr.
#include <gtest/gtest.h>

#include <string>

#include "child.h"
#include "driver/globals.h"
#include "support/savestr.h"

using namespace drvtest;

namespace {

std::string Strip(const char *path) {
    char *copy = SaveStr("%s", path);
    char *result = StripToBaseName(copy);
    EXPECT_EQ(result, copy) << "works in place";
    return result;
}

TEST(StripToBaseName, CutsAtProductThenVendorThenOneSlash) {
    EXPECT_EQ(Strip("/opt/Varen/tvxx"), "/opt");
    EXPECT_EQ(Strip("/opt/Varen/tvxx/"), "/opt");
    EXPECT_EQ(Strip("/opt/Varen"), "/opt");
    EXPECT_EQ(Strip("/opt/"), "/opt");
    EXPECT_EQ(Strip("/opt//"), "/opt/");
    EXPECT_EQ(Strip("/opt"), "/opt");
    EXPECT_EQ(Strip("/"), "/");
    EXPECT_EQ(Strip("/Varen/tvxx"), "/");
    EXPECT_EQ(Strip("/data/tvxxhome/x"), "/data");
    EXPECT_EQ(Strip("/srv/Varenx/tvxx"), "/srv");
    EXPECT_EQ(Strip("/usr/../../opt/Varen/tvxx"), "/usr/../../opt");
    EXPECT_EQ(StripToBaseName(nullptr), nullptr);
}

// Runs locatePreviousInstallation in a child over an empty /usr after
// prepare has laid out /usr/Varen; gives its answer, "(none)" for null.
std::string LocateWith(const std::function<void()> &prepare) {
    ChildRun run = RunInChild([&] {
        if (!PrivateUsr()) {
            return 3;
        }
        mkdir("/usr/Varen", 0755);
        prepare();
        char *base = locatePreviousInstallation();
        fputs(base ? base : "(none)", stdout);
        return 0;
    });
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

TEST(LocatePreviousInstallation, FindsTheBaseFromTheFixedPlace) {
    EXPECT_EQ(LocateWith([] {}), "(none)");
    EXPECT_EQ(LocateWith([] { mkdir("/usr/Varen/tvxx", 0755); }), "/usr");
    // Any entry that is no link counts as an installation in /usr.
    EXPECT_EQ(LocateWith([] { WriteFile("/usr/Varen/tvxx", "x"); }), "/usr");
    EXPECT_EQ(LocateWith([] { symlink("/opt/Varen/tvxx", "/usr/Varen/tvxx"); }), "/opt");
    EXPECT_EQ(LocateWith([] { symlink("/opt/Varen/tvxx/", "/usr/Varen/tvxx"); }), "/opt");
    // A relative link text is joined to /usr, not to /usr/Varen.
    EXPECT_EQ(LocateWith([] { symlink("../../opt/Varen/tvxx", "/usr/Varen/tvxx"); }),
              "/usr/../../opt");
    // A dangling link still names an installation: the text alone counts.
    EXPECT_EQ(LocateWith([] { symlink("/gone/away/Varen/tvxx", "/usr/Varen/tvxx"); }),
              "/gone/away");
}

// What stands at a path, for the move reports: "dir", "link:TEXT", "file"
// or "none".
std::string Kind(const std::string &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        return "none";
    }
    if (S_ISLNK(st.st_mode)) {
        char text[512] = {0};
        ssize_t n = readlink(path.c_str(), text, sizeof text - 1);
        return "link:" + std::string(text, n > 0 ? n : 0);
    }
    return S_ISDIR(st.st_mode) ? "dir" : "file";
}

void SetMove(const std::string &cur, const std::string &target) {
    pCurrentInstallDir = SaveStr("%s", cur.c_str());
    pTargetInstallDir = SaveStr("%s", target.c_str());
    pAppDir = SaveStr("%s/Varen/tvxx", target.c_str());
}

TEST(MoveInstallation, OutOfUsrAndBackKeepsTheFilesAndRemakesTheLink) {
    std::string t = MakeTempDir();
    ChildRun run = RunInChild([&] {
        if (!PrivateUsr(t)) {
            return 3;
        }
        umask(077); // the vendor directory must get 755 from the move itself
        mkdir("/usr/Varen", 0755);
        mkdir("/usr/Varen/tvxx", 0755);
        WriteFile("/usr/Varen/tvxx/tvqadmin", "program");
        std::string opt = t + "/opt";
        mkdir(opt.c_str(), 0755);

        SetMove("/usr", opt);
        moveInstallation();
        struct stat st;
        stat((opt + "/Varen").c_str(), &st);
        printf("out: vendor=%o app=%s fixed=%s\n", st.st_mode & 07777,
               ReadFile(opt + "/Varen/tvxx/tvqadmin").c_str(), Kind("/usr/Varen/tvxx").c_str());

        SetMove(locatePreviousInstallation(), "/usr");
        moveInstallation();
        printf("back: fixed=%s app=%s old=%s\n", Kind("/usr/Varen/tvxx").c_str(),
               ReadFile("/usr/Varen/tvxx/tvqadmin").c_str(), Kind(opt + "/Varen/tvxx").c_str());
        return 0;
    });
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "out: vendor=755 app=program fixed=link:" + t +
                           "/opt/Varen/tvxx\n"
                           "back: fixed=dir app=program old=none\n");
    EXPECT_EQ(Kind("/usr/Varen"), "none") << "the real /usr is never changed";
}

TEST(MoveInstallation, AnotherSpellingOfTheSamePlaceMovesNothing) {
    std::string t = MakeTempDir();
    ChildRun run = RunInChild([&] {
        if (!PrivateUsr(t)) {
            return 3;
        }
        mkdir("/usr/Varen", 0755);
        mkdir("/usr/Varen/tvxx", 0755);
        WriteFile("/usr/Varen/tvxx/tvqadmin", "program");
        std::string alias = t + "/alias";
        symlink("/usr", alias.c_str());
        for (std::string spelling :
             {std::string("/usr/."), std::string("//usr"), std::string("/usr/Varen/.."), alias}) {
            SetMove("/usr", spelling);
            moveInstallation();
            printf("%s: %s %s\n", spelling.c_str(), Kind("/usr/Varen/tvxx").c_str(),
                   ReadFile("/usr/Varen/tvxx/tvqadmin").c_str());
        }

        // An installation elsewhere, reached through the link at the fixed
        // place, named with a trailing "/.".
        std::string opt = t + "/opt";
        mkdir(opt.c_str(), 0755);
        SetMove("/usr", opt);
        moveInstallation();
        SetMove(opt, opt + "/.");
        moveInstallation();
        printf("opt/.: %s %s\n", Kind("/usr/Varen/tvxx").c_str(),
               ReadFile(opt + "/Varen/tvxx/tvqadmin").c_str());
        return 0;
    });
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "/usr/.: dir program\n//usr: dir program\n/usr/Varen/..: dir program\n" + t +
                           "/alias: dir program\nopt/.: link:" + t + "/opt/Varen/tvxx program\n");
}

TEST(VarenClean, RemovesTheWorkAreaAndAnEmptyCreatedDirectoryAndRunsTheTool) {
    std::string t = MakeTempDir();
    std::string app = t + "/app";
    mkdir(app.c_str(), 0755);
    WriteFile(app + "/tvqadmin", "#!/bin/sh\necho \"$1\" >> " + t + "/calls\n", 0755);

    // flag: whether the installer created the directory; extra: a file of
    // someone else's in it.
    auto clean = [&](const std::string &dir, bool flag, bool extra) {
        mkdir(dir.c_str(), 0755);
        mkdir((dir + "/VarenInstall").c_str(), 0755);
        WriteFile(dir + "/VarenInstall/piece", "x");
        if (extra) {
            WriteFile(dir + "/keep", "x");
        }
        unlink((t + "/calls").c_str());
        return RunInChild([&] {
            pAppDir = SaveStr("%s", app.c_str());
            pVarenInstallDir = SaveStr("%s/VarenInstall", dir.c_str());
            flCreatedTmpDir = flag ? 1 : 0;
            pCreatedWorkDir = flag ? SaveStr("%s", dir.c_str()) : nullptr;
            VarenClean(pVarenInstallDir);
            return 0;
        });
    };

    ChildRun run = clean(t + "/made", true, false);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "..\n") << run.err;
    EXPECT_EQ(ReadFile(t + "/calls"), "-upgrade\n-clean\n") << run.err;
    EXPECT_FALSE(Exists(t + "/made"));

    run = clean(t + "/shared", true, true);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(Exists(t + "/shared/VarenInstall"));
    EXPECT_TRUE(Exists(t + "/shared/keep"));

    run = clean(t + "/given", false, false);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(Exists(t + "/given/VarenInstall"));
    EXPECT_TRUE(Exists(t + "/given")) << "a directory the installer did not make stays";
}

} // namespace
