#include <kiln/platform/mbcs.h>

#include <gtest/gtest.h>

namespace {

TEST(Mbcs, LeadByteRanges) {
    for (int c = 0; c < 256; ++c) {
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        EXPECT_EQ(kiln::IsLeadByte((unsigned char)c), lead) << c;
        EXPECT_EQ(_ismbblead((unsigned)c), lead ? 1 : 0) << c;
    }
}

TEST(Mbcs, ChrSkipsTrailBytes) {
    const char* s = "表\\表x\\";  // 95 5C 5C 95 5C 78 5C
    EXPECT_EQ(_mbschr(s, '\\'), s + 2);
    EXPECT_EQ(_mbsrchr(s, '\\'), s + 6);
    EXPECT_EQ(_mbschr(s, 'x'), s + 5);
    EXPECT_EQ(_mbschr("表", '\\'), nullptr);
    EXPECT_EQ(_mbsrchr("表", '\\'), nullptr);
    EXPECT_EQ(_mbschr(s, 0x955C), s);
    EXPECT_EQ(_mbsrchr(s, 0x955C), s + 3);
    EXPECT_EQ(_mbschr(s, 0), s + 7);
    EXPECT_EQ(_mbschr("ab", 'z'), nullptr);
}

TEST(Mbcs, LeadByteBeforeTerminatorEndsTheString) {
    const char s[] = {'a', (char)0x95, 0};
    EXPECT_EQ(_mbschr(s, 0x95), nullptr);
    EXPECT_EQ(_mbschr(s, 'a'), s);
    const unsigned char* u = (const unsigned char*)s;
    EXPECT_EQ(_mbsinc(u), u + 1);
    EXPECT_EQ(_mbsinc(u + 1), u + 2);
    EXPECT_EQ(_mbsinc((const unsigned char*)"表x"), (const unsigned char*)"表x" + 2);
}

TEST(Mbcs, CaseFoldingLeavesDoubleByteCharactersAlone) {
    EXPECT_EQ(_mbsicmp("ABC", "abc"), 0);
    EXPECT_LT(_mbsicmp("abc", "abd"), 0);
    EXPECT_GT(_mbsicmp("abc", "ab"), 0);
    // 0x82 0x61 and 0x82 0x41: folding the trail byte would make these equal.
    EXPECT_NE(_mbsicmp("\x82\x61", "\x82\x41"), 0);
    unsigned char s[] = "a\x82\x61z";
    _mbsupr(s);
    EXPECT_STREQ((const char*)s, "A\x82\x61Z");
    unsigned char t[] = "A\x82\x41Z";
    _mbslwr(t);
    EXPECT_STREQ((const char*)t, "a\x82\x41z");
}

}  // namespace
