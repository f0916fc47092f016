// Lookups in small tables of strings: an array of CString with a separate count.
#pragma once

#include <kiln/platform/text/cstring.h>

// The first index i < count whose entry equals *value (case-sensitive), or -1; -1 when count < 1.
int str2number(int count, CString* value, CString* const table);
// A copy of table[i] when 0 <= i < count, else an empty string.
CString number2str(int count, int i, CString* const table);
