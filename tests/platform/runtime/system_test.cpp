#include <kiln/platform/runtime/system.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <kiln/platform/files/file.h>

#include "support/child_process.h"
#include "support/expect_error.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::TempDir;

TEST(Folders, CreateRemoveDeleteAndTheirAttributes) {
    kiln::test::ScopedEnv drives("KILN_DRIVES", nullptr);
    TempDir dir;
    for (const char* name : {"file", ".hidden", "locked.txt"}) dir.Write(name, "x");
    std::filesystem::create_directories(dir.host("full/inner"));
    auto win = [&](const char* name) { return dir.win(name); };
    EXPECT_TRUE(CreateDirectoryA(win("new").c_str(), nullptr));
    EXPECT_LAST_ERROR(CreateDirectoryA(win("new").c_str(), nullptr), FALSE, ERROR_ALREADY_EXISTS);
    EXPECT_LAST_ERROR(CreateDirectoryA(win("file").c_str(), nullptr), FALSE, ERROR_ALREADY_EXISTS);
    EXPECT_LAST_ERROR(CreateDirectoryA(win("missing\\child").c_str(), nullptr), FALSE, ERROR_PATH_NOT_FOUND);
    EXPECT_LAST_ERROR(CreateDirectoryA("Q:\\folder", nullptr), FALSE, ERROR_PATH_NOT_FOUND);
    // Only empty folders are removed, and never by DeleteFile.
    EXPECT_LAST_ERROR(RemoveDirectoryA(win("full").c_str()), FALSE, ERROR_DIR_NOT_EMPTY);
    EXPECT_LAST_ERROR(RemoveDirectoryA(win("file").c_str()), FALSE, ERROR_DIRECTORY);
    EXPECT_LAST_ERROR(RemoveDirectoryA(win("nothing").c_str()), FALSE, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(RemoveDirectoryA(win("full\\inner").c_str()));
    EXPECT_LAST_ERROR(DeleteFileA(win("full").c_str()), FALSE, ERROR_ACCESS_DENIED);
    EXPECT_TRUE(DeleteFileA(win("file").c_str()));
    EXPECT_LAST_ERROR(DeleteFileA(win("file").c_str()), FALSE, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(std::filesystem::is_directory(dir.host("new")));
    EXPECT_FALSE(dir.Exists("full/inner"));

    EXPECT_EQ(GetFileAttributesA(dir.win(".hidden").c_str()), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributesA(dir.win("new").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_LAST_ERROR(GetFileAttributesA(dir.win("none").c_str()), INVALID_FILE_ATTRIBUTES,
                      ERROR_FILE_NOT_FOUND);
    chmod(dir.host().c_str(), 0755);
    chmod(dir.host("locked.txt").c_str(), 0444);
    std::string path = dir.win("locked.txt");
    EXPECT_EQ(kiln::test::RunInChild([&] { return (int)GetFileAttributesA(path.c_str()); }, true),
              (int)(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
}

TEST(CopyFile, CopiesContentsAndTimeHonoursFailIfExistsAndShareModes) {
    TempDir dir;
    const std::string data("data\0more", 9);
    dir.Write("src.bin", data);
    dir.Write("other.bin", "other");
    struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.host("src.bin").c_str(), times, 0), 0);
    auto copy = [&](const char* from, const std::string& to, BOOL failIfExists) {
        return CopyFileA(dir.win(from).c_str(), to.c_str(), failIfExists);
    };

    ASSERT_TRUE(copy("src.bin", dir.win("dst.bin"), TRUE));
    EXPECT_EQ(dir.Read("dst.bin"), data);
    struct stat st;
    ASSERT_EQ(stat(dir.host("dst.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1200000000);
    EXPECT_LAST_ERROR(copy("other.bin", dir.win("dst.bin"), TRUE), FALSE, ERROR_FILE_EXISTS);
    EXPECT_EQ(dir.Read("dst.bin"), data);
    EXPECT_TRUE(copy("other.bin", dir.win("dst.bin"), FALSE));
    EXPECT_EQ(dir.Read("dst.bin"), "other");

    EXPECT_LAST_ERROR(copy("none.bin", dir.win("x.bin"), FALSE), FALSE, ERROR_FILE_NOT_FOUND);
    EXPECT_LAST_ERROR(copy("src.bin", dir.win("no\\x.bin"), FALSE), FALSE, ERROR_PATH_NOT_FOUND);
    EXPECT_LAST_ERROR(copy("src.bin", dir.win(), FALSE), FALSE, ERROR_ACCESS_DENIED);
    // A destination that is a symbolic link has the file it names replaced, as CreateFile follows it.
    ASSERT_EQ(symlink("dst.bin", dir.host("link.bin").c_str()), 0);
    EXPECT_TRUE(copy("src.bin", dir.win("link.bin"), FALSE));
    EXPECT_EQ(dir.Read("dst.bin"), data);
    ASSERT_EQ(lstat(dir.host("link.bin").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    // Nothing but the three files and the link is left in the folder.
    auto entries = std::filesystem::directory_iterator(dir.host());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 4);

    // Onto itself, by any name, fails and keeps the file.
    std::filesystem::create_directory(dir.host("sub"));
    std::filesystem::create_hard_link(dir.host("other.bin"), dir.host("sub/hard.bin"));
    std::filesystem::create_directory_symlink(dir.host("sub"), dir.host("alias"));
    ASSERT_EQ(stat(dir.host("other.bin").c_str(), &st), 0);
    for (const char* self : {"other.bin", "sub\\..\\other.bin", "sub\\hard.bin", "alias\\hard.bin"}) {
        for (BOOL failIfExists : {FALSE, TRUE})
            EXPECT_LAST_ERROR(copy("other.bin", dir.win(self), failIfExists), FALSE, ERROR_FILE_EXISTS);
    }
    struct stat after;
    ASSERT_EQ(stat(dir.host("other.bin").c_str(), &after), 0);
    EXPECT_EQ(std::tuple(after.st_ino, after.st_nlink), std::tuple(st.st_ino, (nlink_t)2));
    EXPECT_EQ(dir.Read("other.bin"), "other");

    dir.Write("src.txt", "new");
    dir.Write("dst.txt", "old");
    std::string src = dir.win("src.txt"), dst = dir.win("dst.txt");
    {
        CFile writer(src.c_str(), CFile::modeWrite | CFile::shareDenyWrite);  // a document being edited
        EXPECT_TRUE(CopyFileA(src.c_str(), dir.win("copy.txt").c_str(), FALSE));
        CFile reader(dst.c_str(), CFile::modeRead | CFile::shareDenyWrite);
        EXPECT_LAST_ERROR(CopyFileA(src.c_str(), dst.c_str(), FALSE), FALSE, ERROR_SHARING_VIOLATION);
    }
    EXPECT_EQ(dir.Read("dst.txt"), "old");
    {
        CFile locked(src.c_str(), CFile::modeRead | CFile::shareExclusive);
        EXPECT_LAST_ERROR(CopyFileA(src.c_str(), dst.c_str(), FALSE), FALSE, ERROR_SHARING_VIOLATION);
    }
    EXPECT_TRUE(CopyFileA(src.c_str(), dst.c_str(), FALSE));
    EXPECT_EQ(dir.Read("dst.txt"), "new");
}

TEST(SystemFolders, CurrentModuleAndWindowsDirectory) {
    kiln::test::ScopedEnv drives("KILN_DRIVES", nullptr);
    TempDir dir;
    std::string canonical = std::filesystem::canonical(dir.host()).string();
    kiln::test::ScopedCwd restore(canonical);
    std::filesystem::create_directory(dir.host("sub"));
    dir.Write("file", "x");
    EXPECT_TRUE(SetCurrentDirectoryA("sub"));
    EXPECT_EQ(std::filesystem::current_path().string(), canonical + "/sub");
    char buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    std::string expected = "Z:" + canonical + "\\sub";
    std::replace(expected.begin(), expected.end(), '/', '\\');
    EXPECT_EQ(std::string(buffer, n), expected);
    EXPECT_EQ(GetCurrentDirectoryA(3, buffer), expected.size() + 1);  // too small: the size needed
    EXPECT_LAST_ERROR(SetCurrentDirectoryA(dir.win("file").c_str()), FALSE, ERROR_DIRECTORY);
    EXPECT_LAST_ERROR(SetCurrentDirectoryA(dir.win("none").c_str()), FALSE, ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(GetWindowsDirectoryA(buffer, MAX_PATH), 3u);
    EXPECT_STREQ(buffer, "Z:\\");
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 3), 4u);
    EXPECT_EQ(GetSystemDirectoryA(buffer, MAX_PATH), 3u);
    std::string module(buffer, GetModuleFileNameA(nullptr, buffer, MAX_PATH));
    ASSERT_GT(module.size(), 3u);
    EXPECT_EQ(module.substr(0, 3), "Z:\\");
    EXPECT_EQ(module.substr(module.rfind('\\') + 1), "kiln_platform_tests");
    char small[8];
    EXPECT_LAST_ERROR(GetModuleFileNameA(nullptr, small, sizeof small), 8u, ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(small), module.substr(0, 7));
    // A handle is an address inside a module: here the C library, which holds stdout's stream.
    ASSERT_GT(GetModuleFileNameA(reinterpret_cast<HMODULE>(stdout), buffer, MAX_PATH), 0u);
    EXPECT_NE(std::string(buffer).find("libc.so"), std::string::npos) << buffer;
}

TEST(SystemClock, ThreadsAndTicks) {
    DWORD otherThread = 0;
    std::thread([&] { otherThread = GetCurrentThreadId(); }).join();
    EXPECT_NE(GetCurrentThreadId(), otherThread);
    // The main thread's id is the process id.
    EXPECT_EQ(std::tuple(GetCurrentProcessId(), GetCurrentThreadId()),
              std::tuple((DWORD)getpid(), (DWORD)getpid()));
    DWORD start = GetTickCount();
    Sleep(30);
    EXPECT_GE(GetTickCount() - start, 30u);
}

}  // namespace
