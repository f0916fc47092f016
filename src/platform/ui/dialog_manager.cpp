#include <kiln/platform/ui/dialog_box.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/runtime/resources.h>

#include "platform/ui/dialog_manager.h"
#include "platform/ui/parsed_template.h"
#include "platform/ui/window_class.h"

namespace kiln {

namespace {

// Every dialog's base units, whatever its font: a dialog unit is a quarter of the width and an
// eighth of the height of a 6 by 12 pixel character.
constexpr int kBaseX = 6;
constexpr int kBaseY = 12;

RECT DialogUnitsToPixels(short x, short y, short cx, short cy) {
    return RECT{x * kBaseX / 4, y * kBaseY / 8, (x + cx) * kBaseX / 4, (y + cy) * kBaseY / 8};
}

DialogState* StateOf(HWND hDlg) { return ControlOf<DialogState>(hDlg); }

void FocusControl(HWND control) {
    SetFocus(control);
    if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
}

HWND DefaultButton(HWND hDlg) {
    LRESULT id = SendMessageA(hDlg, DM_GETDEFID, 0, 0);
    return GetDlgItem(hDlg, HIWORD(id) == DC_HASDEFID ? LOWORD(id) : IDOK);
}

}  // namespace

HWND CreateDialogWindow(HINSTANCE hInstance, const void* dialogTemplate, size_t size, HWND hWndParent,
                        DLGPROC proc, LPARAM param, bool modal) {
    ParsedTemplate parsed;
    if (!ParseDialogTemplate(dialogTemplate, size, &parsed)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    RECT rect = DialogUnitsToPixels(parsed.x, parsed.y, parsed.cx, parsed.cy);
    const bool child = (parsed.style & WS_CHILD) != 0;
    if (!child && hWndParent != nullptr && !(parsed.style & DS_ABSALIGN)) {
        POINT origin{0, 0};
        ClientToScreen(hWndParent, &origin);
        rect = RECT{rect.left + origin.x, rect.top + origin.y, rect.right + origin.x, rect.bottom + origin.y};
    }
    if (parsed.style & DS_CENTER) {
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        rect.left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        rect.top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
    }
    LPCSTR className = parsed.className.empty() ? WC_DIALOG : parsed.className.c_str();
    HWND hDlg = CreateWindowExA(parsed.exStyle, className, parsed.caption.c_str(), parsed.style & ~WS_VISIBLE,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                hWndParent, nullptr, hInstance, (LPVOID)param);
    if (hDlg == nullptr) return nullptr;
    Window* window = LookupWindow(hDlg);
    auto state = std::make_unique<DialogState>();
    state->modal = modal;
    window->control = std::move(state);
    if (window->extra.size() >= DWLP_DLGPROC + sizeof(LONG_PTR))
        SetWindowLongPtrA(hDlg, DWLP_DLGPROC, (LONG_PTR)proc);

    for (const ParsedItem& item : parsed.items) {
        RECT at = DialogUnitsToPixels(item.x, item.y, item.cx, item.cy);
        HWND control =
            CreateWindowExA(item.exStyle | WS_EX_NOPARENTNOTIFY, item.className.c_str(), item.text.c_str(),
                            item.style | WS_CHILD, at.left, at.top, at.right - at.left, at.bottom - at.top,
                            hDlg, (HMENU)(UINT_PTR)(WORD)item.id, hInstance, nullptr);
        if (control == nullptr && !(parsed.style & DS_NOFAILCREATE)) {
            DestroyWindow(hDlg);
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
    }

    HWND first = GetNextDlgTabItem(hDlg, nullptr, FALSE);
    LRESULT focus = SendMessageA(hDlg, WM_INITDIALOG, (WPARAM)first, param);
    DialogState* dialog = StateOf(hDlg);
    if (dialog == nullptr) return nullptr;  // destroyed while initialising
    dialog->initialized = true;
    if (focus && first != nullptr && IsWindow(first)) FocusControl(first);
    if (parsed.style & WS_VISIBLE) ShowWindow(hDlg, SW_SHOWNORMAL);
    AnnounceDialogShown(hDlg);
    return IsWindow(hDlg) ? hDlg : nullptr;
}

void AnnounceDialogShown(HWND hWnd) {
    DialogState* dialog = StateOf(hWnd);
    if (dialog == nullptr || !dialog->initialized || dialog->shownAnnounced || !IsWindowVisible(hWnd)) return;
    dialog->shownAnnounced = true;
    NotifyDialog(DialogEventKind::Shown, hWnd, dialog->modal);
}

void AnnounceDialogDestroy(HWND hWnd) {
    DialogState* dialog = StateOf(hWnd);
    if (dialog == nullptr || !dialog->initialized || dialog->destroyAnnounced)
        return;  // a half-made one was never a dialog to the user
    dialog->destroyAnnounced = true;
    NotifyDialog(DialogEventKind::Destroyed, hWnd, dialog->modal);
}

void WaitOnHandler(HWND dialog) {
    NotifyDialog(DialogEventKind::Waiting, dialog, true);
    MSG msg;
    DialogState* state = StateOf(dialog);
    if (state != nullptr && !state->ended && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        EndDialog(dialog, IDCANCEL);
}

}  // namespace kiln

using kiln::DialogState;

HWND CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATE lpTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return kiln::CreateDialogWindow(hInstance, lpTemplate, kiln::TemplateExtent(lpTemplate), hWndParent,
                                    lpDialogFunc, dwInitParam, false);
}

HWND CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam) {
    HRSRC found = FindResourceA(hInstance, lpTemplateName, RT_DIALOG);
    if (found == nullptr) return nullptr;
    return kiln::CreateDialogWindow(hInstance, LockResource(LoadResource(hInstance, found)),
                                    SizeofResource(hInstance, found), hWndParent, lpDialogFunc, dwInitParam,
                                    false);
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
    DialogState* dialog = kiln::StateOf(hDlg);
    if (dialog == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    dialog->ended = true;
    dialog->result = nResult;
    ShowWindow(hDlg, SW_HIDE);
    return TRUE;
}

LRESULT DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    kiln::Window* window = kiln::GetWindowRecord(hDlg);
    if (window == nullptr) return 0;
    if (window->extra.size() >= DWLP_USER + sizeof(LONG_PTR)) {
        if (auto proc = (DLGPROC)GetWindowLongPtrA(hDlg, DWLP_DLGPROC)) {
            SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, 0);
            INT_PTR handled = proc(hDlg, Msg, wParam, lParam);
            if (!IsWindow(hDlg)) return handled;
            // WM_INITDIALOG returns the procedure's own result even when FALSE: the procedure has
            // then placed the focus itself.
            if (Msg == WM_INITDIALOG) return handled;
            if (handled) {
                // These messages return the procedure's own result; the others DWLP_MSGRESULT.
                if (Msg == WM_CTLCOLORSTATIC) return handled;
                return GetWindowLongPtrA(hDlg, DWLP_MSGRESULT);
            }
        }
    }
    DialogState* dialog = kiln::StateOf(hDlg);
    switch (Msg) {
    case WM_CLOSE:
        SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(hDlg, IDCANCEL));
        return 0;
    case DM_GETDEFID:
        if (dialog != nullptr && dialog->defId != 0) return MAKELRESULT(dialog->defId, DC_HASDEFID);
        for (HWND child = GetWindow(hDlg, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            if (SendMessageA(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
                return MAKELRESULT(GetDlgCtrlID(child), DC_HASDEFID);
        return 0;
    case DM_SETDEFID:
        if (dialog == nullptr) return FALSE;
        for (HWND child = GetWindow(hDlg, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            LRESULT code = SendMessageA(child, WM_GETDLGCODE, 0, 0);
            if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))
                SendMessageA(child, BM_SETSTYLE,
                             GetDlgCtrlID(child) == (int)wParam ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        }
        dialog->defId = (WORD)wParam;
        return TRUE;
    case WM_INITDIALOG: return TRUE;  // a dialog without a procedure focuses its first control
    }
    return DefWindowProcA(hDlg, Msg, wParam, lParam);
}

HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    if (kiln::GetWindowRecord(hDlg) == nullptr) return nullptr;
    std::vector<HWND> stops;
    for (HWND child = GetWindow(hDlg, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED)) stops.push_back(child);
    }
    if (stops.empty()) return hCtl;
    auto at = std::find(stops.begin(), stops.end(), hCtl);
    if (at == stops.end()) return bPrevious ? stops.back() : stops.front();
    if (bPrevious) return at == stops.begin() ? stops.back() : *(at - 1);
    return at + 1 == stops.end() ? stops.front() : *(at + 1);
}

BOOL IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    if (lpMsg == nullptr || kiln::LookupWindow(hDlg) == nullptr) return FALSE;
    if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd)) return FALSE;
    const bool input = (lpMsg->message >= WM_KEYFIRST && lpMsg->message <= WM_KEYLAST) ||
                       (lpMsg->message >= WM_MOUSEFIRST && lpMsg->message <= WM_MOUSELAST);
    if (input && !kiln::TakesInput(lpMsg->hwnd)) return TRUE;  // a disabled window takes no input
    if (lpMsg->message == WM_KEYDOWN) {
        const LRESULT code = SendMessageA(lpMsg->hwnd, WM_GETDLGCODE, lpMsg->wParam, (LPARAM)lpMsg);
        switch (lpMsg->wParam) {
        case VK_TAB:
            if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) break;
            if (HWND next = GetNextDlgTabItem(hDlg, GetFocus(), GetKeyState(VK_SHIFT) < 0))
                kiln::FocusControl(next);
            return TRUE;
        case VK_RETURN: {
            if (code & DLGC_WANTALLKEYS) break;
            HWND button = (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) ? lpMsg->hwnd
                                                                               : kiln::DefaultButton(hDlg);
            int id = button != nullptr ? GetDlgCtrlID(button) : IDOK;
            if (button == nullptr || kiln::TakesInput(button))
                SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
            return TRUE;
        }
        case VK_ESCAPE: {
            if (code & DLGC_WANTALLKEYS) break;
            HWND cancel = GetDlgItem(hDlg, IDCANCEL);
            if (cancel == nullptr || kiln::TakesInput(cancel))
                SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)cancel);
            return TRUE;
        }
        }
    }
    TranslateMessage(lpMsg);
    DispatchMessageA(lpMsg);
    return TRUE;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    if (kiln::GetWindowRecord(hDlg) == nullptr) return nullptr;
    for (HWND child = GetWindow(hDlg, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == nIDDlgItem) return child;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int GetDlgCtrlID(HWND hWnd) {
    kiln::Window* window = kiln::GetWindowRecord(hWnd);
    return window != nullptr && (window->style & WS_CHILD) ? (int)window->id : 0;
}

LRESULT SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    return control != nullptr ? SendMessageA(control, Msg, wParam, lParam) : 0;
}

BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    return control != nullptr && SetWindowTextA(control, lpString);
}

UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    if (control == nullptr) {
        if (lpString != nullptr && cchMax > 0) lpString[0] = '\0';
        return 0;
    }
    return (UINT)GetWindowTextA(control, lpString, cchMax);
}

BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
    char text[16];
    std::snprintf(text, sizeof text, bSigned ? "%d" : "%u", bSigned ? (int)uValue : uValue);
    return SetDlgItemTextA(hDlg, nIDDlgItem, text);
}

UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
    if (lpTranslated != nullptr) *lpTranslated = FALSE;
    char text[64];
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    if (control == nullptr || GetWindowTextLengthA(control) >= (int)sizeof text) return 0;
    GetWindowTextA(control, text, sizeof text);
    const char* at = text;
    while (*at == ' ' || *at == '\t') ++at;
    const bool negative = bSigned && *at == '-';
    if (negative || (bSigned && *at == '+')) ++at;
    if (!std::isdigit((unsigned char)*at)) return 0;
    long long value = 0;
    for (; std::isdigit((unsigned char)*at); ++at) {
        value = value * 10 + (*at - '0');
        if (value > 0xFFFFFFFFLL) return 0;
    }
    while (*at == ' ' || *at == '\t') ++at;
    if (*at != '\0') return 0;
    if (negative) value = -value;
    if (bSigned ? (value < INT_MIN || value > INT_MAX) : value > (long long)UINT_MAX) return 0;
    if (lpTranslated != nullptr) *lpTranslated = TRUE;
    return (UINT)value;
}

BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND button = GetDlgItem(hDlg, nIDButton);
    if (button == nullptr) return FALSE;
    SendMessageA(button, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    return (UINT)SendDlgItemMessageA(hDlg, nIDButton, BM_GETCHECK, 0, 0);
}

BOOL MapDialogRect(HWND hDlg, LPRECT lpRect) {
    if (kiln::StateOf(hDlg) == nullptr || lpRect == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *lpRect = kiln::DialogUnitsToPixels((short)lpRect->left, (short)lpRect->top,
                                        (short)(lpRect->right - lpRect->left),
                                        (short)(lpRect->bottom - lpRect->top));
    return TRUE;
}

LONG GetDialogBaseUnits() { return MAKELONG(8, 16); }
