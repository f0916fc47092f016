// Windows paths as strings: drive names, directory part, file name and title, relative paths.
//
// Paths use the backslash as separator; the splitters also end a directory at the drive colon. The
// splitters (str2PathIndex, str2FileName, str2FileTitle and the functions built on them) look at no
// more than the first MAX_PATH (260) bytes of a path and step over double-byte characters as units.
// A null path reads as an empty one.
#pragma once

#include <kiln/platform/text/cstring.h>

// 1 with the first two bytes of path in drive when path starts with a drive name (a letter A-Z or
// a-z, case kept, then ':'), else 0 with drive untouched.
int str2DriveName(const char* path, CString& drive);
// The drive name that path starts with, or an empty string.
CString str2DriveName(const char* path);
// Drive name of the Windows directory, for example "C:".
CString GetWindowsDrive();

// parent = path less its last component (a trailing backslash is dropped first); 1 if a backslash
// separated that component, else 0 with parent the path without its trailing backslash.
int strRemoveOneDir(const char* path, CString& parent);

// dir ending in one backslash (unchanged when empty or when it already ends in one).
CString PathIndexToWithSeparator(const char* dir);
// dir without one trailing backslash.
CString PathIndexToWithoutSeparator(const char* dir);

// The directory part of path, up to and including its last backslash or colon; empty if none.
CString str2PathIndex(const char* path);
// The part of path after its last backslash or colon.
CString str2FileName(const char* path);
// The file name without its extension; a name whose only period is the path's first byte
// (".profile") is all title.
CString str2FileTitle(const char* path);
// Directory part + prefix + file name.
CString strAddFileNameTop(const char* path, const char* prefix);
// Directory part + title + suffix + the extension (with its period) when path has one.
CString strAddFileTitleLast(const char* path, const char* suffix);

// path written relative to the directory base, with "..\" steps; components are compared ignoring
// case. Empty when base is a network path (\\server\...) and path is not.
CString strGetRelativePathFrom(const char* path, const char* base);

// Directory of the running program's file, with a trailing backslash.
CString GetModulePath();

// 1 if path is not null and contains a ':' or starts with two backslashes, else 0.
int IsRootedPath(const char* path);
