// CWriteWordBitStmPtr: writes bits into 16-bit little-endian words, bit 0 of each word first, up to
// bit 15.
//
// The current unit is the word just before the position counter, and the free bits (0 to 15) count
// its unwritten bits; a new word grows the chunk by two bytes at a time. Positions are in bytes and
// move by whole words; Alignment counts its unit in words. Only single bits are written: the
// multi-bit DecodeBit raises CNotSupportedException.
#pragma once

#include <kiln/stream/write_bit_stm_ptr.h>

class CWriteWordBitStmPtr : public CWriteBitStmPtr {
    DECLARE_DYNAMIC(CWriteWordBitStmPtr)
public:
    CWriteWordBitStmPtr() = default;
    explicit CWriteWordBitStmPtr(IPmHeapInterface* heap) : CWriteBitStmPtr(heap) {}

    // Aligns to unit words (2 x unit bytes). A started word is closed by moving on past the next word
    // first, so that 3 bits at position 2 align to position 4.
    int Alignment(unsigned int unit, unsigned int offset) override;
    int Alignment(unsigned int unit) override;
    // Moves the BPC up to the next multiple of bits, growing the chunk by whole words.
    int AlignmentBit(unsigned int bits) override;
    // Places the writer at bit 8 x byteOffset + bitOffset, as SetBPC does.
    int SeekBitFromTop(unsigned int byteOffset, unsigned int bitOffset) override;
    int DecodeBit(unsigned long value, int count) override;
    int DecodeBit(int bit) override;
    // Position 2 x ((bpc + 15) / 16), free bits (-bpc) modulo 16; 0 with the seek report beyond the
    // chunk.
    int SetBPC(unsigned int bpc) override;
};
