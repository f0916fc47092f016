#include <kiln/platform/time/time.h>
#include <kiln/platform/files/archive.h>

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <tuple>
#include <string>

#include "support/archive_bytes.h"
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
    std::optional<kiln::test::ScopedEnv> zone{std::in_place, "TZ", "JST-9"};
};

TEST_F(TimeTest, LocalFieldsRoundTripAndFileTimeIsUtcFrom1601) {
    CTime t(2024, 2, 29, 13, 45, 30);
    EXPECT_EQ(t.GetTime(), 1709181930);  // 04:45:30 UTC
    EXPECT_EQ(std::tuple(t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(), t.GetSecond(),
                         t.GetDayOfWeek()),
              std::tuple(2024, 2, 29, 13, 45, 30, 5));
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

    // 2001-09-09 01:46:40 UTC = 1000000000 seconds after 1970; the last tick of that second.
    unsigned long long ticks = (1000000000ULL + 11644473600ULL) * 10000000ULL + 9999999ULL;
    EXPECT_EQ(CTime(FILETIME{(DWORD)ticks, (DWORD)(ticks >> 32)}).GetTime(), 1000000000);
    time_t before = time(nullptr);
    time_t now = CTime::GetCurrentTime().GetTime();
    EXPECT_GE(now, before);
    EXPECT_LE(now, time(nullptr));
}

// A time and a span, stored one after the other.
struct Stamp : CObject {
    explicit Stamp(CTime t = CTime(), CTimeSpan s = CTimeSpan()) : time(t), span(s) {}
    void Serialize(CArchive& ar) override { ar.IsStoring() ? ar << time << span : ar >> time >> span; }
    CTime time;
    CTimeSpan span;
};

// Times and spans are 8 little-endian bytes of seconds in an archive; spans come from differences.
TEST(CTimeSpan, ArithmeticAndArchiveBytes) {
    CTime start((time_t)0x123456789LL);
    CTimeSpan span(1, 2, 3, 4);
    EXPECT_EQ(std::tuple(span.GetTotalSeconds(), span.GetDays(), span.GetHours(), span.GetMinutes(),
                         span.GetSeconds()),
              std::tuple(93784, 1, 2, 3, 4));
    CTime end = start + span;
    EXPECT_EQ(end - start, span);
    EXPECT_EQ((start - end).GetTotalSeconds(), -93784);

    Stamp stored(start, CTimeSpan(-2)), loaded;
    const std::string bytes = kiln::test::StoreBytes(stored);
    EXPECT_EQ(bytes, std::string("\x89\x67\x45\x23\x01\x00\x00\x00\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 16));
    kiln::test::LoadBytes(loaded, bytes);
    EXPECT_EQ(std::tuple(loaded.time, loaded.span), std::tuple(start, CTimeSpan(-2)));
}

}  // namespace
