// Archive insertion and extraction of 32-bit values against std::vector appends and reads of the
// same values, measured in the same run; prints the ratio.
#include <cstring>
#include <vector>

#include <kiln/platform/files/archive.h>
#include <kiln/platform/files/mem_file.h>

#include "ratio.h"

namespace {

constexpr DWORD kCount = 1 << 16;

void VectorAppend(benchmark::State& state) {
    std::vector<DWORD> v;
    for (auto _ : state) {
        v.clear();
        for (DWORD i = 0; i < kCount; ++i) v.push_back(i);
        benchmark::DoNotOptimize(v.data());
    }
}

void ArchiveStore(benchmark::State& state) {
    for (auto _ : state) {
        CMemFile f;
        CArchive ar(&f, CArchive::store);
        for (DWORD i = 0; i < kCount; ++i) ar << i;
        ar.Close();
        benchmark::DoNotOptimize(f.GetLength());
    }
}

std::vector<BYTE> Values() {
    std::vector<BYTE> v(kCount * 4);
    for (DWORD i = 0; i < kCount; ++i) memcpy(&v[i * 4], &i, 4);
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

KILN_COMPARE("ArchiveStore", "VectorAppend", 0);
KILN_COMPARE("ArchiveLoad", "VectorRead", 0);

}  // namespace

KILN_BENCHMARK_MAIN()
