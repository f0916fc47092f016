// CReadStm: a text buffer read through a position counter (PC).
//
// Reading needs the reader locked (InterLock .. InterUnlock); an unlocked reader has no interior
// pointer: its fetches and peeks fail as they do past the end, and its skips return 0 at once.
// A sequential fetch of n bytes moves the PC by n whether it succeeds or not, and succeeds only when
// old PC + n < length (the last byte of the buffer is never delivered by a fetch) and the old PC is
// not negative as a signed 32-bit value.
// A failed fetch gives 0. Peeks read at absolute offsets without moving the PC: GetByte reaches the
// last byte, GetWord/GetDword may end exactly at the end, Gets/GetsToSztext need one byte to spare.
// The skips fetch byte by byte, add 1 to the caller's line counter for every carriage return they
// fetch, and stop (returning 0) as soon as a fetch leaves the PC at or beyond the length. Nothing
// here knows double-byte characters, and no operation shows a message.
#pragma once

#include <kiln/convert/skip_object.h>
#include <kiln/core/text_alloc.h>

#include <cstring>

class CDecode;

class CReadStm : public CTextAlloc {
    DECLARE_DYNCREATE(CReadStm)
public:
    CReadStm();
    // Shares the source's block (only one of the two may release it) and takes its PC and pointer.
    CReadStm(CReadStm& source);
    ~CReadStm() override;

    // Empties the buffer as CTextAlloc does and resets the PC and the interior pointer; 0 when the
    // reader held no block (it is then left as it was).
    BOOL Detach() override;

    // Locks the block and keeps its address; the first InterUnlock forgets it, whatever the nesting.
    virtual void* InterLock();
    virtual void InterUnlock();
    virtual unsigned int GetPC() { return m_nPC; }
    virtual void SetPC(unsigned int pc) { m_nPC = pc; }
    // Rounds the PC up so that PC + base (or the PC) becomes a multiple of n; 1 when nothing moved or
    // the new PC < length. The PC stays moved on failure.
    virtual BOOL Alignment(unsigned int n, unsigned int base);
    virtual BOOL Alignment(unsigned int n);
    // Appends the bytes [from, to) to out through its Decode; 0 when to >= length or from >= to.
    virtual BOOL ToDecode(CDecode* out, unsigned int from, unsigned int to);
    // Moves the PC by delta (signed); 1 when the old PC was valid and the new PC < length.
    virtual BOOL Seek(int delta) { return TryIncrement(delta) >= 0 ? 1 : 0; }
    // Short skips (a line end, a two-byte token) are done inline.
    virtual BOOL Skip(unsigned int count, unsigned int& lines) {
        const unsigned int pc = m_nPC;
        if (count - 1 < 4 && m_pInter != nullptr && pc < 0x7FFFFFF0u && pc + count < m_nLength) {
            for (unsigned int i = 0; i < count; ++i) lines += m_pInter[pc + i] == 0x0D;
            m_nPC = pc + count;
            return 1;
        }
        return SkipCounted(count, lines);
    }
    virtual BOOL SkipWhiteSpace(unsigned int& lines);
    // Skip while pred->IsSkipEx(byte) is 0; return its first non-zero answer with the PC on that
    // byte. A null pred stops at the first byte, as a plain CSkipObject does. Written inline, so
    // that a caller whose predicate is known to the compiler pays no call per byte.
    virtual BOOL SkipEx(CSkipObject* pred, unsigned int& lines) { return SkipWhile(pred, lines); }
    virtual BOOL SkipWhiteSpaceEx(CSkipObject* pred, unsigned int& lines) { return SkipWhile(pred, lines); }
    virtual BOOL SkipBlackSpaceEx(CSkipObject* pred, unsigned int& lines) { return SkipWhile(pred, lines); }

    BOOL IsFinished() const { return m_nPC >= m_nLength ? 1 : 0; }

    // Sequential fetches.
    BOOL Fetch(void* dst, unsigned int n) {
        unsigned int old = m_nPC;
        m_nPC = old + n;
        if ((int)old < 0 || (unsigned long long)old + n >= m_nLength || m_pInter == nullptr) return 0;
        std::memcpy(dst, m_pInter + old, n);
        return 1;
    }
    // Copies up to and including the first NUL; 0 when the end comes first (dst then holds the bytes
    // copied, unterminated). Unlike the other fetches it reaches the last byte.
    BOOL Fetch(char* dst);
    unsigned char FetchByte() {
        unsigned int old = m_nPC;
        m_nPC = old + 1;
        if (m_nPC >= m_nLength || (int)old < 0 || m_pInter == nullptr) return 0;
        return m_pInter[old];
    }
    unsigned short FetchWord() { return Fetch2ByteLA(); }
    unsigned long FetchDword() { return Fetch4ByteLA(); }
    unsigned short Fetch2ByteLA() {
        const BYTE* p = Take(2);
        return p ? (unsigned short)(p[0] | p[1] << 8) : 0;
    }
    unsigned short Fetch2ByteBA() {
        const BYTE* p = Take(2);
        return p ? (unsigned short)(p[0] << 8 | p[1]) : 0;
    }
    unsigned long Fetch3ByteLA() {
        const BYTE* p = Take(3);
        return p ? (unsigned long)p[0] | (unsigned long)p[1] << 8 | (unsigned long)p[2] << 16 : 0;
    }
    unsigned long Fetch3ByteBA() {
        const BYTE* p = Take(3);
        return p ? (unsigned long)p[0] << 16 | (unsigned long)p[1] << 8 | (unsigned long)p[2] : 0;
    }
    unsigned long Fetch4ByteLA() {
        const BYTE* p = Take(4);
        return p ? Le32(p) : 0;
    }
    unsigned long Fetch4ByteBA() {
        const BYTE* p = Take(4);
        return p ? (unsigned long)p[0] << 24 | (unsigned long)p[1] << 16 | (unsigned long)p[2] << 8 |
                       (unsigned long)p[3]
                 : 0;
    }

