#include <kiln/util/path_string.h>

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

namespace {

// Both characters have a backslash as their trail byte.
static_assert("表"[0] == '\x95' && "表"[1] == '\\' && "ソ"[0] == '\x83' && "ソ"[1] == '\\');

// clang-format off
TEST(PathString, DriveNamesAndRootedPaths) {
    const struct { const char *path, *drive; } rows[] = {
        {"c:\\x", "c:"}, {"C:", "C:"},      {"A:file", "A:"}, {"Cx", nullptr}, {"", nullptr},
        {"1:", nullptr}, {"@:", nullptr},   {"[:", nullptr},  {"`:", nullptr}, {"{:", nullptr},
        {":c", nullptr}, {"\\\\srv", nullptr}, {nullptr, nullptr}};
    for (const auto& row : rows) {
        CString drive("unchanged");
        EXPECT_EQ(row.drive != nullptr, str2DriveName(row.path, drive)) << row.path;
        EXPECT_STREQ(row.drive ? row.drive : "unchanged", drive) << row.path;
        EXPECT_STREQ(row.drive ? row.drive : "", str2DriveName(row.path)) << row.path;
    }
    EXPECT_EQ(GetWindowsDrive(), "Z:");
    for (const char* path : {"C:\\x", "C:x", "\\\\srv\\s"}) EXPECT_EQ(1, IsRootedPath(path)) << path;
    for (const char* path : {"\\x", "a\\b", "", (const char*)nullptr}) EXPECT_EQ(0, IsRootedPath(path));
}

TEST(PathString, RemoveOneDirAndTrailingSeparators) {
    const struct { const char *path, *parent; int result; } rows[] = {
        {"C:\\a\\b\\", "C:\\a", 1},  {"C:\\a\\b", "C:\\a", 1},     {"abc", "abc", 0}, {"abc\\", "abc", 0},
        {"C:\\", "C:", 0},           {"\\\\srv\\share", "\\\\srv", 1}, {"C:\\表\\ソ", "C:\\表", 1},
        {"C:\\表\\ソ\\", "C:\\表", 1}, {"", "", 0}};
    for (const auto& row : rows) {
        CString parent("old");
        EXPECT_EQ(row.result, strRemoveOneDir(row.path, parent)) << row.path;
        EXPECT_STREQ(row.parent, parent) << row.path;
    }
    CString parent("C:\\x\\y\\z");  // the path may be the parent's own text
    EXPECT_EQ(1, strRemoveOneDir(parent, parent));
    EXPECT_EQ(parent, "C:\\x\\y");

    // Only the last byte is looked at, even when it is a trail byte.
    const struct { const char *path, *with, *without; } ends[] = {
        {"C:\\a", "C:\\a\\", "C:\\a"}, {"C:\\a\\\\", "C:\\a\\\\", "C:\\a\\"}, {"", "", ""},
        {"\\", "\\", ""}};
    for (const auto& row : ends) {
        EXPECT_EQ(PathIndexToWithSeparator(row.path), row.with) << row.path;
        EXPECT_EQ(PathIndexToWithoutSeparator(row.path), row.without) << row.path;
    }
    EXPECT_EQ(PathIndexToWithSeparator("C:\\表"), "C:\\表");
}

TEST(PathString, SplittersWalkCharactersOverTheFirst260Bytes) {
    // A period as the path's first byte is title; a double-byte character is taken only whole, inside the
    // limit and before the terminator.
    auto as = [](int n) { return std::string(n, 'a'); };
    const struct { std::string path, dir, name, title; } rows[] = {
        {"C:\\d\\a.b.c", "C:\\d\\", "a.b.c", "a.b"},       {"C:file.txt", "C:", "file.txt", "file"},
        {"file", "", "file", "file"},                     {"C:\\d\\", "C:\\d\\", "", ""},
        {"C:\\a.b\\c", "C:\\a.b\\", "c", "c"},            {"C:\\d\\.profile", "C:\\d\\", ".profile", ""},
        {".profile", "", ".profile", ".profile"},         {".a.b", "", ".a.b", ".a"},
        {"name.", "", "name.", "name"},                   {"C:\\表\\ソ.txt", "C:\\表\\", "ソ.txt", "ソ"},
        {"表ソ", "", "表ソ", "表ソ"},                     {"ab\x95", "", "ab", "ab"},
        {as(255) + "\\bcdefgh", as(255) + "\\", "bcde", "bcde"}, {as(270) + "\\x", "", as(260), as(260)},
        {as(258) + "b.txt", "", as(258) + "b.", as(258) + "b"},  {as(261) + ".txt", "", as(260), as(260)},
        {as(258) + "表x", "", as(258) + "表", as(258) + "表"},   {as(259) + "表", "", as(259), as(259)}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.substr(0, 20));
        EXPECT_STREQ(row.dir.c_str(), str2PathIndex(row.path.c_str()));
        EXPECT_STREQ(row.name.c_str(), str2FileName(row.path.c_str()));
        EXPECT_STREQ(row.title.c_str(), str2FileTitle(row.path.c_str()));
    }
    EXPECT_EQ(str2FileName(nullptr), "");

