#include <kiln/platform/ui/dialog_box.h>

#include <kiln/platform/runtime/resources.h>

#include "platform/ui/dialog_manager.h"
#include "platform/ui/parsed_template.h"

namespace kiln {

namespace {

// The dialog manager's modal loop: shows the dialog when the queue first idles, tells the owner it
// idles (WM_ENTERIDLE), asks the dialog handler when there is nothing to do, and pumps messages
// through IsDialogMessageA until EndDialog. A WM_QUIT ends the loop and is posted again.
INT_PTR RunDialog(HWND hDlg, HWND owner) {
    constexpr WPARAM kMsgfDialogBox = 0;
    MSG msg;
    for (;;) {
        DialogState* state = ControlOf<DialogState>(hDlg);
        if (state == nullptr) return -1;  // destroyed without EndDialog
        if (state->ended) return state->result;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!IsWindowVisible(hDlg)) ShowWindow(hDlg, SW_SHOWNORMAL);
            if (owner != nullptr) SendMessageA(owner, WM_ENTERIDLE, kMsgfDialogBox, (LPARAM)hDlg);
            if ((state = ControlOf<DialogState>(hDlg)) == nullptr || state->ended) continue;
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
                WaitOnHandler(hDlg);
                continue;
            }
        }
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            if (msg.message == WM_QUIT) PostQuitMessage((int)msg.wParam);
            return -1;
        }
        if (!IsDialogMessageA(hDlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

INT_PTR RunModal(HINSTANCE hInstance, const void* dialogTemplate, size_t size, HWND hWndParent, DLGPROC proc,
                 LPARAM param) {
    HWND owner = hWndParent != nullptr ? GetAncestor(hWndParent, GA_ROOT) : nullptr;
    if (hWndParent != nullptr && owner == nullptr) return 0;  // a bad parent handle
    const bool disabled = owner != nullptr && IsWindowEnabled(owner);
    if (disabled) EnableWindow(owner, FALSE);
    HWND hDlg = CreateDialogWindow(hInstance, dialogTemplate, size, owner, proc, param, true);
    INT_PTR result = hDlg != nullptr ? RunDialog(hDlg, owner) : -1;
    if (disabled) EnableWindow(owner, TRUE);
    if (hDlg != nullptr && GetActiveWindow() == hDlg && owner != nullptr) SetActiveWindow(owner);
    if (IsWindow(hDlg)) DestroyWindow(hDlg);
    return result;
}

}  // namespace

}  // namespace kiln

INT_PTR DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATE hDialogTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return kiln::RunModal(hInstance, hDialogTemplate, kiln::TemplateExtent(hDialogTemplate), hWndParent,
                          lpDialogFunc, dwInitParam);
}

INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam) {
    HRSRC found = FindResourceA(hInstance, lpTemplateName, RT_DIALOG);
    if (found == nullptr) return -1;
    return kiln::RunModal(hInstance, LockResource(LoadResource(hInstance, found)),
                          SizeofResource(hInstance, found), hWndParent, lpDialogFunc, dwInitParam);
}
