#include <kiln/platform/ui/window.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/runtime/system.h>
#include <kiln/platform/text/mbcs.h>

#include "platform/runtime/hot_thread_local.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/thread_queue.h"
#include "platform/ui/window_class.h"
#include "platform/ui/window_table.h"

namespace kiln {

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kMinimizedWidth = 160;
constexpr int kMinimizedHeight = 28;
// Stands for the screen: outside the table's handle space (no generation), never destroyed.
const HWND kDesktop = (HWND)(uintptr_t)0xFFFFFFF0u;

std::atomic<void (*)(HWND)> g_creationHook{nullptr};

// The window if it is live and belongs to the calling thread; the last error says why not.
Window* OwnWindow(HWND hWnd) {
    Window* window = GetWindowRecord(hWnd);
    if (window != nullptr && window->threadId != ThisThreadId()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return nullptr;
    }
    return window;
}

// SendMessageA for a window that is not plainly a live window of this thread (or a thread whose id
// is not cached yet); kept apart so that the common case needs no stack frame.
[[gnu::noinline]] LRESULT SendTheLongWay(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window* window = OwnWindow(hWnd);
    return window != nullptr ? window->proc(hWnd, Msg, wParam, lParam) : 0;
}

// The origin of the window's client area on the screen.
POINT ClientOrigin(const Window* window) {
    POINT origin{0, 0};
    for (; window != nullptr; window = LookupWindow(window->parent)) {
        origin.x += window->rect.left;
        origin.y += window->rect.top;
    }
    return origin;
}

std::vector<HWND>& SiblingList(Window* window) {
    if (Window* parent = LookupWindow(window->parent)) return parent->children;
    return OwnWindows().topLevel;
}

void Unlink(Window* window) {
    std::vector<HWND>& siblings = SiblingList(window);
    std::erase(siblings, window->handle);
}

void MarkForPaint(Window* window) {
    if (window->updatePending) return;
    window->updatePending = true;
    OwnWindows().needPaint.push_back(window->handle);
}

// Moves or sizes the window's rectangle and tells it (WM_MOVE, WM_SIZE in client coordinates).
void Place(Window* window, const RECT& rect) {
    const HWND hWnd = window->handle;
    const bool moved = rect.left != window->rect.left || rect.top != window->rect.top;
    const bool sized = rect.right - rect.left != window->rect.right - window->rect.left ||
                       rect.bottom - rect.top != window->rect.bottom - window->rect.top;
    window->rect = rect;
    if (!moved && !sized) return;
    SendMessageA(hWnd, WM_WINDOWPOSCHANGED, 0, 0);
    if (moved) SendMessageA(hWnd, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
    if (sized && (window = LookupWindow(hWnd)) != nullptr) {
        WPARAM kind = (window->style & WS_MINIMIZE) ? 1 : (window->style & WS_MAXIMIZE) ? 2 : 0;
        SendMessageA(hWnd, WM_SIZE, kind, MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
    }
    if ((window = LookupWindow(hWnd)) != nullptr) MarkForPaint(window);
}

RECT MaximizedRect(const Window* window) {
    if (Window* parent = LookupWindow(window->parent))
        return RECT{0, 0, parent->rect.right - parent->rect.left, parent->rect.bottom - parent->rect.top};
    return RECT{0, 0, kScreenWidth, kScreenHeight};
}

RECT MinimizedRect(const Window* window) {
    POINT at = window->minPosition;
    if (at.x == -1 && at.y == -1) at = POINT{0, kScreenHeight - kMinimizedHeight};
    return RECT{at.x, at.y, at.x + kMinimizedWidth, at.y + kMinimizedHeight};
}

void SetVisible(Window* window, bool visible) {
    if (((window->style & WS_VISIBLE) != 0) == visible) return;
    const HWND hWnd = window->handle;
    SendMessageA(hWnd, WM_SHOWWINDOW, visible, 0);
    if ((window = LookupWindow(hWnd)) == nullptr) return;
    if (visible) {
        window->style |= WS_VISIBLE;
        MarkForPaint(window);
        AnnounceDialogShown(hWnd);
    } else {
        window->style &= ~WS_VISIBLE;
    }
}

}  // namespace

constinit KILN_HOT_THREAD_LOCAL DWORD t_threadId = 0;

DWORD ThisThreadId() {
    if (t_threadId == 0) t_threadId = GetCurrentThreadId();
    return t_threadId;
}

void SetWindowCreationHook(void (*hook)(HWND)) { g_creationHook.store(hook); }

}  // namespace kiln

using kiln::Window;

HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                     LPVOID lpParam) {
    std::shared_ptr<const kiln::WindowClass> windowClass = kiln::FindWindowClass(lpClassName, hInstance);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const bool child = (dwStyle & WS_CHILD) != 0;
    if (hWndParent == kiln::kDesktop || hWndParent == HWND_MESSAGE) hWndParent = nullptr;
    if (child && hWndParent == nullptr) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (hWndParent != nullptr && kiln::OwnWindow(hWndParent) == nullptr) return nullptr;
    kiln::EnsureThreadQueue();

    auto record = std::make_unique<Window>();
    record->windowClass = windowClass;
    record->proc = windowClass->attributes.lpfnWndProc;
    record->style = dwStyle & ~WS_VISIBLE;
    record->exStyle = dwExStyle;
    record->instance = hInstance;
    record->extra.assign((size_t)windowClass->attributes.cbWndExtra, 0);
    if (child) {
        record->parent = hWndParent;
        record->id = (LONG_PTR)hMenu;
    } else {
        record->owner = hWndParent != nullptr ? GetAncestor(hWndParent, GA_ROOT) : nullptr;
        record->menu = hMenu;
    }
    if (!child && X == CW_USEDEFAULT) X = Y = 0;
    if (!child && nWidth == CW_USEDEFAULT) {
        nWidth = kiln::kScreenWidth * 3 / 4;
        nHeight = kiln::kScreenHeight * 3 / 4;
    }
    if (X == CW_USEDEFAULT) X = Y = 0;
    if (nWidth == CW_USEDEFAULT) nWidth = nHeight = 0;
    record->rect = RECT{X, Y, X + std::max(nWidth, 0), Y + std::max(nHeight, 0)};
    record->normalRect = record->rect;

    Window* window = record.get();
    HWND hWnd = kiln::AddWindow(std::move(record), kiln::ThisThreadId());
    if (hWnd == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    kiln::SiblingList(window).push_back(hWnd);
    if (auto hook = kiln::g_creationHook.load()) hook(hWnd);

    CREATESTRUCTA cs{lpParam,      hInstance,   hMenu,    hWndParent,    nHeight,
                     nWidth,       Y,           X,        (LONG)dwStyle,  //
                     lpWindowName, lpClassName, dwExStyle};
    if (!SendMessageA(hWnd, WM_NCCREATE, 0, (LPARAM)&cs) ||
        SendMessageA(hWnd, WM_CREATE, 0, (LPARAM)&cs) == -1) {
        DestroyWindow(hWnd);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (!IsWindow(hWnd)) return nullptr;
    if (child && !(dwExStyle & WS_EX_NOPARENTNOTIFY))
        SendMessageA(hWndParent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, (WORD)(UINT_PTR)hMenu), (LPARAM)hWnd);
    if (dwStyle & WS_VISIBLE) ShowWindow(hWnd, SW_SHOW);
    return IsWindow(hWnd) ? hWnd : nullptr;
}

BOOL DestroyWindow(HWND hWnd) {
    Window* window = kiln::OwnWindow(hWnd);
    if (window == nullptr || window->destroying) return FALSE;
    kiln::AnnounceDialogDestroy(hWnd);
    if ((window = kiln::LookupWindow(hWnd)) == nullptr || window->destroying) return TRUE;
    window->destroying = true;
    window->style &= ~WS_VISIBLE;

    // Owned windows go first, then the window itself: WM_DESTROY on the way down the tree,
    // WM_NCDESTROY on the way back up.
    std::vector<HWND> owned;
    for (HWND top : kiln::OwnWindows().topLevel)
        if (Window* other = kiln::LookupWindow(top); other != nullptr && other->owner == hWnd)
            owned.push_back(top);
    for (HWND top : owned) DestroyWindow(top);

    SendMessageA(hWnd, WM_DESTROY, 0, 0);
    if ((window = kiln::LookupWindow(hWnd)) == nullptr) return TRUE;
    std::vector<HWND> children = window->children;
    for (auto it = children.rbegin(); it != children.rend(); ++it) DestroyWindow(*it);
    SendMessageA(hWnd, WM_NCDESTROY, 0, 0);
    if ((window = kiln::LookupWindow(hWnd)) == nullptr) return TRUE;

    kiln::ThreadWindows& own = kiln::OwnWindows();
    if (own.focus == hWnd) own.focus = nullptr;
    if (own.active == hWnd) own.active = nullptr;
    kiln::Unlink(window);
    kiln::PurgeWindowMessages(hWnd);
    kiln::RemoveWindow(hWnd);
    return TRUE;
}

BOOL IsWindow(HWND hWnd) { return kiln::LookupWindow(hWnd) != nullptr; }

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    // A live window of this thread goes straight to its procedure; anything else takes the long
    // way, which says in the last error what was wrong.
    Window* window = kiln::LookupWindow(hWnd);
    if (window != nullptr && window->threadId == kiln::t_threadId) [[likely]] {
        kiln::t_sent = kiln::SentWindow{hWnd, window};
        return window->proc(hWnd, Msg, wParam, lParam);
    }
    return kiln::SendTheLongWay(hWnd, Msg, wParam, lParam);
}

LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return lpPrevWndFunc != nullptr ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
    Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr) return 0;
    switch (nIndex) {
    case GWLP_WNDPROC: return (LONG_PTR)window->proc;
    case GWLP_HINSTANCE: return (LONG_PTR)window->instance;
    case GWLP_HWNDPARENT: return (LONG_PTR)(window->parent != nullptr ? window->parent : window->owner);
    case GWLP_ID: return window->id;
    case GWL_STYLE: return (LONG_PTR)(LONG)window->style;
    case GWL_EXSTYLE: return (LONG_PTR)(LONG)window->exStyle;
    case GWLP_USERDATA: return window->userData;
    }
    if (nIndex < 0 || (size_t)nIndex + sizeof(LONG_PTR) > window->extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    LONG_PTR value;
    std::memcpy(&value, window->extra.data() + nIndex, sizeof value);
    return value;
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    Window* window = kiln::OwnWindow(hWnd);
    if (window == nullptr) return 0;
    LONG_PTR previous = GetWindowLongPtrA(hWnd, nIndex);
    switch (nIndex) {
    case GWLP_WNDPROC: window->proc = (WNDPROC)dwNewLong; break;
    case GWLP_HINSTANCE: window->instance = (HINSTANCE)dwNewLong; break;
    case GWLP_HWNDPARENT:
        if (window->parent == nullptr) window->owner = (HWND)dwNewLong;
        break;
    case GWLP_ID: window->id = dwNewLong; break;
    case GWL_STYLE: window->style = (DWORD)dwNewLong; break;
    case GWL_EXSTYLE: window->exStyle = (DWORD)dwNewLong; break;
    case GWLP_USERDATA: window->userData = dwNewLong; break;
    default:
        if (nIndex < 0 || (size_t)nIndex + sizeof(LONG_PTR) > window->extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        std::memcpy(window->extra.data() + nIndex, &dwNewLong, sizeof dwNewLong);
    }
    return previous;
}

HWND GetParent(HWND hWnd) {
    Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr) return nullptr;
    return (window->style & WS_CHILD) ? window->parent : window->owner;
}

