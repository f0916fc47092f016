// Dialog boxes: the dialog manager's functions.
//
// A dialog is a window of the dialog class (WC_DIALOG) made from a template, with one control per
// template item. Its dialog procedure sees every message first and returns TRUE for the ones it
// handled (with the result in DWLP_MSGRESULT); DefDlgProcA does the rest. WM_INITDIALOG is sent once
// the controls exist; the focus goes to the control in wParam when the procedure returns TRUE.
//
// Dialog units: every dialog maps them to pixels with the fixed base units 6 by 12 whatever its font
// (x * 6 / 4, y * 12 / 8), so layouts are the same on every machine; GetDialogBaseUnits gives the
// system font's 8 by 16.
//
// The modal functions (DialogBoxParamA, DialogBoxIndirectParamA) disable the owner, run a modal loop
// until EndDialog and enable the owner again. When the loop has nothing to do it reports the dialog
// as waiting to the dialog handler (see dialog_handler.h); when the handler leaves it still with
// nothing to do, the dialog ends with IDCANCEL, so no dialog waits for ever.
#pragma once

#include <kiln/platform/ui/controls.h>
#include <kiln/platform/ui/dialog_template.h>

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC 8
#define DWLP_USER 16
#define DLGWINDOWEXTRA 30
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534B
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

// Creation. The template is found in the resource chain (hInstance null: the whole chain); null
// when there is none, the template is malformed or WM_INITDIALOG's procedure destroyed the window.
HWND CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATE lpTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam);
HWND CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam);
#define CreateDialogA(inst, name, parent, proc) CreateDialogParamA(inst, name, parent, proc, 0)
#define CreateDialogIndirectA(inst, tmpl, parent, proc) \
    CreateDialogIndirectParamA(inst, tmpl, parent, proc, 0)
// The EndDialog result, or -1 when the dialog could not be created.
INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam);
INT_PTR DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATE hDialogTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam);
#define DialogBoxA(inst, name, parent, proc) DialogBoxParamA(inst, name, parent, proc, 0)
#define DialogBoxIndirectA(inst, tmpl, parent, proc) DialogBoxIndirectParamA(inst, tmpl, parent, proc, 0)
// Ends a modal dialog with nResult once its procedure returns; hides a modeless one.
BOOL EndDialog(HWND hDlg, INT_PTR nResult);
LRESULT DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);

// Keyboard handling for dialogs: TRUE when lpMsg belongs to hDlg or one of its controls and has been
// handled. Enter clicks the default button (the focused push button, else DM_GETDEFID's, else IDOK),
// Escape sends IDCANCEL, Tab and Shift-Tab move the focus among the enabled, visible WS_TABSTOP
// controls in tab order; other messages for the dialog are dispatched.
BOOL IsDialogMessageA(HWND hDlg, LPMSG lpMsg);
HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);

// Controls by id.
HWND GetDlgItem(HWND hDlg, int nIDDlgItem);
int GetDlgCtrlID(HWND hWnd);
LRESULT SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned);
// The number in the control's text (blanks around it allowed); 0 with *lpTranslated FALSE when the
// text is not a number or does not fit.
UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned);
BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
UINT IsDlgButtonChecked(HWND hDlg, int nIDButton);

// Dialog units.
BOOL MapDialogRect(HWND hDlg, LPRECT lpRect);
LONG GetDialogBaseUnits();

#define CreateDialogIndirectParam CreateDialogIndirectParamA
#define CreateDialogParam CreateDialogParamA
#define CreateDialog CreateDialogA
#define CreateDialogIndirect CreateDialogIndirectA
#define DialogBoxParam DialogBoxParamA
#define DialogBoxIndirectParam DialogBoxIndirectParamA
#define DialogBox DialogBoxA
#define DialogBoxIndirect DialogBoxIndirectA
#define DefDlgProc DefDlgProcA
#define IsDialogMessage IsDialogMessageA
#define SendDlgItemMessage SendDlgItemMessageA
#define SetDlgItemText SetDlgItemTextA
#define GetDlgItemText GetDlgItemTextA
