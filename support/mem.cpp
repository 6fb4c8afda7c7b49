// Block memory allocator: 64-KiB blocks of 32-byte nodes, first fit found in
// the bit mask that mirrors each block's MAT, from per-size hints; dedicated
// blocks for large requests, memory mapped privately from /dev/zero with the
// heap as fallback.
#include "support/mem.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

MemBlock *pMemB = nullptr;
int MemId = -1;
const char OutOfMem[] = "Unable to allocate memory";

// Bytes of a request after the step to whole nodes, counting the extra byte.
static int64_t NodeRoundedSize(int32_t len) {
    int64_t size = static_cast<int64_t>(len) + 1;
    return (size + MEM_NODE_SIZE - 1) / MEM_NODE_SIZE * MEM_NODE_SIZE;
}

// The out-of-memory line; errno is kept for a caller that reports it too.
static void ReportOutOfMem() {
    int savedErrno = errno;
    fprintf(stderr, "ERROR: %s\n", OutOfMem);
    errno = savedErrno;
}

static bool IsDedicated(const MemBlock *block) {
    return block->Size > MEM_BLOCK_SIZE;
}

size_t MapLength(int32_t len) {
    size_t page = static_cast<size_t>(getpagesize());
    size_t n = len > 0 ? static_cast<size_t>(len) : 0;
    return (n / page + 1) * page;
}

void *MapBlock(int32_t len, bool *fromHeap) {
    size_t length = MapLength(len);
    *fromHeap = false;
    if (MemId == -1)
        MemId = open("/dev/zero", O_RDWR | O_CLOEXEC);
    if (MemId < 0) {
        // No zero device: take the heap; the next call tries the device again.
        MemId = -1;
        *fromHeap = true;
        return malloc(length);
    }
    void *p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE, MemId, 0);
    if (p == MAP_FAILED)
        return nullptr;
    return p;
}

// Gives back one piece obtained by MapBlock for len bytes.
static void UnmapPiece(void *p, int32_t len, bool fromHeap) {
    if (fromHeap) {
        free(p);
        return;
    }
    // The whole mapped length, not just len: MapBlock rounded it up.
    munmap(p, MapLength(len));
}

void PushBlock(MemBlock *block) {
    if (block == nullptr)
        return;
    if (pMemB == nullptr) {
        pMemB = block;
        return;
    }
    MemBlock *tail = pMemB;
    while (tail->pNext != nullptr)
        tail = tail->pNext;
    tail->pNext = block;
    block->pPrev = tail;
}

void PopBlock(MemBlock *block) {
    if (block == pMemB) {
        pMemB = block->pNext;
        if (pMemB != nullptr)
            pMemB->pPrev = nullptr;
    } else {
        if (block->pPrev != nullptr)
            block->pPrev->pNext = block->pNext;
        if (block->pNext != nullptr)
            block->pNext->pPrev = block->pPrev;
    }
    block->pNext = nullptr;
    block->pPrev = nullptr;
}

MemBlock *GetNewBlock(int32_t len) {
    int32_t dataSize = len < MEM_BLOCK_SIZE ? MEM_BLOCK_SIZE : len;
    bool descFromHeap = false;
    bool dataFromHeap = false;
    void *desc = MapBlock(static_cast<int32_t>(sizeof(MemBlock)), &descFromHeap);
    if (desc == nullptr) {
        ReportOutOfMem();
        return nullptr;
    }
    void *data = MapBlock(dataSize, &dataFromHeap);
    if (data == nullptr) {
        UnmapPiece(desc, static_cast<int32_t>(sizeof(MemBlock)), descFromHeap);
        ReportOutOfMem();
        return nullptr;
    }
    MemBlock *block = static_cast<MemBlock *>(desc);
    memset(block, 0, sizeof(MemBlock));
    memset(block->MAT, ' ', MEM_NODES);
    block->MAT[MEM_NODES] = '\0';
    memset(block->FreeMask, 0xff, sizeof block->FreeMask);
    block->fDescFromHeap = descFromHeap;
    block->fDataFromHeap = dataFromHeap;
    PushBlock(block);
    block->Size = dataSize;
    block->pData = static_cast<char *>(data);
    block->FreeNodeCount = MEM_NODES;
    block->LongestFree = MEM_NODES; // RunFrom: all 0, from the memset above
    return block;
}

MemBlock *FindBlock(const void *p) {
    if (p == nullptr)
        return nullptr;
    // Compared as integers: p may point anywhere, not only into our blocks.
    uintptr_t addr = reinterpret_cast<uintptr_t>(p);
    for (MemBlock *block = pMemB; block != nullptr; block = block->pNext) {
        uintptr_t start = reinterpret_cast<uintptr_t>(block->pData);
        if (start <= addr && addr < start + static_cast<uintptr_t>(block->Size))
            return block;
    }
    return nullptr;
}

