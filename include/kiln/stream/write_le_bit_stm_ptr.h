// CWriteLEBitStmPtr: writes bits into bytes, the least significant bit of each byte first.
//
// Its state means what it means for CWriteBitStmPtr (current byte before the position, free bits,
// BPC = position x 8 - free bits); only the order of the bits inside a byte differs. So SetBPC,
// SeekBitFromTop, Alignment and AlignmentBit really place and align this writer, exactly as they do
// the most-significant-first writer: bit n of the stream is bit n % 8 of byte n / 8. The multi-bit
// DecodeBit, which would write the most significant bit first, raises CNotSupportedException; write
// several bits with DecodeBitNoReverse.
#pragma once

#include <kiln/stream/write_bit_stm_ptr.h>

class CWriteLEBitStmPtr : public CWriteBitStmPtr {
    DECLARE_DYNAMIC(CWriteLEBitStmPtr)
public:
    CWriteLEBitStmPtr() = default;
    explicit CWriteLEBitStmPtr(IPmHeapInterface* heap) : CWriteBitStmPtr(heap) {}

    int Alignment(unsigned int unit, unsigned int offset) override;
    int Alignment(unsigned int unit) override;
    int AlignmentBit(unsigned int bits) override;
    int SeekBitFromTop(unsigned int byteOffset, unsigned int bitOffset) override;
    int DecodeBit(unsigned long value, int count) override;
    int DecodeBit(int bit) override;
    int SetBPC(unsigned int bpc) override;

    int GetLastFreeBit() const { return m_nFreeBit; }
    // count bits of value, bit 0 first, each by the single-bit DecodeBit. Always 1: a bit that
    // cannot be written (the chunk cannot grow) is skipped and the loop goes on, so compare GetBPC
    // before and after to know how many were written.
    int DecodeBitNoReverse(unsigned long value, int count);
};
