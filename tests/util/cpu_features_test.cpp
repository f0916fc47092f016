#include <kiln/util/cpu_features.h>

#include <csignal>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "util/cpu_checks.h"

namespace {

using kiln::CpuCheck;
using kiln::CpuFeature;

#if defined(__x86_64__) || defined(__i386__)
constexpr bool kX86 = true;
#else
constexpr bool kX86 = false;
#endif

// The feature flags the kernel reports for the first processor.
std::set<std::string> CpuinfoFlags() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("flags", 0) != 0) continue;
        std::istringstream words(line.substr(line.find(':') + 1));
        std::set<std::string> flags;
        for (std::string flag; words >> flag;) flags.insert(flag);
        return flags;
    }
    return {};
}

TEST(CpuFeatures, AnswersMatchTheKernelsFlags) {
    if (!kX86) {
        EXPECT_EQ(0, MMX_IsSupport());
        EXPECT_EQ(0, MMX2_IsSupport());
        EXPECT_EQ(0, SSE_IsSupport());
        EXPECT_EQ(0, SSE2_IsSupport());
        return;
    }
    const std::set<std::string> flags = CpuinfoFlags();
    ASSERT_FALSE(flags.empty());
    EXPECT_EQ(flags.count("mmx"), (size_t)MMX_IsSupport());
    EXPECT_EQ(flags.count("sse"), (size_t)SSE_IsSupport());
    EXPECT_EQ(flags.count("sse2"), (size_t)SSE2_IsSupport());
    EXPECT_EQ(flags.count("sse") || flags.count("mmxext") ? 1 : 0, MMX2_IsSupport());
#if defined(__x86_64__)
    // Every x86-64 processor has all four.
    EXPECT_EQ(1, MMX_IsSupport());
    EXPECT_EQ(1, MMX2_IsSupport());
    EXPECT_EQ(1, SSE_IsSupport());
    EXPECT_EQ(1, SSE2_IsSupport());
#endif
}

// A processor described by the checks that pass; records the checks asked for, in order.
struct FakeProcessor {
    explicit FakeProcessor(std::set<CpuCheck> checks) : passing(std::move(checks)) {}

    std::set<CpuCheck> passing;
    std::vector<CpuCheck> asked;

    bool Supports(CpuFeature feature) {
        asked.clear();
        return kiln::FeatureSupported(feature, [this](CpuCheck c) {
            asked.push_back(c);
            return passing.count(c) != 0;
        });
    }
};

TEST(CpuFeatures, EachFeatureNeedsItsBitAndThenItsProbe) {
    FakeProcessor cpu{{CpuCheck::MmxBit, CpuCheck::MmxProbe, CpuCheck::Sse2Bit}};
    EXPECT_TRUE(cpu.Supports(CpuFeature::Mmx));
    EXPECT_EQ((std::vector{CpuCheck::MmxBit, CpuCheck::MmxProbe}), cpu.asked);

    // The SSE2 bit is set but its probe faults.
    EXPECT_FALSE(cpu.Supports(CpuFeature::Sse2));
    EXPECT_EQ((std::vector{CpuCheck::Sse2Bit, CpuCheck::Sse2Probe}), cpu.asked);

    // Without the bit the probe is never run.
    EXPECT_FALSE(cpu.Supports(CpuFeature::Sse));
    EXPECT_EQ((std::vector{CpuCheck::SseBit}), cpu.asked);
}

TEST(CpuFeatures, ExtendedMmxFollowsSseOrElseTheMmxBranch) {
    // SSE suffices, even without the extended CPUID leaf.
    FakeProcessor sse{{CpuCheck::SseBit, CpuCheck::SseProbe}};
    EXPECT_TRUE(sse.Supports(CpuFeature::Mmx2));
    EXPECT_EQ((std::vector{CpuCheck::SseBit, CpuCheck::SseProbe}), sse.asked);

    // SSE reported but not enabled: the MMX branch decides, its extended bit last.
    const std::vector<CpuCheck> all{CpuCheck::SseBit,   CpuCheck::SseProbe,    CpuCheck::MmxBit,
                                    CpuCheck::MmxProbe, CpuCheck::MmxExtProbe, CpuCheck::MmxExtBit};
    FakeProcessor disabled{
        {CpuCheck::SseBit, CpuCheck::MmxBit, CpuCheck::MmxProbe, CpuCheck::MmxExtProbe, CpuCheck::MmxExtBit}};
    EXPECT_FALSE(disabled.Supports(CpuFeature::Sse));
    EXPECT_TRUE(disabled.Supports(CpuFeature::Mmx2));
    EXPECT_EQ(all, disabled.asked);
    disabled.passing.erase(CpuCheck::MmxExtBit);
    EXPECT_FALSE(disabled.Supports(CpuFeature::Mmx2));
    EXPECT_EQ(all, disabled.asked);

    // An extended-MMX probe that faults stops before the bit is read.
    FakeProcessor plainMmx{{CpuCheck::MmxBit, CpuCheck::MmxProbe, CpuCheck::MmxExtBit}};
    EXPECT_FALSE(plainMmx.Supports(CpuFeature::Mmx2));
    EXPECT_EQ((std::vector{CpuCheck::SseBit, CpuCheck::MmxBit, CpuCheck::MmxProbe, CpuCheck::MmxExtProbe}),
              plainMmx.asked);
}

#if defined(__x86_64__) || defined(__i386__)

void InvalidInstruction(void*) { __asm__ __volatile__("ud2"); }
void Count(void* counter) { ++*static_cast<int*>(counter); }

int g_ownHandlerCalls = 0;
void OwnHandler(int) { ++g_ownHandlerCalls; }

TEST(CpuFeatures, GuardTurnsAnInvalidInstructionIntoFalse) {
    int counter = 0;
    EXPECT_TRUE(kiln::RunGuarded(Count, &counter));
    EXPECT_EQ(1, counter);
    EXPECT_FALSE(kiln::RunGuarded(InvalidInstruction, nullptr));
    EXPECT_FALSE(kiln::RunGuarded(InvalidInstruction, nullptr));
    EXPECT_TRUE(kiln::RunGuarded(Count, &counter));
    EXPECT_EQ(2, counter);
}

TEST(CpuFeatures, GuardPutsThePreviousHandlerBack) {
    struct sigaction own = {}, saved = {}, now = {};
    own.sa_handler = OwnHandler;
    sigemptyset(&own.sa_mask);
    ASSERT_EQ(0, sigaction(SIGILL, &own, &saved));

    EXPECT_FALSE(kiln::RunGuarded(InvalidInstruction, nullptr));
    ASSERT_EQ(0, sigaction(SIGILL, nullptr, &now));
    EXPECT_EQ(reinterpret_cast<void*>(&OwnHandler), reinterpret_cast<void*>(now.sa_handler));
    g_ownHandlerCalls = 0;
    raise(SIGILL);
    EXPECT_EQ(1, g_ownHandlerCalls);

    sigaction(SIGILL, &saved, nullptr);
}

TEST(CpuFeatures, GuardServesSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<int> faults(4, 0);
    for (int& count : faults)
        threads.emplace_back([&count] {
            for (int i = 0; i < 50; ++i) count += kiln::RunGuarded(InvalidInstruction, nullptr) ? 0 : 1;
        });
    for (auto& t : threads) t.join();
    for (int count : faults) EXPECT_EQ(50, count);
}

#endif

}  // namespace
