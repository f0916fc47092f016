#include <kiln/platform/text/mbcs.h>

#include <gtest/gtest.h>

namespace {

TEST(Mbcs, LeadBytesAndStepping) {
    for (int c = 0; c < 256; ++c) {
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        EXPECT_EQ(kiln::IsLeadByte((unsigned char)c), lead) << c;
        EXPECT_EQ(_ismbblead((unsigned)c), lead ? 1 : 0) << c;
    }
    // A lead byte before the terminator ends the string.
    const unsigned char cut[] = {'a', 0x95, 0};
    EXPECT_EQ(_mbsinc(cut), cut + 1);
    EXPECT_EQ(_mbsinc(cut + 1), cut + 2);
    const unsigned char* pair = (const unsigned char*)"表x";
    EXPECT_EQ(_mbsinc(pair), pair + 2);
    EXPECT_EQ(_mbschr((const char*)cut, 0x95), nullptr);
    EXPECT_EQ(_mbschr((const char*)cut, 'a'), (const char*)cut);
}

TEST(Mbcs, CharacterStepsAndPrefixesEndWithTheText) {
    const char* s = "表a\x95";  // 95 5C 61 95: a lead byte last
    EXPECT_EQ(kiln::CharLength(s), 2u);
    EXPECT_EQ(kiln::CharLength(s + 2), 1u);
    EXPECT_EQ(kiln::CharLength(s + 3), 1u);     // cut off by the terminator
    EXPECT_EQ(kiln::CharLength(s, s + 1), 1u);  // cut off by the end of the text
    const struct { size_t limit, fits; } cases[] = {{0, 0}, {1, 0}, {2, 2}, {3, 3}, {4, 4}, {9, 4}};
    for (const auto& c : cases) EXPECT_EQ(kiln::FittingLength(std::string_view(s, 4), c.limit), c.fits);
    EXPECT_EQ(kiln::FittingLength(std::string_view(s, 1), 9), 1u);
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

TEST(Mbcs, CaseFoldingLeavesDoubleByteCharactersAlone) {
    EXPECT_EQ(_mbsicmp("ABC", "abc"), 0);
    EXPECT_LT(_mbsicmp("abc", "abd"), 0);
    EXPECT_GT(_mbsicmp("abc", "ab"), 0);
    // 0x82 0x61 and 0x82 0x41: folding the trail byte would make these equal.
    EXPECT_NE(_mbsicmp("\x82\x61", "\x82\x41"), 0);
    unsigned char s[] = "a\x82\x61z", t[] = "A\x82\x41Z";
    _mbsupr(s);
    _mbslwr(t);
    EXPECT_STREQ((const char*)s, "A\x82\x61Z");
    EXPECT_STREQ((const char*)t, "a\x82\x41z");
}

}  // namespace
