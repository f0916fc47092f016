#include "ratio.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace kiln::bench {

namespace {

struct Pair {
    std::string subject;
    std::string reference;
    double maxTimeRatio;
};

std::vector<Pair>& Pairs() {
    static std::vector<Pair> pairs;
    return pairs;
}

// Keeps the real time per iteration of every run (the median when repetitions are asked for: a
// repetition slowed by the rest of a shared machine moves it least).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            bool aggregate = run.run_type == Run::RT_Aggregate;
            if (aggregate && run.aggregate_name != "median") continue;
            std::string name = run.run_name.function_name;
            if (!aggregate && m_times.count(name) && m_fromMedian.count(name)) continue;
            m_times[name] = run.GetAdjustedRealTime();
            if (aggregate) m_fromMedian[name] = true;
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const Pair& p : Pairs()) {
            auto s = m_times.find(p.subject), r = m_times.find(p.reference);
            if (s == m_times.end() || r == m_times.end() || s->second <= 0) continue;
            double ratio = s->second / r->second;
            std::printf("RATIO %s / %s: time x%.3f, speed %.3f of the reference", p.subject.c_str(),
                        p.reference.c_str(), ratio, 1.0 / ratio);
            if (p.maxTimeRatio > 0)
                std::printf(" (goal: time at most x%.2f: %s)", p.maxTimeRatio,
                            ratio <= p.maxTimeRatio ? "met" : "MISSED");
            std::printf("\n");
        }
        std::fflush(stdout);
    }

private:
    std::map<std::string, double> m_times;
    std::map<std::string, bool> m_fromMedian;
};

}  // namespace

bool Compare(const char* subject, const char* reference, double maxTimeRatio) {
    Pairs().push_back({subject, reference, maxTimeRatio});
    return true;
}

int Main(int argc, char** argv) {
    // Repetitions of the subject and its reference take turns in random order, so that a change in
    // the machine's load falls on both rather than on one of them.
    std::vector<char*> args(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    bool chosen = false;
    for (char* arg : args) chosen |= std::string(arg).rfind("--benchmark_enable_random_interleaving", 0) == 0;
    if (!chosen) args.insert(args.begin() + 1, interleave);
    argc = (int)args.size();
    args.push_back(nullptr);
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace kiln::bench
