// Label lookups in CSymbol against std::unordered_map<std::string, unsigned>, per label, in tables of
// 1,000 to 60,000 labels: the cost should stay flat as the table fills. Two kinds of labels:
// identifiers of 4 to 16 letters, digits and underscores, as an assembler source holds them, and
// labels that all share one 12-bit hash (n + seven digits summing to 31), the worst case for the
// table's chains. Both sides get the keys with their lengths known (the table through its range
// forms) and look them up in a shuffled order. A last pair enters 60,000 identifiers and looks each
// up 10 times, building included.
#include <kiln/convert/symbol_table.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ratio.h"

namespace {

constexpr unsigned int kMaxLabels = 60000;
constexpr unsigned int kSizes[] = {1000, 8000, 60000};

std::vector<std::string> Identifiers() {
    const char first[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
    const char rest[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789";
    std::unordered_set<std::string> seen;
    std::vector<std::string> v;
    std::mt19937 rng(7);
    auto pick = [&rng](size_t n) { return (size_t)(rng() % n); };
    while (v.size() < kMaxLabels) {
        std::string s(1, first[pick(sizeof first - 1)]);
        for (size_t n = 3 + pick(13); n != 0; --n) s += rest[pick(sizeof rest - 1)];
        if (seen.insert(s).second) v.push_back(s);
    }
    return v;
}

std::vector<std::string> OneHash() {
    std::vector<std::string> v;
    for (unsigned int i = 0; v.size() < kMaxLabels; ++i) {
        std::string digits = std::to_string(10000000 + i).substr(1);
        int sum = 0;
        for (char c : digits) sum += c - '0';
        if (sum == 31) v.push_back("n" + digits);
    }
    std::shuffle(v.begin(), v.end(), std::mt19937(11));
    return v;
}

const std::vector<std::string>& Labels(bool oneHash) {
    static const std::vector<std::string> identifiers = Identifiers(), oneHashLabels = OneHash();
    return oneHash ? oneHashLabels : identifiers;
}

// The first n labels of a kind, and the order in which they are looked up.
struct Keys {
    std::vector<std::string> labels;
    std::vector<unsigned int> order;
};

Keys MakeKeys(bool oneHash, unsigned int n) {
    Keys keys;
    keys.labels.assign(Labels(oneHash).begin(), Labels(oneHash).begin() + n);
    for (unsigned int i = 0; i < n; ++i) keys.order.push_back(i);
    std::shuffle(keys.order.begin(), keys.order.end(), std::mt19937(n));
    return keys;
}

void SymbolFind(benchmark::State& state, bool oneHash, unsigned int n) {
    Keys keys = MakeKeys(oneHash, n);
    auto table = std::make_unique<CSymbolTable>();
    table->InterLock();
    table->EntryPlaceholder();
    for (unsigned int i = 0; i < n; ++i) {
        const std::string& s = keys.labels[i];
        table->Entry(s.data(), s.data() + s.size(), 0, 0, (long)i, nullptr);
    }
    for (auto _ : state) {
        unsigned long sum = 0;
        for (unsigned int i : keys.order) {
            const std::string& s = keys.labels[i];
            sum += table->Find(s.data(), s.data() + s.size(), 0);
        }
        benchmark::DoNotOptimize(sum);
    }
    if (table->Find(keys.labels[n - 1].c_str(), 0) != n) state.SkipWithError("a label was not found");
    table->InterUnlock();
    state.SetItemsProcessed((int64_t)state.iterations() * n);
}

void UnorderedMapFind(benchmark::State& state, bool oneHash, unsigned int n) {
    Keys keys = MakeKeys(oneHash, n);
    std::unordered_map<std::string, unsigned> map;
    for (unsigned int i = 0; i < n; ++i) map.emplace(keys.labels[i], i + 1);
    for (auto _ : state) {
        unsigned long sum = 0;
        for (unsigned int i : keys.order) sum += map.find(keys.labels[i])->second;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed((int64_t)state.iterations() * n);
}

const bool kRegistered = [] {
    for (bool oneHash : {false, true}) {
        for (unsigned int n : kSizes) {
            std::string suffix = std::string(oneHash ? "OneHash/" : "Identifiers/") + std::to_string(n);
            std::string subject = "SymbolFind/" + suffix, reference = "UnorderedMapFind/" + suffix;
            benchmark::RegisterBenchmark(subject.c_str(), SymbolFind, oneHash, n)
                ->Repetitions(3)
                ->ReportAggregatesOnly(true);
            benchmark::RegisterBenchmark(reference.c_str(), UnorderedMapFind, oneHash, n)
                ->Repetitions(3)
                ->ReportAggregatesOnly(true);
            kiln::bench::Compare(subject.c_str(), reference.c_str(), 1.5);
        }
    }
    return true;
}();

void SymbolEnterAndFind(benchmark::State& state) {
    const std::vector<std::string>& labels = Labels(false);
    for (auto _ : state) {
        CSymbolTable table;
        table.InterLock();
        table.EntryPlaceholder();
        for (unsigned int i = 0; i < kMaxLabels; ++i) {
            const char* p = labels[i].data();
            table.Entry(p, p + labels[i].size(), 0, 0, (long)i, nullptr);
        }
        unsigned long sum = 0;
        for (int round = 0; round < 10; ++round)
            for (const std::string& s : labels) sum += table.Find(s.data(), s.data() + s.size(), 0);
        benchmark::DoNotOptimize(sum);
        table.InterUnlock();
    }
}
BENCHMARK(SymbolEnterAndFind)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void UnorderedMapEnterAndFind(benchmark::State& state) {
    const std::vector<std::string>& labels = Labels(false);
    for (auto _ : state) {
        std::unordered_map<std::string, unsigned> map;
        for (unsigned int i = 0; i < kMaxLabels; ++i) map.emplace(labels[i], i);
        unsigned long sum = 0;
        for (int round = 0; round < 10; ++round)
            for (const std::string& s : labels) sum += map.find(s)->second;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(UnorderedMapEnterAndFind)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

KILN_COMPARE("SymbolEnterAndFind", "UnorderedMapEnterAndFind", 0);

}  // namespace

KILN_BENCHMARK_MAIN()
