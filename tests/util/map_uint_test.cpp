#include <kiln/util/map_uint.h>

#include <gtest/gtest.h>

namespace {

TEST(MapUIntToUInt, FirstMatchingKeyOfTheCountedPairsInTheCallersTable) {
    unsigned int pairs[] = {1, 10, 2, 20, 1, 30, 0xFFFFFFFF, 0};
    CMapUIntToUInt map(nullptr, 0);
    map = CMapUIntToUInt(pairs, 4);
    unsigned int value = 77;
    EXPECT_EQ(1, map.GetAt(1, value));
    EXPECT_EQ(10u, value);
    EXPECT_EQ(1, map.GetAt(0xFFFFFFFF, value));
    EXPECT_EQ(0u, value);
    pairs[1] = 4242;  // the map reads the table as it is now
    EXPECT_EQ(1, map.GetAt(1, value));
    EXPECT_EQ(4242u, value);

    // Misses leave the value alone: values are not keys, and uncounted pairs are not looked at.
    value = 77;
    EXPECT_EQ(0, map.GetAt(3, value));
    EXPECT_EQ(0, map.GetAt(20, value));
    EXPECT_EQ(0, CMapUIntToUInt(pairs, 1).GetAt(2, value));
    for (int count : {0, -1}) EXPECT_EQ(0, CMapUIntToUInt(pairs, count).GetAt(1, value));
    EXPECT_EQ(0, CMapUIntToUInt(nullptr, 4).GetAt(1, value));
    EXPECT_EQ(77u, value);
}

}  // namespace
