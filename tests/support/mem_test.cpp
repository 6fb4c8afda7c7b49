// Tests of the block allocator: node counts, dedicated blocks, release of
// empty blocks, bad pointers, the heap fallback, and a randomised test against
// a leftmost-run reference with the block invariants checked.
#include "support/mem.h"

#include "testutil.h"

#include <algorithm>
#include <malloc.h>
#include <map>
#include <random>
#include <sched.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes(); // ASan's run-time
#endif

namespace {

using Mem = tu::EmptyChain;

int ChainLength() {
    int n = 0;
    for (MemBlock *b = pMemB; b != nullptr; b = b->pNext)
        n++;
    return n;
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

// Requests take whole nodes, counting one extra byte; from 65536 bytes on a
// dedicated block of whole 64 KiB units, which any pointer into it releases.
TEST_F(Mem, NodesAndDedicatedBlocks) {
    EXPECT_EQ(GetMem(0), nullptr);
    EXPECT_EQ(GetMem(-5), nullptr);
    void *small = GetMem(100);  // 4 nodes
    const int32_t cases[][4] = {// length, nodes, block size, used size
                                {31, 1, 65536, 0},
                                {32, 2, 65536, 0},
                                {65535 - 128, 2044, 65536, 0},
                                {65536, 2048, 131072, 65568},
                                {131071, 2048, 131072, 131072},
                                {131072, 2048, 196608, 131104}};
    for (const auto &c : cases) {
        char *p = static_cast<char *>(GetMem(c[0]));
        MemBlock *b = FindBlock(p);
        ASSERT_NE(b, nullptr) << c[0];
        int i = static_cast<int>((p - b->pData) / MEM_NODE_SIZE);
        EXPECT_EQ(strspn(b->MAT + i, "U"), static_cast<size_t>(c[1])) << c[0];
        EXPECT_EQ(b->Size, c[2]) << c[0];
        EXPECT_EQ(b->UsedSize, c[3]) << c[0];
        EXPECT_TRUE(AllZero(p, static_cast<size_t>(c[0]) + 1));
        p[c[0]] = 'x'; // the extra byte is ours too
        if (c[2] > MEM_BLOCK_SIZE) {
            EXPECT_EQ(b->pData, p);
            EXPECT_EQ(b->FreeNodeCount, 0);
            void *next = GetMem(100); // passes the dedicated block by
            EXPECT_EQ(FindBlock(next), pMemB);
            PutMem(next);
            PutMem(p + 70000);
        } else {
            EXPECT_EQ(b->Alloc[i].Nodes, c[1]) << c[0];
            EXPECT_EQ(b->FreeNodeCount, MEM_NODES - 4 - c[1]) << c[0];
            PutMem(p);
        }
        EXPECT_EQ(FindBlock(p), c[2] > MEM_BLOCK_SIZE ? nullptr : pMemB);
        EXPECT_EQ(ChainLength(), 1) << c[0];
    }
    PutMem(small);
    EXPECT_EQ(pMemB, nullptr);
}

// An empty block is unmapped wholly; pointers that begin no allocation change
// nothing; a request too large for any block is refused.
TEST_F(Mem, ReleaseUnmapsAndBadPointersAndHugeRequests) {
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

    static char staticBuf[64];
    char *a = static_cast<char *>(GetMem(40)); // nodes 0 and 1
    char *b = static_cast<char *>(GetMem(10)); // node 2
    const std::string mat = pMemB->MAT;
    PutMem(nullptr);
    PutMem(staticBuf);
    PutMem(a + 32);                 // second node of an allocation
    PutMem(pMemB->pData + 32 * 10); // free space
    EXPECT_EQ(mat, pMemB->MAT);
    EXPECT_EQ(pMemB->FreeNodeCount, MEM_NODES - 3);
    PutMem(a + 5); // inside the first node: releases it
    PutMem(a);     // already released
    EXPECT_EQ(pMemB->FreeNodeCount, MEM_NODES - 1);
    PutMem(b);
    EXPECT_EQ(pMemB, nullptr);
    PutMem(b); // its block is gone
    testing::internal::CaptureStderr();
    EXPECT_EQ(GetMem(INT32_MAX), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Unable to allocate memory\n");
    EXPECT_EQ(pMemB, nullptr);
}

// Bytes the heap has handed out and not yet taken back (ASan counts lazily).
size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return 0;
#else
    return mallinfo2().uordblks;
#endif
}

// Child of the death test below: an empty /dev in a mount namespace of its
// own puts the zero device out of reach; the blocks come from the heap and go
// back to it (had they been unmapped, the heap would fault at the check).
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
        if (p == nullptr || big == nullptr || MemId != -1 || !pMemB->fDescFromHeap ||
            !pMemB->fDataFromHeap || !AllZero(p, 101) || !AllZero(big, 200001))
            exit(3);
        memset(p, 0xAA, 101);
        memset(big, 0x55, 200001);
        PutMem(p);
        PutMem(big);
        if (pMemB != nullptr)
            exit(4);
        if (HeapInUse() != before)
            exit(6);
        // Dirty heap memory where the next round's blocks will come from.
        size_t dirty = MapLength(4 * MEM_BLOCK_SIZE);
        char *check = static_cast<char *>(malloc(dirty));
        memset(check, 1, dirty);
        free(check);
    }
    exit(0);
}

