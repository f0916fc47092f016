#include <kiln/util/string_table.h>

#include <gtest/gtest.h>

namespace {

TEST(StringTable, Str2NumberFindsTheFirstEqualEntry) {
    CString table[] = {"red", "green", "blue", "green"};
    CString value("green");
    EXPECT_EQ(1, str2number(4, &value, table));
    value = "blue";
    EXPECT_EQ(2, str2number(4, &value, table));
    EXPECT_EQ(-1, str2number(2, &value, table));  // only the first count entries are looked at
    value = "Blue";
    EXPECT_EQ(-1, str2number(4, &value, table));  // case-sensitive
    value = "red";
    EXPECT_EQ(-1, str2number(0, &value, table));
    EXPECT_EQ(-1, str2number(-1, &value, table));
    EXPECT_EQ(-1, str2number(4, nullptr, table));
}

TEST(StringTable, Number2StrChecksTheRange) {
    CString table[] = {"zero", "one", "two"};
    EXPECT_EQ(CString("zero"), number2str(3, 0, table));
    EXPECT_EQ(CString("two"), number2str(3, 2, table));
    EXPECT_EQ(CString(""), number2str(3, -1, table));
    EXPECT_EQ(CString(""), number2str(3, 3, table));
    EXPECT_EQ(CString(""), number2str(2, 2, table));

    CString copy = number2str(3, 1, table);
    copy += "!";
    EXPECT_EQ(CString("one"), table[1]);
}

}  // namespace
