// Output buffer emission against the plain C++ ways of appending bytes, measured in the same run.
//
// Each comparison is made twice. "Cold": both sides start from fresh memory every iteration, so the
// output buffer grows from nothing while the vector grows too, or the memcpy target is allocated at
// its full size just before the copy; on most machines the first touch of 64 MiB of fresh pages
// weighs as much as the copying. "Warm": both sides reuse memory that an earlier iteration has
// touched (the output buffer is set back to PC 0 over its grown block, the vector is cleared, the
// memcpy target stays), which shows what the emission itself costs.
// - 64 MiB appended one byte at a time with CDecode::Decode(unsigned char), inter-locked, against
//   std::vector<unsigned char>::push_back; and through a CDecode& (a virtual call per byte, as a
//   converter that is handed its output buffer makes them), without a goal;
// - 64 MiB appended in 4 KiB pieces with CDecode::Decode(const void*, unsigned int), against memcpy
//   of the same pieces into a buffer allocated at its full size beforehand.
//
// Every iteration is timed by the CPU time of the thread that runs it (page faults included), so
// that other work on a shared machine weighs on neither side of a comparison.
#include <kiln/convert/decode.h>

#include <ctime>
#include <cstring>
#include <memory>
#include <vector>

#include "ratio.h"

namespace {

constexpr unsigned kTotal = 64u << 20;
constexpr unsigned kPiece = 4096;

// CPU time of the calling thread since construction.
class CpuTimer {
public:
    CpuTimer() { clock_gettime(CLOCK_THREAD_CPUTIME_ID, &m_start); }
    double Seconds() const {
        timespec now;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return (double)(now.tv_sec - m_start.tv_sec) + (double)(now.tv_nsec - m_start.tv_nsec) * 1e-9;
    }

private:
    timespec m_start;
};

void DecodeAppendByte(benchmark::State& state) {
    for (auto _ : state) {
        CpuTimer timer;
        CDecode out;
        out.Alloc(0);
        out.InterLock();
        for (unsigned i = 0; i < kTotal; ++i) out.Decode((unsigned char)i);
        benchmark::DoNotOptimize((void*)out);
        out.InterUnlock();
        state.SetIterationTime(timer.Seconds());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTotal);
}
BENCHMARK(DecodeAppendByte)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void VectorPushBack(benchmark::State& state) {
    for (auto _ : state) {
        CpuTimer timer;
        std::vector<unsigned char> v;
        for (unsigned i = 0; i < kTotal; ++i) v.push_back((unsigned char)i);
        benchmark::DoNotOptimize(v.data());
        state.SetIterationTime(timer.Seconds());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTotal);
}
BENCHMARK(VectorPushBack)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

KILN_COMPARE("DecodeAppendByte", "VectorPushBack", 2.0);

// Emits through a reference whose dynamic type the compiler cannot see.
[[gnu::noinline]] void EmitBytes(CDecode& out) {
    for (unsigned i = 0; i < kTotal; ++i) out.Decode((unsigned char)i);
}

void DecodeAppendByteVirtual(benchmark::State& state) {
    for (auto _ : state) {
        CpuTimer timer;
        CDecode out;
        out.Alloc(0);
        out.InterLock();
        EmitBytes(out);
        benchmark::DoNotOptimize((void*)out);
        out.InterUnlock();
        state.SetIterationTime(timer.Seconds());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTotal);
}
BENCHMARK(DecodeAppendByteVirtual)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

KILN_COMPARE("DecodeAppendByteVirtual", "VectorPushBack", 0);

void DecodeAppendByteWarm(benchmark::State& state) {
    CDecode out;
    out.Alloc(0);
    out.InterLock();
    for (unsigned i = 0; i < kTotal; ++i) out.Decode((unsigned char)i);  // grown before timing
    for (auto _ : state) {
        CpuTimer timer;
        out.Relocate(0);
        for (unsigned i = 0; i < kTotal; ++i) out.Decode((unsigned char)i);
        benchmark::DoNotOptimize((void*)out);
        state.SetIterationTime(timer.Seconds());
    }
    out.InterUnlock();
    state.SetBytesProcessed((int64_t)state.iterations() * kTotal);
}
BENCHMARK(DecodeAppendByteWarm)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void VectorPushBackWarm(benchmark::State& state) {
    std::vector<unsigned char> v;
    for (unsigned i = 0; i < kTotal; ++i) v.push_back((unsigned char)i);  // grown before timing
    for (auto _ : state) {
        CpuTimer timer;
        v.clear();
        for (unsigned i = 0; i < kTotal; ++i) v.push_back((unsigned char)i);
        benchmark::DoNotOptimize(v.data());
        state.SetIterationTime(timer.Seconds());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTotal);
}
BENCHMARK(VectorPushBackWarm)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

KILN_COMPARE("DecodeAppendByteWarm", "VectorPushBackWarm", 2.0);

std::vector<unsigned char> Piece() {
    std::vector<unsigned char> piece(kPiece);
    for (unsigned i = 0; i < kPiece; ++i) piece[i] = (unsigned char)(i * 7);
    return piece;
}

void DecodeAppendPiece(benchmark::State& state) {
    std::vector<unsigned char> piece = Piece();
    for (auto _ : state) {
        CpuTimer timer;
        CDecode out;
        out.Alloc(0);
        out.InterLock();
        for (unsigned at = 0; at < kTotal; at += kPiece) out.Decode((const void*)piece.data(), kPiece);
        benchmark::DoNotOptimize((void*)out);
        out.InterUnlock();
        state.SetIterationTime(timer.Seconds());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTotal);
}
BENCHMARK(DecodeAppendPiece)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void MemcpyPreallocated(benchmark::State& state) {
    std::vector<unsigned char> piece = Piece();
    for (auto _ : state) {
        CpuTimer timer;
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[kTotal]);
        for (unsigned at = 0; at < kTotal; at += kPiece) std::memcpy(buffer.get() + at, piece.data(), kPiece);
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
        state.SetIterationTime(timer.Seconds());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTotal);
}
BENCHMARK(MemcpyPreallocated)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

KILN_COMPARE("DecodeAppendPiece", "MemcpyPreallocated", 1.25);

void MemcpyWarm(benchmark::State& state) {
    std::vector<unsigned char> piece = Piece();
    std::vector<unsigned char> buffer(kTotal);
    for (auto _ : state) {
        CpuTimer timer;
        for (unsigned at = 0; at < kTotal; at += kPiece)
            std::memcpy(buffer.data() + at, piece.data(), kPiece);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
        state.SetIterationTime(timer.Seconds());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTotal);
}
BENCHMARK(MemcpyWarm)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void DecodeAppendPieceWarm(benchmark::State& state) {
    std::vector<unsigned char> piece = Piece();
    CDecode out;
    out.Alloc(0);
    out.InterLock();
    for (unsigned at = 0; at < kTotal; at += kPiece) out.Decode((const void*)piece.data(), kPiece);
    for (auto _ : state) {
        CpuTimer timer;
        out.Relocate(0);
        for (unsigned at = 0; at < kTotal; at += kPiece) out.Decode((const void*)piece.data(), kPiece);
        benchmark::DoNotOptimize((void*)out);
        state.SetIterationTime(timer.Seconds());
    }
    out.InterUnlock();
    state.SetBytesProcessed((int64_t)state.iterations() * kTotal);
}
BENCHMARK(DecodeAppendPieceWarm)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

KILN_COMPARE("DecodeAppendPieceWarm", "MemcpyWarm", 1.25);

}  // namespace

KILN_BENCHMARK_MAIN()
