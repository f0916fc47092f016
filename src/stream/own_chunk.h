// The hot bit operations read the chunk's length in place when the chunk is the library's own
// CAllocInterface, instead of asking through the interface at every call.
#pragma once

#include <kiln/core/heap_interface.h>

#include <typeinfo>

namespace kiln::detail {

// True, with the length, when heap is a CAllocInterface (exactly) that the cursor holds locked.
inline bool OwnChunkLength(const IPmHeapInterface* heap, const unsigned char* locked, unsigned int& length) {
    if (locked == nullptr || heap == nullptr || &typeid(*heap) != &typeid(CAllocInterface)) return false;
    length = static_cast<const CAllocInterface*>(heap)->CAllocInterface::GetLength();
    return true;
}

}  // namespace kiln::detail
