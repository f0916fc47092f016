#include <kiln/stream/write_stm_ptr.h>

#include <kiln/diag/report.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

IMPLEMENT_DYNAMIC(CWriteStmPtr, CChankPtr)

namespace {

constexpr unsigned int kSlack = 4096;

void PutLittle(unsigned char* p, unsigned long v, int n) {
    for (int i = 0; i < n; ++i, v >>= 8) p[i] = (unsigned char)v;
}

}  // namespace

int CWriteStmPtr::TryReAlloc(unsigned int n) {
    if (m_pInterface == nullptr || m_pChank == nullptr) return 0;
    unsigned int length = m_pInterface->GetLength();
    if (Inside(m_nPC, n, length)) return 1;
    // The interface takes a signed size: a chunk that would pass that is refused, not wrapped.
    uint64_t size = (uint64_t)std::max(length, m_nPC) + n + kSlack;
    if (size > INT_MAX) return 0;
    m_pInterface->Unlock();
    BOOL resized = m_pInterface->ReAlloc((int)size);
    m_pChank = m_pInterface->Lock();
    return resized && m_pChank != nullptr && Inside(m_nPC, n, m_pInterface->GetLength()) ? 1 : 0;
}

int CWriteStmPtr::FitChankSize() {
    if (m_pInterface == nullptr || m_nPC >= m_pInterface->GetLength()) return 1;
    // An unlocked cursor resizes the chunk as it is and leaves it unlocked.
    if (m_pChank == nullptr) return m_pInterface->ReAlloc((int)m_nPC) ? 1 : 0;
    m_pInterface->Unlock();
    BOOL resized = m_pInterface->ReAlloc((int)m_nPC);
    m_pChank = m_pInterface->Lock();
    return resized && m_pChank != nullptr ? 1 : 0;
}

int CWriteStmPtr::Decode(const void* data, unsigned int n) {
    // Data taken from the chunk itself is found again after the chunk has moved.
    const unsigned char* from = static_cast<const unsigned char*>(data);
    uintptr_t ownOffset = (uintptr_t)from - (uintptr_t)m_pChank;
    bool own = m_pChank != nullptr && ownOffset < ReachableLength();
    if (!TryReAlloc(n)) return 0;
    if (own) from = m_pChank + ownOffset;
    if (n != 0) std::memmove(m_pChank + m_nPC, from, n);
    m_nPC += n;
    return 1;
}

int CWriteStmPtr::Decode(unsigned long value) {
    if (!TryReAlloc(4)) return 0;
    PutLittle(m_pChank + m_nPC, value, 4);
    m_nPC += 4;
    return 1;
}

int CWriteStmPtr::Decode(unsigned short value) {
    if (!TryReAlloc(2)) return 0;
    PutLittle(m_pChank + m_nPC, value, 2);
    m_nPC += 2;
    return 1;
}

int CWriteStmPtr::Decode(unsigned char value) {
    if (!TryReAlloc(1)) return 0;
    m_pChank[m_nPC++] = value;
    return 1;
}

int CWriteStmPtr::Write(unsigned int offset, const void* data, unsigned int n) {
    if (!Inside(offset, n, GetLength())) {
        REPORT("CWriteStmPtr:Write Out of Chank");
        return 0;
    }
    // An unlocked chunk has no address to write to.
    if (!Inside(offset, n, ReachableLength())) return 0;
    if (n != 0) std::memmove(m_pChank + offset, data, n);
    return 1;
}

int CWriteStmPtr::Write(unsigned int offset, unsigned long value) {
    unsigned char bytes[4];
    PutLittle(bytes, value, 4);
    return CWriteStmPtr::Write(offset, bytes, 4);
}

int CWriteStmPtr::Write(unsigned int offset, unsigned short value) {
    unsigned char bytes[2];
    PutLittle(bytes, value, 2);
    return CWriteStmPtr::Write(offset, bytes, 2);
}

int CWriteStmPtr::Write(unsigned int offset, unsigned char value) {
    return CWriteStmPtr::Write(offset, &value, 1);
}
