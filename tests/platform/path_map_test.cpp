#include <kiln/platform/path_map.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::ScopedCwd;
using kiln::test::ScopedEnv;
using kiln::test::TempDir;

std::string Host(const char* windowsPath) {
    std::string host;
    EXPECT_TRUE(kiln::ToHostPath(windowsPath, host)) << windowsPath;
    return host;
}

bool Maps(const char* windowsPath) {
    std::string host = "untouched";
    bool mapped = kiln::ToHostPath(windowsPath, host);
    if (!mapped) {
        EXPECT_EQ(host, "") << windowsPath;
    }
    return mapped;
}

// The Windows form of a host path, the way the platform's own functions spell it.
std::string WinOf(const std::string& host) {
    std::string out = "Z:" + host;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

TEST(PathMap, DriveZIsTheHostRoot) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    EXPECT_EQ(Host("Z:\\home\\me\\a.src"), "/home/me/a.src");
    EXPECT_EQ(Host("z:\\home\\me"), "/home/me");
    EXPECT_EQ(Host("Z:\\"), "/");
    EXPECT_EQ(Host("Z:/usr/lib"), "/usr/lib");
    EXPECT_EQ(Host("Z:\\a\\.\\b\\..\\c"), "/a/c");
    EXPECT_EQ(Host("Z:\\..\\..\\x"), "/x");  // ".." stops at the drive's root
    EXPECT_EQ(Host("Z:\\dir\\"), "/dir/");   // a trailing separator is kept
    EXPECT_FALSE(Maps("C:\\Windows"));       // no other drive by default
    EXPECT_FALSE(Maps("\\\\server\\share\\file.txt"));
    EXPECT_FALSE(Maps(""));
    EXPECT_FALSE(Maps(nullptr));
}

TEST(PathMap, HostPathsStayHostPaths) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    EXPECT_EQ(Host("/usr/lib"), "/usr/lib");
    EXPECT_EQ(Host("/tmp/work\\out.bin"), "/tmp/work/out.bin");
    EXPECT_EQ(kiln::FullWindowsPath("/tmp/work\\out.bin"), "Z:\\tmp\\work\\out.bin");
}

TEST(PathMap, DrivesFromTheEnvironment) {
    ScopedEnv drives("KILN_DRIVES", "C=/srv/c;d=/mnt/d/;bogus;E=relative");
    EXPECT_EQ(Host("C:\\x\\y.txt"), "/srv/c/x/y.txt");
    EXPECT_EQ(Host("c:\\x"), "/srv/c/x");
    EXPECT_EQ(Host("D:\\y"), "/mnt/d/y");
    EXPECT_EQ(Host("C:"), "/srv/c");
    EXPECT_EQ(Host("C:foo\\bar"), "/srv/c/foo/bar");   // a drive without backslash: from its root
    EXPECT_EQ(Host("C:\\..\\..\\etc"), "/srv/c/etc");  // never above the drive's root
    EXPECT_EQ(Host("Z:\\etc"), "/etc");
    EXPECT_FALSE(Maps("E:\\x"));  // a root that is not absolute is ignored
    EXPECT_FALSE(Maps("F:\\x"));

    // The variable is read again when its value changes.
    ScopedEnv remap("KILN_DRIVES", "Z=/home/me;C=/srv/other");
    EXPECT_EQ(Host("Z:\\a.src"), "/home/me/a.src");
    EXPECT_EQ(Host("C:\\x"), "/srv/other/x");
    EXPECT_FALSE(Maps("D:\\y"));
    ScopedEnv removed("KILN_DRIVES", "Z=");
    EXPECT_FALSE(Maps("Z:\\a.src"));
}

