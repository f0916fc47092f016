#include <kiln/diag/quick_dialog.h>

#include <cstdlib>

#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/data_exchange.h>

namespace {

constexpr UINT kStringTemplate = 3000;
constexpr UINT kJobTemplate = 3002;
constexpr int kJobList = 3000;
constexpr int kTextEdit = 3001;
constexpr int kPrompt = 3002;

// Focus to the edit with its whole text selected and the caret in view, so typing replaces it.
void FocusWholeText(CEdit& edit) {
    edit.SetFocus();
    edit.SetSel(0, -1);
    edit.SendMessage(EM_SCROLLCARET);
}

}  // namespace

CQuickShowDialogBase::CQuickShowDialogBase(UINT nIDTemplate, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd) {}

INT_PTR CQuickShowDialogBase::DoModal() { return DoModal(0, 0); }

int CQuickShowDialogBase::DoModal(int x, int y) {
    // The template: from the module of the chain that holds it, else the one the object was given.
    HINSTANCE instance = AfxGetResourceHandle();
    HGLOBAL loaded = nullptr;
    LPCDLGTEMPLATE dialogTemplate = m_lpDialogTemplate;
    if (m_lpszTemplateName != nullptr) {
        instance = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
        if (HRSRC resource = FindResourceA(instance, m_lpszTemplateName, RT_DIALOG))
            loaded = LoadResource(instance, resource);
    } else if (m_hDialogTemplate != nullptr) {
        loaded = m_hDialogTemplate;
    }
    if (loaded != nullptr) dialogTemplate = static_cast<LPCDLGTEMPLATE>(LockResource(loaded));
    if (dialogTemplate == nullptr) return -1;

    HWND parent = PreModal();
    AfxUnhookWindowCreate();
    bool enableParent = false;
    if (parent != nullptr && parent != ::GetDesktopWindow() && ::IsWindowEnabled(parent)) {
        ::EnableWindow(parent, FALSE);
        enableParent = true;
    }

    try {
        m_nModalResult = -1;
        m_nFlags |= WF_CONTINUEMODAL;
        if (CreateDlgIndirect(dialogTemplate, CWnd::FromHandle(parent), instance)) {
            // Initialisation may have ended the dialog already (EndDialog in OnInitDialog).
            if (m_nFlags & WF_CONTINUEMODAL) {
                if (x != 0 || y != 0)
                    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                // The loop is the window layer's own RunModalLoop: its pump step is the same one,
                // and it is where the dialog handler learns that the dialog waits.
                DWORD flags = MLF_SHOWONIDLE;
                if (GetStyle() & DS_NOIDLEMSG) flags |= MLF_NOIDLEMSG;
                RunModalLoop(flags);
            }
            if (m_hWnd != nullptr)
                SetWindowPos(nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
        m_nFlags &= ~WF_CONTINUEMODAL;
    } catch (CException* e) {
        e->Delete();
        m_nModalResult = -1;
    }

    if (enableParent) ::EnableWindow(parent, TRUE);
    if (parent != nullptr && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(parent);
    DestroyWindow();
    PostModal();
    if (m_lpszTemplateName != nullptr) FreeResource(loaded);
    return m_nModalResult;
}

// CStringDialog

CStringDialog::CStringDialog(CWnd* pParentWnd)
    : CQuickShowDialogBase(kStringTemplate, pParentWnd), m_strTitle("文字列の入力") {}

CStringDialog::~CStringDialog() = default;

void CStringDialog::SetDefStr(const char* text) { m_strText = text; }
void CStringDialog::SetTitle(const char* text) { m_strTitle = text; }
CString& CStringDialog::GetString() { return m_strText; }

void CStringDialog::DoDataExchange(CDataExchange* pDX) {
    CQuickShowDialogBase::DoDataExchange(pDX);
    DDX_Control(pDX, kTextEdit, m_edit);
    DDX_Text(pDX, kTextEdit, m_strText);
    DDV_MaxChars(pDX, m_strText, m_nMaxLength);
    DDX_Text(pDX, kPrompt, m_strTitle);
}

BOOL CStringDialog::OnInitDialog() {
    CQuickShowDialogBase::OnInitDialog();
    FocusWholeText(m_edit);
    return FALSE;
}

// CValueDialog

CValueDialog::CValueDialog(CWnd* pParentWnd)
    : CQuickShowDialogBase(kStringTemplate, pParentWnd), m_strTitle("数値の入力") {}

CValueDialog::~CValueDialog() = default;

void CValueDialog::SetDefValue(int n) { m_dValue = n; }
void CValueDialog::SetDefValue(const char* text) { m_dValue = atoi(text); }
void CValueDialog::SetDefValueDouble(double d) { m_dValue = d; }
void CValueDialog::SetMinMax(int min, int max) {
    m_nMin = min;
    m_nMax = max;
}
void CValueDialog::SetTitle(const char* text) { m_strTitle = text; }

int CValueDialog::GetValue() { return static_cast<int>(m_dValue); }
float CValueDialog::GetValueFloat() { return static_cast<float>(m_dValue); }
double CValueDialog::GetValueDouble() { return m_dValue; }

CString CValueDialog::GetValueString() {
    CString text;
    text.Format("%d", GetValue());
    return text;
}

CString CValueDialog::GetValueStringDouble() {
    CString text;
    text.Format("%f", m_dValue);
    return text;
}

void CValueDialog::DoDataExchange(CDataExchange* pDX) {
    CQuickShowDialogBase::DoDataExchange(pDX);
    DDX_Control(pDX, kTextEdit, m_edit);
    DDX_Text(pDX, kPrompt, m_strTitle);
    DDX_Text(pDX, kTextEdit, m_dValue);
    if (m_nMin != 0 || m_nMax != 0) DDV_MinMaxDouble(pDX, m_dValue, m_nMin, m_nMax);
}

BOOL CValueDialog::OnInitDialog() {
    CQuickShowDialogBase::OnInitDialog();
    FocusWholeText(m_edit);
    return FALSE;
}

// CJobDlg

BEGIN_MESSAGE_MAP(CJobDlg, CQuickShowDialogBase)
ON_LBN_DBLCLK(kJobList, &CJobDlg::OnDblclkJobList)
END_MESSAGE_MAP()

CJobDlg::CJobDlg(CWnd* pParentWnd) : CQuickShowDialogBase(kJobTemplate, pParentWnd) {
    m_jobNames.reserve(10);
    m_jobData.reserve(10);
}

CJobDlg::~CJobDlg() = default;

void CJobDlg::AddJob(const char* name, void* data) {
    m_jobNames.emplace_back(name);
    m_jobData.push_back(data);
    ++m_nJobCount;
}

void CJobDlg::AddJob(const char* name, DWORD data) {
    AddJob(name, reinterpret_cast<void*>(static_cast<UINT_PTR>(data)));
}

void CJobDlg::SetDefJob(const char* name) { m_strJob = name; }
CString CJobDlg::GetJobString() { return m_strJob; }
DWORD CJobDlg::GetJobValue() { return m_dwJobValue; }

void CJobDlg::DoDataExchange(CDataExchange* pDX) {
    CQuickShowDialogBase::DoDataExchange(pDX);
    DDX_Control(pDX, kJobList, m_list);
    DDX_LBString(pDX, kJobList, m_strJob);
}

BOOL CJobDlg::OnInitDialog() {
    // The first exchange runs while the list is still empty, so it selects nothing.
    CQuickShowDialogBase::OnInitDialog();
    size_t count = static_cast<size_t>(m_nJobCount > 0 ? m_nJobCount : 0);
    for (size_t i = 0; i < count && i < m_jobNames.size() && i < m_jobData.size(); ++i) {
        int index = static_cast<int>(m_list.SendMessage(
            LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<LPCTSTR>(m_jobNames[i]))));
        m_list.SendMessage(LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(m_jobData[i]));
    }
    // A default job that names a job is selected; the first job otherwise.
    int selected = 0;
    if (!m_strJob.IsEmpty()) {
        int match =
            static_cast<int>(m_list.SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                reinterpret_cast<LPARAM>(static_cast<LPCTSTR>(m_strJob))));
        if (match != LB_ERR) selected = match;
    }
    m_list.SendMessage(LB_SETCURSEL, selected);
    return FALSE;
}

void CJobDlg::OnOK() {
    UpdateData(TRUE);
    int index = static_cast<int>(m_list.SendMessage(LB_GETCURSEL));
    m_dwJobValue = static_cast<DWORD>(m_list.SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index)));
    CQuickShowDialogBase::OnOK();
}

void CJobDlg::OnDblclkJobList() { OnOK(); }
