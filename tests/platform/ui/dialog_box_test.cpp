#include <kiln/platform/ui/dialog_box.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <kiln/platform/runtime/resources.h>

#include "support/dialog_script.h"
#include "support/scoped_env.h"

namespace {

using kiln::test::DialogScript;

template <class Body>
void OnFreshThread(Body body) {
    std::thread(body).join();
}

constexpr int kEdit = 100, kList = 101;

std::vector<BYTE> InputTemplate(const char* caption = "入力") {
    kiln::DialogDescription dialog;
    dialog.caption = caption;
    dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    dialog.cx = 200;
    dialog.cy = 100;
    dialog.pointSize = 9;
    dialog.faceName = "ＭＳ Ｐゴシック";
    const DWORD shown = WS_VISIBLE | WS_TABSTOP;
    dialog.items = {{"Edit", kEdit, "初期", 7, 7, 120, 14, shown | ES_AUTOHSCROLL | WS_BORDER},
                    {"ListBox", kList, "", 7, 30, 120, 60, shown | LBS_NOTIFY},
                    {"Button", IDOK, "OK", 140, 5, 50, 14, shown | BS_DEFPUSHBUTTON},
                    {"Button", IDCANCEL, "ｷｬﾝｾﾙ", 140, 23, 50, 14, shown},
                    {"Static", 0xFFFF, "説明", 140, 50, 50, 8, WS_VISIBLE}};
    return kiln::BuildDialogTemplate(dialog);
}

// The dialog procedure of the tests: fills the list, and keeps the edit's text on OK.
thread_local std::string t_accepted;

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        for (const char* item : {"one", "two"})
            SendDlgItemMessageA(dialog, kList, LB_ADDSTRING, 0, (LPARAM)item);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        if (LOWORD(wParam) == IDOK) t_accepted = kiln::test::TextOf(GetDlgItem(dialog, kEdit));
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunInput(const std::vector<BYTE>& bytes, HWND owner = nullptr) {
    return DialogBoxIndirectParamA(nullptr, (LPCDLGTEMPLATE)bytes.data(), owner, InputProc, 0);
}

TEST(DialogManager, TemplateBuildsTheDialogAndTheScriptAnswersIt) {
    OnFreshThread([] {
        const std::vector<BYTE> bytes = InputTemplate();
        DialogScript script;
        script.OnWait([](HWND dialog) {
            HWND edit = GetDlgItem(dialog, kEdit);
            EXPECT_EQ(GetFocus(), edit) << "the first tab stop";
            EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELRESULT(0, 4)) << "its text selected";
            EXPECT_EQ(kiln::test::TextOf(GetDlgItem(dialog, 0xFFFF)), "説明");
            char name[32];
            GetClassNameA(GetDlgItem(dialog, kList), name, sizeof name);
            EXPECT_STREQ(name, "ListBox");
            RECT rect;
            GetWindowRect(edit, &rect);
            POINT origin{0, 0};
            ClientToScreen(dialog, &origin);
            EXPECT_EQ(std::tuple(rect.left - origin.x, rect.top - origin.y, rect.right - rect.left,
                                 rect.bottom - rect.top),
                      std::tuple(10, 10, 180, 21))
                << "dialog units at 6 by 12 base units";
            RECT units{7, 7, 127, 21};
            MapDialogRect(dialog, &units);
            EXPECT_EQ(std::tuple(units.left, units.top, units.right, units.bottom),
                      std::tuple(10, 10, 190, 31));
            kiln::test::Type(dialog, kEdit, "abc");
            kiln::test::Click(dialog, IDOK);
        });
        EXPECT_EQ(RunInput(bytes), IDOK);
        EXPECT_EQ(t_accepted, "abc");
        EXPECT_EQ(script.Kinds(), "Shown Waiting Destroyed");
        ASSERT_EQ(script.events().size(), 3u);
        EXPECT_TRUE(script.events()[0].modal);
        EXPECT_EQ(script.events()[2].caption, "入力");
        EXPECT_EQ(GetTopWindow(nullptr), nullptr) << "the dialog is gone";
    });
}

