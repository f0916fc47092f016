#include <kiln/convert/stack.h>

#include <kiln/platform/runtime/byte_order.h>

IMPLEMENT_DYNCREATE(CStack, CDecode)

namespace {

uint32_t Le32(const BYTE* p) { return (uint32_t)kiln::LoadLE(p, 4); }
unsigned short Le16(const BYTE* p) { return (unsigned short)kiln::LoadLE(p, 2); }

}  // namespace

CStack::CStack() = default;

CStack::CStack(CStack& source) : CDecode(source) {}

CStack::~CStack() = default;

BOOL CStack::Alignment(unsigned int n) { return CDecode::Alignment(n) ? 1 : 0; }

BOOL CStack::Alignment() {
    unsigned int r = m_nPC % 4;
    if (r == 0) return 1;
    if (!Room(4 - r)) return 0;
    m_nPC += 4 - r;
    return 1;
}

BOOL CStack::IsEmpty() { return m_nPC == 0 ? 1 : 0; }

const BYTE* CStack::Down(unsigned int n) {
    if (n > m_nPC || m_pInterior == nullptr) return nullptr;
    m_nPC -= n;
    return m_pInterior + m_nPC;
}

long CStack::Pop() {
    const BYTE* p = Down(4);
    return p ? (long)(int32_t)Le32(p) : 0;
}

BOOL CStack::Pop(void* dst, unsigned int n) {
    const BYTE* p = Down(n);
    if (p == nullptr) return 0;
    if (n != 0) std::memcpy(dst, p, n);
    return 1;
}

unsigned char CStack::PopByte() {
    const BYTE* p = Down(1);
    return p ? p[0] : 0;
}

unsigned short CStack::PopWord() {
    const BYTE* p = Down(2);
    return p ? Le16(p) : 0;
}

unsigned long CStack::PopDword() {
    const BYTE* p = Down(4);
    return p ? Le32(p) : 0;
}

long CStack::KeptPop(unsigned int off) {
    const BYTE* p = Below(off, 4);
    return p ? (long)(int32_t)Le32(p) : 0;
}

BOOL CStack::KeptPop(unsigned int off, void* dst, unsigned int n) {
    const BYTE* p = Below(off, n);
    if (p == nullptr) return 0;
    if (n != 0) std::memcpy(dst, p, n);
    return 1;
}

unsigned char CStack::KeptPopByte(unsigned int off) {
    const BYTE* p = Below(off, 1);
    return p ? p[0] : 0;
}

unsigned short CStack::KeptPopWord(unsigned int off) {
    const BYTE* p = Below(off, 2);
    return p ? Le16(p) : 0;
}

unsigned long CStack::KeptPopDword(unsigned int off) {
    const BYTE* p = Below(off, 4);
    return p ? Le32(p) : 0;
}

BOOL CStack::Push(long v) { return Decode((unsigned long)v); }
