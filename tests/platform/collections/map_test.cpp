#include <kiln/platform/collections/ptr_maps.h>
#include <kiln/platform/collections/string_maps.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/archive_bytes.h"

using kiln::test::LoadBytes;
using kiln::test::StoreBytes;

namespace {

std::vector<std::string> Keys(const CMapStringToString& map) {
    std::vector<std::string> keys;
    CString key, value;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
        map.GetNextAssoc(pos, key, value);
        keys.emplace_back(key.GetString());
    }
    return keys;
}

}  // namespace

// Enumeration follows the buckets (hash h*33+c modulo 17) and, within one, the newest key first.
TEST(CMapStringToString, EnumeratesInBucketOrderNewestFirst) {
    CMapStringToString map;
    // "a" = 97 -> bucket 12; "b" -> 13; "r" = 114 -> 12 as well; "" -> 0.
    for (const char* key : {"a", "b", "r", ""}) map.SetAt(key, CString(key) + "!");
    EXPECT_EQ(Keys(map), (std::vector<std::string>{"", "r", "a", "b"}));

    CString value;
    EXPECT_TRUE(map.Lookup("r", value));
    EXPECT_EQ(value, "r!");
    EXPECT_FALSE(map.Lookup("R", value));
    map["a"] = "changed";
    EXPECT_EQ(map.GetCount(), 4);
    EXPECT_TRUE(map.RemoveKey("r"));
    EXPECT_FALSE(map.RemoveKey("r"));
    EXPECT_EQ(Keys(map), (std::vector<std::string>{"", "a", "b"}));

    std::string bytes = StoreBytes(map);
    EXPECT_EQ(bytes, std::string("\x03\x00"
                                 "\x00"
                                 "\x01!"
                                 "\x01"
                                 "a"
                                 "\x07"
                                 "changed"
                                 "\x01"
                                 "b"
                                 "\x02"
                                 "b!",
                                 20));
    CMapStringToString loaded;
    LoadBytes(loaded, bytes);
    EXPECT_EQ(Keys(loaded), Keys(map));
    EXPECT_TRUE(loaded.Lookup("a", value));
    EXPECT_EQ(value, "changed");
}

TEST(CMapStringToString, InitHashTableOnlyWhileEmpty) {
    CMapStringToString map;
    map.InitHashTable(101);
    map.SetAt("k", "v");
    map.InitHashTable(7);
    EXPECT_EQ(map.GetHashTableSize(), 101u);
    map.RemoveAll();
    EXPECT_EQ(map.GetStartPosition(), nullptr);
}

TEST(CMapPtrToPtr, KeysByPointerAndWord) {
    int objects[40];
    CMapPtrToPtr byPointer;
    for (int& o : objects) byPointer[&o] = &o + 1;
    void* value = nullptr;
    EXPECT_TRUE(byPointer.Lookup(&objects[39], value));
    EXPECT_EQ(value, &objects[39] + 1);
    int visited = 0;
    void* key;
    for (POSITION pos = byPointer.GetStartPosition(); pos != nullptr; ++visited)
        byPointer.GetNextAssoc(pos, key, value);
    EXPECT_EQ(visited, 40);

    CMapWordToPtr byWord;
    byWord.SetAt(0xFFFF, &objects[0]);
    byWord.SetAt(0, nullptr);
    EXPECT_TRUE(byWord.Lookup(0, value));
    EXPECT_EQ(value, nullptr);
    EXPECT_FALSE(byWord.Lookup(1, value));
}
