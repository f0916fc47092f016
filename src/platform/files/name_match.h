// Windows wildcard masks against file names, and the order of a file search.
#pragma once

#include <string>

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln {

// True when name matches mask: '*' stands for any run of characters, '?' for one character
// (a double-byte character counts as one), ASCII letters match in either case, and a trailing ".*"
// also matches a name without a period, so "*.*" matches every name.
bool MatchesPattern(const std::string& mask, const char* name);

// The order in which a file search hands out the names of a folder: by their keys, equal keys by
// their own bytes. "." and ".." come first, then the others by their form with ASCII letters in upper
// case (double-byte characters kept).
std::string FindOrderKey(const std::string& name);

}  // namespace kiln

#pragma GCC visibility pop
