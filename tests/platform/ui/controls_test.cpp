#include <kiln/platform/ui/controls.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <kiln/platform/ui/control_wnd.h>
#include <kiln/platform/ui/dialog_box.h>

#include "support/dialog_script.h"

namespace {

template <class Body>
void OnFreshThread(Body body) {
    std::thread(body).join();
}

// The notifications a parent received: control id and code.
thread_local std::vector<std::pair<int, int>> t_notified;

LRESULT CALLBACK ParentProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) t_notified.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

HWND MakeParent() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ParentProc;
        wc.lpszClassName = "KilnControlParent";
        return RegisterClassA(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    t_notified.clear();
    return CreateWindowExA(0, "KilnControlParent", "", WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                           nullptr);
}

HWND MakeControl(HWND parent, const char* className, int id, DWORD style, const char* text = "") {
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 100, 100, parent,
                           (HMENU)(INT_PTR)id, nullptr, nullptr);
}

using Notified = std::vector<std::pair<int, int>>;

TEST(Controls, ButtonsCheckGroupAndRefuseWhenDisabled) {
    OnFreshThread([] {
        HWND parent = MakeParent();
        HWND push = MakeControl(parent, "Button", 1, BS_PUSHBUTTON, "OK");
        HWND check = MakeControl(parent, "Button", 2, BS_AUTOCHECKBOX);
        HWND radioA = MakeControl(parent, "Button", 3, BS_AUTORADIOBUTTON | WS_GROUP);
        HWND radioB = MakeControl(parent, "Button", 4, BS_AUTORADIOBUTTON);
        HWND other = MakeControl(parent, "Button", 5, BS_AUTORADIOBUTTON | WS_GROUP);
        SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
        for (HWND button : {push, check, check, radioA, radioB}) SendMessageA(button, BM_CLICK, 0, 0);
        EXPECT_EQ(
            t_notified,
            (Notified{{1, BN_CLICKED}, {2, BN_CLICKED}, {2, BN_CLICKED}, {3, BN_CLICKED}, {4, BN_CLICKED}}));
        EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "clicked twice";
        EXPECT_EQ(std::tuple(IsDlgButtonChecked(parent, 3), IsDlgButtonChecked(parent, 4),
                             IsDlgButtonChecked(parent, 5)),
                  std::tuple(0u, 1u, 1u))
            << "a radio button unchecks its own group only";
        SendMessageA(push, BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_EQ(SendMessageA(push, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "a push button has no check";

        t_notified.clear();
        EnableWindow(check, FALSE);
        SendMessageA(check, BM_CLICK, 0, 0);
        EnableWindow(check, TRUE);
        EnableWindow(parent, FALSE);
        SendMessageA(check, BM_CLICK, 0, 0);
        EXPECT_TRUE(t_notified.empty())
            << "neither a disabled button nor one in a disabled window takes a click";
        EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        DestroyWindow(parent);
    });
}

TEST(Controls, EditSelectionLimitAndTyping) {
    OnFreshThread([] {
        HWND parent = MakeParent();
        HWND edit = MakeControl(parent, "Edit", 10, ES_AUTOHSCROLL);
        SetWindowTextA(edit, "ab日本");
        EXPECT_EQ(t_notified, (Notified{{10, EN_UPDATE}, {10, EN_CHANGE}}));
        DWORD start = 9, end = 9;
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SendMessageA(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        EXPECT_EQ(std::tuple(start, end), std::tuple(0u, 6u)) << "(0, -1) selects everything";
        SendMessageA(edit, EM_SETSEL, 3, 5);
        EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELRESULT(2, 4))
            << "never inside a double-byte character";

        SendMessageA(edit, EM_LIMITTEXT, 7, 0);
        SendMessageA(edit, EM_REPLACESEL, 0, (LPARAM) "xyz");
        EXPECT_EQ(kiln::test::TextOf(edit), "abxyz本") << "\"日\" replaced, the insert cut to the limit of 7";
        for (WPARAM key : {(WPARAM)VK_BACK, (WPARAM)'Q'}) SendMessageA(edit, WM_CHAR, key, 0);
        EXPECT_EQ(kiln::test::TextOf(edit), "abxyQ本");
        SendMessageA(edit, EM_SETSEL, 7, 7);
        SendMessageA(edit, WM_CHAR, VK_BACK, 0);
        EXPECT_EQ(kiln::test::TextOf(edit), "abxyQ") << "backspace takes the whole double-byte character";
        EXPECT_TRUE(SendMessageA(edit, EM_GETMODIFY, 0, 0));

        SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
        SendMessageA(edit, WM_CHAR, 'Z', 0);
        EXPECT_EQ(kiln::test::TextOf(edit), "abxyQ") << "read-only";
        DestroyWindow(parent);
    });
}

TEST(Controls, ListBoxSortsFindsAndNotifiesUserSelections) {
    OnFreshThread([] {
        HWND parent = MakeParent();
        HWND list = MakeControl(parent, "ListBox", 20, LBS_NOTIFY | LBS_SORT);
        for (const char* item : {"pear", "Apple", "banana", "apricot"})
            SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)item);
        std::vector<std::string> items;
        char text[16];
        for (int i = 0; i < (int)SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
            SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
            items.push_back(text);
        }
        EXPECT_EQ(items, (std::vector<std::string>{"Apple", "apricot", "banana", "pear"}));
        const std::tuple<UINT, int, const char*, LRESULT> finds[] = {
            {LB_FINDSTRING, -1, "AP", 0},
            {LB_FINDSTRING, 0, "ap", 1},
            {LB_FINDSTRING, 1, "ap", 0} /* wraps round */,
            {LB_FINDSTRING, -1, "x", LB_ERR},
            {LB_FINDSTRINGEXACT, -1, "BANANA", 2},
            {LB_FINDSTRINGEXACT, -1, "ban", LB_ERR}};
        for (auto [message, start, text, expected] : finds)
            EXPECT_EQ(SendMessageA(list, message, (WPARAM)start, (LPARAM)text), expected) << text;

        EXPECT_EQ(SendMessageA(list, LB_SETITEMDATA, 3, 99), TRUE);
        EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 3, 0), 99);
        EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 4, 0), LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 3, 0), 3);
        EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 0, 0), 3);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2) << "the selection follows its item";
        EXPECT_TRUE(t_notified.empty()) << "programs' selections are not notified";

        kiln::test::Pick(parent, 20, 1);
        kiln::test::Pick(parent, 20, 1);
        SendMessageA(list, WM_LBUTTONDBLCLK, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(t_notified, (Notified{{20, LBN_SELCHANGE}, {20, LBN_SELCHANGE}, {20, LBN_DBLCLK}}))
            << "a click on the selected item changes nothing";
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
        DestroyWindow(parent);
    });
}

