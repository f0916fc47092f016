// Modeless dialogs (progress and wait dialogs) as one line on standard error, redrawn in place.
//
// The line shows the caption, the status text (control 3006), a bar from the progress control 3004,
// the percentage (control 3005, unless hidden) and the keys of the Cancel and OK buttons. While a
// line is shown the terminal gives keys without waiting; Escape or c clicks Cancel, Enter or o
// clicks OK, by posting BM_CLICK to the button, so the program sees the press on its next pump.
// Lines belong to the thread that shows the dialogs; the newest dialog still alive is the one drawn.
#pragma once

#include <kiln/platform/runtime/types.h>

namespace kiln {

// Starts following a modeless dialog that has just been shown, and draws its line.
void ShowProgressLine(HWND dialog);
// Stops following a dialog about to be destroyed and clears its line.
void EndProgressLine(HWND dialog);

// While alive, the calling thread's line is cleared and the terminal has its ordinary modes, so a
// message box or a modal dialog can use the terminal; the line comes back afterwards.
class ProgressLineAside {
public:
    ProgressLineAside();
    ~ProgressLineAside();
    ProgressLineAside(const ProgressLineAside&) = delete;
    ProgressLineAside& operator=(const ProgressLineAside&) = delete;

private:
    bool active_;
};

}  // namespace kiln
