// The printf-argument adapter: formats with values that callers pass as pointer-sized integers.
//
// The library's formatted messages (_NOTICE1.., _ERRASK1.., FatalRuntimeError1, CError::Error,
// CLog::Log1..) take their values as INT_PTR so that a string pointer fits. Each value is handed to
// vsnprintf as the type its conversion asks for: %s a const char* (null prints "(null)"), %c %d %i
// %u %o %x %X a 32-bit integer (l stays 32 bits, as on Windows; ll, I64, j, z and t take 64 bits),
// %p a pointer, %e %f %g %a the value converted to double. A '*' width or precision takes a value of
// its own. %n writes nothing; values beyond `count` read as 0.
#pragma once

#include <kiln/platform/text/cstring.h>

namespace kiln {

CString FormatArgs(const char* format, const INT_PTR* args, int count);

}  // namespace kiln