void FreeBlock(MemBlock *block) {
    PopBlock(block);
    UnmapPiece(block->pData, block->Size, block->fDataFromHeap);
    UnmapPiece(block, static_cast<int32_t>(sizeof(MemBlock)), block->fDescFromHeap);
}

// Serves a request of size bytes (over 65536) with a block of its own.
static void *GetDedicated(int64_t size) {
    int64_t dataSize = (size + MEM_BLOCK_SIZE - 1) / MEM_BLOCK_SIZE * MEM_BLOCK_SIZE;
    if (dataSize > INT32_MAX) {
        // Beyond what a block descriptor can describe: the system's refusal.
        errno = ENOMEM;
        ReportOutOfMem();
        return nullptr;
    }
    MemBlock *block = GetNewBlock(static_cast<int32_t>(dataSize));
    if (block == nullptr)
        return nullptr;
    // A fresh mapping of the zero device is zero already; heap memory is not.
    if (block->fDataFromHeap)
        memset(block->pData, 0, static_cast<size_t>(size));
    memset(block->MAT, 'U', MEM_NODES);
    memset(block->FreeMask, 0, sizeof block->FreeMask);
    block->FreeNodeCount = 0;
    block->LongestFree = 0;
    block->UsedSize = static_cast<int32_t>(size);
    return block->pData;
}

// The hints are updated all at once: lane m - 1 of the two vectors holds
// the hint for runs of m nodes. Both updates keep the hints non-decreasing
// in m (a run of m + 1 free nodes holds a run of m at the same start).
static_assert(MEM_RUN_HINTS == 16, "the hints fill two vectors of 8 lanes");

// Lowers the hints for runs of 1 to n nodes to index from: a run of that many
// free nodes may begin there.
static void LowerHints(MemBlock *block, int from, int n) {
#if defined(__SSE2__)
    const __m128i limit = _mm_set1_epi16(static_cast<int16_t>(n < MEM_RUN_HINTS ? n + 1 : 17));
    const __m128i value = _mm_set1_epi16(static_cast<int16_t>(from));
    const __m128i keep = _mm_set1_epi16(INT16_MAX);
    for (int half = 0; half < 2; half++) {
        __m128i *at = reinterpret_cast<__m128i *>(block->RunFrom + 8 * half);
        __m128i m = _mm_setr_epi16(1, 2, 3, 4, 5, 6, 7, 8);
        m = _mm_add_epi16(m, _mm_set1_epi16(static_cast<int16_t>(8 * half)));
        __m128i lanes = _mm_cmplt_epi16(m, limit); // m <= n
        __m128i bound = _mm_or_si128(_mm_and_si128(lanes, value), _mm_andnot_si128(lanes, keep));
        _mm_storeu_si128(at, _mm_min_epi16(_mm_loadu_si128(at), bound));
    }
#else
    for (int m = 1; m <= n && m <= MEM_RUN_HINTS; m++) {
        if (block->RunFrom[m - 1] > from)
            block->RunFrom[m - 1] = static_cast<int16_t>(from);
    }
#endif
}

// Raises the hints for runs of n nodes and more to index from: none of them
// begins below it.
static void RaiseHints(MemBlock *block, int from, int n) {
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi16(static_cast<int16_t>(n - 1));
    const __m128i value = _mm_set1_epi16(static_cast<int16_t>(from));
    for (int half = 0; half < 2; half++) {
        __m128i *at = reinterpret_cast<__m128i *>(block->RunFrom + 8 * half);
        __m128i m = _mm_setr_epi16(1, 2, 3, 4, 5, 6, 7, 8);
        m = _mm_add_epi16(m, _mm_set1_epi16(static_cast<int16_t>(8 * half)));
        __m128i lanes = _mm_cmpgt_epi16(m, first);   // m >= n
        __m128i bound = _mm_and_si128(lanes, value); // 0 leaves a hint as it is
        _mm_storeu_si128(at, _mm_max_epi16(_mm_loadu_si128(at), bound));
    }
#else
    for (int m = n; m <= MEM_RUN_HINTS; m++) {
        if (block->RunFrom[m - 1] < from)
            block->RunFrom[m - 1] = static_cast<int16_t>(from);
    }
#endif
}

// The hint for runs of n nodes.
static int HintFor(const MemBlock *block, int n) {
    return block->RunFrom[(n < MEM_RUN_HINTS ? n : MEM_RUN_HINTS) - 1];
}

