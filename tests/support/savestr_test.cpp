// Tests of saved strings: exact copies of plain text, complete results of
// any length, exact-size allocations, and the end of the program when memory
// runs out.
#include "support/savestr.h"

#include "support/mem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Starts from an empty chain, as the installer does; blocks that other tests
// keep alive are set aside and put back afterwards.
class SaveStrTest : public testing::Test {
  protected:
    void SetUp() override {
        saved = pMemB;
        pMemB = nullptr;
    }
    void TearDown() override {
        while (pMemB != nullptr)
            FreeBlock(pMemB);
        pMemB = saved;
    }
    MemBlock *saved = nullptr;
};

// Nodes of the allocation that begins at p (0 when none begins there).
int NodesAt(const char *p) {
    MemBlock *b = FindBlock(p);
    if (b == nullptr)
        return 0;
    return b->Alloc[(p - b->pData) / MEM_NODE_SIZE].Nodes;
}

TEST_F(SaveStrTest, FormatsIntoAnExactSizeAllocation) {
    char *empty = SaveStr("%s", "");
    EXPECT_STREQ(empty, "");
    EXPECT_EQ(NodesAt(empty), 1);

    char *path = SaveStr("%s/%s", "/usr", "bin");
    EXPECT_STREQ(path, "/usr/bin");
    EXPECT_EQ(NodesAt(path), 1);

    char *again = SaveStr("%s/%s", "/usr", "bin");
    EXPECT_NE(again, path);
    EXPECT_STREQ(again, path);

    std::string text30(30, 'a'), text31(31, 'b');
    EXPECT_EQ(NodesAt(SaveStr("%s", text30.c_str())), 1); // 30 + NUL + spare byte
    EXPECT_EQ(NodesAt(SaveStr("%s", text31.c_str())), 2);
    EXPECT_STREQ(SaveStr("%d-%05.1f-%c", -42, 3.14159, 'z'), "-42-003.1-z");
}

TEST_F(SaveStrTest, PlainTextWithPercentIsCopiedUnchanged) {
    const char *texts[] = {"100%", "%s%d%n%%", "50% off %x", "\\%"};
    for (const char *t : texts)
        EXPECT_STREQ(SaveStr("%s", t), t);
}

TEST_F(SaveStrTest, ScratchAreaIsReleasedAndSavesFollowFromNode257) {
    // The scratch area of a short format takes nodes 0 to 256 while the
    // result is taken, and is given back before SaveStr returns.
    char *first = SaveStr("%s", "first");
    ASSERT_NE(pMemB, nullptr);
    EXPECT_EQ(first, pMemB->pData + 32 * 257);
    char *second = SaveStr("%s", "second");
    EXPECT_EQ(second, first + 32);
    EXPECT_EQ(pMemB->FreeNodeCount, MEM_NODES - 2);
    EXPECT_EQ(pMemB->pNext, nullptr);
}

TEST_F(SaveStrTest, LongResultsAreComplete) {
    const size_t lengths[] = {8190, 8191, 8192, 8193, 65535, 65536, 300000};
    for (size_t len : lengths) {
        std::string text(len, 'x');
        text[0] = 'A';
        text[len - 1] = 'Z';
        char *s = SaveStr("<%s>", text.c_str());
        ASSERT_EQ(strlen(s), len + 2) << len;
        EXPECT_EQ(std::string(s), "<" + text + ">") << len;
        PutMem(s);
        EXPECT_EQ(pMemB, nullptr) << "only the result was left allocated, " << len;
    }

    // A format longer than 4096 characters, producing more than its scratch
    // area's usual size.
    std::string format(5000, 'f');
    format += "%s";
    std::string arg(20000, 'a');
    char *s = SaveStr(format.c_str(), arg.c_str());
    EXPECT_EQ(std::string(s), std::string(5000, 'f') + arg);
}

#if !defined(__SANITIZE_ADDRESS__)
// Child of the death test below: with the address space limited to a
// little more than it holds now, a 48-MiB text cannot be saved.
[[noreturn]] void SaveTooMuch() {
    unsigned long pages = 0;
    FILE *f = fopen("/proc/self/statm", "r");
    if (f == nullptr || fscanf(f, "%lu", &pages) != 1)
        exit(3);
    fclose(f);
    rlim_t limit = pages * static_cast<rlim_t>(getpagesize()) + (16u << 20);
    struct rlimit lim = {limit, limit};
    setrlimit(RLIMIT_AS, &lim);
    SaveStr("%*s", 48 << 20, "");
    exit(0);
}

TEST_F(SaveStrTest, OutOfMemoryEndsTheProgram) {
    EXPECT_EXIT(SaveTooMuch(), testing::ExitedWithCode(1),
                "^ERROR: Unable to allocate memory\n\nsetup: Unable to allocate memory : "
                "Cannot allocate memory\n$");
}
#endif

} // namespace
