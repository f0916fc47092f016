// FILETIME counts and the library's one clock.
//
// A FILETIME counts 100-nanosecond steps from 1601-01-01 UTC; 11644473600 seconds lie between 1601
// and 1970, the epoch of the host's clock. Every reading of the current time goes through
// FileTimeNow, so a test clock set with SetFixedClock (clock_hook.h) reaches all of them.
#pragma once

#include <kiln/platform/runtime/types.h>

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln::detail {

constexpr long long kFileTimeTicksPerSecond = 10000000;
constexpr long long kSecondsFrom1601To1970 = 11644473600LL;

inline ULONGLONG FileTimeTicks(const FILETIME& ft) {
    return ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
}

inline FILETIME ToFileTime(ULONGLONG ticks) { return FILETIME{(DWORD)ticks, (DWORD)(ticks >> 32)}; }

// Whole seconds since 1970 of a count (rounded down).
inline long long UnixSeconds(ULONGLONG ticks) {
    return (long long)(ticks / kFileTimeTicksPerSecond) - kSecondsFrom1601To1970;
}

inline ULONGLONG FileTimeOfUnix(long long seconds, long nanoseconds) {
    return (ULONGLONG)(seconds + kSecondsFrom1601To1970) * kFileTimeTicksPerSecond +
           (ULONGLONG)nanoseconds / 100;
}

// Now: the test clock while one is set, else the system's clock.
ULONGLONG FileTimeNow();

}  // namespace kiln::detail

#pragma GCC visibility pop