HWND SetParent(HWND hWndChild, HWND hWndNewParent) {
    Window* window = kiln::OwnWindow(hWndChild);
    if (window == nullptr) return nullptr;
    if (hWndNewParent == kiln::kDesktop) hWndNewParent = nullptr;
    if (hWndNewParent != nullptr && (kiln::OwnWindow(hWndNewParent) == nullptr ||
                                     hWndNewParent == hWndChild || IsChild(hWndChild, hWndNewParent)))
        return nullptr;
    HWND previous = window->parent != nullptr ? window->parent : kiln::kDesktop;
    kiln::Unlink(window);
    window->parent = hWndNewParent;
    kiln::SiblingList(window).push_back(hWndChild);
    return previous;
}

HWND GetWindow(HWND hWnd, UINT uCmd) {
    Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr) return nullptr;
    if (uCmd == GW_OWNER) return window->owner;
    if (uCmd == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
    const std::vector<HWND>& siblings = kiln::SiblingList(window);
    auto at = std::find(siblings.begin(), siblings.end(), hWnd);
    switch (uCmd) {
    case GW_HWNDFIRST: return siblings.front();
    case GW_HWNDLAST: return siblings.back();
    case GW_HWNDNEXT: return at + 1 < siblings.end() ? *(at + 1) : nullptr;
    case GW_HWNDPREV: return at > siblings.begin() ? *(at - 1) : nullptr;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HWND GetAncestor(HWND hwnd, UINT gaFlags) {
    Window* window = kiln::GetWindowRecord(hwnd);
    if (window == nullptr) return nullptr;
    if (gaFlags == GA_PARENT) return window->parent != nullptr ? window->parent : kiln::kDesktop;
    while (Window* parent = kiln::LookupWindow(window->parent)) window = parent;
    if (gaFlags == GA_ROOTOWNER)
        while (Window* owner = kiln::LookupWindow(window->owner)) window = owner;
    return window->handle;
}

HWND GetTopWindow(HWND hWnd) {
    if (hWnd == nullptr || hWnd == kiln::kDesktop) {
        const std::vector<HWND>& top = kiln::OwnWindows().topLevel;
        return top.empty() ? nullptr : top.front();
    }
    return GetWindow(hWnd, GW_CHILD);
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
    if (hWndParent == nullptr || hWndParent == hWnd) return FALSE;
    return kiln::LookupWindow(hWnd) != nullptr && kiln::FilterAdmits(hWndParent, hWnd);
}

HWND GetDesktopWindow() { return kiln::kDesktop; }

namespace {

bool EnumDescendants(HWND hWnd, WNDENUMPROC proc, LPARAM lParam) {
    Window* window = kiln::LookupWindow(hWnd);
    if (window == nullptr) return true;
    std::vector<HWND> children = window->children;
    for (HWND child : children) {
        if (!kiln::LookupWindow(child)) continue;
        if (!proc(child, lParam) || !EnumDescendants(child, proc, lParam)) return false;
    }
    return true;
}

}  // namespace

BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    if (lpEnumFunc == nullptr || kiln::GetWindowRecord(hWndParent) == nullptr) return FALSE;
    return EnumDescendants(hWndParent, lpEnumFunc, lParam);
}

HWND GetLastActivePopup(HWND hWnd) {
    if (kiln::GetWindowRecord(hWnd) == nullptr) return nullptr;
    HWND active = kiln::OwnWindows().active;
    Window* window = kiln::LookupWindow(active);
    return window != nullptr && window->owner == hWnd && (window->style & WS_VISIBLE) ? active : hWnd;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
    Window* window = kiln::OwnWindow(hWnd);
    if (window == nullptr) return FALSE;
    const BOOL wasDisabled = (window->style & WS_DISABLED) != 0;
    if (wasDisabled == !bEnable) return wasDisabled;
    if (bEnable) {
        window->style &= ~WS_DISABLED;
    } else {
        window->style |= WS_DISABLED;
        kiln::ThreadWindows& own = kiln::OwnWindows();
        if (own.focus == hWnd || IsChild(hWnd, own.focus)) SetFocus(nullptr);
    }
    SendMessageA(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd) {
    Window* window = kiln::GetWindowRecord(hWnd);
    return window != nullptr && !(window->style & WS_DISABLED);
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    Window* window = kiln::OwnWindow(hWnd);
    if (window == nullptr) return FALSE;
    const BOOL wasVisible = (window->style & WS_VISIBLE) != 0;
    const bool minimized = (window->style & WS_MINIMIZE) != 0, maximized = (window->style & WS_MAXIMIZE) != 0;
    if (!minimized && !maximized) window->normalRect = window->rect;
    switch (nCmdShow) {
    case SW_HIDE: kiln::SetVisible(window, false); return wasVisible;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        window->restoreToMaximized = maximized;
        window->style = (window->style & ~WS_MAXIMIZE) | WS_MINIMIZE;
        kiln::Place(window, kiln::MinimizedRect(window));
        break;
    case SW_SHOWMAXIMIZED:
        window->style = (window->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
        kiln::Place(window, kiln::MaximizedRect(window));
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
        if (minimized && window->restoreToMaximized && nCmdShow == SW_RESTORE) {
            window->style = (window->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
            kiln::Place(window, kiln::MaximizedRect(window));
        } else if (minimized || maximized) {
            window->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
            kiln::Place(window, window->normalRect);
        }
        break;
    default:  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE keep the size state
        break;
    }
    if ((window = kiln::LookupWindow(hWnd)) == nullptr) return wasVisible;
    kiln::SetVisible(window, true);
    const bool activate = nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE &&
                          nCmdShow != SW_SHOWMINNOACTIVE && nCmdShow != SW_MINIMIZE;
    if (activate && (window = kiln::LookupWindow(hWnd)) != nullptr && !(window->style & WS_CHILD))
        SetActiveWindow(hWnd);
    return wasVisible;
}

BOOL IsWindowVisible(HWND hWnd) {
    Window* window = kiln::LookupWindow(hWnd);
    if (window == nullptr) return FALSE;
    for (; window != nullptr; window = kiln::LookupWindow(window->parent))
        if (!(window->style & WS_VISIBLE)) return FALSE;
    return TRUE;
}

BOOL IsZoomed(HWND hWnd) {
    Window* window = kiln::GetWindowRecord(hWnd);
    return window != nullptr && (window->style & WS_MAXIMIZE) != 0;
}

BOOL IsIconic(HWND hWnd) {
    Window* window = kiln::GetWindowRecord(hWnd);
    return window != nullptr && (window->style & WS_MINIMIZE) != 0;
}

HWND GetActiveWindow() { return kiln::OwnWindows().active; }

HWND SetActiveWindow(HWND hWnd) {
    kiln::ThreadWindows& own = kiln::OwnWindows();
    HWND previous = own.active;
    if (hWnd != nullptr) {
        Window* window = kiln::OwnWindow(hWnd);
        if (window == nullptr) return nullptr;
        hWnd = GetAncestor(hWnd, GA_ROOT);
    }
    if (hWnd == previous) return previous;
    own.active = hWnd;
    if (IsWindow(previous)) SendMessageA(previous, WM_ACTIVATE, 0 /* WA_INACTIVE */, (LPARAM)hWnd);
    if (hWnd != nullptr) SendMessageA(hWnd, WM_ACTIVATE, 1 /* WA_ACTIVE */, (LPARAM)previous);
    return previous;
}

HWND GetForegroundWindow() { return kiln::OwnWindows().active; }
BOOL SetForegroundWindow(HWND hWnd) { return SetActiveWindow(hWnd) != nullptr || GetActiveWindow() == hWnd; }

HWND GetFocus() { return kiln::OwnWindows().focus; }

HWND SetFocus(HWND hWnd) {
    kiln::ThreadWindows& own = kiln::OwnWindows();
    HWND previous = own.focus;
    if (hWnd != nullptr && kiln::OwnWindow(hWnd) == nullptr) return nullptr;
    if (hWnd == previous) return previous;
    own.focus = hWnd;
    if (IsWindow(previous)) SendMessageA(previous, WM_KILLFOCUS, (WPARAM)hWnd, 0);
    if (hWnd != nullptr && own.focus == hWnd) {
        HWND root = GetAncestor(hWnd, GA_ROOT);
        if (root != own.active) SetActiveWindow(root);
        SendMessageA(hWnd, WM_SETFOCUS, (WPARAM)previous, 0);
    }
    return previous;
}

BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (kiln::OwnWindow(hWnd) == nullptr) return FALSE;
    return (BOOL)SendMessageA(hWnd, WM_SETTEXT, 0, (LPARAM)lpString);
}

int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (lpString != nullptr && nMaxCount > 0) lpString[0] = '\0';
    if (kiln::OwnWindow(hWnd) == nullptr || lpString == nullptr || nMaxCount <= 0) return 0;
    return (int)SendMessageA(hWnd, WM_GETTEXT, (WPARAM)nMaxCount, (LPARAM)lpString);
}

int GetWindowTextLengthA(HWND hWnd) {
    if (kiln::OwnWindow(hWnd) == nullptr) return 0;
    return (int)SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0);
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    Window* window = kiln::OwnWindow(hWnd);
    if (window == nullptr) return FALSE;
    if (!(uFlags & SWP_NOZORDER) && (hWndInsertAfter == HWND_TOP || hWndInsertAfter == HWND_BOTTOM)) {
        std::vector<HWND>& siblings = kiln::SiblingList(window);
        std::erase(siblings, hWnd);
        if (hWndInsertAfter == HWND_TOP)
            siblings.insert(siblings.begin(), hWnd);
        else
            siblings.push_back(hWnd);
    }
    RECT rect = window->rect;
    if (!(uFlags & SWP_NOMOVE)) rect = RECT{X, Y, X + (rect.right - rect.left), Y + (rect.bottom - rect.top)};
    if (!(uFlags & SWP_NOSIZE)) {
        rect.right = rect.left + std::max(cx, 0);
        rect.bottom = rect.top + std::max(cy, 0);
    }
    kiln::Place(window, rect);
    if ((window = kiln::LookupWindow(hWnd)) == nullptr) return TRUE;
    if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE))) window->normalRect = window->rect;
    if (uFlags & SWP_SHOWWINDOW) kiln::SetVisible(window, true);
    if (uFlags & SWP_HIDEWINDOW) kiln::SetVisible(window, false);
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr || lpRect == nullptr) return FALSE;
    POINT origin = kiln::ClientOrigin(kiln::LookupWindow(window->parent));
    *lpRect = RECT{window->rect.left + origin.x, window->rect.top + origin.y, window->rect.right + origin.x,
                   window->rect.bottom + origin.y};
    return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr || lpRect == nullptr) return FALSE;
    *lpRect = RECT{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
    return TRUE;
}

