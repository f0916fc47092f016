// Thread message queues.
//
// Each thread gets its queue the first time it peeks, gets or posts to itself (PostMessageA with no
// window, PostQuitMessage); the queue goes away when the thread ends. Messages are taken in the
// order they were posted. A quit request (PostQuitMessage) is not queued: WM_QUIT, carrying the exit
// code as wParam, is delivered only once no posted message that the filter admits is waiting.
//
// There are no windows yet: a filter or a message for a window handle fails with
// ERROR_INVALID_WINDOW_HANDLE, and WM_PAINT is an ordinary posted message.
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
// With no window, posts a thread message to the calling thread.
BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Asks the calling thread's message loop to end with nExitCode.
void PostQuitMessage(int nExitCode);
// No keyboard messages exist on a terminal: translates nothing and returns FALSE.
BOOL TranslateMessage(const MSG* lpMsg);
// Hands a window message to its window procedure; thread messages have none and give 0.
LRESULT DispatchMessageA(const MSG* lpMsg);

#define PeekMessage PeekMessageA
#define GetMessage GetMessageA
#define PostThreadMessage PostThreadMessageA
#define PostMessage PostMessageA
#define DispatchMessage DispatchMessageA
