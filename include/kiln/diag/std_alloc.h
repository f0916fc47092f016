// A movable, zero-filled block locked at once, for callers that want a pointer and a handle in one
// call.
#pragma once

#include <kiln/platform/runtime/types.h>

// Allocates size bytes (GMEM_MOVEABLE | GMEM_ZEROINIT), stores the handle through `handle` (null on
// failure) and returns the locked pointer, or null. Reports nothing.
void* stdAlloc(void** handle, unsigned int size);
// Unlocks and frees the block; takes the handle that stdAlloc stored, not the pointer.
void stdFree(void* handle);
