// Tests of the driver's path routines: the base of an application directory
// and the earlier installation found at the fixed place /usr/Varen/tvxx (in a
// sandbox child whose /usr is an overlay). Moves and the clean-up are checked
// by whole runs.
#include "support/savestr.h"
#include "testutil.h"

namespace {

using tu::ChildRun;
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

} // namespace
