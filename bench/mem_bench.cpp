// Micro-benchmarks of the block allocator against the C library's heap: the
// installer's pattern of many short strings with a few hundred alive, and a
// fragmented block that requests of two nodes have to pass.
#include "support/mem.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int LIVE = 300;       // strings alive at once
constexpr int SEQUENCE = 65536; // precomputed random steps, cycled

// One step of the short-string pattern: which live slot to replace and the
// size of its new string (8 to 300 bytes).
struct Step {
    int slot;
    int size;
};

const std::vector<Step> &Steps() {
    static const std::vector<Step> steps = [] {
        std::mt19937 rng(42);
        std::vector<Step> s(SEQUENCE);
        for (Step &st : s)
            st = {static_cast<int>(rng() % LIVE), 8 + static_cast<int>(rng() % 293)};
        return s;
    }();
    return steps;
}

// Replaces a random live string by a new one, in the given allocator.
template <typename Alloc, typename Release>
void ShortStrings(benchmark::State &state, Alloc alloc, Release release) {
    const std::vector<Step> &steps = Steps();
    std::vector<char *> live(LIVE);
    for (int i = 0; i < LIVE; i++)
        live[i] = alloc(steps[i].size);
    size_t k = 0;
    for (auto _ : state) {
        const Step &st = steps[k++ % SEQUENCE];
        release(live[st.slot]);
        char *p = alloc(st.size);
        memcpy(p, "/usr/Varen/tvxx", 8); // the string's first bytes
        live[st.slot] = p;
        benchmark::DoNotOptimize(p);
    }
    for (char *p : live)
        release(p);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_ShortStrings_GetMem(benchmark::State &state) {
    ShortStrings(
        state, [](int n) { return static_cast<char *>(GetMem(n)); }, [](char *p) { PutMem(p); });
}
BENCHMARK(BM_ShortStrings_GetMem);

void BM_ShortStrings_Malloc(benchmark::State &state) {
    ShortStrings(
        state, [](int n) { return static_cast<char *>(malloc(static_cast<size_t>(n) + 1)); },
        [](char *p) { free(p); });
}
BENCHMARK(BM_ShortStrings_Malloc);

// Zero-filled like GetMem, for a like-for-like comparison.
void BM_ShortStrings_Calloc(benchmark::State &state) {
    ShortStrings(
        state, [](int n) { return static_cast<char *>(calloc(static_cast<size_t>(n) + 1, 1)); },
        [](char *p) { free(p); });
}
BENCHMARK(BM_ShortStrings_Calloc);

// A first block full of one-node allocations with every other one released:
// half its nodes are free but no two adjacent, so no two-node request can be
// served there: it goes on to the second block.
void BM_FragmentedBlock_GetMem(benchmark::State &state) {
    std::vector<void *> nodes(MEM_NODES);
    for (void *&p : nodes)
        p = GetMem(1);
    for (int i = 0; i < MEM_NODES; i += 2)
        PutMem(nodes[i]);
    void *keep = GetMem(40); // keeps the second block alive
    for (auto _ : state) {
        void *p = GetMem(40);
        benchmark::DoNotOptimize(p);
        PutMem(p);
    }
    PutMem(keep);
    for (int i = 1; i < MEM_NODES; i += 2)
        PutMem(nodes[i]);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_FragmentedBlock_GetMem);

// The same holes made in the heap: small chunks with every other one freed;
// zero-filled like GetMem.
void BM_FragmentedBlock_Calloc(benchmark::State &state) {
    std::vector<void *> chunks(MEM_NODES);
    for (void *&p : chunks)
        p = calloc(24, 1);
    for (int i = 0; i < MEM_NODES; i += 2)
        free(chunks[i]);
    for (auto _ : state) {
        void *p = calloc(41, 1);
        benchmark::DoNotOptimize(p);
        free(p);
    }
    for (int i = 1; i < MEM_NODES; i += 2)
        free(chunks[i]);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_FragmentedBlock_Calloc);

} // namespace

BENCHMARK_MAIN();
