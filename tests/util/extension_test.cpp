#include <kiln/util/extension.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(Extension, GetExtensionFindsTheLastPeriodOfTheName) {
    const char* abc = "a.b.c";
    EXPECT_EQ(abc + 3, GetExtension(abc));
    EXPECT_EQ(nullptr, GetExtension("C:\\dir.x\\file"));
    EXPECT_EQ(nullptr, GetExtension("file"));
    EXPECT_EQ(nullptr, GetExtension(nullptr));
    const char* dotted = "C:\\d\\.profile";
    EXPECT_EQ(dotted + 5, GetExtension(dotted));

    EXPECT_EQ(abc + 4, GetExtensionNoPeriod(abc));
    EXPECT_EQ(nullptr, GetExtensionNoPeriod("C:\\dir.x\\file"));
    EXPECT_EQ(CString("c"), GetExtensionNoPeriodEx(abc));
    EXPECT_EQ(CString(""), GetExtensionNoPeriodEx("C:\\dir.x\\file"));
    EXPECT_EQ(CString(""), GetExtensionNoPeriodEx("file."));
}

TEST(Extension, GetExtensionStepsOverDoubleByteCharacters) {
    ASSERT_STREQ("\x95\x5C", "表");
    // The trail byte of 表 is not a backslash, so the period still begins the extension.
    const char* path = "C:\\a.表";
    EXPECT_EQ(path + 4, GetExtension(path));
    EXPECT_EQ(CString("表"), GetExtensionNoPeriodEx(path));
}

TEST(Extension, SetExtensionReplacesOrAppends) {
    char buffer[64];
    std::strcpy(buffer, "file.txt");
    EXPECT_EQ(buffer, SetExtension(buffer, ".bak"));
    EXPECT_STREQ("file.bak", buffer);

    std::strcpy(buffer, "dir.d\\file");
    EXPECT_EQ(buffer, SetExtension(buffer, ".bak"));
    EXPECT_STREQ("dir.d\\file.bak", buffer);

    std::strcpy(buffer, "a.b.c");
    SetExtension(buffer, ".longer");
    EXPECT_STREQ("a.b.longer", buffer);

    std::strcpy(buffer, "name.txt");
    SetExtension(buffer, "");
    EXPECT_STREQ("name", buffer);

    std::strcpy(buffer, "keep.me");
    EXPECT_EQ(buffer, SetExtension(buffer, nullptr));
    EXPECT_STREQ("keep.me", buffer);
}

TEST(Extension, CutExtensionAndRemoveExtension) {
    char buffer[64];
    std::strcpy(buffer, "C:\\dir\\a.b.c");
    EXPECT_EQ(buffer, CutExtension(buffer));
    EXPECT_STREQ("C:\\dir\\a.b", buffer);

    std::strcpy(buffer, "C:\\dir.x\\file");
    CutExtension(buffer);
    EXPECT_STREQ("C:\\dir.x\\file", buffer);

    EXPECT_EQ(CString("C:\\dir\\a.b"), RemoveExtension("C:\\dir\\a.b.c"));
    EXPECT_EQ(CString("C:\\dir.x\\file"), RemoveExtension("C:\\dir.x\\file"));
    EXPECT_EQ(CString(""), RemoveExtension(".profile"));
    EXPECT_EQ(CString(""), RemoveExtension(nullptr));

    // Far longer than any path buffer: nothing is lost.
    const std::string longName = std::string(600, 'n') + ".ext";
    EXPECT_EQ(CString(std::string(600, 'n').c_str()), RemoveExtension(longName.c_str()));
}

TEST(Extension, InPlaceFunctionsScanByteByByte) {
    // The trail byte 0x5C of 表 counts as a backslash in the byte scan.
    char buffer[64];
    std::strcpy(buffer, "a.表");
    SetExtension(buffer, ".x");
    EXPECT_STREQ("a.表.x", buffer);

    std::strcpy(buffer, "a.表");
    CutExtension(buffer);
    EXPECT_STREQ("a.表", buffer);
    EXPECT_EQ(CString("a.表"), RemoveExtension("a.表"));
}

TEST(Extension, SetExtensionNoPeriodKeepsThePeriod) {
    EXPECT_EQ(CString("file.bak"), SetExtensionNoPeriod("file.txt", "bak"));
    EXPECT_EQ(CString("a/b.c/d.e"), SetExtensionNoPeriod("a/b.c/d", "e"));
    EXPECT_EQ(CString("a\\b.c\\d.e"), SetExtensionNoPeriod("a\\b.c\\d", "e"));
    EXPECT_EQ(CString("file."), SetExtensionNoPeriod("file.txt", ""));
    EXPECT_EQ(CString("file.x"), SetExtensionNoPeriod("file.", "x"));
    EXPECT_EQ(CString("a.b.z"), SetExtensionNoPeriod("a.b.c", "z"));

    const std::string longPath = std::string(400, 'p');
    EXPECT_EQ(CString((longPath + ".ext").c_str()), SetExtensionNoPeriod(longPath.c_str(), "ext"));
}

TEST(Extension, CompareExtBetweenExtIgnoresCase) {
    EXPECT_EQ(1, CompareExtBetweenExt("JPG", "bmp;jpg;png"));
    EXPECT_EQ(0, CompareExtBetweenExt("bmp", "BMP;jpg;png"));
    EXPECT_EQ(2, CompareExtBetweenExt("Png", "bmp;jpg;png"));
    EXPECT_EQ(-1, CompareExtBetweenExt("gif", "bmp;jpg;png"));
    EXPECT_EQ(-1, CompareExtBetweenExt("jp", "bmp;jpg;png"));
    // An empty item hides everything after it.
    EXPECT_EQ(-1, CompareExtBetweenExt("JPG", "bmp;;jpg"));
    EXPECT_EQ(-1, CompareExtBetweenExt(nullptr, "bmp;jpg"));
    EXPECT_EQ(-1, CompareExtBetweenExt("", "bmp;jpg"));
    EXPECT_EQ(-1, CompareExtBetweenExt("bmp", nullptr));
}

TEST(Extension, CompareFileBetweenExtUsesThePathsExtension) {
    EXPECT_EQ(1, CompareFileBetweenExt("C:\\pics\\Photo.JPG", "bmp;jpg;png"));
    EXPECT_EQ(-1, CompareFileBetweenExt("C:\\pics.jpg\\photo", "bmp;jpg;png"));
    EXPECT_EQ(-1, CompareFileBetweenExt("C:\\pics\\photo.gif", "bmp;jpg;png"));
    EXPECT_EQ(0, CompareFileBetweenExt("a.b.bmp", "bmp;jpg;png"));
}

}  // namespace
