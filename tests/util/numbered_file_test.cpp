#include <kiln/util/numbered_file.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

TEST(GetNextFileNameNumbered, CountsTheLastRunWithinItsWidth) {
    const struct {
        const char* name;
        std::vector<std::string> existing;  // a name ending in '/' is a folder
        int tries;
        int result;
        const char* next;
    } cases[] = {
        {"img0009.bmp", {"img0012.bmp", "img0013.bmp"}, 5, 1, "img0012.bmp"},
        {"img0009.bmp", {"img0015.bmp"}, 5, 0, "img0014.bmp"},
        {"img0009.bmp", {"img0010.bmp/"}, 1, 1, "img0010.bmp"},  // folders count
        {"a1b2.txt", {"a2b2.txt", "a1b3.txt"}, 1, 1, "a1b3.txt"},
        {"shot99.png", {"shot100.png", "shot00.png"}, 5, 0, "shot99.png"},
        {"v7", {"v8"}, 0, 0, "v7"},
        {"nodigits.txt", {}, 5, 0, "nodigits.txt"},
        {"f123456789.txt", {"f123456790.txt"}, 1, 1, "f123456790.txt"},
        {"f999999997.txt", {}, 5, 0, "f999999999.txt"},
        {"f1234567890.txt", {"f1234567891.txt"}, 1, 0, "f1234567890.txt"},
        {"f01234567890.txt", {"f01234567891.txt"}, 1, 0, "f01234567890.txt"},
        {"表1.txt", {"表2.txt"}, 1, 1, "表2.txt"},
    };
    for (const auto& c : cases) {
        kiln::test::TempDir dir;
        kiln::test::ScopedCwd cwd(dir.host());  // names without the temporary folder's own digits
        for (const std::string& e : c.existing) {
            if (e.back() == '/')
                std::filesystem::create_directory(dir.host(e));
            else
                dir.Write(e, "");
        }
        CString next = "stale";
        EXPECT_EQ(GetNextFileNameNumbered(c.name, next, c.tries), c.result) << c.name;
        EXPECT_STREQ(next, c.next) << c.name;
    }
}

}  // namespace
