// Tests of the block allocator: node counts, dedicated blocks, release of empty blocks, bad
// pointers, the heap fallback, and a randomised test against a leftmost-run reference with the
// block invariants checked.
#include "testutil.h"

#include <malloc.h>
#include <map>
#include <random>
#include <sys/mman.h>
#include <sys/mount.h>

namespace {

using Mem = tu::EmptyChain;

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
// whole 64 KiB units, which any pointer into it releases.
TEST_F(Mem, NodesAndDedicatedBlocks) {
    EXPECT_TRUE(GetMem(0) == nullptr && GetMem(-5) == nullptr);
    void *small = GetMem(100); // 4 nodes
    const int32_t cases[][4] = {// length, nodes, block size, used size
                                {31, 1, 65536, 0}, {32, 2, 65536, 0}, {65535 - 128, 2044, 65536, 0},
                                {65536, 2048, 131072, 65568}, {131071, 2048, 131072, 131072},
                                {131072, 2048, 196608, 131104}};
    for (const auto &c : cases) {
        char *p = static_cast<char *>(GetMem(c[0]));
        MemBlock *b = FindBlock(p);
        ASSERT_NE(b, nullptr) << c[0];
        int i = static_cast<int>((p - b->pData) / MEM_NODE_SIZE);
        EXPECT_EQ(strspn(b->MAT + i, "U"), static_cast<size_t>(c[1])) << c[0];
        EXPECT_TRUE(b->Size == c[2] && b->UsedSize == c[3] && AllZero(p, static_cast<size_t>(c[0]) + 1)) << c[0];
        p[c[0]] = 'x'; // the extra byte is ours too
        if (c[2] > MEM_BLOCK_SIZE) {
            EXPECT_TRUE(b->pData == p && b->FreeNodeCount == 0);
            void *next = GetMem(100); // passes the dedicated block by
            EXPECT_EQ(FindBlock(next), pMemB);
            PutMem(next), PutMem(p + 70000);
        } else {
            EXPECT_TRUE(b->Alloc[i].Nodes == c[1] && b->FreeNodeCount == MEM_NODES - 4 - c[1]) << c[0];
            PutMem(p);
        }
        EXPECT_EQ(FindBlock(p), c[2] > MEM_BLOCK_SIZE ? nullptr : pMemB);
        EXPECT_EQ(ChainLength(), 1) << c[0];
    }
    PutMem(small);
    EXPECT_EQ(pMemB, nullptr);
}

// An empty block is unmapped wholly (with the page its mapping was rounded up by); pointers that
// begin no allocation change nothing; a request too large for any block is refused.
TEST_F(Mem, ReleaseUnmapsAndBadPointersAndHugeRequests) {
    void *first = GetMem(1), *second = GetMem(65535); // its own, second block
    ASSERT_EQ(ChainLength(), 2);
    MemBlock *secondBlock = pMemB->pNext, *firstBlock = pMemB;
    char *data = secondBlock->pData;
    PutMem(second);
    ASSERT_EQ(ChainLength(), 1);
    EXPECT_TRUE(Unmapped(data, MapLength(MEM_BLOCK_SIZE)) && Unmapped(secondBlock, MapLength(sizeof(MemBlock))));
    PutMem(first);
    EXPECT_TRUE(pMemB == nullptr && Unmapped(firstBlock, sizeof(MemBlock)));
    static char staticBuf[64];
    char *a = static_cast<char *>(GetMem(40)), *b = static_cast<char *>(GetMem(10)); // nodes 0-1, 2
    const std::string mat = pMemB->MAT;
    for (void *bad : {static_cast<void *>(nullptr), static_cast<void *>(staticBuf), static_cast<void *>(a + 32),
                      static_cast<void *>(pMemB->pData + 32 * 10)}) // second node of an allocation, free space
        PutMem(bad);
    EXPECT_TRUE(mat == pMemB->MAT && pMemB->FreeNodeCount == MEM_NODES - 3);
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

#if defined(__SANITIZE_ADDRESS__)
size_t HeapInUse() { return 0; } // ASan counts lazily
#else
size_t HeapInUse() { return mallinfo2().uordblks; }
#endif
// An empty /dev in a mount namespace of its own puts the zero device out of reach; the blocks come
// from the heap, zero-filled on dirty heap memory, and go back to it (unmapped, the heap would fault).
TEST_F(Mem, HeapFallbackWhenTheZeroDeviceCannotBeOpened) {
    EXPECT_EQ(0, tu::RunInChild([] {
        if (MemId >= 0)
            close(MemId);
        if ((MemId = -1, unshare(CLONE_NEWNS)) != 0 || mount("nodev", "/dev", "tmpfs", 0, nullptr) != 0)
            return 2;
        for (int round = 0; round < 3; round++) {
            size_t before = HeapInUse();
            char *p = static_cast<char *>(GetMem(100)), *big = static_cast<char *>(GetMem(200000));
            if (!p || !big || MemId != -1 || !pMemB->fDescFromHeap || !pMemB->fDataFromHeap || !AllZero(p, 101) ||
                !AllZero(big, 200001))
                return 3;
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

// Random requests from 1 byte to over 64 KiB and releases in random order, in phases that grow to
// hundreds of live allocations and shrink again: each is zero-filled and keeps its contents, its
// address is the leftmost run of free nodes of a reference model (a MAT per normal block), and the
// blocks keep their invariants.
TEST_F(Mem, RandomisedAgainstLeftmostRunReference) {
    std::mt19937 rng(20261206);
    std::map<char *, size_t> live;                     // length with the extra byte
    std::vector<char *> order;                         // live pointers, to pick from
    std::vector<std::pair<char *, std::string>> model; // data area and MAT
    auto fillOf = [](const char *p) { return static_cast<char>((reinterpret_cast<uintptr_t>(p) >> 5) | 1); };
    auto allocate = [&]() {
        uint32_t kind = rng() % 100; // mostly short: hints are kept up to 16 nodes
        int32_t len = 1 + static_cast<int32_t>(rng() % (kind < 60 ? 500 : kind < 95 ? 4000 : 200000));
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
        ASSERT_TRUE(std::all_of(p, p + len, [&](char x) { return x == fillOf(p); })) << "changed while live";
        for (auto it = model.begin(); it != model.end(); ++it)
            if (p >= it->first && p < it->first + MEM_BLOCK_SIZE) {
                it->second.replace(static_cast<size_t>(p - it->first) / 32, (len + 31) / 32, (len + 31) / 32, ' ');
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
            ASSERT_LT(m, model.size());
            ASSERT_EQ(b->pData, model[m].first);
            const std::string &mat = model[m++].second;
            ASSERT_EQ(b->MAT, mat);
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

} // namespace
