#include <kiln/platform/files/file.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/files/path_map.h>

#include "platform/files/file_util.h"
#include "platform/runtime/descriptor.h"
#include "platform/files/share_lock.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

constexpr DWORD kErrorNegativeSeek = 131;  // ERROR_NEGATIVE_SEEK
constexpr size_t kMaxTransfer = 1u << 30;  // bytes per read or write call

constexpr UINT kAccessMask = 0x0003;
constexpr UINT kShareMask = 0x0070;

kiln::detail::ShareRequest ShareOf(UINT flags) {
    UINT access = flags & kAccessMask;
    UINT share = flags & kShareMask;
    bool exclusive = share == CFile::shareCompat || share == CFile::shareExclusive;
    return {access != CFile::modeWrite, access != CFile::modeRead, exclusive || share == CFile::shareDenyRead,
            exclusive || share == CFile::shareDenyWrite};
}

struct OpenResult {
    int fd = -1;
    int shareFd = -1;
    DWORD error = ERROR_SUCCESS;
};

OpenResult OpenHost(const std::string& host, UINT flags) {
    OpenResult result;
    UINT access = flags & kAccessMask;
    if (access == kAccessMask || (flags & kShareMask) > CFile::shareDenyNone) {
        result.error = ERROR_INVALID_PARAMETER;
        return result;
    }
    int oflags = O_CLOEXEC | O_NOCTTY;
    oflags |= access == CFile::modeRead ? O_RDONLY : access == CFile::modeWrite ? O_WRONLY : O_RDWR;
    if (flags & CFile::modeCreate) oflags |= O_CREAT;
    if (flags & CFile::osWriteThrough) oflags |= O_DSYNC;
    int fd = open(host.c_str(), oflags, 0666);
    if (fd < 0) {
        result.error = kiln::Win32ErrorFromErrno(errno, host.c_str());
        return result;
    }
    struct stat st;
    DWORD error = ERROR_SUCCESS;
    bool regular = false;
    if (fstat(fd, &st) == 0) {
        if (S_ISDIR(st.st_mode)) error = ERROR_ACCESS_DENIED;  // as CreateFile says
        regular = S_ISREG(st.st_mode);
    }
    // The markers need a descriptor open for reading. A write-only file that the user may not read
    // gets none, and its share mode is then not enforced. Share modes are kept for regular files
    // only: a second descriptor on a pipe or a FIFO would be a reader of its own.
    int shareFd = -1;
    int markerFd = regular ? fd : -1;
    if (error == ERROR_SUCCESS && regular && access == CFile::modeWrite)
        markerFd = shareFd = open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (error == ERROR_SUCCESS && markerFd >= 0)
        error = kiln::detail::TakeShareMarkers(markerFd, ShareOf(flags));
    // Emptied only now: an open that is refused must not have touched the file. Only a regular file
    // has contents to empty: a device, a pipe or a FIFO is opened for writing as it is.
    if (error == ERROR_SUCCESS && regular && (flags & CFile::modeCreate) &&
        !(flags & CFile::modeNoTruncate)) {
        int done = access == CFile::modeRead ? truncate(host.c_str(), 0) : ftruncate(fd, 0);
        if (done != 0) error = kiln::Win32ErrorFromErrno(errno, host.c_str());
    }
    if (error != ERROR_SUCCESS) {
        close(fd);
        if (shareFd >= 0) close(shareFd);
        result.error = error;
        return result;
    }
    result.fd = fd;
    result.shareFd = shareFd;
    return result;
}

void FillStatus(CFileStatus& rStatus, const struct stat& st, bool writable, const std::string& fullName) {
    rStatus.m_ctime = CTime(st.st_ctime);
    rStatus.m_mtime = CTime(st.st_mtime);
    rStatus.m_atime = CTime(st.st_atime);
    rStatus.m_size = S_ISDIR(st.st_mode) ? 0 : (ULONGLONG)st.st_size;
    std::string_view name = std::string_view(fullName).substr(kiln::detail::FileNameOffset(fullName));
    rStatus.m_attribute = (BYTE)kiln::detail::FileAttributes(st, writable, name);
    std::memcpy(rStatus.m_szFullName, fullName.c_str(), fullName.size() + 1);
}