TEST(DialogManager, KeysMoveTheFocusAndAnswerTheDialog) {
    OnFreshThread([] {
        const std::vector<BYTE> bytes = InputTemplate();
        DialogScript script;
        std::vector<int> focused;
        auto focusedId = [&focused] { focused.push_back(GetDlgCtrlID(GetFocus())); };
        script.OnWait([](HWND dialog) { kiln::test::Press(GetDlgItem(dialog, kEdit), VK_TAB); });
        script.OnWait([&](HWND dialog) {
            focusedId();
            HWND list = GetDlgItem(dialog, kList);
            PostMessageA(list, WM_KEYDOWN, VK_SHIFT, 0);
            kiln::test::Press(list, VK_TAB);
            PostMessageA(list, WM_KEYUP, VK_SHIFT, 0);
        });
        script.OnWait([&](HWND dialog) {
            focusedId();
            kiln::test::Type(dialog, kEdit, "typed");
            kiln::test::Press(GetDlgItem(dialog, kEdit), VK_RETURN);
        });
        EXPECT_EQ(RunInput(bytes), IDOK) << "Enter clicks the default button";
        EXPECT_EQ(focused, (std::vector<int>{kList, kEdit}));
        EXPECT_EQ(t_accepted, "typed");

        script.OnWait([](HWND dialog) { kiln::test::Press(GetDlgItem(dialog, kList), VK_ESCAPE); });
        t_accepted.clear();
        EXPECT_EQ(RunInput(bytes), IDCANCEL);
        EXPECT_EQ(script.Kinds(), "Shown Waiting Waiting Waiting Destroyed Shown Waiting Destroyed");

        // Nothing done at a wait: the dialog is cancelled, not left waiting.
        EXPECT_EQ(RunInput(bytes), IDCANCEL);
    });
}

TEST(DialogManager, MalformedTemplatesFailCleanly) {
    OnFreshThread([] {
        static const std::vector<BYTE> good = InputTemplate();
        static std::vector<BYTE> badCount = good;
        badCount[8] = 60;  // cdit
        static std::vector<BYTE> unterminated =
            kiln::BuildDialogTemplate({"長い題名", 0, 0, 0, 0, 10, 10, 0, "", {}});
        unterminated.resize(unterminated.size() - 2);
        static std::vector<BYTE> unknownClass = kiln::BuildDialogTemplate(
            {"x", 0, 0, 0, 0, 10, 10, 0, "", {{"NoSuchControl", 1, "", 0, 0, 5, 5, WS_VISIBLE}}});
        // Every proper prefix of a good template, then the whole-template cases, as resources: their
        // sizes are known, so a reader that strays past the end is caught.
        static std::vector<kiln::ResourceEntry> entries;
        for (size_t length = 0; length < good.size(); ++length)
            entries.push_back({RT_DIALOG, MAKEINTRESOURCE(9000 + length), good.data(), (DWORD)length});
        entries.push_back({RT_DIALOG, "BADCOUNT", badCount.data(), (DWORD)badCount.size()});
        entries.push_back({RT_DIALOG, "UNTERMINATED", unterminated.data(), (DWORD)unterminated.size()});
        entries.push_back({RT_DIALOG, "UNKNOWNCLASS", unknownClass.data(), (DWORD)unknownClass.size()});
        entries.push_back({RT_DIALOG, "GOOD", good.data(), (DWORD)good.size()});
        HINSTANCE module = kiln::AddResourceModule(entries.data(), entries.size());

        DialogScript script;
        for (size_t length = 0; length < good.size(); ++length)
            ASSERT_EQ(DialogBoxParamA(module, MAKEINTRESOURCE(9000 + length), nullptr, InputProc, 0), -1)
                << length;
        for (const char* name : {"BADCOUNT", "UNTERMINATED", "UNKNOWNCLASS", "NOSUCH"})
            EXPECT_EQ(DialogBoxParamA(nullptr, name, nullptr, InputProc, 0), -1) << name;
        EXPECT_EQ(script.Kinds(), "") << "nothing was shown";
        EXPECT_EQ(GetTopWindow(nullptr), nullptr) << "no half-made window is left";
        EXPECT_EQ(DialogBoxParamA(nullptr, "good", nullptr, InputProc, 0), IDCANCEL) << "names ignore case";
    });
}

