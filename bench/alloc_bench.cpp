// Growth of a memory block by 2048 bytes at a time to 256 MiB, as converters' output buffers grow,
// against std::vector<char>::resize by the same steps; and the cost of a Lock/Unlock pair.
#include <kiln/core/alloc.h>

#include <vector>

#include "ratio.h"

namespace {

constexpr unsigned kStep = 2048;
constexpr unsigned kTarget = 256u << 20;

void CAllocGrowth(benchmark::State& state) {
    for (auto _ : state) {
        CAlloc block(kStep);
        for (unsigned size = 2 * kStep; size <= kTarget; size += kStep) block.ReAlloc(size);
        benchmark::DoNotOptimize(block.GetID());
    }
}
BENCHMARK(CAllocGrowth)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void VectorGrowth(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<char> v(kStep);
        for (unsigned size = 2 * kStep; size <= kTarget; size += kStep) v.resize(size);
        benchmark::DoNotOptimize(v.data());
    }
}
BENCHMARK(VectorGrowth)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("CAllocGrowth", "VectorGrowth", 1.5);

void LockUnlockPair(benchmark::State& state) {
    CAlloc block(64);
    for (auto _ : state) {
        benchmark::DoNotOptimize(block.Lock());
        block.Unlock();
    }
}
BENCHMARK(LockUnlockPair);

}  // namespace

KILN_BENCHMARK_MAIN()
