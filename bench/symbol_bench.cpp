// CSymbol entering 60,000 distinct labels and looking each up 10 times, against
// std::unordered_map<std::string, int> doing the same with the same labels. The labels are
// identifiers of 4 to 16 letters, digits and underscores, as an assembler source holds them; both
// sides get them with their lengths known (the table through its range forms).
#include <kiln/convert/symbol_table.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "ratio.h"

namespace {

constexpr unsigned int kLabels = 60000;
constexpr int kLookups = 10;

const std::vector<std::string>& Labels() {
    static const std::vector<std::string> labels = [] {
        const char first[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
        const char rest[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789";
        std::unordered_map<std::string, int> seen;
        std::vector<std::string> v;
        unsigned int seed = 7;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 16;
        };
        while (v.size() < kLabels) {
            std::string s(1, first[next() % (sizeof first - 1)]);
            for (unsigned int n = 3 + next() % 13; n != 0; --n) s += rest[next() % (sizeof rest - 1)];
            if (seen.emplace(s, 0).second) v.push_back(s);
        }
        return v;
    }();
    return labels;
}

void SymbolEnterAndFind(benchmark::State& state) {
    const std::vector<std::string>& labels = Labels();
    for (auto _ : state) {
        CSymbolTable table;
        table.InterLock();
        table.EntryPlaceholder();
        for (unsigned int i = 0; i < kLabels; ++i) {
            const char* p = labels[i].data();
            table.Entry(p, p + labels[i].size(), 0, 0, (long)i, nullptr);
        }
        unsigned long sum = 0;
        for (int round = 0; round < kLookups; ++round)
            for (const std::string& s : labels) sum += table.Find(s.data(), s.data() + s.size(), 0);
        benchmark::DoNotOptimize(sum);
        table.InterUnlock();
    }
}
BENCHMARK(SymbolEnterAndFind)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void UnorderedMapEnterAndFind(benchmark::State& state) {
    const std::vector<std::string>& labels = Labels();
    for (auto _ : state) {
        std::unordered_map<std::string, int> map;
        for (unsigned int i = 0; i < kLabels; ++i) map.emplace(labels[i], (int)i);
        unsigned long sum = 0;
        for (int round = 0; round < kLookups; ++round)
            for (const std::string& s : labels) sum += (unsigned long)map.find(s)->second;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(UnorderedMapEnterAndFind)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("SymbolEnterAndFind", "UnorderedMapEnterAndFind", 0);

}  // namespace

KILN_BENCHMARK_MAIN()
