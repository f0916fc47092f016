#include <kiln/platform/system.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <kiln/platform/file.h>
#include <kiln/platform/last_error.h>

#include "support/child_process.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::RunInChild;
using kiln::test::ScopedCwd;
using kiln::test::ScopedEnv;
using kiln::test::TempDir;

std::string Win(const TempDir& dir, const std::string& name) { return dir.win(name); }

TEST(CreateDirectory, CreatesOneFolderAndReportsWhyNot) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    TempDir dir;
    EXPECT_TRUE(CreateDirectoryA(Win(dir, "new").c_str(), nullptr));
    EXPECT_TRUE(std::filesystem::is_directory(dir.host("new")));

    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryA(Win(dir, "new").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryA(Win(dir, "missing\\child").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(CreateDirectoryA("Q:\\folder", nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    dir.Write("file", "x");
    EXPECT_FALSE(CreateDirectoryA(Win(dir, "file").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
}

TEST(RemoveDirectory, RemovesOnlyEmptyFolders) {
    TempDir dir;
    std::filesystem::create_directories(dir.host("full/inner"));
    dir.Write("file", "x");
    EXPECT_FALSE(RemoveDirectoryA(Win(dir, "full").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIR_NOT_EMPTY);
    EXPECT_FALSE(RemoveDirectoryA(Win(dir, "file").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIRECTORY);
    EXPECT_FALSE(RemoveDirectoryA(Win(dir, "nothing").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(RemoveDirectoryA(Win(dir, "full\\inner").c_str()));
    EXPECT_FALSE(dir.Exists("full/inner"));

    EXPECT_FALSE(DeleteFileA(Win(dir, "full").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_TRUE(DeleteFileA(Win(dir, "file").c_str()));
    EXPECT_FALSE(DeleteFileA(Win(dir, "file").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

TEST(CopyFile, CopiesContentsAndTimeAndHonoursFailIfExists) {
    TempDir dir;
    dir.Write("src.bin", std::string("data\0more", 9));
    struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.host("src.bin").c_str(), times, 0), 0);

    ASSERT_TRUE(CopyFileA(Win(dir, "src.bin").c_str(), Win(dir, "dst.bin").c_str(), TRUE));
    EXPECT_EQ(dir.Read("dst.bin"), std::string("data\0more", 9));
    struct stat st;
    ASSERT_EQ(stat(dir.host("dst.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1200000000);

    dir.Write("other.bin", "other");
    SetLastError(0);
    EXPECT_FALSE(CopyFileA(Win(dir, "other.bin").c_str(), Win(dir, "dst.bin").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_EXISTS);
    EXPECT_EQ(dir.Read("dst.bin"), std::string("data\0more", 9));
    EXPECT_TRUE(CopyFileA(Win(dir, "other.bin").c_str(), Win(dir, "dst.bin").c_str(), FALSE));
    EXPECT_EQ(dir.Read("dst.bin"), "other");

    EXPECT_FALSE(CopyFileA(Win(dir, "none.bin").c_str(), Win(dir, "x.bin").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(CopyFileA(Win(dir, "src.bin").c_str(), Win(dir, "no\\x.bin").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(CopyFileA(Win(dir, "src.bin").c_str(), dir.win().c_str(), FALSE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);

    // Nothing but the files themselves is left in the folder.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.host()))
        entries += e.is_regular_file();
    EXPECT_EQ(entries, 3);
}

TEST(CopyFile, RespectsTheShareModesOfOpenFiles) {
    TempDir dir;
    dir.Write("src.txt", "new");
    dir.Write("dst.txt", "old");
    std::string src = Win(dir, "src.txt"), dst = Win(dir, "dst.txt");
    {
        CFile writer(src.c_str(), CFile::modeWrite | CFile::shareDenyWrite);  // a document being edited
        EXPECT_TRUE(CopyFileA(src.c_str(), Win(dir, "copy.txt").c_str(), FALSE));
        CFile reader(dst.c_str(), CFile::modeRead | CFile::shareDenyWrite);
        SetLastError(0);
        EXPECT_FALSE(CopyFileA(src.c_str(), dst.c_str(), FALSE));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    }
    EXPECT_EQ(dir.Read("dst.txt"), "old");
    {
        CFile locked(src.c_str(), CFile::modeRead | CFile::shareExclusive);
        EXPECT_FALSE(CopyFileA(src.c_str(), dst.c_str(), FALSE));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    }
    EXPECT_TRUE(CopyFileA(src.c_str(), dst.c_str(), FALSE));
    EXPECT_EQ(dir.Read("dst.txt"), "new");
}

TEST(FileAttributes, FollowTheFileAndTheUser) {
    TempDir dir;
    dir.Write("plain.txt", "x");
    dir.Write(".hidden", "x");
    dir.Write("locked.txt", "x");
    std::filesystem::create_directory(dir.host("sub"));
    EXPECT_EQ(GetFileAttributesA(Win(dir, "plain.txt").c_str()), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesA(Win(dir, ".hidden").c_str()),
              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributesA(Win(dir, "sub").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(Win(dir, "none").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);

    chmod(dir.host().c_str(), 0755);
    chmod(dir.host("locked.txt").c_str(), 0444);
    std::string path = Win(dir, "locked.txt");
    EXPECT_EQ(RunInChild([&] { return (int)GetFileAttributesA(path.c_str()); }, true),
              (int)(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
}

TEST(CurrentDirectory, SetAndGetInWindowsForm) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    TempDir dir;
    std::string canonical = std::filesystem::canonical(dir.host()).string();
    ScopedCwd restore(canonical);
    std::filesystem::create_directory(dir.host("sub"));
    dir.Write("file", "x");

    EXPECT_TRUE(SetCurrentDirectoryA("sub"));
    EXPECT_EQ(std::filesystem::current_path().string(), canonical + "/sub");
    char buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    std::string expected = "Z:" + canonical + "\\sub";
    for (char& c : expected)
        if (c == '/') c = '\\';
    EXPECT_EQ(std::string(buffer, n), expected);
    EXPECT_EQ(GetCurrentDirectoryA(3, buffer), expected.size() + 1);  // too small: the size needed

    EXPECT_FALSE(SetCurrentDirectoryA(Win(dir, "file").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIRECTORY);
    EXPECT_FALSE(SetCurrentDirectoryA(Win(dir, "none").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

TEST(SystemFolders, ModuleAndWindowsDirectory) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    char buffer[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectoryA(buffer, MAX_PATH), 3u);
    EXPECT_STREQ(buffer, "Z:\\");
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 3), 4u);
    EXPECT_EQ(GetSystemDirectoryA(buffer, MAX_PATH), 3u);

    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string module(buffer, n);
    ASSERT_GT(n, 3u);
    EXPECT_EQ(module.substr(0, 3), "Z:\\");
    EXPECT_EQ(module.substr(module.rfind('\\') + 1), "kiln_platform_tests");

    char small[8];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 8u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(small), module.substr(0, 7));

    // A handle is an address inside a module: here the library itself.
    n = GetModuleFileNameA(reinterpret_cast<HMODULE>(&GetTickCount), buffer, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_NE(std::string(buffer).find("libkiln.so"), std::string::npos) << buffer;
}

TEST(SystemClock, ProcessThreadAndTicks) {
    EXPECT_EQ(GetCurrentProcessId(), (DWORD)getpid());
    DWORD mainThread = GetCurrentThreadId();
    DWORD otherThread = 0;
    std::thread([&] { otherThread = GetCurrentThreadId(); }).join();
    EXPECT_NE(mainThread, otherThread);
    EXPECT_EQ(mainThread, (DWORD)getpid());  // the main thread's id is the process id

    DWORD start = GetTickCount();
    Sleep(30);
    EXPECT_GE(GetTickCount() - start, 30u);
}

}  // namespace
