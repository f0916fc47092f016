// Thread message queues.
//
// Each thread gets its queue the first time it peeks, gets or posts to itself (PostMessageA with no
// window, PostQuitMessage) or creates a window; the queue goes away when the thread ends. Messages
// are taken in this order: posted messages in the order they were posted; then WM_QUIT, carrying
// the exit code as wParam, once a quit request (PostQuitMessage) is pending; then WM_PAINT for a
// visible window of the thread with a pending update (window.h). A message posted to a window goes
// to the queue of the window's thread.
//
// A window filter admits the messages of that window and of its descendants; a filter or a message
// for a window that does not exist fails with ERROR_INVALID_WINDOW_HANDLE.
#pragma once

#include <kiln/platform/runtime/types.h>

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;  // GetTickCount() when posted
    POINT pt;    // there is no pointer on a terminal: always 0, 0
};
typedef MSG* LPMSG;

// Takes (PM_REMOVE) or looks at (PM_NOREMOVE) the first waiting message of the calling thread whose
// number lies in wMsgFilterMin..wMsgFilterMax (both 0: any message; WM_QUIT passes every range).
// hWnd null admits every message, (HWND)-1 only thread messages. FALSE when none is waiting.
BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
// Waits for and takes a message as PeekMessageA does: 0 for WM_QUIT, -1 on an error (no MSG, bad
// window handle), else a non-zero value.
BOOL GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
// Posts to the queue of the thread idThread; FALSE with ERROR_INVALID_THREAD_ID when that thread
// has no queue (it never used one, or has ended), with ERROR_NOT_ENOUGH_QUOTA when 10000 messages
// are already waiting there.
BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
// Posts to the window's thread; with no window, posts a thread message to the calling thread.
BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Asks the calling thread's message loop to end with nExitCode.
void PostQuitMessage(int nExitCode);
// Character messages are posted by whoever types (a front end or a test): translates nothing and
// returns FALSE.
BOOL TranslateMessage(const MSG* lpMsg);
// Hands a window message to its window procedure (a WM_PAINT for a window without an update is
// dropped); thread messages have none and give 0.
LRESULT DispatchMessageA(const MSG* lpMsg);

#define PeekMessage PeekMessageA
#define GetMessage GetMessageA
#define PostThreadMessage PostThreadMessageA
#define PostMessage PostMessageA
#define DispatchMessage DispatchMessageA
