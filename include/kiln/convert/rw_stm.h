// CRwStm: an output buffer that can be read back while it is written.
//
// Writing is CDecode's, at the PC. Reading goes through a read position counter (RPC) with the
// source reader's interface (see CReadStm), but its bound is the PC, not the block's length: the
// readable bytes are those written so far. A fetch of n bytes moves the RPC by n whether it
// succeeds or not, and succeeds when old RPC + n <= PC (so a fetch, unlike CReadStm's, delivers the
// last byte written) and the old RPC is not negative as a signed 32-bit value; a failed fetch gives
// 0. The skips stop with 0 as soon as a fetch leaves the RPC at or beyond the PC, so they never
// consume the last byte written; they count carriage returns into the caller's line counter.
// FetchPoint (as CReadStm::Gets) and ToDecode need one byte to spare below the PC. Reading needs
// the buffer inter-locked, like writing; without an interior pointer every read fails.
#pragma once

#include <cstdint>
#include <cstring>

#include <kiln/convert/decode.h>
#include <kiln/convert/skip_object.h>
#include <kiln/platform/runtime/byte_order.h>

class CRwStm : public CDecode {
    DECLARE_DYNCREATE(CRwStm)
public:
    CRwStm();
    // Shares the source's block (see CDecode) and takes its RPC.
    CRwStm(CRwStm& source);
    ~CRwStm() override;

    // The output buffer's Detach, then RPC 0.
    BOOL Detach() override;

    // Rounds the RPC up so that RPC + base (or the RPC) becomes a multiple of n; 1 when nothing
    // moved or the new RPC < PC. The RPC stays moved on failure.
    virtual BOOL ReadAlignment(unsigned int n, unsigned int base);
    virtual BOOL ReadAlignment(unsigned int n);
    // Appends the bytes [from, to) to out through its Decode; 0 when to >= PC or from >= to.
    virtual BOOL ToDecode(CDecode* out, unsigned int from, unsigned int to);
    // Moves the RPC by delta (signed); 1 when the old RPC was valid and the new RPC <= PC.
    virtual BOOL Seek(int delta);
    // Fetches count bytes; 1 when they all came before the last byte written. A count of 0 wraps:
    // the skip runs to the end and gives 0.
    virtual BOOL Skip(unsigned int count, unsigned int& lines);
    virtual BOOL SkipWhiteSpace(unsigned int& lines);
    // Skips while pred->IsSkipEx(byte) is 0 and returns its first non-zero answer with the RPC on
    // that byte. A null pred stops at the first byte, as a plain CSkipObject does.
    virtual BOOL SkipEx(CSkipObject* pred, unsigned int& lines);
    virtual BOOL SkipWhiteSpaceEx(CSkipObject* pred, unsigned int& lines);
    virtual BOOL SkipBlackSpaceEx(CSkipObject* pred, unsigned int& lines);

    unsigned int GetRPC() const { return m_nRPC; }
    void SetRPC(unsigned int rpc) { m_nRPC = rpc; }
    BOOL IsFinished() const { return m_nRPC >= m_nPC ? 1 : 0; }

    BOOL Fetch(void* dst, unsigned int n) {
        const BYTE* p = Take(n);
        if (p == nullptr) return 0;
        if (n != 0) std::memcpy(dst, p, n);
        return 1;
    }
    // Copies up to and including the first NUL; 0 when the RPC reaches the PC first (dst then
    // holds the bytes copied, unterminated).
    BOOL Fetch(char* dst);
    unsigned char FetchByte() {
        const BYTE* p = Take(1);
        return p ? p[0] : 0;
    }
    unsigned short FetchWord() { return Fetch2ByteLA(); }
    unsigned long FetchDword() { return Fetch4ByteLA(); }
    unsigned short Fetch2ByteLA() {
        const BYTE* p = Take(2);
        return p ? (unsigned short)kiln::LoadLE(p, 2) : 0;
    }
    unsigned short Fetch2ByteBA() {
        const BYTE* p = Take(2);
        return p ? (unsigned short)kiln::LoadBE(p, 2) : 0;
    }
    unsigned long Fetch3ByteLA() {
        const BYTE* p = Take(3);
        return p ? (unsigned long)kiln::LoadLE(p, 3) : 0;
    }
    unsigned long Fetch3ByteBA() {
        const BYTE* p = Take(3);
        return p ? (unsigned long)kiln::LoadBE(p, 3) : 0;
    }
    unsigned long Fetch4ByteLA() {
        const BYTE* p = Take(4);
        return p ? (unsigned long)kiln::LoadLE(p, 4) : 0;
    }
    unsigned long Fetch4ByteBA() {
        const BYTE* p = Take(4);
        return p ? (unsigned long)kiln::LoadBE(p, 4) : 0;
    }

    // Random access below the PC; the RPC does not move. Failures give 0.
    BOOL FetchPoint(unsigned int off, void* dst, unsigned int n);
    unsigned char GetByte(unsigned int off) { return (off < m_nPC && m_pInterior) ? m_pInterior[off] : 0; }
    unsigned char operator[](unsigned int off) { return GetByte(off); }
    unsigned short GetWord(unsigned int off);
    unsigned long GetDword(unsigned int off);

protected:
    // Adds n to the RPC (32 bits, wrapping); the old RPC when it was valid and the new RPC <= PC,
    // else -1. The RPC keeps its new value in both cases.
    int TryIncrement(int n);

    unsigned int m_nRPC;

private:
    // Moves the RPC by n and gives the n bytes at the old RPC, or null when they do not all lie
    // below the PC (or the old RPC is negative, or the buffer is not inter-locked).
    const BYTE* Take(unsigned int n) {
        unsigned int old = m_nRPC;
        m_nRPC = old + n;
        if ((int)old < 0 || (uint64_t)old + n > m_nPC || m_pInterior == nullptr) return nullptr;
        return m_pInterior + old;
    }
    // The loop the skips share: fetches a byte; -1 when the RPC then stands at or past the PC.
    int SkipFetch(unsigned int& lines);
};
