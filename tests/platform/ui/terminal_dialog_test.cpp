// The terminal front end, driven in a pseudo-terminal as a person would: modal dialogs asked field
// by field, the progress line of a modeless dialog, and the terminal's modes given back.
#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <kiln/platform/ui/dialog_box.h>
#include <kiln/platform/ui/file_dialog.h>
#include <kiln/platform/ui/message_box.h>

#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::PseudoTerminal;

// What the terminal shows, in UTF-8 whatever this file's literals are compiled to.
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) hex += {digits[c >> 4], digits[c & 15]};
    return hex;
}

constexpr int kEdit = 100, kList = 101, kCheck = 102;

struct Answers {
    std::string text;
    int selection = -1;
    int checked = 0;
    int selectionChanges = 0;
    bool refuseEmpty = false;
};
Answers g_answers;

std::string ItemText(HWND dialog, int id) {
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

INT_PTR CALLBACK FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        for (const char* colour : {"赤", "緑", "青"})
            SendDlgItemMessageA(dialog, kList, LB_ADDSTRING, 0, (LPARAM)colour);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == kList && HIWORD(wParam) == LBN_SELCHANGE) ++g_answers.selectionChanges;
    if (LOWORD(wParam) == IDOK) {
        g_answers.text = ItemText(dialog, kEdit);
        if (g_answers.refuseEmpty && g_answers.text.empty()) {
            MessageBoxA(dialog, "名前がありません", "Form", MB_OK | MB_ICONEXCLAMATION);
            return TRUE;
        }
        g_answers.selection = (int)SendDlgItemMessageA(dialog, kList, LB_GETCURSEL, 0, 0);
        g_answers.checked = (int)IsDlgButtonChecked(dialog, kCheck);
        EndDialog(dialog, IDOK);
    }
    if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
    return TRUE;
}

// A caption, a prompt, an edit, and (withChoices) a list and a check box; OK is the default.
std::vector<BYTE> FormTemplate(bool withChoices) {
    kiln::DialogDescription form;
    form.caption = "日本語の質問";
    form.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    form.cx = 200;
    form.cy = 120;
    form.items = {{"Static", 0xFFFF, "名前を入力:", 5, 5, 100, 10, WS_VISIBLE, 0},
                  {"Edit", kEdit, "abc", 5, 20, 100, 12, WS_VISIBLE | WS_TABSTOP, 0},
                  {"Button", IDOK, "OK", 110, 100, 40, 14, WS_VISIBLE | BS_DEFPUSHBUTTON, 0},
                  {"Button", IDCANCEL, "Cancel", 155, 100, 40, 14, WS_VISIBLE, 0}};
    if (withChoices)
        form.items.insert(form.items.begin() + 2,
                          {{"ListBox", kList, "", 5, 35, 100, 40, WS_VISIBLE | LBS_NOTIFY, 0},
                           {"Button", kCheck, "&Verbose", 5, 80, 100, 10, WS_VISIBLE | BS_AUTOCHECKBOX, 0}});
    return kiln::BuildDialogTemplate(form);
}

// Runs the form and reports on standard output: the result, the text's bytes in hex, the
// selection, the check, the selection notifications, and whether the modes came back.
int RunForm(bool withChoices, bool refuseEmpty) {
    g_answers = Answers{};
    g_answers.refuseEmpty = refuseEmpty;
    termios before{}, after{};
    tcgetattr(STDIN_FILENO, &before);
    std::vector<BYTE> bytes = FormTemplate(withChoices);
    INT_PTR result = DialogBoxIndirectParamA(nullptr, (LPCDLGTEMPLATE)bytes.data(), nullptr, FormProc, 0);
    tcgetattr(STDIN_FILENO, &after);
    bool same = before.c_lflag == after.c_lflag && before.c_iflag == after.c_iflag &&
                before.c_cc[VMIN] == after.c_cc[VMIN];
    std::printf("RESULT %d %s %d %d %d %s\n", (int)result, Hex(g_answers.text).c_str(), g_answers.selection,
                g_answers.checked, g_answers.selectionChanges, same ? "modes-back" : "modes-changed");
    return 0;
}

const std::string kLeft = "\x1b[D", kHome = "\x1b[H", kEnd = "\x1b[F", kBackspace = "\x7f";

