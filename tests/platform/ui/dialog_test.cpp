#include <kiln/platform/ui/dialog.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/control_wnd.h>
#include <kiln/platform/ui/data_exchange.h>

#include "support/box_recorder.h"
#include "support/dialog_script.h"

namespace {

using kiln::test::DialogScript;

template <class Body>
void OnFreshThread(Body body) {
    std::thread(body).join();
}

constexpr int kName = 100, kFruits = 101, kCount = 103, kCheck = 104, kApply = 105, kBar = 106;

const std::vector<BYTE>& FormTemplate() {
    static const std::vector<BYTE> bytes = [] {
        kiln::DialogDescription dialog{"Form", WS_POPUP | WS_CAPTION, 0, 0, 0, 220, 120,
                                       9,      "ＭＳ Ｐゴシック",     {}};
        const DWORD shown = WS_VISIBLE | WS_TABSTOP;
        dialog.items = {{"Edit", kName, "", 5, 5, 100, 12, shown},
                        {"ListBox", kFruits, "", 5, 20, 100, 50, shown | LBS_NOTIFY},
                        {"Edit", kCount, "", 5, 75, 40, 12, shown},
                        {"Button", kCheck, "check", 5, 90, 40, 12, shown | BS_AUTOCHECKBOX},
                        {"Button", kApply, "apply", 110, 40, 50, 14, shown},
                        {PROGRESS_CLASS, kBar, "", 110, 60, 100, 10, WS_VISIBLE},
                        {"Button", IDOK, "OK", 160, 5, 50, 14, shown | BS_DEFPUSHBUTTON},
                        {"Button", IDCANCEL, "Cancel", 160, 22, 50, 14, shown}};
        return kiln::BuildDialogTemplate(dialog);
    }();
    return bytes;
}

class CFormDlg : public CDialog {
public:
    explicit CFormDlg(CWnd* parent = nullptr) {
        InitModalIndirect((LPCDLGTEMPLATE)FormTemplate().data(), parent);
    }

    CString m_name = "Ann";
    int m_count = 3;
    CString m_fruit = "ban";
    int m_check = 0;
    CListBox m_list;
    CProgressCtrl m_bar;
    int m_applied = 0, m_nameChanges = 0;
    std::vector<LPARAM> m_kicks;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, kFruits, m_list);
        DDX_Control(pDX, kBar, m_bar);
        DDX_Text(pDX, kName, m_name);
        DDV_MaxChars(pDX, m_name, 5);
        DDX_Text(pDX, kCount, m_count);
        DDV_MinMaxInt(pDX, m_count, 1, 10);
        DDX_LBString(pDX, kFruits, m_fruit);
        DDX_Check(pDX, kCheck, m_check);
    }
    BOOL OnInitDialog() override {
        for (const char* fruit : {"apple", "banana", "cherry"})
            SendDlgItemMessage(kFruits, LB_ADDSTRING, 0, (LPARAM)fruit);
        return CDialog::OnInitDialog();
    }
    void OnApply() { ++m_applied; }
    void OnNameChange() { ++m_nameChanges; }
    void OnDblclkFruits() { OnOK(); }
    LRESULT OnKickIdle(WPARAM, LPARAM count) {
        m_kicks.push_back(count);
        return m_kicks.size() < 2;  // asks for one more idle call
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFormDlg, CDialog)
ON_BN_CLICKED(kApply, &CFormDlg::OnApply)
ON_EN_CHANGE(kName, &CFormDlg::OnNameChange)
ON_LBN_DBLCLK(kFruits, &CFormDlg::OnDblclkFruits)
ON_MESSAGE(WM_KICKIDLE, &CFormDlg::OnKickIdle)
END_MESSAGE_MAP()