bool UserCanWrite(const std::string& host) {
    return faccessat(AT_FDCWD, host.c_str(), W_OK, AT_EACCESS) == 0;
}

}  // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CFile() {
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile() { CloseDescriptors(m_bCloseOnDelete, nullptr); }

void CFile::CloseDescriptors(bool closeFile, int* pError) {
    // Linux closes the descriptor even when close reports EINTR.
    if (closeFile && m_hFile != hFileNull && close(Descriptor()) != 0 && errno != EINTR && pError != nullptr)
        *pError = errno;
    if (m_nShareFd >= 0) close(m_nShareFd);
    m_nShareFd = -1;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    CloseDescriptors(m_bCloseOnDelete, nullptr);  // an adopted descriptor stays open for its owner
    m_strFileName = kiln::FullWindowsPath(lpszFileName).c_str();
    std::string host;
    OpenResult result;
    if (kiln::ToHostPath(lpszFileName, host))
        result = OpenHost(host, nOpenFlags);
    else
        result.error = ERROR_PATH_NOT_FOUND;
    if (result.error != ERROR_SUCCESS) {
        SetLastError(result.error);
        if (pError != nullptr) {
            pError->m_cause = CFileException::OsErrorToException((LONG)result.error);
            pError->m_lOsError = (LONG)result.error;
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    m_hFile = (HANDLE)(intptr_t)result.fd;
    m_nShareFd = result.shareFd;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

void CFile::ThrowLastErrno() const {
    int error = errno;
    DWORD code;
    if (fcntl(Descriptor(), F_GETFL) == -1)
        code = ERROR_INVALID_HANDLE;
    else if (error == EBADF)
        code = ERROR_ACCESS_DENIED;  // a valid descriptor without the access the call needs
    else
        code = kiln::Win32ErrorFromErrno(error);
    CFileException::ThrowOsError((LONG)code, m_strFileName);
}

ULONGLONG CFile::GetPosition() const {
    off_t pos = lseek(Descriptor(), 0, SEEK_CUR);
    if (pos < 0) ThrowLastErrno();
    return (ULONGLONG)pos;
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (nFrom > end) CFileException::ThrowOsError(ERROR_INVALID_PARAMETER, m_strFileName);
    int whence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : SEEK_END;
    off_t pos = lseek(Descriptor(), (off_t)lOff, whence);
    if (pos < 0) {
        if (errno == EINVAL) CFileException::ThrowOsError(kErrorNegativeSeek, m_strFileName);
        ThrowLastErrno();
    }
    return (ULONGLONG)pos;
}

// As in MFC the file position ends up at the new length.
void CFile::SetLength(ULONGLONG dwNewLen) {
    if (ftruncate(Descriptor(), (off_t)dwNewLen) != 0) {
        int error = errno;
        int flags = fcntl(Descriptor(), F_GETFL);
        if (error == EINVAL && flags != -1 && (flags & O_ACCMODE) == O_RDONLY)
            CFileException::ThrowOsError(ERROR_ACCESS_DENIED, m_strFileName);
        errno = error;
        ThrowLastErrno();
    }
    Seek((LONGLONG)dwNewLen, begin);
}

ULONGLONG CFile::GetLength() const {
    struct stat st;
    if (fstat(Descriptor(), &st) != 0) ThrowLastErrno();
    return (ULONGLONG)st.st_size;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    char* buffer = static_cast<char*>(lpBuf);
    UINT total = 0;
    while (total < nCount) {
        size_t want = std::min<size_t>(nCount - total, kMaxTransfer);
        ssize_t n = kiln::detail::ReadSome(Descriptor(), buffer + total, want);
        if (n < 0) ThrowLastErrno();
        total += (UINT)n;
        if ((size_t)n < want) break;  // the end of the file (or all that a pipe had)
    }
    return total;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    const char* data = static_cast<const char*>(lpBuf);
    UINT done = 0;
    while (done < nCount) {
        ssize_t n =
            kiln::detail::WriteSome(Descriptor(), data + done, std::min<size_t>(nCount - done, kMaxTransfer));
        if (n < 0) ThrowLastErrno();
        if (n == 0) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
        done += (UINT)n;
    }
}

// Nothing to do on a closed file; files that cannot be synchronised (pipes, terminals) count as flushed.
void CFile::Flush() {
    if (m_hFile == hFileNull) return;
    if (fsync(Descriptor()) != 0 && errno != EINVAL && errno != EROFS) ThrowLastErrno();
}

void CFile::Close() {
    int error = 0;
    CString name = m_strFileName;
    CloseDescriptors(true, &error);
    m_strFileName.Empty();
    if (error != 0) CFileException::ThrowOsError((LONG)kiln::Win32ErrorFromErrno(error), name);
}

void CFile::Abort() {
    CloseDescriptors(true, nullptr);
    m_strFileName.Empty();
}

CString CFile::GetFileName() const {
    return m_strFileName.Mid((int)kiln::detail::FileNameOffset(m_strFileName.str()));
}

CString CFile::GetFileTitle() const {
    CString name = GetFileName();
    std::string_view title = kiln::detail::FileTitle(name.str());
    return CString(title.data(), (int)title.size());
}

CString CFile::GetFilePath() const { return m_strFileName; }

void CFile::SetFilePath(LPCTSTR lpszNewName) { m_strFileName = lpszNewName; }

BOOL CFile::GetStatus(CFileStatus& rStatus) const {
    rStatus = CFileStatus();
    struct stat st;
    if (m_hFile == hFileNull || fstat(Descriptor(), &st) != 0) return FALSE;
    if (m_strFileName.GetLength() >= MAX_PATH) return FALSE;
    std::string host;
    bool writable;
    if (kiln::ToHostPath(m_strFileName, host)) {
        writable = UserCanWrite(host);
    } else {
        int flags = fcntl(Descriptor(), F_GETFL);
        writable = flags != -1 && (flags & O_ACCMODE) != O_RDONLY;
    }
    FillStatus(rStatus, st, writable, m_strFileName.str());
    return TRUE;
}

BOOL CFile::GetStatus(LPCTSTR lpszFileName, CFileStatus& rStatus) {
    rStatus = CFileStatus();
    std::string full = kiln::FullWindowsPath(lpszFileName);
    std::string host;
    struct stat st;
    if (full.size() >= MAX_PATH || !kiln::ToHostPath(lpszFileName, host) || stat(host.c_str(), &st) != 0)
        return FALSE;
    FillStatus(rStatus, st, UserCanWrite(host), full);
    return TRUE;
}

void CFile::Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName) {
    std::string from, to;
    if (!kiln::ToHostPath(lpszOldName, from) || !kiln::ToHostPath(lpszNewName, to))
        CFileException::ThrowOsError(ERROR_PATH_NOT_FOUND, lpszOldName);
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    int error = errno;
    struct stat st;
    if (error == EINVAL || error == ENOSYS) {
        // A file system without no-replace renames.
        if (lstat(to.c_str(), &st) == 0) {
            error = EEXIST;
        } else {
            if (rename(from.c_str(), to.c_str()) == 0) return;
            error = errno;
        }
    }
    // A missing name is the new one's folder when the old name exists.
    const std::string& missing = error == ENOENT && lstat(from.c_str(), &st) == 0 ? to : from;
    CFileException::ThrowOsError((LONG)kiln::Win32ErrorFromErrno(error, missing.c_str()), lpszOldName);
}

void CFile::Remove(LPCTSTR lpszFileName) {
    std::string host;
    if (!kiln::ToHostPath(lpszFileName, host))
        CFileException::ThrowOsError(ERROR_PATH_NOT_FOUND, lpszFileName);
    if (unlink(host.c_str()) != 0)
        CFileException::ThrowOsError((LONG)kiln::Win32ErrorFromErrno(errno, host.c_str()), lpszFileName);
}
