#include "frame/module_resources.h"

#include <string_view>
#include <vector>

#include <kiln/platform/ui/controls.h>
#include <kiln/platform/ui/dialog_template.h>
#include <kiln/platform/ui/menu.h>

namespace kiln {

namespace {

// The look every dialog of the library shares: a modal frame with caption and system menu, in the
// Japanese UI font.
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr WORD kPointSize = 9;
constexpr const char* kFaceName = "ＭＳ Ｐゴシック";
constexpr WORD kNoId = 0xFFFF;

DialogItem Control(const char* className, WORD id, const char* text, short x, short y, short cx, short cy,
                   DWORD style) {
    return DialogItem{className, id, text, x, y, cx, cy, static_cast<DWORD>(style | WS_CHILD), 0};
}

DialogDescription Dialog(const char* caption, DWORD style, short cx, short cy,
                         std::vector<DialogItem> items) {
    return DialogDescription{caption, style, 0, 0, 0, cx, cy, kPointSize, kFaceName, std::move(items)};
}

// Template 3000: one text (or number) with a prompt above it.
DialogDescription StringDialog() {
    return Dialog(
        "文字列の入力", kDialogStyle, 311, 137,
        {Control("Button", IDOK, "OK", 250, 5, 50, 14, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP),
         Control("Button", IDCANCEL, "ｷｬﾝｾﾙ", 250, 23, 50, 14, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP),
         Control("Edit", 3001, "", 7, 57, 240, 73,
                 ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_BORDER | WS_VISIBLE |
                     WS_TABSTOP),
         Control("Static", 3002, "所定の文字列を入力してください", 7, 7, 237, 47, SS_LEFT | WS_VISIBLE)});
}

// Template 3002: a list of jobs to choose from.
DialogDescription JobDialog() {
    return Dialog(
        "作業選択ダイアログ", kDialogStyle, 281, 179,
        {Control("Static", kNoId, "作業を選択してください(&J)", 6, 3, 76, 8, SS_LEFT | WS_VISIBLE),
         Control("ListBox", 3000, "", 3, 13, 222, 162,
                 LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_VISIBLE | WS_TABSTOP),
         Control("Button", IDOK, "OK", 228, 8, 50, 14, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP),
         Control("Button", IDCANCEL, "ｷｬﾝｾﾙ", 228, 25, 50, 14, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP)});
}

// Templates 3003 and 3004 share the bar, the percentage and the status text; they are visible as
// soon as they are created and have no caption of their own.
std::vector<DialogItem> ProgressItems(DWORD percentVisible) {
    return {Control(PROGRESS_CLASS, 3004, "", 10, 86, 221, 11, WS_BORDER | WS_VISIBLE),
            Control("Static", 3005, " 0 %", 114, 73, 18, 8, SS_LEFT | percentVisible),
            Control("Static", 3006, "", 9, 6, 227, 59, SS_LEFT | WS_VISIBLE)};
}

DialogDescription ProgressDialog() {
    std::vector<DialogItem> items = {
        Control("Button", IDCANCEL, "ｷｬﾝｾﾙ", 96, 102, 50, 14, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP)};
    for (DialogItem& item : ProgressItems(WS_VISIBLE)) items.push_back(std::move(item));
    return Dialog("", kDialogStyle | WS_VISIBLE, 241, 121, std::move(items));
}

DialogDescription WaitDialog() {
    std::vector<DialogItem> items = {
        Control("Button", IDOK, "OK", 68, 102, 50, 14, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP),
        Control("Button", IDCANCEL, "キャンセル", 123, 102, 50, 14, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP)};
    for (DialogItem& item : ProgressItems(0)) items.push_back(std::move(item));
    return Dialog("", kDialogStyle | WS_VISIBLE, 241, 121, std::move(items));
}

void AppendWord(std::vector<BYTE>& bytes, WORD value) {
    bytes.push_back(static_cast<BYTE>(value));
    bytes.push_back(static_cast<BYTE>(value >> 8));
}

void AppendText(std::vector<BYTE>& bytes, std::u16string_view text) {
    for (char16_t c : text) AppendWord(bytes, c);
    AppendWord(bytes, 0);
}

// Menu 3000, for client frames: File > Close window (command 46000).
std::vector<BYTE> FrameMenu() {
    std::vector<BYTE> bytes;
    AppendWord(bytes, 0);  // MENUITEMTEMPLATEHEADER: version 0, items right after it
    AppendWord(bytes, 0);
    AppendWord(bytes, MF_POPUP | MF_END);
    AppendText(bytes, u"ファイル(&F)");
    AppendWord(bytes, MF_STRING | MF_END);
    AppendWord(bytes, 46000);
    AppendText(bytes, u"ウインドウを閉じる(&X)");
    return bytes;
}

const StringResource kStrings[] = {{46000, "閉じる"}};

}  // namespace

HINSTANCE AddLibraryResources() {
    static HINSTANCE module = [] {
        // The chain keeps pointers to the bytes, so they live as long as the process.
        static std::vector<BYTE>* bytes = new std::vector<BYTE>[5];
        bytes[0] = BuildDialogTemplate(StringDialog());
        bytes[1] = BuildDialogTemplate(JobDialog());
        bytes[2] = BuildDialogTemplate(ProgressDialog());
        bytes[3] = BuildDialogTemplate(WaitDialog());
        bytes[4] = FrameMenu();
        static const ResourceEntry entries[] = {
            {RT_DIALOG, MAKEINTRESOURCE(3000), bytes[0].data(), static_cast<DWORD>(bytes[0].size())},
            {RT_DIALOG, MAKEINTRESOURCE(3002), bytes[1].data(), static_cast<DWORD>(bytes[1].size())},
            {RT_DIALOG, MAKEINTRESOURCE(3003), bytes[2].data(), static_cast<DWORD>(bytes[2].size())},
            {RT_DIALOG, MAKEINTRESOURCE(3004), bytes[3].data(), static_cast<DWORD>(bytes[3].size())},
            {RT_MENU, MAKEINTRESOURCE(3000), bytes[4].data(), static_cast<DWORD>(bytes[4].size())},
        };
        return AddResourceModule(entries, std::size(entries), kStrings, std::size(kStrings));
    }();
    return module;
}

}  // namespace kiln
