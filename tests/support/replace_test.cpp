// Unit test of the whole replacement of a file: the new name beside it, its leftovers, the rename.
#include "support/files.h"
#include "support/mem.h"
#include "testutil.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace tu;

// Writes text over path through a replacement; whether it was begun and whether it ended well.
std::pair<bool, bool> Replace(const std::string &path, const char *text) {
    char *newPath = nullptr;
    FILE *out = StartReplacement(path.c_str(), &newPath);
    if (out == nullptr)
        return PutMem(newPath), std::pair{false, false};
    fputs(text, out);
    return {true, FinishReplacement(out, newPath, path.c_str(), 0751)};
}

// A leftover file or link at the new name goes (the link's target untouched), the new file gets its mode and
// a new inode; a directory at the new name is refused; a failed rename removes the new file.
TEST(Replacement, LeftoversLinksAndFailures) {
    std::string dir = MakeTempDir(), path = dir + "/s", next = path + ".new";
    WriteFile(path, "old"), WriteFile(dir + "/target", "kept");
    struct stat before {}, after {};
    stat(path.c_str(), &before);
    WriteFile(next, "left over");
    EXPECT_EQ(std::pair(true, true), Replace(path, "one"));
    symlink((dir + "/target").c_str(), next.c_str());
    EXPECT_EQ(std::pair(true, true), Replace(path, "two"));
    stat(path.c_str(), &after);
    EXPECT_EQ("two kept", ReadFile(path) + " " + ReadFile(dir + "/target"));
    EXPECT_EQ(0751u, after.st_mode & 07777);
    EXPECT_NE(before.st_ino, after.st_ino);
    mkdir(next.c_str(), 0700);
    EXPECT_EQ(std::pair(false, false), Replace(path, "three"));
    rmdir(next.c_str());
    std::string busy = dir + "/busy";
    mkdir(busy.c_str(), 0700), WriteFile(busy + "/x", "");
    EXPECT_EQ(std::pair(true, false), Replace(busy, "four"));
    EXPECT_EQ(-1, access((busy + ".new").c_str(), F_OK));
    EXPECT_EQ("two", ReadFile(path));
}

} // namespace
