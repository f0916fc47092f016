#include <kiln/core/alloc.h>

#include <kiln/diag/report.h>
#include <kiln/platform/runtime/global_memory.h>
#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/ui/message_box.h>

#include "diag/library_box.h"
#include "platform/files/archive_left.h"

#include <cstring>

IMPLEMENT_SERIAL(CAlloc, CObject, 0)

namespace {

constexpr WORD kDefaultFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;  // 0x42

const char kDoubleAlloc[] = "Warning! : 二重確保されました、無視します。:CAlloc";
const char kNoMemory[] = "メモリ確保例外が発生しました。メモリーが不足しています:CAlloc";
const char kReAllocEmpty[] = "確保されていないのに、再確保が行われました。:CAlloc";
const char kReAllocFailed[] = "メモリ確保例外が発生しました。メモリーを再確保できません:CAlloc";
const char kDestroyedLocked[] = "CAlloc or Later Object Destroyed With Lock.";
const char kLoadIntoAllocated[] =
    "既に確保されているｵﾌﾞｼﾞｪｸﾄが LoadSerialize されました。直前のﾁｬﾝｸを開放します。:CAlloc";

void Box(const char* text) { AfxMessageBox(text, 0, 0); }

}  // namespace

CAlloc::CAlloc() { Initialize(); }

CAlloc::CAlloc(unsigned int size) {
    Initialize();
    Alloc(size);
}

CAlloc::CAlloc(CAlloc& source)
    : CObject(),
      m_hMem(source.m_hMem),
      m_nLength(source.m_nLength),
      m_bAllocated(source.m_bAllocated),
      m_wFlags(source.m_wFlags) {}

CAlloc::~CAlloc() { Terminate(); }

void CAlloc::Initialize() {
    m_hMem = nullptr;
    m_nLength = 0;
    m_bAllocated = 0;
    m_wFlags = kDefaultFlags;
}

void CAlloc::UnlockAll() {
    UINT count = m_hMem ? (GlobalFlags(m_hMem) & GMEM_LOCKCOUNT) : 0;
    if (count == 0) return;
    _ERRASKW0(kDestroyedLocked);
    for (UINT i = 0; i < count; ++i) GlobalUnlock(m_hMem);
}

void CAlloc::Terminate() {
    UnlockAll();
    if (m_hMem != nullptr) GlobalFree(m_hMem);
}

void* CAlloc::Alloc(unsigned int size) {
    if (m_bAllocated) {
        Box(kDoubleAlloc);
        return nullptr;
    }
    HGLOBAL h = GlobalAlloc(m_wFlags, size);
    if (h == nullptr) {
        Box(kNoMemory);
        return nullptr;
    }
    m_hMem = h;
    m_nLength = size;
    m_bAllocated = 1;
    return h;
}

void* CAlloc::ReAlloc(unsigned int size) {
    if (!m_bAllocated) {
        Box(kReAllocEmpty);
        return nullptr;
    }
    HGLOBAL h = GlobalReAlloc(m_hMem, size, m_wFlags);
    if (h != nullptr) {
        m_hMem = h;
        m_nLength = size;
        return h;
    }
    DWORD error = GetLastError();
    Box(kReAllocFailed);
    SetLastError(error);
    DisplayMemLastError();
    // The object forgets the block either way; releasing it keeps the memory from leaking.
    GlobalFree(m_hMem);
    m_hMem = nullptr;
    m_bAllocated = 0;
    return nullptr;
}

void* CAlloc::Attach(unsigned int size, void* handle) {
    if (m_bAllocated) {
        Box(kDoubleAlloc);
        return nullptr;
    }
    m_hMem = handle;
    m_nLength = size;
    m_bAllocated = 1;
    return handle;
}

void* CAlloc::Attach(void* data, unsigned int size) {
    if (Alloc(size) == nullptr) return nullptr;
    m_nLength = size;
    void* p = const_cast<void*>(Lock());
    if (size != 0) std::memcpy(p, data, size);
    Unlock();
    return m_hMem;
}

void* CAlloc::AttachThrough(CAlloc& source) {
    if (m_bAllocated) {
        Box(kDoubleAlloc);
        return nullptr;
    }
    m_nLength = source.m_nLength;
    void* h = source.DetachWithoutFree();
    if (h == nullptr) return nullptr;
    m_hMem = h;
    m_bAllocated = 1;
    return h;
}

BOOL CAlloc::Detach() {
    if (!m_bAllocated) return 0;
    Terminate();
    Initialize();
    return 1;
}

void* CAlloc::DetachWithoutFree() {
    if (!m_bAllocated) return nullptr;
    UnlockAll();
    void* h = m_hMem;
    Initialize();
    return h;
}

const void* CAlloc::Lock() const { return GlobalLock(m_hMem); }

void CAlloc::Unlock() const { GlobalUnlock(m_hMem); }

void CAlloc::Free() {
    Terminate();
    Initialize();
}

unsigned int CAlloc::IsLocked() const {
    return (m_hMem != nullptr && (GlobalFlags(m_hMem) & GMEM_LOCKCOUNT) > 0) ? 1 : 0;
}

void CAlloc::DisplayMemLastError() const { AfxMessageBox(kiln::detail::SystemErrorText(GetLastError()), 0); }

void CAlloc::AssertValid() const {}
void CAlloc::Dump(CDumpContext&) const {}

void CAlloc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << (BYTE)m_bAllocated << (DWORD)m_nLength;
        if (m_bAllocated) {
            const void* p = Lock();
            try {
                ar.Write(p, m_nLength);
            } catch (...) {
                Unlock();
                throw;
            }
            Unlock();
        }
        return;
    }

    if (m_bAllocated) {
        NOTICE(kLoadIntoAllocated);
        Terminate();
        Initialize();
    }
    BYTE flag;
    DWORD length;
    ar >> flag >> length;
    m_bAllocated = flag;
    m_nLength = length;
    if (!flag) return;
    m_bAllocated = 0;
    // A garbled length fails as a record cut short does, before a block of that size is claimed.
    if (!kiln::ArchiveMayHold(ar, length))
        AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
    UINT got = 0;
    if (Alloc(length) != nullptr) {
        void* p = const_cast<void*>(Lock());
        got = ar.Read(p, length);
        Unlock();
    } else {
        // No block to read into: the content still has to be passed over in the archive.
        unsigned char skip[4096];
        for (UINT left = length, n; left != 0; left -= n, got += n) {
            n = ar.Read(skip, left < sizeof skip ? left : (UINT)sizeof skip);
            if (n == 0) break;
        }
    }
    if (got < length) AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
}
