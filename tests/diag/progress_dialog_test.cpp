// The progress and wait dialogs: the bar, the percentage, the buttons and the owner.
#include <kiln/diag/progress_dialog.h>

#include <gtest/gtest.h>

#include <kiln/platform/runtime/resources.h>

#include "support/dialog_script.h"

namespace {

std::string ItemText(HWND dialog, int id) { return kiln::test::TextOf(GetDlgItem(dialog, id)); }

std::string Percent(const CDialog& dialog) { return ItemText(dialog.m_hWnd, 3005); }

void PostClick(const CDialog& dialog, int id) { PostMessageA(GetDlgItem(dialog.m_hWnd, id), BM_CLICK, 0, 0); }

TEST(ProgressDialog, ShowsThePercentageFromTheDefaultStepAndOfEachPosition) {
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(Percent(dialog), " 0 %");  // the template's text until the bar first moves
    for (int before : {0, 10, 20}) {
        EXPECT_EQ(dialog.StepIt(), before);
        EXPECT_EQ(Percent(dialog), std::to_string(before + 10) + "%");
    }
    EXPECT_EQ(dialog.GetPos(), 30);
    EXPECT_EQ(dialog.GetRangeMax(), 100);
    EXPECT_EQ(dialog.SetStep(25), 10);
    EXPECT_EQ(dialog.OffsetPos(5), 30);
    EXPECT_EQ(Percent(dialog), "35%");

    struct Case {
        int lower, upper, pos;
        const char* shown;
    } cases[] = {
        {0, 200, 50, "25%"},
        {0, 200, 200, "100%"},
        {0, 100, 150, "50%"},
        {0, 100, 98, "98%"},
        {0, 100, 99, "99%"},  // the first position of the next percentage
        {-50, 50, 0, "50%"},
        {10, 20, 15, "50%"},
        {0, 100, -30, "-30%"},
        {0, 3, 1, "33%"},
        // An empty range: done once the bound is reached, never a division by zero.
        {5, 5, 5, "100%"},
        {5, 5, 4, "0%"},
        {0, 0, 7, "100%"},
    };
    for (const Case& c : cases) {
        dialog.SetRange(c.lower, c.upper);
        dialog.UpdatePercent(c.pos);
        EXPECT_EQ(Percent(dialog), c.shown) << c.lower << ".." << c.upper << " at " << c.pos;
    }
    dialog.SetRange(0, 200);
    dialog.SetPos(50);
    EXPECT_EQ(Percent(dialog), "25%");
    EXPECT_EQ(dialog.GetPos(), 50);
}

TEST(ProgressDialog, ReportsEachCancelOnceAndIgnoresOk) {
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.SetStatus("処理中: 1 件目");
    EXPECT_EQ(ItemText(dialog.m_hWnd, 3006), "処理中: 1 件目");
    EXPECT_FALSE(dialog.CheckCancelButton());
    PostClick(dialog, IDCANCEL);
    EXPECT_TRUE(dialog.CheckCancelButton());
    EXPECT_FALSE(dialog.CheckCancelButton());
    // Escape on any control of the dialog is Cancel.
    PostMessageA(GetDlgItem(dialog.m_hWnd, 3004), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(dialog.CheckCancelButton());
    SendMessageA(dialog.m_hWnd, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindow(dialog.m_hWnd));
    EXPECT_FALSE(dialog.CheckCancelButton());
}

TEST(ProgressDialog, DisablesItsOwnerUntilItIsDestroyed) {
    HWND owner = CreateWindowExA(0, "Static", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    CWnd ownerWnd;
    ownerWnd.Attach(owner);
    kiln::test::DialogScript script;
    {
        CProgressDlg dialog;
        EXPECT_FALSE(dialog.IsCreated());
        ASSERT_TRUE(dialog.Create(&ownerWnd));
        EXPECT_TRUE(dialog.IsCreated());
        EXPECT_FALSE(IsWindowEnabled(owner));
        EXPECT_TRUE(dialog.DestroyWindow());
        EXPECT_TRUE(IsWindowEnabled(owner));
        EXPECT_TRUE(dialog.IsCreated());

        // The destructor does the same for a dialog still open.
        CWaitDlg wait;
        ASSERT_TRUE(wait.Create(&ownerWnd));
        EXPECT_FALSE(IsWindowEnabled(owner));
    }
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(script.Kinds(), "Shown Destroyed Shown Destroyed");
    EXPECT_FALSE(script.events()[0].modal);
    ownerWnd.Detach();
    DestroyWindow(owner);
}

TEST(WaitDialog, HasOkAndCancelAndAHiddenPercentage) {
    static const kiln::StringResource captions[] = {{3007, "お待ちください"}};
    kiln::AddStringTable(captions, 1);
    CWaitDlg dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(kiln::test::TextOf(dialog.m_hWnd), "お待ちください");
    HWND percent = GetDlgItem(dialog.m_hWnd, 3005);
    EXPECT_FALSE(IsWindowVisible(percent));
    dialog.SetPos(40);
    EXPECT_EQ(Percent(dialog), "40%");  // kept up to date although hidden

    PostClick(dialog, IDOK);
    EXPECT_FALSE(dialog.CheckCancelButton());
    EXPECT_TRUE(dialog.CheckOKButton());
    EXPECT_FALSE(dialog.CheckOKButton());
    PostClick(dialog, IDCANCEL);
    EXPECT_FALSE(dialog.CheckOKButton());
    EXPECT_TRUE(dialog.CheckCancelButton());
    EXPECT_TRUE(IsWindow(dialog.m_hWnd));  // neither button closes it

    CWaitDlg other(4000);  // a caption id no module has: the caption stays empty
    ASSERT_TRUE(other.Create());
    EXPECT_EQ(kiln::test::TextOf(other.m_hWnd), "");
}

}  // namespace
