// Scaling a byte count by powers of 1024 and showing it with its unit ("B", "KB", "MB", ...).
//
// A limit is taken as an unsigned 32-bit number (larger values count as 0xFFFFFFFF), and a limit of
// 0, below which nothing could ever fall, as 1.
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/types.h>

// Divides size by 1024 until it is below limit. shift receives the bits shifted out (10 per step)
// and remainder the low 32 bits of what the scaling cut off; the result is the scaled value.
unsigned long GetSizeValiable(ULONGLONG size, unsigned long limit, unsigned long& shift,
                              unsigned long& remainder);

// Multiplies size by 1/1024 until it is below limit and at least minSteps steps were taken; shift
// receives 10 per step. A size that is not a finite number is returned as it is.
double GetSizeValiableDouble(double size, unsigned long limit, int minSteps, unsigned long& shift);

// GetSizeValiableDouble of size, formatted printf-style from format with two arguments: the scaled
// value as a double, then its unit text ("KB"). Beyond "YB" the unit text is empty. units is not used.
CString FormatSizeValiable(ULONGLONG size, unsigned long limit, const char* format, int minSteps,
                           const char* units);
