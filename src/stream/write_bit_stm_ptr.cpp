#include <kiln/stream/write_bit_stm_ptr.h>

#include <kiln/diag/report.h>

#include <climits>
#include <cstring>

#include "stream/bit_writer.h"
#include "stream/own_chunk.h"

IMPLEMENT_DYNAMIC(CWriteBitStmPtr, CWriteStmPtr)

bool CWriteBitStmPtr::Reserve(unsigned int unitBytes, bool current, unsigned int units) {
    unsigned int p = m_nPC;
    bool ok = true;
    if (current && p > ReachableLength()) {
        m_nPC = p - unitBytes;
        ok = TryReAlloc(unitBytes) != 0;
    }
    for (unsigned int i = 0; ok && i < units; ++i) {
        m_nPC = p + i * unitBytes;
        ok = TryReAlloc(unitBytes) != 0;
    }
    m_nPC = p;
    unsigned int length = ReachableLength();
    return ok && (!current || p <= length) && Inside(p, units * unitBytes, length);
}

// The bits go into an 8-byte window, aligned to 4 bytes, that holds the byte of the first bit (the
// current byte when it has free bits, else the new byte at the position) and all the bytes the run
// touches. When the run goes beyond the current byte, the rest of the last byte it touches is
// cleared (new bytes are stored whole); a run that fits the current byte is or-ed in. The other
// bytes of the window are written back as they were. A window on a 4-byte boundary always has room
// for the 7 bits a byte may already hold and 32 more.
int CWriteBitStmPtr::DecodeBit(unsigned long value, int count) {
    unsigned int length;
    unsigned int p = m_nPC;
    if ((unsigned int)(count - 1) > 31 || p == 0 || &typeid(*this) != &typeid(CWriteBitStmPtr) ||
        !kiln::detail::OwnChunkLength(m_pInterface, m_pChank, length))
        return DecodeBitCarefully(value, count);
    int f = m_nFreeBit;
    uint64_t bpc = (uint64_t)p * 8 - (unsigned int)f;
    uint64_t start = bpc >> 5 << 2;
    if (start + 8 > length) return DecodeBitCarefully(value, count);

    value &= ~0ul >> (64 - count);
    int used = (int)(bpc & 31);               // window bits before the run
    int end = used + count;                   // 1 to 63
    int whole = (end + 7) & ~7;               // up to the end of the last byte touched
    uint64_t spans = -(uint64_t)(count > f);  // all ones when the run leaves the current byte
    uint64_t clear = (~0ull >> used) & (~0ull << (64 - whole)) & spans;
    uint64_t window;
    std::memcpy(&window, m_pChank + start, 8);
    window = __builtin_bswap64((__builtin_bswap64(window) & ~clear) | (uint64_t)value << (64 - end));
    std::memcpy(m_pChank + start, &window, 8);
    // The new BPC is bpc + count, written straight from the old fields.
    m_nPC = p + (unsigned int)((count + 7 - f) >> 3);
    m_nFreeBit = (f - count) & 7;
    return 1;
}

// The same write, a byte at a time: for the end of the chunk, growth, and derived growth rules.
[[gnu::noinline]] int CWriteBitStmPtr::DecodeBitCarefully(unsigned long value, int count) {
    if (count < 1 || count > 32) return 0;
    value &= ~0ul >> (64 - count);
    unsigned int p = m_nPC;
    int f = p != 0 ? m_nFreeBit : 0;
    int rest = f - count;
    unsigned int k = rest >= 0 ? 0 : (unsigned int)(7 - rest) >> 3;  // new bytes
    bool current = f > 0;
    // The writer's own growth rule needs no call for bytes already in the chunk.
    unsigned int length = ReachableLength();
    bool known =
        (!current || p <= length) && Inside(p, k, length) && &typeid(*this) == &typeid(CWriteBitStmPtr);
    if (!known && !Reserve(1, current, k)) return 0;

    unsigned char* at = m_pChank + p;
    if (rest >= 0) {
        at[-1] |= (unsigned char)(value << rest);
        m_nFreeBit = rest;
        return 1;
    }
    int need = -rest;  // bits that go into the new bytes
    if (current) at[-1] = (unsigned char)((at[-1] & (0xFFu << f)) | (value >> need));
    uint64_t bits = (uint64_t)value << (64 - need);
    for (unsigned int i = 0; i < k; ++i, bits <<= 8) at[i] = (unsigned char)(bits >> 56);
    m_nPC = p + k;
    m_nFreeBit = (int)(8 * k) - need;
    return 1;
}

