// Lookups in a 64-pair table of the kind callers keep (message or command numbers to resources):
// CMapUIntToUInt::GetAt against std::find_if over the same pairs as std::pair, each key once.
#include <kiln/util/map_uint.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ratio.h"

namespace {

constexpr unsigned kPairs = 64;

std::vector<unsigned int> Table() {
    std::vector<unsigned int> table;
    for (unsigned k = 0; k < kPairs; ++k) {
        table.push_back(1000 + 7 * k);
        table.push_back(k);
    }
    return table;
}

void MapUIntGetAt(benchmark::State& state) {
    const std::vector<unsigned int> table = Table();
    const CMapUIntToUInt map(table.data(), kPairs);
    for (auto _ : state) {
        unsigned int sum = 0;
        for (unsigned k = 0; k <= kPairs; ++k) {
            unsigned int value = 0;
            map.GetAt(1000 + 7 * k, value);
            sum += value;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(MapUIntGetAt)->Repetitions(3)->ReportAggregatesOnly(true);

void PairFindIf(benchmark::State& state) {
    const std::vector<unsigned int> flat = Table();
    std::vector<std::pair<unsigned int, unsigned int>> pairs;
    for (size_t i = 0; i < flat.size(); i += 2) pairs.emplace_back(flat[i], flat[i + 1]);
    for (auto _ : state) {
        unsigned int sum = 0;
        for (unsigned k = 0; k <= kPairs; ++k) {
            const unsigned int key = 1000 + 7 * k;
            auto it =
                std::find_if(pairs.begin(), pairs.end(), [key](const auto& p) { return p.first == key; });
            if (it != pairs.end()) sum += it->second;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(PairFindIf)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("MapUIntGetAt", "PairFindIf", 1.5);

}  // namespace

KILN_BENCHMARK_MAIN()
