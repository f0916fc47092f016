#include <kiln/platform/ui/controls.h>
#include <kiln/platform/ui/dialog_box.h>

#include <algorithm>

#include <kiln/platform/text/mbcs.h>

#include "platform/ui/window_class.h"
#include "platform/ui/window_table.h"

namespace kiln {

namespace {

constexpr size_t kNoLimit = 0x7FFFFFFE;

// The text lives in the window record; the edit keeps its selection (byte offsets) and limit.
struct EditState : ControlState {
    size_t selStart = 0;
    size_t selEnd = 0;
    size_t limit = kNoLimit;
    bool modified = false;
};

// The offset of the character boundary at or before offset.
size_t Boundary(const std::string& text, size_t offset) { return FittingLength(text, offset); }

// Replaces the selection with insert, cut to what the limit leaves room for; FALSE when nothing changed.
bool ReplaceSelection(Window* window, EditState* state, std::string insert) {
    std::string& text = window->text;
    const size_t kept = text.size() - (state->selEnd - state->selStart);
    const size_t room = state->limit > kept ? state->limit - kept : 0;
    if (insert.size() > room) insert.resize(FittingLength(insert, room));
    if (insert.empty() && state->selStart == state->selEnd) return false;
    text.replace(state->selStart, state->selEnd - state->selStart, insert);
    state->selStart = state->selEnd = state->selStart + insert.size();
    state->modified = true;
    return true;
}

void Changed(HWND hWnd) {
    NotifyParent(hWnd, EN_UPDATE);
    NotifyParent(hWnd, EN_CHANGE);
}

// A typed character: a byte (a double-byte character arrives as its two bytes in turn), backspace,
// or Enter in a multi-line edit that wants it.
void Type(HWND hWnd, Window* window, EditState* state, WPARAM code) {
    if ((window->style & ES_READONLY) || !TakesInput(hWnd)) return;
    std::string& text = window->text;
    if (code == VK_BACK) {
        if (state->selStart == state->selEnd) {
            if (state->selStart == 0) return;
            state->selStart = Boundary(text, state->selStart - 1);
        }
        ReplaceSelection(window, state, "");
        Changed(hWnd);
        return;
    }
    std::string insert;
    if (code == '\r') {
        if (!(window->style & ES_MULTILINE)) return;
        insert = "\r\n";
    } else if (code >= 0x20 && code <= 0xFF) {
        if ((window->style & ES_NUMBER) && (code < '0' || code > '9')) return;
        insert.assign(1, (char)code);
    } else {
        return;
    }
    if (ReplaceSelection(window, state, insert)) Changed(hWnd);
}

}  // namespace

LRESULT CALLBACK EditProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = LookupWindow(hWnd);
    if (window == nullptr) return 0;
    if (message == WM_NCCREATE) window->control = std::make_unique<EditState>();
    auto* state = ControlOf<EditState>(window);
    if (state == nullptr) return DefWindowProcA(hWnd, message, wParam, lParam);
    const std::string& text = window->text;
    switch (message) {
    case WM_SETTEXT:
        DefWindowProcA(hWnd, message, wParam, lParam);
        if ((window = LookupWindow(hWnd)) == nullptr) return TRUE;
        state->selStart = state->selEnd = 0;
        state->modified = false;
        Changed(hWnd);
        return TRUE;
    case EM_GETSEL:
        if (wParam != 0) *(DWORD*)wParam = (DWORD)state->selStart;
        if (lParam != 0) *(DWORD*)lParam = (DWORD)state->selEnd;
        return state->selStart > 0xFFFF || state->selEnd > 0xFFFF
                   ? -1
                   : MAKELRESULT(state->selStart, state->selEnd);
    case EM_SETSEL: {
        // (0, -1) selects everything; a start of -1 leaves only the caret.
        const INT_PTR start = (INT_PTR)(int)wParam, end = (INT_PTR)(int)lParam;
        if (start == -1) {
            state->selStart = state->selEnd;
            return 0;
        }
        size_t from = start < 0 ? text.size() : std::min((size_t)start, text.size());
        size_t to = end < 0 ? text.size() : std::min((size_t)end, text.size());
        if (from > to) std::swap(from, to);
        state->selStart = Boundary(text, from);
        state->selEnd = Boundary(text, to);
        return 0;
    }
    case EM_REPLACESEL:
        if (ReplaceSelection(window, state, lParam != 0 ? (const char*)lParam : "")) Changed(hWnd);
        return 0;
    case EM_LIMITTEXT: state->limit = wParam == 0 ? kNoLimit : (size_t)wParam; return 0;
    case EM_GETLIMITTEXT: return (LRESULT)state->limit;
    case EM_SCROLLCARET: return TRUE;  // the whole text is always in view
    case EM_GETMODIFY: return state->modified;
    case EM_SETMODIFY: state->modified = wParam != 0; return 0;
    case EM_SETREADONLY:
        window->style = wParam ? (window->style | ES_READONLY) : (window->style & ~ES_READONLY);
        return TRUE;
    case EM_GETLINECOUNT:
        return (window->style & ES_MULTILINE) ? 1 + std::count(text.begin(), text.end(), '\n') : 1;
    case WM_CHAR: Type(hWnd, window, state, wParam); return 0;
    case WM_KEYDOWN:
        if (wParam == VK_DELETE && !(window->style & ES_READONLY) && TakesInput(hWnd)) {
            if (state->selStart == state->selEnd && state->selEnd < text.size())
                state->selEnd += CharLength(text.data() + state->selEnd, text.data() + text.size());
            if (ReplaceSelection(window, state, "")) Changed(hWnd);
        }
        return 0;
    case WM_SETFOCUS: NotifyParent(hWnd, EN_SETFOCUS); return 0;
    case WM_KILLFOCUS: NotifyParent(hWnd, EN_KILLFOCUS); return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if ((window->style & (ES_MULTILINE | ES_WANTRETURN)) == (ES_MULTILINE | ES_WANTRETURN))
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace kiln
