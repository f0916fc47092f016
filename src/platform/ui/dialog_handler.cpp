#include <kiln/platform/ui/dialog_handler.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unistd.h>

#include "platform/ui/dialog_manager.h"
#include "platform/ui/front_end.h"

namespace kiln {

namespace {

// The installed handler; null while the default front end is in force. Never destroyed, so
// dialogs that go while the process ends still find it.
struct HandlerSlot {
    std::mutex mutex;
    std::shared_ptr<const DialogHandler> handler;
};

HandlerSlot& Slot() {
    static HandlerSlot* slot = new HandlerSlot;
    return *slot;
}

// KILN_UI=terminal or KILN_UI=batch forces a front end; otherwise the terminal one when standard
// input and standard error are both terminals. Chosen per event, so a test may change it.
void DefaultDialogEvent(const DialogEvent& event) {
    const char* forced = std::getenv("KILN_UI");
    bool terminal;
    if (forced != nullptr && std::strcmp(forced, "terminal") == 0)
        terminal = true;
    else if (forced != nullptr && std::strcmp(forced, "batch") == 0)
        terminal = false;
    else
        terminal = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
    if (terminal)
        TerminalDialogEvent(event);
    else
        BatchDialogEvent(event);
}

}  // namespace

DialogHandler SetDialogHandler(DialogHandler h) {
    std::shared_ptr<const DialogHandler> next;
    if (h) next = std::make_shared<const DialogHandler>(std::move(h));
    HandlerSlot& slot = Slot();
    std::unique_lock<std::mutex> lock(slot.mutex);
    slot.handler.swap(next);
    lock.unlock();
    return next ? *next : DialogHandler();
}

// The handler runs with no lock held; a call keeps its handler alive even when another one is
// installed meanwhile (a handler may replace itself).
void NotifyDialog(DialogEventKind kind, HWND dialog, bool modal) {
    std::shared_ptr<const DialogHandler> handler;
    {
        HandlerSlot& slot = Slot();
        std::lock_guard<std::mutex> lock(slot.mutex);
        handler = slot.handler;
    }
    const DialogEvent event{kind, dialog, modal};
    if (handler)
        (*handler)(event);
    else
        DefaultDialogEvent(event);
}

}  // namespace kiln
