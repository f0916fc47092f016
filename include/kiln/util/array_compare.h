// Comparison of byte arrays of a known length.
//
// Each function compares the first n bytes of a and b side by side, stopping at the first
// difference; NUL bytes are compared like any other byte. The result is 1 when the n bytes are
// equal, else 0; n < 1 gives 1 without reading either array. Case folding is ASCII only, whatever
// the locale.
#pragma once

// Plain byte comparison.
int ArrayCompare(const unsigned char* a, const unsigned char* b, int n);
// Each byte of a against the upper-case form of the byte of b: a must already be upper case.
int ArrayCompareAlpherUpperSrc(const unsigned char* a, const unsigned char* b, int n);
// Both bytes taken to upper case before they are compared.
int ArrayCompareAlpherIgnoreBoth(const unsigned char* a, const unsigned char* b, int n);
