#include <kiln/core/text_alloc.h>

#include <kiln/diag/report.h>
#include <kiln/platform/files/file.h>
#include <kiln/platform/ui/win_app.h>
#include <kiln/util/file_io.h>

#include "core/file_name.h"

#include <cstring>

IMPLEMENT_DYNCREATE(CTextAlloc, CAlloc)

namespace {

const char kDoubleAlloc[] = "Warning! : 二重確保されました、無視します。:CAlloc";

}  // namespace

CTextAlloc::CTextAlloc() { Initialize(); }

CTextAlloc::CTextAlloc(CTextAlloc& source)
    : CAlloc(source),
      m_strPathName(source.m_strPathName),
      m_nPathLength(source.m_nPathLength),
      m_bModified(source.m_bModified) {}

CTextAlloc::~CTextAlloc() { m_strPathName.Empty(); }

void CTextAlloc::Initialize() {
    m_strPathName.Empty();
    m_nPathLength = 0;
    m_bModified = 0;
}

void CTextAlloc::SetPathName(const char* path) {
    m_strPathName = path;
    m_nPathLength = m_strPathName.GetLength();
}

void* CTextAlloc::AttachThrough(CAlloc& source) { return CAlloc::AttachThrough(source); }

void* CTextAlloc::AttachThrough(CTextAlloc& source) {
    void* handle = CAlloc::AttachThrough(source);
    if (handle == nullptr) return nullptr;
    m_strPathName = source.m_strPathName;
    m_nPathLength = source.m_nPathLength;
    SetModifiedFlag(0);
    return handle;
}

BOOL CTextAlloc::Detach() {
    if (!CAlloc::Detach()) return 0;
    Initialize();
    return 1;
}

void* CTextAlloc::Attach(const char* text, const char* path) {
    return Attach((void*)text, (unsigned int)std::strlen(text), path);
}

void* CTextAlloc::Attach(unsigned int size, void* handle, const char* path) {
    void* result = CAlloc::Attach(size, handle);
    if (result == nullptr) return nullptr;
    if (path != nullptr) m_strPathName = path;
    m_nPathLength = m_strPathName.GetLength();
    SetModifiedFlag(0);
    return result;
}

void* CTextAlloc::Attach(void* data, unsigned int size, const char* path) {
    void* result = CAlloc::Attach(data, size);
    if (result == nullptr) return nullptr;
    if (path != nullptr) m_strPathName = path;
    m_nPathLength = m_strPathName.GetLength();
    SetModifiedFlag(0);
    return result;
}

BOOL CTextAlloc::TryRead(const char* path) {
    if (m_bAllocated) {
        if (m_strPathName.Compare(path) == 0) return 1;
        NOTICE(kDoubleAlloc);
        return 0;
    }
    CWaitCursor wait;
    if (!stdFileExist(path) && !OnCreateNewFile(path)) return 0;
    CFile file;
    if (!stdOpenRead(path, &file)) return 0;
    m_nLength = (unsigned int)file.GetLength();
    if (Alloc(m_nLength) == nullptr) return 0;
    char* p = static_cast<char*>(Lock());
    if (!stdRead(&file, p, m_nLength)) {
        Unlock();
        file.Abort();
        return 0;
    }
    // The whole content is in memory: a failure to close a file that was only read loses nothing.
    file.Abort();
    Unlock();
    if (!AfterSerialRead()) return 0;
    m_bAllocated = 1;
    SetPathName(path);
    SetModifiedFlag(0);
    return 1;
}

BOOL CTextAlloc::AfterSerialRead() { return 1; }

BOOL CTextAlloc::OnCreateNewFile(const char*) { return 0; }

BOOL CTextAlloc::Write() { return Write(""); }

BOOL CTextAlloc::Write(const char* ext) {
    char* p = static_cast<char*>(Lock());
    BOOL result = Write(m_strPathName.GetString(), ext, p, m_nLength);
    Unlock();
    return result;
}

BOOL CTextAlloc::Write(const char* ext, char* data, unsigned int size) {
    return Write(m_strPathName.GetString(), ext, data, size);
}

BOOL CTextAlloc::Write(const char* name, const char* ext) {
    char* p = static_cast<char*>(Lock());
    BOOL result = Write(name, ext, p, m_nLength);
    Unlock();
    return result;
}

BOOL CTextAlloc::Write(const char* name, const char* ext, char* data, unsigned int size) {
    CWaitCursor wait;
    char buffer[MAX_PATH];
    const char* applied = (ext != nullptr && *ext != '\0') ? ext : nullptr;
    if (!kiln::detail::FormFileName(buffer, name, applied))
        return kiln::detail::RefuseFileName(name, applied);
    CFile file;
    if (!stdOpenWrite(buffer, &file)) return 0;
    if (!stdWrite(&file, data, size)) {
        file.Abort();
        return 0;
    }
    try {
        file.Close();
    } catch (CFileException* e) {
        // Closing writes what the system still holds back: its failure is a failed write.
        e->Delete();
        file.Abort();
        return kiln::detail::ReportWriteFailure(buffer);
    }
    SetModifiedFlag(0);
    return 1;
}

void CTextAlloc::AttachText(const char* path, const char* ext) {
    char buffer[MAX_PATH];
    // A refused name leaves the buffer empty: the content is then named after no file at all.
    kiln::detail::FormFileName(buffer, path, ext);
    AttachText(buffer);
}

void CTextAlloc::AttachText(const char* path) { SetPathName(path); }

void CTextAlloc::AttachText(CTextAlloc* other, const char* ext) {
    // Copied first: other may be this buffer, whose name the call replaces.
    CString path(other->GetPathName());
    AttachText(path.GetString(), ext);
}

void CTextAlloc::AttachText(CTextAlloc* other) {
    CString path(other->GetPathName());
    AttachText(path.GetString());
}

const char* CTextAlloc::GetPathName() const { return m_strPathName.GetString(); }

int CTextAlloc::GetPathLength() const { return m_nPathLength; }

void CTextAlloc::SetModifiedFlag(BOOL modified) { m_bModified = modified; }

BOOL CTextAlloc::IsModified() const { return m_bModified; }
