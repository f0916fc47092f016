// Movable global memory.
//
// A handle is not the data pointer: GlobalLock gives the pointer and raises the block's lock count,
// GlobalUnlock lowers it (never below 0), GlobalFlags reports it in its low 8 bits. GlobalReAlloc keeps
// the contents and, under GMEM_ZEROINIT, zero-fills every byte that becomes part of the block. A block
// keeps spare capacity that grows geometrically, so growth in small steps is not copied every time;
// GlobalSize is exactly the size asked for. Shrinking never moves the data. A block is at most
// 0x7FFFFFFF bytes, as in a 32-bit process; larger requests fail with ERROR_NOT_ENOUGH_MEMORY.
#pragma once

#include <kiln/platform/runtime/types.h>

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
LPVOID GlobalLock(HGLOBAL hMem);
// Non-zero while the block stays locked; 0 when the count reaches 0 (or already was 0).
BOOL GlobalUnlock(HGLOBAL hMem);
// Null on success, the handle on failure.
HGLOBAL GlobalFree(HGLOBAL hMem);
UINT GlobalFlags(HGLOBAL hMem);
SIZE_T GlobalSize(HGLOBAL hMem);

// Fixed local memory, as FormatMessageA hands out; LocalFree(null) does nothing.
#define LMEM_FIXED 0x0000u
#define LMEM_ZEROINIT 0x0040u
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes);
HLOCAL LocalFree(HLOCAL hMem);
