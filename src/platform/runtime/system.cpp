#include <kiln/platform/runtime/system.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>

#include <dlfcn.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/files/path_map.h>

#include "platform/files/file_util.h"
#include "platform/files/replace_file.h"
#include "platform/files/share_lock.h"
#include "platform/runtime/descriptor.h"

using kiln::detail::Descriptor;

namespace {

// Copies text into a caller's buffer the way GetWindowsDirectory and GetCurrentDirectory do: the
// length without the terminator when it fits, else the size needed with the terminator.
DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
    if (buffer == nullptr || text.size() + 1 > size) return (DWORD)text.size() + 1;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return (DWORD)text.size();
}

// The host path of a Windows path, or FALSE with ERROR_PATH_NOT_FOUND (an unmapped drive, a network
// path, an empty name).
bool HostPath(LPCSTR windowsPath, std::string& host) {
    if (kiln::ToHostPath(windowsPath, host)) return true;
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL FailErrno(const std::string& host) {
    kiln::SetLastErrorFromErrno(host.c_str());
    return FALSE;
}

// Copies the rest of in to out: the kernel's copy first, plain reads and writes where it cannot.
// 0 or the errno value of the failure.
int CopyContents(int in, int out) {
    for (;;) {
        ssize_t n = copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0) return 0;
        if (n > 0 || errno == EINTR) continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
        break;
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = kiln::detail::ReadSome(in, buffer, sizeof buffer);
        if (n <= 0) return n == 0 ? 0 : errno;
        if (int e = kiln::detail::WriteAll(out, std::string_view(buffer, (size_t)n))) return e;
    }
}

}  // namespace

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string host;
    if (hModule != nullptr) {
        // A module handle is taken as an address inside the module.
        Dl_info info{};
        if (dladdr(hModule, &info) == 0 || info.dli_fname == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        host = info.dli_fname;
    }
    if (host.empty() || host[0] != '/') {
        // The main program (dladdr names it as it was started, or not at all).
        char buffer[4096];
        ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
        if (n < 0 || n == (ssize_t)sizeof buffer) {
            kiln::SetLastErrorFromErrno();
            return 0;
        }
        host.assign(buffer, (size_t)n);
    }
    std::string path = kiln::ToWindowsPath(host);
    if (lpFilename == nullptr || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() + 1 > nSize) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    return (DWORD)path.size();
}

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return CopyOut(kiln::ToWindowsPath("/"), lpBuffer, uSize);
}

// The host has no separate system folder: the host root stands for both.
UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) { return GetWindowsDirectoryA(lpBuffer, uSize); }

DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    return CopyOut(kiln::FullWindowsPath("."), lpBuffer, nBufferLength);
}

BOOL SetCurrentDirectoryA(LPCSTR lpPathName) {
    std::string host;
    if (!HostPath(lpPathName, host)) return FALSE;
    if (chdir(host.c_str()) == 0) return TRUE;
    return errno == ENOTDIR && access(host.c_str(), F_OK) == 0 ? Fail(ERROR_DIRECTORY) : FailErrno(host);
}

BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
    std::string host;
    if (!HostPath(lpPathName, host)) return FALSE;
    if (mkdir(host.c_str(), 0777) == 0) return TRUE;
    // mkdir only says ENOENT when a folder above is missing.
    return errno == ENOENT ? Fail(ERROR_PATH_NOT_FOUND) : FailErrno(host);
}

BOOL RemoveDirectoryA(LPCSTR lpPathName) {
    std::string host;
    if (!HostPath(lpPathName, host)) return FALSE;
    if (rmdir(host.c_str()) == 0) return TRUE;
    if (errno == EEXIST) return Fail(ERROR_DIR_NOT_EMPTY);
    return errno == ENOTDIR && access(host.c_str(), F_OK) == 0 ? Fail(ERROR_DIRECTORY) : FailErrno(host);
}

