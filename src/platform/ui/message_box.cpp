#include <kiln/platform/ui/message_box.h>

#include <memory>
#include <mutex>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/win_app.h>

#include "platform/ui/terminal_box.h"

namespace kiln {

namespace {

// The installed handler; null while the default one is in force. Never destroyed, so boxes shown
// while the process ends still find it.
struct HandlerSlot {
    std::mutex mutex;
    std::shared_ptr<const MessageBoxHandler> handler;
};

HandlerSlot& Slot() {
    static HandlerSlot* slot = new HandlerSlot;
    return *slot;
}

}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler h) {
    std::shared_ptr<const MessageBoxHandler> next;
    if (h) next = std::make_shared<const MessageBoxHandler>(std::move(h));
    HandlerSlot& slot = Slot();
    std::unique_lock<std::mutex> lock(slot.mutex);
    slot.handler.swap(next);
    lock.unlock();
    return next ? *next : MessageBoxHandler();
}

namespace {

// Shows one box through the handler in force; the handler runs with no lock held (a call that is
// still running keeps its handler alive even when another one is installed meanwhile).
int ShowBox(const char* text, const char* caption, unsigned style) {
    if ((style & MB_TYPEMASK) > MB_CANCELTRYCONTINUE) {
        SetLastError(ERROR_INVALID_MSGBOX_STYLE);
        return 0;
    }
    std::shared_ptr<const MessageBoxHandler> handler;
    {
        HandlerSlot& slot = Slot();
        std::lock_guard<std::mutex> lock(slot.mutex);
        handler = slot.handler;
    }
    const MessageBoxCall call{text ? text : "", caption ? caption : "Error", style};
    return handler ? (*handler)(call) : DefaultMessageBox(call);
}

}  // namespace

}  // namespace kiln

int MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    return kiln::ShowBox(lpText, lpCaption, uType);
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT) {
    return kiln::ShowBox(lpszText, AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT) {
    return kiln::ShowBox(kiln::FindStringResource(nIDPrompt), AfxGetAppName(), nType);
}
