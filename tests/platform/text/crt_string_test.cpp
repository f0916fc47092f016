#include <kiln/platform/text/tchar.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

TEST(CrtString, NumbersToTextAsWindowsWritesThem) {
    char b[72];
    struct Row {
        std::string got;
        std::string expected;
    } rows[] = {
        {_itoa(-255, b, 10), "-255"},
        {_itoa(-1, b, 16), "ffffffff"},  // signed in base 10 only
        {_ltoa(-5, b, 10), "-5"},
        {_ultoa(4294967295u, b, 10), "4294967295"},
        {_ultoa(35, b, 36), "z"},
        {_i64toa(-(1LL << 40), b, 10), "-1099511627776"},
        {_ui64toa(~0ULL, b, 2), std::string(64, '1')},
        {_itoa(0, b, 8), "0"},
        {_itoa(INT_MIN, b, 10), "-2147483648"},
    };
    for (const Row& r : rows) EXPECT_EQ(r.got, r.expected);
}

TEST(CrtString, ComparisonsAndCopies) {
    EXPECT_EQ(_stricmp("ABC", "abc"), 0);
    EXPECT_LT(_stricmp("abc", "ABD"), 0);
    EXPECT_GT(_stricmp("abc_", "ABC"), 0);
    EXPECT_EQ(_strnicmp("abcX", "ABCy", 3), 0);
    EXPECT_EQ(lstrcmpi("Kiln", "KILN"), 0);
    EXPECT_EQ(lstrcmp("a", "b"), -1);
    EXPECT_EQ(lstrlen(nullptr), 0);
    EXPECT_EQ(lstrcpy(nullptr, "x"), nullptr);
    char b[8];
    lstrcpyn(b, "abcdefghij", 4);
    EXPECT_STREQ(b, "abc");
    lstrcat(b, _T("de"));
    EXPECT_STREQ(b, "abcde");
    TCHAR up[] = _T("Ab1z");
    EXPECT_STREQ(_tcsupr(up), "AB1Z");
    EXPECT_TRUE(_istdigit('7') && !_istdigit(0xB1) && _istspace('\t') && !_istalpha(0xC1));
    EXPECT_EQ(_totlower('Q'), (unsigned)'q');
}

TEST(CrtString, LongConversionsAre32Bits) {
    errno = 0;
    EXPECT_EQ(_tcstol("-2147483648", nullptr, 10), INT32_MIN);
    EXPECT_EQ(errno, 0);
    EXPECT_EQ(_tcstol("4294967295", nullptr, 10), INT32_MAX);
    EXPECT_EQ(errno, ERANGE);
    errno = 0;
    EXPECT_EQ(_tcstoul("-1", nullptr, 10), 4294967295u);
    EXPECT_EQ(_tcstoul("0x1FFFFFFFF", nullptr, 16), 4294967295u);
    EXPECT_EQ(errno, ERANGE);
}

// _snprintf adds the NUL only when it fits and says -1 when the text was cut; wsprintf stops at 1024.
TEST(CrtString, BoundedFormatters) {
    char b[8];
    std::memset(b, '#', sizeof b);
    EXPECT_EQ(_snprintf(b, 4, "%I64d", 12LL), 2);
    EXPECT_STREQ(b, "12");
    std::memset(b, '#', sizeof b);
    EXPECT_EQ(_snprintf(b, 4, "%s", "abcd"), 4);
    EXPECT_EQ(std::string(b, 5), "abcd#");
    EXPECT_EQ(_snprintf(b, 4, "%s", "abcde"), -1);
    EXPECT_EQ(_stprintf(b, _T("%ld|%c"), -1L, 'x'), 4);
    EXPECT_STREQ(b, "-1|x");
    std::string big(2000, 'w');
    char out[2048];
    EXPECT_EQ(wsprintf(out, "%s", big.c_str()), 1023);
    EXPECT_EQ(std::strlen(out), 1023u);
}
