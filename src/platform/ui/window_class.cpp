#include "platform/ui/window_class.h"

#include <mutex>
#include <vector>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/text/mbcs.h>
#include <kiln/platform/ui/controls.h>
#include <kiln/platform/ui/dialog_box.h>

#include "platform/ui/window_table.h"

namespace kiln {

namespace {

struct ClassRegistry {
    std::mutex mutex;
    std::vector<std::shared_ptr<WindowClass>> classes;
    ATOM nextAtom = 0xC000;
};

std::shared_ptr<WindowClass> MakeClass(const char* name, ATOM atom, WNDPROC proc, int extra) {
    auto made = std::make_shared<WindowClass>();
    made->name = name;
    made->atom = atom;
    made->builtIn = true;
    made->attributes.style = CS_GLOBALCLASS;
    made->attributes.lpfnWndProc = proc;
    made->attributes.cbWndExtra = extra;
    made->attributes.lpszClassName = made->name.c_str();
    return made;
}

ClassRegistry& Classes() {
    static ClassRegistry* registry = [] {
        auto* made = new ClassRegistry;
        // The predefined atoms are those of dialog templates' class ordinals.
        made->classes = {MakeClass("Button", 0x0080, ButtonProc, 0),
                         MakeClass("Edit", 0x0081, EditProc, 0),
                         MakeClass("Static", 0x0082, StaticProc, 0),
                         MakeClass("ListBox", 0x0083, ListBoxProc, 0),
                         MakeClass("#32770", 0x8002, DefDlgProcA, DLGWINDOWEXTRA),
                         MakeClass(PROGRESS_CLASS, 0xC000 - 2, ProgressProc, 0),
                         MakeClass("MDIClient", 0xC000 - 1, DefWindowProcA, 0)};
        return made;
    }();
    return *registry;
}

bool SameName(const std::string& a, LPCSTR b) { return _mbsicmp(a.c_str(), b) == 0; }

bool Names(const WindowClass& candidate, LPCSTR name) {
    return IS_INTRESOURCE(name) ? candidate.atom == (ATOM)(ULONG_PTR)name : SameName(candidate.name, name);
}

// Under the registry's lock.
std::shared_ptr<WindowClass> Find(ClassRegistry& registry, LPCSTR name, HINSTANCE hInstance, bool exact) {
    std::shared_ptr<WindowClass> fallback;
    for (const auto& candidate : registry.classes) {
        if (!Names(*candidate, name)) continue;
        if (candidate->attributes.hInstance == hInstance) return candidate;
        if (exact) continue;
        if (candidate->builtIn || (candidate->attributes.style & CS_GLOBALCLASS) != 0 || hInstance == nullptr)
            fallback = candidate;
    }
    return fallback;
}

}  // namespace

void NotifyParent(HWND control, WORD code) {
    Window* window = LookupWindow(control);
    if (window == nullptr || window->parent == nullptr) return;
    SendMessageA(window->parent, WM_COMMAND, MAKEWPARAM((WORD)window->id, code), (LPARAM)control);
}

bool TakesInput(HWND hWnd) {
    Window* window = LookupWindow(hWnd);
    if (window == nullptr) return false;
    for (; window != nullptr; window = LookupWindow(window->parent))
        if (window->style & WS_DISABLED) return false;
    return true;
}

std::shared_ptr<const WindowClass> FindWindowClass(LPCSTR name, HINSTANCE hInstance) {
    if (name == nullptr) return nullptr;
    ClassRegistry& registry = Classes();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return Find(registry, name, hInstance, false);
}

}  // namespace kiln

ATOM RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (lpWndClass == nullptr || lpWndClass->lpszClassName == nullptr || lpWndClass->lpfnWndProc == nullptr ||
        IS_INTRESOURCE(lpWndClass->lpszClassName) || lpWndClass->cbWndExtra < 0 ||
        lpWndClass->cbWndExtra > 40000) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    kiln::ClassRegistry& registry = kiln::Classes();
    std::lock_guard<std::mutex> lock(registry.mutex);
    if (auto existing = kiln::Find(registry, lpWndClass->lpszClassName, lpWndClass->hInstance, true);
        existing && !existing->builtIn) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto made = std::make_shared<kiln::WindowClass>();
    made->name = lpWndClass->lpszClassName;
    made->atom = registry.nextAtom++;
    made->attributes = *lpWndClass;
    made->attributes.lpszClassName = made->name.c_str();
    made->attributes.lpszMenuName = nullptr;  // a menu name is not kept beyond the call
    registry.classes.push_back(made);
    return made->atom;
}

BOOL UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
    kiln::ClassRegistry& registry = kiln::Classes();
    std::lock_guard<std::mutex> lock(registry.mutex);
    for (auto it = registry.classes.begin(); it != registry.classes.end(); ++it) {
        const kiln::WindowClass& candidate = **it;
        if (candidate.builtIn || candidate.attributes.hInstance != hInstance ||
            !kiln::Names(candidate, lpClassName))
            continue;
        if (it->use_count() > 1) {  // windows of the class hold it
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
        registry.classes.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

BOOL GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass) {
    std::shared_ptr<const kiln::WindowClass> found = kiln::FindWindowClass(lpClassName, hInstance);
    if (!found || (!found->builtIn && found->attributes.hInstance != hInstance &&
                   (found->attributes.style & CS_GLOBALCLASS) == 0)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (lpWndClass != nullptr) *lpWndClass = found->attributes;
    return TRUE;
}

int GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    kiln::Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr) return 0;
    if (lpClassName == nullptr || nMaxCount <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::string& name = window->windowClass->name;
    size_t length = std::min(name.size(), (size_t)nMaxCount - 1);
    name.copy(lpClassName, length);
    lpClassName[length] = '\0';
    return (int)length;
}
