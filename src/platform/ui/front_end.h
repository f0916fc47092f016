// The front ends the default dialog handler chooses between.
#pragma once

#include <kiln/platform/ui/dialog_handler.h>

namespace kiln {

// Presents dialogs on the terminal (standard input and standard error).
void TerminalDialogEvent(const DialogEvent& event);
// Never waits: cancels a modal dialog at its first wait with one line on standard error.
void BatchDialogEvent(const DialogEvent& event);

}  // namespace kiln
