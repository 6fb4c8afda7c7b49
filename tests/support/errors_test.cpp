// Tests of the error reporters: exact output shapes on standard error, exit
// statuses, and the bounded formatting into the shared buffer Line.
#include "testutil.h"

namespace {

// Children of death tests: a failed open as a caller would report it; the
// reporter under another program name; and a message whose writing fails
// (a wide character the C locale cannot encode) and sets errno on its own,
// while the report still names the error the caller met.
[[noreturn]] void ReportFailedOpen() {
    errno = ENOENT;
    SysError("can't open file, %s", "/x/y");
}
[[noreturn]] void ReportUnderOtherName() {
    static char name[] = "other";
    my_name = name;
    errno = EACCES;
    SysError("%d%%", 100);
}
[[noreturn]] void ReportWithFailingMessage() {
    errno = EACCES;
    SysError("%ls", L"\x263a");
}

TEST(SysError, NameMessageAndTheErrorAtEntryThenStatus1) {
    EXPECT_EXIT(ReportFailedOpen(), testing::ExitedWithCode(1),
                "^\nsetup: can't open file, /x/y : No such file or directory\n$");
    EXPECT_EXIT(ReportUnderOtherName(), testing::ExitedWithCode(1),
                "^\nother: 100% : Permission denied\n$");
    EXPECT_EXIT(ReportWithFailingMessage(), testing::ExitedWithCode(1),
                "^\nsetup:  : Permission denied\n$");
}

TEST(ErrorMsg, WarningsGoOnOtherTypesOnlyFormatErrorsEndTheRun) {
    testing::internal::CaptureStderr();
    ErrorMsg(1, 7, "disk %s is %d%% full", "/usr", 99);
    EXPECT_STREQ(Line, "disk /usr is 99% full");
    ErrorMsg(0, 2, "quiet %d", 1);
    ErrorMsg(3, 2, "quiet %d", 3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "WARNING: disk /usr is 99% full\n");
    EXPECT_STREQ(Line, "quiet 3");
    EXPECT_EXIT(ErrorMsg(2, 2, "can't create %s", "/w"), testing::ExitedWithCode(2),
                "^ERROR: can't create /w\n$");
    EXPECT_EXIT(ErrorMsg(2, 0, "stop"), testing::ExitedWithCode(0), "^ERROR: stop\n$");
}

TEST(ErrorMsg, MessageLongerThanLineIsCut) {
    std::string huge(LINE_SIZE + 1000, 'm');
    testing::internal::CaptureStderr();
    ErrorMsg(1, 0, "<%s>", huge.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: <" + std::string(LINE_SIZE - 2, 'm') + "\n");
}

} // namespace
