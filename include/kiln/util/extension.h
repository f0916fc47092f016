// File extensions: the text from the last period of a path that has no backslash after it.
//
// SetExtension, CutExtension, SetExtensionNoPeriod and RemoveExtension scan byte by byte (a trail
// byte 0x5C counts as a backslash); GetExtension and the functions built on it step over double-byte
// characters as units.
#pragma once

#include <kiln/platform/text/cstring.h>

// In place: replaces the extension of path (its period included) by ext, which normally begins with
// its own period, or appends ext when path has none. The buffer must have room. Returns path.
char* SetExtension(char* path, const char* ext);
// In place: ends path at its extension's period, if it has one. Returns path.
char* CutExtension(char* path);

// Pointer to the extension's period inside path, or null when there is none.
const char* GetExtension(const char* path);
// The byte after that period, or null.
const char* GetExtensionNoPeriod(const char* path);
// The extension without its period, or an empty string.
CString GetExtensionNoPeriodEx(const char* path);

// path with the text of its extension replaced by ext (the period kept), or with a period and ext
// appended when it has none. Both '/' and the backslash end a possible extension here.
CString SetExtensionNoPeriod(const char* path, const char* ext);
// path without its extension, as CutExtension leaves it.
CString RemoveExtension(const char* path);

// Number of the first item of the ';'-separated list that equals ext ignoring case, or -1 (also for a
// null ext). An empty item ends the search, hiding the items after it.
int CompareExtBetweenExt(const char* ext, const char* list);
// CompareExtBetweenExt on the extension of path, without its period; -1 when path has none.
int CompareFileBetweenExt(const char* path, const char* list);
