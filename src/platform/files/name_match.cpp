#include "platform/files/name_match.h"

#include <kiln/platform/text/mbcs.h>

namespace kiln {

namespace {

bool SameChar(const char* a, const char* b, size_t length) {
    if (length == 1) return ToAsciiUpper(*a) == ToAsciiUpper(*b);
    return a[0] == b[0] && a[1] == b[1];
}

// '*' and '?' against a name, character by character; a '*' that fails to extend takes one more
// character of the name and tries again.
bool Match(const char* mask, const char* name) {
    const char* starMask = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*mask == '*') {
            starMask = ++mask;
            starName = name;
            continue;
        }
        size_t length = CharLength(name);
        if (*mask == '?') {
            ++mask;
            name += length;
            continue;
        }
        if (*mask != '\0' && CharLength(mask) == length && SameChar(mask, name, length)) {
            mask += length;
            name += length;
            continue;
        }
        if (starMask == nullptr) return false;
        mask = starMask;
        starName += CharLength(starName);
        name = starName;
    }
    while (*mask == '*') ++mask;
    return *mask == '\0';
}

}  // namespace

// Windows lets a trailing ".*" match the end of a name without a period, so "*.*" matches every name.
bool MatchesPattern(const std::string& mask, const char* name) {
    if (Match(mask.c_str(), name)) return true;
    return mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0 &&
           Match(mask.substr(0, mask.size() - 2).c_str(), name);
}

std::string FindOrderKey(const std::string& name) {
    if (name == ".") return std::string(1, '\0');
    if (name == "..") return std::string(2, '\0');
    std::string key = name;
    for (size_t i = 0; i < key.size(); i += CharLength(key.c_str() + i)) key[i] = ToAsciiUpper(key[i]);
    return key;
}

}  // namespace kiln
