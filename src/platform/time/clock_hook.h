// A fixed clock for tests of time-stamped output: while one is set, the functions of
// kiln/platform/time/system_time.h read it instead of the system's clock (and, when it names a bias,
// instead of the host's time zone).
#pragma once

#include <optional>

#include <kiln/platform/runtime/types.h>

namespace kiln::detail {

struct FixedClock {
    ULONGLONG now;             // 100-nanosecond units since 1601-01-01 UTC
    std::optional<LONG> bias;  // minutes west of UTC, no daylight saving time; none: the host's zone
};

// Sets the fixed clock for the whole process, or with std::nullopt goes back to the system's.
void SetFixedClock(std::optional<FixedClock> clock);

}  // namespace kiln::detail
