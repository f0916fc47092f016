#include <kiln/diag/std_alloc.h>

#include <kiln/platform/runtime/global_memory.h>

void* stdAlloc(void** handle, unsigned int size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    *handle = h;
    return h ? GlobalLock(h) : nullptr;
}

void stdFree(void* handle) {
    GlobalUnlock(handle);
    GlobalFree(handle);
}
