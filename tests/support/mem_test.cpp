// Tests of the block allocator: node layout, dedicated blocks, release of
// empty blocks, tolerance of bad pointers, the heap fallback, requests too
// large to describe, and a randomised model test of first fit.
#include "support/mem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <malloc.h>
#include <random>
#include <sched.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// Provided by the address sanitizer's run-time library.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Every test starts from an empty chain; blocks that other tests of this
// program keep alive are set aside and put back afterwards.
class Mem : public testing::Test {
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

int ChainLength() {
    int n = 0;
    for (MemBlock *b = pMemB; b != nullptr; b = b->pNext)
        n++;
    return n;
}

int NodeIndex(const MemBlock *b, const void *p) {
    return static_cast<int>((static_cast<const char *>(p) - b->pData) / MEM_NODE_SIZE);
}

// True when no page of [p, p + len) is mapped any more.
bool Unmapped(const void *p, size_t len) {
    size_t page = static_cast<size_t>(getpagesize());
    for (size_t off = 0; off < len; off += page) {
        void *at = const_cast<char *>(static_cast<const char *>(p)) + off;
        if (msync(at, page, MS_ASYNC) == 0 || errno != ENOMEM)
            return false;
    }
    return true;
}

bool AllZero(const void *p, size_t len) {
    const unsigned char *c = static_cast<const unsigned char *>(p);
    return std::all_of(c, c + len, [](unsigned char x) { return x == 0; });
}

TEST_F(Mem, NonPositiveLengthGivesNullAndNoBlock) {
    EXPECT_EQ(GetMem(0), nullptr);
    EXPECT_EQ(GetMem(-5), nullptr);
    EXPECT_EQ(pMemB, nullptr);
}

TEST_F(Mem, RequestsTakeWholeNodesCountingOneExtraByte) {
    struct Case {
        int32_t len;
        int nodes;
    };
    const Case cases[] = {{1, 1}, {30, 1}, {31, 1}, {32, 2}, {63, 2}, {64, 3}, {65535, 2048}};
    for (const Case &c : cases) {
        char *p = static_cast<char *>(GetMem(c.len));
        ASSERT_NE(p, nullptr) << c.len;
        MemBlock *b = FindBlock(p);
        ASSERT_NE(b, nullptr);
        int i = NodeIndex(b, p);
        EXPECT_EQ(b->Alloc[i].Nodes, c.nodes) << c.len;
        EXPECT_EQ(b->Alloc[i].pMemory, p);
        EXPECT_EQ(b->FreeNodeCount, MEM_NODES - c.nodes) << c.len;
        EXPECT_EQ(strspn(b->MAT + i, "U"), static_cast<size_t>(c.nodes)) << c.len;
        EXPECT_EQ(b->UsedSize, 0);
        PutMem(p);
        EXPECT_EQ(pMemB, nullptr) << c.len;
    }
}

TEST_F(Mem, FullBlockRequestAlwaysGetsAFreshBlock) {
    void *small = GetMem(1);
    void *full = GetMem(65535);
    ASSERT_NE(full, nullptr);
    ASSERT_EQ(ChainLength(), 2);
    EXPECT_EQ(full, pMemB->pNext->pData);
    EXPECT_EQ(pMemB->pNext->FreeNodeCount, 0);
    PutMem(small);
    EXPECT_EQ(ChainLength(), 1);
    EXPECT_EQ(pMemB->pData, full);
}

TEST_F(Mem, LargeRequestsGetDedicatedBlocks) {
    struct Case {
        int32_t len;
        int32_t size;
        int32_t used;
    };
    const Case cases[] = {
        {65536, 131072, 65568}, {131071, 131072, 131072}, {131072, 196608, 131104}};
    void *small = GetMem(100);
    for (const Case &c : cases) {
        char *p = static_cast<char *>(GetMem(c.len));
        ASSERT_NE(p, nullptr);
        MemBlock *b = FindBlock(p);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->pData, p);
        EXPECT_EQ(b->Size, c.size) << c.len;
        EXPECT_EQ(b->UsedSize, c.used) << c.len;
        EXPECT_EQ(b->FreeNodeCount, 0);
        EXPECT_EQ(strspn(b->MAT, "U"), static_cast<size_t>(MEM_NODES));
        EXPECT_TRUE(AllZero(p, static_cast<size_t>(c.len) + 1));
        p[c.len] = 'x'; // the extra byte is ours too
        // A small request passes the dedicated block by and goes to the
        // normal block before it.
        void *next = GetMem(100);
        EXPECT_EQ(FindBlock(next), pMemB);
        PutMem(next);
        // Any pointer into a dedicated block releases all of it.
        PutMem(p + 70000);
        EXPECT_EQ(FindBlock(p), nullptr);
        EXPECT_EQ(ChainLength(), 1);
    }
    PutMem(small);
}