int CWriteBitStmPtr::DecodeBit(int bit) { return PutBit<kiln::detail::MsbFirst>(bit); }

int CWriteBitStmPtr::Place(uint64_t bit, unsigned int unitBytes) {
    uint64_t unitBits = 8 * unitBytes;
    uint64_t position = (bit + unitBits - 1) / unitBits * unitBytes;
    if (position > UINT_MAX) {
        REPORT(szSeekOutOfChank);
        return 0;
    }
    m_nPC = (unsigned int)position;
    m_nFreeBit = (int)(position * 8 - bit);
    return CheckPC();
}

int CWriteBitStmPtr::SetBPC(unsigned int bpc) { return Place(bpc, 1); }

int CWriteBitStmPtr::SeekBitFromTop(unsigned int byteOffset, unsigned int bitOffset) {
    return Place(8ull * byteOffset + bitOffset, 1);
}

int CWriteBitStmPtr::CloseAndAlign(unsigned int unit, unsigned int offset, unsigned int unitBytes) {
    if (unit == 0) return 1;
    unsigned int p = m_nPC;
    int f = m_nFreeBit;
    m_nFreeBit = 0;
    // A word writer moves on past the word after the one it has started before aligning; the chunk
    // grows for it, so that the position never passes the end.
    if (f > 0 && unitBytes == 2) {
        if (!TryReAlloc(2)) {
            m_nFreeBit = f;
            return 0;
        }
        m_nPC += 2;
    }
    uint64_t span = (uint64_t)unit * unitBytes;
    uint64_t r = (uint64_t)(m_nPC + offset) % span;
    if (r != 0) {
        uint64_t gap = span - r;
        if (gap > UINT_MAX || !TryReAlloc((unsigned int)gap)) {
            m_nPC = p;
            m_nFreeBit = f;
            return 0;
        }
        m_nPC += (unsigned int)gap;
    }
    return 1;
}

int CWriteBitStmPtr::Alignment(unsigned int unit, unsigned int offset) {
    return CloseAndAlign(unit, offset, 1);
}

int CWriteBitStmPtr::Alignment(unsigned int unit) { return CloseAndAlign(unit, 0, 1); }

// The bit number aligned is the writer's own BPC, so that AlignmentBit aligns from any state, as its
// caller expects (free bits of a unit before the top of the chunk count as none).
int CWriteBitStmPtr::AlignBits(unsigned int bits, unsigned int unitBytes) {
    if (bits <= 1) return 1;
    unsigned int p = m_nPC;
    int f = p >= unitBytes ? m_nFreeBit : 0;
    uint64_t b = (uint64_t)p * 8 - (uint64_t)f;
    uint64_t r = b % bits;
    if (r == 0) return 1;
    uint64_t t = b - r + bits;
    uint64_t unitBits = 8 * unitBytes;
    uint64_t position = (t + unitBits - 1) / unitBits * unitBytes;
    if (position > UINT_MAX) return 0;
    unsigned int gap = position > p ? (unsigned int)(position - p) : 0;
    if (!TryReAlloc(gap)) return 0;
    m_nPC = (unsigned int)position;
    m_nFreeBit = (int)(position * 8 - t);
    return 1;
}

int CWriteBitStmPtr::AlignmentBit(unsigned int bits) { return AlignBits(bits, 1); }
