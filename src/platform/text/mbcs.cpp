#include <kiln/platform/text/mbcs.h>

namespace {

// Length of the character at p: 2 for a lead byte with its trail byte, 0 at the end of the string
// (the terminator, or a lead byte whose trail byte is the terminator), else 1.
inline int CharLen(const unsigned char* p) {
    if (*p == 0) return 0;
    int n = (int)kiln::CharLength((const char*)p);
    return kiln::IsLeadByte(*p) && n == 1 ? 0 : n;
}

inline unsigned Code(const unsigned char* p, int len) { return len == 2 ? (p[0] << 8) | p[1] : p[0]; }

inline const unsigned char* End(const unsigned char* p) {
    while (*p) ++p;
    return p;
}

}  // namespace

int _ismbblead(unsigned int c) { return kiln::IsLeadByte((unsigned char)c) && c <= 0xFF ? 1 : 0; }

unsigned char* _mbschr(const unsigned char* str, unsigned int c) {
    if (str == nullptr) return nullptr;
    const unsigned char* p = str;
    for (int len; (len = CharLen(p)) != 0; p += len)
        if (Code(p, len) == c) return const_cast<unsigned char*>(p);
    return c == 0 ? const_cast<unsigned char*>(End(p)) : nullptr;
}

unsigned char* _mbsrchr(const unsigned char* str, unsigned int c) {
    if (str == nullptr) return nullptr;
    const unsigned char* found = nullptr;
    const unsigned char* p = str;
    for (int len; (len = CharLen(p)) != 0; p += len)
        if (Code(p, len) == c) found = p;
    if (c == 0) return const_cast<unsigned char*>(End(p));
    return const_cast<unsigned char*>(found);
}

unsigned char* _mbsinc(const unsigned char* current) {
    int len = CharLen(current);
    return const_cast<unsigned char*>(current + (len == 2 ? 2 : 1));
}

int _mbsicmp(const unsigned char* a, const unsigned char* b) {
    for (;;) {
        int la = CharLen(a), lb = CharLen(b);
        unsigned ca = la == 1 ? (unsigned char)kiln::ToAsciiLower((char)*a) : Code(a, la);
        unsigned cb = lb == 1 ? (unsigned char)kiln::ToAsciiLower((char)*b) : Code(b, lb);
        if (la == 0 || lb == 0) return (la == 0 ? 0 : 1) - (lb == 0 ? 0 : 1);
        if (ca != cb) return ca < cb ? -1 : 1;
        a += la;
        b += lb;
    }
}

unsigned char* _mbsupr(unsigned char* str) {
    for (unsigned char* p = str; int len = CharLen(p); p += len)
        if (len == 1) *p = (unsigned char)kiln::ToAsciiUpper((char)*p);
    return str;
}

unsigned char* _mbslwr(unsigned char* str) {
    for (unsigned char* p = str; int len = CharLen(p); p += len)
        if (len == 1) *p = (unsigned char)kiln::ToAsciiLower((char)*p);
    return str;
}
