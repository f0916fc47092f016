// Window classes: the process's registered classes and the built-in ones.
#pragma once

#include <memory>
#include <string>

#include <kiln/platform/ui/window.h>

namespace kiln {

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    WNDCLASSA attributes{};  // lpszClassName points at name
    bool builtIn = false;
};

// The class named by a name or an atom: one registered for hInstance, else a built-in or global one,
// else (hInstance null) any. Null when there is none.
std::shared_ptr<const WindowClass> FindWindowClass(LPCSTR name, HINSTANCE hInstance);

// The procedures of the built-in classes.
LRESULT CALLBACK ButtonProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EditProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ProgressProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kiln

namespace kiln {

// Tells a control's parent about a change: WM_COMMAND with MAKEWPARAM(id, code) and the control.
void NotifyParent(HWND control, WORD code);
// FALSE when the window or one of its ancestors is disabled: such a window takes no input.
bool TakesInput(HWND hWnd);

}  // namespace kiln
