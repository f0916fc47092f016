// CWnd: a C++ object attached to a window.
//
// Each thread keeps a permanent map from windows to the CWnd objects attached to them (Attach,
// creation through Create/CreateEx, SubclassWindow). FromHandle gives a temporary CWnd for a window
// that has none; temporary objects are deleted when the thread idles (CWinThread::OnIdle) or their
// window goes. Messages of an attached window go to AfxWndProc, which calls WindowProc: the message
// map is searched (OnWndMsg), and what no handler takes goes to DefWindowProc, that is to the
// procedure the window had before it was attached (its class's, for example DefDlgProcA).
//
// When the window is destroyed the object is detached and PostNcDestroy runs (a class whose objects
// live on the heap deletes itself there). Destroying the object destroys its window first.
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/ui/cmd_target.h>
#include <kiln/platform/ui/dialog_box.h>
#include <kiln/platform/ui/menu.h>

class CDataExchange;
struct CCreateContext;

// m_nFlags bits.
#define WF_TOOLTIPS 0x0001
#define WF_TEMPHIDE 0x0002
#define WF_STAYDISABLED 0x0004
#define WF_MODALLOOP 0x0008
#define WF_CONTINUEMODAL 0x0010
// RunModalLoop flags.
#define MLF_NOIDLEMSG 0x0001
#define MLF_NOKICKIDLE 0x0002
#define MLF_SHOWONIDLE 0x0004
// MFC's private messages.
#define WM_IDLEUPDATECMDUI 0x0363
#define WM_KICKIDLE 0x036A

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    // The handle, or null when called through a null pointer (an MFC idiom kept for ported code).
    HWND GetSafeHwnd() const;

    // The handle map.
    static CWnd* FromHandle(HWND hWnd);           // null for a null handle
    static CWnd* FromHandlePermanent(HWND hWnd);  // null when no object is attached
    static void DeleteTempMap();
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Attaches to an existing window and routes its messages through AfxWndProc; FALSE when the
    // window has an object already.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // Creation: PreCreateWindow may change the parameters; the object is attached before WM_NCCREATE.
    virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr);
    virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                          int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                          LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    // Creates a modeless dialog window from a template, attached to this object.
    BOOL CreateDlgIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual void PostNcDestroy();

    // Messages.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Calls DefWindowProc with the message being handled.
    LRESULT Default();

    // Modal loops (see CDialog::DoModal): pumps the thread's messages until EndModalLoop.
    int RunModalLoop(DWORD dwFlags = 0);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int nResult);

    // Dialog data.
    virtual void DoDataExchange(CDataExchange* pDX);
    // Runs DoDataExchange; FALSE when a check failed (the user has been told).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // The tree.
    CWnd* GetDlgItem(int nID) const;
    void GetDlgItem(int nID, HWND* phWnd) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);
    CWnd* GetParent() const;
    CWnd* GetOwner() const;
    CWnd* GetTopLevelParent() const;
    // The window a dialog or box of pParent should belong to: the top-level window of pParent (the
    // application's main window when null) or its last active popup; null when there is none.
    static CWnd* GetSafeOwner(CWnd* pParent = nullptr, HWND* pWndTop = nullptr);

    // State.
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsZoomed() const;
    BOOL IsIconic() const;
    CWnd* SetFocus();
    static CWnd* GetFocus();
    CWnd* SetActiveWindow();
    static CWnd* GetActiveWindow();
    void DragAcceptFiles(BOOL bAccept = TRUE);
    HMENU GetMenu() const;
    BOOL SetMenu(HMENU hMenu);

    // Text.
    void SetWindowText(LPCTSTR lpszString);
    int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, LPCTSTR lpszString);
    int GetDlgItemText(int nID, LPTSTR lpStr, int nMaxCount) const;
    int GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Geometry and painting.
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl);
    void Invalidate(BOOL bErase = TRUE);
    void UpdateWindow();

    int m_nModalResult = 0;
    UINT m_nFlags = 0;

protected:
    // Handlers the default message map does not name; ON_WM_CREATE and its kind reach them.
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnPaint();

    WNDPROC m_pfnSuper = nullptr;  // the procedure the window had before it was attached

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend struct CWndAccess;  // the library's window plumbing
    DECLARE_MESSAGE_MAP()
};

namespace kiln {
// The window of a CWnd that may be null; the library's own calls use it, so none of them calls a
// member through a null pointer.
inline HWND SafeHwnd(const CWnd* wnd) { return wnd != nullptr ? wnd->m_hWnd : nullptr; }
}  // namespace kiln

// The procedure of every window with a CWnd: hands the message to the object's WindowProc.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// Registers a class (nothing to do when it exists in that instance already); FALSE on failure.
BOOL AfxRegisterClass(WNDCLASS* lpWndClass);
// A class with AfxWndProc and these attributes, named after them; the name lives for the process.
LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);
// The next window this thread creates gets pWnd attached (as creation through CWnd::CreateEx does).
void AfxHookWindowCreate(CWnd* pWnd);
BOOL AfxUnhookWindowCreate();
// The main window of the calling thread's thread object.
CWnd* AfxGetMainWnd();
