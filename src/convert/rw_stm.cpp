#include <kiln/convert/rw_stm.h>

IMPLEMENT_DYNCREATE(CRwStm, CDecode)

namespace {

constexpr BYTE kCarriageReturn = 0x0D;

}  // namespace

CRwStm::CRwStm() : m_nRPC(0) {}

CRwStm::CRwStm(CRwStm& source) : CDecode(source), m_nRPC(source.m_nRPC) {}

CRwStm::~CRwStm() = default;

BOOL CRwStm::Detach() {
    if (!CDecode::Detach()) return 0;
    m_nRPC = 0;
    return 1;
}

int CRwStm::TryIncrement(int n) {
    unsigned int old = m_nRPC;
    m_nRPC = old + (unsigned int)n;
    return ((int)old >= 0 && m_nRPC <= m_nPC) ? (int)old : -1;
}

BOOL CRwStm::ReadAlignment(unsigned int n, unsigned int base) {
    if (n == 0) return 1;
    unsigned int r = (m_nRPC + base) % n;
    if (r == 0) return 1;
    uint64_t target = (uint64_t)m_nRPC + (n - r);
    m_nRPC = (unsigned int)target;
    return target < m_nPC ? 1 : 0;
}

BOOL CRwStm::ReadAlignment(unsigned int n) { return CRwStm::ReadAlignment(n, 0); }

BOOL CRwStm::ToDecode(CDecode* out, unsigned int from, unsigned int to) {
    if (to >= m_nPC || from >= to || m_pInterior == nullptr || out == nullptr) return 0;
    out->Decode(static_cast<const void*>(m_pInterior + from), to - from);
    return 1;
}

BOOL CRwStm::Seek(int delta) { return TryIncrement(delta) >= 0 ? 1 : 0; }

BOOL CRwStm::Fetch(char* dst) {
    if (m_pInterior == nullptr) return 0;
    while (m_nRPC < m_nPC) {
        char c = (char)m_pInterior[m_nRPC++];
        *dst++ = c;
        if (c == '\0') return 1;
    }
    return 0;
}

BOOL CRwStm::FetchPoint(unsigned int off, void* dst, unsigned int n) {
    if ((uint64_t)off + n >= m_nPC || m_pInterior == nullptr) return 0;
    if (n != 0) std::memcpy(dst, m_pInterior + off, n);
    return 1;
}

unsigned short CRwStm::GetWord(unsigned int off) {
    if ((uint64_t)off + 2 > m_nPC || m_pInterior == nullptr) return 0;
    const BYTE* p = m_pInterior + off;
    return (unsigned short)kiln::LoadLE(p, 2);
}

unsigned long CRwStm::GetDword(unsigned int off) {
    if ((uint64_t)off + 4 > m_nPC || m_pInterior == nullptr) return 0;
    const BYTE* p = m_pInterior + off;
    return (unsigned long)kiln::LoadLE(p, 4);
}

int CRwStm::SkipFetch(unsigned int& lines) {
    if (m_pInterior == nullptr) return -1;  // nothing to read: the skip ends at once
    BYTE c = FetchByte();
    if (m_nRPC >= m_nPC) return -1;
    if (c == kCarriageReturn) ++lines;
    return c;
}

BOOL CRwStm::Skip(unsigned int count, unsigned int& lines) {
    for (;;) {
        if (SkipFetch(lines) < 0) return 0;
        if (--count == 0) return 1;
    }
}

BOOL CRwStm::SkipWhiteSpace(unsigned int& lines) {
    for (;;) {
        int c = SkipFetch(lines);
        if (c < 0) return 0;
        if (!IsWhiteSpace(c)) {
            --m_nRPC;
            return 1;
        }
    }
}

BOOL CRwStm::SkipEx(CSkipObject* pred, unsigned int& lines) {
    for (;;) {
        int c = SkipFetch(lines);
        if (c < 0) return 0;
        BOOL stop = pred != nullptr ? pred->IsSkipEx(c) : 1;
        if (stop) {
            --m_nRPC;
            return stop;
        }
    }
}

// The class test of the two forms below is made but decides nothing: the predicate alone stops the
// skip, exactly as in SkipEx.
BOOL CRwStm::SkipWhiteSpaceEx(CSkipObject* pred, unsigned int& lines) {
    for (;;) {
        int c = SkipFetch(lines);
        if (c < 0) return 0;
        (void)IsWhiteSpace(c);
        BOOL stop = pred != nullptr ? pred->IsSkipEx(c) : 1;
        if (stop) {
            --m_nRPC;
            return stop;
        }
    }
}

BOOL CRwStm::SkipBlackSpaceEx(CSkipObject* pred, unsigned int& lines) {
    for (;;) {
        int c = SkipFetch(lines);
        if (c < 0) return 0;
        (void)IsBlackSpace(c);
        BOOL stop = pred != nullptr ? pred->IsSkipEx(c) : 1;
        if (stop) {
            --m_nRPC;
            return stop;
        }
    }
}
