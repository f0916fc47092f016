// The library's message values through the printf translator (see kiln/platform/text/printf.h).
//
// The library's formatted messages (_NOTICE1.., _ERRASK1.., FatalRuntimeError1, CError::Error,
// CLog::Log1..) take their values as INT_PTR so that a string pointer fits; each value is read as
// the type its conversion asks for (%s a string pointer, %d a 32-bit int, %I64d all of it, %f the
// value converted to double). Values beyond `count` read as 0.
#pragma once

#include <vector>

#include <kiln/platform/text/cstring.h>

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln {

CString FormatArgs(const char* format, const INT_PTR* args, int count);

// What each value a format consumes is read as, in order ('*' widths and precisions included); used
// by those that must fetch the values of a va_list before formatting (FormatMessageA's inserts).
enum class PrintfValueKind { Int, LongLong, Double, Pointer };
std::vector<PrintfValueKind> PrintfValueKinds(const char* format);

}  // namespace kiln

#pragma GCC visibility pop
