// Block memory allocator: every piece of dynamic memory of the installer.
//
// Memory is taken from the system in blocks. A normal block has a 64-KiB data
// area cut into 2048 nodes of 32 bytes; a request is served by a run of
// consecutive free nodes, found by a substring search for blanks in the
// block's allocation table text MAT (blank = free node, 'U' = used node).
// Requests of 65536 bytes or more get a dedicated block of their own. A block
// goes back to the system as soon as its last allocation is released.
#pragma once

#include <cstdint>

constexpr int MEM_NODE_SIZE = 32;
constexpr int MEM_NODES = 2048;
constexpr int MEM_BLOCK_SIZE = MEM_NODE_SIZE * MEM_NODES; // 65536
static_assert(MEM_BLOCK_SIZE == 65536, "a normal block holds 64 KiB");

// One allocation record per node index: where an allocation begins.
struct MemAlloc {
    uint16_t Nodes;  // nodes of the allocation that begins here, 0 if none
    char *pMemory;   // its address (pData + 32 * index), null if none
};

// Block descriptor; kept apart from the block's data area.
struct MemBlock {
    MemBlock *pNext;
    MemBlock *pPrev;
    int32_t Size;          // bytes of the data area; > 65536 means dedicated
    int32_t UsedSize;      // dedicated block: request rounded up to 32; else 0
    int32_t FreeNodeCount; // free nodes; 0 in a dedicated block
    char *pData;
    MemAlloc Alloc[MEM_NODES];
    char MAT[MEM_NODES + 1];
    bool fromHeap;         // both pieces came from the heap (zero device unavailable)
};

extern MemBlock *pMemB; // head of the chain, oldest block first
extern int MemId;       // descriptor of /dev/zero, -1 until opened
extern const char OutOfMem[];

// Returns at least len + 1 zero-filled bytes, or null for len <= 0 or when
// the system refuses memory (then "ERROR: Unable to allocate memory" has been
// written to standard error).
void *GetMem(int32_t len);

// Releases what GetMem returned. Null, foreign and already released pointers
// are accepted and change nothing.
void PutMem(void *p);

// Internal block operations, exposed for the allocator's own tests.
MemBlock *GetNewBlock(int32_t len);
void *MapBlock(int32_t len);
void PushBlock(MemBlock *block);
void PopBlock(MemBlock *block);
MemBlock *FindBlock(const void *p);
void FreeBlock(MemBlock *block);