// Marks nodes i to i + n - 1 of block free or used, in the MAT and in its
// bit mask alike. The common short runs take no branch on their length: up
// to 16 MAT characters are blended in one vector, and up to 64 bits of the
// mask are set or cleared with one or two word operations.
static void MarkNodes(MemBlock *block, int i, int n, bool free) {
    const char mark = free ? ' ' : 'U';
#if defined(__SSE2__)
    if (n <= 16 && i + 16 <= MEM_NODES) {
        __m128i *at = reinterpret_cast<__m128i *>(block->MAT + i);
        __m128i lanes = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(n)),
                                       _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
        __m128i old = _mm_loadu_si128(at);
        _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(lanes, _mm_set1_epi8(mark)),
                                          _mm_andnot_si128(lanes, old)));
    } else
#endif
        memset(block->MAT + i, mark, static_cast<size_t>(n));
    for (; n > 0; i += MEM_GROUP, n -= MEM_GROUP) {
        // Up to 64 bits from node i on: the low ones in node i's group, the
        // rest at the start of the next (only when the run straddles).
        int width = n < MEM_GROUP ? n : MEM_GROUP;
        int offset = i % MEM_GROUP;
        uint64_t ones = width == MEM_GROUP ? ~uint64_t{0} : (uint64_t{1} << width) - 1;
        uint64_t *word = block->FreeMask + i / MEM_GROUP;
        uint64_t low = ones << offset;
        word[0] = free ? word[0] | low : word[0] & ~low;
        if (offset + width > MEM_GROUP) {
            uint64_t high = ones >> (MEM_GROUP - offset);
            word[1] = free ? word[1] | high : word[1] & ~high;
        }
    }
}

// The shifts that turn a mask of free nodes into the starts of runs of n
// (1 <= n <= 64): each step doubles the run length the bits stand for, the
// last one tops it up to n; the steps not needed are shifts by 0.
struct RunShifts {
    int count;
    int shift[6];
};

constexpr RunShifts MakeRunShifts(int n) {
    RunShifts r{};
    int len = 1;
    while (2 * len <= n) {
        r.shift[r.count++] = len;
        len *= 2;
    }
    if (len < n)
        r.shift[r.count++] = n - len;
    return r;
}

struct RunShiftTable {
    RunShifts of[MEM_GROUP + 1]; // by n; of[0] has no shifts
};

constexpr RunShiftTable MakeRunShiftTable() {
    RunShiftTable t{};
    for (int n = 1; n <= MEM_GROUP; n++)
        t.of[n] = MakeRunShifts(n);
    return t;
}
constexpr RunShiftTable RUN_SHIFTS = MakeRunShiftTable();
static_assert(RUN_SHIFTS.of[MEM_GROUP].count == 6 && RUN_SHIFTS.of[63].count == 6,
              "runs of up to 64 nodes take at most 6 shifts");

// Index of the leftmost run of n free nodes in block's MAT, or -1. The MAT's
// bit mask is read a group of 64 nodes at a time, from
// the hint for n on; a run that crosses from one group into the next is
// carried over as its start and length. A failed walk tightens the hints.
static int FindFreeRun(MemBlock *block, int n) {
    if (block->FreeNodeCount < n || block->LongestFree < n)
        return -1;
    int from = HintFor(block, n);
    int carryStart = 0; // start of the free run that reaches the group's start
    int carry = 0;      // its length so far
    const RunShifts &shifts = RUN_SHIFTS.of[n <= MEM_GROUP ? n : 0];
    uint64_t below = ~uint64_t{0} << (from % MEM_GROUP); // hides nodes below from
    for (int base = from / MEM_GROUP * MEM_GROUP; base < MEM_NODES; base += MEM_GROUP) {
        uint64_t free = block->FreeMask[base / MEM_GROUP] & below;
        below = ~uint64_t{0};
        if (carry > 0) {
            int lead = free == ~uint64_t{0} ? MEM_GROUP : __builtin_ctzll(~free);
            if (carry + lead >= n)
                return carryStart;
            if (lead == MEM_GROUP) {
                carry += MEM_GROUP;
                continue;
            }
        }
        if (free == 0) {
            carry = 0;
            continue;
        }
        if (n <= MEM_GROUP) {
            // Bits p for which bits p to p + n - 1 are all set: the starts of
            // the runs of n free nodes that lie wholly within the group.
            // Always six steps: unused ones shift by 0 and change nothing,
            // so the loop never mispredicts on the request's size.
            uint64_t starts = free;
            starts &= starts >> shifts.shift[0];
            starts &= starts >> shifts.shift[1];
            starts &= starts >> shifts.shift[2];
            starts &= starts >> shifts.shift[3];
            starts &= starts >> shifts.shift[4];
            starts &= starts >> shifts.shift[5];
            if (starts != 0)
                return base + __builtin_ctzll(starts);
        }
        carry = free == ~uint64_t{0} ? MEM_GROUP : __builtin_clzll(~free);
        carryStart = base + MEM_GROUP - carry;
    }
    // Every run is shorter than n.
    block->LongestFree = static_cast<int16_t>(n - 1);
    RaiseHints(block, MEM_NODES, n);
    return -1;
}

