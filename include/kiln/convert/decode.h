// CDecode: the growable output buffer of the converters ("decode" means emit).
//
// Calling order: give the buffer a block (an Attach form, or Alloc), InterLock(), emit with the
// Decode forms, Alignment and KeptDecode, InterUnlock(), then optionally SmartSize() and storing.
// Every emission writes through the interior pointer that InterLock() takes, so it needs the buffer
// inter-locked; an emission on a buffer that was never inter-locked writes nothing and gives 0.
//
// Emissions start at the position counter (PC). Bits are packed most significant first into the
// byte at the PC (the bit position counts the bits already there); every byte-wide emission, a
// non-zero Alignment and SmartSize first close an open byte. Values are stored little-endian.
// When there is no room the block grows to its length + the request + 2048 bytes (TryReAlloc,
// which unlocks and re-locks through the virtual InterUnlock/InterLock). Kept writes patch bytes
// inside the block without moving the PC; a kept write outside the block writes nothing and gives 0.
//
// The archive record is the PC and the bit position (4 bytes each, little-endian) followed by the
// CTextAlloc check-word record; storing trims the block to the PC first (SmartSize).
#pragma once

#include <cstdint>
#include <cstring>

#include <kiln/core/text_alloc.h>

class CDecode : public CTextAlloc {
    DECLARE_DYNCREATE(CDecode)
public:
    CDecode();
    // Shares the source's block (see CTextAlloc), then copies interior pointer, PC and bit position.
    CDecode(CDecode& source);
    ~CDecode() override;

    void Serialize(CArchive& ar) override;
    // Releases the block and empties the text part and the PC; 0 when there is no block.
    BOOL Detach() override;
    // Trims first (0 when that fails), then the raw record; loading leaves PC and bit position.
    BOOL SerializeRaw(CArchive& ar) override;

    using CTextAlloc::Attach;

protected:
    // The growth rule: 1 when there is room for n bytes at the PC, growing the block to
    // length + n + 2048 when there is not; 0 when the block cannot grow (it is then released).
    virtual BOOL TryReAlloc(unsigned int n);

public:
    // The CTextAlloc attach forms, then PC = position / 8 and bit position = position % 8.
    virtual void* Attach(const char* text, const char* path, unsigned long position);
    virtual void* Attach(unsigned int size, void* handle, const char* path, unsigned long position);
    virtual void* Attach(void* data, unsigned int size, const char* path, unsigned long position);
    virtual void* InterLock();
    // Unlocks the block once through CAlloc's own Unlock (an override of Unlock is bypassed).
    virtual void InterUnlock();
    virtual void Relocate(int pc, int bit);
    virtual void Relocate(int pc);
    virtual unsigned int GetPC();
    // Moves the PC; the bit position stays.
    virtual void SetPC(unsigned int pc);
    // PC * 8 + bit position (32 bits, as the positions of the records).
    virtual unsigned long GetPosition();
    // Advances the PC (PC + base for the remainder) to a multiple of unit without writing the bytes
    // passed over; unit 0 changes nothing.
    virtual BOOL Alignment(unsigned int unit, unsigned int base);
    virtual BOOL Alignment(unsigned int unit);
    // Trims the block to the PC (never grows it). The block does not move when it shrinks, so the
    // interior pointer of an inter-locked buffer stays valid.
    virtual BOOL SmartSize();
    // The source's whole block; 0 when the source has no block.
    virtual BOOL Decode(CAlloc& source);
    // The low 32 bits, little-endian.
    virtual BOOL Decode(unsigned long value) {
        uint32_t v = (uint32_t)value;
        if (!Direct(4)) return EmitValue(v, 4);
        std::memcpy(m_pInterior + m_nPC, &v, 4);
        m_nPC += 4;
        return 1;
    }
    virtual BOOL Decode(unsigned short value) {
        if (!Direct(2)) return EmitValue(value, 2);
        std::memcpy(m_pInterior + m_nPC, &value, 2);
        m_nPC += 2;
        return 1;
    }
    virtual BOOL Decode(unsigned char value) {
        unsigned int pc = m_nPC;
        if (!Direct(1)) return EmitValue(value, 1);
        m_pInterior[pc] = value;
        m_nPC = pc + 1;
        return 1;
    }
    // One bit (0 or 1) at the bit position of the byte at the PC.
    virtual BOOL Decode(int bit);
    // The text with its NUL.
    virtual BOOL Decode(const char* text);
    // n bytes: the primitive of the text forms.
    virtual BOOL Decode(const void* data, unsigned int n);
    // The text without its NUL.
    virtual BOOL DecodeText(const char* text);
    virtual BOOL KeptDecode(unsigned int offset, void* data, unsigned int n);
    virtual BOOL KeptDecode(unsigned int offset, unsigned long value);
    virtual BOOL KeptDecode(unsigned int offset, unsigned short value);
    virtual BOOL KeptDecode(unsigned int offset, unsigned char value);
    // The byte at which the next byte-wide emission started when GetPosition() gave position.
    virtual BOOL KeptDecode(unsigned long position, unsigned char value);

