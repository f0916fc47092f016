#include <kiln/platform/ui/wnd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <typeinfo>
#include <unordered_map>

#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/ui/control_wnd.h>
#include <kiln/platform/ui/data_exchange.h>
#include <kiln/platform/ui/dialog.h>
#include <kiln/platform/ui/win_app.h>

#include "platform/runtime/hot_thread_local.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/parsed_template.h"
#include "platform/ui/window_table.h"

namespace {

// The handle maps of a thread: windows belong to their thread, and so do their objects.
struct HandleMaps {
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, CWnd*> temporary;  // owned
    CWnd* creating = nullptr;                   // AfxHookWindowCreate's object

    ~HandleMaps() { CWnd::DeleteTempMap(); }
};

// On the heap, as the library's thread-local block must stay small (see hot_thread_local.h).
HandleMaps& Maps() {
    thread_local std::unique_ptr<HandleMaps> maps;
    if (!maps) maps = std::make_unique<HandleMaps>();
    return *maps;
}

// The message being handled, for CWnd::Default.
struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
KILN_HOT_THREAD_LOCAL CurrentMessage t_current;

// The last window found in the permanent map: a control moved once per item of a job is looked up
// again and again, and a hash lookup costs more than the rest of the message.
struct LastFound {
    HWND hWnd = nullptr;
    CWnd* wnd = nullptr;
    WNDPROC passOn = nullptr;  // where wnd passes its messages on untouched (PassesStraightOn), or null
};
KILN_HOT_THREAD_LOCAL LastFound t_lastFound;

// Called when hWnd's object or its subclassed procedure changes.
void Forget(HWND hWnd) {
    if (t_lastFound.hWnd == hWnd) t_lastFound = LastFound{};
}

// Whether wnd is exactly CWnd or one of the library's control classes: none of them handles a
// message or overrides a message function, so a message to the control such an object subclasses
// can go straight to the control's own procedure, where CWnd::WindowProc would pass it after finding
// no handler. A class derived from them may handle anything and takes the long way. (Their type
// information lives in this library alone, so its address tells the type.)
bool AddsNothing(const CWnd& wnd) {
    const std::type_info* type = &typeid(wnd);
    return type == &typeid(CProgressCtrl) || type == &typeid(CStatic) || type == &typeid(CButton) ||
           type == &typeid(CEdit) || type == &typeid(CListBox) || type == &typeid(CWnd);
}

}  // namespace

// The library's window plumbing, with access to CWnd's insides.
struct CWndAccess {
    // Whether the message goes straight to the procedure wnd subclasses: wnd adds nothing to it.
    static bool PassesStraightOn(const CWnd& wnd, UINT nMsg) {
        return wnd.m_pfnSuper != nullptr && nMsg != WM_NCDESTROY && AddsNothing(wnd);
    }
    [[gnu::noinline]] static LRESULT Route(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT Dispatch(CWnd* wnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    // The window code calls this right after a window's record exists: the object being created
    // gets the window, and the window's messages go to AfxWndProc.
    static void AttachCreating(HWND hWnd) {
        HandleMaps& maps = Maps();
        CWnd* wnd = maps.creating;
        if (wnd == nullptr) return;
        maps.creating = nullptr;
        wnd->Attach(hWnd);
        auto previous = (WNDPROC)SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
        if (previous != AfxWndProc) wnd->m_pfnSuper = previous;
        Forget(hWnd);
    }
};

namespace {
const bool g_hookInstalled = (kiln::SetWindowCreationHook(&CWndAccess::AttachCreating), true);
}  // namespace

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        ::DestroyWindow(m_hWnd);
        if (m_hWnd != nullptr) Detach();
    }
}

HWND CWnd::GetSafeHwnd() const {
    const CWnd* self = this;
    asm("" : "+r"(self));  // the call may come through a null pointer: keep the test
    return self != nullptr ? self->m_hWnd : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    if (CWnd* permanent = FromHandlePermanent(hWnd)) return permanent;
    HandleMaps& maps = Maps();
    CWnd*& temporary = maps.temporary[hWnd];
    if (temporary == nullptr) {
        temporary = new CWnd;
        temporary->m_hWnd = hWnd;
    }
    return temporary;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    LastFound& last = t_lastFound;
    if (hWnd == last.hWnd && hWnd != nullptr) return last.wnd;
    HandleMaps& maps = Maps();
    auto found = maps.permanent.find(hWnd);
    if (found == maps.permanent.end()) return nullptr;
    CWnd* wnd = found->second;
    last = LastFound{hWnd, wnd, CWndAccess::PassesStraightOn(*wnd, WM_NULL) ? wnd->m_pfnSuper : nullptr};
    return wnd;
}