TEST(PathMap, RelativePathsStartAtTheWorkingDirectory) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    TempDir dir;
    std::filesystem::create_directory(dir.host("sub"));
    std::string cwd = std::filesystem::canonical(dir.host("sub")).string();
    std::string parent = std::filesystem::path(cwd).parent_path().string();
    ScopedCwd here(cwd);

    EXPECT_EQ(Host("a\\b.txt"), cwd + "/a/b.txt");
    EXPECT_EQ(Host(".\\a.txt"), cwd + "/a.txt");
    EXPECT_EQ(Host("..\\x.txt"), parent + "/x.txt");
    EXPECT_EQ(Host("\\etc\\hosts"), "/etc/hosts");  // the root of the working directory's drive
    EXPECT_EQ(kiln::FullWindowsPath("a\\..\\b\\c.txt"), WinOf(cwd) + "\\b\\c.txt");
    EXPECT_EQ(kiln::FullWindowsPath("."), WinOf(cwd));
    EXPECT_EQ(kiln::ToWindowsPath("rel/x"), WinOf(cwd) + "\\rel\\x");

    // With the working directory on a mapped drive, a rooted path is on that drive.
    ScopedEnv mapped("KILN_DRIVES", ("W=" + parent).c_str());
    EXPECT_EQ(kiln::FullWindowsPath("x.txt"), "W:\\sub\\x.txt");
    EXPECT_EQ(kiln::FullWindowsPath("\\top.txt"), "W:\\top.txt");
    EXPECT_EQ(Host("\\top.txt"), parent + "/top.txt");
}

TEST(PathMap, TrailByteBackslashStaysInItsCharacter) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    const std::string table = "表";  // code page 932: 0x95 0x5C
    ASSERT_EQ(table, "\x95\x5C");
    EXPECT_EQ(Host(("Z:\\tmp\\" + table + "\\x.txt").c_str()), "/tmp/" + table + "/x.txt");
    EXPECT_EQ(Host(("Z:\\tmp\\" + table).c_str()), "/tmp/" + table);
    EXPECT_EQ(Host(("Z:\\tmp\\" + table + "\\..\\y").c_str()), "/tmp/y");
    EXPECT_EQ(kiln::FullWindowsPath(("Z:\\" + table + "\\").c_str()), "Z:\\" + table + "\\");
    EXPECT_EQ(kiln::ToWindowsPath("/" + table + "/a"), "Z:\\" + table + "\\a");
    // A lead byte at the very end has no trail byte to take.
    EXPECT_EQ(Host("Z:\\a\x95"), "/a\x95");
}

TEST(PathMap, ReverseMappingTakesTheLongestRoot) {
    ScopedEnv drives("KILN_DRIVES", "C=/srv/c;D=/srv/c/deep;Y=/");
    EXPECT_EQ(kiln::ToWindowsPath("/srv/c/work/a.txt"), "C:\\work\\a.txt");
    EXPECT_EQ(kiln::ToWindowsPath("/srv/c/deep/x"), "D:\\x");
    EXPECT_EQ(kiln::ToWindowsPath("/srv/c"), "C:\\");
    EXPECT_EQ(kiln::ToWindowsPath("/srv/cc/x"), "Y:\\srv\\cc\\x");  // whole components only
    EXPECT_EQ(kiln::ToWindowsPath("/srv/c/a/../../b"), "Y:\\srv\\b");

    ScopedEnv plain("KILN_DRIVES", nullptr);
    EXPECT_EQ(kiln::ToWindowsPath("/home/me/a.src"), "Z:\\home\\me\\a.src");
    EXPECT_EQ(kiln::ToWindowsPath("/"), "Z:\\");

    // With Z: moved away, a host path outside every drive keeps a rooted form that maps back.
    TempDir dir;
    ScopedCwd here(dir.host());
    ScopedEnv moved("KILN_DRIVES", "Z=/nonexistent-root");
    EXPECT_EQ(kiln::ToWindowsPath("/usr/lib"), "\\usr\\lib");
    EXPECT_EQ(Host("\\usr\\lib"), "/usr/lib");
    EXPECT_EQ(kiln::ToWindowsPath("/nonexistent-root/x"), "Z:\\x");
}

TEST(PathMap, FullWindowsPathResolvesLikeGetFullPathName) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    EXPECT_EQ(kiln::FullWindowsPath("c:\\a\\.\\b\\..\\"), "C:\\a\\");
    EXPECT_EQ(kiln::FullWindowsPath("C:\\a\\b\\.."), "C:\\a");
    EXPECT_EQ(kiln::FullWindowsPath("C:\\.."), "C:\\");
    EXPECT_EQ(kiln::FullWindowsPath("C:x"), "C:\\x");
    EXPECT_EQ(kiln::FullWindowsPath("C:/a//b"), "C:\\a\\b");
    EXPECT_EQ(kiln::FullWindowsPath("\\\\srv\\share\\a\\..\\..\\b"), "\\\\srv\\share\\b");
    EXPECT_EQ(kiln::FullWindowsPath(""), "");
}

}  // namespace
