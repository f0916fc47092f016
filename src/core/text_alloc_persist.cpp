// The archive records and file forms of CTextAlloc.
#include <kiln/core/text_alloc.h>

#include <kiln/platform/files/file.h>
#include <kiln/platform/ui/message_box.h>
#include <kiln/platform/ui/win_app.h>
#include <kiln/util/file_io.h>

#include "core/file_name.h"
#include "platform/files/archive_left.h"

namespace {

// The record form a file form runs, through the virtual slots: the raw record (its result) or the
// check-word record (which raises on failure).
BOOL RunRecord(CTextAlloc& buffer, CArchive& ar, BOOL raw) {
    if (raw) return buffer.SerializeRaw(ar);
    buffer.Serialize(ar);
    return 1;
}

const char kDoubleAlloc[] = "Warning! : 二重確保されました、無視します。:CAlloc";
const char kWriteFailed[] = "CTextAlloc::Serialze:書き込みに失敗しました";
const char kCheckWord[] =
    "CTextAlloc:Warning!:ﾌｧｲﾙ中の長さ情報のﾁｪｯｸｻﾑが一致しません、ﾃﾞｰﾀの信頼性に問題がある可能性があります";

constexpr int kArchiveBuffer = 4096;

void Box(const char* text) { AfxMessageBox(text, 0, 0); }

[[noreturn]] void ThrowGeneric() { AfxThrowArchiveException(CArchiveException::genericException); }

// Reads n bytes into p, unlocking the buffer if the archive or its file raises on the way.
UINT ReadLocked(CArchive& ar, void* p, UINT n, const CTextAlloc& buffer) {
    try {
        return ar.Read(p, n);
    } catch (...) {
        buffer.Unlock();
        throw;
    }
}

}  // namespace

void CTextAlloc::NameAfterArchive(CArchive& ar) {
    m_bAllocated = 1;
    CFile* file = ar.GetFile();
    SetPathName(file != nullptr ? file->GetFilePath().GetString() : "");
    SetModifiedFlag(0);
}

BOOL CTextAlloc::ReadAttach(CArchive& ar) {
    if (m_bAllocated) {
        Box(kDoubleAlloc);
        return 0;
    }
    UINT n = m_nLength;
    // A garbled length fails as a record cut short does, before its block is claimed.
    if (!kiln::ArchiveMayHold(ar, n)) return 0;
    if (Alloc(n) == nullptr) return 0;
    void* p = Lock();
    if (ReadLocked(ar, p, n, *this) < n) {
        Unlock();
        return 0;
    }
    Unlock();
    if (!AfterSerialRead()) return 0;
    NameAfterArchive(ar);
    return 1;
}

void CTextAlloc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        DWORD n = m_nLength;
        bool locked = false;
        try {
            ar << n << (DWORD)~n;
            const void* p = Lock();
            locked = true;
            ar.Write(p, n);
        } catch (CFileException* e) {
            e->Delete();
            if (locked) Unlock();
            Box(kWriteFailed);
            ThrowGeneric();
        } catch (...) {
            if (locked) Unlock();
            throw;
        }
        Unlock();
        SetModifiedFlag(0);
        // The bytes the archive holds reach the file only now: a failure here is a failed write too.
        try {
            ar.Flush();
        } catch (CFileException* e) {
            e->Delete();
            Box(kWriteFailed);
            ThrowGeneric();
        }
        return;
    }

    DWORD n, check;
    ar >> n >> check;
    if (check != (DWORD)~n) Box(kCheckWord);
    if (m_bAllocated) {
        Box(kDoubleAlloc);
        ThrowGeneric();
    }
    m_nLength = n;
    if (!ReadAttach(ar)) ThrowGeneric();
}

