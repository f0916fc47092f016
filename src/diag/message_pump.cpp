#include <kiln/diag/message_pump.h>

#include <kiln/platform/ui/message_queue.h>
#include <kiln/platform/ui/win_app.h>

namespace {

CWinThread* Pump() {
    CWinApp* app = AfxGetModuleState()->m_pCurrentWinApp;
    return app != nullptr ? static_cast<CWinThread*>(app) : AfxGetThread();
}

// Pumps while messages wait; when `limited`, returns after `limit` pumps (after one if limit <= 1).
int PumpWaiting(int limit, bool limited) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return 1;
    int budget = limit;
    for (;;) {
        if (!Pump()->PumpMessage()) {
            PostQuitMessage(0);
            return 0;
        }
        if (limited && --budget <= 0) return 1;
        if (msg.message == WM_PAINT) return 1;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return 1;
    }
}

}  // namespace

int FlushLieMessages() { return PumpWaiting(0, false); }
int FlushLieMessagesLim(int limit) { return PumpWaiting(limit, true); }
