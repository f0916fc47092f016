// Windows wildcard masks against file names.
#pragma once

#include <string>

namespace kiln {

// True when name matches mask: '*' stands for any run of characters, '?' for one character
// (a double-byte character counts as one), ASCII letters match in either case, and a trailing ".*"
// also matches a name without a period, so "*.*" matches every name.
bool MatchesPattern(const std::string& mask, const char* name);

}  // namespace kiln
