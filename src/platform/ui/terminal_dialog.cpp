#include "platform/ui/front_end.h"

namespace kiln {

// Until dialogs are presented on the terminal, they are answered as in a batch job.
void TerminalDialogEvent(const DialogEvent& event) { BatchDialogEvent(event); }

}  // namespace kiln
