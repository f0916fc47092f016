#include <kiln/platform/cstring.h>
#include <kiln/platform/exception.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CString, ConstructionAndNullPointers) {
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_TRUE(CString((const char*)nullptr).IsEmpty());
    EXPECT_STREQ(CString("abcdef", 3), "abc");
    EXPECT_STREQ(CString('x', 3), "xxx");
    EXPECT_TRUE(CString('x', 0).IsEmpty());
    CString s = "abc";
    s = (const char*)nullptr;
    EXPECT_EQ(s.GetLength(), 0);
    s = 'q';
    EXPECT_STREQ(s, "q");
}

TEST(CString, AssignmentFromItsOwnText) {
    CString s = "hello world";
    s = (const char*)s + 6;
    EXPECT_STREQ(s, "world");
    s += (const char*)s;
    EXPECT_STREQ(s, "worldworld");
}

TEST(CString, BufferProtocol) {
    CString s = "ab";
    char* p = s.GetBuffer(10);
    EXPECT_STREQ(p, "ab");  // the old text is still terminated where it was
    std::strcpy(p, "0123456789");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 10);
    p = s.GetBuffer(4);
    p[2] = '\0';
    s.ReleaseBuffer();
    EXPECT_STREQ(s, "01");
    p = s.GetBufferSetLength(5);
    std::memcpy(p, "vwxyz", 5);
    s.ReleaseBuffer(3);
    EXPECT_STREQ(s, "vwx");
}

TEST(CString, FormatGrowsPastAnyFixedBuffer) {
    CString s;
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
    // 0x82 0x60 and 0x82 0x81 are different double-byte characters; folding their trail bytes
    // ('`' and 0x81 are not letters anyway) must never make them equal.
    EXPECT_NE(CString("\x82\x41").CompareNoCase("\x82\x61"), 0);
    EXPECT_TRUE(CString("a") == "a");
    EXPECT_TRUE("b" > CString("a"));
    EXPECT_TRUE(CString("a") != CString("b"));
}

TEST(CString, SearchesStepOverDoubleByteCharacters) {
    // 表 is 0x95 0x5C in code page 932: its trail byte is a backslash.
    CString s = "表\\x";
    ASSERT_EQ(s.GetLength(), 4);
    EXPECT_EQ(s.Find('\\'), 2);
    EXPECT_EQ(s.ReverseFind('\\'), 2);
    EXPECT_EQ(CString("表").Find('\\'), -1);
    EXPECT_EQ(s.FindOneOf("x\\"), 2);
    EXPECT_EQ(s.Find("\\x"), 2);
    EXPECT_EQ(CString("a\\b\\c").Find('\\', 2), 3);
    EXPECT_EQ(CString("abc").Find(""), 0);
    EXPECT_EQ(CString("abc").Find("c", 5), -1);
    CString t = "表";
    EXPECT_EQ(t.Replace('\\', '/'), 0);
    EXPECT_EQ(t.Remove('\\'), 0);
    EXPECT_EQ(t, CString("表"));
}

TEST(CString, SubstringsClampTheirArguments) {
    CString s = "abcdef";
    EXPECT_STREQ(s.Left(2), "ab");
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(s.Left(99), "abcdef");
    EXPECT_STREQ(s.Mid(4), "ef");
    EXPECT_STREQ(s.Mid(1, 2), "bc");
    EXPECT_STREQ(s.Mid(9), "");
    EXPECT_STREQ(s.Right(2), "ef");
    EXPECT_STREQ(s.SpanIncluding("cba"), "abc");
    EXPECT_STREQ(s.SpanExcluding("d"), "abc");
}

TEST(CString, EditingOperations) {
    CString s = "a-b-c";
    EXPECT_EQ(s.Replace("-", "--"), 2);
    EXPECT_STREQ(s, "a--b--c");
    EXPECT_EQ(s.Remove('-'), 4);
    EXPECT_STREQ(s, "abc");
    s.Insert(1, "XY");
    s.Insert(0, '>');
    EXPECT_STREQ(s, ">aXYbc");
    s.Delete(1, 3);
    EXPECT_STREQ(s, ">bc");
    s.Delete(10, 1);
    EXPECT_STREQ(s, ">bc");
    CString m = "aB表c";
    m.MakeUpper();
    EXPECT_STREQ(m, "AB表C");
    m.MakeLower();
    EXPECT_STREQ(m, "ab表c");
    m.MakeReverse();
    EXPECT_STREQ(m, "c表ba");
}

TEST(CString, TrimAndTokenize) {
    CString s = "  \tx y \r\n";
    s.Trim();
    EXPECT_STREQ(s, "x y");
    CString t = "xx表xx";
    t.Trim('x');
    EXPECT_STREQ(t, "表");
    // A trail byte equal to a trimmed character stays with its lead byte.
    CString u = "表";
    u.TrimRight('\\');
    EXPECT_STREQ(u, "表");

    CString list = ";a;;b;";
    int pos = 0;
    EXPECT_STREQ(list.Tokenize(";", pos), "a");
    EXPECT_STREQ(list.Tokenize(";", pos), "b");
    EXPECT_STREQ(list.Tokenize(";", pos), "");
    EXPECT_EQ(pos, -1);
}

TEST(CString, Concatenation) {
    CString a = "ab";
    EXPECT_STREQ(a + "c", "abc");
    EXPECT_STREQ("z" + a, "zab");
    EXPECT_STREQ(a + 'x', "abx");
    EXPECT_STREQ('y' + a, "yab");
    EXPECT_STREQ(a + a, "abab");
}

}  // namespace
