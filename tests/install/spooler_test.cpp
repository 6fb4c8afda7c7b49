// Tests of the printing subsystem detection: the flags file for hosts with
// LPRng, CUPS, a BSD lpd or no spooler, through stand-in lpd and cupsd
// placed in the command table.
#include "install/spooler.h"

#include "testutil.h"

namespace {

using namespace tu;

struct Host {
    const char *name;
    const char *lpd;   // stand-in lpd body, or null when there is none
    bool cupsd;        // a cupsd stand-in is present
    const char *flags; // expected content of .tv_cfg
};

constexpr char LPRNG_ON_STDERR[] = "echo 'lpd: version LPRng-3.8.28' >&2";
constexpr char BSD_REFUSES_V[] = "echo 'lpd: illegal option -- V' >&2\nexit 1";

class SpoolerTest : public ::testing::TestWithParam<Host> {
  protected:
    void SetUp() override { InitInstallerOnce(); }
    std::string root_ = MakeTempDir();
    RowPath lpd_{CMD_LPD};
    RowPath cupsd_{CMD_CUPSD};
};

TEST_P(SpoolerTest, FlagsFileNamesTheSubsystem) {
    const Host &host = GetParam();
    ComList[CMD_LPD].pPath = nullptr;
    ComList[CMD_CUPSD].pPath = nullptr;
    if (host.lpd != nullptr)
        FakeCmd(CMD_LPD, root_, host.lpd);
    if (host.cupsd) // only looked for, never run
        FakeCmd(CMD_CUPSD, root_, "touch " + root_ + "/cupsd-ran");
    // A flags file of an earlier run, with other content and mode, is replaced.
    std::string cfg = root_ + "/.tv_cfg";
    WriteFile(cfg, " LPRng BSD AIX V5 and more\n", 0600);

    createPrintingSubsystemFile(root_.c_str());
    EXPECT_EQ(host.flags, ReadFile(cfg));
    EXPECT_EQ(0644, ModeOf(cfg));
    EXPECT_FALSE(Exists(root_ + "/cupsd-ran"));
}

INSTANTIATE_TEST_SUITE_P(Hosts, SpoolerTest,
                         ::testing::Values(Host{"lprng", LPRNG_ON_STDERR, false, " LPRng "},
                                           Host{"lprng_and_cups", LPRNG_ON_STDERR, true, " CUPS "},
                                           Host{"bsd_lpd", BSD_REFUSES_V, false, " BSD "},
                                           Host{"bsd_lpd_and_cups", BSD_REFUSES_V, true, " CUPS "},
                                           Host{"nothing", nullptr, false, " BSD "}),
                         [](const ::testing::TestParamInfo<Host> &info) {
                             return std::string(info.param.name);
                         });

TEST(SpoolerFile, UnwritableDirectoryReportsAndGoesOn) {
    InitInstallerOnce();
    std::string dir = MakeTempDir() + "/missing";
    testing::internal::CaptureStderr();
    createPrintingSubsystemFile(dir.c_str());
    EXPECT_EQ("ERROR: couldn't open " + dir + "/.tv_cfg\n", testing::internal::GetCapturedStderr());
}

} // namespace
