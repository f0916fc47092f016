// The pieces behind the processor feature tests, apart so that the order of the checks and the
// fault guard can be tested on their own.
#pragma once

#include <functional>

namespace kiln::detail {

enum class CpuFeature { Mmx, Mmx2, Sse, Sse2 };

// One CPUID feature bit or one probe (an instruction of the set executed under the fault guard).
enum class CpuCheck { MmxBit, MmxProbe, MmxExtBit, MmxExtProbe, SseBit, SseProbe, Sse2Bit, Sse2Probe };

// Whether feature is supported, asking check for the facts in order and stopping at the first that
// fails: bit then probe; for Mmx2 the SSE bit and probe, else the MMX bit, MMX probe, extended-MMX
// probe and extended-MMX bit.
bool FeatureSupported(CpuFeature feature, const std::function<bool(CpuCheck)>& check);

// Runs fn(context) and returns true, or false when it raised the invalid-instruction signal. The
// signal's previous handler is put back afterwards; a fault in another thread meanwhile goes to it.
bool RunGuarded(void (*fn)(void*), void* context);

}  // namespace kiln::detail