BOOL ClientToScreen(HWND hWnd, POINT* lpPoint) {
    Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr || lpPoint == nullptr) return FALSE;
    POINT origin = kiln::ClientOrigin(window);
    lpPoint->x += origin.x;
    lpPoint->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, POINT* lpPoint) {
    Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr || lpPoint == nullptr) return FALSE;
    POINT origin = kiln::ClientOrigin(window);
    lpPoint->x -= origin.x;
    lpPoint->y -= origin.y;
    return TRUE;
}

BOOL GetWindowPlacement(HWND hWnd, WINDOWPLACEMENT* lpwndpl) {
    Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr || lpwndpl == nullptr) return FALSE;
    const bool minimized = (window->style & WS_MINIMIZE) != 0, maximized = (window->style & WS_MAXIMIZE) != 0;
    lpwndpl->length = sizeof(WINDOWPLACEMENT);
    lpwndpl->flags = minimized && window->restoreToMaximized ? WPF_RESTORETOMAXIMIZED : 0;
    lpwndpl->showCmd = !(window->style & WS_VISIBLE) ? SW_HIDE
                       : minimized                   ? SW_SHOWMINIMIZED
                       : maximized                   ? SW_SHOWMAXIMIZED
                                                     : SW_SHOWNORMAL;
    lpwndpl->ptMinPosition = window->minPosition;
    lpwndpl->ptMaxPosition = window->maxPosition;
    lpwndpl->rcNormalPosition = minimized || maximized ? window->normalRect : window->rect;
    return TRUE;
}