TEST(TerminalDialog, FormIsAskedInTheUsersCharsetAndAnsweredThroughItsControls) {
    PseudoTerminal term([] { return RunForm(true, false); });
    // The caption, the keys, then each field under the text just before it.
    ASSERT_TRUE(term.Expect(Utf8(u8"== 日本語の質問 ==")));
    ASSERT_TRUE(term.Expect("[Enter/o] OK  [Esc/c] Cancel"));
    ASSERT_TRUE(term.Expect(Utf8(u8"名前を入力:\r\n")));
    ASSERT_TRUE(term.Expect("> abc"));
    // Home, 'x', End, Backspace, Left, then a character typed in UTF-8: "xa" 日 "b".
    term.Type(kHome + "x" + kEnd + kBackspace + kLeft + Utf8(u8"日") + "\r");
    ASSERT_TRUE(term.Expect(Utf8(u8"  2  緑")));
    ASSERT_TRUE(term.Expect("Number (1-3): "));
    // 9 is out of range and asked again; then 2.
    term.Type("9\r");
    ASSERT_TRUE(term.Expect("\a"));
    term.Type(kBackspace + "2\r");
    ASSERT_TRUE(term.Expect("[ ] Verbose"));
    term.Type(" ");
    ASSERT_TRUE(term.Expect("[x] Verbose"));
    term.Type("\r");
    ASSERT_EQ(term.Wait(), 0) << term.Screen();
    std::string cp932 = std::string("xa") + "日" + "b";
    EXPECT_NE(term.Screen().find("RESULT 1 " + Hex(cp932) + " 1 1 1 modes-back"), std::string::npos)
        << term.Screen();
}

// Escape and the end of input cancel; signals end the program; the terminal's modes come back.
TEST(TerminalDialog, CancelKeysAndSignalsGiveTheModesBack) {
    const std::pair<const char*, int> endings[] = {{"\x1b", 0}, {"\x04", 0}, {"", SIGTERM}, {"", SIGINT}};
    for (auto [keys, sig] : endings) {
        SCOPED_TRACE(testing::Message() << (int)keys[0] << " " << sig);
        PseudoTerminal term([] { return RunForm(false, false); });
        ASSERT_TRUE(term.Expect("> abc"));
        EXPECT_EQ(term.Modes().c_lflag & (ICANON | ECHO), 0u);
        if (sig == 0) term.Type(keys);
        if (sig != 0) term.Signal(sig);
        ASSERT_EQ(term.Wait(), sig == 0 ? 0 : 128 + sig);
        EXPECT_EQ(term.Modes().c_lflag & (ICANON | ECHO), (tcflag_t)(ICANON | ECHO));
        bool cancelled = term.Screen().find("RESULT 2  -1 0 0 modes-back") != std::string::npos;
        EXPECT_EQ(cancelled, sig == 0) << term.Screen();
    }
}

TEST(TerminalDialog, RefusedAnswerShowsTheBoxAndAsksAgain) {
    PseudoTerminal term([] { return RunForm(false, true); });
    ASSERT_TRUE(term.Expect("> abc"));
    term.Type("\x15\r");  // Ctrl-U empties the line
    ASSERT_TRUE(term.Expect(Utf8(u8"名前がありません")));
    ASSERT_TRUE(term.Expect("[Enter = OK]: "));
    term.Type("\r");
    ASSERT_TRUE(term.Expect(Utf8(u8"== 日本語の質問 ==")));
    ASSERT_TRUE(term.Expect("> "));
    term.Type("v\r");
    ASSERT_EQ(term.Wait(), 0);
    EXPECT_NE(term.Screen().find("RESULT 1 " + Hex("v") + " "), std::string::npos) << term.Screen();
}

// A progress dialog as the library's progress dialogs are laid out.
constexpr int kBar = 3004, kPercent = 3005, kStatus = 3006;
bool g_cancelled = false;

INT_PTR CALLBACK ProgressProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) g_cancelled = true;
    return message == WM_INITDIALOG;
}

long long NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