TEST_F(Mem, HeapFallbackWhenTheZeroDeviceCannotBeOpened) {
    EXPECT_EXIT(UseHeapBlocks(), testing::ExitedWithCode(0), "");
}

// The reference: per normal block, which nodes are used; and the node index
// of the leftmost run of n free nodes in blk, or -1.
struct ModelBlock {
    char *data;
    bool used[MEM_NODES];
};
int FirstFit(const ModelBlock &blk, int n) {
    for (int i = 0, run = 0; i < MEM_NODES; i++) {
        run = blk.used[i] ? 0 : run + 1;
        if (run == n)
            return i - n + 1;
    }
    return -1;
}

// The byte each live allocation is filled with, derived from its address.
unsigned char FillOf(const char *p) {
    return static_cast<unsigned char>((reinterpret_cast<uintptr_t>(p) >> 5) | 1);
}

// Random requests from 1 byte to over 64 KiB and releases in random order, in
// phases that grow to hundreds of live allocations and shrink again: each is
// zero-filled and keeps its contents, addresses follow the reference, and the
// chain matches it.
TEST_F(Mem, RandomisedAgainstReferenceModel) {
    std::mt19937 rng(20261206);
    std::map<char *, size_t> live; // length with the extra byte, by address
    std::vector<char *> order;     // live pointers, for picking one to release
    std::vector<ModelBlock> model;

    auto allocate = [&]() {
        uint32_t kind = rng() % 100; // mostly short: hints are kept up to 16 nodes
        int32_t len = 1 + static_cast<int32_t>(rng() % (kind < 60 ? 500 : kind < 95 ? 4000 : 200000));
        int n = (len + 1 + 31) / 32;
        char *expect = nullptr;
        ModelBlock *where = nullptr;
        for (ModelBlock &blk : model) {
            int at = len < MEM_BLOCK_SIZE ? FirstFit(blk, n) : -1;
            if (at >= 0) {
                expect = blk.data + 32 * at;
                where = &blk;
                break;
            }
        }
        char *p = static_cast<char *>(GetMem(len));
        ASSERT_NE(p, nullptr);
        if (len < MEM_BLOCK_SIZE) {
            if (where == nullptr) { // no room anywhere: a new block at the tail
                MemBlock *tail = pMemB;
                while (tail->pNext != nullptr)
                    tail = tail->pNext;
                expect = tail->pData;
                model.push_back(ModelBlock{p, {}});
                where = &model.back();
            }
            ASSERT_EQ(p, expect) << "first fit for " << n << " nodes";
            int at = static_cast<int>((p - where->data) / 32);
            std::fill(where->used + at, where->used + at + n, true);
        }
        ASSERT_TRUE(AllZero(p, static_cast<size_t>(len) + 1)) << len;
        memset(p, FillOf(p), static_cast<size_t>(len) + 1);
        live[p] = static_cast<size_t>(len) + 1;
        order.push_back(p);
    };

    auto release = [&]() {
        size_t k = rng() % order.size();
        char *p = order[k];
        order[k] = order.back();
        order.pop_back();
        size_t len = live[p];
        live.erase(p);
        ASSERT_TRUE(std::all_of(p, p + len, [&](char x) { return x == (char)FillOf(p); }))
            << "contents changed while live";
        for (auto it = model.begin(); it != model.end(); ++it) {
            if (p >= it->data && p < it->data + MEM_BLOCK_SIZE) {
                int at = static_cast<int>((p - it->data) / 32);
                std::fill(it->used + at, it->used + at + (len + 31) / 32, false);
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
            std::string mat;
            for (bool used : model[m].used)
                mat += used ? 'U' : ' ';
            ASSERT_EQ(b->MAT, mat);
            ASSERT_EQ(b->FreeNodeCount, std::count(mat.begin(), mat.end(), ' '));
            // The hints never hide a run: none of m free nodes begins below
            // RunFrom[m - 1], none is longer than LongestFree; a record
            // describes exactly the allocations that begin at its node.
            for (int i = 0, run = 0; i < MEM_NODES; i++) {
                run = mat[i] == ' ' ? run + 1 : 0;
                ASSERT_LE(run, b->LongestFree) << i;
                for (int r = 1; r <= std::min(run, MEM_RUN_HINTS); r++)
                    ASSERT_LE(b->RunFrom[r - 1], i - r + 1) << "hint for " << r;
                ASSERT_EQ(b->Alloc[i].Nodes != 0, live.count(b->pData + 32 * i) == 1) << i;
                ASSERT_EQ(b->Alloc[i].pMemory, b->Alloc[i].Nodes ? b->pData + 32 * i : nullptr);
            }
            m++;
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

} // namespace
