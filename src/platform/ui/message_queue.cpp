#include <kiln/platform/ui/message_queue.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/runtime/system.h>
#include <kiln/platform/ui/window.h>

#include "platform/ui/front_end.h"
#include "platform/ui/thread_queue.h"
#include "platform/ui/window_class.h"
#include "platform/ui/window_table.h"

namespace {

// A thread that does not take its messages can hold at most this many, as on Windows; posting
// more fails with ERROR_NOT_ENOUGH_QUOTA instead of eating memory.
constexpr size_t kQueueLimit = 10000;

struct Queue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<MSG> messages;
    bool quit = false;
    int quitCode = 0;
    // Posted messages plus the quit request, readable without the lock: the owning thread finds an
    // empty queue without locking (progress dialogs peek on every step).
    std::atomic<size_t> pending{0};

    void Count() { pending.store(messages.size() + (quit ? 1 : 0), std::memory_order_release); }
};

// The queues of all threads by thread id. Never destroyed, so threads ending while the process
// ends still find it.
struct Registry {
    std::mutex mutex;
    std::unordered_map<DWORD, std::shared_ptr<Queue>> queues;
};

Registry& Queues() {
    static Registry* registry = new Registry;
    return *registry;
}

// The calling thread's queue, taken out of the registry when the thread ends.
struct ThreadQueue {
    std::shared_ptr<Queue> queue;
    DWORD threadId = 0;

    ~ThreadQueue() {
        if (!queue) return;
        Registry& registry = Queues();
        std::lock_guard<std::mutex> lock(registry.mutex);
        auto found = registry.queues.find(threadId);
        if (found != registry.queues.end() && found->second == queue) registry.queues.erase(found);
    }
};

thread_local ThreadQueue t_queue;

Queue& OwnQueue() {
    if (!t_queue.queue) {
        t_queue.queue = std::make_shared<Queue>();
        t_queue.threadId = GetCurrentThreadId();
        Registry& registry = Queues();
        std::lock_guard<std::mutex> lock(registry.mutex);
        registry.queues[t_queue.threadId] = t_queue.queue;
    }
    return *t_queue.queue;
}

std::shared_ptr<Queue> FindQueue(DWORD threadId) {
    Registry& registry = Queues();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.queues.find(threadId);
    return found == registry.queues.end() ? nullptr : found->second;
}

const HWND kThreadMessagesOnly = (HWND)-1;

// Null (everything), -1 (thread messages) and live windows are the valid window filters.
bool ValidFilter(HWND hWnd) {
    return hWnd == nullptr || hWnd == kThreadMessagesOnly || kiln::LookupWindow(hWnd) != nullptr;
}

bool Admits(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax) {
    if (filter == kThreadMessagesOnly ? msg.hwnd != nullptr : !kiln::FilterAdmits(filter, msg.hwnd))
        return false;
    if (msg.message == WM_QUIT || (filterMin == 0 && filterMax == 0)) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

// Under the queue's lock: the first admitted posted message, else the quit request, else a window
// to paint (which stays until its update is validated).
bool Take(Queue& queue, MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
    if (queue.pending.load(std::memory_order_relaxed) != 0) {
        for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
            if (!Admits(*it, filter, filterMin, filterMax)) continue;
            *msg = *it;
            if (remove) {
                queue.messages.erase(it);
                queue.Count();
                kiln::TrackKeyState(*msg);
            }
            return true;
        }
        if (queue.quit) {
            *msg = MSG{nullptr, WM_QUIT, (WPARAM)(INT_PTR)queue.quitCode, 0, GetTickCount(), {0, 0}};
            if (remove) {
                queue.quit = false;
                queue.Count();
            }
            return true;
        }
    }
    if (filter == kThreadMessagesOnly || kiln::OwnWindows().needPaint.empty()) return false;
    if (filterMin != 0 || filterMax != 0)
        if (WM_PAINT < filterMin || WM_PAINT > filterMax) return false;
    HWND paint = kiln::NextWindowToPaint(filter);
    if (paint == nullptr) return false;
    *msg = MSG{paint, WM_PAINT, 0, 0, GetTickCount(), {0, 0}};
    return true;
}

BOOL Post(Queue& queue, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(queue.mutex);
    if (queue.messages.size() >= kQueueLimit) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    queue.messages.push_back(MSG{hWnd, message, wParam, lParam, GetTickCount(), {0, 0}});
    queue.Count();
    queue.posted.notify_all();
    return TRUE;
}

}  // namespace

namespace kiln {

void EnsureThreadQueue() { OwnQueue(); }

void PurgeWindowMessages(HWND hWnd) {
    if (!t_queue.queue) return;
    Queue& queue = *t_queue.queue;
    std::lock_guard<std::mutex> lock(queue.mutex);
    std::erase_if(queue.messages, [hWnd](const MSG& msg) { return msg.hwnd == hWnd; });
    queue.Count();
}

}  // namespace kiln

BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!ValidFilter(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Queue& queue = OwnQueue();
    const bool remove = (wRemoveMsg & PM_REMOVE) != 0;
    BOOL found;
    if (queue.pending.load(std::memory_order_acquire) == 0) {
        found = Take(queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove);
    } else {
        std::lock_guard<std::mutex> lock(queue.mutex);
        found = Take(queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove);
    }
    // With nothing to take, the terminal front end may follow a progress line (no lock held: it
    // may post the click of a key typed for a button).
    if (!found) kiln::PollTerminalDialogs();
    return found;
}

BOOL GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!ValidFilter(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    Queue& queue = OwnQueue();
    std::unique_lock<std::mutex> lock(queue.mutex);
    queue.posted.wait(lock, [&] { return Take(queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true); });
    return lpMsg->message == WM_QUIT ? 0 : 1;
}

BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<Queue> queue = FindQueue(idThread);
    if (!queue) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return Post(*queue, nullptr, Msg, wParam, lParam);
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd == nullptr) return Post(OwnQueue(), nullptr, Msg, wParam, lParam);
    DWORD thread = kiln::WindowThread(hWnd);
    std::shared_ptr<Queue> queue = thread != 0 ? FindQueue(thread) : nullptr;
    if (!queue) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Post(*queue, hWnd, Msg, wParam, lParam);
}

void PostQuitMessage(int nExitCode) {
    Queue& queue = OwnQueue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    queue.quit = true;
    queue.quitCode = nExitCode;
    queue.Count();
    queue.posted.notify_all();
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* lpMsg) {
    if (lpMsg == nullptr || lpMsg->hwnd == nullptr) return 0;
    kiln::Window* window = kiln::GetWindowRecord(lpMsg->hwnd);
    if (window == nullptr) return 0;
    if (lpMsg->message == WM_PAINT && !window->updatePending) return 0;
    const bool input = (lpMsg->message >= WM_KEYFIRST && lpMsg->message <= WM_KEYLAST) ||
                       (lpMsg->message >= WM_MOUSEFIRST && lpMsg->message <= WM_MOUSELAST);
    if (input && !kiln::TakesInput(lpMsg->hwnd)) return 0;  // a disabled window takes no input
    return SendMessageA(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}
