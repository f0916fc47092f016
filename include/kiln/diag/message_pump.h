// Message pumps that keep the calling thread's queue moving during long work.
//
// Both pump through the application object (or the thread's own object when there is none). A
// WM_QUIT that they take is posted again with PostQuitMessage(0) and they return 0, so the caller's
// own loop sees it; otherwise they return 1.
#pragma once

// Pumps until the queue is empty or a WM_PAINT has been handled.
int FlushLieMessages();
// The same, pumping at most `limit` messages (at most one when limit is 1 or less).
int FlushLieMessagesLim(int limit);
