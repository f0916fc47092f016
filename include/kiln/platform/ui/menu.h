// Menus loaded from menu templates, kept as data: nothing shows them on a terminal.
//
// A menu template (RT_MENU) is a MENUITEMTEMPLATEHEADER (version 0, offset 0) followed by items: a
// WORD of MF_ flags, the command id (not for MF_POPUP items) and a UTF-16 text; MF_END marks the last
// item of a level, and a popup's items follow it. Texts are kept in code page 932.
#pragma once

#include <kiln/platform/runtime/resources.h>

#define MF_STRING 0x0000u
#define MF_GRAYED 0x0001u
#define MF_DISABLED 0x0002u
#define MF_CHECKED 0x0008u
#define MF_POPUP 0x0010u
#define MF_SEPARATOR 0x0800u
#define MF_END 0x0080u
#define MF_BYCOMMAND 0x0000u
#define MF_BYPOSITION 0x0400u

// Null with ERROR_RESOURCE_NAME_NOT_FOUND when there is no such menu, ERROR_INVALID_DATA when its
// template is malformed.
HMENU LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName);
HMENU LoadMenuIndirectA(const void* lpMenuTemplate, DWORD size);
HMENU CreateMenu();
BOOL DestroyMenu(HMENU hMenu);  // with its popups
BOOL IsMenu(HMENU hMenu);
int GetMenuItemCount(HMENU hMenu);          // -1 for a bad handle
UINT GetMenuItemID(HMENU hMenu, int nPos);  // (UINT)-1 for a popup or a bad position
HMENU GetSubMenu(HMENU hMenu, int nPos);
int GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags);
BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem);
// The menu of a top-level window (kept, never shown); SetMenu does not destroy the one it replaces.
HMENU GetMenu(HWND hWnd);
BOOL SetMenu(HWND hWnd, HMENU hMenu);

#define LoadMenu LoadMenuA
#define LoadMenuIndirect LoadMenuIndirectA
#define GetMenuString GetMenuStringA
#define AppendMenu AppendMenuA
