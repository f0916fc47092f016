// CDialog: modal and modeless dialogs made from templates.
//
// DoModal finds the template (m_lpszTemplateName in the resource chain through
// AfxFindResourceHandle, else m_hDialogTemplate, else m_lpDialogTemplate; -1 without one), disables
// the owner that PreModal gives, creates the window (CreateDlgIndirect), runs RunModalLoop with
// MLF_SHOWONIDLE (and MLF_NOIDLEMSG for DS_NOIDLEMSG) until EndDialog, hides and destroys the window,
// enables the owner again and returns m_nModalResult: IDOK, IDCANCEL, the EndDialog value, or -1
// when the template is missing or malformed. Modeless dialogs are made with Create or
// CreateIndirect and go with DestroyWindow.
//
// WM_INITDIALOG runs OnInitDialog, which exchanges the data into the controls (UpdateData(FALSE)).
// IDOK runs OnOK (UpdateData(TRUE), then EndDialog(IDOK) when the data passed its checks) and
// IDCANCEL OnCancel (EndDialog(IDCANCEL)).
#pragma once

#include <kiln/platform/ui/wnd.h>

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Modeless creation; FALSE when there is no template or the window could not be made.
    virtual BOOL Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr,
                                void* lpDialogInit = nullptr);
    virtual BOOL CreateIndirect(HGLOBAL hDialogTemplate, CWnd* pParentWnd = nullptr);

    // Modal run from a template given in memory (instead of a resource name).
    BOOL InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr,
                           void* lpDialogInit = nullptr);
    BOOL InitModalIndirect(HGLOBAL hDialogTemplate, CWnd* pParentWnd = nullptr);
    virtual INT_PTR DoModal();
    // Ends the modal loop (if one runs) and the dialog with nResult.
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);
    void SetDefID(UINT nID);
    DWORD GetDefID() const;

    LPCTSTR m_lpszTemplateName = nullptr;  // a name or MAKEINTRESOURCE id
    HGLOBAL m_hDialogTemplate = nullptr;
    LPCDLGTEMPLATE m_lpDialogTemplate = nullptr;
    void* m_lpDialogInit = nullptr;
    CWnd* m_pParentWnd = nullptr;
    HWND m_hWndTop = nullptr;
    UINT m_nIDHelp = 0;

protected:
    // The owner of the modal dialog (m_pParentWnd's window, else the safe owner); hooks creation.
    HWND PreModal();
    void PostModal();

    DECLARE_MESSAGE_MAP()
};

// The procedure CDialog windows run as their dialog procedure: WM_INITDIALOG goes to OnInitDialog.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
