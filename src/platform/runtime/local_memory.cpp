#include <kiln/platform/runtime/global_memory.h>

#include <cstdlib>

#include <kiln/platform/runtime/last_error.h>

// Fixed local memory is a plain heap block: the handle is the data pointer.
HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes) {
    size_t bytes = uBytes != 0 ? uBytes : 1;
    void* block = (uFlags & LMEM_ZEROINIT) ? std::calloc(1, bytes) : std::malloc(bytes);
    if (block == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

HLOCAL LocalFree(HLOCAL hMem) {
    std::free(hMem);
    return nullptr;
}
