#include <kiln/platform/time/system_time.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include <kiln/platform/runtime/last_error.h>

#include "platform/time/clock_hook.h"
#include "platform/time/file_time.h"
#include "platform/time/time_fields.h"

namespace {

using kiln::detail::UnixSeconds;
constexpr long kSecondsPerDay = 86400;

std::mutex g_fixedMutex;
std::optional<kiln::detail::FixedClock> g_fixed;

// Now as a file time, with the bias that stands in for the host's zone while a fixed clock names one.
struct Now {
    ULONGLONG ticks;
    std::optional<LONG> bias;
};

Now CurrentTime() {
    {
        std::lock_guard<std::mutex> lock(g_fixedMutex);
        if (g_fixed) return {g_fixed->now, g_fixed->bias};
    }
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return {kiln::detail::FileTimeOfUnix(ts.tv_sec, ts.tv_nsec), std::nullopt};
}

std::optional<LONG> FixedBias() {
    std::lock_guard<std::mutex> lock(g_fixedMutex);
    return g_fixed ? g_fixed->bias : std::nullopt;
}

WORD Milliseconds(ULONGLONG ticks) { return (WORD)(ticks / 10000 % 1000); }

// Local fields of a time: the fixed bias when there is one, else the host's zone as TZ says now.
bool LocalFields(long long seconds, std::optional<LONG> bias, tm& fields) {
    if (bias) {
        time_t shifted = (time_t)(seconds - (long long)*bias * 60);
        if (gmtime_r(&shifted, &fields) == nullptr) return false;
        fields.tm_gmtoff = -(long)*bias * 60;
        return true;
    }
    tzset();
    time_t t = (time_t)seconds;
    return localtime_r(&t, &fields) != nullptr;
}

int DaysInMonth(int year, int month0) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month0 == 1 && leap ? 29 : days[month0];
}

bool InDaylight(time_t t) {
    tm fields{};
    return localtime_r(&t, &fields) != nullptr && fields.tm_isdst > 0;
}

// The zone's change at 'at' (the first second of the new offset) in the day-of-week form, read in the
// local time that the change leaves.
SYSTEMTIME ChangeDate(time_t at, long oldOffset) {
    time_t local = at + oldOffset;
    tm f{};
    gmtime_r(&local, &f);
    SYSTEMTIME date{};
    date.wMonth = (WORD)(f.tm_mon + 1);
    date.wDayOfWeek = (WORD)f.tm_wday;
    date.wDay = f.tm_mday + 7 > DaysInMonth(f.tm_year + 1900, f.tm_mon) ? 5 : (WORD)((f.tm_mday - 1) / 7 + 1);
    date.wHour = (WORD)f.tm_hour;
    date.wMinute = (WORD)f.tm_min;
    date.wSecond = (WORD)f.tm_sec;
    return date;
}

// Finds the year's two changes between standard and daylight saving time: a day-by-day walk, then a
// binary search to the second inside the day where the flag turns.
void FindChanges(int tmYear, long standardOffset, long daylightOffset, TIME_ZONE_INFORMATION& tzi) {
    tm first{};
    first.tm_year = tmYear;
    first.tm_mday = 1;
    first.tm_isdst = -1;
    time_t day = mktime(&first);
    bool before = InDaylight(day);
    for (int i = 0; i < 366; ++i, day += kSecondsPerDay) {
        time_t next = day + kSecondsPerDay;
        if (InDaylight(next) == before) continue;
        time_t low = day, high = next;  // flag as before at low, changed at high
        while (high - low > 1) {
            time_t mid = low + (high - low) / 2;
            (InDaylight(mid) == before ? low : high) = mid;
        }
        if (before)
            tzi.StandardDate = ChangeDate(high, daylightOffset);
        else
            tzi.DaylightDate = ChangeDate(high, standardOffset);
        before = !before;
    }
}

void CopyName(CHAR (&target)[32], const char* name) {
    if (name != nullptr) std::strncpy(target, name, sizeof target - 1);
}

}  // namespace

namespace kiln::detail {

ULONGLONG FileTimeNow() { return CurrentTime().ticks; }

void SetFixedClock(std::optional<FixedClock> clock) {
    std::lock_guard<std::mutex> lock(g_fixedMutex);
    g_fixed = clock;
}

}  // namespace kiln::detail

void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
    if (lpSystemTimeAsFileTime == nullptr) return;
    *lpSystemTimeAsFileTime = kiln::detail::ToFileTime(CurrentTime().ticks);
}

void GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    if (lpSystemTime == nullptr) return;
    ULONGLONG ticks = CurrentTime().ticks;
    time_t t = (time_t)UnixSeconds(ticks);
    tm fields{};
    gmtime_r(&t, &fields);
    kiln::detail::FillSystemTime(fields, Milliseconds(ticks), *lpSystemTime);
}

void GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    if (lpSystemTime == nullptr) return;
    Now now = CurrentTime();
    tm fields{};
    LocalFields(UnixSeconds(now.ticks), now.bias, fields);
    kiln::detail::FillSystemTime(fields, Milliseconds(now.ticks), *lpSystemTime);
}

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION tzi) {
    if (tzi == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    std::memset(tzi, 0, sizeof *tzi);
    Now now = CurrentTime();
    if (now.bias) {
        tzi->Bias = *now.bias;
        return TIME_ZONE_ID_UNKNOWN;
    }
    tm current{};
    if (!LocalFields(UnixSeconds(now.ticks), std::nullopt, current)) return TIME_ZONE_ID_UNKNOWN;

    // Mid-January and mid-July of this year: one of them is daylight saving time if the zone has any.
    tm probes[2]{};
    const tm* standard = &current;
    const tm* daylight = nullptr;
    for (int i = 0; i < 2; ++i) {
        tm noon{};
        noon.tm_year = current.tm_year;
        noon.tm_mon = i * 6;
        noon.tm_mday = 15;
        noon.tm_hour = 12;
        noon.tm_isdst = -1;
        time_t t = mktime(&noon);
        if (localtime_r(&t, &probes[i]) == nullptr) continue;
        (probes[i].tm_isdst > 0 ? daylight : standard) = &probes[i];
    }
    tzi->Bias = (LONG)(-standard->tm_gmtoff / 60);
    CopyName(tzi->StandardName, standard->tm_zone);
    if (daylight == nullptr) return TIME_ZONE_ID_UNKNOWN;
    tzi->DaylightBias = (LONG)(-(daylight->tm_gmtoff - standard->tm_gmtoff) / 60);
    CopyName(tzi->DaylightName, daylight->tm_zone);
    FindChanges(current.tm_year, standard->tm_gmtoff, daylight->tm_gmtoff, *tzi);
    return current.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

__time64_t _time64(__time64_t* timer) {
    __time64_t now = UnixSeconds(CurrentTime().ticks);
    if (timer != nullptr) *timer = now;
    return now;
}

errno_t _localtime64_s(struct tm* tm, const __time64_t* time) {
    if (tm == nullptr || time == nullptr) return EINVAL;
    return LocalFields(*time, FixedBias(), *tm) ? 0 : EINVAL;
}
