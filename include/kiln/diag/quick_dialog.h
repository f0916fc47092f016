// Ready-made modal dialogs that ask the user for one thing: a text, a number or a job from a list.
//
// Each object is set up with its setters, run with DoModal and read with its getters, which read
// fields only and so work after the window is gone; running it again starts from what the last run
// left. DoModal returns IDOK, IDCANCEL, or -1 when the dialog has no template (nothing is shown).
// The layouts are the library's dialog templates 3000 (text and number) and 3002 (jobs).
//
//   CValueDialog ask(nullptr);
//   ask.SetTitle("幅");          // the prompt above the edit
//   ask.SetMinMax(1, 10);        // refuses 0 and 11 with the standard validation box
//   if (ask.DoModal() == IDOK) use(ask.GetValue());
#pragma once

#include <vector>

#include <kiln/platform/ui/control_wnd.h>
#include <kiln/platform/ui/dialog.h>

// A dialog shown and painted before its modal loop starts (not when the queue first idles), and
// optionally placed at a screen position.
class CQuickShowDialogBase : public CDialog {
public:
    CQuickShowDialogBase(UINT nIDTemplate, CWnd* pParentWnd);

    // DoModal(0, 0).
    INT_PTR DoModal() override;
    // Runs the dialog modally; when x or y is not 0 its top-left corner goes to screen point (x, y)
    // first, with its size kept. The owner is disabled meanwhile and enabled again afterwards.
    int DoModal(int x, int y);
};

// Asks for a text (template 3000). The text is limited to 32767 characters.
class CStringDialog : public CQuickShowDialogBase {
public:
    explicit CStringDialog(CWnd* pParentWnd = nullptr);
    ~CStringDialog() override;

    // The text the edit starts with (selected whole, so typing replaces it).
    void SetDefStr(const char* text);
    // The prompt shown above the edit; the caption stays "文字列の入力".
    void SetTitle(const char* text);
    // After IDOK, what the user typed.
    CString& GetString();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    int m_nMaxLength = 32767;
    CEdit m_edit;
    CString m_strText;
    CString m_strTitle;
};

// Asks for a number (template 3000, same caption as CStringDialog). With a range other than 0..0
// the value must lie in it, bounds included.
class CValueDialog : public CQuickShowDialogBase {
public:
    explicit CValueDialog(CWnd* pParentWnd = nullptr);
    ~CValueDialog() override;

    void SetDefValue(int n);
    void SetDefValue(const char* text);  // atoi(text): "12abc" gives 12
    void SetDefValueDouble(double d);
    void SetMinMax(int min, int max);
    void SetTitle(const char* text);

    int GetValue();  // converted toward zero: -2.7 gives -2
    float GetValueFloat();
    double GetValueDouble();
    CString GetValueString();        // GetValue() with "%d"
    CString GetValueStringDouble();  // "%f": -2.700000

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    int m_nMin = 0;
    int m_nMax = 0;
    CEdit m_edit;
    CString m_strTitle;
    double m_dValue = 0.0;
};

// Asks for one of a list of jobs (template 3002); each job carries a value. A double click chooses
// the item and closes the dialog.
class CJobDlg : public CQuickShowDialogBase {
public:
    explicit CJobDlg(CWnd* pParentWnd = nullptr);
    ~CJobDlg() override;

    void AddJob(const char* name, void* data);
    void AddJob(const char* name, DWORD data);
    // The job selected when the dialog opens: the first job with this name (compared as the list
    // box compares, without regard to ASCII case). When no job has that name the first job is
    // selected, as it is without a default.
    void SetDefJob(const char* name);
    // After IDOK, the chosen job's name and value; with no selection the value is (DWORD)LB_ERR.
    CString GetJobString();
    DWORD GetJobValue();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnDblclkJobList();

    CListBox m_list;
    CString m_strJob;
    int m_nJobCount = 0;
    DWORD m_dwJobValue = 0;
    std::vector<CString> m_jobNames;
    std::vector<void*> m_jobData;

    DECLARE_MESSAGE_MAP()
};
