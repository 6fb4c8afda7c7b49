// Block memory allocator: 64-KiB blocks of 32-byte nodes found by a substring
// search of blanks in each block's MAT text, dedicated blocks for large
// requests, memory mapped privately from /dev/zero with the heap as fallback.
#include "support/mem.h"

#include "support/token.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

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
    block->fDescFromHeap = descFromHeap;
    block->fDataFromHeap = dataFromHeap;
    PushBlock(block);
    block->Size = dataSize;
    block->pData = static_cast<char *>(data);
    block->FreeNodeCount = MEM_NODES;
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
    block->FreeNodeCount = 0;
    block->UsedSize = static_cast<int32_t>(size);
    return block->pData;
}

// Takes n nodes in block if it holds a run of n free ones (leftmost run).
static void *TakeNodes(MemBlock *block, int n, const char *pattern) {
    if (block->FreeNodeCount < n)
        return nullptr;
    const char *run = StrStr(block->MAT, pattern);
    if (run == nullptr)
        return nullptr;
    int i = static_cast<int>(run - block->MAT);
    memset(block->MAT + i, 'U', static_cast<size_t>(n));
    char *p = block->pData + MEM_NODE_SIZE * i;
    block->Alloc[i].Nodes = static_cast<uint16_t>(n);
    block->Alloc[i].pMemory = p;
    memset(p, 0, static_cast<size_t>(n) * MEM_NODE_SIZE);
    block->FreeNodeCount -= n;
    return p;
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

    char pattern[MEM_NODES + 1];
    memset(pattern, ' ', static_cast<size_t>(n));
    pattern[n] = '\0';

    MemBlock *block = pMemB;
    for (;;) {
        void *p = TakeNodes(block, n, pattern);
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
    block->FreeNodeCount += rec->Nodes;
    memset(block->MAT + i, ' ', rec->Nodes);
    rec->Nodes = 0;
    rec->pMemory = nullptr;
    // No node in use any more (the MAT holds no 'U'): the block goes back.
    if (block->FreeNodeCount == MEM_NODES)
        FreeBlock(block);
}
