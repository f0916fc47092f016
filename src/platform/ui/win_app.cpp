#include <kiln/platform/ui/win_app.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <errno.h>
#include <memory>
#include <string>
#include <unistd.h>

#include <kiln/platform/runtime/system.h>
#include <kiln/platform/ui/wnd.h>

namespace {

constinit AFX_MODULE_STATE g_moduleState = {nullptr};

// Wait cursors shown while there is no application object.
std::atomic<int> g_waitCursorCount{0};

// The program's file name without its extension (the "file title"), found once.
const char* ProgramTitle() {
    static const std::string* title = [] {
        std::string name;
        char path[PATH_MAX];
        ssize_t length = readlink("/proc/self/exe", path, sizeof path);
        if (length > 0)
            name.assign(path, (size_t)length);
        else
            name = program_invocation_short_name;
        name.erase(0, name.rfind('/') + 1);
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0) name.resize(dot);
        return new std::string(name);
    }();
    return title->c_str();
}

}  // namespace

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWinThread::CWinThread() : m_nThreadID(GetCurrentThreadId()) {}

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance() { return (int)m_msgCur.wParam; }

int CWinThread::Run() {
    LONG idleCount = 0;
    bool idle = true;
    for (;;) {
        while (idle && !PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE))
            if (!OnIdle(idleCount++)) idle = false;
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
    CWnd* mainWnd = GetMainWnd();
    HWND stop = mainWnd != nullptr ? mainWnd->m_hWnd : nullptr;
    // From the message's window up through its parents, stopping after the main window.
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hWnd); wnd != nullptr && wnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == stop || (GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD) == 0) break;
    }
    if (mainWnd != nullptr && pMsg->hwnd != nullptr && ::GetAncestor(pMsg->hwnd, GA_ROOT) != stop)
        return mainWnd->PreTranslateMessage(pMsg);
    return FALSE;
}

BOOL CWinThread::OnIdle(LONG lCount) {
    if (lCount <= 0) {
        CWnd* mainWnd = GetMainWnd();
        if (mainWnd != nullptr && mainWnd->m_hWnd != nullptr && mainWnd->IsWindowVisible())
            mainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    } else {
        CWnd::DeleteTempMap();
    }
    return lCount < 1;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg) {
    thread_local POINT lastPoint{-1, -1};
    thread_local UINT lastMessage = 0;
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
        const bool same =
            pMsg->message == lastMessage && pMsg->pt.x == lastPoint.x && pMsg->pt.y == lastPoint.y;
        lastPoint = pMsg->pt;
        lastMessage = pMsg->message;
        return !same;
    }
    return pMsg->message != WM_PAINT && pMsg->message != WM_SYSTIMER;
}

CWnd* CWinThread::GetMainWnd() { return m_pMainWnd; }

BOOL CWinThread::PumpMessage() {
    if (!GetMessageA(&m_msgCur, nullptr, 0, 0)) return FALSE;
    // WM_KICKIDLE is the modal loops' own message: one that reaches the queue is dropped.
    if (m_msgCur.message != WM_KICKIDLE && !PreTranslateMessage(&m_msgCur)) {
        TranslateMessage(&m_msgCur);
        DispatchMessageA(&m_msgCur);
    }
    return TRUE;
}

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

CWinApp::CWinApp(LPCTSTR lpszAppName)
    : m_pszAppName(strdup(lpszAppName != nullptr ? lpszAppName : ProgramTitle())),
      m_pszExeName(strdup(ProgramTitle())),
      m_pszProfileName(strdup((std::string(ProgramTitle()) + ".ini").c_str())) {
    g_moduleState.m_pCurrentWinApp = this;
}

CWinApp::~CWinApp() {
    if (g_moduleState.m_pCurrentWinApp == this) g_moduleState.m_pCurrentWinApp = nullptr;
    ReleaseFrameState();
    std::free(const_cast<char*>(m_pszAppName));
    std::free(const_cast<char*>(m_pszExeName));
}

BOOL CWinApp::InitInstance() { return TRUE; }

void CWinApp::DoWaitCursor(int nCode) {
    m_nWaitCursorCount += nCode;
    if (m_nWaitCursorCount < 0) m_nWaitCursorCount = 0;
}

AFX_MODULE_STATE* AfxGetModuleState() { return &g_moduleState; }

CWinApp* AfxGetApp() { return g_moduleState.m_pCurrentWinApp; }

CWinThread* AfxGetThread() {
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_nThreadID == GetCurrentThreadId()) return app;
    thread_local std::unique_ptr<CWinThread> own;
    if (!own) own = std::make_unique<CWinThread>();
    return own.get();
}

LPCTSTR AfxGetAppName() {
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_pszAppName != nullptr ? app->m_pszAppName : ProgramTitle();
}

CWaitCursor::CWaitCursor() {
    if (CWinApp* app = AfxGetApp())
        app->BeginWaitCursor();
    else
        ++g_waitCursorCount;
}

CWaitCursor::~CWaitCursor() {
    if (CWinApp* app = AfxGetApp()) {
        app->EndWaitCursor();
        return;
    }
    int count = g_waitCursorCount.load();
    while (count > 0 && !g_waitCursorCount.compare_exchange_weak(count, count - 1)) {}
}

void CWaitCursor::Restore() {
    if (CWinApp* app = AfxGetApp()) app->RestoreWaitCursor();
}

namespace kiln {

int GetWaitCursorCount() {
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_nWaitCursorCount : g_waitCursorCount.load();
}

}  // namespace kiln
