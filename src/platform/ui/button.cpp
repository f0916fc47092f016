#include <kiln/platform/ui/controls.h>
#include <kiln/platform/ui/dialog_box.h>

#include "platform/ui/window_class.h"
#include "platform/ui/window_table.h"

namespace kiln {

namespace {

struct ButtonState : ControlState {
    UINT check = BST_UNCHECKED;
    bool pushed = false;
};

DWORD Kind(HWND hWnd) { return (DWORD)GetWindowLongPtrA(hWnd, GWL_STYLE) & BS_TYPEMASK; }

bool Checkable(DWORD kind) {
    return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON || kind == BS_3STATE ||
           kind == BS_AUTO3STATE || kind == BS_AUTORADIOBUTTON;
}

// Unchecks the other automatic radio buttons of the button's group (the run of siblings between
// WS_GROUP controls).
void UncheckGroup(HWND button) {
    HWND first = button;
    while (!(GetWindowLongPtrA(first, GWL_STYLE) & WS_GROUP)) {
        HWND previous = GetWindow(first, GW_HWNDPREV);
        if (previous == nullptr) break;
        first = previous;
    }
    for (HWND sibling = first; sibling != nullptr; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling != first && (GetWindowLongPtrA(sibling, GWL_STYLE) & WS_GROUP)) break;
        if (sibling != button && Kind(sibling) == BS_AUTORADIOBUTTON)
            if (auto* other = ControlOf<ButtonState>(sibling)) other->check = BST_UNCHECKED;
    }
}

void Click(HWND hWnd) {
    if (!TakesInput(hWnd)) return;
    if (auto* state = ControlOf<ButtonState>(hWnd)) {
        switch (Kind(hWnd)) {
        case BS_AUTOCHECKBOX: state->check = state->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED; break;
        case BS_AUTO3STATE: state->check = (state->check + 1) % 3; break;
        case BS_AUTORADIOBUTTON:
            UncheckGroup(hWnd);
            state->check = BST_CHECKED;
            break;
        }
    }
    NotifyParent(hWnd, BN_CLICKED);
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = LookupWindow(hWnd);
    if (window == nullptr) return 0;
    if (message == WM_NCCREATE) window->control = std::make_unique<ButtonState>();
    auto* state = ControlOf<ButtonState>(window);
    if (state == nullptr) return DefWindowProcA(hWnd, message, wParam, lParam);
    switch (message) {
    case BM_GETCHECK: return Checkable(Kind(hWnd)) ? state->check : BST_UNCHECKED;
    case BM_SETCHECK:
        if (Checkable(Kind(hWnd)))
            state->check = (UINT)wParam <= BST_INDETERMINATE ? (UINT)wParam : BST_CHECKED;
        return 0;
    case BM_GETSTATE:
        return state->check | (state->pushed ? BST_PUSHED : 0) | (GetFocus() == hWnd ? BST_FOCUS : 0);
    case BM_SETSTATE: state->pushed = wParam != 0; return 0;
    case BM_SETSTYLE:
        window->style = (window->style & ~0xFFFFu) | (WORD)wParam;
        if (lParam) InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    case BM_CLICK:
    case WM_LBUTTONUP: Click(hWnd); return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) Click(hWnd);
        return 0;
    case WM_GETDLGCODE:
        switch (Kind(hWnd)) {
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        }
        return DLGC_BUTTON;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace kiln
