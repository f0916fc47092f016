#include "platform/runtime/host_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(HostFolder, FolderOfEveryShapeOfPath) {
    const struct {
        const char* path;
        const char* folder;
    } cases[] = {{"/a/b", "/a"}, {"/a/b/", "/a"}, {"/a//b", "/a"}, {"/a", "/"},
                 {"/", "/"},     {"a/b", "a"},    {"a", "."},      {"", "."}};
    for (const auto& c : cases) EXPECT_EQ(kiln::detail::HostFolderOf(c.path), c.folder) << c.path;
}

}  // namespace
