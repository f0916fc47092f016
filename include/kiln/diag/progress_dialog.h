// Modeless dialogs that a long job shows while it works on the user-interface thread.
//
// The job creates the dialog, then in its own loop moves the bar (SetPos, OffsetPos, StepIt, which
// also let waiting window messages through without ever waiting) and polls the buttons
// (CheckCancelButton, CheckOKButton). Neither button closes the dialog: each only raises a flag,
// reported once by the next poll, and the job destroys the dialog. While the dialog exists its owner
// is disabled; DestroyWindow or the destructor enables it again.
//
//   CProgressDlg progress;
//   progress.Create(mainWindow);
//   progress.SetRange(0, count);
//   progress.SetStep(1);
//   for (int i = 0; i < count && !progress.CheckCancelButton(); ++i) { work(i); progress.StepIt(); }
//
// The percentage shown for a position is (pos - lower) * 100 / (upper - lower), truncated, in 32-bit
// arithmetic; past 100 it wraps as the bar does (150 shows 50%, 100 stays 100%). An empty range
// (upper equal to lower) has nothing left to do once it is reached: it shows 100% for a position at
// or past the bound, 0% before it.
#pragma once

#include <kiln/platform/ui/control_wnd.h>
#include <kiln/platform/ui/dialog.h>

namespace kiln {

// What the progress and the wait dialog share; each adds its buttons, template and caption.
class ProgressDialogBase : public CDialog {
public:
    ~ProgressDialogBase() override;

    // Disables the owner (the safe owner of pParent) and creates the dialog; FALSE, with the owner
    // enabled again, when the window cannot be made. IsCreated() is TRUE from then on in either case.
    BOOL Create(CWnd* pParent = nullptr);
    // Enables the owner again if this dialog disabled it, then destroys the window.
    BOOL DestroyWindow() override;
    BOOL IsCreated() const { return m_bCreated; }

    // The bounds are sent to the bar as 16-bit values.
    void SetRange(int nLower, int nUpper);
    int SetStep(int nStep);  // the previous step
    int GetPos();
    int GetRangeMax() const { return m_nUpper; }
    // Each lets waiting messages through, moves the bar, shows the percentage and returns the
    // previous position.
    int SetPos(int nPos);
    int OffsetPos(int nPos);
    int StepIt();
    // The status text above the bar.
    void SetStatus(LPCTSTR lpszText);
    BOOL CheckCancelButton();

protected:
    ProgressDialogBase(UINT nIDTemplate, UINT nCaptionID);

    void UpdatePercent(int nPos);
    void PumpMessages();
    void ReEnableParent();

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    // The caption the dialog shows once created.
    virtual CString Caption() const;

    CProgressCtrl m_Progress;
    UINT m_nCaptionID;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    BOOL m_bCancel = FALSE;
    BOOL m_bParentDisabled = FALSE;
    BOOL m_bCreated = FALSE;

private:
    UINT m_nTemplate;
    HWND m_hWndOwner = nullptr;  // the window disabled by Create (m_pParentWnd may be temporary)
    int m_nShownPercent = 0;     // the percentage last written to the label
};

}  // namespace kiln

// A bar with its percentage, a status text and a Cancel button (template 3003). The caption is the
// string resource nCaptionID (3007 when 0), which the application supplies.
class CProgressDlg : public kiln::ProgressDialogBase {
public:
    explicit CProgressDlg(UINT nCaptionID = 0);
    ~CProgressDlg() override;

    using ProgressDialogBase::PumpMessages;
    using ProgressDialogBase::ReEnableParent;
    using ProgressDialogBase::UpdatePercent;

protected:
    void OnOK() override;  // does nothing: the dialog has no OK button
    CString Caption() const override;

    CString m_strCaption;  // when not empty, the caption instead of the string resource
};

// The same with an OK button as well and the percentage hidden (template 3004).
class CWaitDlg : public kiln::ProgressDialogBase {
public:
    explicit CWaitDlg(UINT nCaptionID = 0);
    ~CWaitDlg() override;

    BOOL CheckOKButton();

protected:
    void OnOK() override;

    BOOL m_bOK = FALSE;
};
