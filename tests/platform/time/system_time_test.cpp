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

    std::optional<kiln::test::ScopedEnv> zone;
    TIME_ZONE_INFORMATION tzi{};
};

TEST_F(SystemTime, FixedClockAndBiasDriveEveryFunction) {
    SetZone("UTC0");  // the fixed bias, not the host's zone, must decide the local time
    const ULONGLONG now = FileTimeOf(kMarch5, 123);
    kiln::detail::SetFixedClock(kiln::detail::FixedClock{now, -540});
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

    // West of UTC the local date falls back a day.
    kiln::detail::SetFixedClock(kiln::detail::FixedClock{now, 360});
    EXPECT_EQ(Local(), "2024-3-4/1 23:07:09.123");
    // Without a bias the host's zone gives the local time of the fixed instant.
    SetZone("JST-9");
    kiln::detail::SetFixedClock(kiln::detail::FixedClock{now, std::nullopt});
    EXPECT_EQ(Local(), "2024-3-5/2 14:07:09.123");
}

TEST_F(SystemTime, ZoneWithoutDaylightSaving) {
    SetZone("JST-9");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(std::tuple(tzi.Bias, tzi.DaylightBias, tzi.DaylightDate.wMonth), std::tuple(-540, 0, 0));
    EXPECT_STREQ(tzi.StandardName, "JST");
    SetZone("UTC0");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(tzi.Bias, 0);

    EXPECT_LAST_ERROR(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID, ERROR_INVALID_PARAMETER);
    __time64_t t = 0;
    EXPECT_EQ(_localtime64_s(nullptr, &t), EINVAL);
}

TEST_F(SystemTime, ZonesWithDaylightSaving) {
    const ULONGLONG january = FileTimeOf(1705320000, 0);  // 2024-01-15 12:00 UTC
    const ULONGLONG july = FileTimeOf(1721044800, 0);     // 2024-07-15 12:00 UTC

    SetZone("EST5EDT,M3.2.0,M11.1.0");
    kiln::detail::SetFixedClock(kiln::detail::FixedClock{january, std::nullopt});
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_STANDARD);
    // The standard bias, whatever the season; the changes in the local time that is left.
    EXPECT_EQ(std::tuple(tzi.Bias, tzi.StandardBias, tzi.DaylightBias), std::tuple(300, 0, -60));
    EXPECT_STREQ(tzi.StandardName, "EST");
    EXPECT_STREQ(tzi.DaylightName, "EDT");
    EXPECT_EQ(Fields(tzi.DaylightDate), "0-3-2/0 02:00:00.000");
    EXPECT_EQ(Fields(tzi.StandardDate), "0-11-1/0 02:00:00.000");
    kiln::detail::SetFixedClock(kiln::detail::FixedClock{july, std::nullopt});
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, 300);
    EXPECT_EQ(Local(), "2024-7-15/1 08:00:00.000");

    // The last Sunday is week 5; the change back happens at 03:00 summer time.
    SetZone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, -60);
    EXPECT_EQ(Fields(tzi.DaylightDate), "0-3-5/0 02:00:00.000");
    EXPECT_EQ(Fields(tzi.StandardDate), "0-10-5/0 03:00:00.000");

    // Southern hemisphere: summer time at the start of the year.
    SetZone("AEST-10AEDT,M10.1.0,M4.1.0/3");
    kiln::detail::SetFixedClock(kiln::detail::FixedClock{january, std::nullopt});
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(std::tuple(tzi.Bias, tzi.DaylightBias), std::tuple(-600, -60));
    EXPECT_EQ(Fields(tzi.DaylightDate), "0-10-1/0 02:00:00.000");
    EXPECT_EQ(Fields(tzi.StandardDate), "0-4-1/0 03:00:00.000");
}

TEST_F(SystemTime, SystemClockMatchesTheCLibrary) {
    SetZone("JST-9");
    time_t before = time(nullptr);
    SYSTEMTIME utc{}, local{};
    FILETIME ft{};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    GetSystemTimeAsFileTime(&ft);
    time_t after = time(nullptr);

    struct tm fields {};
    fields.tm_year = utc.wYear - 1900;
    fields.tm_mon = utc.wMonth - 1;
    fields.tm_mday = utc.wDay;
    fields.tm_hour = utc.wHour;
    fields.tm_min = utc.wMinute;
    fields.tm_sec = utc.wSecond;
    EXPECT_GE(timegm(&fields), before);
    EXPECT_LE(timegm(&fields), after);
    EXPECT_EQ((local.wHour - utc.wHour + 24) % 24, 9);
    long long seconds = (long long)(Ticks(ft) / 10000000ULL) - 11644473600LL;
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
}

}  // namespace