BOOL CTextAlloc::SerializeRaw(CArchive& ar) {
    if (ar.IsStoring()) {
        const void* p = Lock();
        try {
            ar.Write(p, m_nLength);
        } catch (CFileException* e) {
            e->Delete();
            Unlock();
            Box(kWriteFailed);
            return 0;
        } catch (...) {
            Unlock();
            throw;
        }
        Unlock();
        SetModifiedFlag(0);
        return 1;
    }

    ar.Flush();
    CFile* file = ar.GetFile();
    UINT n = (UINT)(file->GetLength() - file->GetPosition());
    if (m_bAllocated) {
        Box(kDoubleAlloc);
        return 0;
    }
    m_nLength = n;
    return ReadAttach(ar);
}

BOOL CTextAlloc::ReadSerialize(CArchive& ar) {
    if (m_bAllocated) {
        CFile* file = ar.GetFile();
        if (file != nullptr && m_strPathName.Compare(file->GetFilePath()) == 0) return 1;
        Box(kDoubleAlloc);
        return 0;
    }
    DWORD n;
    ar >> n;
    m_nLength = n;
    if (!kiln::ArchiveMayHold(ar, n)) return 0;
    if (Alloc(n) == nullptr) return 0;
    void* p = Lock();
    // A short record is accepted as far as it goes; only a record that delivers nothing fails.
    if (ReadLocked(ar, p, n, *this) == 0) {
        Unlock();
        return 0;
    }
    Unlock();
    if (!AfterSerialRead()) return 0;
    NameAfterArchive(ar);
    return 1;
}

BOOL CTextAlloc::SerializeToFile(const char* name, const char* ext, BOOL raw) {
    CWaitCursor wait;
    char buffer[MAX_PATH];
    const char* applied = (ext != nullptr && *ext != '\0') ? ext : nullptr;
    if (!kiln::detail::FormFileName(buffer, name, applied))
        return kiln::detail::RefuseFileName(name, applied);
    CFile file;
    if (!stdOpenWrite(buffer, &file)) return 0;
    CArchive ar(&file, CArchive::store, kArchiveBuffer);
    // Closing the archive and the file writes what they hold back, so it is guarded too: no
    // exception leaves this operation. After one the file is let go without writing any more. A
    // file that refuses those last bytes (a full disk or device) is reported as a failed write.
    try {
        if (!RunRecord(*this, ar, raw)) return 0;
        try {
            ar.Close();
            file.Close();
        } catch (CFileException* e) {
            e->Delete();
            ar.Abort();
            file.Abort();
            Box(kWriteFailed);
            return 0;
        }
    } catch (CException* e) {
        e->Delete();
        ar.Abort();
        file.Abort();
        return 0;
    }
    return 1;
}

BOOL CTextAlloc::SerializeToFile(const char* ext) {
    return SerializeToFile(m_strPathName.GetString(), ext, 0);
}

BOOL CTextAlloc::SerializeRawToFile(const char* ext) {
    return SerializeToFile(m_strPathName.GetString(), ext, 1);
}

BOOL CTextAlloc::SerializeRawToFile(const char* name, const char* ext) {
    return SerializeToFile(name, ext, 1);
}

BOOL CTextAlloc::SerializeRawFromFile(const char* name) { return SerializeFromFile(name, 1); }

BOOL CTextAlloc::SerializeFromFile(const char* name, BOOL raw) {
    // Copied: a successful load renames the buffer, and name may be its own path name.
    CString path(name != nullptr ? name : m_strPathName.GetString());
    if (m_bAllocated) {
        if (m_strPathName.Compare(path) == 0) return 1;
        Box(kDoubleAlloc);
        return 0;
    }
    CWaitCursor wait;
    if (!stdFileExist(path) && !OnCreateNewFile(path)) return 0;
    CFile file;
    if (!stdOpenRead(path, &file)) return 0;
    CArchive ar(&file, CArchive::load, kArchiveBuffer);
    try {
        if (!RunRecord(*this, ar, raw)) return 0;
    } catch (CException* e) {
        e->Delete();
        ar.Abort();
        file.Abort();
        return 0;
    }
    // Only read from: closing cannot lose anything, so a close failure is not a load failure.
    ar.Abort();
    file.Abort();
    return 1;
}
