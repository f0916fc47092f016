#include <kiln/diag/report.h>
#include <kiln/settings/valiant.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/box_recorder.h"

namespace {

using Texts = std::vector<std::string>;
const std::string kCompared = "文字列型以外の valiant と文字列が比較されました。";
const std::string kNullCast = "無効値を、valiant 以外の型にﾀﾞｳﾝｷｬｽﾄしようとしました。";
const std::string kToText = "文字列型以外の値を、LPCTSTR にﾀﾞｳﾝｷｬｽﾄしようとしました。";
const std::string kToCString = "文字列型以外の値を、CString にﾀﾞｳﾝｷｬｽﾄしようとしました。";

// Misuse reports are warnings: shown here with the error level at 32, every question answered Ignore.
class Valiant : public ::testing::Test {
protected:
    void SetUp() override {
        KfxSetErrorLevel(32);
        boxes.SetDefaultAnswer(IDIGNORE);
    }
    void TearDown() override { KfxSetErrorLevel(64); }

    // The texts of the boxes shown since the last call.
    Texts Reports() {
        Texts texts;
        for (const auto& box : boxes.calls()) texts.push_back(box.text);
        boxes.Clear();
        return texts;
    }

    kiln::test::BoxRecorder boxes;
    const valiant empty, null{tagValiantNull{}}, five{5}, abc{"abc"};
};

TEST_F(Valiant, KindsAndRendering) {
    // A null text makes a string with an empty text, not a null value.
    struct {
        valiant v;
        unsigned short type;
        int number;
        const char* text;
    } kinds[] = {{empty, 0, 0, "Empty"},           {null, 1, 0, "null"},
                 {valiant(-7), 2, 1, "-7"},        {2147483647, 2, 1, "2147483647"},
                 {(const char*)nullptr, 8, 0, ""}, {CString("漢字"), 8, 0, "漢字"}};
    for (auto& kind : kinds) {
        EXPECT_EQ(kind.type, kind.v.IsType());
        EXPECT_EQ(kind.type == 0, kind.v.IsTypeEmpty() == 1) << kind.text;
        EXPECT_EQ(kind.type == 1, kind.v.IsTypeNull() == 1) << kind.text;
        EXPECT_EQ(kind.type > 1, kind.v.IsTypeEnable() == 1) << kind.text;
        EXPECT_EQ(kind.number, kind.v.IsTypeNumber()) << kind.text;
        EXPECT_EQ(kind.v.ToString(), kind.text);
    }
    EXPECT_EQ(null == tagValiantNull{}, 1);
    EXPECT_EQ(empty == tagValiantNull{}, 0);
    EXPECT_EQ(Reports(), Texts{});
}

TEST_F(Valiant, ComparisonsReportANonStringAgainstAText) {
    // A string is no number, and that is no misuse; texts compare exactly. Each row: result, expected.
    const int exact[][2] = {{five == 5, 1},    {five == 6, 0},    {valiant("5") == 5, 0}, {empty == 0, 0},
                            {abc == "abc", 1}, {abc == "ABC", 0}, {abc != "ABC", 1},      {abc != "abc", 0}};
    for (const auto& row : exact) EXPECT_EQ(row[0], row[1]) << "row " << &row - exact;
    const struct {
        valiant a, b;
        int equal;
    } pairs[] = {
        {empty, valiant(), 1}, {null, null, 1}, {null, empty, 0}, {empty, null, 0}, {1, 1, 1}, {1, 2, 0},
        {"a", "a", 1},         {"a", "b", 0},   {"A", "a", 0},    {"a", 1, 0}};
    for (const auto& pair : pairs) {
        EXPECT_EQ(pair.equal, pair.a == pair.b) << &pair - pairs;
        EXPECT_EQ(!pair.equal, pair.a != pair.b) << &pair - pairs;
    }

    // A non-string is neither equal nor unequal to a text: the only misuse reported so far.
    const int misuse[][2] = {
        {five == "5", 0}, {five != "5", 0}, {null == "x", 0}, {empty == abc, 0}, {five != abc, 1}};
    for (const auto& row : misuse) EXPECT_EQ(row[0], row[1]) << "row " << &row - misuse;
    EXPECT_EQ(Reports(), Texts(5, kCompared));

    // The library box with an Abort/Retry/Ignore question, silent at the error level programs start with.
    EXPECT_EQ(empty == "", 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().caption, "Vantor");
    EXPECT_EQ(boxes.Last().style, (unsigned)(MB_ABORTRETRYIGNORE | MB_DEFBUTTON3));
    boxes.Clear();
    KfxSetErrorLevel(64);
    EXPECT_EQ(five == "5", 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Valiant, CastsReportMisuse) {
    EXPECT_EQ((int)five, 5);
    EXPECT_EQ((int)empty, 0);  // holds no integer: 0, without a report
    EXPECT_EQ((int)abc, 0);
    EXPECT_STREQ((const char*)abc, "abc");
    EXPECT_EQ((int)null, 0);
    EXPECT_STREQ((const char*)null, "");
    EXPECT_STREQ((const char*)five, "");
    EXPECT_STREQ((const char*)empty, "");
    EXPECT_EQ(Reports(), (Texts{kNullCast, kNullCast, kToText, kToText}));  // and none for the first four

    // CastString hands out the held text for changing in place; another kind gets an empty text that
    // earlier scribbles never reach.
    abc.CastString() += "def";
    EXPECT_STREQ((const char*)abc, "abcdef");
    CString& none = five.CastString();
    EXPECT_EQ(none, "");
    none = "scribbled";
    EXPECT_EQ(null.CastString(), "");
    EXPECT_EQ(Reports(), (Texts{kToCString, kNullCast}));
    EXPECT_EQ(five == 5, 1);
}

TEST_F(Valiant, CopiesOwnTheirText) {
    valiant a("x"), b = a;
    b.CastString() = "y";
    EXPECT_EQ(a.ToString(), "x");
    EXPECT_EQ(b.ToString(), "y");
    b = a;
    a = 3;  // frees the text (the sanitizer run watches for leaks)
    EXPECT_EQ(a.IsType(), 2);
    EXPECT_EQ(b.ToString(), "x");
    // A value given its own text, in every way, keeps it.
    valiant& self = b;
    b = self;
    b = b.CastString();
    b = (const char*)b;
    EXPECT_EQ(b.ToString(), "x");
    b = tagValiantNull{};
    EXPECT_EQ(b.IsTypeNull(), 1);
    // Assignment from a value takes its kind.
    for (const valiant& kind : {empty, null, valiant(CString("z")), a}) {
        b = kind;
        EXPECT_EQ(b.IsType(), kind.IsType());
        EXPECT_EQ(b == kind, 1);
    }
    EXPECT_EQ(Reports(), Texts{});
}

}  // namespace