BOOL SetWindowPlacement(HWND hWnd, const WINDOWPLACEMENT* lpwndpl) {
    Window* window = kiln::OwnWindow(hWnd);
    if (window == nullptr || lpwndpl == nullptr || lpwndpl->length != sizeof(WINDOWPLACEMENT)) {
        if (window != nullptr) SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    window->minPosition = lpwndpl->ptMinPosition;
    window->maxPosition = lpwndpl->ptMaxPosition;
    window->restoreToMaximized = (lpwndpl->flags & WPF_RESTORETOMAXIMIZED) != 0;
    window->normalRect = lpwndpl->rcNormalPosition;
    if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE))) kiln::Place(window, lpwndpl->rcNormalPosition);
    if ((window = kiln::LookupWindow(hWnd)) == nullptr) return TRUE;
    const bool restoreToMaximized = window->restoreToMaximized;
    ShowWindow(hWnd, (int)lpwndpl->showCmd);
    if ((window = kiln::LookupWindow(hWnd)) != nullptr && (window->style & WS_MINIMIZE))
        window->restoreToMaximized = restoreToMaximized;
    return TRUE;
}

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXMAXIMIZED:
    case SM_CXVIRTUALSCREEN: return kiln::kScreenWidth;
    case SM_CYSCREEN:
    case SM_CYFULLSCREEN:
    case SM_CYMAXIMIZED:
    case SM_CYVIRTUALSCREEN: return kiln::kScreenHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CYMENU: return 20;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXMIN: return kiln::kMinimizedWidth;
    case SM_CYMIN: return kiln::kMinimizedHeight;
    case SM_CMONITORS: return 1;
    }
    return 0;
}

