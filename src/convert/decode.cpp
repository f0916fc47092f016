#include <kiln/convert/decode.h>

#include <vector>

IMPLEMENT_DYNCREATE(CDecode, CTextAlloc)

namespace {

constexpr uint64_t kGrowthSlack = 2048;

}  // namespace

CDecode::CDecode() { Initialize(); }

CDecode::CDecode(CDecode& source)
    : CTextAlloc(source),
      m_pInterior(source.m_pInterior),
      m_nPC(source.m_nPC),
      m_nBitPos(source.m_nBitPos),
      m_bDirect(false) {}

CDecode::~CDecode() = default;

void CDecode::Initialize() {
    m_pInterior = nullptr;
    m_nPC = 0;
    m_nBitPos = 0;
    m_bDirect = false;
}

BOOL CDecode::Detach() {
    if (!CTextAlloc::Detach()) return 0;
    Initialize();
    return 1;
}

BOOL CDecode::TryReAlloc(unsigned int n) {
    if ((uint64_t)m_nPC + n <= m_nLength) return 1;
    InterUnlock();
    // The rule grows from the length, not from the PC: a PC set further than 2048 bytes past the
    // end would leave the emission outside the block, so the size is at least PC + n. A size past
    // 32 bits asks for the largest one, which the platform refuses as a memory shortage.
    uint64_t size = (uint64_t)m_nLength + n + kGrowthSlack;
    if (size < (uint64_t)m_nPC + n) size = (uint64_t)m_nPC + n;
    if (size > UINT32_MAX) size = UINT32_MAX;
    if (ReAlloc((unsigned int)size) == nullptr) {
        LoseInterior();
        return 0;
    }
    InterLock();
    return 1;
}

void* CDecode::Attach(const char* text, const char* path, unsigned long position) {
    void* handle = Attach(text, path);
    if (handle == nullptr) return nullptr;
    m_nPC = (unsigned int)(position / 8);
    m_nBitPos = (unsigned int)(position % 8);
    return handle;
}

void* CDecode::Attach(unsigned int size, void* handle, const char* path, unsigned long position) {
    void* result = Attach(size, handle, path);
    if (result == nullptr) return nullptr;
    m_nPC = (unsigned int)(position / 8);
    m_nBitPos = (unsigned int)(position % 8);
    return result;
}

void* CDecode::Attach(void* data, unsigned int size, const char* path, unsigned long position) {
    void* result = Attach(data, size, path);
    if (result == nullptr) return nullptr;
    m_nPC = (unsigned int)(position / 8);
    m_nBitPos = (unsigned int)(position % 8);
    return result;
}

void* CDecode::InterLock() {
    m_pInterior = static_cast<BYTE*>(Lock());
    m_bDirect = m_pInterior != nullptr && OwnGrowth();
    return m_pInterior;
}

void CDecode::InterUnlock() { CAlloc::Unlock(); }

void CDecode::Relocate(int pc, int bit) {
    if (bit >= 0 && bit < 8) {
        m_nPC = (unsigned int)pc;
        m_nBitPos = (unsigned int)bit;
        return;
    }
    // A bit count outside the byte is carried into the PC, keeping the position PC * 8 + bit, so
    // that the open byte is always a byte of its own.
    int64_t position = (int64_t)(unsigned int)pc * 8 + bit;
    m_nPC = (unsigned int)(uint64_t)(position >> 3);
    m_nBitPos = (unsigned int)(position & 7);
}

void CDecode::Relocate(int pc) {
    m_nPC = (unsigned int)pc;
    m_nBitPos = 0;
}

unsigned int CDecode::GetPC() { return m_nPC; }

void CDecode::SetPC(unsigned int pc) { m_nPC = pc; }

unsigned long CDecode::GetPosition() { return (uint32_t)(m_nPC * 8u + m_nBitPos); }

BOOL CDecode::Alignment(unsigned int unit, unsigned int base) {
    if (unit == 0) return 1;
    CloseByte();
    unsigned int r = (m_nPC + base) % unit;
    if (r == 0) return 1;
    unsigned int pad = unit - r;
    if (!Room(pad)) return 0;
    m_nPC += pad;
    return 1;
}

BOOL CDecode::Alignment(unsigned int unit) {
    if (unit == 0) return 1;
    CloseByte();
    unsigned int r = m_nPC % unit;
    if (r == 0) return 1;
    unsigned int pad = unit - r;
    if (!Room(pad)) return 0;
    m_nPC += pad;
    return 1;
}

