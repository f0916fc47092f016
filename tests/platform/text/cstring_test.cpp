#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/exception.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CString, ConstructionAssignmentAndConcatenation) {
    CString s = "abc", a = "ab";
    s = (const char*)nullptr;
    EXPECT_EQ(s.GetLength(), 0);
    s = 'q';
    // clang-format off
    const std::pair<CString, const char*> cases[] = {
        {CString(), ""}, {CString((const char*)nullptr), ""}, {CString("abcdef", 3), "abc"}, {CString('x', 3), "xxx"},
        {CString('x', 0), ""}, {s, "q"}, {a + "c", "abc"}, {"z" + a, "zab"}, {a + 'x', "abx"}, {'y' + a, "yab"},
        {a + a, "abab"}};
    // clang-format on
    for (const auto& [value, text] : cases) EXPECT_STREQ(value, text);

    // Assignment from its own text.
    s = "hello world";
    s = (const char*)s + 6;
    EXPECT_STREQ(s, "world");
    s += (const char*)s;
    EXPECT_STREQ(s, "worldworld");
}

TEST(CString, BufferProtocolAndFormat) {
    CString s = "ab";
    char* p = s.GetBuffer(10);
    EXPECT_STREQ(p, "ab");  // the old text is still terminated where it was
    std::strcpy(p, "0123456789");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 10);
    s.GetBuffer(4)[2] = '\0';
    s.ReleaseBuffer();
    EXPECT_STREQ(s, "01");
    std::memcpy(s.GetBufferSetLength(5), "vwxyz", 5);
    s.ReleaseBuffer(3);
    EXPECT_STREQ(s, "vwx");

    // Format grows past any fixed buffer.
    s.Format("%d-%s-%05.1f", 42, "x", 3.14159);
    EXPECT_STREQ(s, "42-x-003.1");
    std::string big(5000, 'z');
    s.Format("[%s]", big.c_str());
    EXPECT_EQ(s.GetLength(), 5002);
    s.AppendFormat("%c", '!');
    EXPECT_EQ(s.Right(2), CString("]!"));
}

TEST(CString, ComparisonsFoldOnlySingleByteLetters) {
    CString s = "Abc";
    EXPECT_EQ(s.Compare("Abc"), 0);
    EXPECT_LT(s.Compare("abc"), 0);
    EXPECT_EQ(s.CompareNoCase("aBC"), 0);
    EXPECT_GT(s.CompareNoCase("ab"), 0);
    EXPECT_LT(CString("ab").CompareNoCase("abc"), 0);
    // 0x82 0x41 and 0x82 0x61 are different double-byte characters: folding their trail bytes must
    // never make them equal.
    EXPECT_NE(CString("\x82\x41").CompareNoCase("\x82\x61"), 0);
    EXPECT_TRUE(CString("a") == "a");
    EXPECT_TRUE("b" > CString("a"));
    EXPECT_TRUE(CString("a") != CString("b"));
}

TEST(CString, SearchesAndEditsStepOverDoubleByteCharacters) {
    // 表 is 0x95 0x5C in code page 932: its trail byte is a backslash.
    CString s = "表\\x", t = "表", u = "表";
    ASSERT_EQ(s.GetLength(), 4);
    EXPECT_EQ(s.Find('\\'), 2);
    EXPECT_EQ(s.ReverseFind('\\'), 2);
    EXPECT_EQ(t.Find('\\'), -1);
    EXPECT_EQ(s.FindOneOf("x\\"), 2);
    EXPECT_EQ(s.Find("\\x"), 2);
    EXPECT_EQ(CString("a\\b\\c").Find('\\', 2), 3);
    EXPECT_EQ(CString("abc").Find(""), 0);
    EXPECT_EQ(CString("abc").Find("c", 5), -1);
    EXPECT_EQ(t.Replace('\\', '/'), 0);
    EXPECT_EQ(t.Remove('\\'), 0);
    u.TrimRight('\\');  // a trail byte equal to a trimmed character stays with its lead byte
    EXPECT_EQ(t + u, CString("表表"));

    CString m = "aB表c";
    m.MakeUpper();
    EXPECT_STREQ(m, "AB表C");
    m.MakeLower();
    EXPECT_STREQ(m, "ab表c");
    m.MakeReverse();
    EXPECT_STREQ(m, "c表ba");
}

TEST(CString, SubstringsClampTheirArgumentsAndEditsChangeInPlace) {
    CString s = "abcdef";
    // clang-format off
    const std::pair<CString, const char*> parts[] = {
        {s.Left(2), "ab"}, {s.Left(-1), ""}, {s.Left(99), "abcdef"}, {s.Mid(4), "ef"}, {s.Mid(1, 2), "bc"},
        {s.Mid(9), ""}, {s.Right(2), "ef"}, {s.SpanIncluding("cba"), "abc"}, {s.SpanExcluding("d"), "abc"}};
    // clang-format on
    for (const auto& [part, text] : parts) EXPECT_STREQ(part, text);

    s = "a-b-c";
    EXPECT_EQ(s.Replace("-", "--"), 2);
    EXPECT_STREQ(s, "a--b--c");
    EXPECT_EQ(s.Remove('-'), 4);
    EXPECT_STREQ(s, "abc");
    s.Insert(1, "XY");
    s.Insert(0, '>');
    EXPECT_STREQ(s, ">aXYbc");
    s.Delete(1, 3);
    s.Delete(10, 1);
    EXPECT_STREQ(s, ">bc");

    s = "  \tx y \r\n";
    s.Trim();
    EXPECT_STREQ(s, "x y");
    s = "xx表xx";
    s.Trim('x');
    EXPECT_STREQ(s, "表");
    CString list = ";a;;b;";
    int pos = 0;
    for (const char* token : {"a", "b", ""}) EXPECT_STREQ(list.Tokenize(";", pos), token);
    EXPECT_EQ(pos, -1);
}

}  // namespace
