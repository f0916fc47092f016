#include <kiln/convert/read_stm.h>

#include <kiln/convert/decode.h>

IMPLEMENT_DYNCREATE(CReadStm, CTextAlloc)

CReadStm::CReadStm() : m_pInter(nullptr), m_nPC(0) {}

CReadStm::CReadStm(CReadStm& source) : CTextAlloc(source), m_pInter(source.m_pInter), m_nPC(source.m_nPC) {}

CReadStm::~CReadStm() = default;

BOOL CReadStm::Detach() {
    if (!CTextAlloc::Detach()) return 0;
    m_nPC = 0;
    m_pInter = nullptr;
    return 1;
}

void* CReadStm::InterLock() {
    m_pInter = static_cast<BYTE*>(Lock());
    return m_pInter;
}

void CReadStm::InterUnlock() {
    m_pInter = nullptr;
    CAlloc::Unlock();
}

BOOL CReadStm::Alignment(unsigned int n, unsigned int base) {
    if (n == 0) return 1;
    unsigned int r = (m_nPC + base) % n;
    if (r == 0) return 1;
    unsigned long long target = (unsigned long long)m_nPC + (n - r);
    m_nPC = (unsigned int)target;
    return target < m_nLength ? 1 : 0;
}

BOOL CReadStm::Alignment(unsigned int n) { return CReadStm::Alignment(n, 0); }

BOOL CReadStm::ToDecode(CDecode* out, unsigned int from, unsigned int to) {
    if (to >= m_nLength || from >= to || m_pInter == nullptr || out == nullptr) return 0;
    out->Decode(static_cast<const void*>(m_pInter + from), to - from);
    return 1;
}

BOOL CReadStm::Fetch(char* dst) {
    if (m_pInter == nullptr) return 0;
    while (m_nPC < m_nLength) {
        char c = (char)m_pInter[m_nPC++];
        *dst++ = c;
        if (c == '\0') return 1;
    }
    return 0;
}

template <class Stop>
BOOL CReadStm::SkipLoop(unsigned int& lines, Stop stop) {
    if (m_pInter == nullptr) return 0;
    for (;;) {
        unsigned char c = FetchByte();
        if (m_nPC >= m_nLength) return 0;
        if (c == 0x0D) ++lines;
        if (BOOL result = stop(c)) return result;
    }
}

// Skip and SkipWhiteSpace run on local copies of the PC and the line count: no code of anyone else
// runs during them. A fetch at offset o succeeds while o + 1 < length, so the loops stop before the
// last byte and leave the PC as the failing fetch would: at the length, or one past a PC that stood
// at or beyond it. A PC or length beyond 2^31 (a fetch then counts as failed without ending the
// skip) takes the byte-by-byte loop.
BOOL CReadStm::SkipCounted(unsigned int count, unsigned int& lines) {
    const BYTE* p = m_pInter;
    unsigned int pc = m_nPC, end = m_nLength;
    if (p == nullptr || (int)pc < 0 || end > 0x80000000u)
        return SkipLoop(lines, [&count](unsigned char) -> BOOL { return --count == 0 ? 1 : 0; });
    // A count of 0 wraps and runs to the end of the buffer.
    bool whole = count != 0 && (unsigned long long)pc + count < end;
    unsigned int stop = whole ? pc + count : (pc < end ? end - 1 : pc);
    unsigned int crs = 0;
    for (const BYTE* q = p + pc; q < p + stop; ++q) crs += *q == 0x0D;
    lines += crs;
    m_nPC = whole ? stop : (pc < end ? end : pc + 1);
    return whole ? 1 : 0;
}

BOOL CReadStm::SkipWhiteSpace(unsigned int& lines) {
    const BYTE* p = m_pInter;
    unsigned int pc = m_nPC, end = m_nLength;
    if (p == nullptr || (int)pc < 0 || end > 0x80000000u)
        return SkipLoop(lines, [this](unsigned char c) -> BOOL {
            if (IsWhiteSpace(c)) return 0;
            --m_nPC;
            return 1;
        });
    unsigned int crs = 0;
    for (; pc + 1 < end; ++pc) {
        unsigned char c = p[pc];
        crs += c == 0x0D;
        if (!IsWhiteSpace(c)) {
            lines += crs;
            m_nPC = pc;
            return 1;
        }
    }
    lines += crs;
    m_nPC = pc < end ? end : pc + 1;
    return 0;
}

BOOL CReadStm::SkipChecked(CSkipObject* pred, unsigned int& lines) {
    return SkipLoop(lines, [this, pred](unsigned char c) -> BOOL {
        BOOL result = pred ? pred->IsSkipEx(c) : 1;
        if (result) --m_nPC;
        return result;
    });
}
