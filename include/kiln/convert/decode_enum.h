// CDecodeEnum: an output buffer that counts the double-byte characters of the text it emits.
//
// The counters are 8-bit and live in another CDecodeEnum, the counter buffer (AttachEnumlate): the
// counter of the code page 932 character with code K (lead byte * 256 + trail byte) is the byte at
// offset 2 * K of its block, so a zero-filled block of 131072 bytes covers every code. The counter
// buffer must be inter-locked while text is counted. DecodeCharEnum emits one byte, uncounted.
//
// Without a counter buffer, or for a code beyond its block, the text is emitted and nothing is
// counted. A lead byte that is the last byte of the emitted data is not counted: its trail byte
// is not part of the data.
#pragma once

#include <kiln/convert/decode.h>

class CDecodeEnum : public CDecode {
    DECLARE_DYNCREATE(CDecodeEnum)
public:
    CDecodeEnum();
    // Shares the source's block (see CDecode) and counts into the source's counter buffer.
    CDecodeEnum(CDecodeEnum& source);
    ~CDecodeEnum() override;

    // The output buffer's Detach; the counter buffer becomes null as well.
    BOOL Detach() override;

    // The text with its NUL, counted.
    virtual BOOL DecodeEnum(const char* text);
    // n bytes, counted.
    virtual BOOL DecodeEnum(const void* data, unsigned int n);
    virtual BOOL DecodeCharEnum(char c);
    // The text without its NUL, counted.
    virtual BOOL DecodeTextEnum(const char* text);

    void AttachEnumlate(CDecodeEnum* counter) { m_pCounter = counter; }
    // Raises the 8-bit counter at offset index of this buffer's block (255 wraps to 0); 0 when the
    // index lies outside the block or the buffer is not inter-locked.
    int Increment(unsigned int index);

protected:
    void Initialize();
    // Counts the double-byte characters of n bytes in the counter buffer; always 1.
    int Enumlate(const char* data, int n);

    CDecodeEnum* m_pCounter;
};
