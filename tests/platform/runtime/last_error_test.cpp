#include <kiln/platform/runtime/last_error.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include <kiln/platform/runtime/global_memory.h>

#include "support/expect_error.h"
#include "support/temp_dir.h"

namespace {

TEST(LastError, IsKeptPerThreadAndMappedFromErrno) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenByThread = 1;
    std::thread([&] {
        seenByThread = GetLastError();
        SetLastError(ERROR_DISK_FULL);
    }).join();
    EXPECT_EQ(seenByThread, 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);

    // ENOENT is "file not found" only where the folder exists.
    kiln::test::TempDir dir;
    EXPECT_EQ(kiln::Win32ErrorFromErrno(ENOENT, dir.host("missing.txt").c_str()), 2u);
    EXPECT_EQ(kiln::Win32ErrorFromErrno(ENOENT, dir.host("nofolder/missing.txt").c_str()), 3u);
    EXPECT_EQ(kiln::Win32ErrorFromErrno(ENOENT, (dir.host() + "/").c_str()), 2u);
    EXPECT_EQ(kiln::Win32ErrorFromErrno(ENOENT), 3u);
    const std::pair<int, DWORD> table[] = {
        {ENOTDIR, 3},        {EACCES, 5},      {EPERM, 5},       {EISDIR, 5}, {EEXIST, 183}, {ENOSPC, 112},
        {EMFILE, 4},         {ENFILE, 4},      {EBADF, 6},       {ENOMEM, 8}, {EINVAL, 87},  {EROFS, 19},
        {ENAMETOOLONG, 206}, {ENOTEMPTY, 145}, {EXDEV, 17},      {EIO, 1117}, {EFBIG, 223},  {EBUSY, 170},
        {ELOOP, 1921},       {EPIPE, 31},      {ECONNRESET, 31},
    };
    for (auto [error, code] : table) EXPECT_EQ(kiln::Win32ErrorFromErrno(error), code) << strerror(error);
    errno = ENOSPC;
    kiln::SetLastErrorFromErrno();
    EXPECT_EQ(GetLastError(), 112u);
}

std::string SystemText(DWORD code) {
    char buffer[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, buffer, sizeof buffer, nullptr);
    EXPECT_EQ(n, n > 0 ? std::strlen(buffer) : 0u);
    return std::string(buffer, n);
}

TEST(FormatMessage, GivesTheSystemTexts) {
    const std::pair<DWORD, const char*> texts[] = {
        {2, "The system cannot find the file specified.\r\n"},
        {3, "The system cannot find the path specified.\r\n"},
        {5, "Access is denied.\r\n"},
        {8, "Not enough memory resources are available to process this command.\r\n"},
        {32, "The process cannot access the file because it is being used by another process.\r\n"},
        {80, "The file exists.\r\n"},
        {112, "There is not enough space on the disk.\r\n"},
        {183, "Cannot create a file when that file already exists.\r\n"},
    };
    for (auto [code, text] : texts) EXPECT_EQ(SystemText(code), text);

    // Every code the platform can report has its text.
    // clang-format off
    const DWORD codes[] = {
        ERROR_SUCCESS, ERROR_INVALID_FUNCTION, ERROR_TOO_MANY_OPEN_FILES, ERROR_INVALID_HANDLE,
        ERROR_INVALID_DATA, ERROR_OUTOFMEMORY, ERROR_INVALID_DRIVE, ERROR_CURRENT_DIRECTORY,
        ERROR_NOT_SAME_DEVICE, ERROR_NO_MORE_FILES, ERROR_WRITE_PROTECT, ERROR_NOT_READY, ERROR_SEEK,
        ERROR_WRITE_FAULT, ERROR_READ_FAULT, ERROR_GEN_FAILURE, ERROR_LOCK_VIOLATION, ERROR_HANDLE_EOF,
        ERROR_HANDLE_DISK_FULL, ERROR_NOT_SUPPORTED, ERROR_INVALID_PARAMETER, ERROR_BROKEN_PIPE,
        ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_NAME, ERROR_DIR_NOT_EMPTY, ERROR_BUSY,
        ERROR_FILENAME_EXCED_RANGE, ERROR_FILE_TOO_LARGE, ERROR_MORE_DATA, ERROR_NO_MORE_ITEMS,
        ERROR_DIRECTORY, ERROR_NOT_LOCKED, ERROR_INVALID_THREAD_ID, ERROR_IO_DEVICE,
        ERROR_CANT_RESOLVE_FILENAME, ERROR_BADDB, ERROR_BADKEY, ERROR_CANTOPEN, ERROR_CANTREAD,
        ERROR_CANTWRITE, ERROR_KEY_DELETED,
    };
    // clang-format on
    for (DWORD code : codes) {
        std::string text = SystemText(code);
        ASSERT_GT(text.size(), 2u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
    }
}

DWORD FormatV(DWORD flags, const char* pattern, char* buffer, DWORD size, ...) {
    va_list args;
    va_start(args, size);
    DWORD n = FormatMessageA(flags, pattern, 0, 0, buffer, size, &args);
    va_end(args);
    return n;
}

TEST(FormatMessage, BufferFormsInsertsAndEscapes) {
    // The system allocates the text; the caller frees it with LocalFree.
    char* text = nullptr;
    DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0, nullptr);
    ASSERT_EQ(n, 19u);
    EXPECT_STREQ(text, "Access is denied.\r\n");
    EXPECT_EQ(LocalFree(text), nullptr);

    // A caller's buffer must hold the text and its terminator.
    char exact[20];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, exact, 20, nullptr), 19u);
    EXPECT_STREQ(exact, "Access is denied.\r\n");
    EXPECT_LAST_ERROR(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, exact, 19, nullptr), 0u,
                      ERROR_INSUFFICIENT_BUFFER);

    // A code without text.
    text = nullptr;
    EXPECT_LAST_ERROR(FormatMessageA(0x1100, nullptr, 54321, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr),
                      0u, ERROR_MR_MID_NOT_FOUND);
    EXPECT_EQ(text, nullptr);

    auto* block = static_cast<unsigned char*>(LocalAlloc(LPTR, 64));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::count(block, block + 64, 0), 64);
    EXPECT_EQ(LocalFree(block), nullptr);
    EXPECT_EQ(LocalFree(nullptr), nullptr);

    char buffer[128];
    EXPECT_EQ(FormatV(FORMAT_MESSAGE_FROM_STRING, "%2!d! of %1 at %3!04x!%%%n", buffer, sizeof buffer, "disk",
                      7, 0xAB),
              20u);
    EXPECT_STREQ(buffer, "7 of disk at 00ab%\r\n");

    DWORD_PTR array[] = {(DWORD_PTR) "name", 42};
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, "%1=%2!u!%0 ignored",
                             0, 0, buffer, sizeof buffer, reinterpret_cast<va_list*>(array)),
              7u);
    EXPECT_STREQ(buffer, "name=42");

    EXPECT_EQ(FormatV(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_IGNORE_INSERTS, "%1 stays%t", buffer,
                      sizeof buffer),
              9u);
    EXPECT_STREQ(buffer, "%1 stays\t");

    // A system text with inserts and no arguments keeps its inserts.
    EXPECT_NE(SystemText(ERROR_MR_MID_NOT_FOUND).find("0x%1"), std::string::npos);
}

}  // namespace