TEST(Controls, ProgressBarRangesClampStepsWrapAndNeedNoRepaint) {
    OnFreshThread([] {
        HWND parent = MakeParent();
        HWND bar = MakeControl(parent, PROGRESS_CLASS, 30, 0);
        struct Step {
            UINT message;
            WPARAM wParam;
            LPARAM lParam;
            LRESULT result;  // what the message returns
            int position;    // the position afterwards
        };
        const Step steps[] = {
            {PBM_STEPIT, 0, 0, 0, 10},  // range 0..100, step 10
            {PBM_SETPOS, 95, 0, 10, 95},
            {PBM_STEPIT, 0, 0, 95, 5},     // past the end: starts over
            {PBM_SETPOS, 150, 0, 5, 100},  // kept inside the range
            {PBM_DELTAPOS, (WPARAM)-30, 0, 100, 70},
            {PBM_SETRANGE, 0, MAKELPARAM(10, 60000), MAKELRESULT(0, 100), 70},  // 16-bit, unsigned
            {PBM_SETSTEP, 7, 0, 10, 70},
            {PBM_STEPIT, 0, 0, 70, 77},
            {PBM_SETRANGE32, (WPARAM)-50, 50, MAKELRESULT(10, 60000), 50},
            {PBM_DELTAPOS, (WPARAM)-200, 0, 50, -50},
        };
        UpdateWindow(parent);
        UpdateWindow(bar);
        MSG msg;
        for (const Step& step : steps) {
            EXPECT_EQ(SendMessageA(bar, step.message, step.wParam, step.lParam), step.result) << step.message;
            EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), step.position) << step.message;
            EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) << step.message;
        }
        PBRANGE range{};
        EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, (LPARAM)&range), -50);
        EXPECT_EQ(std::tuple(range.iLow, range.iHigh), std::tuple(-50, 50));
        // The bar's own procedure, called with the handle of the bar just sent to and destroyed,
        // finds no bar.
        DestroyWindow(bar);
        WNDCLASSA wc{};
        ASSERT_TRUE(GetClassInfoA(nullptr, PROGRESS_CLASS, &wc));
        EXPECT_EQ(CallWindowProcA(wc.lpfnWndProc, bar, PBM_GETPOS, 0, 0), 0);
        DestroyWindow(parent);
    });
}

