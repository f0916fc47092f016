// CStack: an output buffer used as a stack of bytes.
//
// The top is the PC: pushing is emitting (Push(v) is Decode(unsigned long): 4 bytes, little-endian;
// bytes, words and blocks are pushed with the other Decode forms), popping moves the PC back and
// reads the value there. Kept pops read at an offset from the bottom (0 is the first byte pushed)
// without moving the PC. A pop asking for more bytes than the stack holds, or a kept pop whose bytes
// do not all lie below the PC, gives 0 and changes nothing. Pops read through the interior pointer:
// the stack must be inter-locked.
#pragma once

#include <kiln/convert/decode.h>

class CStack : public CDecode {
    DECLARE_DYNCREATE(CStack)
public:
    CStack();
    // Shares the source's block (see CDecode).
    CStack(CStack& source);
    ~CStack() override;

    // The output buffer's Alignment(n), its result reduced to 1 or 0.
    BOOL Alignment(unsigned int n) override;
    using CDecode::Alignment;

    // Pads the PC to a multiple of 4 (growing the block if needed) without writing the bytes.
    virtual BOOL Alignment();
    virtual BOOL IsEmpty();
    // The 32-bit value on top (sign-extended), removed.
    virtual long Pop();
    virtual BOOL Pop(void* dst, unsigned int n);
    virtual unsigned char PopByte();
    virtual unsigned short PopWord();
    virtual unsigned long PopDword();
    virtual long KeptPop(unsigned int off);
    virtual BOOL KeptPop(unsigned int off, void* dst, unsigned int n);
    virtual unsigned char KeptPopByte(unsigned int off);
    virtual unsigned short KeptPopWord(unsigned int off);
    virtual unsigned long KeptPopDword(unsigned int off);
    virtual BOOL Push(long v);

private:
    // The n bytes at off when they lie below the PC, else null.
    const BYTE* Below(uint64_t off, unsigned int n) const {
        return (off + n <= m_nPC && m_pInterior != nullptr) ? m_pInterior + off : nullptr;
    }
    // Moves the PC down by n and gives the bytes there; null (nothing moved) when n > PC.
    const BYTE* Down(unsigned int n);
};