// Works for busyMs (or until Cancel is clicked), moving the bar and letting messages through as
// a job does; with boxAfterMs, shows a message box once that long has passed.
int RunProgress(long long busyMs, long long boxAfterMs) {
    kiln::DialogDescription progress;
    progress.caption = "処理中";
    progress.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    progress.cx = 250;
    progress.cy = 100;
    progress.items = {{"Static", kStatus, "Pass 1", 9, 6, 227, 59, WS_VISIBLE, 0},
                      {"msctls_progress32", kBar, "", 9, 70, 100, 10, WS_VISIBLE, 0},
                      {"Static", kPercent, " 0 %", 114, 73, 18, 8, WS_VISIBLE, 0},
                      {"Button", IDCANCEL, "Cancel", 190, 80, 50, 14, WS_VISIBLE, 0}};
    std::vector<BYTE> bytes = kiln::BuildDialogTemplate(progress);
    HWND dialog = CreateDialogIndirectParamA(nullptr, (LPCDLGTEMPLATE)bytes.data(), nullptr, ProgressProc, 0);
    if (!dialog) return 3;
    long long start = NowMs();
    bool boxShown = boxAfterMs < 0;
    for (int step = 0; !g_cancelled && NowMs() - start < busyMs; ++step) {
        SendDlgItemMessageA(dialog, kBar, PBM_SETPOS, (WPARAM)(step / 1000 % 101), 0);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageA(dialog, &msg)) DispatchMessageA(&msg);
        if (!boxShown && NowMs() - start >= boxAfterMs) {
            MessageBoxA(nullptr, "途中です", "Job", MB_OK);
            boxShown = true;
        }
    }
    DestroyWindow(dialog);
    std::printf("END %s\n", g_cancelled ? "cancelled" : "finished");
    return 0;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(TerminalDialog, ProgressLineIsRedrawnAtMostTenTimesASecondAndClearedAtTheEnd) {
    PseudoTerminal term([] { return RunProgress(800, -1); });
    ASSERT_TRUE(term.Expect(Utf8(u8"処理中: Pass 1 [")));
    ASSERT_TRUE(term.Expect("(Esc/c: Cancel)"));
    ASSERT_EQ(term.Wait(), 0);
    const std::string& screen = term.Screen();
    size_t draws = Count(screen, Utf8(u8"\r\x1b[K処理中"));
    EXPECT_GE(draws, 3u) << screen;
    EXPECT_LE(draws, 8u + 2u) << screen;
    // Cleared before the program goes on writing.
    size_t end = screen.find("END finished");
    ASSERT_NE(end, std::string::npos) << screen;
    EXPECT_GT(screen.rfind("\r\x1b[K", end), screen.rfind(Utf8(u8"処理中"), end)) << screen;
}

TEST(TerminalDialog, KeyClicksCancelAndABoxMeanwhileKeepsTheLineWhole) {
    PseudoTerminal term([] { return RunProgress(20000, 100); });
    ASSERT_TRUE(term.Expect(Utf8(u8"処理中")));
    ASSERT_TRUE(term.Expect(Utf8(u8"\r\x1b[KJob\r\n途中です")));
    ASSERT_TRUE(term.Expect("[Enter = OK]: "));
    term.Type("\r");
    ASSERT_TRUE(term.Expect(Utf8(u8"\r\x1b[K処理中")));
    term.Type("c");
    ASSERT_EQ(term.Wait(), 0);
    EXPECT_NE(term.Screen().find("END cancelled"), std::string::npos) << term.Screen();
    EXPECT_EQ(term.Modes().c_lflag & (ICANON | ECHO), (tcflag_t)(ICANON | ECHO));
}

// A file dialog's name edit completes a typed prefix on Tab from the folder's entries.
TEST(TerminalDialog, FileNameCompletesOnTab) {
    kiln::test::TempDir dir;
    dir.Write("alpha.txt", "a");
    dir.Write("beta.txt", "b");
    static std::string folder;
    folder = dir.win();
    PseudoTerminal term([] {
        char file[MAX_PATH] = "";
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof file;
        ofn.lpstrInitialDir = folder.c_str();
        ofn.Flags = OFN_FILEMUSTEXIST;
        BOOL chosen = GetOpenFileNameA(&ofn);
        std::printf("CHOSEN %d %s\n", chosen, file + ofn.nFileOffset);
        return 0;
    });
    ASSERT_TRUE(term.Expect("> "));
    term.Type("al\t");
    ASSERT_TRUE(term.Expect("alpha.txt"));
    term.Type("\r");
    ASSERT_TRUE(term.Expect("Number (1-3): "));  // the folder's entries, left as they are
    term.Type("\r");
    ASSERT_TRUE(term.Expect("(Space: change)"));  // the read-only box
    term.Type("\r");
    ASSERT_EQ(term.Wait(), 0) << term.Screen();
    EXPECT_NE(term.Screen().find("CHOSEN 1 alpha.txt"), std::string::npos) << term.Screen();
}

}  // namespace