    // A DWORD is 32 bits wide here (unsigned long on Windows): these take it as the 32-bit forms.
    BOOL Decode(unsigned int value) { return Decode((unsigned long)value); }
    BOOL KeptDecode(unsigned int offset, unsigned int value) {
        return KeptDecode(offset, (unsigned long)value);
    }

    operator void*() { return m_pInterior; }  // NOLINT(google-explicit-constructor)

protected:
    void Initialize();

    // Closes an open byte: the PC moves past it.
    void CloseByte() {
        if (m_nBitPos != 0) {
            ++m_nPC;
            m_nBitPos = 0;
        }
    }
    // True when an emission of n bytes may store at once: no byte is open, the growth rule would
    // answer 1 without growing (it is CDecode's own and there is room), and the interior pointer
    // is valid. Storing then is exactly what the full sequence does.
    bool Direct(unsigned int n) const {
        return m_nBitPos == 0 && m_bDirect && (uint64_t)m_nPC + n <= m_nLength;
    }
    // The full sequence of a byte-wide emission: closes an open byte, asks the growth rule for n
    // bytes and copies them (data may lie inside the block, which may move as it grows).
    BOOL Emit(const void* data, unsigned int n);
    // Emit of the n low bytes of value, little-endian (out of line, so that the value stays in a
    // register on the fast path).
    BOOL EmitValue(uint32_t value, unsigned int n);
    // TryReAlloc(n), without the virtual call when that would answer 1 at once; 0 also when there
    // is no interior pointer to write through.
    BOOL Reserve(unsigned int n) {
        if (m_bDirect && (uint64_t)m_nPC + n <= m_nLength) return 1;
        return TryReAlloc(n) && m_pInterior != nullptr;
    }
    // TryReAlloc(n) alone, for moves of the PC that write nothing.
    BOOL Room(unsigned int n) {
        if ((uint64_t)m_nPC + n <= m_nLength && OwnGrowth()) return 1;
        return TryReAlloc(n);
    }
    // Copies n bytes to offset inside the block; 0 (nothing written) when they do not lie inside it.
    BOOL KeptWrite(uint64_t offset, const void* data, unsigned int n);
    // Forgets the interior pointer after the block was lost to a failed resize.
    void LoseInterior() {
        m_pInterior = nullptr;
        m_bDirect = false;
    }

    BYTE* m_pInterior;
    unsigned int m_nPC;
    unsigned int m_nBitPos;

private:
    // Set by InterLock when the interior pointer is valid and TryReAlloc is CDecode's own, so that
    // emissions with room need no virtual call; false until then (the full sequence is run).
    bool m_bDirect;

    // True when the TryReAlloc this object runs is CDecode's (not an override).
    bool OwnGrowth() {
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpmf-conversions"
        using Growth = BOOL (*)(CDecode*, unsigned int);
        return (Growth)(this->*(&CDecode::TryReAlloc)) == (Growth)(&CDecode::TryReAlloc);
#pragma GCC diagnostic pop
#else
        return false;
#endif
    }
};
