// CReadStm::FetchByte over a 64 MiB source against a plain pointer loop over the same bytes, both
// folding every byte into an FNV-1a hash, as a converter's scanner acts on each byte it reads. A
// second pair sums the bytes, which the compiler vectorises in the pointer loop: a fetch that checks
// its bound byte by byte cannot follow there, so that ratio is reported without a goal.
#include <kiln/convert/read_stm.h>

#include <vector>

#include "ratio.h"

namespace {

constexpr unsigned int kSize = 64u << 20;

std::vector<unsigned char>& Bytes() {
    static std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> v(kSize);
        unsigned int seed = 1;
        for (unsigned char& b : v) {
            seed = seed * 1103515245u + 12345u;
            b = (unsigned char)(seed >> 16);
        }
        return v;
    }();
    return bytes;
}

CReadStm& Reader() {
    static CReadStm* reader = [] {
        auto* r = new CReadStm;
        r->Attach(Bytes().data(), kSize, nullptr);
        r->InterLock();
        return r;
    }();
    return *reader;
}

// The reader delivers every byte but the last: the pointer loops read the same kSize - 1 bytes.
void FetchByteHash(benchmark::State& state) {
    CReadStm& r = Reader();
    for (auto _ : state) {
        r.SetPC(0);
        unsigned int h = 2166136261u;
        while (!r.IsFinished()) h = (h ^ r.FetchByte()) * 16777619u;
        benchmark::DoNotOptimize(h);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kSize);
}
BENCHMARK(FetchByteHash)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void PointerLoopHash(benchmark::State& state) {
    const unsigned char* begin = Bytes().data();
    for (auto _ : state) {
        unsigned int h = 2166136261u;
        for (const unsigned char* p = begin; p < begin + kSize - 1; ++p) h = (h ^ *p) * 16777619u;
        benchmark::DoNotOptimize(h);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kSize);
}
BENCHMARK(PointerLoopHash)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("FetchByteHash", "PointerLoopHash", 2.0);

void FetchByteSum(benchmark::State& state) {
    CReadStm& r = Reader();
    for (auto _ : state) {
        r.SetPC(0);
        unsigned int sum = 0;
        while (!r.IsFinished()) sum += r.FetchByte();
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kSize);
}
BENCHMARK(FetchByteSum)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void PointerLoopSum(benchmark::State& state) {
    const unsigned char* begin = Bytes().data();
    for (auto _ : state) {
        unsigned int sum = 0;
        for (const unsigned char* p = begin; p < begin + kSize - 1; ++p) sum += *p;
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kSize);
}
BENCHMARK(PointerLoopSum)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("FetchByteSum", "PointerLoopSum", 0);

}  // namespace

KILN_BENCHMARK_MAIN()
