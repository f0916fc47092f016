// CWriteStmPtr: writes values into a chunk, appending at the cursor (Decode) or overwriting at an
// offset (Write). Words and double words are stored little-endian; a 4-byte value stores the low 32
// bits of an unsigned long.
//
// Decode grows the chunk when the bytes do not fit: to the current length + the bytes asked + 4096,
// so that appending one value at a time resizes the chunk once per 4 KB; FitChankSize trims the slack
// at the end. A Decode that cannot grow the chunk writes nothing and returns 0 without a report.
// Write never grows the chunk: data that would end beyond it is refused with the report
// "CWriteStmPtr:Write Out of Chank". All operations return 1 on success, 0 on failure.
#pragma once

#include <kiln/stream/chank_ptr.h>

class CWriteStmPtr : public CChankPtr {
    DECLARE_DYNAMIC(CWriteStmPtr)
public:
    CWriteStmPtr() = default;
    explicit CWriteStmPtr(IPmHeapInterface* heap) : CChankPtr(heap) {}

    // Shrinks the chunk to the position counter; does nothing when the position is at or past the end.
    virtual int FitChankSize();
    virtual int Decode(unsigned long value);
    virtual int Decode(unsigned short value);
    virtual int Decode(unsigned char value);
    virtual int Decode(const void* data, unsigned int n);
    virtual int Write(unsigned int offset, const void* data, unsigned int n);
    virtual int Write(unsigned int offset, unsigned long value);
    virtual int Write(unsigned int offset, unsigned short value);
    virtual int Write(unsigned int offset, unsigned char value);

    // DWORD is unsigned int here (unsigned long on Windows): these keep Decode(dw) and Write(at, dw)
    // choosing the 4-byte forms.
    int Decode(unsigned int value) { return Decode((unsigned long)value); }
    int Write(unsigned int offset, unsigned int value) { return Write(offset, (unsigned long)value); }

protected:
    // 1 when the n bytes from the position are in the chunk, growing it when they are not. Fails
    // without a locked chunk. A position left beyond the end by a seek is covered too: the chunk
    // grows from there (the gap holds what the chunk's memory gives, zero for CAlloc's default).
    int TryReAlloc(unsigned int n) override;
};
