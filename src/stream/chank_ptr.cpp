#include <kiln/stream/chank_ptr.h>

#include <kiln/diag/report.h>

IMPLEMENT_DYNAMIC(CChankPtr, CObject)

const char CChankPtr::szSeekOutOfChank[] = "CChankPtr:Seek Out of Chank!";

CChankPtr::CChankPtr() : m_nPC(0), m_pInterface(nullptr), m_pChank(nullptr) {}

CChankPtr::CChankPtr(IPmHeapInterface* heap) : CChankPtr() { CChankPtr::Open(heap); }

CChankPtr::~CChankPtr() {
    if (m_pChank != nullptr) CChankPtr::Close();
}

void CChankPtr::Open(IPmHeapInterface* heap) {
    if (m_pChank != nullptr) {
        REPORT("CChankPtr:Double Opened! Close Old Chank.");
        Close();
    }
    m_nPC = 0;
    if (heap == nullptr) return;
    m_pChank = heap->Lock();
    m_pInterface = heap;
}

void CChankPtr::Close() {
    if (m_pChank == nullptr) {
        REPORT("CChankPtr:Close without Open! I Ignore.");
        return;
    }
    m_pChank = nullptr;
    if (m_pInterface == nullptr) {
        REPORT("CChankPtr:Close with Illegal Chank Reference. I Ignore.");
        return;
    }
    m_pInterface->Unlock();
    m_pInterface = nullptr;
}

void CChankPtr::Lock() {
    if (m_pChank != nullptr) {
        REPORT("CChankPtr:Double Lock! I Ignore.");
        return;
    }
    // Without a chunk there is nothing to lock; the cursor stays closed.
    if (m_pInterface != nullptr) m_pChank = m_pInterface->Lock();
}

void CChankPtr::Unlock() {
    if (m_pChank == nullptr) {
        REPORT("CChankPtr:Unlock without Locking. You can Ignore or Continue.");
        return;
    }
    m_pChank = nullptr;
    if (m_pInterface != nullptr) m_pInterface->Unlock();
}

unsigned int CChankPtr::GetLength() { return m_pInterface != nullptr ? m_pInterface->GetLength() : 0; }

unsigned int CChankPtr::GetPosition() { return m_nPC; }

int CChankPtr::CheckPC() {
    if (m_nPC <= GetLength()) return 1;
    REPORT(szSeekOutOfChank);
    return 0;
}

int CChankPtr::Seek(int delta) {
    m_nPC += (unsigned int)delta;
    return CheckPC();
}

int CChankPtr::SeekFromTop(unsigned int pos) {
    m_nPC = pos;
    return CheckPC();
}

int CChankPtr::SeekFromEnd(unsigned int back) {
    m_nPC = GetLength() - back;
    return CheckPC();
}

unsigned int CChankPtr::SeekToTop() {
    m_nPC = 0;
    return 0;
}

unsigned int CChankPtr::SeekToEnd() {
    m_nPC = GetLength();
    return m_nPC;
}

int CChankPtr::Alignment(unsigned int unit, unsigned int offset) {
    if (unit == 0) return 1;
    unsigned int r = (m_nPC + offset) % unit;
    if (r == 0) return 1;
    unsigned int gap = unit - r;
    if (!TryReAlloc(gap)) return 0;
    m_nPC += gap;
    return 1;
}

int CChankPtr::Alignment(unsigned int unit) { return Alignment(unit, 0); }

int CChankPtr::TryReAlloc(unsigned int n) { return Inside(m_nPC, n, ReachableLength()) ? 1 : 0; }
