// The dialog manager's own state and its meeting points with the window code and the MFC layer.
#pragma once

#include <kiln/platform/ui/dialog_box.h>
#include <kiln/platform/ui/dialog_handler.h>

#include "platform/ui/window_table.h"

namespace kiln {

struct DialogState : ControlState {
    bool modal = false;
    bool initialized = false;  // WM_INITDIALOG has returned
    bool shownAnnounced = false;
    bool destroyAnnounced = false;
    bool ended = false;
    INT_PTR result = 0;
    WORD defId = 0;  // set by DM_SETDEFID; 0: the BS_DEFPUSHBUTTON control, if any
};

// Creates a dialog and its controls from template bytes (at most size of them): null when the
// template is malformed, a control cannot be made or WM_INITDIALOG destroyed the dialog.
HWND CreateDialogWindow(HINSTANCE hInstance, const void* dialogTemplate, size_t size, HWND hWndParent,
                        DLGPROC proc, LPARAM param, bool modal);

// Hands an event to the dialog handler in force (the default front end when none is installed).
void NotifyDialog(DialogEventKind kind, HWND dialog, bool modal);

// The Waiting step of a modal loop: tells the handler, and ends the dialog with IDCANCEL when the
// handler left the thread still with nothing to do.
void WaitOnHandler(HWND dialog);

// Announces a dialog that has become visible, once it is initialised (called by the window code).
void AnnounceDialogShown(HWND hWnd);

}  // namespace kiln
