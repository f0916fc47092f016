#include <kiln/platform/ui/menu.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <kiln/platform/ui/window.h>

#include "support/expect_error.h"

namespace {

// Menu template bytes: a header, then items of flags, id (not for popups) and UTF-16 text.
class MenuBytes {
public:
    MenuBytes() { Words({0, 0}); }
    MenuBytes& Popup(std::u16string_view text, bool last) {
        return Words({WORD(MF_POPUP | (last ? MF_END : 0))}).Text(text);
    }
    MenuBytes& Item(WORD id, std::u16string_view text, bool last) {
        return Words({WORD(last ? MF_END : 0), id}).Text(text);
    }
    std::vector<BYTE> bytes;

private:
    MenuBytes& Words(std::initializer_list<WORD> words) {
        for (WORD word : words) bytes.insert(bytes.end(), {BYTE(word & 0xFF), BYTE(word >> 8)});
        return *this;
    }
    MenuBytes& Text(std::u16string_view text) {
        for (char16_t unit : text) Words({(WORD)unit});
        return Words({0});
    }
};

TEST(Menu, LoadsAMenuResourceAndKeepsItWithAWindow) {
    static const std::vector<BYTE> menu = MenuBytes()
                                              .Popup(u"ファイル(&F)", true)
                                              .Item(46000, u"ウインドウを閉じる(&X)", false)
                                              .Item(0, u"", false)
                                              .Item(46001, u"終了", true)
                                              .bytes;
    static const std::vector<BYTE> truncated(menu.begin(), menu.end() - 3);
    static const kiln::ResourceEntry entries[] = {
        {RT_MENU, MAKEINTRESOURCE(62100), menu.data(), (DWORD)menu.size()},
        {RT_MENU, MAKEINTRESOURCE(62101), truncated.data(), (DWORD)truncated.size()}};
    kiln::AddResourceModule(entries, std::size(entries));

    HMENU loaded = LoadMenuA(nullptr, MAKEINTRESOURCE(62100));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(GetMenuItemCount(loaded), 1);
    HMENU file = GetSubMenu(loaded, 0);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuItemID(file, 0), 46000u);
    EXPECT_EQ(GetMenuItemID(loaded, 0), (UINT)-1) << "a popup has no command";
    char text[64];
    EXPECT_EQ(GetMenuStringA(loaded, 46000, text, sizeof text, MF_BYCOMMAND), 22);
    EXPECT_STREQ(text, "ウインドウを閉じる(&X)");
    GetMenuStringA(loaded, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "ファイル(&F)");

    std::thread([loaded] {
        HWND frame = CreateWindowExA(0, "MDIClient", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        EXPECT_TRUE(SetMenu(frame, loaded));
        EXPECT_EQ(GetMenu(frame), loaded);
        DestroyWindow(frame);
    }).join();

    EXPECT_TRUE(DestroyMenu(loaded));
    EXPECT_FALSE(IsMenu(file)) << "popups go with their menu";
    EXPECT_LAST_ERROR(GetMenuItemCount(loaded), -1, ERROR_INVALID_MENU_HANDLE);
    EXPECT_LAST_ERROR(LoadMenuA(nullptr, MAKEINTRESOURCE(62101)), nullptr, ERROR_INVALID_DATA);
    EXPECT_LAST_ERROR(LoadMenuA(nullptr, MAKEINTRESOURCE(62102)), nullptr, ERROR_RESOURCE_NAME_NOT_FOUND);
}

}  // namespace