TEST_F(Mem, ReleasedMiddleNodeIsReusedFirst) {
    char *a = static_cast<char *>(GetMem(20));
    char *b = static_cast<char *>(GetMem(20));
    char *c = static_cast<char *>(GetMem(20));
    memset(b, 'x', 21);
    PutMem(b);
    EXPECT_EQ(pMemB->MAT[1], ' ');
    char *again = static_cast<char *>(GetMem(5));
    EXPECT_EQ(again, b);
    EXPECT_TRUE(AllZero(again, 32)) << "reused memory is zeroed again";
    EXPECT_EQ(c, a + 64);
}

TEST_F(Mem, EmptyBlockIsGivenBackWholly) {
    void *first = GetMem(1);
    void *second = GetMem(65535); // its own, second block
    ASSERT_EQ(ChainLength(), 2);
    MemBlock *secondBlock = pMemB->pNext;
    char *data = secondBlock->pData;
    PutMem(second);
    ASSERT_EQ(ChainLength(), 1);
    EXPECT_EQ(pMemB->pNext, nullptr);
    // Every mapped page goes, including the page the mapping was rounded up by.
    EXPECT_TRUE(Unmapped(data, MapLength(MEM_BLOCK_SIZE)));
    EXPECT_TRUE(Unmapped(secondBlock, MapLength(sizeof(MemBlock))));

    MemBlock *firstBlock = pMemB;
    PutMem(first);
    EXPECT_EQ(pMemB, nullptr);
    EXPECT_TRUE(Unmapped(firstBlock, sizeof(MemBlock)));
}

TEST_F(Mem, BadPointersChangeNothing) {
    static char staticBuf[64];
    char *a = static_cast<char *>(GetMem(40)); // nodes 0 and 1
    char *b = static_cast<char *>(GetMem(10)); // node 2
    const std::string mat = pMemB->MAT;
    PutMem(nullptr);
    PutMem(const_cast<char *>("literal"));
    PutMem(staticBuf);
    PutMem(a + 32);                 // second node of an allocation
    PutMem(pMemB->pData + 32 * 10); // free space
    EXPECT_EQ(mat, pMemB->MAT);
    EXPECT_EQ(pMemB->FreeNodeCount, MEM_NODES - 3);

    PutMem(a + 5); // inside the first node: releases it
    EXPECT_EQ(pMemB->FreeNodeCount, MEM_NODES - 1);
    PutMem(a); // already released
    EXPECT_EQ(pMemB->FreeNodeCount, MEM_NODES - 1);
    PutMem(b);
    EXPECT_EQ(pMemB, nullptr);
    PutMem(b); // its block is gone
}

TEST_F(Mem, FragmentedBlockSendsTheRequestOnward) {
    // 2048 one-node allocations, every other one released: 1024 free nodes,
    // but no two of them adjacent.
    std::vector<void *> nodes;
    for (int i = 0; i < MEM_NODES; i++)
        nodes.push_back(GetMem(1));
    ASSERT_EQ(ChainLength(), 1);
    for (int i = 0; i < MEM_NODES; i += 2)
        PutMem(nodes[i]);
    EXPECT_EQ(pMemB->FreeNodeCount, MEM_NODES / 2);

    void *two = GetMem(40);
    ASSERT_EQ(ChainLength(), 2);
    EXPECT_EQ(two, pMemB->pNext->pData);
    EXPECT_EQ(GetMem(1), nodes[0]) << "a one-node request still fits the first block";

    // Releasing nodes 101 and 103 joins the free nodes 100 to 104 into one
    // run: a two-node request takes its start.
    PutMem(nodes[103]);
    PutMem(nodes[101]);
    EXPECT_EQ(GetMem(40), nodes[100]);
    EXPECT_EQ(GetMem(40), nodes[102]);
}

