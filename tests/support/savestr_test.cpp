// Tests of saved strings: exact copies of plain text, complete results of any length, exact-size
// allocations, the end of the program when memory runs out.
#include "testutil.h"

#include <sys/resource.h>

namespace {

using SaveStrTest = tu::EmptyChain;

TEST_F(SaveStrTest, ExactSizeCompleteResultsAndPlainText) {
    for (int len : {0, 30, 31}) { // with NUL and the spare byte: 1, 1 and 2 nodes
        char *p = SaveStr("%s", std::string(len, 'a').c_str());
        EXPECT_EQ(FindBlock(p)->Alloc[(p - FindBlock(p)->pData) / MEM_NODE_SIZE].Nodes, len < 31 ? 1 : 2) << len;
    }
    EXPECT_STREQ(SaveStr("%d-%05.1f-%c", -42, 3.14159, 'z'), "-42-003.1-z");
    for (const char *t : {"100%", "%s%d%n%%", "50% off %x"}) // texts holding "%" stay unchanged
        EXPECT_STREQ(SaveStr("%s", t), t);
    while (pMemB != nullptr)
        FreeBlock(pMemB);
    for (size_t len : {10, 8191, 8192, 65536, 300000}) { // only the result stays allocated
        std::string text = "A" + std::string(len - 2, 'x') + "Z";
        EXPECT_EQ(tu::Take(SaveStr("<%s>", text.c_str())), "<" + text + ">") << len;
        EXPECT_EQ(pMemB, nullptr) << "the scratch area was left allocated, " << len;
    }
    // A format over 4096 characters producing more than the scratch area's usual size.
    std::string format = std::string(5000, 'f') + "%s", arg(20000, 'a');
    EXPECT_EQ(std::string(SaveStr(format.c_str(), arg.c_str())), std::string(5000, 'f') + arg);
}

#if !defined(__SANITIZE_ADDRESS__)
// With the address space limited to a little more than it holds now, a 48-MiB text cannot be saved.
[[noreturn]] void SaveTooMuch() {
    unsigned long pages = 0;
    FILE *f = fopen("/proc/self/statm", "r");
    if (f == nullptr || fscanf(f, "%lu", &pages) != 1)
        exit(3);
    rlim_t limit = pages * static_cast<rlim_t>(getpagesize()) + (16u << 20);
    struct rlimit lim = {limit, limit};
    setrlimit(RLIMIT_AS, &lim);
    SaveStr("%*s", 48 << 20, "");
    exit(0);
}
TEST_F(SaveStrTest, OutOfMemoryEndsTheProgram) {
    EXPECT_EXIT(SaveTooMuch(), testing::ExitedWithCode(1),
                "^ERROR: Unable to allocate memory\n\nsetup: Unable to allocate memory : Cannot allocate memory\n$");
}
#endif

} // namespace
