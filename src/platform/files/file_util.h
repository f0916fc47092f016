// Pieces shared by the file, file finder and system functions.
#pragma once

#include <string_view>

#include <sys/stat.h>

#include <kiln/platform/runtime/types.h>

namespace kiln::detail {

// FILE_ATTRIBUTE_ bits of a host file: directory, archive for a regular file, system for any other
// kind (device, pipe, socket), read-only when the user cannot write it, hidden when its name starts
// with a period ("." and ".." themselves are not hidden).
DWORD FileAttributes(const struct stat& st, bool writable, std::string_view name);

// The offset of the last component of a Windows or host path: after the last '\', '/' or ':' that
// is not the trail byte of a double-byte character.
size_t FileNameOffset(std::string_view path);

// The title of a file name: the name up to its last period.
std::string_view FileTitle(std::string_view name);

}  // namespace kiln::detail
