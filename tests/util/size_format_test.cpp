#include <kiln/util/size_format.h>

#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

namespace {

constexpr uint64_t KiB(int steps) { return uint64_t{1} << (10 * steps); }

// clang-format off
TEST(SizeFormat, ScalesToTheFirstValueBelowTheLimit) {
    // The remainder keeps its low 32 bits; limit 1 shifts beyond 64 bits; a limit of 0 acts as 1, one
    // beyond 32 bits as 0xFFFFFFFF.
    const struct { uint64_t size; unsigned long limit, value, shift, remainder; } rows[] = {
        {1536, 1000, 1, 10, 512},           {999, 1000, 999, 0, 0},        {0, 1000, 0, 0, 0},
        {UINT64_MAX, 1024, 15, 60, 0xFFFFFFFF}, {UINT64_MAX, 1, 0, 70, 0xFFFFFFFF}, {5, 0, 0, 10, 5},
        {KiB(3) * 8, ~0ul, 8388608, 10, 0}, {0xFFFFFFFE, ~0ul, 0xFFFFFFFE, 0, 0}};
    unsigned long shift = 99, remainder = 99;
    for (const auto& row : rows) {
        EXPECT_EQ(row.value, GetSizeValiable(row.size, row.limit, shift, remainder)) << row.size;
        EXPECT_EQ(row.shift, shift) << row.size;
        EXPECT_EQ(row.remainder, remainder) << row.size;
    }
    // 1024^n is not below 1024 until divided n times; one byte less stays a unit lower.
    for (int steps = 1; steps <= 6; ++steps) {
        EXPECT_EQ(1ul, GetSizeValiable(KiB(steps), 1024, shift, remainder)) << steps;
        EXPECT_EQ(10ul * steps, shift) << steps;
        EXPECT_EQ(0ul, remainder) << steps;
        EXPECT_EQ(1023ul, GetSizeValiable(KiB(steps) - 1, 1024, shift, remainder)) << steps;
        EXPECT_EQ(10ul * (steps - 1), shift) << steps;
        EXPECT_EQ((uint32_t)(KiB(steps - 1) - 1), remainder) << steps;
    }
}

TEST(SizeFormat, DoubleScalingWithMinimumStepsAndFormatting) {
    // Forced steps go on counting once the value has reached 0; a value that is no finite number stays.
    const struct { double size; unsigned long limit; int steps; double out; unsigned long shift; } rows[] = {
        {1536.0, 1000, 0, 1.5, 10},  {1536.0, 1000, 2, 0.00146484375, 20}, {999.0, 1000, 0, 999.0, 0},
        {1024.0, 1024, 0, 1.0, 10},  {1023.0, 1024, 0, 1023.0, 0},          {1.0, 1024, 1000, 0.0, 10000}};
    unsigned long shift = 99;
    for (const auto& row : rows) {
        EXPECT_EQ(row.out, GetSizeValiableDouble(row.size, row.limit, row.steps, shift)) << row.size;
        EXPECT_EQ(row.shift, shift) << row.size;
    }
    EXPECT_TRUE(std::isinf(GetSizeValiableDouble(INFINITY, 1024, 0, shift)));
    EXPECT_EQ(0ul, shift);
    shift = 99;
    EXPECT_TRUE(std::isnan(GetSizeValiableDouble(NAN, 1024, 3, shift)));
    EXPECT_EQ(0ul, shift);

    const char* units[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};
    for (int steps = 0; steps <= 6; ++steps)
        EXPECT_EQ(FormatSizeValiable(KiB(steps), 1024, "%.1f %s", 0, "XX"), CString("1.0 ") + units[steps]);
    EXPECT_EQ(FormatSizeValiable(1536, 1000, "%.1f %s", 0, nullptr), "1.5 KB");
    EXPECT_EQ(FormatSizeValiable(1023, 1024, "%.0f %s", 0, nullptr), "1023 B");
    EXPECT_EQ(FormatSizeValiable(UINT64_MAX, 1, "%g %s", 0, nullptr), "0.015625 ZB");
    EXPECT_EQ(FormatSizeValiable(1, 1024, "[%.0f%s]", 8, nullptr), "[0YB]");
    EXPECT_EQ(FormatSizeValiable(1, 1024, "[%.0f%s]", 9, nullptr), "[0]");  // no unit beyond YB
    EXPECT_EQ(FormatSizeValiable(1, 1024, nullptr, 0, nullptr), "");
}

// clang-format on
}  // namespace
