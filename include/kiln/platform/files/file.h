// CFile over a POSIX file descriptor, with MFC's open flags, share modes and exceptions.
//
// Names are Windows paths (see kiln/platform/files/path_map.h); GetFilePath gives the full Windows path of
// the name that was opened. Share modes are honoured between every CFile of every process on the
// machine (through open-file-description locks): an open whose access another open denies, or that
// denies an access another open holds, fails with a sharing violation. Compatibility mode counts as
// exclusive, as in MFC. Failures raise CFileException (or fill the caller's record in Open).
// Descriptors are never inherited by programs the process starts (modeNoInherit is always in force).
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/runtime/object.h>
#include <kiln/platform/time/time.h>

struct CFileStatus {
    CTime m_ctime;     // creation (status change) time
    CTime m_mtime;     // last write time
    CTime m_atime;     // last access time
    ULONGLONG m_size;  // bytes
    BYTE m_attribute;  // FILE_ATTRIBUTE_ bits of the low byte
    BYTE m_padding;
    char m_szFullName[MAX_PATH];  // full Windows path
};

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000,
    };
    enum Attribute : BYTE {
        normal = 0x00,
        readOnly = 0x01,
        hidden = 0x02,
        system = 0x04,
        volume = 0x08,
        directory = 0x10,
        archive = 0x20,
    };
    enum SeekPosition : UINT { begin = 0x0, current = 0x1, end = 0x2 };

    static const HANDLE hFileNull;

    CFile();
    // Adopts a descriptor, given as (HANDLE)(intptr_t)fd; the destructor leaves it open.
    explicit CFile(HANDLE hFile);
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);  // throws CFileException on failure
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile() override;

    // modeCreate creates or empties the file (with modeNoTruncate it keeps an existing one); without
    // it the file must exist. FALSE on failure, with the cause, the Win32 code and the name given in
    // *pError when there is one; never throws. A file that is already open is closed first.
    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);

    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual ULONGLONG GetLength() const;

    // Bytes read (0 at the end of the file); raises CFileException on an I/O error.
    virtual UINT Read(void* lpBuf, UINT nCount);
    // Writes all bytes or raises CFileException (diskFull, accessDenied, ...).
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual void Flush();
    virtual void Close();
    // Closes without raising anything, whatever state the file is in.
    virtual void Abort();

    virtual CString GetFileName() const;
    virtual CString GetFileTitle() const;
    virtual CString GetFilePath() const;
    virtual void SetFilePath(LPCTSTR lpszNewName);

    // Times, size, attributes and full path; FALSE when the file cannot be found (or its full path
    // does not fit in MAX_PATH). Read-only means the user cannot write the file, hidden a name that
    // starts with a period.
    BOOL GetStatus(CFileStatus& rStatus) const;
    static BOOL GetStatus(LPCTSTR lpszFileName, CFileStatus& rStatus);
    // Renames or moves a file or folder; an existing new name is an error (ERROR_ALREADY_EXISTS).
    static void Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName);
    static void Remove(LPCTSTR lpszFileName);

    operator HANDLE() const { return m_hFile; }  // NOLINT(google-explicit-constructor)

    HANDLE m_hFile;

protected:
    int Descriptor() const { return (int)(intptr_t)m_hFile; }
    void ThrowLastErrno() const;

    BOOL m_bCloseOnDelete;
    CString m_strFileName;  // full Windows path

private:
    // Closes the descriptors (the file's own only with closeFile) and marks the file closed; a failure
    // to close the file lands in *pError.
    void CloseDescriptors(bool closeFile, int* pError);

    // A write-only open keeps its share markers on a second, read-only descriptor; -1 otherwise.
    int m_nShareFd = -1;
};
