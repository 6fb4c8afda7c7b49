// Tests of the file and path operations: the splitters, existence by listing, line reading with
// continuations, whole-file reads and the nearest existing path.
#include "syscmd/fileops.h"
#include "testutil.h"

namespace {

using tu::WriteFile;

class Files : public testing::Test {
  protected:
    std::string dir = tu::MakeTempDir();
};

// Longer than the result buffers: cut, never written beyond; the text before a path is not read.
TEST(Strip, Splitters) {
    const char *cases[][3] = {{"a/b/c", "c", "a/b"}, {"/x", "x", "/"}, {"x", "x", "."},
                              {"a/b/", "b", "a/b"},  {"/", "/", "/"},  {"", "", "."}};
    for (const auto &c : cases)
        EXPECT_TRUE(!strcmp(c[1], StripPath(c[0])) && !strcmp(c[2], StripFn(c[0]))) << c[0];
    const char slashes[] = "//";
    EXPECT_TRUE(!strcmp("/", StripPath(slashes + 1)) && !strcmp("", StripPath(nullptr)) && !strcmp(".", StripFn(nullptr)));
    EXPECT_EQ(127u, strlen(StripPath(("/d/" + std::string(300, 'n')).c_str())));
    EXPECT_EQ(255u, strlen(StripFn((std::string(400, 'd') + "/x").c_str())));
}

// Exact names by listing, paths of any length; root owns everything, another user only what is
// theirs.
TEST_F(Files, FindFileTypesAndOwners) {
    mkdir((dir + "/sub").c_str(), 0755);
    WriteFile(dir + "/sub/File", "");
    symlink("/nonexistent", (dir + "/dangling").c_str());
    EXPECT_TRUE(FindFile(nullptr, (dir + "/sub").c_str()) && FindFile(dir.c_str(), "sub/File") &&
                FindFile(dir.c_str(), "dangling"));
    EXPECT_FALSE(FindFile(dir.c_str(), "sub/file") || FindFile(dir.c_str(), "missing/File") ||
                 FindFile(dir.c_str(), "sub/"));
    std::string deep = dir;
    for (char c : {'a', 'b', 'c'})
        mkdir((deep += "/" + std::string(100, c)).c_str(), 0755);
    EXPECT_TRUE(FindFile(deep.c_str(), nullptr));
    symlink(dir.c_str(), (dir + "/dirlink").c_str());
    EXPECT_TRUE(GetFileType((dir + "/dirlink").c_str()) == 2 && GetFileType(dir.c_str()) == 1);
    WriteFile(dir + "/theirs", "");
    ASSERT_EQ(0, chown((dir + "/theirs").c_str(), 65534, 65534));
    chmod(dir.c_str(), 0755);
    EXPECT_TRUE(OwnedByThisUser(dir.c_str()));
    EXPECT_EQ(0, tu::RunInChild([&] {
                     bool ok = seteuid(65534) == 0 && !OwnedByThisUser(dir.c_str()) &&
                               OwnedByThisUser((dir + "/theirs").c_str());
                     return seteuid(0) == 0 && ok ? 0 : 1; // root again for the exit checks
                 }).status);
}

// Lines come whole, continuations joined; a line over the limit (also by continuations) or holding
// a NUL is read to its end and delivered empty with its fault; the number is that of its first
// physical line.
TEST_F(Files, InputLinesWholeOrRefused) {
    std::string cont;
    for (int i = 0; i < 600; i++)
        cont += "abcdefgh\\\n";
    WriteFile(dir + "/in", "one \\\ntwo\n" + std::string(1100, 'x') + "\n" + std::string(510, 'y') + "\nn" +
                               std::string(1, '\0') + "ul\n" + cont + "\nlast");
    ASSERT_TRUE(OpenInputFile((dir + "/in").c_str(), 2));
    std::string lines;
    while (GetFileLine())
        lines += std::string(LineBuf) + "|" + std::to_string(GetFileLineFault()) + "@" +
                 std::to_string(GetFileLineNumber()) + " ";
    EXPECT_EQ("one \\\ntwo\n|0@1 |1@3 " + std::string(510, 'y') + "\n|0@4 |2@5 |1@6 last|0@607 ", lines);
    EXPECT_FALSE(GetFileLine());
    CloseInputFile();
    EXPECT_EXIT(OpenInputFile((dir + "/none").c_str(), 2), testing::ExitedWithCode(0), "ERROR: can't open file, ");
    WriteFile(dir + "/big", std::string(10000, 'b'));
    ASSERT_TRUE(GetFileContent(dir.c_str(), "big"));
    EXPECT_EQ(std::string(4095, 'b'), LineBuf);
    EXPECT_FALSE(GetFileContent(dir.c_str(), "none") || GetFileContent(dir.c_str(), std::string(5000, 'n').c_str()));
    // Modes: given ones set, 0 leaves the file's as they are.
    ASSERT_TRUE(CreateTextFile((dir + "/t").c_str(), "w", 0751, "%d", 5));
    ASSERT_TRUE(CreateTextFile((dir + "/t").c_str(), "a", 0, "%d", 6));
    EXPECT_EQ("56", tu::ReadFile(dir + "/t"));
    EXPECT_EQ(0751, tu::ModeOf(dir + "/t"));
    mkdir((dir + "/a").c_str(), 0755);
    const struct { std::string path, expect; int flag; } cases[] = {
        {dir + "/a/b/c", dir + "/a", 0}, {dir + "/a", dir + "/a", 1}, {"/", "/", 1}, {"/" + std::string(5000, 'z') + "/y", "/", 0}};
    for (const auto &c : cases) { // the nearest existing path
        int flag = 0;
        EXPECT_EQ(c.expect, tu::Take(FindExistingPath(c.path.c_str(), &flag)));
        EXPECT_EQ(c.flag, flag) << c.path;
    }
}

} // namespace
