#include <kiln/platform/collections/integer_arrays.h>
#include <kiln/platform/collections/ob_array.h>
#include <kiln/platform/collections/string_array.h>

#include <gtest/gtest.h>

#include <string>

#include "support/archive_bytes.h"
#include "support/expect_error.h"

using kiln::test::LoadBytes;
using kiln::test::StoreBytes;

TEST(CArray, GrowsInsertsAndRemovesByIndex) {
    CStringArray a;
    EXPECT_EQ(a.GetUpperBound(), -1);
    EXPECT_EQ(a.Add("b"), 0);
    a.InsertAt(0, "a");
    a.SetAtGrow(4, "e");  // grows with empty strings between
    a.InsertAt(2, "c", 2);
    ASSERT_EQ(a.GetSize(), 7);
    const char* expected[] = {"a", "b", "c", "c", "", "", "e"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(a[i], expected[i]) << i;
    a.RemoveAt(2, 3);
    a.Append(a);  // appending itself doubles it
    EXPECT_EQ(a.GetSize(), 8);
    EXPECT_EQ(a.GetAt(7), "e");
    a.InsertAt(10, "z");  // past the end: grown to the index first
    EXPECT_EQ(a.GetSize(), 11);
    EXPECT_EQ(a[10], "z");

    for (INT_PTR bad : {(INT_PTR)-1, a.GetSize()}) {
        try {
            a.GetAt(bad);
            ADD_FAILURE() << "index " << bad << " was accepted";
        } catch (CInvalidArgException* e) {
            e->Delete();
        }
    }
    EXPECT_EQ(kiln::test::CauseOf<CInvalidArgException>([&] { a.RemoveAt(9, 5); }), 0);
    EXPECT_EQ(a.GetSize(), 11) << "a refused removal removes nothing";
}

// Each array against the bytes MFC stores: WORD count (0xFFFF and a DWORD from 65535 on), values.
TEST(CArray, ArchiveBytesAsMfcStoresThem) {
    CWordArray words;
    words.Add(0x1234);
    words.Add(0xFFFF);
    EXPECT_EQ(StoreBytes(words), std::string("\x02\x00\x34\x12\xFF\xFF", 6));

    CDWordArray dwords;
    dwords.Add(0x01020304);
    EXPECT_EQ(StoreBytes(dwords), std::string("\x01\x00\x04\x03\x02\x01", 6));

    CStringArray strings;
    strings.Add("xy");
    EXPECT_EQ(StoreBytes(strings), std::string("\x01\x00\x02xy", 5));

    CByteArray bytes;
    bytes.SetSize(65535);
    bytes[65534] = 7;
    std::string stored = StoreBytes(bytes);
    ASSERT_EQ(stored.size(), 6u + 65535u);
    EXPECT_EQ(stored.substr(0, 6), std::string("\xFF\xFF\xFF\xFF\x00\x00", 6));

    CByteArray loaded;
    loaded.Add(1);  // loading replaces
    LoadBytes(loaded, stored);
    EXPECT_EQ(loaded.GetSize(), 65535);
    EXPECT_EQ(loaded[65534], 7);

    // A count far beyond the data fails at the end of the data instead of allocating for the count.
    CDWordArray forged;
    std::string header("\xFF\xFF\xFF\xFF\xFF\x7F", 6);
    EXPECT_EQ(
        kiln::test::CauseOf<CArchiveException>([&] { LoadBytes(forged, header + std::string(16, '\1')); }),
        CArchiveException::endOfFile);
}

TEST(CArray, ObArrayStoresObjectsOnce) {
    CObArray a;
    CStringArray* shared = new CStringArray;
    a.Add(shared);
    a.Add(shared);
    CObArray loaded;
    LoadBytes(loaded, StoreBytes(a));
    ASSERT_EQ(loaded.GetSize(), 2);
    EXPECT_TRUE(loaded[0]->IsKindOf(RUNTIME_CLASS(CStringArray)));
    EXPECT_EQ(loaded[0], loaded[1]);
    delete loaded[0];
    delete shared;
}
