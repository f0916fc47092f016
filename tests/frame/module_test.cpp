// The library as a module: start-up's block and record, and the resources it registers.
#include <kiln/frame/module.h>
#include <kiln/frame/named_wnd_class.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/dialog_box.h>
#include <kiln/platform/ui/menu.h>
#include <kiln/util/cpu_features.h>

#include "support/dialog_script.h"

namespace {

TEST(ModuleStartUp, FillsTheProcessorFeatureBlock) {
    const BYTE expected[9] = {static_cast<BYTE>(MMX_IsSupport()),
                              static_cast<BYTE>(MMX2_IsSupport()),
                              static_cast<BYTE>(SSE_IsSupport()),
                              0,
                              0,
                              0,
                              0,
                              0,
                              1};
    EXPECT_EQ(std::memcmp(&_kilnGLOBAL_registryCache, expected, sizeof expected), 0);
}

TEST(ModuleStartUp, HandsOutItsRecordChainedAsAnExtensionLibrary) {
    AFX_EXTENSION_MODULE* module = PluginThisLibrary();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module, PluginThisLibrary());
    EXPECT_TRUE(module->bInitialized);
    EXPECT_EQ(module->hResource, AfxFindResourceHandle(MAKEINTRESOURCE(3003), RT_DIALOG));
    bool listed = false;
    for (CDynLinkLibrary* dll = kiln::FirstExtensionLibrary(); dll != nullptr; dll = dll->m_pNextDLL)
        listed |= dll->m_hModule == module->hModule && !dll->m_bSystem;
    EXPECT_TRUE(listed);
    // A second module may chain the same record; the list gives it back first until it goes.
    {
        CDynLinkLibrary again(*module);
        EXPECT_EQ(kiln::FirstExtensionLibrary(), &again);
    }
    EXPECT_NE(kiln::FirstExtensionLibrary(), nullptr);
}

struct Item {
    const char* className;
    int id;
    const char* text;
    RECT units;  // left, top, width, height in dialog units
    DWORD style;
};

struct Layout {
    int id;
    const char* caption;
    DWORD style;
    LONG width, height;
    std::vector<Item> items;
};

INT_PTR CALLBACK KeepDefaults(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(ModuleResources, DialogTemplatesHaveTheLibrarysLayouts) {
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    const DWORD shown = WS_CHILD | WS_VISIBLE;
    const DWORD button = shown | WS_TABSTOP;
    const std::vector<Item> bar = {
        {"msctls_progress32", 3004, "", {10, 86, 221, 11}, shown | WS_BORDER},
    };
    const Layout layouts[] = {
        {3000,
         "文字列の入力",
         frame,
         311,
         137,
         {{"Button", IDOK, "OK", {250, 5, 50, 14}, button | BS_DEFPUSHBUTTON},
          {"Button", IDCANCEL, "ｷｬﾝｾﾙ", {250, 23, 50, 14}, button},
          {"Edit",
           3001,
           "",
           {7, 57, 240, 73},
           button | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_BORDER},
          {"Static", 3002, "所定の文字列を入力してください", {7, 7, 237, 47}, shown}}},
        {3002,
         "作業選択ダイアログ",
         frame,
         281,
         179,
         {{"Static", 0xFFFF, "作業を選択してください(&J)", {6, 3, 76, 8}, shown},
          {"ListBox",
           3000,
           "",
           {3, 13, 222, 162},
           button | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER},
          {"Button", IDOK, "OK", {228, 8, 50, 14}, button | BS_DEFPUSHBUTTON},
          {"Button", IDCANCEL, "ｷｬﾝｾﾙ", {228, 25, 50, 14}, button}}},
        {3003,
         "",
         frame | WS_VISIBLE,
         241,
         121,
         {{"Button", IDCANCEL, "ｷｬﾝｾﾙ", {96, 102, 50, 14}, button | BS_DEFPUSHBUTTON},
          bar[0],
          {"Static", 3005, " 0 %", {114, 73, 18, 8}, shown},
          {"Static", 3006, "", {9, 6, 227, 59}, shown}}},
        {3004,
         "",
         frame | WS_VISIBLE,
         241,
         121,
         {{"Button", IDOK, "OK", {68, 102, 50, 14}, button | BS_DEFPUSHBUTTON},
          {"Button", IDCANCEL, "キャンセル", {123, 102, 50, 14}, button},
          bar[0],
          {"Static", 3005, " 0 %", {114, 73, 18, 8}, WS_CHILD},
          {"Static", 3006, "", {9, 6, 227, 59}, shown}}},
    };
    kiln::test::DialogScript quiet;  // no front end for the dialogs made here
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.id);
        HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCE(layout.id), RT_DIALOG);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCE(layout.id), RT_DIALOG);
        ASSERT_NE(found, nullptr);
        auto* header = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, found)));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->style, layout.style);
        EXPECT_EQ(header->cx, layout.width);
        EXPECT_EQ(header->cy, layout.height);

        HWND dialog = CreateDialogIndirectParamA(module, header, nullptr, KeepDefaults, 0);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(kiln::test::TextOf(dialog), layout.caption);
        HWND child = GetWindow(dialog, GW_CHILD);
        for (const Item& item : layout.items) {
            ASSERT_NE(child, nullptr) << item.id;
            char className[32] = {};
            GetClassNameA(child, className, sizeof className);
            EXPECT_STRCASEEQ(className, item.className);
            EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, item.id);
            EXPECT_EQ(kiln::test::TextOf(child), item.text);
            EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE)), item.style) << item.id;
            RECT expected = {item.units.left, item.units.top, item.units.left + item.units.right,
                             item.units.top + item.units.bottom};
            MapDialogRect(dialog, &expected);
            RECT actual;
            GetWindowRect(child, &actual);
            ScreenToClient(dialog, reinterpret_cast<POINT*>(&actual.left));
            ScreenToClient(dialog, reinterpret_cast<POINT*>(&actual.right));
            EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << item.id;
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(child, nullptr);
        DestroyWindow(dialog);
    }
}

TEST(ModuleResources, MenuAndString) {
    HMENU menu = LoadMenuA(AfxFindResourceHandle(MAKEINTRESOURCE(3000), RT_MENU), MAKEINTRESOURCE(3000));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    char text[64] = {};
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "ファイル(&F)");
    HMENU file = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(file), 1);
    EXPECT_EQ(GetMenuItemID(file, 0), 46000u);
    GetMenuStringA(file, 46000, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "ウインドウを閉じる(&X)");
    DestroyMenu(menu);

    EXPECT_EQ(LoadStringA(nullptr, 46000, text, sizeof text), 6);
    EXPECT_STREQ(text, "閉じる");
}

TEST(NamedWindowClass, RegistersOnceAndReturnsTheName) {
    const char* name = "KilnNamedClassTest";
    EXPECT_EQ(KfxNamedRegisterWndClass(name, CS_DBLCLKS, nullptr, nullptr, nullptr), name);
    EXPECT_EQ(KfxNamedRegisterWndClass(name, CS_HREDRAW, nullptr, nullptr, nullptr), name);
    WNDCLASSA info = {};
    ASSERT_TRUE(GetClassInfoA(AfxGetInstanceHandle(), name, &info));
    EXPECT_EQ(info.style, CS_DBLCLKS);  // the second call found the class and left it alone
    EXPECT_EQ(info.lpfnWndProc, &DefWindowProcA);
    HWND window = CreateWindowExA(0, name, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(window, nullptr);
    DestroyWindow(window);
}

}  // namespace
