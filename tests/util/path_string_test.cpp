#include <kiln/util/path_string.h>

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

namespace {

CString S(const std::string& s) { return CString(s.c_str()); }

TEST(PathString, TestLiteralsAreCodePage932) {
    ASSERT_STREQ("\x95\x5C", "表");
    ASSERT_STREQ("\x83\x5C", "ソ");
}

TEST(PathString, DriveNameNeedsALetterAndAColon) {
    CString drive("unchanged");
    EXPECT_EQ(1, str2DriveName("c:\\x", drive));
    EXPECT_EQ(CString("c:"), drive);
    EXPECT_EQ(1, str2DriveName("C:", drive));
    EXPECT_EQ(CString("C:"), drive);

    drive = "unchanged";
    for (const char* bad : {"cx", "Cx", "", "1:", "@:", "[:", "`:", "{:", ":c", "\\\\srv"}) {
        EXPECT_EQ(0, str2DriveName(bad, drive)) << bad;
        EXPECT_EQ(CString("unchanged"), drive) << bad;
    }
    EXPECT_EQ(0, str2DriveName(nullptr, drive));

    EXPECT_EQ(CString("z:"), str2DriveName("z:\\home"));
    EXPECT_EQ(CString("A:"), str2DriveName("A:file"));
    EXPECT_EQ(CString(""), str2DriveName("Cx"));
}

TEST(PathString, WindowsDriveIsTheDriveOfTheSystemFolder) {
    EXPECT_EQ(CString("Z:"), GetWindowsDrive());
}

TEST(PathString, RemoveOneDirDropsTheLastComponent) {
    CString parent("old");
    EXPECT_EQ(1, strRemoveOneDir("C:\\a\\b\\", parent));
    EXPECT_EQ(CString("C:\\a"), parent);
    EXPECT_EQ(1, strRemoveOneDir("C:\\a\\b", parent));
    EXPECT_EQ(CString("C:\\a"), parent);
    EXPECT_EQ(0, strRemoveOneDir("abc", parent));
    EXPECT_EQ(CString("abc"), parent);
    EXPECT_EQ(0, strRemoveOneDir("abc\\", parent));
    EXPECT_EQ(CString("abc"), parent);
    EXPECT_EQ(0, strRemoveOneDir("C:\\", parent));
    EXPECT_EQ(CString("C:"), parent);
    EXPECT_EQ(1, strRemoveOneDir("\\\\srv\\share", parent));
    EXPECT_EQ(CString("\\\\srv"), parent);
    EXPECT_EQ(1, strRemoveOneDir("C:\\表\\ソ", parent));
    EXPECT_EQ(CString("C:\\表"), parent);
    EXPECT_EQ(1, strRemoveOneDir("C:\\表\\ソ\\", parent));
    EXPECT_EQ(CString("C:\\表"), parent);

    parent = "old";
    EXPECT_EQ(0, strRemoveOneDir("", parent));
    EXPECT_EQ(CString(""), parent);

    // The path may be the parent's own text.
    parent = "C:\\x\\y\\z";
    EXPECT_EQ(1, strRemoveOneDir(parent, parent));
    EXPECT_EQ(CString("C:\\x\\y"), parent);
}

TEST(PathString, TrailingSeparatorLooksAtTheLastByte) {
    EXPECT_EQ(CString("C:\\a\\"), PathIndexToWithSeparator("C:\\a"));
    EXPECT_EQ(CString("C:\\a\\"), PathIndexToWithSeparator("C:\\a\\"));
    EXPECT_EQ(CString(""), PathIndexToWithSeparator(""));
    EXPECT_EQ(CString("C:\\表"), PathIndexToWithSeparator("C:\\表"));  // trail byte 0x5C

    EXPECT_EQ(CString("C:\\a"), PathIndexToWithoutSeparator("C:\\a\\"));
    EXPECT_EQ(CString("C:\\a\\"), PathIndexToWithoutSeparator("C:\\a\\\\"));
    EXPECT_EQ(CString("C:\\a"), PathIndexToWithoutSeparator("C:\\a"));
    EXPECT_EQ(CString(""), PathIndexToWithoutSeparator(""));
    EXPECT_EQ(CString(""), PathIndexToWithoutSeparator("\\"));
}

TEST(PathString, SplittersCutAtTheLastBackslashOrColon) {
    EXPECT_EQ(CString("C:\\d\\"), str2PathIndex("C:\\d\\a.b.c"));
    EXPECT_EQ(CString("a.b.c"), str2FileName("C:\\d\\a.b.c"));
    EXPECT_EQ(CString("a.b"), str2FileTitle("C:\\d\\a.b.c"));

    EXPECT_EQ(CString("C:"), str2PathIndex("C:file.txt"));
    EXPECT_EQ(CString("file.txt"), str2FileName("C:file.txt"));
    EXPECT_EQ(CString("file"), str2FileTitle("C:file.txt"));

    EXPECT_EQ(CString(""), str2PathIndex("file"));
    EXPECT_EQ(CString("file"), str2FileName("file"));
    EXPECT_EQ(CString("file"), str2FileTitle("file"));

    EXPECT_EQ(CString("C:\\d\\"), str2PathIndex("C:\\d\\"));
    EXPECT_EQ(CString(""), str2FileName("C:\\d\\"));
    EXPECT_EQ(CString("c"), str2FileTitle("C:\\a.b\\c"));
    EXPECT_EQ(CString(""), str2FileName(nullptr));
}

TEST(PathString, TitleOfDottedNames) {
    EXPECT_EQ(CString(""), str2FileTitle("C:\\d\\.profile"));
    EXPECT_EQ(CString(".profile"), str2FileTitle(".profile"));
    EXPECT_EQ(CString(".a"), str2FileTitle(".a.b"));
    EXPECT_EQ(CString("name"), str2FileTitle("name."));
}

TEST(PathString, SplittersStepOverDoubleByteCharacters) {
    EXPECT_EQ(CString("C:\\表\\"), str2PathIndex("C:\\表\\ソ.txt"));
    EXPECT_EQ(CString("ソ.txt"), str2FileName("C:\\表\\ソ.txt"));
    EXPECT_EQ(CString("ソ"), str2FileTitle("C:\\表\\ソ.txt"));
    EXPECT_EQ(CString(""), str2PathIndex("表ソ"));
    EXPECT_EQ(CString("表ソ"), str2FileName("表ソ"));
    // A lead byte cut off by the terminator is not part of the name.
    EXPECT_EQ(CString("ab"), str2FileName("ab\x95"));
}

TEST(PathString, SplittersLookAtTheFirst260BytesOnly) {
    const std::string a255(255, 'a');
    const std::string sepAt255 = a255 + "\\bcdefgh";
    EXPECT_EQ(S(a255 + "\\"), str2PathIndex(sepAt255.c_str()));
    EXPECT_EQ(CString("bcde"), str2FileName(sepAt255.c_str()));

    const std::string sepBeyond = std::string(270, 'a') + "\\x";
    EXPECT_EQ(CString(""), str2PathIndex(sepBeyond.c_str()));
    EXPECT_EQ(S(std::string(260, 'a')), str2FileName(sepBeyond.c_str()));

    const std::string periodAt259 = std::string(258, 'a') + "b.txt";
    EXPECT_EQ(S(std::string(258, 'a') + "b"), str2FileTitle(periodAt259.c_str()));
    EXPECT_EQ(S(std::string(258, 'a') + "b."), str2FileName(periodAt259.c_str()));

    const std::string periodBeyond = std::string(261, 'a') + ".txt";
    EXPECT_EQ(S(std::string(260, 'a')), str2FileTitle(periodBeyond.c_str()));

    // A double-byte character must fit whole: one that straddles the limit is left out.
    const std::string fits = std::string(258, 'a') + "表x";
    EXPECT_EQ(S(std::string(258, 'a') + "表"), str2FileName(fits.c_str()));
    EXPECT_EQ(CString(""), str2PathIndex(fits.c_str()));
    const std::string straddles = std::string(259, 'a') + "表";
    EXPECT_EQ(S(std::string(259, 'a')), str2FileName(straddles.c_str()));
}

TEST(PathString, AddToFileNameAndTitle) {
    EXPECT_EQ(CString("C:\\d\\x_a.txt"), strAddFileNameTop("C:\\d\\a.txt", "x_"));
    EXPECT_EQ(CString("x_a.txt"), strAddFileNameTop("a.txt", "x_"));
    EXPECT_EQ(CString("C:\\d\\a.b_1.c"), strAddFileTitleLast("C:\\d\\a.b.c", "_1"));
    EXPECT_EQ(CString("C:\\d\\file_1"), strAddFileTitleLast("C:\\d\\file", "_1"));
    EXPECT_EQ(CString("C:\\d.x\\file_1"), strAddFileTitleLast("C:\\d.x\\file", "_1"));
    EXPECT_EQ(CString("C:\\表\\ソ_1.txt"), strAddFileTitleLast("C:\\表\\ソ.txt", "_1"));
    EXPECT_EQ(CString("C:\\d\\_1.profile"), strAddFileTitleLast("C:\\d\\.profile", "_1"));
}

TEST(PathString, RelativePathOnOneDrive) {
    EXPECT_EQ(CString("..\\b\\c.txt"), strGetRelativePathFrom("C:\\a\\b\\c.txt", "C:\\a\\d"));
    EXPECT_EQ(CString("b\\c.txt"), strGetRelativePathFrom("C:\\a\\b\\c.txt", "C:\\a"));
    EXPECT_EQ(CString("b\\c.txt"), strGetRelativePathFrom("C:\\a\\b\\c.txt", "C:\\a\\"));
    EXPECT_EQ(CString("..\\..\\x"), strGetRelativePathFrom("C:\\a\\x", "C:\\a\\b\\c"));
    EXPECT_EQ(CString("B.txt"), strGetRelativePathFrom("c:\\A\\B.txt", "C:\\a"));
    EXPECT_EQ(CString(""), strGetRelativePathFrom("C:\\a", "C:\\a"));
    // Nothing shared: one step per component of base, then path after its first backslash.
    EXPECT_EQ(CString("..\\..\\..\\x\\y.txt"), strGetRelativePathFrom("D:\\x\\y.txt", "C:\\a\\b"));
}

TEST(PathString, RelativePathWithDoubleByteComponents) {
    EXPECT_EQ(CString("x.txt"), strGetRelativePathFrom("C:\\表\\x.txt", "C:\\表"));
    EXPECT_EQ(CString("..\\ソ\\c"), strGetRelativePathFrom("C:\\表\\ソ\\c", "C:\\表\\a"));
    EXPECT_EQ(CString("..\\表\\c"), strGetRelativePathFrom("C:\\表\\c", "C:\\ソ"));
}

TEST(PathString, RelativePathOnTheNetwork) {
    EXPECT_EQ(CString("..\\y\\z"), strGetRelativePathFrom("\\\\srv\\s\\y\\z", "\\\\srv\\s\\x"));
    EXPECT_EQ(CString("y\\z"), strGetRelativePathFrom("\\\\srv\\s\\y\\z", "\\\\SRV\\s"));
    EXPECT_EQ(CString("..\\..\\t\\z"), strGetRelativePathFrom("\\\\srv\\t\\z", "\\\\srv\\s\\x"));
    // A network base cannot reach a local path.
    EXPECT_EQ(CString(""), strGetRelativePathFrom("C:\\a\\b", "\\\\srv\\s\\x"));
    // A local base still gives a result for a network path.
    const CString fromLocal = strGetRelativePathFrom("\\\\srv\\s\\x", "C:\\a");
    EXPECT_FALSE(fromLocal.IsEmpty());
    EXPECT_EQ(CString("..\\..\\\\srv\\s\\x"), fromLocal);
    EXPECT_EQ(CString(""), strGetRelativePathFrom(nullptr, "C:\\a"));
}

TEST(PathString, ModulePathIsTheProgramsFolder) {
    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    std::string expected = "Z:" + std::string(exe);
    expected.erase(expected.rfind('/') + 1);
    for (char& c : expected) c = c == '/' ? '\\' : c;

    const CString path = GetModulePath();
    EXPECT_EQ(S(expected), path);
    EXPECT_EQ('\\', path[path.GetLength() - 1]);
}

TEST(PathString, RootedPaths) {
    EXPECT_EQ(1, IsRootedPath("C:\\x"));
    EXPECT_EQ(1, IsRootedPath("C:x"));
    EXPECT_EQ(1, IsRootedPath("\\\\srv\\s"));
    EXPECT_EQ(0, IsRootedPath("\\x"));
    EXPECT_EQ(0, IsRootedPath("a\\b"));
    EXPECT_EQ(0, IsRootedPath(""));
    EXPECT_EQ(0, IsRootedPath(nullptr));
}

}  // namespace
