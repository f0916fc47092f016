// The string helpers of the Windows C runtime and kernel that ported code takes for granted:
// lstrlen/lstrcpy/lstrcpyn/lstrcat/lstrcmp/lstrcmpi, _stricmp/_strnicmp, _itoa/_ltoa/_ultoa,
// _strupr/_strlwr/_strdup, and the formatters wsprintf, _snprintf, _vsnprintf and sprintf's
// counterpart _stprintf, which follow the Windows printf conventions (kiln/platform/text/printf.h).
//
// Comparisons are by byte value (lstrcmp does not use the locale's word order); the case-blind ones
// fold ASCII letters only. lstr* functions accept null pointers as Windows does (lstrlen(null) is 0,
// lstrcpy into null gives null). _ltoa and _ultoa take 32-bit values, as long is 32 bits on
// Windows; digits above 9 are lower case; a negative value is signed in base 10 only.
// wsprintf writes at most 1024 bytes with the NUL, as on Windows, and returns the length written.
// _snprintf(buffer, count, ...) writes at most count bytes and adds the NUL only when it fits: it
// returns the length, or -1 when the text was cut.
#pragma once

#include <cstdarg>
#include <cstring>

#include <kiln/platform/text/printf.h>

int lstrlenA(LPCSTR lpString);
LPSTR lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
LPSTR lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength);
LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2);
int lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);
#define lstrlen lstrlenA
#define lstrcpy lstrcpyA
#define lstrcpyn lstrcpynA
#define lstrcat lstrcatA
#define lstrcmp lstrcmpA
#define lstrcmpi lstrcmpiA

int _stricmp(const char* string1, const char* string2);
int _strnicmp(const char* string1, const char* string2, size_t count);
char* _strupr(char* str);
char* _strlwr(char* str);
char* _strdup(const char* str);
#define stricmp _stricmp
#define strnicmp _strnicmp

char* _itoa(int value, char* buffer, int radix);
char* _ltoa(LONG value, char* buffer, int radix);
char* _ultoa(ULONG value, char* buffer, int radix);
char* _i64toa(LONGLONG value, char* buffer, int radix);
char* _ui64toa(ULONGLONG value, char* buffer, int radix);
LONGLONG _atoi64(const char* str);

namespace kiln {
// Copies text into buffer as _snprintf does (see above).
int CopyFormatted(char* buffer, size_t count, const std::string& text);
}  // namespace kiln

int wvsprintfA(LPSTR lpOutput, LPCSTR lpFormat, va_list arglist);
int _vsnprintf(char* buffer, size_t count, const char* format, va_list argptr);

template <class... Args>
int wsprintfA(LPSTR lpOutput, LPCSTR lpFormat, const Args&... args) {
    return kiln::CopyFormatted(lpOutput, 1024, kiln::FormatPrintfOf(lpFormat, args...).substr(0, 1023));
}
template <class... Args>
int _snprintf(char* buffer, size_t count, const char* format, const Args&... args) {
    return kiln::CopyFormatted(buffer, count, kiln::FormatPrintfOf(format, args...));
}
template <class... Args>
int _stprintf(char* buffer, const char* format, const Args&... args) {
    return kiln::CopyFormatted(buffer, (size_t)-1, kiln::FormatPrintfOf(format, args...));
}
#define wsprintf wsprintfA
#define wvsprintf wvsprintfA
#define _sntprintf _snprintf
#define _vsntprintf _vsnprintf
