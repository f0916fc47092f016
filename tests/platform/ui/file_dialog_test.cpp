#include <kiln/platform/ui/file_dialog.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <kiln/platform/ui/controls.h>

#include "support/box_recorder.h"
#include "support/dialog_script.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::Click;
using kiln::test::DialogScript;
using kiln::test::TextOf;
using kiln::test::Type;

std::vector<std::string> Items(HWND dialog, int id) {
    HWND list = GetDlgItem(dialog, id);
    std::vector<std::string> items;
    for (int i = 0; i < (int)SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        std::string text((size_t)SendMessageA(list, LB_GETTEXTLEN, (WPARAM)i, 0) + 1, '\0');
        text.resize((size_t)SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)text.data()));
        items.push_back(text);
    }
    return items;
}

// Posted as the terminal front end does, so the dialog's loop sees it and waits again afterwards.
void PostClick(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class FileDialogTest : public ::testing::Test {
protected:
    FileDialogTest() : cwd(dir.host()) {
        dir.Write("a.txt", "a");
        dir.Write("b.bmp", "b");
        dir.Write(".hidden.txt", "h");
        std::filesystem::create_directory(dir.host("sub"));
        dir.Write("sub/inner.txt", "i");
        dir.Write("sub/apple.txt", "i");
    }
    kiln::test::TempDir dir;
    kiln::test::ScopedCwd cwd;
    DialogScript script;
    kiln::test::BoxRecorder boxes;
};

TEST_F(FileDialogTest, OpenListsTheFilteredFolderAndReturnsTheTypedName) {
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_NOCHANGEDIR, "Text|*.txt|All|*.*||");
    std::vector<std::string> files, filters, allFiles;
    script.OnWait([&](HWND d) {
        files = Items(d, lst1);
        filters = Items(d, cmb1);
        kiln::test::Pick(d, cmb1, 1);
        allFiles = Items(d, lst1);
        EXPECT_EQ(GetDlgItem(d, chx1), nullptr);
        Type(d, edt1, "a.txt");
        Click(d, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(files, (std::vector<std::string>{"..\\", "sub\\", "a.txt"}));
    EXPECT_EQ(filters, (std::vector<std::string>{"Text", "All"}));
    EXPECT_EQ(allFiles, (std::vector<std::string>{"..\\", "sub\\", "a.txt", "b.bmp"}));
    EXPECT_EQ(std::string(dialog.GetPathName()), dir.win("a.txt"));
    EXPECT_EQ(std::string(dialog.GetFileName()), "a.txt");
    EXPECT_EQ(std::string(dialog.GetFileExt()), "txt");
    EXPECT_EQ(std::string(dialog.GetFileTitle()), "a");
    EXPECT_EQ(std::string(dialog.GetFolderPath()), dir.win());
    EXPECT_EQ(dialog.m_ofn.nFilterIndex, 2u);
    EXPECT_EQ(std::string(dialog.m_szFileTitle), "a.txt");
    EXPECT_EQ(script.events().front().caption, "開く");
    EXPECT_EQ(std::filesystem::current_path().string(), dir.host());  // OFN_NOCHANGEDIR
}

TEST_F(FileDialogTest, ListEntriesEnterFoldersAndNameFilesAndTabCompletes) {
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, "Text|*.txt||");
    std::vector<std::string> typedFolder;
    std::string completed, completedFolder;
    script.OnWait([&](HWND d) {
        Type(d, edt1, "sub\\");  // naming a folder lists it
        typedFolder = Items(d, lst1);
        Type(d, edt1, "s");
        SendMessageA(GetDlgItem(d, edt1), WM_KEYDOWN, VK_TAB, 0);
        completedFolder = TextOf(GetDlgItem(d, edt1));
        Type(d, edt1, "");
        kiln::test::Pick(d, lst1, 1);  // "sub\" is entered
        Type(d, edt1, "a");
        SendMessageA(GetDlgItem(d, edt1), WM_KEYDOWN, VK_TAB, 0);
        completed = TextOf(GetDlgItem(d, edt1));
        kiln::test::Pick(d, lst1, 2);  // "inner.txt" goes to the edit
        Click(d, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(typedFolder, (std::vector<std::string>{"..\\", "apple.txt", "inner.txt"}));
    EXPECT_EQ(completedFolder, "sub\\");
    EXPECT_EQ(completed, "apple.txt");
    EXPECT_EQ(std::string(dialog.GetPathName()), dir.win("sub\\inner.txt"));
    // Without OFN_NOCHANGEDIR the working directory follows the choice.
    EXPECT_EQ(std::filesystem::current_path().string(), dir.host("sub"));
}

TEST_F(FileDialogTest, FileMustExistKeepsTheDialogOpenAndCancelReturnsNothing) {
    CFileDialog dialog(TRUE, "txt", nullptr, OFN_FILEMUSTEXIST);
    script.OnWait([&](HWND d) {
        Type(d, edt1, "missing");
        Click(d, IDOK);
    });
    script.OnWait([&](HWND d) {
        Type(d, edt1, "a");  // the default extension makes it a.txt
        Click(d, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text,
              dir.win("missing.txt") + "\nファイルが見つかりません。\nファイル名を確認してください。");
    EXPECT_EQ(std::string(dialog.GetPathName()), dir.win("a.txt"));

    CFileDialog cancelled(TRUE);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_STREQ(cancelled.m_ofn.lpstrFile, "");
}

TEST_F(FileDialogTest, OverwritePromptAnsweredNoThenYes) {
    CFileDialog dialog(FALSE, nullptr, "a.txt");
    for (int i = 0; i < 2; ++i) script.OnWait([](HWND d) { PostClick(d, IDOK); });
    boxes.Answer(IDNO);
    boxes.Answer(IDYES);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Last().text, dir.win("a.txt") + " は既に存在します。\n上書きしますか？");
    EXPECT_EQ(boxes.Last().style, (unsigned)(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.Last().caption, "名前を付けて保存");
}

TEST_F(FileDialogTest, TooSmallABufferFailsWithTheSizeNeeded) {
    char buffer[8] = "a.txt";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    script.OnWait([](HWND d) { Click(d, IDOK); });
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), (DWORD)FNERR_BUFFERTOOSMALL);
    WORD needed = 0;
    std::memcpy(&needed, buffer, sizeof needed);
    EXPECT_EQ(needed, dir.win("a.txt").size() + 1);

    ofn.lStructSize = 12;
    EXPECT_FALSE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), (DWORD)CDERR_STRUCTSIZE);
}

}  // namespace
