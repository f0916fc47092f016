#include <kiln/util/string_step.h>

#include <cstdint>

#include <gtest/gtest.h>

namespace {

static_assert("表"[1] == '\\' && "ソ"[1] == '\\');  // backslash trail bytes

// clang-format off
TEST(StringStep, PackedListsAndNumberedCharacters) {
    char list[] = "one\0two\0\0";
    char* p = list;
    strnext(&p);
    EXPECT_EQ(list + 4, p);
    strnext(&p);
    EXPECT_EQ(list + 8, p);
    EXPECT_EQ(list + 4, strinc(list));
    EXPECT_EQ(list + 9, strinc(list + 8));

    // n <= 1 is the first; the terminator is found once; trail bytes never match.
    const char *s = "a\\b\\c", *twice = "x\\\\y", *dbcs = "表\\ソ\\x";  // dbcs: 95 5C 5C 83 5C 5C 78
    const struct { const char* s; char ch; int n; const char* hit; } rows[] = {
        {s, '\\', 1, s + 1},   {s, '\\', 2, s + 3}, {s, '\\', 0, s + 1},     {s, '\\', -5, s + 1},
        {s, '\\', 3, nullptr}, {s, '/', 1, nullptr}, {nullptr, '\\', 1, nullptr}, {s, 0, 1, s + 5},
        {s, 0, 2, nullptr},    {twice, '\\', 2, twice + 2}, {dbcs, '\\', 1, dbcs + 2},
        {dbcs, '\\', 2, dbcs + 5}, {dbcs, '\\', 3, nullptr}};
    for (const auto& row : rows) EXPECT_EQ(row.hit, strChrNumbered(row.s, row.ch, row.n)) << row.s << row.n;
}

TEST(StringStep, Str2IntegerReadsDigitsOnlyAndWrapsAt32Bits) {
    const struct { const char* text; int value, used; } rows[] = {
        {"123x4", 123, 3}, {"", 0, 0}, {"-42", 0, 0}, {"0042 7", 42, 4}, {"2147483647", 2147483647, 10},
        {"4294967297", 1, 10}, {"2147483648", INT32_MIN, 10}};
    for (const auto& row : rows) {
        const char* p = row.text;
        EXPECT_EQ(row.value, str2Integer(p)) << row.text;
        EXPECT_EQ(row.text + row.used, p) << row.text;
    }
}

// clang-format on
}  // namespace
