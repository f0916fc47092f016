// Double-byte (code page 932) character helpers.
//
// A Shift_JIS lead byte is 0x81-0x9F or 0xE0-0xFC and takes the next byte with it. kiln::IsLeadByte
// is the one place that tests it, kiln::CharLength the one place that steps over a character, and
// kiln::FittingLength the one place that cuts text without splitting one. Case folding is ASCII only
// (kiln::ToAsciiUpper), never the C locale's: a program that calls setlocale does not change how the
// library compares names, and no byte of a double-byte character or half-width katakana is folded.
// The _mbs functions below are the multibyte C runtime functions that the library and its clients
// use, for code page 932.
#pragma once

#include <cstddef>
#include <string_view>

#include <kiln/platform/runtime/types.h>

namespace kiln {

constexpr bool IsLeadByte(unsigned char c) { return ((unsigned)((c ^ 0x20) + 0x5F) & 0xFF) < 0x3C; }

// Bytes of the character at p: 2 for a lead byte with its trail byte, else 1. The text ends at end
// when one is given, and always at a zero byte: a lead byte cut off by the end stands alone (a zero
// byte is never a trail byte).
constexpr size_t CharLength(const char* p, const char* end = nullptr) {
    return IsLeadByte((unsigned char)p[0]) && (end == nullptr || p + 1 < end) && p[1] != '\0' ? 2 : 1;
}

// The longest start of text that holds at most limit bytes and does not split a character.
constexpr size_t FittingLength(std::string_view text, size_t limit) {
    size_t length = 0;
    while (length < text.size()) {
        size_t step = CharLength(text.data() + length, text.data() + text.size());
        if (length + step > limit) break;
        length += step;
    }
    return length;
}

// The character after the one at p (not the terminator): CharLength bytes on.
constexpr const char* NextChar(const char* p) { return p + CharLength(p); }

constexpr char ToAsciiUpper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }
constexpr char ToAsciiLower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

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
inline char* _mbschr(const char* str, unsigned int c) { return (char*)_mbschr((const unsigned char*)str, c); }
inline char* _mbsrchr(const char* str, unsigned int c) {
    return (char*)_mbsrchr((const unsigned char*)str, c);
}
inline int _mbsicmp(const char* a, const char* b) {
    return _mbsicmp((const unsigned char*)a, (const unsigned char*)b);
}
