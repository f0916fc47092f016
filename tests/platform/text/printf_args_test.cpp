#include "platform/text/printf_args.h"

#include <gtest/gtest.h>

namespace {

CString Fmt(const char* fmt, std::initializer_list<INT_PTR> values) {
    return kiln::FormatArgs(fmt, values.begin(), (int)values.size());
}

TEST(PrintfArgs, EachConversionGetsItsOwnType) {
    EXPECT_STREQ(Fmt("%s=%d", {(INT_PTR) "label", -5}), "label=-5");
    EXPECT_STREQ(Fmt("%u %x %X %o", {-1, 255, 255, 8}), "4294967295 ff FF 10");
    EXPECT_STREQ(Fmt("%ld %lu", {-1, -1}), "-1 4294967295");  // long is 32 bits, as on Windows
    EXPECT_STREQ(Fmt("%lld %I64d", {(INT_PTR)1 << 40, (INT_PTR)1 << 33}), "1099511627776 8589934592");
    EXPECT_STREQ(Fmt("%c%c %hd %.1f", {'o', 'k', 70000, 3}), "ok 4464 3.0");
    EXPECT_STREQ(Fmt("[%-4d][%04d][%+d]", {7, 7, 7}), "[7   ][0007][+7]");
    EXPECT_STREQ(Fmt("[%*d][%.*s][%.3s]", {5, 42, 2, (INT_PTR) "abcdef", (INT_PTR) "abcdef"}),
                 "[   42][ab][abc]");
}

TEST(PrintfArgs, OddInputIsHarmless) {
    EXPECT_STREQ(Fmt("100%% %d", {1}), "100% 1");
    EXPECT_STREQ(Fmt("%s", {0}), "(null)");
    EXPECT_STREQ(Fmt("%d %d", {1}), "1 0");  // missing values read as 0
    EXPECT_STREQ(Fmt("%n%d", {0, 9}), "9");
    EXPECT_STREQ(Fmt("abc%", {}), "abc%");
    EXPECT_STREQ(Fmt("%y", {}), "%y");
    EXPECT_STREQ(kiln::FormatArgs(nullptr, nullptr, 0), "");
    std::string big(10000, 'q');
    EXPECT_EQ(Fmt("%s!", {(INT_PTR)big.c_str()}).GetLength(), 10001);
}

}  // namespace
