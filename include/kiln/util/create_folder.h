// Folder creation along a whole path.
#pragma once

#include <kiln/platform/runtime/types.h>

// Creates the missing folders of path from the top down (the drive itself is never created) and
// returns the result of creating path itself (CreateDirectoryA: 0 with GetLastError() on failure,
// ERROR_ALREADY_EXISTS when it exists).
int CreateDirectoryStair(const char* path, SECURITY_ATTRIBUTES* sa);
