// Dialog data exchange (DDX_) and validation (DDV_).
//
// CWnd::UpdateData runs the dialog's DoDataExchange with a CDataExchange: with m_bSaveAndValidate
// FALSE the functions put the values into the controls, with TRUE they read them back and check
// them. A value that does not parse or a failed check shows MFC's standard English prompt through
// the message-box handler (for example "Please enter an integer." or "Please enter a number between
// 1 and 10."), gives the control the focus (an edit gets its whole text selected) and calls Fail,
// which throws a CUserException: UpdateData returns FALSE and the dialog stays open.
#pragma once

#include <kiln/platform/ui/wnd.h>

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;  // TRUE: controls to variables, with checks
    CWnd* m_pDlgWnd;
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;

    // The control nIDC of the dialog, remembered as the one a failure gives the focus to; a missing
    // control throws CNotSupportedException.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    [[noreturn]] void Fail();
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);  // DWORD too: both are 32-bit unsigned
void DDX_Text(CDataExchange* pDX, int nIDC, long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);
// The selection of a list box by text: the selected item's text, or empty without a selection;
// into the control, the first item that starts with the text (no selection when none does).
void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

// Into the control, DDV_MaxChars limits the edit's text; back from it, a longer text fails.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal);
