#include <kiln/settings/profile.h>

#include <gtest/gtest.h>

#include "support/dialog_script.h"

#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace {

// Sees the text and the entry position, which no public operation hands out.
class Probe : public CProfile {
public:
    using CProfile::CProfile;
    std::string Text() const { return m_strProfile.GetString(); }
    // The entry position as an offset into the text, -1 for null, -2 outside this object's own text.
    long Entry() const {
        const char* text = m_strProfile.GetString();
        if (m_pEntry == nullptr) return -1;
        return m_pEntry >= text && m_pEntry <= text + m_strProfile.GetLength() ? m_pEntry - text : -2;
    }
};

// Double-byte keys whose trail byte is a format byte: "{" (the katakana bo) and ";".
const char kBo[] = "\x83\x7B";
const char kLeadSemicolon[] = "\x81;";

// What a read gave, as one comparable text: "E" empty, "N" null, "I<n>" integer, "S<text>" string.
std::string Kind(valiant v) {
    switch (v.IsType()) {
    case valiant::typeEmpty: return "E";
    case valiant::typeNull: return "N";
    case valiant::typeString: return "S" + std::string(v.CastString().GetString());
    default: return "I" + std::to_string((int)v);
    }
}

TEST(Profile, ReadsEachMarkerAndItsEdges) {
    struct {
        std::string text;
        std::string key;
        const char* read;
    } cases[] = {
        {"a=#5;b={x}", "b", "Sx"},
        {" a=#5; b = #6", "b", "E"},  // the blank before "=" belongs to the key
        {" a=#5; b = #6", "b ", "I6"},
        {"a=  {x{y}z};b=#2", "a", "Sx{y}z"},
        {"a={x", "a", "Sx"},
        {"a={x{y};b=#1", "a", "Sx{y"},  // no match: up to the first closer
        {"a={x;b=#1", "a", "Sx;b=#1"},  // no closer at all: the rest of the text
        {"a=<p<q>r>;b=#1", "a", "Sp<q>r"},
        {"a=\"q{u\";b=#1", "a", "Sq{u"},
        {"a=\"open", "a", "Sopen"},
        {"a=?", "a", "E"},
        {"a=", "a", "E"},
        {"a=#-12x", "a", "I-12"},
        {"a=# +7", "a", "I7"},
        {"a=#99999999999", "a", "I2147483647"},
        {"a=#-99999999999", "a", "I-2147483648"},
        {";;a=#3;", "a", "I3"},
        {"A=#1", "a", "E"},
        {"ab=#1;a=#2", "a", "I2"},
        {"a=#1", "ab", "E"},
        {"x={p;y=#1};y=#2", "y", "I1"},  // the search ends entries at any ";"
        {"=#4", "", "I4"},
        {std::string(kBo) + "=#7;b=#8", kBo, "I7"},
        {std::string(kLeadSemicolon) + "b=#5", "b", "E"},  // a trail ";" never ends an entry
        {std::string(kLeadSemicolon) + "b=#5", std::string(kLeadSemicolon) + "b", "I5"},
        {"a\x81\x40=#1", "a\x81", "E"},
        {"a=#1;\x81", "\x81", "E"},           // a lead byte at the very end stands alone
        {"a={\x83\x7D}}", "a", "S\x83\x7D"},  // a trail "}" does not close
    };
    for (const auto& c : cases) {
        const CProfile profile(c.text.c_str());
        EXPECT_EQ(Kind(profile.ReadProfile(c.key.c_str())), c.read) << c.text << " key " << c.key;
    }
}

TEST(Profile, TypedReadersAndDefaults) {
    const CProfile p("i=#5;s={abc};n={42};e=?;big={3000000000};neg={-1};huge={99999999999999999999}");
    EXPECT_EQ(Kind(p.ReadProfile("i", "d")), "Sd");
    EXPECT_EQ(Kind(p.ReadProfile("s", "d")), "Sabc");
    EXPECT_EQ(Kind(p.ReadProfile("none", (const char*)nullptr)), "S");
    EXPECT_EQ(Kind(p.ReadProfile("i", 3)), "I5");
    EXPECT_EQ(Kind(p.ReadProfile("s", 3)), "Sabc");
    EXPECT_EQ(Kind(p.ReadProfile("e", 3)), "I3");
    EXPECT_EQ(p.ReadProfileString("i", "d"), "d");
    EXPECT_EQ(p.ReadProfileString("s", "d"), "abc");
    EXPECT_EQ(p.ReadProfileString("none", nullptr), "");
    struct {
        const char* key;
        int readInt;
        int read;
        unsigned long readUnsigned;
    } ints[] = {
        {"i", 5, 9, 9},  // an integer entry is no string for Read
        {"s", 0, 0, 0},
        {"n", 0, 42, 42},
        {"e", 9, 9, 9},
        {"none", 9, 9, 9},
        {"big", 0, INT_MAX, 3000000000ul},
        {"neg", 0, -1, ULONG_MAX},
        {"huge", 0, INT_MAX, ULONG_MAX},
    };
    for (const auto& c : ints) {
        EXPECT_EQ(p.ReadProfileInt(c.key, 9), c.readInt) << c.key;
        EXPECT_EQ(p.Read(c.key, 9), c.read) << c.key;
        EXPECT_EQ(p.Read(c.key, 9ul), c.readUnsigned) << c.key;
    }
}

