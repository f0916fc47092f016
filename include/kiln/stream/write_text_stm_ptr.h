// CWriteTextStmPtr: appends text to a chunk, growing it as CWriteStmPtr::Decode does.
//
// Each call returns 1, or 0 when the chunk could not grow; the bytes written before a failure stay.
#pragma once

#include <kiln/stream/write_stm_ptr.h>

class CWriteTextStmPtr : public CWriteStmPtr {
    DECLARE_DYNAMIC(CWriteTextStmPtr)
public:
    CWriteTextStmPtr() = default;
    explicit CWriteTextStmPtr(IPmHeapInterface* heap) : CWriteStmPtr(heap) {}

    using CWriteStmPtr::Decode;
    // The bytes of s without its NUL.
    int Decode(const char* s);
    // The bytes of s and its NUL.
    int DecodeWithNull(const char* s);
    // The bytes of s, then 0x0D and 0x0A.
    int DecodeLine(const char* s);
};
