// CWriteBitStmPtr: writes bits into a chunk, the most significant bit of each byte first (what
// CReadBitStmPtr reads), growing the chunk as CWriteStmPtr::Decode does.
//
// The current byte is the one just before the position counter; the free-bits counter says how many
// of its bits are still unwritten. The bit position counter (BPC) is position x 8 - free bits. Byte
// writes and seeks leave the counter as it is, so bit writes after them go on in the byte before the
// new position (at position 0 there is none: the next bit starts a new byte). A bit write whose
// current byte lies beyond the chunk's end (after a seek that was reported) grows the chunk to it.
//
// A bit write that fails because the chunk cannot grow returns 0 and leaves the writer and the chunk's
// bytes exactly as they were before the call, so the caller may make room and write again.
#pragma once

#include <kiln/stream/write_stm_ptr.h>

#include <cstdint>

class CWriteBitStmPtr : public CWriteStmPtr {
    DECLARE_DYNAMIC(CWriteBitStmPtr)
public:
    CWriteBitStmPtr() = default;
    explicit CWriteBitStmPtr(IPmHeapInterface* heap) : CWriteStmPtr(heap) {}

    // Closes the current byte (its unwritten bits stay as they are), then aligns the byte position as
    // CChankPtr::Alignment does, growing the chunk. On failure nothing changes.
    int Alignment(unsigned int unit, unsigned int offset) override;
    int Alignment(unsigned int unit) override;
    // Moves the BPC up to the next multiple of bits, growing the chunk to the new position; the bits
    // skipped are not written. 1 for bits of 0 or 1 and when already aligned; 0 (nothing changed)
    // when the chunk cannot grow.
    virtual int AlignmentBit(unsigned int bits);
    // Places the writer at bit 8 x byteOffset + bitOffset, as SetBPC does.
    virtual int SeekBitFromTop(unsigned int byteOffset, unsigned int bitOffset);
    // The low count bits of value (1 to 32; the bits above count are ignored), most significant
    // first. 0, writing nothing, for a count outside 1 to 32.
    virtual int DecodeBit(unsigned long value, int count);
    // One bit: 1 when bit is non-zero.
    virtual int DecodeBit(int bit);
    // Places the writer at bit bpc: 1, or 0 with the seek report when the position lies beyond the
    // chunk (it stays there). A bit number beyond what a position can hold moves nothing.
    virtual int SetBPC(unsigned int bpc);

    unsigned int GetBPC() { return m_nPC * 8 - (unsigned int)m_nFreeBit; }

protected:
    // The single-bit write of every writer; Order tells the unit's size and where its bits go.
    template <class Order>
    int PutBit(int bit);
    template <class Order>
    int PutBitCarefully(int bit);
    // Makes the current unit (when current) and units more units from the position reachable, asking
    // TryReAlloc for each unit that is not, one unit at a time as the writer advances; the position
    // is put back. False when the chunk cannot provide them.
    bool Reserve(unsigned int unitBytes, bool current, unsigned int units);
    // The multi-bit write where the fast one cannot go: near the end of the chunk, over growth, or
    // when a derived class may have replaced TryReAlloc.
    int DecodeBitCarefully(unsigned long value, int count);
    // The shared positioning of the writers whose units have unitBytes bytes.
    int Place(uint64_t bit, unsigned int unitBytes);
    int CloseAndAlign(unsigned int unit, unsigned int offset, unsigned int unitBytes);
    int AlignBits(unsigned int bits, unsigned int unitBytes);

    int m_nFreeBit = 0;
};