TEST(Profile, WritesKeepTheRestByteForByte) {
    Probe p;
    p.CreateProfile("a", 5);
    p.CreateProfile("b", "x");
    EXPECT_EQ(p.Text(), "a=#5;b={x}");
    p.CreateProfile("a", 7);
    EXPECT_EQ(p.Text(), "a=#7;b={x}");

    struct {
        const char* text;
        const char* key;
        valiant value;
        int result;
        const char* after;
    } cases[] = {
        {"a=#5", "z", 1, 0, "a=#5"},
        {"a=#1;\t b={o{l}d;x};c=<k>", "b", 9, 1, "a=#1;\t b=#9;c=<k>"},
        {"a=#1;b=#2;", "b", 3, 1, "a=#1;b=#3"},
        {"a=#1 junk;b=#2", "a", "new", 1, "a={new};b=#2"},
        {"a=  <x>", "a", valiant(), 1, "a={Empty}"},
        {"a=\"x;y\";b=#2", "a", valiant(tagValiantNull{}), 1, "a={null};b=#2"},
        {"b=#1;a=#2", "a", -4, 1, "b=#1;a=#-4"},
    };
    for (const auto& c : cases) {
        Probe q(c.text);
        EXPECT_EQ(q.WriteProfile(c.key, c.value), c.result) << c.text;
        EXPECT_EQ(q.Text(), c.after) << c.text;
    }

    Probe r("a=?");
    r.WriteProfile("a", valiant());
    EXPECT_EQ(r.ReadProfileString("a", nullptr), "Empty");
    r.Create("c", "t");
    r.Create("n", 4294967296ul);
    r.Create("m", 3000000000ul);
    EXPECT_EQ(r.Text(), "a={Empty};c={t};n={4294967296};m={3000000000}");
    EXPECT_EQ(r.ReadProfileString("n", nullptr), "4294967296");
    EXPECT_EQ(r.Read("n", 1ul), 4294967296ul);
}

TEST(Profile, DeletesWholeEntries) {
    struct {
        std::string text;
        std::string key;
        int result;
        std::string after;
    } cases[] = {
        {"a=#1;b=#2;c=#3", "b", 1, "a=#1;c=#3"},
        {"a=#1;b=#2", "b", 1, "a=#1;"},
        {"a=#1;b=#2", "a", 1, "b=#2"},
        {"a=#1", "a", 1, ""},
        {" a={x;y};b=#2", "a", 1, "b=#2"},  // the entry's end respects braces
        {"a=#1;b=#2", "c", 0, "a=#1;b=#2"},
        {"a=#1;" + std::string(kBo) + "={;};c=#3", kBo, 1, "a=#1;c=#3"},
        {"a=#1;" + std::string(kLeadSemicolon) + "=#2;c=#3", kLeadSemicolon, 1, "a=#1;c=#3"},
    };
    for (const auto& c : cases) {
        Probe p(c.text.c_str());
        EXPECT_EQ(p.DeleteProfile(c.key.c_str()), c.result) << c.text;
        EXPECT_EQ(p.Text(), c.after) << c.text;
    }

    struct {
        int pos, count;
        const char* after;
    } omits[] = {
        {2, 10, "abcde"}, {-1, 1, "abcde"}, {1, -1, "abcde"}, {INT_MAX, INT_MAX, "abcde"},
        {1, 2, "ade"},    {0, 5, ""},       {5, 0, "abcde"},
    };
    for (const auto& o : omits) {
        Probe p("abcde");
        p.Omit(o.pos, o.count);
        EXPECT_EQ(p.Text(), o.after) << o.pos << "," << o.count;
    }
}

