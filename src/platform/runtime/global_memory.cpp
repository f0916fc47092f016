#include <kiln/platform/runtime/global_memory.h>

#include <kiln/platform/runtime/last_error.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kMagic = 0x4B474D42;   // "KGMB"
constexpr size_t kMaxBlock = 0x7FFFFFFF;  // the largest block of a 32-bit process

// A movable block: the handle points here, the data lives elsewhere and may move on resize.
struct Block {
    uint32_t magic;
    UINT flags;
    unsigned lockCount;
    size_t size;      // what the caller asked for
    size_t capacity;  // bytes allocated at data; at least 1, so a lock never gives null
    unsigned char* data;
};

Block* FromHandle(HGLOBAL h) {
    Block* b = static_cast<Block*>(h);
    if (b == nullptr || b->magic != kMagic) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return b;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    if (dwBytes > kMaxBlock) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    size_t capacity = std::max<size_t>(dwBytes, 1);
    void* data = (uFlags & GMEM_ZEROINIT) ? std::calloc(capacity, 1) : std::malloc(capacity);
    Block* b = data ? static_cast<Block*>(std::malloc(sizeof(Block))) : nullptr;
    if (b == nullptr) {
        std::free(data);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    *b = Block{kMagic, uFlags & ~(UINT)GMEM_MODIFY, 0, dwBytes, capacity, static_cast<unsigned char*>(data)};
    return b;
}

HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) {
    Block* b = FromHandle(hMem);
    if (b == nullptr) return nullptr;
    if (uFlags & GMEM_MODIFY) {
        b->flags = (b->flags & ~(UINT)GMEM_MOVEABLE) | (uFlags & GMEM_MOVEABLE);
        return hMem;
    }
    if (dwBytes > kMaxBlock) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (dwBytes > b->capacity) {
        // Grow geometrically so that a block growing by small steps is moved only now and then.
        size_t capacity = std::min(std::max(dwBytes, b->capacity * 2), kMaxBlock);
        void* data = std::realloc(b->data, capacity);
        if (data == nullptr) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        b->data = static_cast<unsigned char*>(data);
        b->capacity = capacity;
    }
    if (dwBytes > b->size && (uFlags & GMEM_ZEROINIT)) std::memset(b->data + b->size, 0, dwBytes - b->size);
    b->size = dwBytes;
    return hMem;
}

LPVOID GlobalLock(HGLOBAL hMem) {
    Block* b = FromHandle(hMem);
    if (b == nullptr) return nullptr;
    ++b->lockCount;
    return b->data;
}

BOOL GlobalUnlock(HGLOBAL hMem) {
    Block* b = FromHandle(hMem);
    if (b == nullptr) return FALSE;
    if (b->lockCount == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--b->lockCount == 0) {
        SetLastError(NO_ERROR);
        return FALSE;
    }
    return TRUE;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
    if (hMem == nullptr) return nullptr;
    Block* b = FromHandle(hMem);
    if (b == nullptr) return hMem;
    std::free(b->data);
    b->magic = 0;
    std::free(b);
    return nullptr;
}

UINT GlobalFlags(HGLOBAL hMem) {
    Block* b = FromHandle(hMem);
    if (b == nullptr) return GMEM_INVALID_HANDLE;
    return b->lockCount & GMEM_LOCKCOUNT;
}

SIZE_T GlobalSize(HGLOBAL hMem) {
    Block* b = FromHandle(hMem);
    return b ? b->size : 0;
}
