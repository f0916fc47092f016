// What the processor, together with the system, can run: each answer needs the feature's CPUID bit
// and a probe that really executes an instruction of the set, so a feature the processor reports but
// the system does not enable counts as missing. The answers are worked out once, on first use, and
// are 0 on a processor that is not an x86.
#pragma once

// 1 when MMX instructions run.
int MMX_IsSupport();
// 1 when the MMX extensions (PSHUFW, PEXTRW, MOVNTQ) run: always so when SSE runs.
int MMX2_IsSupport();
// 1 when SSE instructions run.
int SSE_IsSupport();
// 1 when SSE2 instructions run.
int SSE2_IsSupport();
