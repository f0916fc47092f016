#include <kiln/util/separated_string.h>

#include <gtest/gtest.h>

namespace {

// Code page 932 characters whose trail byte is a separator the library uses.
TEST(SeparatedString, TestLiteralsAreCodePage932) {
    ASSERT_STREQ("\x95\x5C", "表");
    ASSERT_STREQ("\x83\x5C", "ソ");
    ASSERT_STREQ("\x83\x7C", "ポ");
}

TEST(SeparatedString, MatchFindsWholeItemsOnly) {
    EXPECT_TRUE(IsSeparatedStringMatch("abc;de", ';', "de"));
    EXPECT_TRUE(IsSeparatedStringMatch("abc;de", ';', "abc"));
    EXPECT_FALSE(IsSeparatedStringMatch("abc;de", ';', "d"));
    EXPECT_FALSE(IsSeparatedStringMatch("abc;de", ';', "ab"));
    EXPECT_FALSE(IsSeparatedStringMatch("abc;de", ';', "abc;de"));
    EXPECT_FALSE(IsSeparatedStringMatch("abc;de", ';', "def"));
    EXPECT_FALSE(IsSeparatedStringMatch("abc;de", ';', "ABC"));
    // Empty items match an empty word.
    EXPECT_TRUE(IsSeparatedStringMatch("a;;b", ';', ""));
    EXPECT_TRUE(IsSeparatedStringMatch("a;", ';', ""));
    EXPECT_FALSE(IsSeparatedStringMatch("a;b", ';', ""));
    EXPECT_FALSE(IsSeparatedStringMatch(nullptr, ';', "a"));
}

TEST(SeparatedString, MatchSplitsOnlyAtRealSeparators) {
    // Each double-byte character has the separator as its trail byte.
    EXPECT_TRUE(IsSeparatedStringMatch("表\\ソ", '\\', "ソ"));
    EXPECT_TRUE(IsSeparatedStringMatch("表\\ソ", '\\', "表"));
    EXPECT_FALSE(IsSeparatedStringMatch("表\\ソ", '\\', "\x95"));
    EXPECT_FALSE(IsSeparatedStringMatch("表\\ソ", '\\', "\x83"));
    EXPECT_TRUE(IsSeparatedStringMatch("aポb|ポ", '|', "aポb"));
    EXPECT_TRUE(IsSeparatedStringMatch("aポb|ポ", '|', "ポ"));
    EXPECT_FALSE(IsSeparatedStringMatch("aポb|ポ", '|', "a\x83"));
    // A lead byte cut off by the terminator ends the list unmatched.
    EXPECT_FALSE(IsSeparatedStringMatch("ab;\x95", ';', "\x95"));
    EXPECT_TRUE(IsSeparatedStringMatch("ab;\x95", ';', "ab"));
}

TEST(SeparatedString, GetSeparatedStringTakesTheLastItemToTheEnd) {
    EXPECT_EQ(CString("a"), GetSeparatedString("a;b;c", ';', 0));
    EXPECT_EQ(CString("b"), GetSeparatedString("a;b;c", ';', 1));
    EXPECT_EQ(CString("c"), GetSeparatedString("a;b;c", ';', 2));
    EXPECT_EQ(CString(""), GetSeparatedString("a;b;c", ';', 3));
    EXPECT_EQ(CString(""), GetSeparatedString("a;;c", ';', 1));
    EXPECT_EQ(CString("c"), GetSeparatedString("a;;c", ';', 2));
    EXPECT_EQ(CString("abc"), GetSeparatedString("abc", ';', 0));
    EXPECT_EQ(CString(""), GetSeparatedString("a;", ';', 1));
    EXPECT_EQ(CString(""), GetSeparatedString(nullptr, ';', 0));
    // With the terminator as separator the whole string is one item.
    EXPECT_EQ(CString("a;b"), GetSeparatedString("a;b", 0, 0));
    EXPECT_EQ(CString(""), GetSeparatedString("a;b", 0, 1));
}

TEST(SeparatedString, GetWrapedStringNeedsAClosingSeparator) {
    EXPECT_EQ(CString("a"), GetWrapedString("a;b;c", ';', 0));
    EXPECT_EQ(CString("b"), GetWrapedString("a;b;c", ';', 1));
    EXPECT_EQ(CString(""), GetWrapedString("a;b;c", ';', 2));
    EXPECT_EQ(CString(""), GetWrapedString("a;b;c", ';', 3));
    EXPECT_EQ(CString("x"), GetWrapedString("x|abc|y", '|', 0));
    EXPECT_EQ(CString("abc"), GetWrapedString("x|abc|y", '|', 1));
    EXPECT_EQ(CString(""), GetWrapedString("x|abc|y", '|', 2));
    EXPECT_EQ(CString("c"), GetWrapedString("a;b;c;", ';', 2));
}

TEST(SeparatedString, ItemsKeepTheirDoubleByteCharacters) {
    EXPECT_EQ(CString("表"), GetSeparatedString("表\\ソ\\x", '\\', 0));
    EXPECT_EQ(CString("ソ"), GetSeparatedString("表\\ソ\\x", '\\', 1));
    EXPECT_EQ(CString("x"), GetSeparatedString("表\\ソ\\x", '\\', 2));
    EXPECT_EQ(CString(""), GetSeparatedString("表\\ソ\\x", '\\', 3));
    EXPECT_EQ(CString("ソ"), GetWrapedString("表\\ソ\\x", '\\', 1));
    EXPECT_EQ(CString(""), GetWrapedString("表\\ソ\\x", '\\', 2));
    EXPECT_EQ(CString("ポポ"), GetSeparatedString("a|ポポ", '|', 1));
    EXPECT_EQ(CString(""), GetWrapedString("a|ポポ", '|', 1));
}

TEST(SeparatedString, FindWordReportsTheItemNumber) {
    int index = 0;
    EXPECT_EQ(CString("c"), FindSeparatedStringWord("a;;b;c", ';', index, "c"));
    EXPECT_EQ(3, index);

    index = 0;
    EXPECT_EQ(CString(""), FindSeparatedStringWord("a;;b;c", ';', index, "z"));
    EXPECT_EQ(3, index);

    index = 0;
    EXPECT_EQ(CString("b"), FindSeparatedStringWord("a;;b;c", ';', index, "b"));
    EXPECT_EQ(2, index);

    // Prefixes and longer words do not match.
    index = 0;
    EXPECT_EQ(CString("abc"), FindSeparatedStringWord("ab;abcd;abc", ';', index, "abc"));
    EXPECT_EQ(2, index);
}

TEST(SeparatedString, FindWordStartsAtTheGivenItem) {
    int index = 1;
    EXPECT_EQ(CString("c"), FindSeparatedStringWord("c;a;c", ';', index, "c"));
    EXPECT_EQ(2, index);

    index = 2;
    EXPECT_EQ(CString("c"), FindSeparatedStringWord("c;a;c", ';', index, "c"));
    EXPECT_EQ(2, index);

    index = -3;
    EXPECT_EQ(CString("c"), FindSeparatedStringWord("c;a;c", ';', index, "c"));
    EXPECT_EQ(0, index);

    // Fewer items than the start: index becomes the number of separators found.
    index = 7;
    EXPECT_EQ(CString(""), FindSeparatedStringWord("c;a;c", ';', index, "c"));
    EXPECT_EQ(2, index);
}

TEST(SeparatedString, FindWordStopsAtTheEndOfTheString) {
    int index = 0;
    EXPECT_EQ(CString(""), FindSeparatedStringWord("a;b;", ';', index, "z"));
    EXPECT_EQ(2, index);

    index = 0;
    EXPECT_EQ(CString("b"), FindSeparatedStringWord("a;b;", ';', index, "b"));
    EXPECT_EQ(1, index);

    index = 0;
    EXPECT_EQ(CString(""), FindSeparatedStringWord("", ';', index, "a"));
    EXPECT_EQ(0, index);

    // Empty items are counted but never taken, even for an empty word.
    index = 0;
    EXPECT_EQ(CString(""), FindSeparatedStringWord(";;", ';', index, ""));
    EXPECT_EQ(2, index);
}

TEST(SeparatedString, FindWordSkipsItemsByCharacters) {
    // The second item starts after the real backslash, not after the trail byte of 表.
    int index = 0;
    EXPECT_EQ(CString("x"), FindSeparatedStringWord("表\\x", '\\', index, "x"));
    EXPECT_EQ(1, index);

    index = 1;
    EXPECT_EQ(CString("ソ"), FindSeparatedStringWord("a|ポ|ソ", '|', index, "ソ"));
    EXPECT_EQ(2, index);

    index = 0;
    EXPECT_EQ(CString(""), FindSeparatedStringWord("表\\x", '\\', index, "y"));
    EXPECT_EQ(1, index);
}

}  // namespace
