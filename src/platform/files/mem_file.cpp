#include <kiln/platform/files/mem_file.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CMemFile, CFile)

CMemFile::CMemFile(UINT nGrowBytes) : m_nGrowBytes(nGrowBytes) {}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) : m_nGrowBytes(nGrowBytes) {
    Attach(lpBuffer, nBufferSize, nGrowBytes);
}

CMemFile::~CMemFile() { Close(); }

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) {
    Close();
    m_lpBuffer = lpBuffer;
    m_nBufferSize = nBufferSize;
    m_nGrowBytes = nGrowBytes;
    // A fixed buffer is the file's contents; a growable one is room to write into.
    m_nFileSize = nGrowBytes == 0 ? nBufferSize : 0;
    m_nPosition = 0;
    m_bAutoDelete = FALSE;
}

BYTE* CMemFile::Detach() {
    BYTE* lpBuffer = m_lpBuffer;
    m_lpBuffer = nullptr;
    m_nBufferSize = 0;
    m_nFileSize = 0;
    m_nPosition = 0;
    m_bAutoDelete = TRUE;
    return lpBuffer;
}

ULONGLONG CMemFile::GetPosition() const { return m_nPosition; }

ULONGLONG CMemFile::GetLength() const { return m_nFileSize; }

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom) {
    LONGLONG base;
    switch (nFrom) {
    case begin: base = 0; break;
    case current: base = (LONGLONG)m_nPosition; break;
    case end: base = (LONGLONG)m_nFileSize; break;
    default: AfxThrowFileException(CFileException::badSeek);
    }
    LONGLONG pos;
    if (__builtin_add_overflow(base, lOff, &pos) || pos < 0) AfxThrowFileException(CFileException::badSeek);
    m_nPosition = (size_t)pos;
    return m_nPosition;
}

void CMemFile::SetLength(ULONGLONG dwNewLen) {
    if (dwNewLen > m_nBufferSize) GrowFile(dwNewLen);
    if (dwNewLen > m_nFileSize) ZeroTo(dwNewLen);
    if (dwNewLen < m_nPosition) m_nPosition = dwNewLen;
    m_nFileSize = dwNewLen;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
    if (m_nPosition >= m_nFileSize || nCount == 0) return 0;
    size_t nRead = std::min<size_t>(nCount, m_nFileSize - m_nPosition);
    memcpy(lpBuf, m_lpBuffer + m_nPosition, nRead);
    m_nPosition += nRead;
    return (UINT)nRead;
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
    if (nCount == 0) return;
    size_t nEnd;
    if (__builtin_add_overflow(m_nPosition, (size_t)nCount, &nEnd))
        AfxThrowFileException(CFileException::diskFull);
    if (nEnd > m_nBufferSize) GrowFile(nEnd);
    if (m_nPosition > m_nFileSize) ZeroTo(m_nPosition);
    memcpy(m_lpBuffer + m_nPosition, lpBuf, nCount);
    m_nPosition = nEnd;
    m_nFileSize = std::max(m_nFileSize, nEnd);
}

void CMemFile::Flush() {}

void CMemFile::Close() {
    if (m_bAutoDelete) free(m_lpBuffer);
    m_lpBuffer = nullptr;
    m_nBufferSize = 0;
    m_nFileSize = 0;
    m_nPosition = 0;
    m_bAutoDelete = TRUE;
}

void CMemFile::Abort() { Close(); }

CString CMemFile::GetFilePath() const { return CString(); }

void CMemFile::GrowFile(size_t nNewSize) {
    if (nNewSize <= m_nBufferSize) return;
    if (m_nGrowBytes == 0) AfxThrowFileException(CFileException::diskFull);
    // Double the block (at least), in whole steps of the grow size.
    size_t nSize = std::max(nNewSize, m_nBufferSize * 2);
    size_t nRounded;
    if (!__builtin_add_overflow(nSize, m_nGrowBytes - 1, &nRounded))
        nSize = nRounded / m_nGrowBytes * m_nGrowBytes;
    BYTE* lpNew = (BYTE*)realloc(m_lpBuffer, nSize);
    if (lpNew == nullptr) AfxThrowMemoryException();
    // Once reallocated, the caller's pointer is stale: the block is the file's to free from now on.
    m_lpBuffer = lpNew;
    m_nBufferSize = nSize;
    m_bAutoDelete = TRUE;
}

void CMemFile::ZeroTo(size_t nEnd) { memset(m_lpBuffer + m_nFileSize, 0, nEnd - m_nFileSize); }
