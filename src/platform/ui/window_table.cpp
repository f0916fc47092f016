#include "platform/ui/window_table.h"

#include <atomic>
#include <mutex>

#include <kiln/platform/runtime/last_error.h>

namespace kiln {

std::atomic<WindowSlot*> g_windowChunks[kWindowChunkCount] = {};
constinit KILN_HOT_THREAD_LOCAL SentWindow t_sent;

namespace {

// Guards allocation: used, freeSlots and new chunks. Never destroyed: windows may outlive static
// destruction.
struct Allocation {
    std::mutex mutex;
    uint32_t used = 0;
    std::vector<uint32_t> freeSlots;
};

Allocation& Allocator() {
    static Allocation* allocation = new Allocation;
    return *allocation;
}

WindowSlot* SlotAt(uint32_t index) {
    return &g_windowChunks[index / kWindowChunkSize].load(
        std::memory_order_acquire)[index % kWindowChunkSize];
}

HWND MakeHandle(uint32_t index, uint32_t generation) {
    return (HWND)(((uintptr_t)generation << 32) | (uintptr_t)(index + 1));
}

}  // namespace

HWND AddWindow(std::unique_ptr<Window> window, DWORD threadId) {
    Allocation& table = Allocator();
    uint32_t index;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        if (!table.freeSlots.empty()) {
            index = table.freeSlots.back();
            table.freeSlots.pop_back();
        } else {
            if (table.used == kWindowChunkSize * kWindowChunkCount) return nullptr;
            index = table.used++;
            std::atomic<WindowSlot*>& chunk = g_windowChunks[index / kWindowChunkSize];
            if (chunk.load() == nullptr)
                chunk.store(new WindowSlot[kWindowChunkSize], std::memory_order_release);
        }
    }
    WindowSlot* slot = SlotAt(index);
    HWND handle = MakeHandle(index, slot->generation.load());
    window->handle = handle;
    window->threadId = threadId;
    slot->thread.store(threadId);
    slot->window.store(window.release(), std::memory_order_release);
    return handle;
}

void RemoveWindow(HWND hWnd) {
    uint32_t generation;
    WindowSlot* slot = SlotOf(hWnd, &generation);
    if (slot == nullptr || slot->generation.load() != generation) return;
    if (t_sent.hWnd == hWnd) t_sent = SentWindow{};
    Window* window = slot->window.exchange(nullptr);
    uint32_t next = generation + 1;
    slot->generation.store(next == 0 ? 1 : next);
    slot->thread.store(0);
    delete window;
    Allocation& table = Allocator();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.freeSlots.push_back((uint32_t)(uintptr_t)hWnd - 1);
}

DWORD WindowThread(HWND hWnd) {
    uint32_t generation;
    WindowSlot* slot = SlotOf(hWnd, &generation);
    if (slot == nullptr || slot->generation.load(std::memory_order_acquire) != generation) return 0;
    return slot->thread.load();
}

// On the heap, as the library's thread-local block must stay small (see hot_thread_local.h).
ThreadWindows& OwnWindows() {
    thread_local std::unique_ptr<ThreadWindows> windows;
    if (!windows) windows = std::make_unique<ThreadWindows>();
    return *windows;
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
