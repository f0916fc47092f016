// CMemFile: a CFile whose contents live in memory.
//
// The file owns a growable block unless a caller's buffer is attached. An attached buffer with
// nGrowBytes 0 is fixed: its whole size is the file's length and a write past its end raises
// CFileException diskFull, writing nothing. An attached buffer with nGrowBytes non-zero starts empty
// and may be reallocated while the file grows, so it must come from malloc; it stays the caller's
// until the file reallocates it, and is the file's (freed by Close) from then on. Detach hands the
// current block (malloc'd) to the caller, who frees it. Seeking past the end is
// allowed: a later write fills the gap with zeros. Growth is geometric, so appending is amortised
// O(1). The file has no name: GetFilePath is empty.
#pragma once

#include <cstddef>

#include <kiln/platform/files/file.h>

class CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)
public:
    explicit CMemFile(UINT nGrowBytes = 1024);
    CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    ~CMemFile() override;
    CMemFile(const CMemFile&) = delete;
    CMemFile& operator=(const CMemFile&) = delete;

    // Releases the current block (if the file owns it), then works on lpBuffer as the constructor does.
    void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    // Returns the block and forgets it; the file is then empty.
    BYTE* Detach();

    ULONGLONG GetPosition() const override;
    // Raises CFileException badSeek for a position before the start.
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    // New bytes read as zeros; a position past the new end moves back to it.
    void SetLength(ULONGLONG dwNewLen) override;
    ULONGLONG GetLength() const override;

    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    void Flush() override;
    void Close() override;
    void Abort() override;

    CString GetFilePath() const override;

private:
    // Makes room for at least nNewSize bytes (the length itself is not changed).
    void GrowFile(size_t nNewSize);
    // Zero-fills [m_nFileSize, nEnd) after the buffer has room for it.
    void ZeroTo(size_t nEnd);

    size_t m_nGrowBytes;
    size_t m_nPosition = 0;
    size_t m_nBufferSize = 0;
    size_t m_nFileSize = 0;
    BYTE* m_lpBuffer = nullptr;
    BOOL m_bAutoDelete = TRUE;
};
