// Stepping through strings: packed string lists, numbered character searches and decimal numbers.
#pragma once

// Moves the pointer held in *p past the NUL that ends the string it points to (the next string of a
// list packed as "one\0two\0...").
void strnext(char** p);
// The byte after the NUL that ends p.
const char* strinc(const char* p);

// The n-th occurrence of the character ch in s, counting from 1 (n <= 1 gives the first), or null.
// Double-byte characters are stepped over as units, so a trail byte never matches.
const char* strChrNumbered(const char* s, unsigned int ch, int n);

// Reads the decimal digits at p (no sign; the value wraps at 32 bits) and leaves p on the first byte
// that is not a digit. No digit gives 0 with p unchanged.
int str2Integer(const char*& p);
