// CReadBitStmPtr: reads bits from a chunk, the most significant bit of each byte first (the order
// CWriteBitStmPtr writes).
//
// The byte being read is the one just before the position counter; the remaining-bits counter says
// how many of its bits are still unread. Byte reads and seeks leave the counter as it is, so a bit
// read after them goes on with the byte before the new position (none at position 0 or beyond the
// end: the next bit then comes from the byte at the position). Reading past the end gives 0 and
// moves the position past the end, as a failed byte read does, so that IsFinished reports the end.
#pragma once

#include <kiln/stream/read_stm_ptr.h>

class CReadBitStmPtr : public CReadStmPtr {
    DECLARE_DYNAMIC(CReadBitStmPtr)
public:
    CReadBitStmPtr() = default;
    explicit CReadBitStmPtr(IPmHeapInterface* heap) : CReadStmPtr(heap) {}

    // The next bit, 0 or 1; 0 when the chunk is exhausted.
    int FetchBit();
    // The next count bits, the first one most significant; 0 when the chunk runs out (the remaining
    // bits are then 0). A count outside 1 to 32 reads nothing and gives 0.
    int FetchBits(int count);

protected:
    // FetchBits over a chunk whose reachable length is length; AnyChunk asks the chunk for it.
    int FetchBitsFrom(int count, unsigned int length);
    int FetchBitsAnyChunk(int count);

    int m_nRestBit = 0;
};
