#include <kiln/util/cpu_features.h>

#include <csignal>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "util/cpu_checks.h"

namespace {

using C = kiln::detail::CpuCheck;
using kiln::detail::CpuFeature;
using Answer = std::pair<bool, std::vector<C>>;

TEST(CpuFeatures, AnswersMatchTheKernelsFlags) {
    std::set<std::string> flags;  // of the first processor; none off x86
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; flags.empty() && std::getline(cpuinfo, line);) {
        std::istringstream words(line.rfind("flags", 0) == 0 ? line.substr(line.find(':') + 1) : "");
        for (std::string flag; words >> flag;) flags.insert(flag);
    }
    EXPECT_EQ(std::tuple(MMX_IsSupport(), SSE_IsSupport(), SSE2_IsSupport(), MMX2_IsSupport()),
              std::tuple((int)flags.count("mmx"), (int)flags.count("sse"), (int)flags.count("sse2"),
                         flags.count("sse") || flags.count("mmxext") ? 1 : 0));
}

// The answer of a processor that passes only the checks `passing`, and the checks it was asked, in order.
Answer Ask(CpuFeature feature, const std::set<C>& passing) {
    Answer answer;
    answer.first = kiln::detail::FeatureSupported(feature, [&](C c) {
        answer.second.push_back(c);
        return passing.count(c) != 0;
    });
    return answer;
}

TEST(CpuFeatures, EachFeatureNeedsItsBitAndThenItsProbe) {
    // A probe that faults says no; without the bit no probe is run.
    const std::set<C> mmx{C::MmxBit, C::MmxProbe, C::Sse2Bit};
    EXPECT_EQ(Answer(true, {C::MmxBit, C::MmxProbe}), Ask(CpuFeature::Mmx, mmx));
    EXPECT_EQ(Answer(false, {C::Sse2Bit, C::Sse2Probe}), Ask(CpuFeature::Sse2, mmx));
    EXPECT_EQ(Answer(false, {C::SseBit}), Ask(CpuFeature::Sse, mmx));

    // Extended MMX: SSE suffices, even without the extended CPUID leaf; SSE reported but not enabled
    // leaves it to the MMX branch, its extended bit last; a faulting extended probe stops before the bit.
    EXPECT_EQ(Answer(true, {C::SseBit, C::SseProbe}), Ask(CpuFeature::Mmx2, {C::SseBit, C::SseProbe}));
    const std::vector<C> all{C::SseBit, C::SseProbe, C::MmxBit, C::MmxProbe, C::MmxExtProbe, C::MmxExtBit};
    std::set<C> disabled{C::SseBit, C::MmxBit, C::MmxProbe, C::MmxExtProbe, C::MmxExtBit};
    EXPECT_FALSE(Ask(CpuFeature::Sse, disabled).first);
    EXPECT_EQ(Answer(true, all), Ask(CpuFeature::Mmx2, disabled));
    disabled.erase(C::MmxExtBit);
    EXPECT_EQ(Answer(false, all), Ask(CpuFeature::Mmx2, disabled));
    EXPECT_EQ(Answer(false, {C::SseBit, C::MmxBit, C::MmxProbe, C::MmxExtProbe}),
              Ask(CpuFeature::Mmx2, {C::MmxBit, C::MmxProbe, C::MmxExtBit}));
}

#if defined(__x86_64__) || defined(__i386__)

void InvalidInstruction(void*) { __asm__ __volatile__("ud2"); }
void Count(void* counter) { ++*static_cast<int*>(counter); }
int g_ownHandlerCalls = 0;

TEST(CpuFeatures, GuardTurnsAnInvalidInstructionIntoFalseInEveryThread) {
    struct sigaction own = {}, saved = {}, now = {};
    own.sa_handler = [](int) { ++g_ownHandlerCalls; };
    ASSERT_EQ(0, sigaction(SIGILL, &own, &saved));
    int counter = 0;
    EXPECT_TRUE(kiln::detail::RunGuarded(Count, &counter));
    EXPECT_FALSE(kiln::detail::RunGuarded(InvalidInstruction, nullptr));
    EXPECT_FALSE(kiln::detail::RunGuarded(InvalidInstruction, nullptr));
    EXPECT_TRUE(kiln::detail::RunGuarded(Count, &counter));
    EXPECT_EQ(2, counter);
    // The handler from before is back.
    ASSERT_EQ(0, sigaction(SIGILL, nullptr, &now));
    EXPECT_EQ(own.sa_handler, now.sa_handler);
    raise(SIGILL);
    EXPECT_EQ(1, g_ownHandlerCalls);
    sigaction(SIGILL, &saved, nullptr);

    std::vector<int> faults(4, 0);
    std::vector<std::thread> threads;
    for (int& count : faults)
        threads.emplace_back([&count] {
            for (int i = 0; i < 50; ++i)
                count += kiln::detail::RunGuarded(InvalidInstruction, nullptr) ? 0 : 1;
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(std::vector<int>(4, 50), faults);
}

#endif

}  // namespace
