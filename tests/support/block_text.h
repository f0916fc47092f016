// The bytes of a memory block as a string, for comparisons in tests.
#pragma once

#include <algorithm>
#include <string>

#include <kiln/core/alloc.h>

namespace kiln::test {

// The first n bytes of the block (all of it by default), locked for the copy; empty without a block.
inline std::string BlockText(CAlloc& block, size_t n = std::string::npos) {
    const char* p = static_cast<const char*>(block.Lock());
    std::string text = p ? std::string(p, std::min<size_t>(n, block.GetLength())) : std::string();
    block.Unlock();
    return text;
}

}  // namespace kiln::test
