// The quick input dialogs, answered through the dialog handler as a user would answer them.
#include <kiln/diag/quick_dialog.h>

#include <gtest/gtest.h>

#include "support/box_recorder.h"
#include "support/dialog_script.h"

namespace {

using kiln::test::Click;
using kiln::test::DialogScript;

std::string ItemText(HWND dialog, int id) { return kiln::test::TextOf(GetDlgItem(dialog, id)); }

std::function<void(HWND)> TypeAndOk(const char* text) {
    return [text](HWND dialog) {
        SetDlgItemTextA(dialog, 3001, text);
        Click(dialog, IDOK);
    };
}

TEST(StringDialog, OpensWithTheTextSelectedAndReturnsWhatWasTyped) {
    DialogScript script;
    std::string shown;  // "caption|prompt|selection", and " focused" while the edit has the focus
    script.OnShown([&](HWND dialog) {
        const auto selection = static_cast<DWORD>(SendDlgItemMessageA(dialog, 3001, EM_GETSEL, 0, 0));
        shown = kiln::test::TextOf(dialog) + "|" + ItemText(dialog, 3002) + "|";
        shown += std::to_string(LOWORD(selection)) + "-" + std::to_string(HIWORD(selection));
        if (GetFocus() == GetDlgItem(dialog, 3001)) shown += " focused";
    });
    script.OnWait(TypeAndOk("新しい文字列"));

    CStringDialog dialog;
    dialog.SetDefStr("初期値");
    dialog.SetTitle("名前を入力");
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(shown, "文字列の入力|名前を入力|0-6 focused");
    EXPECT_STREQ(dialog.GetString(), "新しい文字列");
    EXPECT_EQ(script.Kinds(), "Shown Waiting Destroyed");
    EXPECT_TRUE(script.events().front().modal);

    // Left waiting, the dialog is cancelled and the text stays what the last run left.
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_STREQ(dialog.GetString(), "新しい文字列");
}

TEST(StringDialog, PlacesTheDialogAndDisablesItsOwnerWhileItRuns) {
    HWND owner = CreateWindowExA(0, "Static", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    CWnd ownerWnd;
    ownerWnd.Attach(owner);
    struct Case {
        int x, y;
        const char* at;
    } cases[] = {{0, 0, "0,0"}, {100, 50, "100,50"}, {0, 30, "0,30"}};
    for (const Case& c : cases) {
        DialogScript script;
        RECT shown = {};
        BOOL ownerEnabled = TRUE;
        script.OnShown([&](HWND dialog) { GetWindowRect(dialog, &shown); });
        script.OnWait([&](HWND) { ownerEnabled = IsWindowEnabled(owner); });
        CStringDialog dialog(&ownerWnd);
        EXPECT_EQ(c.x == 0 && c.y == 0 ? dialog.DoModal() : dialog.DoModal(c.x, c.y), IDCANCEL);
        EXPECT_EQ(std::to_string(shown.left) + "," + std::to_string(shown.top), c.at) << c.x << "," << c.y;
        EXPECT_EQ(shown.right - shown.left, 311 * 6 / 4);
        EXPECT_EQ(shown.bottom - shown.top, 137 * 12 / 8);
        EXPECT_FALSE(ownerEnabled);
        EXPECT_TRUE(IsWindowEnabled(owner));
    }
    ownerWnd.Detach();
    DestroyWindow(owner);
}

int g_enterIdle = 0;

LRESULT CALLBACK CountEnterIdle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERIDLE) ++g_enterIdle;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(QuickShowDialog, RunsATemplateInMemoryTellingTheOwnerItIdlesAndFailsWithoutOne) {
    WNDCLASSA ownerClass = {};
    ownerClass.lpfnWndProc = CountEnterIdle;
    ownerClass.lpszClassName = "QuickShowIdleOwner";
    RegisterClassA(&ownerClass);
    HWND owner = CreateWindowExA(0, "QuickShowIdleOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    CWnd ownerWnd;
    ownerWnd.Attach(owner);
    for (DWORD noIdle : {0L, DS_NOIDLEMSG}) {
        kiln::DialogDescription description;
        description.style = WS_POPUP | WS_CAPTION | static_cast<DWORD>(noIdle);
        description.cx = 100;
        description.cy = 40;
        description.items = {{"Button", IDOK, "OK", 5, 5, 40, 14, BS_DEFPUSHBUTTON | WS_VISIBLE, 0}};
        std::vector<BYTE> bytes = kiln::BuildDialogTemplate(description);
        DialogScript script;
        script.OnWait([](HWND dialog) { Click(dialog, IDOK); });
        CQuickShowDialogBase dialog(0, &ownerWnd);
        dialog.m_lpszTemplateName = nullptr;
        dialog.m_lpDialogTemplate = reinterpret_cast<LPCDLGTEMPLATE>(bytes.data());
        g_enterIdle = 0;
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(g_enterIdle > 0, noIdle == 0) << noIdle;
    }
    ownerWnd.Detach();
    DestroyWindow(owner);

    DialogScript script;  // without a template: -1, and nothing shown
    CQuickShowDialogBase missing(9999, nullptr);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.DoModal(10, 10), -1);
    EXPECT_TRUE(script.events().empty());
}

TEST(ValueDialog, ChecksTheRangeAndKeepsTheDialogOpenUntilTheValueFits) {
    kiln::test::BoxRecorder boxes;
    DialogScript script;
    for (const char* typed : {"0", "11", "abc", "10"}) script.OnWait(TypeAndOk(typed));
    std::string prompt;
    script.OnShown([&](HWND dialog) { prompt = ItemText(dialog, 3002); });
    CValueDialog dialog;
    dialog.SetMinMax(1, 10);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetValue(), 10);
    EXPECT_EQ(boxes.Count(), 3u);  // 0, 11 and the text that is no number were refused
    EXPECT_EQ(prompt, "数値の入力");

