#include <kiln/diag/report.h>
#include <kiln/settings/valiant.h>

#include <gtest/gtest.h>

#include <string>

#include "support/box_recorder.h"

namespace {

const std::string kCompared = "文字列型以外の valiant と文字列が比較されました。";
const std::string kNullCast = "無効値を、valiant 以外の型にﾀﾞｳﾝｷｬｽﾄしようとしました。";
const std::string kToText = "文字列型以外の値を、LPCTSTR にﾀﾞｳﾝｷｬｽﾄしようとしました。";
const std::string kToCString = "文字列型以外の値を、CString にﾀﾞｳﾝｷｬｽﾄしようとしました。";

// Warnings are shown: the error level is lowered to 32, and every question is answered Ignore.
class Valiant : public ::testing::Test {
protected:
    void SetUp() override {
        KfxSetErrorLevel(32);
        boxes.SetDefaultAnswer(IDIGNORE);
    }
    void TearDown() override { KfxSetErrorLevel(64); }

    // The texts of the boxes shown since the last call.
    std::vector<std::string> Reports() {
        std::vector<std::string> texts;
        for (const auto& box : boxes.calls()) texts.push_back(box.text);
        boxes.Clear();
        return texts;
    }
    using Texts = std::vector<std::string>;

    kiln::test::BoxRecorder boxes;
};

TEST_F(Valiant, KindsAndRendering) {
    valiant empty;
    EXPECT_EQ(empty.IsType(), 0);
    EXPECT_EQ(empty.IsTypeEmpty(), 1);
    EXPECT_EQ(empty.IsTypeEnable(), 0);
    EXPECT_EQ(empty.IsTypeNumber(), 0);
    EXPECT_EQ(empty.ToString(), "Empty");

    valiant null(tagValiantNull{});
    EXPECT_EQ(null.IsTypeNull(), 1);
    EXPECT_EQ(null.IsTypeEnable(), 0);
    EXPECT_EQ(null.ToString(), "null");
    EXPECT_EQ(null == tagValiantNull{}, 1);
    EXPECT_EQ(empty == tagValiantNull{}, 0);

    valiant number(-7);
    EXPECT_EQ(number.IsType(), 2);
    EXPECT_EQ(number.IsTypeNumber(), 1);
    EXPECT_EQ(number.IsTypeEnable(), 1);
    EXPECT_EQ(number.ToString(), "-7");
    EXPECT_EQ(valiant(2147483647).ToString(), "2147483647");

    valiant fromNull((const char*)nullptr);  // a string with an empty text, not a null value
    EXPECT_EQ(fromNull.IsType(), 8);
    EXPECT_EQ(fromNull.IsTypeNumber(), 0);
    EXPECT_EQ(fromNull.ToString(), "");
    EXPECT_EQ(valiant(CString("漢字")).ToString(), "漢字");

    number = tagValiantNull{};
    EXPECT_EQ(number.IsTypeNull(), 1);
    EXPECT_EQ(Reports(), Texts{});
}

TEST_F(Valiant, ComparisonsWithIntegersAndTexts) {
    valiant five(5), text("5"), abc("abc");
    EXPECT_EQ(five == 5, 1);
    EXPECT_EQ(five == 6, 0);
    EXPECT_EQ(text == 5, 0);  // a string is no number, and that is no misuse
    EXPECT_EQ(valiant() == 0, 0);
    EXPECT_EQ(abc == "abc", 1);
    EXPECT_EQ(abc == "ABC", 0);
    EXPECT_EQ(abc != "ABC", 1);
    EXPECT_EQ(abc != "abc", 0);
    EXPECT_EQ(Reports(), Texts{});

    // A non-string is neither equal nor unequal to a text, and each comparison reports.
    EXPECT_EQ(five == "5", 0);
    EXPECT_EQ(five != "5", 0);
    EXPECT_EQ(valiant(tagValiantNull{}) == "x", 0);
    EXPECT_EQ(Reports(), (Texts{kCompared, kCompared, kCompared}));

    // The reports are warnings: the library box with an Abort/Retry/Ignore question, silent at the
    // error level programs start with.
    EXPECT_EQ(valiant() == "", 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().caption, "Vantor");
    EXPECT_EQ(boxes.Last().style, (unsigned)(MB_ABORTRETRYIGNORE | MB_DEFBUTTON3));
    boxes.Clear();
    KfxSetErrorLevel(64);
    EXPECT_EQ(five == "5", 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Valiant, ComparisonsBetweenValues) {
    valiant empty1, empty2, null(tagValiantNull{}), one(1), otherOne(1), two(2), a("a"), a2("a"), b("b");
    EXPECT_EQ(empty1 == empty2, 1);
    EXPECT_EQ(null == valiant(tagValiantNull{}), 1);
    EXPECT_EQ(null == empty1, 0);
    EXPECT_EQ(empty1 == null, 0);
    EXPECT_EQ(null != empty1, 1);
    EXPECT_EQ(one == otherOne, 1);
    EXPECT_EQ(one == two, 0);
    EXPECT_EQ(one != two, 1);
    EXPECT_EQ(a == a2, 1);
    EXPECT_EQ(a == b, 0);
    EXPECT_EQ(valiant("A") == a, 0);
    EXPECT_EQ(a == one, 0);  // a string is not numeric
    EXPECT_EQ(Reports(), Texts{});

    // Against a string, a non-string on the left reports.
    EXPECT_EQ(empty1 == a, 0);
    EXPECT_EQ(one != a, 1);
    EXPECT_EQ(Reports(), (Texts{kCompared, kCompared}));
}

TEST_F(Valiant, CastsReportMisuse) {
    valiant number(42), empty, null(tagValiantNull{}), text("abc");
    EXPECT_EQ((int)number, 42);
    EXPECT_EQ((int)empty, 0);  // holds no integer: 0, without a report
    EXPECT_EQ((int)text, 0);
    EXPECT_STREQ((const char*)text, "abc");
    EXPECT_EQ(Reports(), Texts{});

    EXPECT_EQ((int)null, 0);
    EXPECT_STREQ((const char*)null, "");
    EXPECT_STREQ((const char*)number, "");
    EXPECT_STREQ((const char*)empty, "");
    EXPECT_EQ(Reports(), (Texts{kNullCast, kNullCast, kToText, kToText}));

    // CastString hands out the held text for changing in place.
    text.CastString() += "def";
    EXPECT_STREQ((const char*)text, "abcdef");
    CString& none = number.CastString();
    EXPECT_EQ(none, "");
    none = "scribbled";
    EXPECT_EQ(null.CastString(), "");  // earlier scribbles never come back
    EXPECT_EQ(Reports(), (Texts{kToCString, kNullCast}));
    EXPECT_EQ(number == 42, 1);
}

TEST_F(Valiant, CopiesOwnTheirText) {
    valiant a("x");
    valiant b = a;
    b.CastString() = "y";
    EXPECT_EQ(a.ToString(), "x");
    EXPECT_EQ(b.ToString(), "y");

    b = a;
    EXPECT_EQ(b.ToString(), "x");
    a = 3;  // frees the text (the sanitizer run watches for leaks)
    EXPECT_EQ(a.IsType(), 2);
    EXPECT_EQ(b.ToString(), "x");

    // A value given its own text, in every way, keeps it.
    valiant& self = b;
    b = self;
    EXPECT_EQ(b.ToString(), "x");
    b = b.CastString();
    EXPECT_EQ(b.ToString(), "x");
    b = (const char*)b;
    EXPECT_EQ(b.ToString(), "x");

    // Assignment from a value takes its kind.
    b = valiant();
    EXPECT_EQ(b.IsTypeEmpty(), 1);
    b = valiant(tagValiantNull{});
    EXPECT_EQ(b.IsTypeNull(), 1);
    b = valiant(CString("z"));
    EXPECT_EQ(b == "z", 1);
    b = a;
    EXPECT_EQ(b == 3, 1);
    EXPECT_EQ(Reports(), Texts{});
}

}  // namespace
