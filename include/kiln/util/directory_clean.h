// Resolving "." and ".." in a Windows path by its text alone (the file system is not consulted).
#pragma once

#include <kiln/platform/text/cstring.h>

// DirectoryClean sets result to path with "." components dropped and each ".." taking back the
// component appended just before it. Components are read up to the first empty one, so a path that
// starts with a backslash gives an empty result. Every component kept is followed by a backslash. A
// ".." that follows another ".." takes back the same component again (so it changes nothing), and a
// ".." with nothing before it is kept.
//
//   "C:\a\..\b\.\c"  gives  "C:\b\c\"
//   "a\b\..\..\c"    gives  "a\c\"
//   "..\x"           gives  "..\x\"
void DirectoryClean(const char* path, CString& result);
