#include <kiln/util/string_step.h>

#include <gtest/gtest.h>

namespace {

TEST(StringStep, StrnextAndStrincWalkAPackedList) {
    char list[] = "one\0two\0\0";
    char* p = list;
    strnext(&p);
    EXPECT_EQ(list + 4, p);
    EXPECT_STREQ("two", p);
    strnext(&p);
    EXPECT_EQ(list + 8, p);
    EXPECT_STREQ("", p);

    const char* q = list;
    EXPECT_EQ(list + 4, strinc(q));
    EXPECT_EQ(list + 8, strinc(strinc(q)));
    EXPECT_EQ(list + 9, strinc(list + 8));
}

TEST(StringStep, StrChrNumberedCountsOccurrences) {
    const char* s = "a\\b\\c";
    EXPECT_EQ(s + 1, strChrNumbered(s, '\\', 1));
    EXPECT_EQ(s + 3, strChrNumbered(s, '\\', 2));
    EXPECT_EQ(s + 1, strChrNumbered(s, '\\', 0));
    EXPECT_EQ(s + 1, strChrNumbered(s, '\\', -5));
    EXPECT_EQ(nullptr, strChrNumbered(s, '\\', 3));
    EXPECT_EQ(nullptr, strChrNumbered(s, '/', 1));
    EXPECT_EQ(nullptr, strChrNumbered(nullptr, '\\', 1));
    // Adjacent hits are each counted.
    const char* twice = "x\\\\y";
    EXPECT_EQ(twice + 2, strChrNumbered(twice, '\\', 2));
    // The terminator is found once and nothing after it.
    EXPECT_EQ(s + 5, strChrNumbered(s, 0, 1));
    EXPECT_EQ(nullptr, strChrNumbered(s, 0, 2));
}

TEST(StringStep, StrChrNumberedNeverMatchesATrailByte) {
    ASSERT_STREQ("\x95\x5C", "表");  // the literal is code page 932 with a backslash trail byte
    const char* s = "表\\ソ\\x";   // bytes: 95 5C 5C 83 5C 5C 78
    EXPECT_EQ(s + 2, strChrNumbered(s, '\\', 1));
    EXPECT_EQ(s + 5, strChrNumbered(s, '\\', 2));
    EXPECT_EQ(nullptr, strChrNumbered(s, '\\', 3));
}

TEST(StringStep, Str2IntegerStopsAtTheFirstNonDigit) {
    const char* s = "123x4";
    const char* p = s;
    EXPECT_EQ(123, str2Integer(p));
    EXPECT_EQ(s + 3, p);

    const char* empty = "";
    p = empty;
    EXPECT_EQ(0, str2Integer(p));
    EXPECT_EQ(empty, p);

    const char* signed_ = "-42";  // no sign is read
    p = signed_;
    EXPECT_EQ(0, str2Integer(p));
    EXPECT_EQ(signed_, p);

    const char* spaced = "0042 7";
    p = spaced;
    EXPECT_EQ(42, str2Integer(p));
    EXPECT_EQ(spaced + 4, p);
    EXPECT_EQ(' ', *p);

    const char* trailing = "2147483647";
    p = trailing;
    EXPECT_EQ(2147483647, str2Integer(p));
    EXPECT_EQ('\0', *p);
}

TEST(StringStep, Str2IntegerWrapsAt32Bits) {
    const char* p = "4294967297";  // 2^32 + 1
    EXPECT_EQ(1, str2Integer(p));
    p = "2147483648";
    EXPECT_EQ(INT32_MIN, str2Integer(p));
}

}  // namespace