TEST_F(Mem, RequestTooLargeForAnyBlockIsRefused) {
    testing::internal::CaptureStderr();
    void *p = GetMem(INT32_MAX);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(err, "ERROR: Unable to allocate memory\n");
    EXPECT_EQ(pMemB, nullptr);
}

// Bytes the heap has handed out and not yet taken back.
size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// Child of the death test below: an empty /dev in a mount namespace of its
// own puts the zero device out of reach.
[[noreturn]] void UseHeapBlocks() {
    if (MemId >= 0)
        close(MemId);
    MemId = -1;
    if (unshare(CLONE_NEWNS) != 0 || mount("nodev", "/dev", "tmpfs", 0, nullptr) != 0)
        exit(2);
    for (int round = 0; round < 3; round++) {
        size_t before = HeapInUse();
        char *p = static_cast<char *>(GetMem(100));
        char *big = static_cast<char *>(GetMem(200000));
        if (p == nullptr || big == nullptr || pMemB == nullptr || MemId != -1)
            exit(3);
        if (!pMemB->fDescFromHeap || !pMemB->fDataFromHeap)
            exit(4);
        if (!AllZero(p, 101) || !AllZero(big, 200001))
            exit(5);
        memset(p, 0xAA, 101);
        memset(big, 0x55, 200001);
        PutMem(p);
        PutMem(big);
        if (pMemB != nullptr)
            exit(6);
#if !defined(__SANITIZE_ADDRESS__)
        // The sanitizer's allocation counters are updated lazily, so the
        // byte balance is checked in the plain build only.
        if (HeapInUse() != before)
            exit(7);
#else
        (void)before;
#endif
        // The heap still works with the pieces given back: had they been
        // unmapped instead, the heap would fault here.
        char *check = static_cast<char *>(malloc(70000));
        memset(check, 1, 70000);
        free(check);
    }
    exit(0);
}

// Without the zero device the blocks come from the heap and go back to it;
// the allocator's memory is zero-filled all the same.
TEST_F(Mem, HeapFallbackWhenTheZeroDeviceCannotBeOpened) {
    EXPECT_EXIT(UseHeapBlocks(), testing::ExitedWithCode(0), "");
}

// A simple reference of the allocator: per block, which nodes are used.
struct ModelBlock {
    char *data;
    bool used[MEM_NODES];
};

struct Live {
    size_t len;
    unsigned char fill;
};

// The node index where first fit places n nodes in blk, or -1.
int FirstFit(const ModelBlock &blk, int n) {
    int run = 0;
    for (int i = 0; i < MEM_NODES; i++) {
        run = blk.used[i] ? 0 : run + 1;
        if (run == n)
            return i - n + 1;
    }
    return -1;
}

