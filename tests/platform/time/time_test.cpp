#include <kiln/platform/time/time.h>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <tuple>

#include "support/scoped_env.h"

namespace {

// Local time is Japan's (UTC+9, no daylight saving) for these tests.
class TimeTest : public ::testing::Test {
protected:
    void SetUp() override { tzset(); }
    void TearDown() override {
        zone.reset();
        tzset();
    }
    std::unique_ptr<kiln::test::ScopedEnv> zone = std::make_unique<kiln::test::ScopedEnv>("TZ", "JST-9");
};

TEST_F(TimeTest, LocalFieldsRoundTrip) {
    CTime t(2024, 2, 29, 13, 45, 30);
    EXPECT_EQ(t.GetTime(), 1709181930);  // 04:45:30 UTC
    EXPECT_EQ(std::tuple(t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(), t.GetSecond()),
              std::tuple(2024, 2, 29, 13, 45, 30));
    EXPECT_EQ(t.GetDayOfWeek(), 5);  // Thursday
    EXPECT_EQ(t.Format("%Y/%m/%d %H:%M:%S"), "2024/02/29 13:45:30");
    EXPECT_EQ(t.FormatGmt("%H:%M"), "04:45");
    EXPECT_EQ(t.Format(""), "");
    EXPECT_EQ(t.Format("%Y年"), "2024年");  // code page 932 text passes through

    SYSTEMTIME st{};
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(std::tuple(st.wYear, st.wDayOfWeek), std::tuple(2024, 4));
    EXPECT_EQ(CTime(st), t);
    EXPECT_EQ(CTime(2024, 13, 1, 0, 0, 0).GetTime(), -1);
    EXPECT_EQ(CTime(2024, 1, 1, 24, 0, 0).GetTime(), -1);
    st.wYear = 1899;
    EXPECT_EQ(CTime(st).GetTime(), 0);
}

TEST_F(TimeTest, FileTimeIsUtcFrom1601) {
    // 2001-09-09 01:46:40 UTC = 1000000000 seconds after 1970.
    unsigned long long ticks = (1000000000ULL + 11644473600ULL) * 10000000ULL + 9999999ULL;
    EXPECT_EQ(CTime(FILETIME{(DWORD)ticks, (DWORD)(ticks >> 32)}).GetTime(), 1000000000);
    time_t before = time(nullptr);
    time_t now = CTime::GetCurrentTime().GetTime();
    EXPECT_GE(now, before);
    EXPECT_LE(now, time(nullptr));
}

}  // namespace