    // Without a range any number goes.
    DialogScript any;
    any.OnWait(TypeAndOk("-123456.5"));
    CValueDialog open;
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_DOUBLE_EQ(open.GetValueDouble(), -123456.5);
    EXPECT_EQ(boxes.Count(), 3u);
}

TEST(ValueDialog, ConvertsTheValueForEachGetter) {
    CValueDialog dialog;
    dialog.SetDefValue("12abc");
    EXPECT_EQ(dialog.GetValue(), 12);
    dialog.SetDefValueDouble(-2.7);
    EXPECT_EQ(dialog.GetValue(), -2);
    EXPECT_STREQ(dialog.GetValueString(), "-2");
    EXPECT_STREQ(dialog.GetValueStringDouble(), "-2.700000");
    EXPECT_FLOAT_EQ(dialog.GetValueFloat(), -2.7f);

    // The edit starts with the value and hands back what was typed.
    DialogScript script;
    std::string shown;
    script.OnShown([&](HWND d) { shown = ItemText(d, 3001); });
    script.OnWait(TypeAndOk("7.25"));
    dialog.SetDefValue(42);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(shown, "42");
    EXPECT_DOUBLE_EQ(dialog.GetValueDouble(), 7.25);
}

TEST(JobDialog, ChoosesByOkByDoubleClickAndFromTheDefault) {
    struct Case {
        const char* name;
        const char* defaultJob;
        std::function<void(HWND)> answer;
        INT_PTR result;
        const char* job;
        DWORD value;
    } cases[] = {
        {"OK untouched", nullptr, [](HWND d) { Click(d, IDOK); }, IDOK, "A", 5},
        {"double click on B", nullptr,
         [](HWND d) {
             HWND list = GetDlgItem(d, 3000);
             SendMessageA(list, LB_SETCURSEL, 1, 0);
             PostMessageA(d, WM_COMMAND, MAKEWPARAM(3000, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
         },
         IDOK, "B", 9},
        {"default B", "B", [](HWND d) { Click(d, IDOK); }, IDOK, "B", 9},
        {"default unknown", "Z", [](HWND d) { Click(d, IDOK); }, IDOK, "A", 5},
        {"no selection", nullptr,
         [](HWND d) {
             SendDlgItemMessageA(d, 3000, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
             Click(d, IDOK);
         },
         IDOK, "", static_cast<DWORD>(LB_ERR)},
        {"cancelled", "B", [](HWND) {}, IDCANCEL, "B", 0},
    };
    for (Case& c : cases) {
        DialogScript script;
        int count = 0;
        std::string caption;
        script.OnShown([&](HWND d) {
            count = static_cast<int>(SendDlgItemMessageA(d, 3000, LB_GETCOUNT, 0, 0));
            caption = kiln::test::TextOf(d);
        });
        script.OnWait(c.answer);
        CJobDlg dialog;
        dialog.AddJob("A", DWORD{5});
        dialog.AddJob("B", DWORD{9});
        if (c.defaultJob) dialog.SetDefJob(c.defaultJob);
        EXPECT_EQ(dialog.DoModal(), c.result) << c.name;
        EXPECT_STREQ(dialog.GetJobString(), c.job) << c.name;
        EXPECT_EQ(dialog.GetJobValue(), c.value) << c.name;
        EXPECT_EQ(count, 2) << c.name;
        EXPECT_EQ(caption, "作業選択ダイアログ");
    }
}

}  // namespace