TEST(DialogManager, OwnerIsDisabledWhileModalLoopsNest) {
    OnFreshThread([] {
        const std::vector<BYTE> outer = InputTemplate("外"), inner = InputTemplate("内");
        HWND owner =
            CreateWindowExA(0, "Static", "", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        DialogScript script;
        INT_PTR innerResult = 0;
        script.OnWait([&](HWND dialog) {
            EXPECT_FALSE(IsWindowEnabled(owner));
            innerResult = RunInput(inner, dialog);  // a handler may open a dialog itself
            EXPECT_TRUE(IsWindowEnabled(dialog)) << "enabled again when the inner one ended";
            kiln::test::Click(dialog, IDOK);
        });
        script.OnWait([](HWND dialog) {
            kiln::test::Type(dialog, kEdit, "inner");
            kiln::test::Click(dialog, IDOK);
        });
        EXPECT_EQ(RunInput(outer, owner), IDOK);
        EXPECT_EQ(innerResult, IDOK);
        EXPECT_TRUE(IsWindowEnabled(owner));
        std::vector<std::string> captions;
        for (const auto& event : script.events()) captions.push_back(event.caption);
        EXPECT_EQ(script.Kinds(), "Shown Waiting Shown Waiting Destroyed Destroyed");
        EXPECT_EQ(captions, (std::vector<std::string>{"外", "外", "内", "内", "内", "外"}));
        DestroyWindow(owner);
    });
}

TEST(DialogManager, AHandlerMayReplaceItself) {
    OnFreshThread([] {
        const std::vector<BYTE> bytes = InputTemplate();
        DialogScript script;
        int replacementCalls = 0;
        script.OnWait([&](HWND dialog) {
            auto previous = std::make_shared<kiln::DialogHandler>();
            *previous = kiln::SetDialogHandler([&, previous](const kiln::DialogEvent& event) {
                ++replacementCalls;
                kiln::SetDialogHandler(*previous);  // puts the script back from inside the call
                kiln::test::Click(event.dialog, IDOK);
            });
            PostMessageA(dialog, WM_NULL, 0, 0);  // something to do, so the loop waits again
        });
        EXPECT_EQ(RunInput(bytes), IDOK);
        EXPECT_EQ(replacementCalls, 1);
        EXPECT_EQ(script.Kinds(), "Shown Waiting Destroyed");
    });
}

TEST(DialogManager, BatchFrontEndCancelsWithOneLine) {
    OnFreshThread([] {
        kiln::test::ScopedEnv ui("KILN_UI", "batch");
        kiln::test::ScopedEnv charset("LC_ALL", "C.UTF-8");
        kiln::DialogHandler saved = kiln::SetDialogHandler(nullptr);
        const std::vector<BYTE> bytes = InputTemplate("日本語");
        testing::internal::CaptureStderr();
        INT_PTR result = RunInput(bytes);
        HWND modeless =
            CreateDialogIndirectParamA(nullptr, (LPCDLGTEMPLATE)bytes.data(), nullptr, InputProc, 0);
        ShowWindow(modeless, SW_SHOW);
        DestroyWindow(modeless);
        const std::string printed = testing::internal::GetCapturedStderr();
        kiln::SetDialogHandler(saved);
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(printed,
                  std::string("kiln: dialog \"") + (const char*)u8"日本語" + "\" cancelled: no terminal\n");
    });
}

}  // namespace