BOOL CDecode::SmartSize() {
    CloseByte();
    if (m_nPC >= m_nLength) return 1;
    if (ReAlloc(m_nPC) != nullptr) return 1;
    LoseInterior();
    return 0;
}

BOOL CDecode::Decode(CAlloc& source) {
    if (source.GetID() == nullptr) return 0;
    unsigned int n = source.GetLength();
    const void* p = source.Lock();
    BOOL result;
    if (source.GetID() == GetID()) {
        // The source shares this block, which may move as it grows: append from a copy.
        std::vector<unsigned char> copy(static_cast<const unsigned char*>(p),
                                        static_cast<const unsigned char*>(p) + n);
        result = Decode((const void*)copy.data(), n);
    } else {
        result = Decode(p, n);
    }
    source.Unlock();
    return result;
}

BOOL CDecode::Decode(int bit) {
    unsigned int mask = ((unsigned int)bit << (7 - m_nBitPos)) & 0xFF;
    BYTE old = (m_nBitPos != 0 && m_nPC < m_nLength && m_pInterior != nullptr) ? m_pInterior[m_nPC] : 0;
    if (!Reserve(1)) return 0;
    m_pInterior[m_nPC] = (BYTE)(old | mask);
    if (++m_nBitPos == 8) {
        ++m_nPC;
        m_nBitPos = 0;
    }
    return 1;
}

BOOL CDecode::Decode(const char* text) {
    return Decode((const void*)text, (unsigned int)std::strlen(text) + 1);
}

BOOL CDecode::Decode(const void* data, unsigned int n) {
    if (!Direct(n)) return Emit(data, n);
    if (n != 0) std::memcpy(m_pInterior + m_nPC, data, n);
    m_nPC += n;
    return 1;
}

BOOL CDecode::EmitValue(uint32_t value, unsigned int n) { return Emit(&value, n); }

BOOL CDecode::Emit(const void* data, unsigned int n) {
    CloseByte();
    // Bytes taken from this very block move with it when it grows.
    const BYTE* src = static_cast<const BYTE*>(data);
    bool inside = m_pInterior != nullptr && src >= m_pInterior && src < m_pInterior + m_nLength;
    size_t offset = inside ? (size_t)(src - m_pInterior) : 0;
    if (!Reserve(n)) return 0;
    if (inside) src = m_pInterior + offset;
    if (n != 0) std::memmove(m_pInterior + m_nPC, src, n);
    m_nPC += n;
    return 1;
}

BOOL CDecode::DecodeText(const char* text) {
    return Decode((const void*)text, (unsigned int)std::strlen(text));
}

// Kept writes touch only bytes inside the block: one outside it is a caller's error, refused with 0.
BOOL CDecode::KeptWrite(uint64_t offset, const void* data, unsigned int n) {
    if (offset + n > m_nLength || m_pInterior == nullptr) return 0;
    if (n != 0) std::memmove(m_pInterior + offset, data, n);
    return 1;
}

BOOL CDecode::KeptDecode(unsigned int offset, void* data, unsigned int n) {
    return KeptWrite(offset, data, n);
}

BOOL CDecode::KeptDecode(unsigned int offset, unsigned long value) {
    uint32_t v = (uint32_t)value;
    return KeptWrite(offset, &v, 4);
}

BOOL CDecode::KeptDecode(unsigned int offset, unsigned short value) { return KeptWrite(offset, &value, 2); }

BOOL CDecode::KeptDecode(unsigned int offset, unsigned char value) { return KeptWrite(offset, &value, 1); }

BOOL CDecode::KeptDecode(unsigned long position, unsigned char value) {
    return KeptWrite(position / 8 + (position % 8 != 0 ? 1 : 0), &value, 1);
}

void CDecode::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        // A failed trim has reported itself (and left no block): there is nothing to store.
        if (!SmartSize()) return;
        ar << (DWORD)m_nPC << (DWORD)m_nBitPos;
        CTextAlloc::Serialize(ar);
        return;
    }
    DWORD pc, bit;
    ar >> pc >> bit;
    m_nPC = pc;
    m_nBitPos = bit;
    CTextAlloc::Serialize(ar);
}

BOOL CDecode::SerializeRaw(CArchive& ar) {
    if (ar.IsStoring() && !SmartSize()) return 0;
    return CTextAlloc::SerializeRaw(ar);
}
