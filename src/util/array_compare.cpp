#include <kiln/util/array_compare.h>

#include <cctype>
#include <cstring>

int ArrayCompare(const unsigned char* a, const unsigned char* b, int n) {
    return n < 1 || std::memcmp(a, b, (size_t)n) == 0 ? 1 : 0;
}

int ArrayCompareAlpherUpperSrc(const unsigned char* a, const unsigned char* b, int n) {
    for (int i = 0; i < n; ++i) {
        if (a[i] != std::toupper(b[i])) return 0;
    }
    return 1;
}

int ArrayCompareAlpherIgnoreBoth(const unsigned char* a, const unsigned char* b, int n) {
    for (int i = 0; i < n; ++i) {
        if (std::toupper(a[i]) != std::toupper(b[i])) return 0;
    }
    return 1;
}
