// The order in which a file search hands out the names of a folder, for code that must treat the
// entries of a folder as CFileFind would without listing them through it.
#pragma once

#include <string>

namespace kiln {

// Names are found in the order of their keys, equal keys by their own bytes: "." and ".." first,
// then the others by their form with ASCII letters in upper case (double-byte characters kept).
std::string FindOrderKey(const std::string& name);

}  // namespace kiln
