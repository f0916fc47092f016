#include <kiln/util/array_compare.h>

#include <gtest/gtest.h>

namespace {

const unsigned char* U(const char* s) { return (const unsigned char*)s; }

TEST(ArrayCompare, ComparesExactlyNBytesIncludingNuls) {
    EXPECT_EQ(1, ArrayCompare(U("abcX"), U("abcY"), 3));
    EXPECT_EQ(0, ArrayCompare(U("abcX"), U("abcY"), 4));
    // NUL bytes do not end the comparison.
    EXPECT_EQ(1, ArrayCompare(U("a\0b"), U("a\0b"), 3));
    EXPECT_EQ(0, ArrayCompare(U("a\0b"), U("a\0c"), 3));
    EXPECT_EQ(0, ArrayCompare(U("abc"), U("ABC"), 3));
}

TEST(ArrayCompare, NothingToCompareIsEqualWithoutReading) {
    for (int n : {0, -1, -100}) {
        EXPECT_EQ(1, ArrayCompare(nullptr, nullptr, n));
        EXPECT_EQ(1, ArrayCompareAlpherUpperSrc(nullptr, nullptr, n));
        EXPECT_EQ(1, ArrayCompareAlpherIgnoreBoth(nullptr, nullptr, n));
    }
}

TEST(ArrayCompare, UpperSrcFoldsOnlyTheSecondArray) {
    EXPECT_EQ(1, ArrayCompareAlpherUpperSrc(U("ABC1"), U("aBc1"), 4));
    EXPECT_EQ(0, ArrayCompareAlpherUpperSrc(U("abc"), U("ABC"), 3));
    EXPECT_EQ(0, ArrayCompareAlpherUpperSrc(U("ABD"), U("abc"), 3));
    EXPECT_EQ(1, ArrayCompareAlpherUpperSrc(U("A\0B"), U("a\0b"), 3));
}

TEST(ArrayCompare, IgnoreBothFoldsBothArrays) {
    EXPECT_EQ(1, ArrayCompareAlpherIgnoreBoth(U("abc"), U("ABC"), 3));
    EXPECT_EQ(1, ArrayCompareAlpherIgnoreBoth(U("AbC"), U("aBc"), 3));
    EXPECT_EQ(0, ArrayCompareAlpherIgnoreBoth(U("abc"), U("ABD"), 3));
    EXPECT_EQ(1, ArrayCompareAlpherIgnoreBoth(U("abc"), U("ABD"), 2));
}

}  // namespace
