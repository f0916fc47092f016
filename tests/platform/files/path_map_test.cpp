#include <kiln/platform/files/path_map.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::ScopedCwd;
using kiln::test::ScopedEnv;
using Cases = std::vector<std::pair<const char*, std::string>>;

// Expects each Windows path to map to its host path, or to none where that is "-" (and the result is
// then empty).
void ExpectHost(const Cases& cases) {
    for (const auto& [windows, expected] : cases) {
        const char* shown = windows != nullptr ? windows : "(null)";
        std::string host = "untouched";
        bool mapped = kiln::ToHostPath(windows, host);
        EXPECT_EQ(mapped ? host : "-", expected) << shown;
        EXPECT_TRUE(mapped || host.empty()) << shown;
    }
}

// The Windows form of a host path, the way the platform's own functions spell it.
std::string WinOf(std::string host) {
    std::replace(host.begin(), host.end(), '/', '\\');
    return "Z:" + host;
}

// clang-format off
TEST(PathMap, DriveZIsTheHostRootAndHostPathsStay) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    // ".." stops at the drive's root, a trailing separator is kept, there is no other drive.
    ExpectHost({{"Z:\\home\\me\\a.src", "/home/me/a.src"}, {"z:\\home\\me", "/home/me"}, {"Z:\\", "/"},
                {"Z:/usr/lib", "/usr/lib"}, {"Z:\\a\\.\\b\\..\\c", "/a/c"}, {"Z:\\..\\..\\x", "/x"},
                {"Z:\\dir\\", "/dir/"}, {"C:\\Windows", "-"}, {"\\\\server\\share\\file.txt", "-"}, {"", "-"},
                {nullptr, "-"}, {"/usr/lib", "/usr/lib"}, {"/tmp/work\\out.bin", "/tmp/work/out.bin"}});
    EXPECT_EQ(kiln::FullWindowsPath("/tmp/work\\out.bin"), "Z:\\tmp\\work\\out.bin");
}

TEST(PathMap, DrivesFromTheEnvironment) {
    ScopedEnv drives("KILN_DRIVES", "C=/srv/c;d=/mnt/d/;bogus;E=relative");
    // A drive without backslash starts at its root, ".." never goes above it; a root that is not
    // absolute is ignored.
    ExpectHost({{"C:\\x\\y.txt", "/srv/c/x/y.txt"}, {"c:\\x", "/srv/c/x"}, {"D:\\y", "/mnt/d/y"}, {"C:", "/srv/c"},
                {"C:foo\\bar", "/srv/c/foo/bar"}, {"C:\\..\\..\\etc", "/srv/c/etc"}, {"Z:\\etc", "/etc"},
                {"E:\\x", "-"}, {"F:\\x", "-"}});
    // The variable is read again when its value changes.
    ScopedEnv remap("KILN_DRIVES", "Z=/home/me;C=/srv/other");
    ExpectHost({{"Z:\\a.src", "/home/me/a.src"}, {"C:\\x", "/srv/other/x"}, {"D:\\y", "-"}});
    ScopedEnv removed("KILN_DRIVES", "Z=");
    ExpectHost({{"Z:\\a.src", "-"}});
}
// clang-format on

TEST(PathMap, RelativePathsStartAtTheWorkingDirectory) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    kiln::test::TempDir dir;
    std::filesystem::create_directory(dir.host("sub"));
    std::string cwd = std::filesystem::canonical(dir.host("sub")).string();
    std::string parent = std::filesystem::path(cwd).parent_path().string();
    ScopedCwd here(cwd);
    // A rooted path is on the working directory's drive.
    ExpectHost({{"a\\b.txt", cwd + "/a/b.txt"},
                {".\\a.txt", cwd + "/a.txt"},
                {"..\\x.txt", parent + "/x.txt"},
                {"\\etc\\hosts", "/etc/hosts"}});
    EXPECT_EQ(kiln::FullWindowsPath("a\\..\\b\\c.txt"), WinOf(cwd) + "\\b\\c.txt");
    EXPECT_EQ(kiln::FullWindowsPath("."), WinOf(cwd));
    EXPECT_EQ(kiln::ToWindowsPath("rel/x"), WinOf(cwd) + "\\rel\\x");

    ScopedEnv mapped("KILN_DRIVES", ("W=" + parent).c_str());
    EXPECT_EQ(kiln::FullWindowsPath("x.txt"), "W:\\sub\\x.txt");
    EXPECT_EQ(kiln::FullWindowsPath("\\top.txt"), "W:\\top.txt");
    ExpectHost({{"\\top.txt", parent + "/top.txt"}});
}

TEST(PathMap, TrailByteBackslashStaysInItsCharacter) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    const std::string table = "表";  // code page 932: 0x95 0x5C
    ASSERT_EQ(table, "\x95\x5C");
    const std::string dir = "Z:\\tmp\\" + table, x = dir + "\\x.txt", up = dir + "\\..\\y";
    // A lead byte at the very end has no trail byte to take.
    ExpectHost({{x.c_str(), "/tmp/" + table + "/x.txt"},
                {dir.c_str(), "/tmp/" + table},
                {up.c_str(), "/tmp/y"},
                {"Z:\\a\x95", "/a\x95"}});
    EXPECT_EQ(kiln::FullWindowsPath(("Z:\\" + table + "\\").c_str()), "Z:\\" + table + "\\");
    EXPECT_EQ(kiln::ToWindowsPath("/" + table + "/a"), "Z:\\" + table + "\\a");
}

TEST(PathMap, ReverseMappingTakesTheLongestRoot) {
    ScopedEnv drives("KILN_DRIVES", "C=/srv/c;D=/srv/c/deep;Y=/");
    const std::pair<const char*, const char*> cases[] = {
        {"/srv/c/work/a.txt", "C:\\work\\a.txt"},
        {"/srv/c/deep/x", "D:\\x"},
        {"/srv/c", "C:\\"},
        {"/srv/cc/x", "Y:\\srv\\cc\\x"},  // whole components only
        {"/srv/c/a/../../b", "Y:\\srv\\b"}};
    for (auto [host, windows] : cases) EXPECT_EQ(kiln::ToWindowsPath(host), windows);
    ScopedEnv plain("KILN_DRIVES", nullptr);
    EXPECT_EQ(kiln::ToWindowsPath("/home/me/a.src"), "Z:\\home\\me\\a.src");
    EXPECT_EQ(kiln::ToWindowsPath("/"), "Z:\\");

    // With Z: moved away, a host path outside every drive keeps a rooted form that maps back.
    kiln::test::TempDir dir;
    ScopedCwd here(dir.host());
    ScopedEnv moved("KILN_DRIVES", "Z=/nonexistent-root");
    EXPECT_EQ(kiln::ToWindowsPath("/usr/lib"), "\\usr\\lib");
    ExpectHost({{"\\usr\\lib", "/usr/lib"}});
    EXPECT_EQ(kiln::ToWindowsPath("/nonexistent-root/x"), "Z:\\x");
}

TEST(PathMap, FullWindowsPathResolvesLikeGetFullPathName) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    const std::pair<const char*, const char*> cases[] = {
        {"c:\\a\\.\\b\\..\\", "C:\\a\\"},
        {"C:\\a\\b\\..", "C:\\a"},
        {"C:\\..", "C:\\"},
        {"C:x", "C:\\x"},
        {"C:/a//b", "C:\\a\\b"},
        {"\\\\srv\\share\\a\\..\\..\\b", "\\\\srv\\share\\b"},
        {"", ""}};
    for (auto [path, full] : cases) EXPECT_EQ(kiln::FullWindowsPath(path), full) << path;
}

}  // namespace
