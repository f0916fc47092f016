// CReadStmPtr: reads unsigned values from a chunk, at the cursor or at any offset, in little- or
// big-endian byte order (LA: first byte lowest, BA: first byte highest; plain word and double-word
// reads are little-endian). A 4-byte value comes back zero-extended.
//
// A failed read gives 0. At the cursor it still moves the position on by the read's size, so that
// IsFinished then reports the end; reads at an offset never move the position and never report.
#pragma once

#include <kiln/stream/chank_ptr.h>

class CReadStmPtr : public CChankPtr {
    DECLARE_DYNAMIC(CReadStmPtr)
public:
    CReadStmPtr() = default;
    explicit CReadStmPtr(IPmHeapInterface* heap) : CChankPtr(heap) {}

    // The cursor only reads, so it takes a chunk it may not change; it still locks it to read it.
    void Open(const IPmHeapInterface* heap) { CChankPtr::Open(const_cast<IPmHeapInterface*>(heap)); }

    // n bytes at the cursor into out: 1, or 0 with nothing copied.
    int Fetch(void* out, unsigned int n);
    unsigned char FetchByte();
    unsigned short FetchWord() { return Fetch2ByteLA(); }
    unsigned long FetchDword() { return Fetch4ByteLA(); }
    unsigned short Fetch2ByteLA();
    unsigned short Fetch2ByteBA();
    unsigned long Fetch3ByteLA();
    unsigned long Fetch3ByteBA();
    unsigned long Fetch4ByteLA();
    unsigned long Fetch4ByteBA();

    // n bytes at offset into out: 1, or 0 with nothing copied.
    int Read(unsigned int offset, void* out, unsigned int n);
    unsigned char ReadByte(unsigned int offset);
    unsigned short ReadWord(unsigned int offset);
    unsigned long ReadDword(unsigned int offset);
    unsigned long Read3ByteLA(unsigned int offset);
    unsigned char operator[](unsigned int offset) { return ReadByte(offset); }

    // 1 when the position has reached or passed the chunk's length.
    int IsFinished() { return m_nPC >= GetLength() ? 1 : 0; }

protected:
    // Advances the position by n: the old position, or -1 when the read would pass the end.
    int TryIncrement(int n) {
        const unsigned char* p = Take((unsigned int)n);
        return p != nullptr ? (int)(p - m_pChank) : -1;
    }

    // Steps the cursor over n bytes: their address, or null (the position advanced all the same)
    // when they do not all lie in the chunk.
    const unsigned char* Take(unsigned int n) {
        unsigned int old = m_nPC;
        m_nPC = old + n;
        return (int)old >= 0 && Inside(old, n, ReachableLength()) ? m_pChank + old : nullptr;
    }
    // The n bytes at offset, or null when they do not all lie in the chunk.
    const unsigned char* At(unsigned int offset, unsigned int n) const {
        return Inside(offset, n, ReachableLength()) ? m_pChank + offset : nullptr;
    }
};
