// Application and thread objects, and the wait cursor.
//
// A program may construct one CWinApp (usually a static object of a derived class); it becomes the
// application that AfxGetApp and AfxGetModuleState report, and the thread object of the thread that
// constructed it. Every other thread gets a plain CWinThread of its own from AfxGetThread, so a
// message pump always has an object to run on.
#pragma once

#include <kiln/platform/ui/message_queue.h>
#include <kiln/platform/runtime/object.h>

class CWnd;

class CWinThread : public CObject {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    ~CWinThread() override = default;

    // FALSE: a thread object that does not override it has nothing to start.
    virtual BOOL InitInstance();
    // The exit code: wParam of the WM_QUIT that ended Run.
    virtual int ExitInstance();
    // The message loop: idles (OnIdle with a growing count) while the queue is empty, pumps while it
    // is not, and returns ExitInstance() once WM_QUIT is taken.
    virtual int Run();
    // TRUE when the message was handled and must not be translated or dispatched: offers it to the
    // PreTranslateMessage of the CWnd objects from its window up to the main window (a dialog takes
    // its keyboard messages there with IsDialogMessage), then to the main window.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Idle work; TRUE asks for more idle calls. Only the first call (lCount 0) asks for more; the
    // temporary CWnd objects of the thread are deleted there.
    virtual BOOL OnIdle(LONG lCount);
    // FALSE for messages that must not restart idle processing: WM_PAINT, WM_SYSTIMER and a mouse
    // move to where the last one was.
    virtual BOOL IsIdleMessage(MSG* pMsg);
    // The main window, or null.
    virtual CWnd* GetMainWnd();
    // Waits for one message and handles it (PreTranslateMessage, TranslateMessage, DispatchMessage);
    // FALSE when it was WM_QUIT.
    virtual BOOL PumpMessage();

    MSG m_msgCur = {};          // the message last taken by PumpMessage
    DWORD m_nThreadID;          // the thread the object belongs to
    CWnd* m_pMainWnd = nullptr;
};

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    // Registers this object as the application (replacing any earlier one) on the calling thread.
    // A null name is taken from the program's file name, without its extension.
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    BOOL InitInstance() override;

    // The wait cursor is shown while the count is above zero. A terminal has no cursor to change,
    // so only the count is kept: Begin adds one, End takes one (never below zero), Restore keeps it.
    void BeginWaitCursor() { DoWaitCursor(1); }
    void EndWaitCursor() { DoWaitCursor(-1); }
    void RestoreWaitCursor() { DoWaitCursor(0); }
    virtual void DoWaitCursor(int nCode);

    LPCTSTR m_pszAppName;  // the application's name (owned by the object)
    LPCTSTR m_pszExeName;  // the program's file name without extension (owned by the object)
    HINSTANCE m_hInstance = nullptr;
    int m_nCmdShow = 1;    // SW_SHOWNORMAL
    int m_nWaitCursorCount = 0;
};

// The module state of the process: which application object is current (null when there is none).
struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp;
};

AFX_MODULE_STATE* AfxGetModuleState();
CWinApp* AfxGetApp();
// The application on the thread that constructed it, else the calling thread's own thread object.
CWinThread* AfxGetThread();
// The application's m_pszAppName, or the program's file name without extension when there is no
// application object.
LPCTSTR AfxGetAppName();

// Shows the wait cursor for its lifetime: the application's BeginWaitCursor/EndWaitCursor, or a
// process-wide count when there is no application object.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore();
};

namespace kiln {

// The wait-cursor count now in force: the application's, or the process-wide one without it.
int GetWaitCursorCount();

}  // namespace kiln
