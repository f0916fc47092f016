// The front ends the default dialog handler chooses between.
#pragma once

#include <kiln/platform/ui/dialog_handler.h>

namespace kiln {

// Presents dialogs on the terminal (standard input and standard error).
void TerminalDialogEvent(const DialogEvent& event);
// Lets the terminal front end follow the calling thread's modeless dialogs: redraw their line and
// read the keys typed for their buttons. PeekMessageA calls it, holding no lock, each time it finds
// the queue empty; it reads one thread-local pointer while no such dialog is shown and a coarse
// clock while one is, so an idle pump stays cheap.
void PollTerminalDialogs();
// Never waits: cancels a modal dialog at its first wait with one line on standard error.
void BatchDialogEvent(const DialogEvent& event);

}  // namespace kiln