TEST(Dialog, DataExchangeKeepsTheDialogOpenUntilTheDataPasses) {
    OnFreshThread([] {
        kiln::test::BoxRecorder boxes;
        DialogScript script;
        CFormDlg form;
        script.OnWait([](HWND dialog) {
            EXPECT_EQ(kiln::test::TextOf(GetDlgItem(dialog, kName)), "Ann");
            EXPECT_EQ(kiln::test::TextOf(GetDlgItem(dialog, kCount)), "3");
            EXPECT_EQ(SendDlgItemMessageA(dialog, kFruits, LB_GETCURSEL, 0, 0), 1)
                << "selected by its prefix";
            kiln::test::Type(dialog, kCount, "11");
            kiln::test::Click(dialog, IDOK);
        });
        script.OnWait([](HWND dialog) {
            HWND count = GetDlgItem(dialog, kCount);
            EXPECT_TRUE(IsWindowVisible(dialog)) << "still open";
            EXPECT_EQ(GetFocus(), count);
            EXPECT_EQ(SendMessageA(count, EM_GETSEL, 0, 0), MAKELRESULT(0, 2));
            kiln::test::Type(dialog, kCount, "12abc");
            kiln::test::Click(dialog, IDOK);
        });
        script.OnWait([](HWND dialog) {
            kiln::test::Type(dialog, kCount, " 7 ");
            kiln::test::Type(dialog, kName, "toolong");
            kiln::test::Click(dialog, IDOK);
        });
        script.OnWait([](HWND dialog) {
            kiln::test::Type(dialog, kName, "Bob");
            kiln::test::Pick(dialog, kFruits, 2);
            kiln::test::Click(dialog, kCheck);
            kiln::test::Click(dialog, IDOK);
        });
        EXPECT_EQ(form.DoModal(), IDOK);
        std::vector<std::string> texts;
        for (const auto& box : boxes.calls()) texts.push_back(box.text);
        EXPECT_EQ(texts, (std::vector<std::string>{"Please enter an integer between 1 and 10.",
                                                   "Please enter an integer.",
                                                   "Please enter no more than 5 characters."}));
        EXPECT_EQ(boxes.calls()[0].style, MB_ICONEXCLAMATION);
        EXPECT_EQ(std::tuple(std::string(form.m_name), form.m_count, std::string(form.m_fruit), form.m_check),
                  std::tuple(std::string("Bob"), 7, std::string("cherry"), 1));
        EXPECT_EQ(form.m_hWnd, nullptr);
        EXPECT_EQ(form.m_list.m_hWnd, nullptr) << "controls are detached with their windows";
    });
}

// A parent that counts WM_ENTERIDLE.
class CCountingWnd : public CWnd {
public:
    int m_idles = 0;

protected:
    LRESULT OnEnterIdle(WPARAM, LPARAM) { return ++m_idles, 0; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingWnd, CWnd)
ON_MESSAGE(WM_ENTERIDLE, &CCountingWnd::OnEnterIdle)
END_MESSAGE_MAP()

TEST(Dialog, MessageMapsAndTheModalLoopsIdleMessages) {
    OnFreshThread([] {
        CCountingWnd parent;
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    RECT{0, 0, 300, 200}, nullptr, 0));
        DialogScript script;
        CFormDlg form(&parent);
        script.OnWait([&](HWND dialog) {
            EXPECT_FALSE(parent.IsWindowEnabled()) << "the owner is disabled while the dialog runs";
            EXPECT_EQ(form.m_kicks, (std::vector<LPARAM>{0, 1}));
            EXPECT_EQ(parent.m_idles, 1) << "once per idle phase";
            kiln::test::Click(dialog, kApply);
            kiln::test::Type(dialog, kName, "Cy");
            PostMessageA(dialog, WM_NULL, 0, 0);
        });
        script.OnWait([&](HWND dialog) {
            EXPECT_EQ(parent.m_idles, 2);
            HWND list = GetDlgItem(dialog, kFruits);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFruits, LBN_DBLCLK), (LPARAM)list);
        });
        EXPECT_EQ(form.DoModal(), IDOK) << "the double click ran OnOK";
        EXPECT_EQ(std::tuple(form.m_applied, form.m_nameChanges, std::string(form.m_name)),
                  std::tuple(1, 2, std::string("Cy")))
            << "EN_CHANGE when the data went in and when the user typed";
        EXPECT_TRUE(parent.IsWindowEnabled());
        parent.DestroyWindow();
    });
}

TEST(Dialog, ModelessDialogsAndFailures) {
    OnFreshThread([] {
        DialogScript script;
        CFormDlg modeless;
        ASSERT_TRUE(modeless.CreateIndirect((LPCDLGTEMPLATE)FormTemplate().data()));
        modeless.ShowWindow(SW_SHOW);
        modeless.m_bar.SetRange32(0, 200);
        modeless.m_bar.SetPos(150);
        EXPECT_EQ(modeless.m_bar.StepIt(), 150);
        EXPECT_EQ(modeless.m_bar.GetPos(), 160);
        EXPECT_TRUE(modeless.DestroyWindow());
        EXPECT_EQ(script.Kinds(), "Shown Destroyed");
        EXPECT_FALSE(script.events()[0].modal);

        static const std::vector<BYTE> truncated(FormTemplate().begin(), FormTemplate().end() - 10);
        static const kiln::ResourceEntry entry{RT_DIALOG, MAKEINTRESOURCE(7001), truncated.data(),
                                               (DWORD)truncated.size()};
        kiln::AddResourceModule(&entry, 1);
        CDialog broken(7001), missing(7002);
        EXPECT_EQ(broken.DoModal(), -1);
        EXPECT_EQ(missing.DoModal(), -1);
        EXPECT_FALSE(broken.Create(7001));
        EXPECT_EQ(script.Kinds(), "Shown Destroyed") << "nothing more was shown";

        // A quit request ends the modal loop and is posted again for the outer loop.
        script.OnWait([](HWND) { PostQuitMessage(4); });
        CFormDlg quitting;
        EXPECT_EQ(quitting.DoModal(), -1);
        MSG msg;
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, WM_QUIT);
    });
}

}  // namespace
