// Unit tests of the support layer: allocator, saved strings, error reporters, tokenizer, files.
#include "support/token.h"
#include "syscmd/fileops.h"
#include "testutil.h"
#include <malloc.h>
#include <map>
#include <random>
#include <sys/mman.h>
namespace {
using namespace tu;
// ---- The block allocator.
using Mem = EmptyChain;
int ChainLength() {
    int n = 0;
    for (MemBlock *b = pMemB; b != nullptr; b = b->pNext)
        n++;
    return n;
}
bool Unmapped(const void *p, size_t len) { // no page of [p, p + len) is mapped
    for (size_t off = 0; off < len; off += static_cast<size_t>(getpagesize()))
        if (msync(static_cast<char *>(const_cast<void *>(p)) + off, 1, MS_ASYNC) == 0 || errno != ENOMEM)
            return false;
    return true;
}
bool AllZero(const char *p, size_t len) { return std::all_of(p, p + len, [](char x) { return x == 0; }); }
// Requests take whole nodes, counting one extra byte; from 65536 bytes on a dedicated block of
// whole 64 KiB units, which any pointer into it (not one past its end) releases.
TEST_F(Mem, NodesAndDedicatedBlocks) {
    EXPECT_TRUE(GetMem(0) == nullptr && GetMem(-5) == nullptr);
    void *small = GetMem(100); // 4 nodes
    const struct { int32_t length, nodes, size, used; } cases[] = {
        {31, 1, 65536, 0}, {32, 2, 65536, 0}, {65535 - 128, 2044, 65536, 0}, {65536, 2048, 131072, 65568},
        {131071, 2048, 131072, 131072}, {131072, 2048, 196608, 131104}};
    for (const auto &c : cases) {
        char *p = static_cast<char *>(GetMem(c.length));
        MemBlock *b = FindBlock(p);
        ASSERT_NE(b, nullptr) << c.length;
        int i = static_cast<int>((p - b->pData) / MEM_NODE_SIZE);
        EXPECT_EQ(strspn(b->MAT + i, "U"), static_cast<size_t>(c.nodes)) << c.length;
        EXPECT_TRUE(b->Size == c.size && b->UsedSize == c.used && AllZero(p, c.length + 1u)) << c.length;
        p[c.length] = 'x'; // the extra byte is ours too
        bool own = c.size > MEM_BLOCK_SIZE;
        if (own) {
            PutMem(p + c.size); // one past its end: changes nothing
            EXPECT_TRUE(FindBlock(p) == b && b->pData == p && b->FreeNodeCount == 0);
            void *next = GetMem(100); // passes the dedicated block by
            EXPECT_EQ(FindBlock(next), pMemB);
            PutMem(next), PutMem(p + 70000);
        } else {
            EXPECT_TRUE(b->Alloc[i].Nodes == c.nodes && b->FreeNodeCount == MEM_NODES - 4 - c.nodes) << c.length;
            PutMem(p);
        }
        EXPECT_TRUE(FindBlock(p) == (own ? nullptr : pMemB) && ChainLength() == 1) << c.length;
    }
    PutMem(small);
    EXPECT_EQ(pMemB, nullptr);
    // Free runs of 10 nodes on each side of a used group make no run of 17 (the hint for runs of
    // 16 and more nodes lies before the group).
    auto nodes = [](int n) { return static_cast<char *>(GetMem(32 * n - 1)); };
    char *first = nodes(40), *x = nodes(24), *y = (nodes(64), nodes(10)); // 0-39 40-63 64-127 128-137
    nodes(17), PutMem(x), PutMem(y), nodes(14); // 138-154; 40-63, 128-137 freed; 40-53 taken
    EXPECT_EQ(nodes(17), first + 32 * 155);
}
// An empty block is unmapped wholly (with the page its mapping was rounded up by); pointers that
// begin no allocation (one past a block's end too) change nothing; a request too large is refused.
TEST_F(Mem, ReleaseUnmapsAndBadPointersAndHugeRequests) {
    void *first = GetMem(1), *second = GetMem(65535); // its own, second block
    ASSERT_EQ(ChainLength(), 2);
    MemBlock *secondBlock = pMemB->pNext, *firstBlock = pMemB;
    char *data = secondBlock->pData;
    PutMem(second);
    ASSERT_EQ(ChainLength(), 1);
    EXPECT_TRUE(Unmapped(data, MapLength(MEM_BLOCK_SIZE)) &&
                Unmapped(secondBlock, MapLength(sizeof(MemBlock))));
    PutMem(first);
    EXPECT_TRUE(pMemB == nullptr && Unmapped(firstBlock, sizeof(MemBlock)));
    static char staticBuf[64];
    char *a = static_cast<char *>(GetMem(40)), *b = static_cast<char *>(GetMem(10)); // nodes 0-1, 2
    const std::string mat = pMemB->MAT;
    for (char *bad : {static_cast<char *>(nullptr), staticBuf, a + 32, // its 2nd node
                      pMemB->pData + 32 * 10, pMemB->pData + MEM_BLOCK_SIZE}) // free; past the end
        PutMem(bad);
    EXPECT_TRUE(mat == pMemB->MAT && pMemB->FreeNodeCount == MEM_NODES - 3);
    PutMem(a + 5), PutMem(a); // inside the first node: releases it; then already released
    EXPECT_EQ(pMemB->FreeNodeCount, MEM_NODES - 1);
    PutMem(b);
    EXPECT_EQ(pMemB, nullptr);
    PutMem(b); // its block is gone
    testing::internal::CaptureStderr();
    EXPECT_EQ(GetMem(INT32_MAX), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Unable to allocate memory\n");
    EXPECT_EQ(pMemB, nullptr);
}
#if defined(__SANITIZE_ADDRESS__)
size_t HeapInUse() { return 0; } // ASan counts lazily
#else
size_t HeapInUse() { return mallinfo2().uordblks; }
#endif
// Without the zero device (an empty /dev) blocks come from the heap, zero-filled on dirty heap
// memory, and go back to it (unmapped, the heap would fault).
TEST_F(Mem, HeapFallbackWhenTheZeroDeviceCannotBeOpened) {
    EXPECT_EQ(0, RunInChild([] {
        if (MemId >= 0)
            close(MemId);
        if ((MemId = -1, unshare(CLONE_NEWNS)) != 0 || mount("nodev", "/dev", "tmpfs", 0, nullptr) != 0)
            return 2;
        for (int round = 0; round < 3; round++) {
            size_t before = HeapInUse();
            char *p = static_cast<char *>(GetMem(100)), *big = static_cast<char *>(GetMem(200000));
            if (!p || !big || MemId != -1 || !pMemB->fDescFromHeap || !pMemB->fDataFromHeap)
                return 3;
            if (!AllZero(p, 101) || !AllZero(big, 200001))
                return 5;
            memset(p, 0xAA, 101), memset(big, 0x55, 200001);
            PutMem(p), PutMem(big);
            if (pMemB != nullptr || HeapInUse() != before)
                return 4;
            size_t dirty = MapLength(4 * MEM_BLOCK_SIZE);
            free(memset(malloc(dirty), 1, dirty));
        }
        return 0;
    }).status);
}
// Random requests (1 byte to over 64 KiB) and releases in growing and shrinking phases: each is
// zero-filled, keeps its contents, and lies at the leftmost free run of a reference model (a MAT
// per normal block); the blocks keep their invariants.
TEST_F(Mem, RandomisedAgainstLeftmostRunReference) {
    std::mt19937 rng(20261206);
    std::map<char *, size_t> live;                     // length with the extra byte
    std::vector<char *> order;                         // live pointers, to pick from
    std::vector<std::pair<char *, std::string>> model; // data area and MAT
    auto fillOf = [](const char *p) { return char((reinterpret_cast<uintptr_t>(p) >> 5) | 1); };
    auto allocate = [&]() {
        uint32_t kind = rng() % 100; // mostly short: hints are kept up to 16 nodes
        int32_t len = 1 + static_cast<int32_t>(rng() % (kind < 60 ? 500 : kind < 95 ? 8000 : 200000));
        size_t n = static_cast<size_t>(len + 1 + 31) / 32, at = std::string::npos;
        auto where = model.begin();
        while (len < MEM_BLOCK_SIZE && where != model.end() &&
               (at = where->second.find(std::string(n, ' '))) == std::string::npos)
            ++where;
        char *p = static_cast<char *>(GetMem(len));
        ASSERT_NE(p, nullptr);
        if (len < MEM_BLOCK_SIZE) {
            if (where == model.end()) { // no room anywhere: a new block at the tail
                model.emplace_back(p, std::string(MEM_NODES, ' '));
                where = model.end() - 1, at = 0;
            }
            ASSERT_EQ(p, where->first + 32 * at) << "leftmost run of " << n << " nodes";
            where->second.replace(at, n, n, 'U');
        }
        ASSERT_TRUE(AllZero(p, static_cast<size_t>(len) + 1)) << len;
        memset(p, fillOf(p), static_cast<size_t>(len) + 1);
        live[p] = static_cast<size_t>(len) + 1, order.push_back(p);
    };
    auto release = [&]() {
        size_t k = rng() % order.size(), len;
        char *p = order[k];
        order[k] = order.back(), order.pop_back();
        len = live[p], live.erase(p);
        ASSERT_TRUE(std::all_of(p, p + len, [&](char x) { return x == fillOf(p); })) << "changed";
        for (auto it = model.begin(); it != model.end(); ++it)
            if (p >= it->first && p < it->first + MEM_BLOCK_SIZE) {
                it->second.replace(size_t(p - it->first) / 32, (len + 31) / 32, (len + 31) / 32, ' ');
                if (it->second.find('U') == std::string::npos)
                    model.erase(it);
                break;
            }
        PutMem(p);
    };
    // The chain's normal blocks, in order, match the model's; the hints never hide a run (none of r
    // free nodes begins below RunFrom[r - 1], none is longer than LongestFree); a record describes
    // exactly the allocation that begins at its node.
    auto checkChain = [&]() {
        size_t m = 0;
        MemBlock *prev = nullptr;
        for (MemBlock *b = pMemB; b != nullptr; prev = b, b = b->pNext) {
            ASSERT_EQ(b->pPrev, prev);
            if (b->Size > MEM_BLOCK_SIZE)
                continue;
            ASSERT_TRUE(m < model.size() && b->pData == model[m].first && b->MAT == model[m].second);
            const std::string &mat = model[m++].second;
            ASSERT_EQ(b->FreeNodeCount, std::count(mat.begin(), mat.end(), ' '));
            for (int i = 0, run = 0; i < MEM_NODES; i++) {
                run = mat[i] == ' ' ? run + 1 : 0;
                ASSERT_LE(run, b->LongestFree) << i;
                for (int r = 1; r <= std::min(run, MEM_RUN_HINTS); r++)
                    ASSERT_LE(b->RunFrom[r - 1], i - r + 1) << "hint for " << r;
                ASSERT_EQ(b->Alloc[i].Nodes != 0, live.count(b->pData + 32 * i) == 1) << i;
                ASSERT_EQ(b->Alloc[i].pMemory, b->Alloc[i].Nodes ? b->pData + 32 * i : nullptr);
            }
        }
        ASSERT_EQ(m, model.size());
    };
    for (int step = 0; step < 12000 && !HasFatalFailure(); step++) {
        bool growing = (step / 2000) % 2 == 0;
        if (order.empty() || rng() % 100 < (growing ? 65u : 35u))
            allocate();
        else
            release();
        if (!HasFatalFailure() && step % 250 == 0)
            checkChain();
    }
    while (!order.empty() && !HasFatalFailure())
        release();
    EXPECT_EQ(pMemB, nullptr);
}
// ---- Saved strings.
using SaveStrTest = EmptyChain;
TEST_F(SaveStrTest, ExactSizeAndCompleteResults) {
    for (int len : {0, 30, 31}) { // with NUL and the spare byte: 1, 1 and 2 nodes
        char *p = SaveStr("%s", std::string(len, 'a').c_str());
        EXPECT_EQ(FindBlock(p)->Alloc[(p - FindBlock(p)->pData) / MEM_NODE_SIZE].Nodes, len < 31 ? 1 : 2) << len;
    }
    while (pMemB != nullptr)
        FreeBlock(pMemB);
    for (size_t len : {10, 8191, 8192, 65536, 300000}) { // only the result stays allocated
        std::string text = "A" + std::string(len - 2, 'x') + "Z";
        EXPECT_EQ(Take(SaveStr("<%s>", text.c_str())), "<" + text + ">") << len;
        EXPECT_EQ(pMemB, nullptr) << "the scratch area was left allocated, " << len;
    }
    // A format over 4096 characters producing more than the scratch area's usual size.
    std::string format = std::string(5000, 'f') + "%s", arg(20000, 'a');
    EXPECT_EQ(std::string(SaveStr(format.c_str(), arg.c_str())), std::string(5000, 'f') + arg);
}
#if !defined(__SANITIZE_ADDRESS__)
// With the address space limited to what it holds now or a little more, a text cannot be saved,
// whether a short one's first block (no more), a 48-MiB one's formatting (16 MiB more) or its copy
// (72 MiB more) finds no room, with one report each; a 64-MiB file is not read whole, and nothing
// is written through the null answer.
TEST_F(SaveStrTest, OutOfMemoryEndsTheProgram) {
    std::string dir = MakeTempDir();
    ASSERT_EQ(0, truncate((WriteFile(dir + "/big", ""), dir + "/big").c_str(), 64 << 20));
    for (unsigned more : {0u, 16u, 72u}) {
        ChildRun run = RunInChild([&] {
            if (!LimitAddressSpace(rlim_t{more} << 20) || (more == 16 && ReadWholeFile(dir.c_str(), "big") != nullptr))
                return 3;
            return SaveStr("%*s", more == 0 ? 1 : 48 << 20, ""), 0; // none: not even a block
        });
        std::string refusal = "ERROR: Unable to allocate memory\n"; // the file's room, the text's
        EXPECT_EQ("1 " + (more == 16 ? refusal : "") + refusal +
                      "\nsetup: Unable to allocate memory : Cannot allocate memory\n",
                  std::to_string(run.status) + " " + run.err) << more;
    }
}
#endif
// ---- The error reporters. SysError names the error the caller met, under the program's name, even
// when writing the message (a wide character the C locale cannot encode) sets errno itself, and
// ends with status 1. ErrorMsg's warnings go on, other types are only formatted, errors end the
// run; what exceeds Line is cut.
TEST(Reporters, SysErrorAndErrorMsg) {
    static char name[] = "other";
    EXPECT_EXIT((my_name = name, errno = EACCES, SysError("%d%%", 100)), testing::ExitedWithCode(1),
                "^\nother: 100% : Permission denied\n$");
    EXPECT_EXIT((errno = ENOENT, SysError("%ls", L"\x263a")), testing::ExitedWithCode(1),
                "^\nsetup:  : No such file or directory\n$");
    testing::internal::CaptureStderr();
    ErrorMsg(1, 7, "disk %s is %d%% full", "/usr", 99);
    EXPECT_STREQ(Line, "disk /usr is 99% full");
    ErrorMsg(0, 2, "quiet %d", 1), ErrorMsg(3, 2, "quiet %d", 3);
    EXPECT_STREQ(Line, "quiet 3");
    ErrorMsg(1, 0, "<%s>", std::string(LINE_SIZE + 1000, 'm').c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: disk /usr is 99% full\nWARNING: <" + std::string(LINE_SIZE - 2, 'm') + "\n");
    EXPECT_EXIT(ErrorMsg(2, 2, "at %s", "/w"), testing::ExitedWithCode(2), "^ERROR: at /w\n$");
    EXPECT_EXIT(ErrorMsg(2, 0, "stop"), testing::ExitedWithCode(0), "^ERROR: stop\n$");
}
// ---- The tokenizer.
using Words = std::vector<std::string>;
Words Tokens(const char *text, const char *delimiters) {
    Words out;
    for (char *t = GetToken(text, delimiters); t != nullptr; t = GetToken(nullptr, delimiters))
        out.push_back(t);
    return out;
}
// Only a whole element counts (the last one has no closing delimiter), the first character is the
// delimiter, a word holding it is no element, another list's delimiter is an ordinary character.
TEST(FindToken, PositionsOfWholeElements) {
    std::string word(TOKEN_WORD_MAX, 'w'), longer = word + "w", huge(100000, 'h');
    const std::string yn = ",y,yes,n,no,";
    const struct { std::string word, list; int pos; } cases[] = {
        {"install", ",install,-v", 1}, {"-v", ",install,-v", 2}, {"-v", ",install,x-v", 0},
        {"-V", ",install,-v", 0}, {"ye", yn, 0}, {"n", yn, 3}, {"b", ",a,b,b", 2}, {"..", " . .. x ", 2},
        {"", yn, 5}, {"", ",a,b", 0}, {"x", ",", 0}, {"x", "", 0}, {"b", "ab", 1}, {"y,yes", yn, 0},
        {"yes,n", yn, 0}, {"no,", yn, 0}, {",", ",y,,n", 0}, {"a b", " a b ", 0}, {"x y", ",x y,", 1},
        {word, ",a," + word, 2}, {longer, ",a," + longer + ",", 0}, {huge, ",a," + huge + ",", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(FindToken(c.word.c_str(), c.list.c_str()), c.pos) << c.word.substr(0, 9) << " in " << c.list;
    EXPECT_TRUE(FindToken(nullptr, ",x") == 0 && FindToken("x", nullptr) == 0);
    const char *text = "aab"; // StrStr: the leftmost occurrence, never beyond the end of text
    EXPECT_TRUE(StrStr(text, "ab") == text + 1 && StrStr(text, "b") == text + 2 && !StrStr(text, "aabb"));
    EXPECT_TRUE(!StrStr(text, "") && !StrStr(nullptr, "a") && !StrStr(text, nullptr) && !StrStr("", "a"));
}
// Runs of delimiters, escapes (an escaped delimiter starts a token, a final backslash ends the
// text), and an overlong token cut and consumed whole.
TEST(GetToken, RunsEscapesTheEndAndOverlongTokens) {
    std::string exact(TOKEN_BUF_SIZE - 1, 'e'), longer(1000, 'l');
    longer[500] = '\\', longer[501] = ' ';
    const struct { std::string text; const char *delims; Words words; } cases[] = {
        {"  a  b ", " ", {"a", "b"}}, {",a,,b,", ",", {"a", "b"}}, {"a\tb\r\nc", " \t\r\n", {"a", "b", "c"}},
        {"   ", " ", {}}, {"abc", "", {"abc"}}, {"a\\,b,c", ",", {"a,b", "c"}},
        {"\\n\\r\\q\\\\x\\ty", " ", {"\n\rq\\x\ty"}},
        {",\\,,", ",", {","}}, {"a\\", ",", {"a"}}, {"\\", ",", {}}, {exact + " z", " ", {exact, "z"}},
        {"a " + longer + " z", " ", {"a", std::string(TOKEN_BUF_SIZE - 1, 'l'), "z"}}};
    for (const auto &c : cases)
        EXPECT_EQ(Tokens(c.text.c_str(), c.delims), c.words) << c.text;
    EXPECT_TRUE(GetToken("x", " ") == std::string("x") && !GetToken(nullptr, " ") && !GetToken(nullptr, " "));
}
// GetTokenParse splits in place without translating escapes; the splitters share one cursor.
TEST(GetTokenParse, InPlaceAndTheSharedCursor) {
    auto s = [](const char *p) { return std::string(p ? p : "(null)"); }; // braced lists: in order
    char text[] = "usr:bin::etc", escaped[] = ",a\\,b\\n,\\,c\\", walk[] = "a b\\tc d";
    EXPECT_EQ((Words{s(GetTokenParse(text, ":")), s(GetTokenParse(nullptr, ":"))}), (Words{"usr", "bin"}));
    EXPECT_EQ(GetTokenParse(nullptr, ":"), text + 9);
    EXPECT_EQ(GetTokenParse(nullptr, ":"), nullptr);
    EXPECT_EQ(std::string(text, sizeof text - 1), std::string("usr\0bin\0\0etc", 12));
    EXPECT_EQ((Words{s(GetTokenParse(escaped, ",")), s(GetTokenParse(nullptr, ",")), s(GetTokenParse(nullptr, ","))}),
              (Words{"a\\,b\\n", "\\,c\\", "(null)"}));
    const char *p = "p1 p2 p3";
    EXPECT_EQ((Words{s(GetTokenN(p, " ", 0)), s(GetTokenN(p, " ", -3)), s(GetTokenN(p, " ", 3)),
                     s(GetTokenN(p, " ", 4)), s(GetToken(nullptr, " ")), s(GetTokenN("p1 p2 p3 p4", " ", 2)),
                     s(GetToken(nullptr, " "))}),
              (Words{"p1", "p1", "p3", "(null)", "(null)", "p2", "p3"}));
    EXPECT_EQ((Words{s(GetTokenParse(walk, " ")), s(GetToken(nullptr, " ")), s(GetTokenParse(nullptr, " ")),
                     s(GetTokenN(nullptr, " ", 1))}),
              (Words{"a", "b\tc", "d", "(null)"}));
}
// ---- File and path operations.
class Files : public testing::Test {
  protected:
    std::string dir = MakeTempDir();
};
// Longer than the result buffers: cut, never written beyond; the text before a path is not read.
TEST(Strip, Splitters) {
    const char *cases[][3] = {{"a/b/c", "c", "a/b"}, {"/x", "x", "/"}, {"x", "x", "."},
                              {"a/b/", "b", "a/b"},  {"/", "/", "/"},  {"", "", "."}};
    for (const auto &c : cases)
        EXPECT_TRUE(!strcmp(c[1], StripPath(c[0])) && !strcmp(c[2], StripFn(c[0]))) << c[0];
    const char slashes[] = "//";
    EXPECT_TRUE(!strcmp("/", StripPath(slashes + 1)) && !strcmp("", StripPath(nullptr)) &&
                !strcmp(".", StripFn(nullptr)));
    EXPECT_EQ(127u, strlen(StripPath(("/d/" + std::string(300, 'n')).c_str())));
    EXPECT_EQ(255u, strlen(StripFn((std::string(400, 'd') + "/x").c_str())));
    for (auto [path, ok] : {std::pair{"a/b.", true}, {"a./.b/..c", true}, {"..", false}, {"a//../b", false}})
        EXPECT_EQ(ok, IsDescendingPath(path)) << path;
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
                 FindFile(dir.c_str(), "sub/") || FindFile(nullptr, nullptr) || FindFile(nullptr, ""));
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
    EXPECT_EQ(0, RunInChild([&] {
                     bool ok = seteuid(65534) == 0 && !OwnedByThisUser(dir.c_str()) &&
                               OwnedByThisUser((dir + "/theirs").c_str());
                     return seteuid(0) == 0 && ok ? 0 : 1; // root again for the exit checks
                 }).status);
}
// RemoveEntry answers whether the entry is gone: a whole tree, or one that never was, yes; a mount
// point, which cannot go, no.
TEST_F(Files, RemoveEntryTellsWhetherTheEntryIsGone) {
    ASSERT_EQ(0, Sh("cd " + dir + " && mkdir -p t/a/b m && touch t/a/b/f && mount -t tmpfs m m"));
    EXPECT_TRUE(RemoveEntry((dir + "/t").c_str()) && !Exists(dir + "/t") && RemoveEntry((dir + "/t").c_str()));
    EXPECT_FALSE(RemoveEntry((dir + "/m").c_str()));
    umount((dir + "/m").c_str());
    // The depth limit on both sides: a tree of 256 levels goes, one of 257 is refused and kept.
    ASSERT_EQ(0, Sh("cd " + dir + " && for i in $(seq 256); do mkdir d && cd d; done; cd " + dir +
                    " && for i in $(seq 257); do mkdir e && cd e; done"));
    EXPECT_TRUE(RemoveEntry((dir + "/d").c_str()) && !Exists(dir + "/d"));
    EXPECT_TRUE(!RemoveEntry((dir + "/e").c_str()) && Exists(dir + "/e"));
    Sh("rm -rf " + dir + "/e");
    // A file that cannot go (where the file system can make it immutable).
    EXPECT_TRUE(Sh("cd " + dir + " && touch i && chattr +i i 2>/dev/null") || !RemoveEntry((dir + "/i").c_str()));
    // Without CAP_FOWNER another user's link in her sticky directory stays, and the directory it
    // leads to is never entered.
    ASSERT_EQ(0, Sh("cd " + dir + " && mkdir -m 1777 sk && mkdir v && touch v/f && ln -s " + dir + "/v sk/l &&"
                    " chown 65534 sk && chown -h 65534 sk/l"));
    ChildRun run = RunInChild([&] {
        return !DropCapabilities(1u << CAP_FOWNER) ? 3 : RemoveEntry((dir + "/sk/l").c_str()) ? 4 : 0;
    });
    EXPECT_TRUE(run.status == 0 && Exists(dir + "/v/f") && Exists(dir + "/sk/l")) << run.status;
}
// The chain from / down, links followed (their own owners checked too), "." and ".." taken out, a
// missing end kept as written; the first entry at fault is named; a sticky directory may be open to all.
TEST_F(Files, DirectoryChains) {
    ASSERT_EQ(0, Sh("cd " + dir + " && mkdir -p a/b ow gw gw0 st/mine st/theirs && chmod 757 ow &&"
                    " chmod 775 gw gw0 && chgrp 50 gw && chgrp 0 gw0 && chmod 1777 st && ln -s / st/link &&"
                    " chown 65534 st/theirs && chown -h 65534 st/link && ln -s a/../a rel && ln -s loop loop"
                    " && ln -s " + dir + "/gone dangling && touch file && ln -s a l1 &&"
                    " for i in $(seq 2 41); do ln -s l$((i - 1)) l$i; done")); // l41: 41 links
    const int SAFE = CHAIN_SAFE, UNSAFE = CHAIN_UNSAFE, NOTDIR = CHAIN_NOT_DIRECTORY;
    const struct { std::string path; int fault; std::string at; bool exists; } rows[] = {
        {"/a//./b/", SAFE, "/a/b", true}, {"/rel/b", SAFE, "/a/b", true}, {"/no/x/../y", SAFE, "/no/y", false},
        {"/dangling/../a/b", SAFE, "/a/b", true}, {"/dangling", SAFE, "/gone", false},
        {"/gw0/x", SAFE, "/gw0/x", false}, {"/st/mine", SAFE, "/st/mine", true}, {"/ow/../a", UNSAFE, "/ow", 0},
        {"/gw", UNSAFE, "/gw", false}, {"/st/theirs/x", UNSAFE, "/st/theirs", 0},
        {"/st/link/usr", UNSAFE, "/st/link", 0},
        {"/file", NOTDIR, "/file", false}, {"/file/x", NOTDIR, "/file", false},
        {"/loop/x", CHAIN_UNREADABLE, "/loop", false}, {"/l40/b", SAFE, "/a/b", true},
        {"/l41/b", CHAIN_UNREADABLE, "/l1", false}}; // the 41st link is not followed
    for (const auto &r : rows) {
        DirChain chain;
        EXPECT_EQ(r.fault == SAFE, CheckDirChain((dir + r.path).c_str(), &chain)) << r.path;
        EXPECT_EQ(r.fault, chain.fault) << r.path;
        EXPECT_EQ(dir + r.at, r.fault == SAFE ? chain.resolved : chain.where) << r.path;
        EXPECT_EQ(r.exists, chain.exists) << r.path;
    }
    DirChain top;
    EXPECT_TRUE(CheckDirChain("/..", &top) && !strcmp(top.resolved, "/") && top.exists);
    // Through a relative link to a long path: a resolved path of PATH_MAX - 1 characters fits with its
    // NUL; one of PATH_MAX does not.
    std::string target = std::string(100, 'a'), tail;
    const size_t room = PATH_MAX - dir.size() - 1; // for the target and what follows the link
    while (room - target.size() > 150)
        target += "/" + std::string(100, 'a');
    tail = "/" + std::string(room - target.size() - 1, 'z');
    DirChain fits, over;
    ASSERT_EQ(0, symlink(target.c_str(), (dir + "/long").c_str()));
    EXPECT_TRUE(CheckDirChain((dir + "/long" + tail.substr(0, tail.size() - 1)).c_str(), &fits) &&
                strlen(fits.resolved) == PATH_MAX - 1);
    EXPECT_TRUE(!CheckDirChain((dir + "/long" + tail).c_str(), &over) && over.fault == CHAIN_UNREADABLE);
    DirChain chain;
    CheckDirChain((dir + "/st/theirs").c_str(), &chain);
    EXPECT_TRUE(chain.owner == 65534 && chain.group == 0 && chain.mode == (S_IFDIR | 0755)) << chain.mode;
}
// Lines come whole, continuations joined; one over the limit or holding a NUL is consumed and given
// empty with its fault; a line's number is that of its first physical line.
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
    CloseInputFile();
    EXPECT_EXIT(OpenInputFile((dir + "/none").c_str(), 2), testing::ExitedWithCode(0), "ERROR: can't open file, ");
    WriteFile(dir + "/big", std::string(10000, 'b'));
    ASSERT_TRUE(GetFileContent(dir.c_str(), "big"));
    EXPECT_EQ(std::string(4095, 'b'), LineBuf);
    mkfifo((dir + "/fifo").c_str(), 0644); // answered at once, never waited on
    EXPECT_FALSE(OpenInputFile((dir + "/none").c_str(), 0) || GetFileContent(dir.c_str(), "none") ||
                 GetFileContent(dir.c_str(), std::string(5000, 'n').c_str()) || GetFileContent(dir.c_str(), "fifo") ||
                 CreateTextFile("/dev/full", "w", 0, "%s", "lost"));
    // Modes: given ones set, 0 leaves the file's as they are.
    ASSERT_TRUE(CreateTextFile((dir + "/t").c_str(), "w", 0751, "%d", 5));
    ASSERT_TRUE(CreateTextFile((dir + "/t").c_str(), "a", 0, "%d", 6));
    EXPECT_EQ("56", ReadFile(dir + "/t"));
    int fds = InUse().second; // read whole, its descriptor closed
    char *whole = ReadWholeFile(dir.c_str(), "t");
    EXPECT_TRUE(whole != nullptr && std::string(whole) == "56" && InUse().second == fds);
    PutMem(whole);
    EXPECT_EQ(0751, ModeOf(dir + "/t"));
    testing::internal::CaptureStderr(); // a file that cannot be opened is named
    EXPECT_FALSE(CreateTextFile((dir + "/none/t").c_str(), "w", 0, "x"));
    EXPECT_EQ("ERROR: couldn't open " + dir + "/none/t\n", testing::internal::GetCapturedStderr());
    mkdir((dir + "/a").c_str(), 0755);
    // A path cut inside its last name ("sib" of "sibling") goes on at the parent, not the sibling.
    std::string deep = dir + "/a", cmd = "cd " + dir + "/a";
    while (deep.size() + 201 < 4092)
        deep += "/" + std::string(200, 'd'), cmd += " && mkdir -p " + std::string(200, 'd') + " && cd d*";
    std::string last(4091 - deep.size() - 1, 'e');
    deep += "/" + last;
    ASSERT_EQ(0, Sh(cmd + " && mkdir " + last + " && mkdir " + last + "/sib"));
    const struct { std::string path, expect; int flag; } cases[] = {
        {dir + "/a/b/c", dir + "/a", 0}, {dir + "/a", dir + "/a", 1}, {"/", "/", 1},
        {"/" + std::string(5000, 'z') + "/y", "/", 0}, {deep + "/sibling", deep, 0}};
    for (const auto &c : cases) { // the nearest existing path
        int flag = 0;
        EXPECT_EQ(c.expect, Take(FindExistingPath(c.path.c_str(), &flag)));
        EXPECT_EQ(c.flag, flag) << c.path;
    }
    ChildRun run = RunInChild([&] { // a relative path under a working directory that is gone
        std::string gone = dir + "/gone";
        if (alarm(5), mkdir(gone.c_str(), 0700) || chdir(gone.c_str()) || rmdir(gone.c_str()))
            return 9;
        return printf("%s", Take(FindExistingPath("x/y", nullptr)).c_str());
    });
    EXPECT_EQ("1 .", std::to_string(run.status) + " " + run.out);
}
} // namespace