void CWnd::DeleteTempMap() {
    HandleMaps& maps = Maps();
    std::unordered_map<HWND, CWnd*> temporary;
    temporary.swap(maps.temporary);
    for (auto& [hWnd, wnd] : temporary) {
        wnd->m_hWnd = nullptr;
        delete wnd;
    }
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == nullptr || m_hWnd != nullptr || !::IsWindow(hWndNew) ||
        FromHandlePermanent(hWndNew) != nullptr)
        return FALSE;
    HandleMaps& maps = Maps();
    if (auto temporary = maps.temporary.find(hWndNew); temporary != maps.temporary.end()) {
        temporary->second->m_hWnd = nullptr;
        delete temporary->second;
        maps.temporary.erase(temporary);
    }
    maps.permanent[hWndNew] = this;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr) {
        HandleMaps& maps = Maps();
        auto found = maps.permanent.find(hWnd);
        if (found != maps.permanent.end() && found->second == this) maps.permanent.erase(found);
        Forget(hWnd);
    }
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd)) return FALSE;
    auto previous = (WNDPROC)SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
    if (previous != AfxWndProc) m_pfnSuper = previous;
    Forget(hWnd);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    HWND control = ::GetDlgItem(kiln::SafeHwnd(pParent), (int)nID);
    return control != nullptr && SubclassWindow(control);
}

HWND CWnd::UnsubclassWindow() {
    if (m_pfnSuper != nullptr) SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
    return Detach();
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, kiln::SafeHwnd(pParentWnd),
                    (HMENU)(UINT_PTR)nID, (LPVOID)pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, kiln::SafeHwnd(pParentWnd),
                    (HMENU)(UINT_PTR)nID, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x,
                    int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    CREATESTRUCT cs{
        lpParam,       AfxGetInstanceHandle(), nIDorHMenu,    hWndParent, nHeight, nWidth, y, x,  //
        (LONG)dwStyle, lpszWindowName,         lpszClassName, dwExStyle};
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, (DWORD)cs.style, cs.x, cs.y, cs.cx,
                                  cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    AfxUnhookWindowCreate();
    return hWnd != nullptr;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs) {
    if (cs.lpszClass == nullptr) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS);
    return TRUE;
}

BOOL CWnd::CreateDlgIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst) {
    if (lpDialogTemplate == nullptr) return FALSE;
    AfxHookWindowCreate(this);
    HWND hWnd = kiln::CreateDialogWindow(hInst, lpDialogTemplate, kiln::TemplateExtent(lpDialogTemplate),
                                         kiln::SafeHwnd(pParentWnd), AfxDlgProc, 0,
                                         (m_nFlags & WF_CONTINUEMODAL) != 0);
    AfxUnhookWindowCreate();
    return hWnd != nullptr;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) return FALSE;
    const bool permanent = FromHandlePermanent(m_hWnd) == this;
    BOOL result = ::DestroyWindow(m_hWnd);
    if (!permanent) Detach();
    return result;
}

void CWnd::PostNcDestroy() {}

// A message to a window with an object: through the object's WindowProc, with the message kept for
// Default, a handler's exception reported, and the object let go after WM_NCDESTROY.
LRESULT CWndAccess::Dispatch(CWnd* wnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CurrentMessage& current = t_current;
    const CurrentMessage outer = current;
    current = CurrentMessage{nMsg, wParam, lParam};
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(nMsg, wParam, lParam);
    } catch (CException* e) {
        // A handler's failure ends the message, not the program; a window whose creation failed is
        // not created.
        if (!e->IsKindOf(RUNTIME_CLASS(CUserException))) e->ReportError(MB_ICONEXCLAMATION);
        e->Delete();
        result = nMsg == WM_CREATE ? -1 : 0;
    }
    current = outer;
    if (nMsg == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == wnd) {
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    return result;
}

