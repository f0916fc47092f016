// Archive insertion and extraction of 32-bit values against std::vector appends and reads of the
// same values, measured in the same run; prints the ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <kiln/platform/archive.h>
#include <kiln/platform/mem_file.h>

namespace {

constexpr DWORD kCount = 1 << 16;

void VectorAppend(benchmark::State& state) {
    std::vector<DWORD> v;
    for (auto _ : state) {
        v.clear();
        for (DWORD i = 0; i < kCount; ++i)
            v.push_back(i);
        benchmark::DoNotOptimize(v.data());
    }
}

void ArchiveStore(benchmark::State& state) {
    for (auto _ : state) {
        CMemFile f;
        CArchive ar(&f, CArchive::store);
        for (DWORD i = 0; i < kCount; ++i)
            ar << i;
        ar.Close();
        benchmark::DoNotOptimize(f.GetLength());
    }
}

std::vector<BYTE> Values() {
    std::vector<BYTE> v(kCount * 4);
    for (DWORD i = 0; i < kCount; ++i)
        memcpy(&v[i * 4], &i, 4);
    return v;
}

void VectorRead(benchmark::State& state) {
    std::vector<BYTE> v = Values();
    for (auto _ : state) {
        DWORD sum = 0;
        for (size_t at = 0; at < v.size(); at += 4) {
            DWORD dw;
            memcpy(&dw, &v[at], 4);
            sum += dw;
        }
        benchmark::DoNotOptimize(sum);
    }
}

void ArchiveLoad(benchmark::State& state) {
    std::vector<BYTE> v = Values();
    for (auto _ : state) {
        CMemFile f(v.data(), (UINT)v.size());
        CArchive ar(&f, CArchive::load);
        DWORD sum = 0;
        for (DWORD i = 0; i < kCount; ++i) {
            DWORD dw;
            ar >> dw;
            sum += dw;
        }
        benchmark::DoNotOptimize(sum);
    }
}

BENCHMARK(VectorAppend);
BENCHMARK(ArchiveStore);
BENCHMARK(VectorRead);
BENCHMARK(ArchiveLoad);

// Keeps the console output and adds each archive benchmark's time as a multiple of its reference.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        Ratio("ArchiveStore", "VectorAppend");
        Ratio("ArchiveLoad", "VectorRead");
    }

private:
    void Ratio(const std::string& name, const std::string& reference) {
        if (m_times.count(name) && m_times.count(reference) && m_times[reference] > 0)
            printf("%s / %s: %.2f\n", name.c_str(), reference.c_str(), m_times[name] / m_times[reference]);
    }
    std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
