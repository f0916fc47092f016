#include <kiln/platform/ui/controls.h>
#include <kiln/platform/ui/dialog_box.h>

#include "platform/ui/window_class.h"

namespace kiln {

// A static control only shows its text; an icon static names a resource, not a text.
LRESULT CALLBACK StaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETDLGCODE) return DLGC_STATIC;
    if (message == WM_NCCREATE && (GetWindowLongPtrA(hWnd, GWL_STYLE) & 0x1F) == SS_ICON) return TRUE;
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace kiln
