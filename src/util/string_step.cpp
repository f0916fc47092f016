#include <kiln/util/string_step.h>

#include <cstdint>
#include <cstring>

#include <kiln/platform/text/mbcs.h>

void strnext(char** p) { *p += std::strlen(*p) + 1; }

const char* strinc(const char* p) { return p + std::strlen(p) + 1; }

const char* strChrNumbered(const char* s, unsigned int ch, int n) {
    if (s == nullptr) return nullptr;
    const unsigned char* hit = _mbschr((const unsigned char*)s, ch);
    for (int found = 1; hit != nullptr && found < n; ++found) {
        // The terminator (ch 0) is the last thing a search can find: nothing lies beyond it.
        if (*hit == 0) return nullptr;
        hit = _mbschr(_mbsinc(hit), ch);
    }
    return (const char*)hit;
}

int str2Integer(const char*& p) {
    uint32_t value = 0;  // wraps like the 32-bit int it stands for
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (uint32_t)(*p - '0');
        ++p;
    }
    return (int)value;
}
