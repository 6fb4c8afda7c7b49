// Release numbers: the order of every pair of a table agrees with dpkg --compare-versions.
#include "support/version.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>
namespace {
TEST(Releases, OrderAgreesWithDpkg) {
    if (system("command -v dpkg >/dev/null") != 0)
        GTEST_SKIP() << "dpkg is missing";
    const std::vector<std::string> table = {"1", "1.0", "1.00", "1.0~rc1", "1.0~~", "1.0+b1", "1.0a", "1.0-1",
        "1.0-0", "1.0-1~bpo1", "1.0-10", "1.0-9", "1:0.9", "2:0", "01:1.0", "1.2.3", "1.10", "1.9", "3.01.67",
        "3.01.7", "3.1", "10", "9", "1.0.a", "1.0-1-2", "1.0-a", "1.0-b.1", "0~", "0", "1a~", "1a", "1+"};
    for (const std::string &a : table) {
        ASSERT_TRUE(IsReleaseNumber(a.c_str())) << a;
        for (const std::string &b : table) {
            int got = CompareReleases(a.c_str(), b.c_str());
            std::string op = got < 0 ? "lt" : got == 0 ? "eq" : "gt";
            EXPECT_EQ(0, system(("dpkg --compare-versions '" + a + "' " + op + " '" + b + "'").c_str()))
                << a << " " << op << " " << b;
        }
    }
    for (const char *bad : {"", "a1", "1 2", "1;x", ":1", "1:", "1:a", "1/2", "1_2", "1.-"})
        EXPECT_FALSE(IsReleaseNumber(bad)) << bad;
}
} // namespace
