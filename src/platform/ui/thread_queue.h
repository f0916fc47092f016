// What the window system needs of the thread message queues.
#pragma once

#include <kiln/platform/runtime/types.h>

namespace kiln {

// Makes sure the calling thread has its queue, so messages can be posted to its windows.
void EnsureThreadQueue();
// Drops the calling thread's posted messages for a window that is going away.
void PurgeWindowMessages(HWND hWnd);

}  // namespace kiln
