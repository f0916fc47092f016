#include <kiln/util/string_table.h>

#include <gtest/gtest.h>

namespace {

TEST(StringTable, LookupsStayWithinTheCount) {
    CString table[] = {"red", "green", "blue", "green"};
    const struct {
        int count;
        const char* value;
        int index;
    } rows[] = {{4, "green", 1}, {4, "blue", 2}, {2, "blue", -1},
                {4, "Blue", -1}, {0, "red", -1}, {-1, "red", -1}};
    for (const auto& row : rows) {
        CString value(row.value);
        EXPECT_EQ(row.index, str2number(row.count, &value, table)) << row.value << "|" << row.count;
    }
    EXPECT_EQ(-1, str2number(4, nullptr, table));
    EXPECT_EQ(number2str(4, 0, table), "red");
    EXPECT_EQ(number2str(4, 3, table), "green");
    for (int i : {-1, 4}) EXPECT_EQ(number2str(4, i, table), "");
    EXPECT_EQ(number2str(2, 2, table), "");
}

}  // namespace