TEST(Profile, EnumeratesKeysAndRawValues) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    struct {
        const char* text;
        Pairs pairs;
    } cases[] = {
        {"a=#1;b={x};c=<y>", {{"a", "1"}, {"b", "x"}, {"c", "y"}}},
        {"a=#1 ;b=\"q;\";e=? ;f=#-2", {{"a", "1"}, {"b", "q;"}, {"e", ""}, {"f", "-2"}}},
        {" k x =<p<q>r>;;junk;z=#", {{"k x ", "p<q>r"}, {"z", ""}}},
        {"a={x;b=#1", {{"a", ""}, {"b", "1"}}},  // no closer: resumes after the marker
        {"a=", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        const CProfile p(c.text);
        Pairs got;
        CString key = "k", value = "v";
        const unsigned char* pos = p.EnumProfile(nullptr, key, value);
        for (; pos != nullptr && got.size() < 10; pos = p.EnumProfile(pos, key, value))
            got.emplace_back(key.GetString(), value.GetString());
        EXPECT_EQ(got, c.pairs) << c.text;
        // The end empties both texts; only a text that ends before a marker keeps its last key.
        EXPECT_EQ(key.IsEmpty() && value.IsEmpty(), std::string(c.text) != "a=") << c.text;
    }
}

TEST(Profile, SearchKeepsTheEntryPositionAndCopiesCarryIt) {
    const Probe p("a=#1;  b=#2");
    EXPECT_EQ(p.Entry(), -1);
    ASSERT_NE(p.IdentifyProfile("b"), nullptr);
    EXPECT_EQ(std::string(p.IdentifyProfile("b")), "#2");
    EXPECT_EQ(p.Entry(), 5);  // the blanks before the key belong to the entry

    Probe copy(p), assigned;
    assigned = copy;
    EXPECT_EQ(copy.Entry(), 5);
    EXPECT_EQ(assigned.Entry(), 5);
    copy.CreateProfile("c", 3);
    EXPECT_EQ(copy.Text(), "a=#1;  b=#2;c=#3");
    EXPECT_EQ(p.Text(), "a=#1;  b=#2");

    EXPECT_EQ(p.IdentifyProfile("zz"), nullptr);
    EXPECT_EQ(p.Entry(), -1);
    EXPECT_EQ(p.IdentifyProfile(nullptr), nullptr);

    // Both key and text hold ";" at the same place: the text is offered for correction, which no one
    // confirms here, so nothing is found, the text stays and the position stays on that entry.
    const Probe bad("x=#0;a;b=#1");
    EXPECT_EQ(bad.IdentifyProfile("a;b"), nullptr);
    EXPECT_EQ(bad.Entry(), 5);
    EXPECT_EQ(bad.Text(), "x=#0;a;b=#1");
}

// The correction dialog offers the whole text under its prompt; OK with an edit searches the new text,
// OK without one and Cancel find nothing. Each case shows exactly one dialog: nothing loops.
TEST(Profile, MalformedTextIsOfferedForCorrection) {
    struct Case {
        const char* typed;  // null: Cancel; else typed, then OK
        const char* textAfter;
    };
    for (const Case& c :
         {Case{"x=#0;a", "x=#0;a"}, Case{"x=#0;a;b=#1", "x=#0;a;b=#1"}, Case{nullptr, "x=#0;a;b=#1"}}) {
        kiln::test::DialogScript script;
        std::string shownText, shownPrompt;
        script.OnWait([&](HWND dialog) {
            shownText = kiln::test::TextOf(GetDlgItem(dialog, 3001));
            shownPrompt = kiln::test::TextOf(GetDlgItem(dialog, 3002));
            if (c.typed == nullptr) return kiln::test::Click(dialog, IDCANCEL);
            kiln::test::Type(dialog, 3001, c.typed);
            kiln::test::Click(dialog, IDOK);
        });
        const Probe p("x=#0;a;b=#1");
        EXPECT_EQ(p.IdentifyProfile("a;b"), nullptr);
        EXPECT_EQ(p.Text(), c.textAfter);
        EXPECT_EQ(shownText, "x=#0;a;b=#1");
        EXPECT_EQ(shownPrompt, "ﾌﾟﾛﾌｧｲﾙの書式が不正のようです。可能なら修正してください。");
        EXPECT_EQ(script.Kinds(), "Shown Waiting Destroyed");
    }
}

}  // namespace
