#include <kiln/platform/ui/window.h>

#include <cstring>

#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/text/mbcs.h>

#include "platform/ui/window_table.h"

namespace kiln {

// Copies text into a WM_GETTEXT buffer of `size` bytes, never splitting a double-byte character.
LRESULT CopyTextOut(const std::string& text, WPARAM size, LPARAM buffer) {
    char* out = (char*)buffer;
    if (out == nullptr || size == 0) return 0;
    size_t length = FittingLength(text, (size_t)size - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
    return (LRESULT)length;
}

}  // namespace kiln

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    kiln::Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr) return 0;
    switch (Msg) {
    case WM_NCCREATE: {
        auto* cs = (const CREATESTRUCTA*)lParam;
        if (cs != nullptr && cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName))
            window->text = cs->lpszName;
        return TRUE;
    }
    case WM_SETTEXT:
        window->text = lParam != 0 ? (const char*)lParam : "";
        InvalidateRect(hWnd, nullptr, TRUE);
        return TRUE;
    case WM_GETTEXT: return kiln::CopyTextOut(window->text, wParam, lParam);
    case WM_GETTEXTLENGTH: return (LRESULT)window->text.size();
    case WM_CLOSE: DestroyWindow(hWnd); return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hWnd, &paint);
        EndPaint(hWnd, &paint);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    }
    return 0;
}
