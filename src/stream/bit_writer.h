// The single-bit write shared by the bit writers, and where each writer puts the bits of a unit.
#pragma once

#include <kiln/stream/write_bit_stm_ptr.h>

#include <typeinfo>

#include "stream/own_chunk.h"

class CWriteLEBitStmPtr;
class CWriteWordBitStmPtr;

namespace kiln::detail {

// Each order names its writer class, the bytes of its unit, and the byte and mask of the bit that is
// written when `free` bits of the unit at `unit` are left after it.
struct MsbFirst {
    using Writer = CWriteBitStmPtr;
    static constexpr unsigned int kUnitBytes = 1;
    static unsigned char* Bit(unsigned char* unit, int free, unsigned char& mask) {
        mask = (unsigned char)(1u << free);
        return unit;
    }
};

struct LsbFirst {
    using Writer = CWriteLEBitStmPtr;
    static constexpr unsigned int kUnitBytes = 1;
    static unsigned char* Bit(unsigned char* unit, int free, unsigned char& mask) {
        mask = (unsigned char)(0x80u >> free);
        return unit;
    }
};

// A little-endian 16-bit word filled from bit 0 up to bit 15.
struct WordLsbFirst {
    using Writer = CWriteWordBitStmPtr;
    static constexpr unsigned int kUnitBytes = 2;
    static unsigned char* Bit(unsigned char* unit, int free, unsigned char& mask) {
        int n = 15 - free;
        mask = (unsigned char)(1u << (n & 7));
        return unit + (n >> 3);
    }
};

}  // namespace kiln::detail

// The single-bit write places the bit from the BPC when the writer is exactly Order's class (whose
// growth rule is CWriteStmPtr's), the chunk is the library's own, the position is on a unit past
// the top and the unit lies in the chunk. Everything else, growth included, goes the careful way.
template <class Order>
int CWriteBitStmPtr::PutBit(int bit) {
    constexpr unsigned int kUnit = Order::kUnitBytes;
    constexpr int64_t kUnitBits = 8 * kUnit;
    unsigned int length;
    unsigned int p = m_nPC;
    if (&typeid(*this) == &typeid(typename Order::Writer) && p != 0 && p % kUnit == 0 &&
        kiln::detail::OwnChunkLength(m_pInterface, m_pChank, length)) {
        int f = m_nFreeBit;
        uint64_t bpc = (uint64_t)p * 8 - (unsigned int)f;
        uint64_t unit = bpc / kUnitBits * kUnit;
        if (unit + kUnit <= length) {
            unsigned char mask;
            unsigned char* at = Order::Bit(m_pChank + unit, (int)(kUnitBits - 1 - bpc % kUnitBits), mask);
            // Without a branch on the bit: random bits would make it a guess each time.
            *at = (unsigned char)((*at & ~mask) | (-(int)(bit != 0) & mask));
            m_nPC = p + kUnit * (unsigned int)(f == 0);  // a new unit was started
            m_nFreeBit = (int)((f - 1) & (kUnitBits - 1));
            return 1;
        }
    }
    return PutBitCarefully<Order>(bit);
}

// Writer is the class whose own growth rule may be tested in place: for that exact class, units
// already inside the chunk need no call; a derived class that may have replaced TryReAlloc is asked
// for every new unit.
template <class Order>
[[gnu::noinline]] int CWriteBitStmPtr::PutBitCarefully(int bit) {
    constexpr unsigned int kUnit = Order::kUnitBytes;
    unsigned int p = m_nPC;
    int f = (p >= kUnit ? m_nFreeBit : 0) - 1;  // no unit before the top of the chunk: start one
    bool ownGrowth = &typeid(*this) == &typeid(typename Order::Writer);
    unsigned int length = ReachableLength();
    if (f < 0) {
        if (!(ownGrowth && Inside(p, kUnit, length)) && !Reserve(kUnit, false, 1)) return 0;
        p += kUnit;
        f += 8 * kUnit;
        m_nPC = p;
    } else if (p > length && !Reserve(kUnit, true, 0)) {
        return 0;
    }
    m_nFreeBit = f;
    unsigned char mask;
    unsigned char* at = Order::Bit(m_pChank + p - kUnit, f, mask);
    *at = (unsigned char)((*at & ~mask) | (-(int)(bit != 0) & mask));
    return 1;
}
