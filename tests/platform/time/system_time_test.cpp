#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/time/system_time.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <tuple>

#include "platform/time/clock_hook.h"
#include "support/expect_error.h"
#include "support/scoped_env.h"

namespace {

ULONGLONG FileTimeOf(long long unixSeconds, int milliseconds) {
    return (ULONGLONG)(unixSeconds + 11644473600LL) * 10000000ULL + (ULONGLONG)milliseconds * 10000ULL;
}

ULONGLONG Ticks(const FILETIME& ft) { return ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime; }

// "year-month-day/dayOfWeek hour:minute:second.ms"; for a zone change, year 0 and day the week.
std::string Fields(const SYSTEMTIME& st) {
    char text[64];
    snprintf(text, sizeof text, "%d-%d-%d/%d %02d:%02d:%02d.%03d", st.wYear, st.wMonth, st.wDay,
             st.wDayOfWeek, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    return text;
}

std::string Local() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return Fields(st);
}

// 2024-03-05 05:07:09.123 UTC, a Tuesday.
constexpr long long kMarch5 = 1709615229;

class SystemTime : public ::testing::Test {
protected:
    void TearDown() override {
        kiln::detail::SetFixedClock(std::nullopt);
        zone.reset();
        tzset();
    }
    void SetZone(const char* tz) { zone.emplace("TZ", tz); }
    void SetClock(ULONGLONG now, std::optional<LONG> bias) {
        kiln::detail::SetFixedClock(kiln::detail::FixedClock{now, bias});
    }

    std::optional<kiln::test::ScopedEnv> zone;
    TIME_ZONE_INFORMATION tzi{};
};

TEST_F(SystemTime, FixedClockAndBiasDriveEveryFunction) {
    SetZone("UTC0");  // the fixed bias, not the host's zone, must decide the local time
    const ULONGLONG now = FileTimeOf(kMarch5, 123);
    SetClock(now, -540);
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    EXPECT_EQ(Ticks(ft), now);
    SYSTEMTIME st{};
    GetSystemTime(&st);
    EXPECT_EQ(Fields(st), "2024-3-5/2 05:07:09.123");
    EXPECT_EQ(Local(), "2024-3-5/2 14:07:09.123");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(std::tuple(tzi.Bias, tzi.DaylightBias), std::tuple(-540, 0));

    __time64_t stored = 0;
    EXPECT_EQ(_time64(&stored), kMarch5);
    EXPECT_EQ(stored, kMarch5);
    struct tm fields {};
    ASSERT_EQ(_localtime64_s(&fields, &stored), 0);
    EXPECT_EQ(std::tuple(fields.tm_hour, fields.tm_mday), std::tuple(14, 5));
    EXPECT_EQ(_localtime64_s(nullptr, &stored), EINVAL);

    // West of UTC the local date falls back a day.
    SetClock(now, 360);
    EXPECT_EQ(Local(), "2024-3-4/1 23:07:09.123");
    // Without a bias the host's zone gives the local time of the fixed instant.
    SetZone("JST-9");
    SetClock(now, std::nullopt);
    EXPECT_EQ(Local(), "2024-3-5/2 14:07:09.123");
}

TEST_F(SystemTime, ZonesWithAndWithoutDaylightSaving) {
    const ULONGLONG january = FileTimeOf(1705320000, 0);  // 2024-01-15 12:00 UTC
    const ULONGLONG july = FileTimeOf(1721044800, 0);     // 2024-07-15 12:00 UTC
    const char* none = "0-0-0/0 00:00:00.000";
    // Bias is the standard one whatever the season. The last Sunday of a month is week 5; the
    // southern hemisphere has its summer time at the start of the year.
    const struct {
        const char* tz;
        ULONGLONG now;
        DWORD id;
        LONG bias, daylightBias;
        const char *standardName, *daylightDate, *standardDate;
    } zones[] = {
        {"JST-9", july, TIME_ZONE_ID_UNKNOWN, -540, 0, "JST", none, none},
        {"UTC0", july, TIME_ZONE_ID_UNKNOWN, 0, 0, "UTC", none, none},
        {"EST5EDT,M3.2.0,M11.1.0", january, TIME_ZONE_ID_STANDARD, 300, -60, "EST", "0-3-2/0 02:00:00.000",
         "0-11-1/0 02:00:00.000"},
        {"EST5EDT,M3.2.0,M11.1.0", july, TIME_ZONE_ID_DAYLIGHT, 300, -60, "EST", "0-3-2/0 02:00:00.000",
         "0-11-1/0 02:00:00.000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", july, TIME_ZONE_ID_DAYLIGHT, -60, -60, "CET", "0-3-5/0 02:00:00.000",
         "0-10-5/0 03:00:00.000"},
        // 2024-03-24 is the fourth Sunday of March, not the last: the 31st is one more.
        {"XST3XDT,M3.4.0,M10.2.0", july, TIME_ZONE_ID_DAYLIGHT, 180, -60, "XST", "0-3-4/0 02:00:00.000",
         "0-10-2/0 02:00:00.000"},
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", january, TIME_ZONE_ID_DAYLIGHT, -600, -60, "AEST",
         "0-10-1/0 02:00:00.000", "0-4-1/0 03:00:00.000"},
    };
    for (const auto& z : zones) {
        SCOPED_TRACE(z.tz);
        SetZone(z.tz);
        SetClock(z.now, std::nullopt);
        EXPECT_EQ(GetTimeZoneInformation(&tzi), z.id);
        EXPECT_EQ(std::tuple(tzi.Bias, tzi.StandardBias, tzi.DaylightBias),
                  std::tuple(z.bias, 0, z.daylightBias));
        EXPECT_STREQ(tzi.StandardName, z.standardName);
        EXPECT_EQ(Fields(tzi.DaylightDate), z.daylightDate);
        EXPECT_EQ(Fields(tzi.StandardDate), z.standardDate);
    }
    EXPECT_STREQ(tzi.DaylightName, "AEDT");
    EXPECT_EQ(Local(), "2024-1-15/1 23:00:00.000");
    EXPECT_LAST_ERROR(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID, ERROR_INVALID_PARAMETER);
}

TEST_F(SystemTime, SystemClockIsTheCLibrarysClock) {
    time_t before = time(nullptr);
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    // time() reads a coarse clock that may trail the precise one by a tick.
    const long long seconds = (long long)(Ticks(ft) / 10000000ULL) - 11644473600LL;
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, time(nullptr) + 1);
}

}  // namespace
