#include <kiln/stream/write_word_bit_stm_ptr.h>

#include <kiln/platform/runtime/exception.h>

#include "stream/bit_writer.h"

IMPLEMENT_DYNAMIC(CWriteWordBitStmPtr, CWriteBitStmPtr)

int CWriteWordBitStmPtr::Alignment(unsigned int unit, unsigned int offset) {
    return CloseAndAlign(unit, offset, 2);
}

int CWriteWordBitStmPtr::Alignment(unsigned int unit) { return CloseAndAlign(unit, 0, 2); }

int CWriteWordBitStmPtr::AlignmentBit(unsigned int bits) { return AlignBits(bits, 2); }

int CWriteWordBitStmPtr::SeekBitFromTop(unsigned int byteOffset, unsigned int bitOffset) {
    return Place(8ull * byteOffset + bitOffset, 2);
}

int CWriteWordBitStmPtr::DecodeBit(unsigned long, int) { AfxThrowNotSupportedException(); }

int CWriteWordBitStmPtr::DecodeBit(int bit) { return PutBit<kiln::detail::WordLsbFirst>(bit); }

int CWriteWordBitStmPtr::SetBPC(unsigned int bpc) { return Place(bpc, 2); }