    const struct { const char *path, *top, *last; } added[] = {
        {"C:\\d\\a.b.c", "C:\\d\\x_a.b.c", "C:\\d\\a.b_1.c"}, {"a.txt", "x_a.txt", "a_1.txt"},
        {"C:\\d.x\\file", "C:\\d.x\\x_file", "C:\\d.x\\file_1"},
        {"C:\\表\\ソ.txt", "C:\\表\\x_ソ.txt", "C:\\表\\ソ_1.txt"},
        {"C:\\d\\.profile", "C:\\d\\x_.profile", "C:\\d\\_1.profile"}};
    for (const auto& row : added) {
        EXPECT_EQ(strAddFileNameTop(row.path, "x_"), row.top) << row.path;
        EXPECT_EQ(strAddFileTitleLast(row.path, "_1"), row.last) << row.path;
    }
}

TEST(PathString, RelativePathsAndTheModulePath) {
    const struct { const char *path, *base, *relative; } rows[] = {
        {"C:\\a\\b\\c.txt", "C:\\a\\d", "..\\b\\c.txt"},  {"C:\\a\\b\\c.txt", "C:\\a", "b\\c.txt"},
        {"C:\\a\\b\\c.txt", "C:\\a\\", "b\\c.txt"},        {"C:\\a\\x", "C:\\a\\b\\c", "..\\..\\x"},
        {"c:\\A\\B.txt", "C:\\a", "B.txt"},                {"C:\\a", "C:\\a", ""},
        {"D:\\x\\y.txt", "C:\\a\\b", "..\\..\\..\\x\\y.txt"},  // nothing shared
        {"C:\\表\\x.txt", "C:\\表", "x.txt"},              {"C:\\表\\ソ\\c", "C:\\表\\a", "..\\ソ\\c"},
        {"C:\\表\\c", "C:\\ソ", "..\\表\\c"},              {"\\\\srv\\s\\y\\z", "\\\\srv\\s\\x", "..\\y\\z"},
        {"\\\\srv\\s\\y\\z", "\\\\SRV\\s", "y\\z"},        {"\\\\srv\\t\\z", "\\\\srv\\s\\x", "..\\..\\t\\z"},
        {"C:\\a\\b", "\\\\srv\\s\\x", ""},  // a network base cannot reach a local path
        {"\\\\srv\\s\\x", "C:\\a", "..\\..\\\\srv\\s\\x"}, {nullptr, "C:\\a", ""}};
    for (const auto& row : rows)
        EXPECT_STREQ(row.relative, strGetRelativePathFrom(row.path, row.base)) << row.path << "|" << row.base;

    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    std::string folder = "Z:" + std::string(exe);
    folder.erase(folder.rfind('/') + 1);
    for (char& c : folder) c = c == '/' ? '\\' : c;
    EXPECT_STREQ(folder.c_str(), GetModulePath());
}

// clang-format on
}  // namespace
