#include <kiln/util/directory_clean.h>

#include <gtest/gtest.h>

namespace {

TEST(DirectoryClean, ResolvesDotsByTheComponentsText) {
    const struct {
        const char* path;
        const char* result;
    } cases[] = {
        {"C:\\a\\..\\b\\.\\c", "C:\\b\\c\\"},
        {"a\\b\\..\\..\\c", "a\\c\\"},  // a second ".." takes back the same component
        {"C:\\a\\b\\..\\..\\..", "C:\\a\\"},
        {"..\\x", "..\\x\\"},  // nothing to take back: kept
        {"..\\..\\x", "x\\"},  // the kept ".." is then taken back itself
        {"a\\.\\.\\b\\", "a\\b\\"},
        {"a\\\\b", "a\\"},  // reading ends at the first empty component
        {"\\a\\b", ""},
        {"", ""},
        {"表\\..\\x", "x\\"},  // 表 ends in the byte of a backslash
    };
    for (const auto& c : cases) {
        CString result = "stale";
        DirectoryClean(c.path, result);
        EXPECT_STREQ(result, c.result) << c.path;
    }
}

}  // namespace
