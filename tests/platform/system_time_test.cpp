#include <kiln/platform/last_error.h>
#include <kiln/platform/system_time.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <optional>

#include "platform/clock_hook.h"
#include "support/scoped_env.h"

namespace {

using kiln::test::ScopedEnv;

ULONGLONG FileTimeOf(long long unixSeconds, int milliseconds) {
    return (ULONGLONG)(unixSeconds + 11644473600LL) * 10000000ULL + (ULONGLONG)milliseconds * 10000ULL;
}

// 2024-03-05 05:07:09.123 UTC, a Tuesday.
constexpr long long kMarch5 = 1709615229;

class SystemTime : public ::testing::Test {
protected:
    void TearDown() override {
        kiln::SetFixedClock(std::nullopt);
        zone.reset();
        tzset();
    }
    void SetZone(const char* tz) { zone.emplace("TZ", tz); }

    std::optional<ScopedEnv> zone;
};

void ExpectFields(const SYSTEMTIME& st, int year, int month, int day, int dayOfWeek, int hour, int minute,
                  int second, int ms) {
    EXPECT_EQ(st.wYear, year);
    EXPECT_EQ(st.wMonth, month);
    EXPECT_EQ(st.wDay, day);
    EXPECT_EQ(st.wDayOfWeek, dayOfWeek);
    EXPECT_EQ(st.wHour, hour);
    EXPECT_EQ(st.wMinute, minute);
    EXPECT_EQ(st.wSecond, second);
    EXPECT_EQ(st.wMilliseconds, ms);
}

TEST_F(SystemTime, FixedClockAndBiasDriveEveryFunction) {
    SetZone("UTC0");  // the fixed bias, not the host's zone, must decide the local time
    const ULONGLONG now = FileTimeOf(kMarch5, 123);
    kiln::SetFixedClock(kiln::FixedClock{now, -540});

    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    EXPECT_EQ(((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime, now);
    SYSTEMTIME st{};
    GetSystemTime(&st);
    ExpectFields(st, 2024, 3, 5, 2, 5, 7, 9, 123);
    GetLocalTime(&st);
    ExpectFields(st, 2024, 3, 5, 2, 14, 7, 9, 123);

    TIME_ZONE_INFORMATION tzi{};
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(tzi.Bias, -540);
    EXPECT_EQ(tzi.DaylightBias, 0);

    __time64_t stored = 0;
    EXPECT_EQ(_time64(&stored), kMarch5);
    EXPECT_EQ(stored, kMarch5);
    struct tm fields {};
    ASSERT_EQ(_localtime64_s(&fields, &stored), 0);
    EXPECT_EQ(fields.tm_hour, 14);
    EXPECT_EQ(fields.tm_mday, 5);

    // West of UTC the local date falls back a day.
    kiln::SetFixedClock(kiln::FixedClock{now, 360});
    GetLocalTime(&st);
    ExpectFields(st, 2024, 3, 4, 1, 23, 7, 9, 123);

    // Without a bias the host's zone gives the local time of the fixed instant.
    SetZone("JST-9");
    kiln::SetFixedClock(kiln::FixedClock{now, std::nullopt});
    GetLocalTime(&st);
    ExpectFields(st, 2024, 3, 5, 2, 14, 7, 9, 123);
}

TEST_F(SystemTime, ZoneWithoutDaylightSaving) {
    SetZone("JST-9");
    TIME_ZONE_INFORMATION tzi{};
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(tzi.Bias, -540);
    EXPECT_STREQ(tzi.StandardName, "JST");
    EXPECT_EQ(tzi.DaylightBias, 0);
    EXPECT_EQ(tzi.DaylightDate.wMonth, 0);

    SetZone("UTC0");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(tzi.Bias, 0);

    SetLastError(0);
    EXPECT_EQ(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    __time64_t t = 0;
    EXPECT_EQ(_localtime64_s(nullptr, &t), EINVAL);
}

struct Change {
    int month, week, dayOfWeek, hour;
};

void ExpectChange(const SYSTEMTIME& date, Change expected) {
    EXPECT_EQ(date.wYear, 0);
    EXPECT_EQ(date.wMonth, expected.month);
    EXPECT_EQ(date.wDay, expected.week);
    EXPECT_EQ(date.wDayOfWeek, expected.dayOfWeek);
    EXPECT_EQ(date.wHour, expected.hour);
    EXPECT_EQ(date.wMinute, 0);
}

TEST_F(SystemTime, ZonesWithDaylightSaving) {
    const ULONGLONG january = FileTimeOf(1705320000, 0);  // 2024-01-15 12:00 UTC
    const ULONGLONG july = FileTimeOf(1721044800, 0);     // 2024-07-15 12:00 UTC
    TIME_ZONE_INFORMATION tzi{};
    SYSTEMTIME st{};

    SetZone("EST5EDT,M3.2.0,M11.1.0");
    kiln::SetFixedClock(kiln::FixedClock{january, std::nullopt});
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_STANDARD);
    EXPECT_EQ(tzi.Bias, 300);  // the standard bias, whatever the season
    EXPECT_EQ(tzi.StandardBias, 0);
    EXPECT_EQ(tzi.DaylightBias, -60);
    EXPECT_STREQ(tzi.StandardName, "EST");
    EXPECT_STREQ(tzi.DaylightName, "EDT");
    ExpectChange(tzi.DaylightDate, {3, 2, 0, 2});
    ExpectChange(tzi.StandardDate, {11, 1, 0, 2});
    kiln::SetFixedClock(kiln::FixedClock{july, std::nullopt});
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, 300);
    GetLocalTime(&st);
    EXPECT_EQ(st.wHour, 8);

    // The last Sunday is week 5; the change back happens at 03:00 summer time.
    SetZone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, -60);
    ExpectChange(tzi.DaylightDate, {3, 5, 0, 2});
    ExpectChange(tzi.StandardDate, {10, 5, 0, 3});

    // Southern hemisphere: summer time at the start of the year.
    SetZone("AEST-10AEDT,M10.1.0,M4.1.0/3");
    kiln::SetFixedClock(kiln::FixedClock{january, std::nullopt});
    EXPECT_EQ(GetTimeZoneInformation(&tzi), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, -600);
    EXPECT_EQ(tzi.DaylightBias, -60);
    ExpectChange(tzi.DaylightDate, {10, 1, 0, 2});
    ExpectChange(tzi.StandardDate, {4, 1, 0, 3});
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
    long long seconds = (long long)((((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime) / 10000000ULL) -
                        11644473600LL;
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
}

}  // namespace
