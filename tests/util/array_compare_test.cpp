#include <kiln/util/array_compare.h>

#include <gtest/gtest.h>

namespace {

using Compare = int (*)(const unsigned char*, const unsigned char*, int);
const Compare Plain = ArrayCompare, Upper = ArrayCompareAlpherUpperSrc, Both = ArrayCompareAlpherIgnoreBoth;

TEST(ArrayCompare, ComparesNBytesIncludingNulsWithTheirCaseFolding) {
    // Upper folds only the second array to upper case, Both folds both.
    const struct {
        Compare compare;
        const char *a, *b;
        int n, equal;
    } rows[] = {{Plain, "abcX", "abcY", 3, 1}, {Plain, "abcX", "abcY", 4, 0}, {Plain, "abc", "ABC", 3, 0},
                {Plain, "a\0b", "a\0b", 3, 1}, {Plain, "a\0b", "a\0c", 3, 0}, {Upper, "ABC1", "aBc1", 4, 1},
                {Upper, "abc", "ABC", 3, 0},   {Upper, "ABD", "abc", 3, 0},   {Upper, "A\0B", "a\0b", 3, 1},
                {Both, "abc", "ABC", 3, 1},    {Both, "AbC", "aBc", 3, 1},    {Both, "abc", "ABD", 3, 0},
                {Both, "abc", "ABD", 2, 1}};
    for (const auto& row : rows)
        EXPECT_EQ(row.equal, row.compare((const unsigned char*)row.a, (const unsigned char*)row.b, row.n))
            << row.a << "|" << row.b << "|" << row.n;
    // Nothing to compare is equal, without reading either array.
    for (Compare compare : {Plain, Upper, Both})
        for (int n : {0, -1, -100}) EXPECT_EQ(1, compare(nullptr, nullptr, n));
}

}  // namespace
