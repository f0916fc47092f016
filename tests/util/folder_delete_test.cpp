#include <kiln/util/folder_delete.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "support/expect_error.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

// Builds entries under the test folder: "a/" a folder, "a/f" a file, "a/l@target" a symbolic link.
void Build(const kiln::test::TempDir& dir, const std::vector<std::string>& entries) {
    for (const std::string& e : entries) {
        size_t at = e.find('@');
        fs::create_directories(fs::path(dir.host(e.substr(0, at))).parent_path());
        if (at != std::string::npos)
            fs::create_directory_symlink(e.substr(at + 1), dir.host(e.substr(0, at)));
        else if (e.back() == '/')
            fs::create_directories(dir.host(e));
        else
            dir.Write(e, "x");
    }
}

// Everything left under the test folder, links not followed; folders end in '/'.
Names Left(const kiln::test::TempDir& dir) {
    Names names;
    for (const auto& e : fs::recursive_directory_iterator(dir.host())) {
        std::string name = e.path().lexically_relative(dir.host()).string();
        names.insert(e.is_directory() && !e.is_symlink() ? name + "/" : name);
    }
    return names;
}

TEST(DeleteFolderRecursive, RemovesOnlyFoldersThatHoldNoFiles) {
    const struct {
        const char* what;
        std::vector<std::string> tree;
        unsigned long flags;
        int result;
        Names left;
    } cases[] = {
        {"an empty folder", {"t/"}, 0, 1, {}},
        {"a tree of empty folders", {"t/a/b/c/", "t/a/d/", "t/e/"}, 1, 1, {}},
        {"without recursion", {"t/a/"}, 0, 0, {"t/", "t/a/"}},
        {"one file", {"t/f.txt"}, 1, 0, {"t/", "t/f.txt"}},
        // The first entry in search order that is not a folder ends the walk of its folder: letters
        // compare in upper case, so a.txt comes before B.
        {"a file amid folders", {"t/a/", "t/B/", "t/a.txt", "t/c/"}, 1, 0, {"t/", "t/B/", "t/a.txt", "t/c/"}},
        {"a file deep inside", {"t/a/x/f", "t/a/y/", "t/b/"}, 1, 0, {"t/", "t/a/", "t/a/x/", "t/a/x/f"}},
        {"a link to a folder outside",
         {"out/in/", "t/a/", "t/l@../out"},
         1,
         0,
         {"out/", "out/in/", "t/", "t/l"}},
    };
    for (const auto& c : cases) {
        kiln::test::TempDir dir;
        Build(dir, c.tree);
        EXPECT_EQ(DeleteFolderRecursive(dir.win("t").c_str(), c.flags), c.result) << c.what;
        EXPECT_EQ(Left(dir), c.left) << c.what;
    }
}

TEST(DeleteFolderRecursive, NamesAndFailures) {
    kiln::test::TempDir dir;
    Build(dir, {"t/a/", "f.txt", "ro/r.txt"});
    chmod(dir.host("ro/r.txt").c_str(), 0444);
    EXPECT_EQ(DeleteFolderRecursive((dir.win("t") + "\\").c_str(), 1), 1);
    EXPECT_LAST_ERROR(DeleteFolderRecursive(dir.win("t").c_str(), 1), 0, ERROR_FILE_NOT_FOUND);
    EXPECT_LAST_ERROR(DeleteFolderRecursive(dir.win("f.txt").c_str(), 1), 0, ERROR_DIRECTORY);
    EXPECT_LAST_ERROR(DeleteFolderRecursive(dir.win("ro").c_str(), 1), 0, ERROR_DIR_NOT_EMPTY);
    EXPECT_EQ(Left(dir), (Names{"f.txt", "ro/", "ro/r.txt"}));

    std::string deep = "deep/";
    for (int i = 0; i < 300; ++i) deep += "d/";
    Build(dir, {deep + "f"});
    EXPECT_EQ(DeleteFolderRecursive(dir.win("deep").c_str(), 1), 0);
    EXPECT_TRUE(dir.Exists(deep + "f"));
    fs::remove(dir.host(deep + "f"));
    EXPECT_EQ(DeleteFolderRecursive(dir.win("deep").c_str(), 1), 1);
    EXPECT_FALSE(dir.Exists("deep"));
}

}  // namespace
