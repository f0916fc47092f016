// Windows paths inside the library, host paths at the file system.
//
// Drive Z: is the host root (Z:\home\me\a.src is /home/me/a.src); further drives come from the
// environment variable KILN_DRIVES ("C=/srv/c;D=/mnt/d"; a letter there may also remap Z). A path
// without a drive is relative to the working directory; a path that starts with / is a host path
// already. Backslashes become slashes, except a trail byte of a double-byte character. The reverse
// mapping names a host path by the drive with the longest matching root, Z: for the rest.
#pragma once

#include <string>

namespace kiln {

// The host path for a Windows path. False when the path names a drive that is not mapped (or a
// network path \\server\share, which has no host form); hostPath is then empty.
bool ToHostPath(const char* windowsPath, std::string& hostPath);

// The Windows form of an absolute host path (Z:\... or a mapped drive); a relative host path is taken
// from the working directory.
std::string ToWindowsPath(const std::string& hostPath);

// The full Windows path of a path (drive, root, no "." or ".." components), as GetFullPathName
// gives it: relative paths are completed from the working directory.
std::string FullWindowsPath(const char* windowsPath);

}  // namespace kiln
