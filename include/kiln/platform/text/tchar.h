// The generic-text names of a Windows multibyte (_MBCS) build: _T and TEXT, and the _tcs, _ist,
// _tto and _stprintf families mapped to the functions they stand for in such a build.
//
// Text is 8-bit code page 932, so _T("x") is "x" and TCHAR is char. Where the multibyte build maps
// a name to a double-byte aware function that this library has, it maps the same way (_tcschr to
// _mbschr, _tcsinc to _mbsinc, _tcsicmp to _mbsicmp, ...); the rest are the byte functions the
// multibyte build uses too. The character classes (_istdigit, _istalpha, ...) and the case maps
// answer for ASCII only, whatever the C locale says, as the "C" locale of Windows does. _tcstol and
// _tcstoul give 32-bit results as on Windows: out-of-range text gives LONG_MIN/LONG_MAX or
// ULONG_MAX of 32 bits and sets errno to ERANGE.
#pragma once

#include <cstdlib>
#include <cstring>

#include <kiln/platform/text/crt_string.h>
#include <kiln/platform/text/mbcs.h>

#define _T(x) x
#define _TEXT(x) x
#define TEXT(x) x

typedef unsigned char _TUCHAR;
typedef char _TSCHAR;
typedef unsigned int _TINT;

namespace kiln {
LONG StrToLong32(const char* text, char** end, int base);
ULONG StrToULong32(const char* text, char** end, int base);
}  // namespace kiln

inline int _istdigit(_TINT c) { return c >= '0' && c <= '9'; }
inline int _istxdigit(_TINT c) { return _istdigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
inline int _istupper(_TINT c) { return c >= 'A' && c <= 'Z'; }
inline int _istlower(_TINT c) { return c >= 'a' && c <= 'z'; }
inline int _istalpha(_TINT c) { return _istupper(c) || _istlower(c); }
inline int _istalnum(_TINT c) { return _istalpha(c) || _istdigit(c); }
inline int _istspace(_TINT c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline int _istprint(_TINT c) { return c >= 0x20 && c < 0x7F; }
inline int _istpunct(_TINT c) { return _istprint(c) && c != ' ' && !_istalnum(c); }
inline int _istcntrl(_TINT c) { return c < 0x20 || c == 0x7F; }
inline int _istlead(_TINT c) { return kiln::IsLeadByte((unsigned char)c); }
inline _TINT _totupper(_TINT c) { return _istlower(c) ? c - ('a' - 'A') : c; }
inline _TINT _totlower(_TINT c) { return _istupper(c) ? c + ('a' - 'A') : c; }

inline char* _tcsinc(const char* current) { return (char*)_mbsinc((const unsigned char*)current); }
inline char* _tcsupr(char* str) { return (char*)_mbsupr((unsigned char*)str); }
inline char* _tcslwr(char* str) { return (char*)_mbslwr((unsigned char*)str); }

#define _tcslen strlen
#define _tcsclen strlen
#define _tcscpy strcpy
#define _tcsncpy strncpy
#define _tcscat strcat
#define _tcsncat strncat
#define _tcscmp strcmp
#define _tcsncmp strncmp
#define _tcsicmp _mbsicmp
#define _tcsnicmp _strnicmp
#define _tcschr _mbschr
#define _tcsrchr _mbsrchr
#define _tcsstr strstr
#define _tcsspn strspn
#define _tcscspn strcspn
#define _tcspbrk strpbrk
#define _tcstok strtok
#define _tcsdup _strdup
#define _tcstol kiln::StrToLong32
#define _tcstoul kiln::StrToULong32
#define _tcstod strtod
#define _ttoi atoi
#define _ttol atoi
#define _ttoi64 _atoi64
#define _tstoi atoi
#define _itot _itoa
#define _ltot _ltoa
#define _ultot _ultoa
#define _tprintf printf
#define _ftprintf fprintf
#define _tcsftime strftime
#define _fputts fputs
#define _puttc putc
