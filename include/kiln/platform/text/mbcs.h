// Double-byte (code page 932) character helpers.
//
// A Shift_JIS lead byte is 0x81-0x9F or 0xE0-0xFC and takes the next byte with it. kiln::IsLeadByte
// is the one place that tests it; the _mbs functions below are the multibyte C runtime functions
// that the library and its clients use, for code page 932.
#pragma once

#include <kiln/platform/runtime/types.h>

namespace kiln {

constexpr bool IsLeadByte(unsigned char c) { return ((unsigned)((c ^ 0x20) + 0x5F) & 0xFF) < 0x3C; }

// The character after the one at p (which is not the terminator): two bytes on from a lead byte with
// its trail byte, one otherwise. A lead byte just before the terminator stands alone, so stepping
// never passes the end of the string.
constexpr const char* NextChar(const char* p) {
    return p + (IsLeadByte((unsigned char)p[0]) && p[1] != '\0' ? 2 : 1);
}

// The length of the longest prefix of the NUL-terminated text that fits in limit bytes without
// splitting a double-byte character. A lead byte before the terminator counts as one byte.
inline size_t FittingPrefix(const char* text, size_t limit) {
    size_t length = 0;
    while (text[length] != '\0') {
        size_t step = (size_t)(NextChar(text + length) - (text + length));
        if (length + step > limit) break;
        length += step;
    }
    return length;
}

}  // namespace kiln

// 1 for a lead byte, else 0.
int _ismbblead(unsigned int c);
// First (_mbschr) or last (_mbsrchr) character equal to c, stepping over double-byte characters
// (c may itself be a double-byte code, lead byte * 256 + trail byte); c = 0 finds the terminator.
// A lead byte followed by the terminator ends the string.
unsigned char* _mbschr(const unsigned char* str, unsigned int c);
unsigned char* _mbsrchr(const unsigned char* str, unsigned int c);
// The next character: two bytes on from a lead byte with a trail byte, else one.
unsigned char* _mbsinc(const unsigned char* current);
// Case-insensitive compare that folds ASCII letters only, never inside double-byte characters.
int _mbsicmp(const unsigned char* a, const unsigned char* b);
unsigned char* _mbsupr(unsigned char* str);
unsigned char* _mbslwr(unsigned char* str);

// The same for plain char strings, so callers need no casts.
inline char* _mbschr(const char* str, unsigned int c) {
    return (char*)_mbschr((const unsigned char*)str, c);
}
inline char* _mbsrchr(const char* str, unsigned int c) {
    return (char*)_mbsrchr((const unsigned char*)str, c);
}
inline int _mbsicmp(const char* a, const char* b) {
    return _mbsicmp((const unsigned char*)a, (const unsigned char*)b);
}
