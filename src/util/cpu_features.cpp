#include <kiln/util/cpu_features.h>

#include <csetjmp>
#include <csignal>
#include <cstdint>
#include <mutex>

#include "util/cpu_checks.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace kiln::detail {
namespace {

// The guard catches only the invalid-instruction signal: the probes touch nothing but registers and
// one stack slot, so that is the one fault an unsupported or disabled instruction set can raise.
std::mutex g_guardMutex;
struct sigaction g_previousAction;
thread_local sigjmp_buf* t_landing = nullptr;

// Hands a signal that is not ours to the handler we replaced.
void Forward(int signal, siginfo_t* info, void* context) {
    const struct sigaction& previous = g_previousAction;
    if ((previous.sa_flags & SA_SIGINFO) != 0) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN) {
        // The faulting instruction runs again on return and ends the process as it would have.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigaction(signal, &fallback, nullptr);
    } else {
        previous.sa_handler(signal);
    }
}

void OnInvalidInstruction(int signal, siginfo_t* info, void* context) {
    if (t_landing != nullptr) siglongjmp(*t_landing, 1);
    Forward(signal, info, context);
}

}  // namespace

bool FeatureSupported(CpuFeature feature, const std::function<bool(CpuCheck)>& check) {
    switch (feature) {
    case CpuFeature::Mmx: return check(CpuCheck::MmxBit) && check(CpuCheck::MmxProbe);
    case CpuFeature::Sse: return check(CpuCheck::SseBit) && check(CpuCheck::SseProbe);
    case CpuFeature::Sse2: return check(CpuCheck::Sse2Bit) && check(CpuCheck::Sse2Probe);
    case CpuFeature::Mmx2:
        return (check(CpuCheck::SseBit) && check(CpuCheck::SseProbe)) ||
               (check(CpuCheck::MmxBit) && check(CpuCheck::MmxProbe) && check(CpuCheck::MmxExtProbe) &&
                check(CpuCheck::MmxExtBit));
    }
    return false;
}

bool RunGuarded(void (*fn)(void*), void* context) {
    std::lock_guard<std::mutex> lock(g_guardMutex);
    struct sigaction action {};
    action.sa_sigaction = OnInvalidInstruction;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGILL, &action, &g_previousAction) != 0) return false;

    sigjmp_buf landing;
    const bool faulted = sigsetjmp(landing, 1) != 0;
    if (!faulted) {
        t_landing = &landing;
        fn(context);
    }
    t_landing = nullptr;
    sigaction(SIGILL, &g_previousAction, nullptr);
    return !faulted;
}

namespace {

#if defined(__x86_64__) || defined(__i386__)

struct CpuidQuery {
    unsigned leaf;
    unsigned eax, ebx, ecx, edx;
};

void RunCpuid(void* context) {
    auto* q = static_cast<CpuidQuery*>(context);
    __cpuid(q->leaf, q->eax, q->ebx, q->ecx, q->edx);
}

// CPUID of leaf into q; false on a processor without the instruction.
bool Cpuid(unsigned leaf, CpuidQuery& q) {
    q = {leaf, 0, 0, 0, 0};
    return RunGuarded(RunCpuid, &q);
}

bool StandardBit(int bit) {
    CpuidQuery q;
    return Cpuid(0, q) && Cpuid(1, q) && ((q.edx >> bit) & 1) != 0;
}

bool ExtendedMmxBit() {
    CpuidQuery q;
    if (!Cpuid(0, q) || !Cpuid(0x80000000u, q) || q.eax < 0x80000001u) return false;
    return Cpuid(0x80000001u, q) && ((q.edx >> 22) & 1) != 0;
}

void ProbeMmx(void*) { __asm__ __volatile__("paddb %%mm1, %%mm0\n\temms" ::: "mm0", "mm1"); }

void ProbeMmxExt(void*) {
    uint64_t slot;
    __asm__ __volatile__(
        "pshufw $0, %%mm1, %%mm0\n\t"
        "pextrw $1, %%mm0, %%eax\n\t"
        "movntq %%mm0, %0\n\t"
        "emms"
        : "=m"(slot)
        :
        : "eax", "mm0", "mm1");
}

void ProbeSse(void*) { __asm__ __volatile__("xorps %%xmm0, %%xmm0" ::: "xmm0"); }

void ProbeSse2(void*) { __asm__ __volatile__("pmulhw %%xmm1, %%xmm0" ::: "xmm0"); }

bool RealCheck(CpuCheck check) {
    switch (check) {
    case CpuCheck::MmxBit: return StandardBit(23);
    case CpuCheck::SseBit: return StandardBit(25);
    case CpuCheck::Sse2Bit: return StandardBit(26);
    case CpuCheck::MmxExtBit: return ExtendedMmxBit();
    case CpuCheck::MmxProbe: return RunGuarded(ProbeMmx, nullptr);
    case CpuCheck::MmxExtProbe: return RunGuarded(ProbeMmxExt, nullptr);
    case CpuCheck::SseProbe: return RunGuarded(ProbeSse, nullptr);
    case CpuCheck::Sse2Probe: return RunGuarded(ProbeSse2, nullptr);
    }
    return false;
}

#else

bool RealCheck(CpuCheck) { return false; }

#endif

// The processor does not change under a running process: each answer is worked out once.
int Supported(CpuFeature feature) { return FeatureSupported(feature, RealCheck) ? 1 : 0; }

}  // namespace
}  // namespace kiln::detail

int MMX_IsSupport() {
    static const int supported = kiln::detail::Supported(kiln::detail::CpuFeature::Mmx);
    return supported;
}

int MMX2_IsSupport() {
    static const int supported = kiln::detail::Supported(kiln::detail::CpuFeature::Mmx2);
    return supported;
}

int SSE_IsSupport() {
    static const int supported = kiln::detail::Supported(kiln::detail::CpuFeature::Sse);
    return supported;
}

int SSE2_IsSupport() {
    static const int supported = kiln::detail::Supported(kiln::detail::CpuFeature::Sse2);
    return supported;
}
