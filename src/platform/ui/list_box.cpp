#include <kiln/platform/ui/controls.h>
#include <kiln/platform/ui/dialog_box.h>

#include <cstring>
#include <string>
#include <vector>

#include <kiln/platform/text/mbcs.h>

#include "platform/ui/window_class.h"
#include "platform/ui/window_table.h"

namespace kiln {

namespace {

// Each item is this many pixels high, so a click's position names an item.
constexpr int kItemHeight = 16;

struct Item {
    std::string text;
    LONG_PTR data = 0;
};

struct ListBoxState : ControlState {
    std::vector<Item> items;
    int selection = LB_ERR;
    int top = 0;
};

bool Valid(const ListBoxState& list, WPARAM index) { return (size_t)index < list.items.size(); }

// Case-insensitive (ASCII letters only) comparison of the item's first bytes with text.
bool StartsWith(const std::string& item, const char* text) {
    const size_t length = std::strlen(text);
    if (item.size() < length) return false;
    std::string head = item.substr(0, length);
    return _mbsicmp(head.c_str(), text) == 0;
}

// The first item after `start` (-1: from the top), wrapping round once, that matches.
template <class Match>
int Search(const ListBoxState& list, WPARAM start, Match match) {
    const int count = (int)list.items.size();
    const int first = (int)start < 0 || (int)start >= count ? 0 : (int)start + 1;
    for (int i = 0; i < count; ++i) {
        int index = (first + i) % count;
        if (match(list.items[(size_t)index].text)) return index;
    }
    return LB_ERR;
}

int Insert(HWND hWnd, ListBoxState& list, int index, const char* text, bool sorted) {
    Item item{text != nullptr ? text : "", 0};
    if (sorted && (GetWindowLongPtrA(hWnd, GWL_STYLE) & LBS_SORT)) {
        index = 0;
        while (index < (int)list.items.size() &&
               _mbsicmp(list.items[(size_t)index].text.c_str(), item.text.c_str()) <= 0)
            ++index;
    }
    list.items.insert(list.items.begin() + index, std::move(item));
    if (list.selection >= index) ++list.selection;
    return index;
}

// A selection made by the user: tells a notifying parent when it moved.
void Choose(HWND hWnd, ListBoxState& list, int index) {
    if (!TakesInput(hWnd) || index < 0 || index >= (int)list.items.size() || index == list.selection) return;
    list.selection = index;
    if (GetWindowLongPtrA(hWnd, GWL_STYLE) & LBS_NOTIFY) NotifyParent(hWnd, LBN_SELCHANGE);
}

}  // namespace

LRESULT CALLBACK ListBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = LookupWindow(hWnd);
    if (window == nullptr) return 0;
    if (message == WM_NCCREATE) window->control = std::make_unique<ListBoxState>();
    auto* list = ControlOf<ListBoxState>(window);
    if (list == nullptr) return DefWindowProcA(hWnd, message, wParam, lParam);
    const char* text = (const char*)lParam;
    switch (message) {
    case LB_ADDSTRING: return Insert(hWnd, *list, (int)list->items.size(), text, true);
    case LB_INSERTSTRING:  // at wParam, or at the end for -1; never sorted
        if ((int)wParam != -1 && wParam > list->items.size()) return LB_ERR;
        return Insert(hWnd, *list, (int)wParam == -1 ? (int)list->items.size() : (int)wParam, text, false);
    case LB_DELETESTRING:
        if (!Valid(*list, wParam)) return LB_ERR;
        list->items.erase(list->items.begin() + (ptrdiff_t)wParam);
        if (list->selection == (int)wParam)
            list->selection = LB_ERR;
        else if (list->selection > (int)wParam)
            --list->selection;
        return (LRESULT)list->items.size();
    case LB_RESETCONTENT:
        list->items.clear();
        list->selection = LB_ERR;
        list->top = 0;
        return 0;
    case LB_SETCURSEL:
        if ((int)wParam == -1) {
            list->selection = LB_ERR;
            return LB_ERR;
        }
        if (!Valid(*list, wParam)) return LB_ERR;
        list->selection = (int)wParam;
        return list->selection;
    case LB_GETCURSEL: return list->selection;
    case LB_GETCOUNT: return (LRESULT)list->items.size();
    case LB_GETTEXT:
        if (!Valid(*list, wParam) || lParam == 0) return LB_ERR;
        std::memcpy((char*)lParam, list->items[wParam].text.c_str(), list->items[wParam].text.size() + 1);
        return (LRESULT)list->items[wParam].text.size();
    case LB_GETTEXTLEN: return Valid(*list, wParam) ? (LRESULT)list->items[wParam].text.size() : LB_ERR;
    case LB_GETITEMDATA: return Valid(*list, wParam) ? list->items[wParam].data : LB_ERR;
    case LB_SETITEMDATA:
        if (!Valid(*list, wParam)) return LB_ERR;
        list->items[wParam].data = lParam;
        return TRUE;
    case LB_FINDSTRING:
        if (text == nullptr) return LB_ERR;
        return Search(*list, wParam, [text](const std::string& item) { return StartsWith(item, text); });
    case LB_FINDSTRINGEXACT:
        if (text == nullptr) return LB_ERR;
        return Search(*list, wParam,
                      [text](const std::string& item) { return _mbsicmp(item.c_str(), text) == 0; });
    case LB_SELECTSTRING: {
        if (text == nullptr) return LB_ERR;
        int found = Search(*list, wParam, [text](const std::string& item) { return StartsWith(item, text); });
        if (found != LB_ERR) list->selection = found;
        return found;
    }
    case LB_GETTOPINDEX: return list->top;
    case LB_SETTOPINDEX:
        if (!Valid(*list, wParam)) return LB_ERR;
        list->top = (int)wParam;
        return 0;
    case WM_LBUTTONDOWN: Choose(hWnd, *list, list->top + (SHORT)HIWORD(lParam) / kItemHeight); return 0;
    case WM_LBUTTONDBLCLK:
        Choose(hWnd, *list, list->top + (SHORT)HIWORD(lParam) / kItemHeight);
        if (TakesInput(hWnd) && (GetWindowLongPtrA(hWnd, GWL_STYLE) & LBS_NOTIFY))
            NotifyParent(hWnd, LBN_DBLCLK);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_DOWN) Choose(hWnd, *list, list->selection < 0 ? 0 : list->selection + 1);
        if (wParam == VK_UP) Choose(hWnd, *list, list->selection < 0 ? 0 : list->selection - 1);
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace kiln
