#include <kiln/diag/folder_dialogs.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <kiln/platform/ui/controls.h>
#include <kiln/platform/ui/file_dialog.h>
#include <kiln/platform/ui/shell_folder.h>

#include "support/box_recorder.h"
#include "support/dialog_script.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::DialogScript;
using kiln::test::TextOf;

// The browser's controls.
constexpr int kTree = 0x3741, kStatus = 0x3743, kEdit = 0x3744;

int Count(HWND dialog, int id) { return (int)SendMessageA(GetDlgItem(dialog, id), LB_GETCOUNT, 0, 0); }

std::string Item(HWND dialog, int id, int index) {
    char text[MAX_PATH] = "";
    SendMessageA(GetDlgItem(dialog, id), LB_GETTEXT, (WPARAM)index, (LPARAM)text);
    return text;
}

void PostClick(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class FolderDialogsTest : public ::testing::Test {
protected:
    FolderDialogsTest() {
        std::filesystem::create_directories(dir.host("docs/old"));
        dir.Write("docs/a.bmp", "a");
        dir.Write("user-dirs.dirs", "# written by a test\nXDG_DOCUMENTS_DIR=\"$HOME/docs\"\n");
    }
    kiln::test::TempDir dir;
    kiln::test::ScopedEnv home{"HOME", dir.host().c_str()};
    kiln::test::ScopedEnv config{"XDG_CONFIG_HOME", dir.host().c_str()};
    DialogScript script;
    kiln::test::BoxRecorder boxes;
};

TEST_F(FolderDialogsTest, FileDialogFiltersTitlesAndPath) {
    const struct {
        const char* title;  // the titled form's title; "-" for the plain form
        int open;
        const char* caption;
    } cases[] = {{"-", 1, "ファイルロード"},
                 {"-", 0, "ファイルセーブ"},
                 {nullptr, 1, "データファイルロード"},
                 {"Pick", 0, "Pick"}};
    for (const auto& c : cases) {
        DialogScript local;
        std::vector<std::string> filters;
        local.OnWait([&](HWND d) {
            for (int i = 0; i < Count(d, cmb1); ++i) filters.push_back(Item(d, cmb1, i));
            kiln::test::Pick(d, cmb1, 0);
            EXPECT_EQ(Item(d, lst1, Count(d, lst1) - 1), "a.bmp");
            PostClick(d, IDOK);
        });
        CString path = dir.win("docs\\new.bmp").c_str();
        const char* list = "Bitmap;*.bmp;Text;*.txt";
        const int chosen = std::string(c.title ? c.title : "") == "-"
                               ? GetFolderIndex(path, OFN_NOCHANGEDIR, c.open, list)
                               : GetFolderIndex(c.title, path, OFN_NOCHANGEDIR, c.open, list);
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(local.events().front().caption, c.caption);
        EXPECT_EQ(filters, (std::vector<std::string>{"Bitmap", "Text", kiln::AllFilesFilterName()}));
        // Opening needs no existing file here: only the overwrite prompt is added to the flags.
        EXPECT_EQ(chosen, 1);
        EXPECT_EQ(std::string(path), dir.win("docs\\new.bmp"));
    }
    CString path = "keep";
    EXPECT_EQ(GetFolderIndex(path, 0, 1, nullptr), 0);  // cancelled by the empty script
    EXPECT_EQ(std::string(path), "keep");
}

TEST_F(FolderDialogsTest, BrowserShowsTheSelectionAndReturnsAChosenSubfolder) {
    std::string statuses;  // the status line shown first, then after the pick
    script.OnWait([&](HWND d) {
        statuses = TextOf(GetDlgItem(d, kStatus));
        ASSERT_EQ(Item(d, kTree, 0), "old\\");  // the root has no parent entry
        kiln::test::Pick(d, kTree, 0);
        statuses += "|" + TextOf(GetDlgItem(d, kStatus));
        PostClick(d, IDOK);
    });
    CString folder = dir.win("docs").c_str();
    EXPECT_EQ(BrowseFolderSpecialFolderBased(folder, nullptr, nullptr, CSIDL_PERSONAL, BIF_STATUSTEXT), 1);
    EXPECT_EQ(statuses, dir.win("docs") + "|" + dir.win("docs\\old"));
    EXPECT_EQ(std::string(folder), dir.win("docs\\old"));
    EXPECT_EQ(script.events().front().caption, "フォルダの参照");
}

TEST_F(FolderDialogsTest, MissingTypedFolderIsCreatedOnYesOnly) {
    for (int answer : {IDNO, IDYES}) {
        DialogScript local;
        local.OnWait([](HWND d) {
            SetDlgItemTextA(d, kEdit, "made\\deep");
            PostClick(d, IDOK);
        });
        boxes.Answer(answer);
        CString folder = dir.win("docs").c_str();
        const int result = BrowseFolderSpecialFolderBased(folder, nullptr, "t", CSIDL_PERSONAL, BIF_VALIDATE);
        const std::string expected = dir.win("docs\\made\\deep");
        EXPECT_EQ(boxes.Last().text, "フォルダ「" + expected + "」は存在しません。\n作成しますか？");
        EXPECT_EQ(boxes.Last().style, (unsigned)MB_YESNO);
        EXPECT_EQ(result, answer == IDYES ? 1 : 0);
        EXPECT_EQ(dir.Exists("docs/made/deep"), answer == IDYES);
        EXPECT_EQ(std::string(folder), answer == IDYES ? expected : dir.win("docs"));
    }
}

TEST_F(FolderDialogsTest, MissingSpecialFolderShowsNothing) {
    dir.Write("user-dirs.dirs", "XDG_VIDEOS_DIR=\"$HOME/none\"\n");
    CString folder = "x";
    EXPECT_EQ(BrowseFolderSpecialFolderBased(folder, nullptr, nullptr, CSIDL_MYVIDEO, 0), 0);
    EXPECT_EQ(std::string(folder), "x");
    EXPECT_TRUE(script.events().empty());
}

}  // namespace
