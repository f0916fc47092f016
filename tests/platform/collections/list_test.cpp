#include <kiln/platform/collections/ob_list.h>
#include <kiln/platform/collections/ptr_list.h>
#include <kiln/platform/collections/string_list.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/archive_bytes.h"
#include "support/expect_error.h"

using kiln::test::LoadBytes;
using kiln::test::StoreBytes;

namespace {

std::vector<std::string> Items(const CStringList& list) {
    std::vector<std::string> out;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        out.emplace_back(list.GetNext(pos).GetString());
    return out;
}

std::vector<std::string> ItemsBackwards(const CStringList& list) {
    std::vector<std::string> out;
    for (POSITION pos = list.GetTailPosition(); pos != nullptr;)
        out.insert(out.begin(), list.GetPrev(pos).GetString());
    return out;
}

}  // namespace

TEST(CStringList, EditsKeepBothDirectionsOfTheChainInStep) {
    CStringList list(2);  // small blocks: nodes are reused and new blocks taken as it grows
    POSITION b = list.AddTail("b");
    list.AddHead("a");
    POSITION d = list.AddTail("d");
    list.InsertBefore(d, "c");
    list.InsertAfter(d, "e");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(ItemsBackwards(list), Items(list));

    EXPECT_EQ(list.Find("d"), d);
    EXPECT_EQ(list.Find("b", b), nullptr);  // the search starts after the position
    EXPECT_EQ(list.FindIndex(1), b);
    EXPECT_EQ(list.FindIndex(5), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);

    list.RemoveAt(d);
    list.SetAt(b, "B");
    EXPECT_EQ(list.RemoveHead(), "a");
    EXPECT_EQ(list.RemoveTail(), "e");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"B", "c"}));
    EXPECT_EQ(ItemsBackwards(list), Items(list));

    list.AddTail(&list);  // a list appends a copy of itself, once
    list.AddHead(&list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"B", "c", "B", "c", "B", "c", "B", "c"}));
    EXPECT_EQ(list.GetCount(), 8);

    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    list.AddTail("again");
    EXPECT_EQ(list.GetHead(), "again");
    EXPECT_EQ(list.GetTail(), "again");
}

TEST(CStringList, ArchiveHoldsTheCountAndLengthPrefixedStrings) {
    CStringList list;
    list.AddTail("ab");
    list.AddTail("");
    list.AddTail(CString('x', 300));
    std::string bytes = StoreBytes(list);
    EXPECT_EQ(bytes, std::string("\x03\x00"
                                 "\x02"
                                 "ab"
                                 "\x00"
                                 "\xFF\x2C\x01",
                                 9) +
                         std::string(300, 'x'));

    CStringList loaded;
    loaded.AddTail("kept");  // loading appends
    LoadBytes(loaded, bytes);
    EXPECT_EQ(Items(loaded), (std::vector<std::string>{"kept", "ab", "", std::string(300, 'x')}));

    CStringList truncated;
    EXPECT_EQ(kiln::test::CauseOf<CArchiveException>([&] { LoadBytes(truncated, bytes.substr(0, 6)); }),
              CArchiveException::endOfFile)
        << "a short record is refused";
}

TEST(CPtrList, FindsPointersByIdentity) {
    int a = 0, b = 0;
    CPtrList list;
    list.AddTail(&a);
    POSITION second = list.AddTail(&b);
    list.AddTail(&a);
    EXPECT_EQ(list.Find(&b), second);
    EXPECT_EQ(list.Find(&a, list.GetHeadPosition()), list.GetTailPosition());
    EXPECT_TRUE(list.IsKindOf(RUNTIME_CLASS(CPtrList)));
    EXPECT_FALSE(list.IsSerializable());
}

TEST(CObList, StoresObjectsInTheArchiveObjectFormat) {
    CObList list;
    CStringList* shared = new CStringList;
    shared->AddTail("s");
    list.AddTail(shared);
    list.AddTail(shared);
    list.AddTail((CObject*)nullptr);
    std::string bytes = StoreBytes(list);
    // count 3; new class tag, schema 0, name; the string list; a back reference to object 2; null.
    std::string expected(
        "\x03\x00"
        "\xFF\xFF"
        "\x00\x00"
        "\x0B\x00"
        "CStringList"
        "\x01\x00"
        "\x01"
        "s"
        "\x02\x00"
        "\x00\x00",
        27);
    EXPECT_EQ(bytes, expected);

    CObList loaded;
    LoadBytes(loaded, bytes);
    ASSERT_EQ(loaded.GetCount(), 3);
    CObject* first = loaded.GetHead();
    ASSERT_TRUE(first->IsKindOf(RUNTIME_CLASS(CStringList)));
    EXPECT_EQ(static_cast<CStringList*>(first)->GetHead(), "s");
    EXPECT_EQ(loaded.GetAt(loaded.FindIndex(1)), first);
    EXPECT_EQ(loaded.GetTail(), nullptr);
    delete first;
    delete shared;
}
