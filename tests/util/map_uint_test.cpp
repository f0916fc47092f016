#include <kiln/util/map_uint.h>

#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(MapUIntToUInt, FirstMatchingPairWins) {
    static const unsigned int pairs[] = {1, 10, 2, 20, 1, 30};
    CMapUIntToUInt map(pairs, 3);
    unsigned int value = 77;
    EXPECT_EQ(1, map.GetAt(1, value));
    EXPECT_EQ(10u, value);
    EXPECT_EQ(1, map.GetAt(2, value));
    EXPECT_EQ(20u, value);

    value = 77;
    EXPECT_EQ(0, map.GetAt(3, value));
    EXPECT_EQ(77u, value);
    // Values are not keys.
    EXPECT_EQ(0, map.GetAt(10, value));
    EXPECT_EQ(77u, value);
}

TEST(MapUIntToUInt, OnlyTheCountedPairsAreSearched) {
    static const unsigned int pairs[] = {5, 50, 6, 60, 0xFFFFFFFF, 0};
    unsigned int value = 77;
    EXPECT_EQ(0, CMapUIntToUInt(pairs, 0).GetAt(5, value));
    EXPECT_EQ(0, CMapUIntToUInt(pairs, -1).GetAt(5, value));
    EXPECT_EQ(0, CMapUIntToUInt(nullptr, 4).GetAt(5, value));
    EXPECT_EQ(0, CMapUIntToUInt(pairs, 1).GetAt(6, value));
    EXPECT_EQ(77u, value);
    EXPECT_EQ(1, CMapUIntToUInt(pairs, 3).GetAt(0xFFFFFFFF, value));
    EXPECT_EQ(0u, value);
}

TEST(MapUIntToUInt, AssignmentSharesTheTable) {
    std::vector<unsigned int> table;
    for (unsigned int k = 0; k < 1000; ++k) {
        table.push_back(k * 3);
        table.push_back(k);
    }
    static const unsigned int small[] = {1, 2};
    CMapUIntToUInt map(small, 1);
    map = CMapUIntToUInt(table.data(), 1000);
    unsigned int value = 0;
    EXPECT_EQ(1, map.GetAt(999 * 3, value));
    EXPECT_EQ(999u, value);
    EXPECT_EQ(0, map.GetAt(1, value));

    // The map reads the caller's table as it is now.
    table[1] = 4242;
    EXPECT_EQ(1, map.GetAt(0, value));
    EXPECT_EQ(4242u, value);
}

}  // namespace
