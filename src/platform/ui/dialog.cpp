#include <kiln/platform/ui/dialog.h>

#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/win_app.h>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd) {
    if (IS_INTRESOURCE(lpszTemplateName)) m_nIDHelp = LOWORD(lpszTemplateName);
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCE(nIDTemplate)), m_pParentWnd(pParentWnd), m_nIDHelp(nIDTemplate) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) DestroyWindow();
}

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
    return dialog != nullptr ? dialog->OnInitDialog() : TRUE;
}

BOOL CDialog::Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd) {
    m_lpszTemplateName = lpszTemplateName;
    if (IS_INTRESOURCE(lpszTemplateName) && m_nIDHelp == 0) m_nIDHelp = LOWORD(lpszTemplateName);
    HINSTANCE instance = AfxFindResourceHandle(lpszTemplateName, RT_DIALOG);
    HRSRC found = FindResourceA(instance, lpszTemplateName, RT_DIALOG);
    if (found == nullptr) return FALSE;
    return CreateIndirect((LPCDLGTEMPLATE)LockResource(LoadResource(instance, found)), pParentWnd);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    return Create(MAKEINTRESOURCE(nIDTemplate), pParentWnd);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd, void* lpDialogInit) {
    if (pParentWnd == nullptr) pParentWnd = AfxGetMainWnd();
    m_lpDialogInit = lpDialogInit;
    return CreateDlgIndirect(lpDialogTemplate, pParentWnd, AfxGetResourceHandle());
}

BOOL CDialog::CreateIndirect(HGLOBAL hDialogTemplate, CWnd* pParentWnd) {
    return CreateIndirect((LPCDLGTEMPLATE)LockResource(hDialogTemplate), pParentWnd);
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd, void* lpDialogInit) {
    m_lpDialogTemplate = lpDialogTemplate;
    m_pParentWnd = pParentWnd;
    m_lpDialogInit = lpDialogInit;
    return TRUE;
}

BOOL CDialog::InitModalIndirect(HGLOBAL hDialogTemplate, CWnd* pParentWnd) {
    m_hDialogTemplate = hDialogTemplate;
    m_pParentWnd = pParentWnd;
    return TRUE;
}

HWND CDialog::PreModal() {
    HWND owner = kiln::SafeHwnd(CWnd::GetSafeOwner(m_pParentWnd, &m_hWndTop));
    AfxHookWindowCreate(this);
    return owner;
}

void CDialog::PostModal() {
    AfxUnhookWindowCreate();
    Detach();
    if (::IsWindow(m_hWndTop)) ::EnableWindow(m_hWndTop, TRUE);
    m_hWndTop = nullptr;
}

INT_PTR CDialog::DoModal() {
    LPCDLGTEMPLATE dialogTemplate = m_lpDialogTemplate;
    HGLOBAL handle = m_hDialogTemplate;
    HINSTANCE instance = AfxGetResourceHandle();
    if (m_lpszTemplateName != nullptr) {
        instance = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
        HRSRC found = FindResourceA(instance, m_lpszTemplateName, RT_DIALOG);
        handle = found != nullptr ? LoadResource(instance, found) : nullptr;
    }
    if (handle != nullptr) dialogTemplate = (LPCDLGTEMPLATE)LockResource(handle);
    if (dialogTemplate == nullptr) return -1;

    HWND parent = PreModal();
    const bool enableParent = parent != nullptr && ::IsWindowEnabled(parent);
    if (enableParent) ::EnableWindow(parent, FALSE);
    m_nModalResult = -1;
    m_nFlags |= WF_CONTINUEMODAL;
    try {
        if (CreateDlgIndirect(dialogTemplate, CWnd::FromHandle(parent), instance)) {
            if (m_nFlags & WF_CONTINUEMODAL) {
                DWORD flags = MLF_SHOWONIDLE;
                if (GetStyle() & DS_NOIDLEMSG) flags |= MLF_NOIDLEMSG;
                RunModalLoop(flags);
            }
            if (m_hWnd != nullptr)
                SetWindowPos(nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
    } catch (CException* e) {
        e->Delete();
        m_nModalResult = -1;
    }
    m_nFlags &= ~WF_CONTINUEMODAL;
    if (enableParent) ::EnableWindow(parent, TRUE);
    if (parent != nullptr && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(parent);
    DestroyWindow();
    PostModal();
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL)) EndModalLoop(nResult);
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    const bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                       (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    return input && m_hWnd != nullptr && ::IsDialogMessageA(m_hWnd, pMsg);
}

namespace {

void FocusControl(HWND control) {
    ::SetFocus(control);
    if (::SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        ::SendMessageA(control, EM_SETSEL, 0, -1);
}

}  // namespace

void CDialog::NextDlgCtrl() const {
    if (HWND next = ::GetNextDlgTabItem(m_hWnd, ::GetFocus(), FALSE)) FocusControl(next);
}

void CDialog::PrevDlgCtrl() const {
    if (HWND previous = ::GetNextDlgTabItem(m_hWnd, ::GetFocus(), TRUE)) FocusControl(previous);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
    if (pWndCtrl != nullptr) FocusControl(pWndCtrl->m_hWnd);
}

void CDialog::SetDefID(UINT nID) { ::SendMessageA(m_hWnd, DM_SETDEFID, nID, 0); }
DWORD CDialog::GetDefID() const { return (DWORD)::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0); }