    // Peeks at absolute offsets; the PC does not move.
    unsigned char GetByte(unsigned int off) const {
        return (off < m_nLength && m_pInter) ? m_pInter[off] : 0;
    }
    unsigned char operator[](unsigned int off) const { return GetByte(off); }
    // The int form keeps reader[5] from being ambiguous with the pointer conversions.
    unsigned char operator[](int off) const { return GetByte((unsigned int)off); }
    unsigned short GetWord(unsigned int off) const {
        return Fits(off, 2, 0) ? (unsigned short)(m_pInter[off] | m_pInter[off + 1] << 8) : 0;
    }
    unsigned long GetDword(unsigned int off) const { return Fits(off, 4, 0) ? Le32(m_pInter + off) : 0; }
    BOOL Gets(unsigned int off, void* dst, unsigned int n) const {
        if (!Fits(off, n, 1)) return 0;
        std::memcpy(dst, m_pInter + off, n);
        return 1;
    }
    // As Gets, then a NUL at dst[n] (dst holds n + 1 bytes).
    BOOL GetsToSztext(unsigned int off, char* dst, unsigned int n) const {
        if (!Gets(off, dst, n)) return 0;
        dst[n] = '\0';
        return 1;
    }
    const unsigned char* GetPtr() const { return GetPtr(m_nPC); }
    const unsigned char* GetPtr(unsigned int off) const { return Fits(off, 1, 0) ? m_pInter + off : nullptr; }
    const unsigned char* operator+(unsigned int off) const { return GetPtr(off); }
    const unsigned char* operator+(int off) const { return GetPtr((unsigned int)off); }
    // The bytes at the PC, with no bound test (null while the reader is not locked).
    operator const char*() const { return m_pInter ? (const char*)m_pInter + m_nPC : nullptr; }
    operator void*() const { return m_pInter; }

protected:
    // Adds n to the PC; the old PC when the new PC < length, else -1 (the PC stays moved).
    int TryIncrement(int n) {
        unsigned int old = m_nPC;
        m_nPC = old + (unsigned int)n;
        return m_nPC < m_nLength ? (int)old : -1;
    }

    BYTE* m_pInter;
    unsigned int m_nPC;

private:
    // The bytes of an n-byte fetch (n <= 4), or null when it fails; the PC moves by n either way.
    const BYTE* Take(unsigned int n) {
        int old = TryIncrement((int)n);
        return (old >= 0 && m_pInter != nullptr) ? m_pInter + old : nullptr;
    }
    // off + n <= length, or < length when spare is 1; computed without wrapping.
    bool Fits(unsigned int off, unsigned int n, unsigned int spare) const {
        return m_pInter != nullptr && (unsigned long long)off + n + spare <= m_nLength;
    }
    static unsigned long Le32(const BYTE* p) {
        return (unsigned long)p[0] | (unsigned long)p[1] << 8 | (unsigned long)p[2] << 16 |
               (unsigned long)p[3] << 24;
    }
    // The loop shared by the skips; stop(c) gives 0 to go on, else the skip's result.
    template <class Stop>
    BOOL SkipLoop(unsigned int& lines, Stop stop);
    // The predicate skips. The PC and the line counter are up to date whenever the predicate runs.
    // A fetch at offset o succeeds while o + 1 < length; the skip that reaches the last byte leaves
    // the PC as the failing fetch would (at the length, or one past a PC at or beyond it). A PC or
    // length beyond 2^31 (a fetch then fails without ending the skip) takes the out-of-line loop.
    BOOL SkipWhile(CSkipObject* pred, unsigned int& lines) {
        const BYTE* p = m_pInter;
        unsigned int pc = m_nPC;
        const unsigned int end = m_nLength;
        if (p == nullptr || (int)pc < 0 || end > 0x80000000u) return SkipChecked(pred, lines);
        for (;; ++pc) {
            if (pc + 1 >= end) {
                m_nPC = pc < end ? end : pc + 1;
                return 0;
            }
            unsigned char c = p[pc];
            if (c == 0x0D) ++lines;
            m_nPC = pc + 1;
            if (BOOL stop = pred ? pred->IsSkipEx(c) : 1) {
                m_nPC = pc;
                return stop;
            }
        }
    }
    BOOL SkipChecked(CSkipObject* pred, unsigned int& lines);
    BOOL SkipCounted(unsigned int count, unsigned int& lines);
};
