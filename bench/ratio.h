// Benchmarks that report their speed as a ratio against a reference measured in the same run.
//
//   KILN_COMPARE("CDecodeAppendByte", "VectorPushBack", 2.0);   // time may be at most 2x
//   KILN_BENCHMARK_MAIN()
//
// After the run each pair prints its time ratio (subject / reference), the speed that means (the
// reference's time / the subject's) and whether the goal was met. Absolute times on a shared machine
// mean little; ratios measured side by side do.
#pragma once

#include <benchmark/benchmark.h>

namespace kiln::bench {

// Registers a comparison; maxTimeRatio <= 0 reports the ratio without a goal.
bool Compare(const char* subject, const char* reference, double maxTimeRatio);
// Runs the registered benchmarks and prints the ratios; returns the process exit code.
int Main(int argc, char** argv);

}  // namespace kiln::bench

#define KILN_BENCH_CONCAT2(a, b) a##b
#define KILN_BENCH_CONCAT(a, b) KILN_BENCH_CONCAT2(a, b)
#define KILN_COMPARE(subject, reference, maxTimeRatio)             \
    static const bool KILN_BENCH_CONCAT(kiln_compare_, __LINE__) = \
        ::kiln::bench::Compare(subject, reference, maxTimeRatio)
#define KILN_BENCHMARK_MAIN() \
    int main(int argc, char** argv) { return ::kiln::bench::Main(argc, argv); }