TEST_F(Mem, RandomisedAgainstReferenceModel) {
    std::mt19937 rng(20261206);
    std::map<char *, Live> live; // len + 1 bytes each, by address, to check overlap with neighbours
    std::vector<char *> order;   // live pointers, for picking one to release
    std::vector<ModelBlock> model;
    auto sizeOf = [&]() -> int32_t {
        unsigned r = rng() % 100;
        if (r < 70)
            return 1 + static_cast<int32_t>(rng() % 300);
        if (r < 95)
            return 1 + static_cast<int32_t>(rng() % 4000);
        if (r < 98)
            return 4000 + static_cast<int32_t>(rng() % 62000);
        return 65000 + static_cast<int32_t>(rng() % 140000);
    };

    auto allocate = [&]() {
        int32_t len = sizeOf();
        int n = static_cast<int>((len + 1 + 31) / 32);
        char *expect = nullptr;
        ModelBlock *where = nullptr;
        if (len < MEM_BLOCK_SIZE) {
            for (ModelBlock &blk : model) {
                int at = FirstFit(blk, n);
                if (at >= 0) {
                    expect = blk.data + 32 * at;
                    where = &blk;
                    break;
                }
            }
        }
        char *p = static_cast<char *>(GetMem(len));
        ASSERT_NE(p, nullptr);
        if (len < MEM_BLOCK_SIZE) {
            if (where != nullptr) {
                ASSERT_EQ(p, expect) << "first fit for " << n << " nodes";
            } else {
                // No room anywhere: a new block at the tail, from its node 0.
                MemBlock *tail = pMemB;
                while (tail->pNext != nullptr)
                    tail = tail->pNext;
                ASSERT_EQ(p, tail->pData);
                ModelBlock blk{p, {}};
                model.push_back(blk);
                where = &model.back();
            }
            int at = static_cast<int>((p - where->data) / 32);
            for (int i = at; i < at + n; i++)
                where->used[i] = true;
        }
        ASSERT_TRUE(AllZero(p, static_cast<size_t>(len) + 1)) << len;
        auto next = live.lower_bound(p);
        if (next != live.end()) {
            ASSERT_LE(p + len + 1, next->first) << "overlaps the next allocation";
        }
        if (next != live.begin()) {
            auto prev = std::prev(next);
            ASSERT_LE(prev->first + prev->second.len, p) << "overlaps the previous one";
        }
        unsigned char fill = static_cast<unsigned char>(1 + rng() % 255);
        memset(p, fill, static_cast<size_t>(len) + 1);
        live[p] = {static_cast<size_t>(len) + 1, fill};
        order.push_back(p);
    };

    auto release = [&]() {
        size_t k = rng() % order.size();
        char *p = order[k];
        order[k] = order.back();
        order.pop_back();
        Live l = live[p];
        const unsigned char *c = reinterpret_cast<unsigned char *>(p);
        ASSERT_TRUE(std::all_of(c, c + l.len, [&](unsigned char x) { return x == l.fill; }))
            << "contents changed while live";
        live.erase(p);
        for (auto it = model.begin(); it != model.end(); ++it) {
            if (p >= it->data && p < it->data + MEM_BLOCK_SIZE) {
                int at = static_cast<int>((p - it->data) / 32);
                int n = static_cast<int>((l.len + 31) / 32);
                for (int i = at; i < at + n; i++)
                    it->used[i] = false;
                if (std::none_of(it->used, it->used + MEM_NODES, [](bool u) { return u; }))
                    model.erase(it);
                break;
            }
        }
        PutMem(p);
    };

    // The normal blocks of the chain, in order, match the model's.
    auto checkChain = [&]() {
        size_t m = 0;
        MemBlock *prev = nullptr;
        for (MemBlock *b = pMemB; b != nullptr; prev = b, b = b->pNext) {
            ASSERT_EQ(b->pPrev, prev);
            if (b->Size > MEM_BLOCK_SIZE)
                continue;
            ASSERT_LT(m, model.size());
            ASSERT_EQ(b->pData, model[m].data);
            int freeNodes = 0;
            for (int i = 0; i < MEM_NODES; i++) {
                ASSERT_EQ(b->MAT[i], model[m].used[i] ? 'U' : ' ');
                freeNodes += model[m].used[i] ? 0 : 1;
            }
            ASSERT_EQ(b->FreeNodeCount, freeNodes);
            m++;
        }
        ASSERT_EQ(m, model.size());
    };

    for (int step = 0; step < 20000; step++) {
        // Phases that grow to several hundred live allocations and
        // shrink again, so blocks fill, fragment and empty.
        bool growing = (step / 2500) % 2 == 0;
        bool doAlloc = order.empty() || rng() % 100 < (growing ? 65u : 35u);
        if (doAlloc)
            allocate();
        else
            release();
        if (HasFatalFailure())
            return;
        if (step % 500 == 0) {
            checkChain();
            if (HasFatalFailure())
                return;
        }
    }
    while (!order.empty()) {
        release();
        if (HasFatalFailure())
            return;
    }
    EXPECT_EQ(pMemB, nullptr);
}

} // namespace
