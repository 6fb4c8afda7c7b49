// Tests of the error reporters: exact output shapes on standard error, exit statuses, and the
// bounded formatting into the shared buffer Line.
#include "testutil.h"

namespace {

// The report names the error the caller met, under the program's name, even when writing the
// message (a wide character the C locale cannot encode) sets errno itself.
TEST(SysError, NameMessageAndTheErrorAtEntryThenStatus1) {
    EXPECT_EXIT((errno = ENOENT, SysError("can't open file, %s", "/x/y")), testing::ExitedWithCode(1),
                "^\nsetup: can't open file, /x/y : No such file or directory\n$");
    static char name[] = "other";
    EXPECT_EXIT((my_name = name, errno = EACCES, SysError("%d%%", 100)), testing::ExitedWithCode(1),
                "^\nother: 100% : Permission denied\n$");
    EXPECT_EXIT((errno = EACCES, SysError("%ls", L"\x263a")), testing::ExitedWithCode(1),
                "^\nsetup:  : Permission denied\n$");
}

// Warnings go on, other types are only formatted, errors end the run; a message longer than Line is
// cut.
TEST(ErrorMsg, WarningsGoOnOtherTypesOnlyFormatErrorsEndTheRun) {
    testing::internal::CaptureStderr();
    ErrorMsg(1, 7, "disk %s is %d%% full", "/usr", 99);
    EXPECT_STREQ(Line, "disk /usr is 99% full");
    ErrorMsg(0, 2, "quiet %d", 1);
    ErrorMsg(3, 2, "quiet %d", 3);
    EXPECT_STREQ(Line, "quiet 3");
    ErrorMsg(1, 0, "<%s>", std::string(LINE_SIZE + 1000, 'm').c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: disk /usr is 99% full\nWARNING: <" + std::string(LINE_SIZE - 2, 'm') + "\n");
    EXPECT_EXIT(ErrorMsg(2, 2, "can't create %s", "/w"), testing::ExitedWithCode(2), "^ERROR: can't create /w\n$");
    EXPECT_EXIT(ErrorMsg(2, 0, "stop"), testing::ExitedWithCode(0), "^ERROR: stop\n$");
}

} // namespace