BOOL InvalidateRect(HWND hWnd, const RECT*, BOOL) {
    Window* window = kiln::OwnWindow(hWnd);
    if (window == nullptr) return FALSE;
    kiln::MarkForPaint(window);
    return TRUE;
}

BOOL ValidateRect(HWND hWnd, const RECT*) {
    Window* window = kiln::OwnWindow(hWnd);
    if (window == nullptr) return FALSE;
    window->updatePending = false;
    return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
    Window* window = kiln::OwnWindow(hWnd);
    if (window == nullptr) return FALSE;
    if (window->updatePending && IsWindowVisible(hWnd)) SendMessageA(hWnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL) {
    Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr) return FALSE;
    if (lpRect != nullptr) {
        *lpRect = RECT{0, 0, 0, 0};
        if (window->updatePending) GetClientRect(hWnd, lpRect);
    }
    return window->updatePending;
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    Window* window = kiln::OwnWindow(hWnd);
    if (window == nullptr || lpPaint == nullptr) return nullptr;
    *lpPaint = PAINTSTRUCT{};
    lpPaint->hdc = (HDC)hWnd;  // there is no device: a non-null token that names the window
    lpPaint->fErase = TRUE;
    GetClientRect(hWnd, &lpPaint->rcPaint);
    window->updatePending = false;
    return lpPaint->hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT*) { return kiln::OwnWindow(hWnd) != nullptr; }
