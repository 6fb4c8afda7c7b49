// Tests of saved strings: exact copies of plain text, complete results of
// any length, exact-size allocations, and the end of the program when memory
// runs out.
#include "support/savestr.h"

#include "testutil.h"

#include <sys/resource.h>

namespace {

using SaveStrTest = tu::EmptyChain;

// Nodes of the allocation that begins at p (0 when none begins there).
int NodesAt(const char *p) {
    MemBlock *b = FindBlock(p);
    return b == nullptr ? 0 : b->Alloc[(p - b->pData) / MEM_NODE_SIZE].Nodes;
}

TEST_F(SaveStrTest, FormatsIntoAnExactSizeAllocation) {
    for (int len : {0, 30, 31}) // with NUL and the spare byte: 1, 1 and 2 nodes
        EXPECT_EQ(NodesAt(SaveStr("%s", std::string(len, 'a').c_str())), len < 31 ? 1 : 2) << len;
    EXPECT_STREQ(SaveStr("%d-%05.1f-%c", -42, 3.14159, 'z'), "-42-003.1-z");
    // Texts holding "%", saved as plain text, stay unchanged.
    for (const char *t : {"100%", "%s%d%n%%", "50% off %x"})
        EXPECT_STREQ(SaveStr("%s", t), t);
}

TEST_F(SaveStrTest, LongResultsAreCompleteAndOnlyTheResultStays) {
    for (size_t len : {10, 8191, 8192, 65536, 300000}) {
        std::string text = "A" + std::string(len - 2, 'x') + "Z";
        EXPECT_EQ(tu::Take(SaveStr("<%s>", text.c_str())), "<" + text + ">") << len;
        EXPECT_EQ(pMemB, nullptr) << "the scratch area was left allocated, " << len;
    }
    // A format longer than 4096 characters, producing more than its scratch
    // area's usual size.
    std::string format = std::string(5000, 'f') + "%s";
    std::string arg(20000, 'a');
    EXPECT_EQ(std::string(SaveStr(format.c_str(), arg.c_str())), std::string(5000, 'f') + arg);
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
