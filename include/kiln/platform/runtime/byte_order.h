// Byte order of records and streams: little- and big-endian loads and stores of 1 to 8 bytes.
//
// The one place that assembles values from bytes; with a constant count the compiler turns each
// call into a single load or store.
#pragma once

#include <cstdint>

namespace kiln {

// The value of the n bytes at p, least significant first.
constexpr uint64_t LoadLE(const unsigned char* p, unsigned n) {
    uint64_t v = 0;
    for (unsigned i = n; i-- > 0;) v = v << 8 | p[i];
    return v;
}

// The value of the n bytes at p, most significant first.
constexpr uint64_t LoadBE(const unsigned char* p, unsigned n) {
    uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i) v = v << 8 | p[i];
    return v;
}

// Stores the low n bytes of v at p, least significant first.
constexpr void StoreLE(unsigned char* p, uint64_t v, unsigned n) {
    for (unsigned i = 0; i < n; ++i) p[i] = (unsigned char)(v >> 8 * i);
}

}  // namespace kiln
