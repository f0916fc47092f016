// Modules, system folders and folder creation on their Linux equivalents.
#pragma once

#include <kiln/platform/runtime/types.h>

// The running program's file (hModule null) as a Windows path (Z:\...); the length copied, or 0.
// A buffer too small gets the truncated, terminated path, the buffer size as result and
// ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
// The system folder that stands for the Windows directory: Z:\ (the host root).
UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer);
BOOL SetCurrentDirectoryA(LPCSTR lpPathName);
// Creates one folder; FALSE with ERROR_ALREADY_EXISTS, ERROR_PATH_NOT_FOUND, ... on failure.
BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
BOOL RemoveDirectoryA(LPCSTR lpPathName);
BOOL DeleteFileA(LPCSTR lpFileName);
// Copies contents, mode and modification time; with bFailIfExists an existing destination is an
// error. The destination is replaced whole or not at all. Errors: ERROR_FILE_NOT_FOUND (source),
// ERROR_PATH_NOT_FOUND (a folder of either path), ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION,
// ERROR_DISK_FULL, and ERROR_FILE_EXISTS for an existing destination with bFailIfExists and for the
// source itself (reached by any path) whatever bFailIfExists says.
BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);
// FILE_ATTRIBUTE_ bits, or INVALID_FILE_ATTRIBUTES.
DWORD GetFileAttributesA(LPCSTR lpFileName);
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
DWORD GetTickCount();
void Sleep(DWORD dwMilliseconds);

// The generic names, as the Windows headers give them for an ANSI build.
#define GetModuleFileName GetModuleFileNameA
#define GetWindowsDirectory GetWindowsDirectoryA
#define GetSystemDirectory GetSystemDirectoryA
#define GetCurrentDirectory GetCurrentDirectoryA
#define SetCurrentDirectory SetCurrentDirectoryA
#define CreateDirectory CreateDirectoryA
#define RemoveDirectory RemoveDirectoryA
#define DeleteFile DeleteFileA
#define CopyFile CopyFileA
#define GetFileAttributes GetFileAttributesA
