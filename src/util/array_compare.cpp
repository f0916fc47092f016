#include <kiln/util/array_compare.h>

#include <cstring>

#include <kiln/platform/text/mbcs.h>

namespace {

unsigned char Upper(unsigned char c) { return (unsigned char)kiln::ToAsciiUpper((char)c); }

}  // namespace

int ArrayCompare(const unsigned char* a, const unsigned char* b, int n) {
    return n < 1 || std::memcmp(a, b, (size_t)n) == 0 ? 1 : 0;
}

int ArrayCompareAlpherUpperSrc(const unsigned char* a, const unsigned char* b, int n) {
    for (int i = 0; i < n; ++i) {
        if (a[i] != Upper(b[i])) return 0;
    }
    return 1;
}

int ArrayCompareAlpherIgnoreBoth(const unsigned char* a, const unsigned char* b, int n) {
    for (int i = 0; i < n; ++i) {
        if (Upper(a[i]) != Upper(b[i])) return 0;
    }
    return 1;
}
