// Case folding of the names of registry keys, registry values and INI sections and entries.
//
// Windows compares these names after converting them to upper case. Here a name is code page 932
// bytes: ASCII letters are folded, and so are the double-byte Latin, Greek and Cyrillic letters,
// which have case in Unicode. The second byte of a double-byte character is never taken for an ASCII
// letter, so two different kanji never fold to the same name.
#pragma once

#include <string>
#include <string_view>

#include <kiln/platform/text/mbcs.h>

namespace kiln::detail {

inline std::string FoldName(std::string_view name) {
    std::string out(name);
    for (size_t i = 0; i < out.size(); ++i) {
        if (CharLength(out.data() + i, out.data() + out.size()) == 1) {
            out[i] = ToAsciiUpper(out[i]);
            continue;
        }
        unsigned char c = (unsigned char)out[i];
        unsigned char t = (unsigned char)out[i + 1];
        if (c == 0x82 && t >= 0x81 && t <= 0x9A) {
            out[i + 1] = (char)(t - 0x21);  // fullwidth a-z to A-Z
        } else if (c == 0x83 && t >= 0xBF && t <= 0xD6) {
            out[i + 1] = (char)(t - 0x20);  // Greek
        } else if (c == 0x84 && t >= 0x70 && t <= 0x7E) {
            out[i + 1] = (char)(t - 0x30);  // Cyrillic a to n (0x847F is unused)
        } else if (c == 0x84 && t >= 0x80 && t <= 0x91) {
            out[i + 1] = (char)(t - 0x31);  // Cyrillic o to ya
        }
        ++i;
    }
    return out;
}

}  // namespace kiln::detail
