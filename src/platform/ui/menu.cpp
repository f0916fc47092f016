#include <kiln/platform/ui/menu.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/text/mbcs.h>
#include <kiln/platform/ui/window.h>

#include "platform/text/utf16.h"
#include "platform/ui/window_table.h"

namespace kiln {

namespace {

struct Menu;

struct MenuItem {
    UINT flags = 0;
    UINT id = 0;
    std::string text;  // code page 932
    Menu* popup = nullptr;
};

struct Menu {
    std::vector<MenuItem> items;
};

// The live menus: a handle is the address of its record, checked against this set.
struct Menus {
    std::mutex mutex;
    std::unordered_set<Menu*> live;
};

Menus& AllMenus() {
    static Menus* menus = new Menus;
    return *menus;
}

Menu* NewMenu() {
    auto* menu = new Menu;
    Menus& menus = AllMenus();
    std::lock_guard<std::mutex> lock(menus.mutex);
    menus.live.insert(menu);
    return menu;
}

Menu* Find(HMENU hMenu) {
    Menus& menus = AllMenus();
    std::lock_guard<std::mutex> lock(menus.mutex);
    auto* menu = (Menu*)hMenu;
    if (menus.live.count(menu) == 0) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return menu;
}

void Destroy(Menu* menu) {
    {
        Menus& menus = AllMenus();
        std::lock_guard<std::mutex> lock(menus.mutex);
        menus.live.erase(menu);
    }
    for (MenuItem& item : menu->items)
        if (item.popup != nullptr) Destroy(item.popup);
    delete menu;
}

// Reads one level of a menu template; false when the bytes end early or nesting runs too deep.
bool ReadLevel(const BYTE* data, size_t size, size_t& at, Menu* menu, int depth) {
    if (depth > 16) return false;
    auto word = [&](WORD* value) {
        if (at > size || size - at < 2) return false;
        std::memcpy(value, data + at, 2);
        at += 2;
        return true;
    };
    for (;;) {
        MenuItem item;
        WORD flags, id = 0, unit;
        if (!word(&flags)) return false;
        if (!(flags & MF_POPUP) && !word(&id)) return false;
        std::u16string text;
        for (;;) {
            if (!word(&unit)) return false;
            if (unit == 0) break;
            text.push_back(unit);
        }
        item.flags = flags & ~MF_END;
        item.id = id;
        item.text = Utf16ToCp932(text);
        if (item.text.empty() && !(flags & MF_POPUP) && id == 0) item.flags |= MF_SEPARATOR;
        if (flags & MF_POPUP) {
            item.popup = NewMenu();
            menu->items.push_back(item);
            if (!ReadLevel(data, size, at, item.popup, depth + 1)) return false;
        } else {
            menu->items.push_back(item);
        }
        if (flags & MF_END) return true;
    }
}

MenuItem* ItemAt(HMENU hMenu, UINT which, UINT flags) {
    Menu* menu = Find(hMenu);
    if (menu == nullptr) return nullptr;
    if (flags & MF_BYPOSITION) return which < menu->items.size() ? &menu->items[which] : nullptr;
    for (MenuItem& item : menu->items) {
        if (item.popup == nullptr && item.id == which) return &item;
        if (item.popup != nullptr)
            if (MenuItem* inner = ItemAt((HMENU)item.popup, which, flags)) return inner;
    }
    return nullptr;
}

}  // namespace

}  // namespace kiln

HMENU LoadMenuIndirectA(const void* lpMenuTemplate, DWORD size) {
    auto* data = (const BYTE*)lpMenuTemplate;
    if (data == nullptr || size < 4) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    WORD version, offset;
    std::memcpy(&version, data, 2);
    std::memcpy(&offset, data + 2, 2);
    size_t at = 4 + (size_t)offset;
    kiln::Menu* menu = kiln::NewMenu();
    if (version != 0 || !kiln::ReadLevel(data, size, at, menu, 0)) {
        kiln::Destroy(menu);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return (HMENU)menu;
}

HMENU LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName) {
    HRSRC found = FindResourceA(hInstance, lpMenuName, RT_MENU);
    if (found == nullptr) return nullptr;
    return LoadMenuIndirectA(LockResource(LoadResource(hInstance, found)), SizeofResource(hInstance, found));
}

HMENU CreateMenu() { return (HMENU)kiln::NewMenu(); }

BOOL DestroyMenu(HMENU hMenu) {
    kiln::Menu* menu = kiln::Find(hMenu);
    if (menu == nullptr) return FALSE;
    kiln::Destroy(menu);
    return TRUE;
}

BOOL IsMenu(HMENU hMenu) { return kiln::Find(hMenu) != nullptr; }

int GetMenuItemCount(HMENU hMenu) {
    kiln::Menu* menu = kiln::Find(hMenu);
    return menu != nullptr ? (int)menu->items.size() : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
    kiln::MenuItem* item = kiln::ItemAt(hMenu, (UINT)nPos, MF_BYPOSITION);
    return item != nullptr && item->popup == nullptr ? item->id : (UINT)-1;
}

HMENU GetSubMenu(HMENU hMenu, int nPos) {
    kiln::MenuItem* item = kiln::ItemAt(hMenu, (UINT)nPos, MF_BYPOSITION);
    return item != nullptr ? (HMENU)item->popup : nullptr;
}

int GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
    kiln::MenuItem* item = kiln::ItemAt(hMenu, uIDItem, flags);
    if (item == nullptr) return 0;
    if (lpString == nullptr || cchMax <= 0) return (int)item->text.size();
    return (int)kiln::CopyTextOut(item->text, (WPARAM)cchMax, (LPARAM)lpString);
}

BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    kiln::Menu* menu = kiln::Find(hMenu);
    if (menu == nullptr) return FALSE;
    kiln::MenuItem item;
    item.flags = uFlags & ~MF_END;
    if (uFlags & MF_POPUP) {
        item.popup = kiln::Find((HMENU)uIDNewItem);
        if (item.popup == nullptr) return FALSE;
    } else {
        item.id = (UINT)uIDNewItem;
    }
    if (!(uFlags & MF_SEPARATOR) && lpNewItem != nullptr) item.text = lpNewItem;
    menu->items.push_back(item);
    return TRUE;
}

HMENU GetMenu(HWND hWnd) {
    kiln::Window* window = kiln::GetWindowRecord(hWnd);
    return window != nullptr ? window->menu : nullptr;
}

BOOL SetMenu(HWND hWnd, HMENU hMenu) {
    kiln::Window* window = kiln::GetWindowRecord(hWnd);
    if (window == nullptr) return FALSE;
    if (window->style & WS_CHILD) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (hMenu != nullptr && kiln::Find(hMenu) == nullptr) return FALSE;
    window->menu = hMenu;
    return TRUE;
}
