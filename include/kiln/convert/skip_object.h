// Character classes and the stop predicates of the readers' skips.
//
// The classes work on single byte values (0 to 255) and know nothing of double-byte characters:
// bytes from 0x80 up belong to none of them. A predicate's IsSkipEx(c) answers non-zero when a skip
// must stop at the byte c; the readers (CReadStm, CRwStm) call it. The predicates hold no data:
// copying one copies only its class.
#pragma once

#include <kiln/platform/runtime/types.h>

// 1 for space, tab, carriage return and line feed (one bit each in a mask of the bytes 0 to 0x20).
inline int IsWhiteSpace(int c) { return (unsigned)c <= 0x20 ? (int)(0x100002600ull >> c & 1) : 0; }
// 1 for the printable ASCII bytes other than space (0x21 to 0x7E).
inline int IsBlackSpace(int c) { return (c >= 0x21 && c <= 0x7E) ? 1 : 0; }
// 1 for the ASCII letters A to Z and a to z (no digits, no underscore).
inline int IsAlpherbet(int c) { return ((c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A)) ? 1 : 0; }

// Stops at every byte: a skip with it consumes nothing.
class CSkipObject {
    friend class CReadStm;
    friend class CRwStm;

protected:
    virtual BOOL IsSkipEx(int c);
};

// Skips a run of letters: stops at the first byte that is not a letter.
class CSkipAlpherbet : public CSkipObject {
protected:
    BOOL IsSkipEx(int c) override;
};

// Skips up to the next letter: stops at the first letter.
class CSkipNotAlpher : public CSkipObject {
protected:
    BOOL IsSkipEx(int c) override;
};
