// Block memory allocator: every piece of dynamic memory of the installer.
//
// Memory is taken from the system in blocks. A normal block has a 64-KiB data
// area cut into 2048 nodes of 32 bytes; a request is served by the leftmost
// run of consecutive free nodes in the block's allocation table text MAT
// (blank = free node, 'U' = used node). The search reads a bit mask that
// mirrors the MAT, 64 nodes at a time, starting where the block's hints say
// such a run can begin.
// Requests of 65536 bytes or more get a dedicated block of their own. A block
// goes back to the system as soon as its last allocation is released.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int MEM_NODE_SIZE = 32;
constexpr int MEM_NODES = 2048;
constexpr int MEM_BLOCK_SIZE = MEM_NODE_SIZE * MEM_NODES; // 65536
static_assert(MEM_BLOCK_SIZE == 65536, "a normal block holds 64 KiB");
// Nodes whose MAT characters the search reads at once, as one 64-bit mask.
constexpr int MEM_GROUP = 64;
static_assert(MEM_NODES % MEM_GROUP == 0, "the MAT is read in whole groups");
// Request sizes, in nodes, that keep a search hint of their own.
constexpr int MEM_RUN_HINTS = 16;

// One allocation record per node index: where an allocation begins.
struct MemAlloc {
    uint16_t Nodes; // nodes of the allocation that begins here, 0 if none
    char *pMemory;  // its address (pData + 32 * index), null if none
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
    // The MAT again as bits, kept equal to it at every step: bit k of
    // FreeMask[g] is set when node 64 * g + k is free. The searches read
    // these words instead of comparing MAT characters.
    uint64_t FreeMask[MEM_NODES / MEM_GROUP];
    // Search hints, kept so that they never change which run is found:
    // RunFrom[m - 1] (m from 1 to MEM_RUN_HINTS) is an index below which no
    // run of m free nodes begins, and no run of free nodes is longer than
    // LongestFree. A search for n nodes begins at the hint for n (for longer
    // runs at the last hint, since they hold such a run too), and a request
    // for more than LongestFree nodes passes the block by.
    int16_t RunFrom[MEM_RUN_HINTS];
    int16_t LongestFree;
    // Where each piece came from: the heap when the zero device could not be
    // opened (heap pieces go back with free, mapped pieces with munmap).
    bool fDescFromHeap;
    bool fDataFromHeap;
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

// New block with a data area of len bytes, at least 65536, appended at the
// tail of the chain; null (after the out-of-memory line) when refused.
MemBlock *GetNewBlock(int32_t len);
// Obtains MapLength(len) bytes, always more than len: a private mapping of
// the zero device, or heap memory when the device cannot be opened (then
// *fromHeap is set). Returns null when the system refuses.
void *MapBlock(int32_t len, bool *fromHeap);
// Byte length that MapBlock obtains for len bytes: (len / page + 1) * page.
size_t MapLength(int32_t len);
// Appends block at the tail of the chain; null changes nothing.
void PushBlock(MemBlock *block);
// Unlinks block (which must be in the chain) from the chain.
void PopBlock(MemBlock *block);
// First block of the chain whose data area holds p, or null.
MemBlock *FindBlock(const void *p);
// Unlinks block and gives both of its pieces back to the system.
void FreeBlock(MemBlock *block);
