#include <kiln/platform/ui/message_queue.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/runtime/system.h>

#include "platform/ui/front_end.h"

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

// Null (everything) and -1 (thread messages) are the only window filters while there are no
// windows.
bool ValidFilter(HWND hWnd) { return hWnd == nullptr || hWnd == kThreadMessagesOnly; }

bool Admits(const MSG& msg, UINT filterMin, UINT filterMax) {
    if (msg.message == WM_QUIT || (filterMin == 0 && filterMax == 0)) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

// Under the queue's lock: the first admitted posted message, else the quit request.
bool Take(Queue& queue, MSG* msg, UINT filterMin, UINT filterMax, bool remove) {
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if (!Admits(*it, filterMin, filterMax)) continue;
        *msg = *it;
        if (remove) queue.messages.erase(it);
        return true;
    }
    if (!queue.quit) return false;
    *msg = MSG{nullptr, WM_QUIT, (WPARAM)(INT_PTR)queue.quitCode, 0, GetTickCount(), {0, 0}};
    if (remove) queue.quit = false;
    return true;
}

BOOL Post(Queue& queue, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(queue.mutex);
    if (queue.messages.size() >= kQueueLimit) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    queue.messages.push_back(MSG{nullptr, message, wParam, lParam, GetTickCount(), {0, 0}});
    queue.posted.notify_all();
    return TRUE;
}

}  // namespace

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
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        if (Take(queue, lpMsg, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0)) return TRUE;
    }
    kiln::PollTerminalDialogs();
    return FALSE;
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
    queue.posted.wait(lock, [&] { return Take(queue, lpMsg, wMsgFilterMin, wMsgFilterMax, true); });
    return lpMsg->message == WM_QUIT ? 0 : 1;
}

BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<Queue> queue = FindQueue(idThread);
    if (!queue) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return Post(*queue, Msg, wParam, lParam);
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd != nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Post(OwnQueue(), Msg, wParam, lParam);
}

void PostQuitMessage(int nExitCode) {
    Queue& queue = OwnQueue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    queue.quit = true;
    queue.quitCode = nExitCode;
    queue.posted.notify_all();
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG*) { return 0; }
