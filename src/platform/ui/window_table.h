// The window records of the process and the window state of each thread.
//
// A handle is a slot index plus the slot's generation; releasing a slot bumps its generation, so a
// stale handle finds nothing. Records are read and changed by the window's own thread only; other
// threads learn just the owning thread of a handle (to post to it), which the slot keeps apart.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/ui/window.h>

#include "platform/runtime/hot_thread_local.h"

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln {

struct WindowClass;

// State a built-in control or the dialog manager keeps with a window.
struct ControlState {
    virtual ~ControlState() = default;
};

struct Window {
    // What every message reads first, together.
    WNDPROC proc = nullptr;
    DWORD threadId = 0;
    std::unique_ptr<ControlState> control;

    HWND handle = nullptr;
    std::shared_ptr<const WindowClass> windowClass;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    HMENU menu = nullptr;        // a top-level window's menu
    std::string text;            // code page 932
    HWND parent = nullptr;       // children only
    HWND owner = nullptr;        // top-level windows only
    std::vector<HWND> children;  // creation (tab) order
    RECT rect{};                 // in the parent's client area, or on the screen
    RECT normalRect{};           // the restored rectangle while minimized or maximized
    POINT minPosition{-1, -1};
    POINT maxPosition{-1, -1};
    bool restoreToMaximized = false;
    bool updatePending = false;
    bool destroying = false;
    std::vector<BYTE> extra;  // the class's cbWndExtra bytes
};

// Allocates a slot for the record (which the table then owns) and returns its handle.
HWND AddWindow(std::unique_ptr<Window> window, DWORD threadId);
// Deletes the record and makes its handle stale.
void RemoveWindow(HWND hWnd);

// Slots live in chunks that are never freed or moved, so a lookup needs no lock; every message
// looks its window up, so the lookup is inline.
struct WindowSlot {
    std::atomic<uint32_t> generation{1};
    std::atomic<Window*> window{nullptr};
    std::atomic<DWORD> thread{0};
};
constexpr uint32_t kWindowChunkSize = 1024;
constexpr uint32_t kWindowChunkCount = 1024;
extern std::atomic<WindowSlot*> g_windowChunks[kWindowChunkCount];

// The slot a handle names (its low half is the slot index + 1, its high half the generation), or
// null; generation receives the high half.
inline WindowSlot* SlotOf(HWND hWnd, uint32_t* generation) {
    const auto value = (uintptr_t)hWnd;
    const uint32_t index = (uint32_t)value - 1;
    *generation = (uint32_t)(value >> 32);
    if (index >= kWindowChunkSize * kWindowChunkCount || *generation == 0) return nullptr;
    WindowSlot* chunk = g_windowChunks[index / kWindowChunkSize].load(std::memory_order_acquire);
    return chunk != nullptr ? &chunk[index % kWindowChunkSize] : nullptr;
}

// The record of a live window, or null (without touching the last error).
inline Window* LookupWindow(HWND hWnd) {
    uint32_t generation;
    WindowSlot* slot = SlotOf(hWnd, &generation);
    if (slot == nullptr || slot->generation.load(std::memory_order_acquire) != generation) return nullptr;
    return slot->window.load(std::memory_order_acquire);
}
// The same, setting ERROR_INVALID_WINDOW_HANDLE when there is none.
inline Window* GetWindowRecord(HWND hWnd) {
    Window* window = LookupWindow(hWnd);
    if (window == nullptr) [[unlikely]]
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return window;
}
// The thread that owns a live window, 0 when there is none; any thread may ask.
DWORD WindowThread(HWND hWnd);

// The state kept with a window when it is a State, else null. States are leaf classes, so an exact
// type test does (it costs far less than a cast, and a control's procedure asks on every message);
// they live in this library alone, so the address of their type information tells the type.
template <class State>
State* ControlOf(Window* window) {
    ControlState* state = window != nullptr ? window->control.get() : nullptr;
    return state != nullptr && &typeid(*state) == &typeid(State) ? static_cast<State*>(state) : nullptr;
}

// The window a message is being sent to on this thread, as SendMessageA found it: the procedure it
// calls, and the one that procedure subclasses, look the same handle up again. Only the owning
// thread sends to a window or removes it, and removal forgets it here.
struct SentWindow {
    HWND hWnd = nullptr;
    Window* window = nullptr;
};
extern constinit KILN_HOT_THREAD_LOCAL SentWindow t_sent;

// LookupWindow, answered at once for the window of the message being sent.
inline Window* LookupSentWindow(HWND hWnd) {
    const SentWindow& sent = t_sent;
    return hWnd == sent.hWnd && hWnd != nullptr ? sent.window : LookupWindow(hWnd);
}

template <class State>
State* ControlOf(HWND hWnd) {
    return ControlOf<State>(LookupSentWindow(hWnd));
}

// The window state of the calling thread.
struct ThreadWindows {
    HWND focus = nullptr;
    HWND active = nullptr;
    std::vector<HWND> topLevel;   // this thread's top-level windows, in creation order
    std::vector<HWND> needPaint;  // windows with a pending update, oldest first
    BYTE keys[256] = {};          // bit 0x80: down, as the taken keyboard messages left it
};
ThreadWindows& OwnWindows();

// The message filter rule: hWnd null admits everything, else hWnd's and its descendants' messages.
bool FilterAdmits(HWND filter, HWND target);
// A visible window of this thread admitted by filter with a pending update, else null.
HWND NextWindowToPaint(HWND filter);
// Records the key state of a keyboard message being taken from the queue.
void TrackKeyState(const MSG& msg);

// Asks DestroyWindow's caller the dialog manager's question: a dialog about to go is announced to
// the dialog handler before anything of it is torn down.
void AnnounceDialogDestroy(HWND hWnd);

}  // namespace kiln

namespace kiln {

// The calling thread's id, cached (the system call is not free and sends check it every time).
// t_threadId is 0 until ThisThreadId first runs on the thread.
DWORD ThisThreadId();
extern constinit KILN_HOT_THREAD_LOCAL DWORD t_threadId;

// Called right after a window's record exists, before WM_NCCREATE: the MFC layer attaches the CWnd
// that is being created. One hook for the process, set once.
void SetWindowCreationHook(void (*hook)(HWND));

}  // namespace kiln

namespace kiln {

// Answers WM_GETTEXT from text: at most size - 1 bytes (never half a double-byte character) and a
// terminator; returns the bytes copied.
LRESULT CopyTextOut(const std::string& text, WPARAM size, LPARAM buffer);

}  // namespace kiln

#pragma GCC visibility pop
