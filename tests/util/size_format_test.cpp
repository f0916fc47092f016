#include <kiln/util/size_format.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr uint64_t KiB(int steps) { return uint64_t{1} << (10 * steps); }

TEST(SizeFormat, ScalesToTheFirstValueBelowTheLimit) {
    unsigned long shift = 99, remainder = 99;
    EXPECT_EQ(1ul, GetSizeValiable(1536, 1000, shift, remainder));
    EXPECT_EQ(10ul, shift);
    EXPECT_EQ(512ul, remainder);
    EXPECT_EQ(999ul, GetSizeValiable(999, 1000, shift, remainder));
    EXPECT_EQ(0ul, shift);
    EXPECT_EQ(0ul, remainder);
    EXPECT_EQ(0ul, GetSizeValiable(0, 1000, shift, remainder));
    EXPECT_EQ(0ul, shift);
}

TEST(SizeFormat, EveryUnitBoundary) {
    unsigned long shift = 0, remainder = 0;
    for (int steps = 0; steps <= 6; ++steps) {
        // 1024^steps is not below 1024 until it has been divided steps times.
        EXPECT_EQ(1ul, GetSizeValiable(KiB(steps), 1024, shift, remainder)) << steps;
        EXPECT_EQ(10ul * steps, shift) << steps;
        EXPECT_EQ(0ul, remainder) << steps;
        if (steps == 0) continue;
        // One byte less stays a unit lower; the remainder keeps only its low 32 bits.
        EXPECT_EQ(1023ul, GetSizeValiable(KiB(steps) - 1, 1024, shift, remainder)) << steps;
        EXPECT_EQ(10ul * (steps - 1), shift) << steps;
        EXPECT_EQ((uint32_t)(KiB(steps - 1) - 1), remainder) << steps;
    }
    EXPECT_EQ(1ul, GetSizeValiable(KiB(4), 1024, shift, remainder));
    EXPECT_EQ(40ul, shift);
}

TEST(SizeFormat, ExtremeSizesAndLimits) {
    unsigned long shift = 0, remainder = 0;
    const uint64_t max = std::numeric_limits<uint64_t>::max();
    EXPECT_EQ(15ul, GetSizeValiable(max, 1024, shift, remainder));
    EXPECT_EQ(60ul, shift);
    EXPECT_EQ(0xFFFFFFFFul, remainder);
    // Limit 1 divides down to 0, beyond 64 bits of shifting.
    EXPECT_EQ(0ul, GetSizeValiable(max, 1, shift, remainder));
    EXPECT_EQ(70ul, shift);
    EXPECT_EQ(0xFFFFFFFFul, remainder);
    // A limit of 0 acts as 1 instead of never ending.
    EXPECT_EQ(0ul, GetSizeValiable(5, 0, shift, remainder));
    EXPECT_EQ(10ul, shift);
    EXPECT_EQ(5ul, remainder);
    // A limit beyond 32 bits acts as 0xFFFFFFFF, so the result always fits 32 bits.
    EXPECT_EQ(8388608ul, GetSizeValiable(KiB(3) * 8, ~0ul, shift, remainder));
    EXPECT_EQ(10ul, shift);
    EXPECT_EQ(0xFFFFFFFEul, GetSizeValiable(0xFFFFFFFE, ~0ul, shift, remainder));
    EXPECT_EQ(0ul, shift);
}

TEST(SizeFormat, DoubleScalingWithMinimumSteps) {
    unsigned long shift = 99;
    EXPECT_EQ(1.5, GetSizeValiableDouble(1536.0, 1000, 0, shift));
    EXPECT_EQ(10ul, shift);
    EXPECT_EQ(0.00146484375, GetSizeValiableDouble(1536.0, 1000, 2, shift));
    EXPECT_EQ(20ul, shift);
    EXPECT_EQ(999.0, GetSizeValiableDouble(999.0, 1000, 0, shift));
    EXPECT_EQ(0ul, shift);
    EXPECT_EQ(1.0, GetSizeValiableDouble(1024.0, 1024, 0, shift));
    EXPECT_EQ(10ul, shift);
    EXPECT_EQ(1023.0, GetSizeValiableDouble(1023.0, 1024, 0, shift));
    EXPECT_EQ(0ul, shift);

    // Many forced steps: the value reaches 0 and the steps still count.
    EXPECT_EQ(0.0, GetSizeValiableDouble(1.0, 1024, 1000, shift));
    EXPECT_EQ(10000ul, shift);

    EXPECT_TRUE(std::isinf(GetSizeValiableDouble(INFINITY, 1024, 0, shift)));
    EXPECT_EQ(0ul, shift);
    EXPECT_TRUE(std::isnan(GetSizeValiableDouble(NAN, 1024, 3, shift)));
    EXPECT_EQ(0ul, shift);
}

TEST(SizeFormat, FormatsTheScaledValueWithItsUnit) {
    EXPECT_EQ(CString("1.5 KB"), FormatSizeValiable(1536, 1000, "%.1f %s", 0, nullptr));
    const char* units[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};
    for (int steps = 0; steps <= 6; ++steps) {
        EXPECT_EQ(CString("1.0 ") + units[steps], FormatSizeValiable(KiB(steps), 1024, "%.1f %s", 0, "XX"))
            << steps;
    }
    EXPECT_EQ(CString("1023 B"), FormatSizeValiable(1023, 1024, "%.0f %s", 0, nullptr));
    EXPECT_EQ(CString("0.015625 ZB"),
              FormatSizeValiable(std::numeric_limits<uint64_t>::max(), 1, "%g %s", 0, nullptr));
    EXPECT_EQ(CString("[0YB]"), FormatSizeValiable(1, 1024, "[%.0f%s]", 8, nullptr));
    EXPECT_EQ(CString("[0]"), FormatSizeValiable(1, 1024, "[%.0f%s]", 9, nullptr));
    EXPECT_EQ(CString(""), FormatSizeValiable(1, 1024, nullptr, 0, nullptr));
}

}  // namespace
