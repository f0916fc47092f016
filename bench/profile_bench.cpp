// CProfile::ReadProfileInt of the last of 100 integer entries ("key00=#100;...;key99=#199"), against
// std::string::find of the same key text with its "=" in the same line. The profile is a linear scan
// by design; the plain search is the floor for any scan of that line.
#include <kiln/settings/profile.h>

#include <cstdio>
#include <string>

#include "ratio.h"

namespace {

std::string Line() {
    std::string line;
    char entry[32];
    for (int i = 0; i < 100; ++i) {
        std::snprintf(entry, sizeof entry, "%skey%02d=#%d", i == 0 ? "" : ";", i, 100 + i);
        line += entry;
    }
    return line;
}

void ProfileReadLastInt(benchmark::State& state) {
    const CProfile profile(Line().c_str());
    for (auto _ : state) {
        int n = profile.ReadProfileInt("key99", 0);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(ProfileReadLastInt)->Repetitions(3)->ReportAggregatesOnly(true);

void StringFindLastKey(benchmark::State& state) {
    const std::string line = Line();
    const std::string key = "key99=";
    for (auto _ : state) {
        size_t at = line.find(key);
        benchmark::DoNotOptimize(at);
    }
}
BENCHMARK(StringFindLastKey)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("ProfileReadLastInt", "StringFindLastKey", 4.0);

}  // namespace

KILN_BENCHMARK_MAIN()