BOOL DeleteFileA(LPCSTR lpFileName) {
    std::string host;
    if (!HostPath(lpFileName, host)) return FALSE;
    return unlink(host.c_str()) == 0 ? TRUE : FailErrno(host);
}

// The copy is written to a temporary file beside the destination and renamed over it, so the
// destination is never left half written: a full disk (ERROR_DISK_FULL) or any other failure leaves
// the old destination, or none, and no temporary file. Share modes count as for an open that reads
// the source and writes the destination and denies nothing: a file that another open holds denying
// read cannot be copied, one held denying write cannot be replaced. A file copied onto itself, by
// whatever path (the same name, a link, a second mount of its folder), is refused with
// ERROR_FILE_EXISTS whatever bFailIfExists says, and left as it is: callers read that code as "the
// source and the destination are the same file".
BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
    std::string source, destination;
    if (!HostPath(lpExistingFileName, source) || !HostPath(lpNewFileName, destination)) return FALSE;

    Descriptor in(open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (in.get() < 0) return FailErrno(source);
    struct stat st;
    if (fstat(in.get(), &st) != 0) return FailErrno(source);
    if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (DWORD e = kiln::detail::TakeShareMarkers(in.get(), {true, false, false, false})) return Fail(e);

    struct stat dst;
    Descriptor existing;
    if (stat(destination.c_str(), &dst) == 0) {
        bool sameFile = dst.st_dev == st.st_dev && dst.st_ino == st.st_ino;
        if (bFailIfExists || sameFile) return Fail(ERROR_FILE_EXISTS);
        if (S_ISDIR(dst.st_mode) || faccessat(AT_FDCWD, destination.c_str(), W_OK, AT_EACCESS) != 0)
            return Fail(ERROR_ACCESS_DENIED);
        // Held until the copy replaced it, so no one opens it meanwhile in a mode that excludes us.
        existing.Reset(open(destination.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (existing.get() >= 0) {
            if (DWORD e = kiln::detail::TakeShareMarkers(existing.get(), {false, true, false, false}))
                return Fail(e);
        }
    }

    int error = kiln::detail::AtomicReplace(
        destination,
        [&](int out) {
            if (int e = CopyContents(in.get(), out)) return e;
            struct timespec times[2] = {{0, UTIME_NOW}, st.st_mtim};
            return fchmod(out, st.st_mode & 0777) == 0 && futimens(out, times) == 0 ? 0 : errno;
        },
        bFailIfExists);
    if (error == 0) return TRUE;
    return Fail(error == EEXIST ? ERROR_FILE_EXISTS : kiln::Win32ErrorFromErrno(error, destination.c_str()));
}

DWORD GetFileAttributesA(LPCSTR lpFileName) {
    std::string host;
    struct stat st;
    if (!HostPath(lpFileName, host)) return INVALID_FILE_ATTRIBUTES;
    if (stat(host.c_str(), &st) != 0) {
        kiln::SetLastErrorFromErrno(host.c_str());
        return INVALID_FILE_ATTRIBUTES;
    }
    bool writable = faccessat(AT_FDCWD, host.c_str(), W_OK, AT_EACCESS) == 0;
    return kiln::detail::FileAttributes(st, writable,
                                        std::string_view(host).substr(kiln::detail::FileNameOffset(host)));
}

DWORD GetCurrentThreadId() { return (DWORD)gettid(); }

DWORD GetCurrentProcessId() { return (DWORD)getpid(); }

DWORD GetTickCount() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (DWORD)((unsigned long long)now.tv_sec * 1000u + (unsigned long long)now.tv_nsec / 1000000u);
}

void Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        sched_yield();
        return;
    }
    // INFINITE (0xFFFFFFFF) sleeps for good, as on Windows.
    bool forever = dwMilliseconds == 0xFFFFFFFFu;
    struct timespec left = {(time_t)(dwMilliseconds / 1000), (long)(dwMilliseconds % 1000) * 1000000L};
    do {
        while (nanosleep(&left, &left) != 0 && errno == EINTR) {}
        left = {1 << 30, 0};
    } while (forever);
}