// A message to a window that may have an object.
LRESULT CWndAccess::Route(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr) return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    if (PassesStraightOn(*wnd, nMsg)) return wnd->m_pfnSuper(hWnd, nMsg, wParam, lParam);
    return Dispatch(wnd, hWnd, nMsg, wParam, lParam);
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    // A control stepped once per item of a job is the window of the last message, and its object
    // passes the message on: that case needs no stack frame.
    const LastFound& last = t_lastFound;
    if (hWnd == last.hWnd && hWnd != nullptr && last.passOn != nullptr && nMsg != WM_NCDESTROY)
        return last.passOn(hWnd, nMsg, wParam, lParam);
    return CWndAccess::Route(hWnd, nMsg, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        result = 1;
    } else {
        const AFX_MSGMAP_ENTRY* entry = nullptr;
        for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr && entry == nullptr;
             map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr)
            entry = AfxFindMessageEntry(map->lpEntries, message, 0, 0);
        if (entry == nullptr) return FALSE;
        switch (entry->nSig) {
        case AfxSig_vv: (this->*AfxHandlerCast<void (CWnd::*)()>(entry->pfn))(); break;
        case AfxSig_is:
            result =
                (this->*AfxHandlerCast<int (CWnd::*)(LPCREATESTRUCT)>(entry->pfn))((LPCREATESTRUCT)lParam);
            break;
        case AfxSig_lwl:
            result = (this->*AfxHandlerCast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(entry->pfn))(wParam, lParam);
            break;
        default: return FALSE;
        }
    }
    if (pResult != nullptr) *pResult = result;
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (lParam == 0) {
        if (code == 0 || code == 1) code = CN_COMMAND;  // a menu or an accelerator
    } else if (id == 0) {
        return FALSE;
    }
    return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam); }

int CWnd::OnCreate(LPCREATESTRUCT) { return (int)Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnPaint() { Default(); }

int CWnd::RunModalLoop(DWORD dwFlags) {
    constexpr WPARAM kMsgfDialogBox = 0;
    bool idle = true;
    LONG idleCount = 0;
    bool showOnIdle = (dwFlags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
    HWND parent = ::GetParent(m_hWnd);
    m_nFlags |= WF_MODALLOOP | WF_CONTINUEMODAL;
    CWinThread* thread = AfxGetThread();
    MSG* msg = &thread->m_msgCur;
    auto showNow = [&] {
        ShowWindow(SW_SHOWNORMAL);
        UpdateWindow();
        showOnIdle = false;
    };
    for (;;) {
        while (idle && !::PeekMessageA(msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showOnIdle) showNow();
            if (!(dwFlags & MLF_NOIDLEMSG) && parent != nullptr && idleCount == 0)
                ::SendMessageA(parent, WM_ENTERIDLE, kMsgfDialogBox, (LPARAM)m_hWnd);
            if ((dwFlags & MLF_NOKICKIDLE) || !SendMessage(WM_KICKIDLE, kMsgfDialogBox, idleCount++))
                idle = false;
        }
        if (!ContinueModal()) break;
        // Nothing to do: the dialog handler acts for the user; when it leaves nothing to do either,
        // the dialog is cancelled instead of waiting for ever.
        if (!::PeekMessageA(msg, nullptr, 0, 0, PM_NOREMOVE)) {
            kiln::NotifyDialog(kiln::DialogEventKind::Waiting, m_hWnd, true);
            if (!ContinueModal()) break;
            if (!::IsWindow(m_hWnd) || !::PeekMessageA(msg, nullptr, 0, 0, PM_NOREMOVE)) {
                EndModalLoop(IDCANCEL);
                ::EndDialog(m_hWnd, IDCANCEL);
                break;
            }
        }
        do {
            if (!thread->PumpMessage()) {
                PostQuitMessage(0);
                m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
                return -1;
            }
            if (showOnIdle && (msg->message == WM_SYSTIMER || msg->message == WM_SYSKEYDOWN)) showNow();
            if (!ContinueModal()) goto done;
            if (thread->IsIdleMessage(msg)) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageA(msg, nullptr, 0, 0, PM_NOREMOVE));
    }
done:
    m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
    return m_nModalResult;
}

BOOL CWnd::ContinueModal() { return (m_nFlags & WF_CONTINUEMODAL) != 0; }

void CWnd::EndModalLoop(int nResult) {
    m_nModalResult = nResult;
    if (m_nFlags & WF_CONTINUEMODAL) {
        m_nFlags &= ~WF_CONTINUEMODAL;
        PostMessage(WM_NULL);
    }
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
        return TRUE;
    } catch (CUserException* e) {
        e->Delete();  // the user has been told already
    } catch (CException* e) {
        e->ReportError(MB_ICONEXCLAMATION);
        e->Delete();
    }
    return FALSE;
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
void CWnd::GetDlgItem(int nID, HWND* phWnd) const { *phWnd = ::GetDlgItem(m_hWnd, nID); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
int CWnd::SetDlgCtrlID(int nID) { return (int)SetWindowLongPtrA(m_hWnd, GWLP_ID, nID); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
CWnd* CWnd::GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }

CWnd* CWnd::GetSafeOwner(CWnd* pParent, HWND* pWndTop) {
    HWND given = kiln::SafeHwnd(pParent);
    HWND owner = given != nullptr ? given : kiln::SafeHwnd(AfxGetMainWnd());
    // A popup cannot belong to a child window: climb to the first window that is not one.
    while (owner != nullptr && (GetWindowLongPtrA(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
    HWND top = owner;
    for (HWND up = owner; up != nullptr; up = ::GetParent(up)) top = up;
    if (given == nullptr && owner != nullptr) owner = ::GetLastActivePopup(owner);
    if (pWndTop != nullptr) {
        *pWndTop = nullptr;
        if (top != nullptr && top != owner && ::IsWindowEnabled(top)) {
            *pWndTop = top;
            ::EnableWindow(top, FALSE);
        }
    }
    return FromHandle(owner);
}

DWORD CWnd::GetStyle() const { return (DWORD)GetWindowLongPtrA(m_hWnd, GWL_STYLE); }
DWORD CWnd::GetExStyle() const { return (DWORD)GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE); }
BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT) {
    DWORD style = GetStyle(), changed = (style & ~dwRemove) | dwAdd;
    if (changed == style) return FALSE;
    SetWindowLongPtrA(m_hWnd, GWL_STYLE, (LONG_PTR)(LONG)changed);
    return TRUE;
}
BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsZoomed() const { return ::IsZoomed(m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
void CWnd::DragAcceptFiles(BOOL bAccept) {
    DWORD exStyle = GetExStyle();
    exStyle = bAccept ? exStyle | WS_EX_ACCEPTFILES : exStyle & ~(DWORD)WS_EX_ACCEPTFILES;
    SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, (LONG_PTR)exStyle);
}
HMENU CWnd::GetMenu() const { return ::GetMenu(m_hWnd); }
BOOL CWnd::SetMenu(HMENU hMenu) { return ::SetMenu(m_hWnd, hMenu); }

void CWnd::SetWindowText(LPCTSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const {
    return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
}
void CWnd::GetWindowText(CString& rString) const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, rString.GetBufferSetLength(length), length + 1);
    rString.ReleaseBuffer();
}
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) { ::SetDlgItemTextA(m_hWnd, nID, lpszString); }
int CWnd::GetDlgItemText(int nID, LPTSTR lpStr, int nMaxCount) const {
    return (int)::GetDlgItemTextA(m_hWnd, nID, lpStr, nMaxCount);
}
int CWnd::GetDlgItemText(int nID, CString& rString) const {
    rString.Empty();
    HWND control = ::GetDlgItem(m_hWnd, nID);
    if (control != nullptr) FromHandle(control)->GetWindowText(rString);
    return rString.GetLength();
}
void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) {
    ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned);
}
UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const {
    return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
}
void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
UINT CWnd::IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}
void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                 lpRect->bottom - lpRect->top, bRepaint);
}
BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, kiln::SafeHwnd(pWndInsertAfter), x, y, cx, cy, nFlags);
}
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const {
    return ::GetWindowPlacement(m_hWnd, lpwndpl);
}
BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl) {
    return ::SetWindowPlacement(m_hWnd, lpwndpl);
}
void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }

BOOL AfxRegisterClass(WNDCLASS* lpWndClass) {
    WNDCLASS existing;
    if (::GetClassInfoA(lpWndClass->hInstance, lpWndClass->lpszClassName, &existing)) return TRUE;
    return ::RegisterClassA(lpWndClass) != 0;
}

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    char name[96];
    std::snprintf(name, sizeof name, "Afx:%p:%x:%p:%p:%p", (void*)AfxGetInstanceHandle(), nClassStyle,
                  (void*)hCursor, (void*)hbrBackground, (void*)hIcon);
    WNDCLASS wc{nClassStyle, AfxWndProc,    0,       0,   AfxGetInstanceHandle(), hIcon,
                hCursor,     hbrBackground, nullptr, name};
    if (!AfxRegisterClass(&wc)) AfxThrowResourceException();
    WNDCLASS registered;
    ::GetClassInfoA(AfxGetInstanceHandle(), name, &registered);
    return registered.lpszClassName;  // the registry's copy lives as long as the class
}

void AfxHookWindowCreate(CWnd* pWnd) { Maps().creating = pWnd; }

BOOL AfxUnhookWindowCreate() {
    HandleMaps& maps = Maps();
    const bool unused = maps.creating != nullptr;
    maps.creating = nullptr;
    return !unused;
}

CWnd* AfxGetMainWnd() {
    CWinThread* thread = AfxGetThread();
    return thread != nullptr ? thread->GetMainWnd() : nullptr;
}
