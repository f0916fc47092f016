// Where the special folders (CSIDL_*) are on this system; the table is in shell_folder.h.
#pragma once

#include <string>

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln {

// The host path of special folder csidl (CSIDL_FLAG_* bits removed); false for an unknown csidl.
bool SpecialFolderHostPath(int csidl, std::string& host);

}  // namespace kiln

#pragma GCC visibility pop