// Takes n nodes in block if it holds a run of n free ones (leftmost run).
static void *TakeNodes(MemBlock *block, int n) {
    int i = FindFreeRun(block, n);
    if (i < 0)
        return nullptr;
    MarkNodes(block, i, n, false);
    // No run of n or more nodes began below i, and none begins in the nodes
    // just taken.
    RaiseHints(block, i + n, n);
    char *p = block->pData + MEM_NODE_SIZE * i;
    block->Alloc[i].Nodes = static_cast<uint16_t>(n);
    block->Alloc[i].pMemory = p;
    memset(p, 0, static_cast<size_t>(n) * MEM_NODE_SIZE);
    block->FreeNodeCount -= n;
    return p;
}

// Free nodes from index at on, counted up to limit (< 64).
static int FreeFrom(const uint64_t *mask, int at, int limit) {
    int count = 0;
    while (count < limit && at < MEM_NODES) {
        int base = at / MEM_GROUP * MEM_GROUP;
        int width = MEM_GROUP - (at - base);
        uint64_t free = mask[base / MEM_GROUP] >> (at - base);
        int run = free == ~uint64_t{0} ? MEM_GROUP : __builtin_ctzll(~free);
        if (run > width)
            run = width;
        count += run;
        if (run < width)
            break;
        at += width;
    }
    return count < limit ? count : limit;
}

// Free nodes just below index at, counted up to limit (< 64).
static int FreeBefore(const uint64_t *mask, int at, int limit) {
    int count = 0;
    while (count < limit && at > 0) {
        int base = (at - 1) / MEM_GROUP * MEM_GROUP;
        int width = at - base;
        uint64_t free = mask[base / MEM_GROUP] << (MEM_GROUP - width);
        int run = free == ~uint64_t{0} ? MEM_GROUP : __builtin_clzll(~free);
        if (run > width)
            run = width;
        count += run;
        if (run < width)
            break;
        at = base;
    }
    return count < limit ? count : limit;
}

// Marks nodes i to i + n - 1 of block free and widens the hints to the run
// of free nodes they now belong to.
static void ReleaseNodes(MemBlock *block, int i, int n) {
    const uint64_t *mask = block->FreeMask;
    MarkNodes(block, i, n, true);
    block->FreeNodeCount += n;
    // The free nodes beside the released ones, counted up to the longest
    // run a hint is kept for: new runs of up to that many nodes begin no
    // lower than start.
    constexpr int REACH = MEM_RUN_HINTS - 1;
    int before = FreeBefore(mask, i, REACH);
    int after = FreeFrom(mask, i + n, REACH);
    int start = i - before;
    int run = before + n + after;
    LowerHints(block, start, run);
    // A free neighbour run that reaches further leaves the longest run
    // unknown: the next search that fails measures it again.
    if (before == REACH || after == REACH)
        run = MEM_NODES;
    if (run > block->LongestFree)
        block->LongestFree = static_cast<int16_t>(run);
}

void *GetMem(int32_t len) {
    if (len <= 0)
        return nullptr;
    int64_t size = NodeRoundedSize(len);
    if (size > MEM_BLOCK_SIZE)
        return GetDedicated(size);

    int n = static_cast<int>(size / MEM_NODE_SIZE);
    if (pMemB == nullptr && GetNewBlock(static_cast<int32_t>(size)) == nullptr)
        return nullptr;

    MemBlock *block = pMemB;
    for (;;) {
        void *p = TakeNodes(block, n);
        if (p != nullptr)
            return p;
        if (block->pNext == nullptr) {
            // GetNewBlock appends, so the fresh block follows this one.
            if (GetNewBlock(static_cast<int32_t>(size)) == nullptr)
                return nullptr;
        }
        block = block->pNext;
    }
}

void PutMem(void *p) {
    MemBlock *block = FindBlock(p);
    if (block == nullptr)
        return;
    if (IsDedicated(block)) {
        FreeBlock(block);
        return;
    }
    uintptr_t offset = reinterpret_cast<uintptr_t>(p) - reinterpret_cast<uintptr_t>(block->pData);
    int i = static_cast<int>(offset / MEM_NODE_SIZE);
    MemAlloc *rec = &block->Alloc[i];
    if (rec->Nodes == 0 || rec->pMemory == nullptr)
        return;
    ReleaseNodes(block, i, rec->Nodes);
    rec->Nodes = 0;
    rec->pMemory = nullptr;
    // No node in use any more (the MAT holds no 'U'): the block goes back.
    if (block->FreeNodeCount == MEM_NODES)
        FreeBlock(block);
}
