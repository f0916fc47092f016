// POSITION over a vector: the index plus one, so that null marks the end.
#pragma once

#include <cstdint>
#include <vector>

#include <kiln/platform/runtime/types.h>

namespace kiln {

template <class T>
POSITION FirstPosition(const std::vector<T>& list) {
    return list.empty() ? nullptr : (POSITION)(uintptr_t)1;
}

// The element at pos, advancing pos (null after the last one); null for a bad position.
template <class T>
T NextAt(const std::vector<T>& list, POSITION& pos) {
    const uintptr_t index = (uintptr_t)pos;
    if (index == 0 || index > list.size()) {
        pos = nullptr;
        return nullptr;
    }
    pos = index < list.size() ? (POSITION)(index + 1) : nullptr;
    return list[index - 1];
}

}  // namespace kiln
