// Code page 932 and UTF-16 (little-endian code units), as binary resources store their texts.
#pragma once

#include <string>
#include <string_view>

namespace kiln {

// A byte sequence that is not CP932, or a character CP932 cannot hold, becomes '?'.
std::u16string Cp932ToUtf16(std::string_view cp932);
std::string Utf16ToCp932(std::u16string_view utf16);

}  // namespace kiln
