// CReadTextStmPtr: reads NUL-terminated text from a chunk.
//
// The caller's buffer is not measured (its size is not passed): it must hold whatever the call may
// copy. Fetch copies at most the bytes left between the position and the chunk's end; ReadToSztext
// writes n bytes and a NUL, n + 1 in all. Neither ever reads outside the chunk.
#pragma once

#include <kiln/stream/read_stm_ptr.h>

class CReadTextStmPtr : public CReadStmPtr {
    DECLARE_DYNAMIC(CReadTextStmPtr)
public:
    CReadTextStmPtr() = default;
    explicit CReadTextStmPtr(IPmHeapInterface* heap) : CReadStmPtr(heap) {}

    using CReadStmPtr::Fetch;
    // The string at the cursor, NUL included, into out; the position moves past the NUL. 0 when the
    // chunk ends first: out then holds the bytes up to the end, without a terminator, and the
    // position is at the end.
    int Fetch(char* out);
    // n bytes at offset into out, then a NUL at out[n]; 1, or 0 with out untouched. The position
    // does not move.
    int ReadToSztext(unsigned int offset, char* out, unsigned int n);
};
