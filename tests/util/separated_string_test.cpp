#include <kiln/util/separated_string.h>

#include <gtest/gtest.h>

namespace {

// Code page 932 characters whose trail byte is a separator the library uses.
static_assert("表"[1] == '\\' && "ソ"[1] == '\\' && "ポ"[0] == '\x83' && "ポ"[1] == '|');

// clang-format off
TEST(SeparatedString, MatchFindsWholeItemsSplitAtRealSeparatorsOnly) {
    // A lead byte cut off by the terminator ends the list unmatched.
    const struct { const char* list; char sep; const char* word; bool match; } rows[] = {
        {"abc;de", ';', "de", true},    {"abc;de", ';', "abc", true},     {"abc;de", ';', "d", false},
        {"abc;de", ';', "ab", false},   {"abc;de", ';', "abc;de", false}, {"abc;de", ';', "def", false},
        {"abc;de", ';', "ABC", false},  {"a;;b", ';', "", true},          {"a;", ';', "", true},
        {"a;b", ';', "", false},        {nullptr, ';', "a", false},       {"表\\ソ", '\\', "ソ", true},
        {"表\\ソ", '\\', "表", true},   {"表\\ソ", '\\', "\x95", false},  {"表\\ソ", '\\', "\x83", false},
        {"aポb|ポ", '|', "aポb", true}, {"aポb|ポ", '|', "ポ", true},     {"aポb|ポ", '|', "a\x83", false},
        {"ab;\x95", ';', "\x95", false}, {"ab;\x95", ';', "ab", true},    {"a;b", ';', nullptr, false}};
    for (const auto& row : rows)
        EXPECT_EQ(row.match, IsSeparatedStringMatch(row.list, row.sep, row.word)) << row.list << row.word;
}

TEST(SeparatedString, ItemsByNumberWithAndWithoutAClosingSeparator) {
    // The terminator as separator closes no item.
    const struct { const char* s; char sep; int index; const char *item, *wrapped; } rows[] = {
        {"a;b;c", ';', 0, "a", "a"},     {"a;b;c", ';', 1, "b", "b"},         {"a;b;c", ';', 2, "c", ""},
        {"a;b;c", ';', 3, "", ""},       {"a;;c", ';', 1, "", ""},            {"a;;c", ';', 2, "c", ""},
        {"abc", ';', 0, "abc", ""},      {"a;", ';', 1, "", ""},              {nullptr, ';', 0, "", ""},
        {"a;b", 0, 0, "a;b", ""},        {"a;b", 0, 1, "", ""},               {"x|abc|y", '|', 0, "x", "x"},
        {"x|abc|y", '|', 1, "abc", "abc"}, {"x|abc|y", '|', 2, "y", ""},      {"a;b;c;", ';', 2, "c", "c"},
        {"表\\ソ\\x", '\\', 0, "表", "表"}, {"表\\ソ\\x", '\\', 1, "ソ", "ソ"}, {"表\\ソ\\x", '\\', 2, "x", ""},
        {"表\\ソ\\x", '\\', 3, "", ""},  {"a|ポポ", '|', 1, "ポポ", ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.s << " #" << row.index);
        EXPECT_STREQ(row.item, GetSeparatedString(row.s, row.sep, row.index));
        EXPECT_STREQ(row.wrapped, GetWrapedString(row.s, row.sep, row.index));
    }
}

TEST(SeparatedString, FindWordReportsTheItemNumberOrWhereItStopped) {
    // Prefixes do not match; empty items are counted, never taken; a start beyond the items stops at the
    // number of separators; items are compared byte by byte, so a trail byte equal to sep ends the item.
    const struct { const char* s; char sep; int start; const char *word, *found; int index; } rows[] = {
        {"a;;b;c", ';', 0, "c", "c", 3},  {"a;;b;c", ';', 0, "z", "", 3},  {"a;;b;c", ';', 0, "b", "b", 2},
        {"c;a;c", ';', 1, "c", "c", 2},   {"c;a;c", ';', 2, "c", "c", 2},  {"c;a;c", ';', -3, "c", "c", 0},
        {"c;a;c", ';', 7, "c", "", 2},    {"a;b;", ';', 0, "z", "", 2},    {"a;b;", ';', 0, "b", "b", 1},
        {"", ';', 0, "a", "", 0},         {";;", ';', 0, "", "", 2},       {"表\\x", '\\', 0, "x", "x", 1},
        {"表\\x", '\\', 0, "y", "", 1},  {"表\\x", '\\', 0, "表", "", 1}, {"a|ポ|ソ", '|', 1, "ソ", "ソ", 2},
        {"ab;abcd;abc", ';', 0, "abc", "abc", 2}};
    for (const auto& row : rows) {
        int index = row.start;
        SCOPED_TRACE(testing::Message() << row.s << " from #" << row.start << ": " << row.word);
        EXPECT_STREQ(row.found, FindSeparatedStringWord(row.s, row.sep, index, row.word));
        EXPECT_EQ(row.index, index);
    }
}

// clang-format on
}  // namespace
