#include <kiln/util/map_uint.h>

#include <gtest/gtest.h>

namespace {

TEST(MapUIntToUInt, FirstMatchingKeyOfTheCountedPairsInTheCallersTable) {
    unsigned int pairs[] = {1, 10, 2, 20, 1, 30, 0xFFFFFFFF, 0};
    CMapUIntToUInt map(nullptr, 0);
    map = CMapUIntToUInt(pairs, 4);
    // A miss leaves the value alone: values are not keys, and uncounted pairs are not looked at.
    const struct {
        CMapUIntToUInt map;
        unsigned int key;
        int found;
        unsigned int value;
    } rows[] = {{map, 1, 1, 10},         {map, 0xFFFFFFFF, 1, 0}, {map, 3, 0, 77},
                {map, 20, 0, 77},        {{pairs, 1}, 2, 0, 77},  {{pairs, 0}, 1, 0, 77},
                {{pairs, -1}, 1, 0, 77}, {{nullptr, 4}, 1, 0, 77}};
    for (const auto& row : rows) {
        unsigned int value = 77;
        EXPECT_EQ(row.found, row.map.GetAt(row.key, value)) << row.key;
        EXPECT_EQ(row.value, value) << row.key;
    }
    pairs[1] = 4242;  // the map reads the table as it is now
    unsigned int value = 77;
    EXPECT_EQ(1, map.GetAt(1, value));
    EXPECT_EQ(4242u, value);
}

}  // namespace
