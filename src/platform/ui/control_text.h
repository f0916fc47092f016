// Reading what a dialog shows, for the front ends.
#pragma once

#include <string>

#include <kiln/platform/ui/dialog_box.h>

namespace kiln {

// The window's text (code page 932); empty for a window that does not exist.
inline std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text((size_t)length + 1, '\0');
    text.resize((size_t)GetWindowTextA(window, text.data(), length + 1));
    return text;
}

// The window's own style bits.
inline DWORD StyleOf(HWND window) { return (DWORD)GetWindowLongPtrA(window, GWL_STYLE); }

}  // namespace kiln
