#include <kiln/stream/write_le_bit_stm_ptr.h>

#include <kiln/platform/runtime/exception.h>

#include "stream/bit_writer.h"

IMPLEMENT_DYNAMIC(CWriteLEBitStmPtr, CWriteBitStmPtr)

int CWriteLEBitStmPtr::Alignment(unsigned int unit, unsigned int offset) {
    return CWriteBitStmPtr::Alignment(unit, offset);
}

int CWriteLEBitStmPtr::Alignment(unsigned int unit) { return CWriteBitStmPtr::Alignment(unit); }

int CWriteLEBitStmPtr::AlignmentBit(unsigned int bits) { return CWriteBitStmPtr::AlignmentBit(bits); }

int CWriteLEBitStmPtr::SeekBitFromTop(unsigned int byteOffset, unsigned int bitOffset) {
    return CWriteBitStmPtr::SeekBitFromTop(byteOffset, bitOffset);
}

int CWriteLEBitStmPtr::DecodeBit(unsigned long, int) { AfxThrowNotSupportedException(); }

int CWriteLEBitStmPtr::DecodeBit(int bit) { return PutBit<kiln::detail::LsbFirst>(bit); }

int CWriteLEBitStmPtr::SetBPC(unsigned int bpc) { return CWriteBitStmPtr::SetBPC(bpc); }

int CWriteLEBitStmPtr::DecodeBitNoReverse(unsigned long value, int count) {
    for (int i = 0; i < count; ++i, value >>= 1) DecodeBit((int)(value & 1));
    return 1;
}
