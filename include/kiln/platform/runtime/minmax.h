// min and max as a Windows client writes them: min(a, b) and max(a, b) compare with the usual
// arithmetic conversions and give the result of (a < b ? a : b), as the Windows header macros do.
// They are function templates rather than macros, so std::min, std::max and numeric_limits<T>::max()
// keep compiling in any include order; a client that defines NOMINMAX before including the library
// gets neither, as on Windows.
#pragma once

#ifndef NOMINMAX

#include <type_traits>

template <class A, class B>
constexpr auto min(const A& a, const B& b) -> std::decay_t<decltype(a < b ? a : b)> {
    return a < b ? a : b;
}

template <class A, class B>
constexpr auto max(const A& a, const B& b) -> std::decay_t<decltype(a > b ? a : b)> {
    return a > b ? a : b;
}

#endif
