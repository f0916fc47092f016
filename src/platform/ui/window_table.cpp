#include "platform/ui/window_table.h"

#include <atomic>
#include <mutex>

#include <kiln/platform/runtime/last_error.h>

namespace kiln {

namespace {

// Slots live in chunks that are never freed or moved, so a lookup needs no lock.
constexpr uint32_t kChunkSize = 1024;
constexpr uint32_t kChunkCount = 1024;

struct Slot {
    std::atomic<uint32_t> generation{1};
    std::atomic<Window*> window{nullptr};
    std::atomic<DWORD> thread{0};
};

struct Table {
    std::atomic<Slot*> chunks[kChunkCount] = {};
    std::mutex mutex;  // guards allocation: used, freeSlots, new chunks
    uint32_t used = 0;
    std::vector<uint32_t> freeSlots;
};

Table& Windows() {
    static Table* table = new Table;
    return *table;
}

Slot* SlotAt(uint32_t index) {
    if (index >= kChunkSize * kChunkCount) return nullptr;
    Slot* chunk = Windows().chunks[index / kChunkSize].load(std::memory_order_acquire);
    return chunk != nullptr ? &chunk[index % kChunkSize] : nullptr;
}

HWND MakeHandle(uint32_t index, uint32_t generation) {
    return (HWND)(((uintptr_t)generation << 32) | (uintptr_t)(index + 1));
}

Slot* SlotOf(HWND hWnd, uint32_t* generation) {
    uintptr_t value = (uintptr_t)hWnd;
    uint32_t index = (uint32_t)value;
    *generation = (uint32_t)(value >> 32);
    if (index == 0 || *generation == 0) return nullptr;
    return SlotAt(index - 1);
}

}  // namespace

HWND AddWindow(std::unique_ptr<Window> window, DWORD threadId) {
    Table& table = Windows();
    uint32_t index;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        if (!table.freeSlots.empty()) {
            index = table.freeSlots.back();
            table.freeSlots.pop_back();
        } else {
            if (table.used == kChunkSize * kChunkCount) return nullptr;
            index = table.used++;
            std::atomic<Slot*>& chunk = table.chunks[index / kChunkSize];
            if (chunk.load() == nullptr) chunk.store(new Slot[kChunkSize], std::memory_order_release);
        }
    }
    Slot* slot = SlotAt(index);
    HWND handle = MakeHandle(index, slot->generation.load());
    window->handle = handle;
    window->threadId = threadId;
    slot->thread.store(threadId);
    slot->window.store(window.release(), std::memory_order_release);
    return handle;
}

void RemoveWindow(HWND hWnd) {
    uint32_t generation;
    Slot* slot = SlotOf(hWnd, &generation);
    if (slot == nullptr || slot->generation.load() != generation) return;
    Window* window = slot->window.exchange(nullptr);
    uint32_t next = generation + 1;
    slot->generation.store(next == 0 ? 1 : next);
    slot->thread.store(0);
    delete window;
    Table& table = Windows();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.freeSlots.push_back((uint32_t)(uintptr_t)hWnd - 1);
}

Window* LookupWindow(HWND hWnd) {
    uint32_t generation;
    Slot* slot = SlotOf(hWnd, &generation);
    if (slot == nullptr || slot->generation.load(std::memory_order_acquire) != generation) return nullptr;
    return slot->window.load(std::memory_order_acquire);
}

Window* GetWindowRecord(HWND hWnd) {
    Window* window = LookupWindow(hWnd);
    if (window == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return window;
}

DWORD WindowThread(HWND hWnd) {
    uint32_t generation;
    Slot* slot = SlotOf(hWnd, &generation);
    if (slot == nullptr || slot->generation.load(std::memory_order_acquire) != generation) return 0;
    return slot->thread.load();
}

ThreadWindows& OwnWindows() {
    thread_local ThreadWindows windows;
    return windows;
}

bool FilterAdmits(HWND filter, HWND target) {
    if (filter == nullptr || filter == target) return true;
    for (Window* window = LookupWindow(target); window != nullptr; window = LookupWindow(window->parent))
        if (window->parent == filter) return true;
    return false;
}

HWND NextWindowToPaint(HWND filter) {
    ThreadWindows& own = OwnWindows();
    for (size_t i = 0; i < own.needPaint.size();) {
        HWND hWnd = own.needPaint[i];
        Window* window = LookupWindow(hWnd);
        if (window == nullptr || !window->updatePending) {
            own.needPaint.erase(own.needPaint.begin() + (ptrdiff_t)i);
            continue;
        }
        if (IsWindowVisible(hWnd) && FilterAdmits(filter, hWnd)) return hWnd;
        ++i;
    }
    return nullptr;
}

void TrackKeyState(const MSG& msg) {
    BYTE& key = OwnWindows().keys[msg.wParam & 0xFF];
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
        key = (BYTE)((key & 0x01) ^ 0x01) | 0x80;  // down, and the toggle flips
    else if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP)
        key &= 0x01;
}

}  // namespace kiln

SHORT GetKeyState(int nVirtKey) {
    BYTE key = kiln::OwnWindows().keys[nVirtKey & 0xFF];
    return (SHORT)(((key & 0x80) ? 0x8000 : 0) | (key & 0x01));
}
