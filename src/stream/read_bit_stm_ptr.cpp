#include <kiln/stream/read_bit_stm_ptr.h>

#include <cstdint>
#include <cstring>

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

int CReadBitStmPtr::FetchBits(int count) {
    if (count < 1 || count > 32) return 0;
    unsigned int p = m_nPC;
    unsigned int length = ReachableLength();
    int rest = m_nRestBit;
    if (p == 0 || p > length) rest = 0;  // no byte before the position to take bits from
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
    if (Inside(p, 8, length)) {
        std::memcpy(&bytes, from, 8);
        bytes = __builtin_bswap64(bytes);
    } else {
        for (unsigned int i = 0; i < k; ++i) bytes = (bytes << 8) | from[i];
        bytes <<= 64 - 8 * k;
    }
    value = (value << need) | (bytes >> (64 - need));
    m_nPC = p + k;
    m_nRestBit = (int)(8 * k) - need;
    return (int)(uint32_t)value;
}