// A bar whose wrapper counts the steps it sees and lets them through.
class CCountingBar : public CProgressCtrl {
public:
    int m_steps = 0;

protected:
    LRESULT OnStepIt(WPARAM, LPARAM) { return ++m_steps, Default(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingBar, CProgressCtrl)
ON_MESSAGE(PBM_STEPIT, &CCountingBar::OnStepIt)
END_MESSAGE_MAP()

TEST(Controls, SubclassedBarsReachTheirWrappersHandlersAndThenTheBar) {
    OnFreshThread([] {
        HWND parent = MakeParent();
        CProgressCtrl plain;
        CCountingBar counting;
        ASSERT_TRUE(plain.SubclassWindow(MakeControl(parent, PROGRESS_CLASS, 31, 0)));
        ASSERT_TRUE(counting.SubclassWindow(MakeControl(parent, PROGRESS_CLASS, 32, 0)));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(plain.StepIt(), i * 10);
            EXPECT_EQ(counting.StepIt(), i * 10);
        }
        EXPECT_EQ(std::tuple(plain.GetPos(), counting.GetPos(), counting.m_steps), std::tuple(30, 30, 3));
        DestroyWindow(parent);
        EXPECT_EQ(std::tuple(plain.m_hWnd, counting.m_hWnd), std::tuple(HWND{}, HWND{}))
            << "both wrappers let go of their windows";
    });
}

TEST(Controls, DialogItemNumbersParseWholeTexts) {
    OnFreshThread([] {
        HWND parent = MakeParent();
        MakeControl(parent, "Edit", 40, 0);
        // Text, signed, value, translated.
        const std::tuple<const char*, BOOL, UINT, BOOL> cases[] = {{" 42 ", TRUE, 42, TRUE},
                                                                   {"-5", TRUE, (UINT)-5, TRUE},
                                                                   {"-5", FALSE, 0, FALSE},
                                                                   {"12abc", TRUE, 0, FALSE},
                                                                   {"4294967295", FALSE, 4294967295u, TRUE},
                                                                   {"4294967296", FALSE, 0, FALSE},
                                                                   {"2147483648", TRUE, 0, FALSE},
                                                                   {"", TRUE, 0, FALSE}};
        for (auto [text, isSigned, value, translated] : cases) {
            SetDlgItemTextA(parent, 40, text);
            BOOL got = -1;
            EXPECT_EQ(GetDlgItemInt(parent, 40, &got, isSigned), value) << text;
            EXPECT_EQ(got, translated) << text;
        }
        SetDlgItemInt(parent, 40, (UINT)-7, TRUE);
        EXPECT_EQ(kiln::test::TextOf(GetDlgItem(parent, 40)), "-7");
        DestroyWindow(parent);
    });
}

}  // namespace
