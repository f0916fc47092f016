#include <kiln/stream/read_bit_stm_ptr.h>

#include <cstdint>
#include <cstring>

#include "stream/own_chunk.h"

IMPLEMENT_DYNAMIC(CReadBitStmPtr, CReadStmPtr)

int CReadBitStmPtr::FetchBit() {
    unsigned int p = m_nPC;
    int rest = m_nRestBit;
    if (rest > 0 && p != 0 && p <= ReachableLength()) {
        m_nRestBit = --rest;
        return (m_pChank[p - 1] >> rest) & 1;
    }
    const unsigned char* byte = Take(1);
    if (byte == nullptr) {
        m_nRestBit = 0;
        return 0;
    }
    m_nRestBit = 7;
    return *byte >> 7;
}

// The body of FetchBits, inlined in both callers so that the usual one calls nothing.
[[gnu::always_inline]] inline int CReadBitStmPtr::FetchBitsFrom(int count, unsigned int length) {
    if (count < 1 || count > 32) return 0;
    unsigned int p = m_nPC;
    int rest = p - 1 < length ? m_nRestBit : 0;  // no byte before the position: no bits left in it

    // Away from the end the bits come out of one 8-byte window from the byte holding the first one.
    unsigned int first = p - (rest > 0 ? 1 : 0);
    if ((int)first >= 0 && Inside(first, 8, length)) {
        uint64_t window;
        std::memcpy(&window, m_pChank + first, 8);
        window = __builtin_bswap64(window);
        int skip = rest > 0 ? 8 - rest : 0;  // bits of the first byte already read
        int used = skip + count;
        m_nPC = first + (unsigned int)((used + 7) >> 3);
        m_nRestBit = -used & 7;
        return (int)(uint32_t)((window << skip) >> (64 - count));
    }

    uint64_t value = rest > 0 ? m_pChank[p - 1] & ((1u << rest) - 1) : 0;
    if (rest >= count) {
        m_nRestBit = rest - count;
        return (int)(value >> (rest - count));
    }

    int need = count - rest;
    unsigned int k = (unsigned int)(need + 7) >> 3;
    m_nRestBit = 0;
    if ((int)p < 0 || !Inside(p, k, length)) {
        // The bytes are taken one at a time until one lies beyond the end: the position stops just
        // past the end, or one byte further when it already was there.
        m_nPC = ((int)p < 0 || p >= length) ? p + 1 : length + 1;
        return 0;
    }
    const unsigned char* from = m_pChank + p;
    uint64_t bytes = 0;
    for (unsigned int i = 0; i < k; ++i) bytes = (bytes << 8) | from[i];
    bytes <<= 64 - 8 * k;
    value = (value << need) | (bytes >> (64 - need));
    m_nPC = p + k;
    m_nRestBit = (int)(8 * k) - need;
    return (int)(uint32_t)value;
}

int CReadBitStmPtr::FetchBits(int count) {
    unsigned int length;
    if (!kiln::detail::OwnChunkLength(m_pInterface, m_pChank, length)) return FetchBitsAnyChunk(count);
    return FetchBitsFrom(count, length);
}

[[gnu::noinline]] int CReadBitStmPtr::FetchBitsAnyChunk(int count) {
    return FetchBitsFrom(count, ReachableLength());
}
