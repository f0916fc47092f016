#include <kiln/platform/text/crt_string.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

inline char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? (char)(c + ('a' - 'A')) : c; }

int CompareFolded(const char* a, const char* b, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        int d = (unsigned char)FoldAscii(a[i]) - (unsigned char)FoldAscii(b[i]);
        if (d != 0 || a[i] == '\0') return d;
    }
    return 0;
}

char* ToText(unsigned long long magnitude, bool negative, char* buffer, int radix) {
    if (radix < 2 || radix > 36) {
        buffer[0] = '\0';
        return buffer;
    }
    char digits[72];
    int n = 0;
    do {
        int d = (int)(magnitude % (unsigned)radix);
        digits[n++] = (char)(d < 10 ? '0' + d : 'a' + d - 10);
        magnitude /= (unsigned)radix;
    } while (magnitude != 0);
    char* p = buffer;
    if (negative) *p++ = '-';
    while (n > 0) *p++ = digits[--n];
    *p = '\0';
    return buffer;
}

template <class Signed, class Unsigned>
char* SignedToText(Signed value, char* buffer, int radix) {
    if (radix == 10 && value < 0)
        return ToText(0 - (unsigned long long)(long long)value, true, buffer, radix);
    return ToText((Unsigned)value, false, buffer, radix);
}

}  // namespace

int lstrlenA(LPCSTR lpString) { return lpString != nullptr ? (int)std::strlen(lpString) : 0; }

LPSTR lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
    if (lpString1 == nullptr || lpString2 == nullptr) return nullptr;
    return std::strcpy(lpString1, lpString2);
}

// Copies at most iMaxLength - 1 bytes and always terminates.
LPSTR lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
    if (lpString1 == nullptr || lpString2 == nullptr || iMaxLength <= 0) return nullptr;
    size_t n = ::strnlen(lpString2, (size_t)iMaxLength - 1);
    std::memcpy(lpString1, lpString2, n);
    lpString1[n] = '\0';
    return lpString1;
}

LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
    if (lpString1 == nullptr || lpString2 == nullptr) return nullptr;
    return std::strcat(lpString1, lpString2);
}

int lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    int d = std::strcmp(lpString1 ? lpString1 : "", lpString2 ? lpString2 : "");
    return (d > 0) - (d < 0);
}

int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
    int d = _stricmp(lpString1 ? lpString1 : "", lpString2 ? lpString2 : "");
    return (d > 0) - (d < 0);
}

int _stricmp(const char* string1, const char* string2) { return CompareFolded(string1, string2, (size_t)-1); }

int _strnicmp(const char* string1, const char* string2, size_t count) {
    return CompareFolded(string1, string2, count);
}

char* _strupr(char* str) {
    for (char* p = str; *p; ++p)
        if (*p >= 'a' && *p <= 'z') *p = (char)(*p - ('a' - 'A'));
    return str;
}

char* _strlwr(char* str) {
    for (char* p = str; *p; ++p) *p = FoldAscii(*p);
    return str;
}

char* _strdup(const char* str) { return str != nullptr ? ::strdup(str) : nullptr; }

char* _itoa(int value, char* buffer, int radix) { return SignedToText<int, unsigned>(value, buffer, radix); }
char* _ltoa(LONG value, char* buffer, int radix) { return SignedToText<LONG, ULONG>(value, buffer, radix); }
char* _ultoa(ULONG value, char* buffer, int radix) { return ToText(value, false, buffer, radix); }
char* _i64toa(LONGLONG value, char* buffer, int radix) {
    return SignedToText<LONGLONG, ULONGLONG>(value, buffer, radix);
}
char* _ui64toa(ULONGLONG value, char* buffer, int radix) { return ToText(value, false, buffer, radix); }
LONGLONG _atoi64(const char* str) { return std::atoll(str); }

namespace kiln {

int CopyFormatted(char* buffer, size_t count, const std::string& text) {
    if (text.size() < count) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return (int)text.size();
    }
    std::memcpy(buffer, text.data(), count);
    return text.size() == count ? (int)count : -1;
}

}  // namespace kiln

int wvsprintfA(LPSTR lpOutput, LPCSTR lpFormat, va_list arglist) {
    return kiln::CopyFormatted(lpOutput, 1024, kiln::FormatPrintfV(lpFormat, arglist).substr(0, 1023));
}

int _vsnprintf(char* buffer, size_t count, const char* format, va_list argptr) {
    return kiln::CopyFormatted(buffer, count, kiln::FormatPrintfV(format, argptr));
}

namespace kiln {

LONG StrToLong32(const char* text, char** end, int base) {
    long long v = std::strtoll(text, end, base);
    if (v > INT32_MAX || v < INT32_MIN) {
        errno = ERANGE;
        return v > 0 ? INT32_MAX : INT32_MIN;
    }
    return (LONG)v;
}

// As strtoul on Windows: a leading minus negates the value modulo 2^32.
ULONG StrToULong32(const char* text, char** end, int base) {
    int saved = errno;
    errno = 0;
    unsigned long long v = std::strtoull(text, end, base);
    if (errno == ERANGE) return UINT32_MAX;
    errno = saved;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = *p == '-';
    unsigned long long magnitude = negative ? 0 - v : v;
    if (magnitude > UINT32_MAX) {
        errno = ERANGE;
        return UINT32_MAX;
    }
    return (ULONG)(negative ? 0 - magnitude : magnitude);
}

}  // namespace kiln
