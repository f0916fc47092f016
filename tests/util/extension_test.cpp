#include <kiln/util/extension.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

static_assert("表"[1] == '\\');  // a backslash trail byte

// clang-format off
TEST(Extension, GetExtensionStepsOverDoubleByteCharacters) {
    const struct { const char* path; int period; const char* text; } rows[] = {  // period -1: none
        {"a.b.c", 3, "c"}, {"C:\\dir.x\\file", -1, ""}, {"file", -1, ""}, {"C:\\d\\.profile", 5, "profile"},
        {"file.", 4, ""},  {"C:\\a.表", 4, "表"}};
    for (const auto& row : rows) {
        const char* period = row.period < 0 ? nullptr : row.path + row.period;
        EXPECT_EQ(period, GetExtension(row.path)) << row.path;
        EXPECT_EQ(period ? period + 1 : nullptr, GetExtensionNoPeriod(row.path)) << row.path;
        EXPECT_STREQ(row.text, GetExtensionNoPeriodEx(row.path)) << row.path;
    }
    EXPECT_EQ(nullptr, GetExtension(nullptr));
}

TEST(Extension, InPlaceFunctionsAndRemoveExtensionScanByteByByte) {
    // The trail byte 0x5C of 表 counts as a backslash here.
    const struct { const char *path, *ext, *set, *cut; } rows[] = {
        {"file.txt", ".bak", "file.bak", "file"}, {"dir.d\\file", ".bak", "dir.d\\file.bak", "dir.d\\file"},
        {"name.txt", "", "name", "name"},         {"C:\\d\\a.b.c", ".xy", "C:\\d\\a.b.xy", "C:\\d\\a.b"},
        {"a.表", ".x", "a.表.x", "a.表"},         {".profile", ".x", ".x", ""}};
    for (const auto& row : rows) {
        char buffer[64];
        EXPECT_EQ(buffer, SetExtension(std::strcpy(buffer, row.path), row.ext));
        EXPECT_STREQ(row.set, buffer);
        EXPECT_EQ(buffer, CutExtension(std::strcpy(buffer, row.path)));
        EXPECT_STREQ(row.cut, buffer);
        EXPECT_STREQ(row.cut, RemoveExtension(row.path));
    }
    char keep[] = "keep.me";
    EXPECT_STREQ("keep.me", SetExtension(keep, nullptr));
    EXPECT_EQ(RemoveExtension(nullptr), "");
    const std::string longName(600, 'n');  // far longer than any path buffer: nothing is lost
    EXPECT_STREQ(longName.c_str(), RemoveExtension((longName + ".ext").c_str()));

    // SetExtensionNoPeriod keeps the period; both '/' and the backslash end a possible extension.
    const struct { const char *path, *ext, *result; } noPeriod[] = {
        {"file.txt", "bak", "file.bak"}, {"a/b.c/d", "e", "a/b.c/d.e"}, {"a\\b.c\\d", "e", "a\\b.c\\d.e"},
        {"file.txt", "", "file."},       {"file.", "x", "file.x"},      {"a.b.c", "z", "a.b.z"}};
    for (const auto& row : noPeriod) EXPECT_STREQ(row.result, SetExtensionNoPeriod(row.path, row.ext));
    EXPECT_STREQ((longName + ".ext").c_str(), SetExtensionNoPeriod(longName.c_str(), "ext"));
}

TEST(Extension, ExtensionListsIgnoreCaseAndEndAtAnEmptyItem) {
    const struct { const char *ext, *list; int index; } rows[] = {
        {"JPG", "bmp;jpg;png", 1},  {"bmp", "BMP;jpg;png", 0}, {"Png", "bmp;jpg;png", 2},
        {"gif", "bmp;jpg;png", -1}, {"jp", "bmp;jpg;png", -1}, {"JPG", "bmp;;jpg", -1},
        {nullptr, "bmp;jpg", -1},   {"", "bmp;jpg", -1},       {"bmp", nullptr, -1}};
    for (const auto& row : rows) EXPECT_EQ(row.index, CompareExtBetweenExt(row.ext, row.list)) << row.ext;
    const struct { const char* path; int index; } files[] = {
        {"C:\\pics\\Photo.JPG", 1}, {"a.b.bmp", 0}, {"C:\\pics.jpg\\photo", -1}, {"C:\\pics\\photo.gif", -1}};
    for (const auto& f : files) EXPECT_EQ(f.index, CompareFileBetweenExt(f.path, "bmp;jpg;png")) << f.path;
}

// clang-format on
}  // namespace
