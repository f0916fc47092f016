// The calling thread's last Win32 error, and the system's text for an error code.
#pragma once

#include <cstdarg>

#include <kiln/platform/runtime/types.h>

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// FORMAT_MESSAGE_FROM_SYSTEM (with or without FORMAT_MESSAGE_ALLOCATE_BUFFER, where lpBuffer is then
// an LPSTR* that receives a LocalAlloc'ed text) and FORMAT_MESSAGE_FROM_STRING. System texts are the
// Windows English texts, ending in CR LF. Returns the length, or 0 with ERROR_MR_MID_NOT_FOUND for a
// code the system has no text for.
DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                     DWORD nSize, va_list* Arguments);

namespace kiln {

// The Win32 error code for an errno value. ENOENT is ERROR_FILE_NOT_FOUND when the folder of
// hostPath exists and ERROR_PATH_NOT_FOUND otherwise (also when no path is given).
DWORD Win32ErrorFromErrno(int errnoValue, const char* hostPath = nullptr);
// SetLastError(Win32ErrorFromErrno(errno, hostPath)).
void SetLastErrorFromErrno(const char* hostPath = nullptr);

}  // namespace kiln

#define FormatMessage FormatMessageA
