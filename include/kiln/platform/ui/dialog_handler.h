// The dialog handler: where every dialog of the process is presented.
//
// Dialogs run on the ordinary window machinery; the handler is told when one shows, waits and goes,
// and acts on it as a user would, through ordinary window calls on its controls (SetDlgItemTextA on
// an edit, LB_SETCURSEL on a list, BM_CLICK on a button, a posted WM_KEYDOWN with VK_ESCAPE...).
// The default handler is the terminal front end when standard input and standard error are both
// terminals, else the batch front end, which never waits: it cancels a modal dialog at its first
// wait, saying so in one line on standard error, and prints nothing for modeless ones.
// KILN_UI=terminal or KILN_UI=batch forces one of them.
#pragma once

#include <functional>

#include <kiln/platform/runtime/types.h>

namespace kiln {

enum class DialogEventKind {
    Shown,      // visible, its controls in their initial state (after WM_INITDIALOG and data exchange)
    Waiting,    // the innermost modal loop of this thread has nothing to do and would wait for input
    Destroyed,  // about to be destroyed; its controls can still be read
};

struct DialogEvent {
    DialogEventKind kind;
    HWND dialog;  // the dialog's own window
    bool modal;
};

// Runs on the dialog's thread with no lock held, so it may open dialogs or install a handler.
// When it returns from Waiting and the loop still has nothing to do, the dialog ends with IDCANCEL.
using DialogHandler = std::function<void(const DialogEvent&)>;

// Installs h for the whole process and returns the one it replaces (empty while the default was
// installed); an empty h restores the default front end.
DialogHandler SetDialogHandler(DialogHandler h);

}  // namespace kiln
