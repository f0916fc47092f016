#include <kiln/platform/ui/message_box.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <tuple>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/win_app.h>

#include "platform/ui/terminal_box.h"
#include <kiln/platform/text/user_charset.h>
#include "support/box_recorder.h"
#include "support/expect_error.h"
#include "support/scoped_env.h"

namespace {

using kiln::MessageBoxCall;
using kiln::MessageBoxHandler;
using kiln::SetMessageBoxHandler;
using kiln::test::BoxRecorder;
using kiln::test::ScopedEnv;

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// Runs the terminal dialogue with the given keyboard input; returns the answer and the screen.
std::pair<int, std::string> Ask(unsigned style, const std::string& typed, const char* text = "text") {
    std::FILE* in = typed.empty() ? std::fopen("/dev/null", "r")
                                  : fmemopen(const_cast<char*>(typed.data()), typed.size(), "r");
    std::FILE* out = std::tmpfile();
    int answer = kiln::AskOnTerminal(MessageBoxCall{text, "Title", style}, in, out);
    std::string screen(4096, '\0');
    std::rewind(out);
    screen.resize(std::fread(screen.data(), 1, screen.size(), out));
    std::fclose(in);
    std::fclose(out);
    return {answer, screen};
}

// The answer of the default handler in batch, and what it printed.
std::tuple<int, std::string> Batch(const char* text, const char* caption, unsigned style) {
    testing::internal::CaptureStderr();
    int answer = MessageBoxA(nullptr, text, caption, style);
    return {answer, testing::internal::GetCapturedStderr()};
}

TEST(MessageBoxHandler, InstallReturnsThePreviousOneAndEmptyRestoresTheDefault) {
    std::vector<std::string> seen;
    MessageBoxHandler first = [&](const MessageBoxCall& c) {
        seen.push_back(std::string(c.text) + "|" + c.caption + "|" + std::to_string(c.style));
        return IDYES;
    };
    EXPECT_FALSE(SetMessageBoxHandler(first)) << "the default handler is in force at the start";
    EXPECT_EQ(MessageBoxA(nullptr, "question", "Caption", MB_YESNO), IDYES);
    MessageBoxHandler replaced = SetMessageBoxHandler([](const MessageBoxCall&) { return IDNO; });
    ASSERT_TRUE(replaced);
    EXPECT_EQ(MessageBoxA(nullptr, "again", nullptr, MB_YESNO), IDNO);
    EXPECT_EQ(replaced(MessageBoxCall{"direct", "C", 0}), IDYES) << "the returned handler is the first one";
    EXPECT_EQ(seen, (std::vector<std::string>{"question|Caption|4", "direct|C|0"}));

    EXPECT_TRUE(SetMessageBoxHandler({}));
    EXPECT_EQ(Batch("batch", "Default", MB_OKCANCEL | MB_DEFBUTTON2),
              std::tuple(IDCANCEL, std::string("Default: batch [OK/Cancel: Cancel]\n")));
    EXPECT_FALSE(SetMessageBoxHandler({})) << "the default was in force again";
}

TEST(MessageBoxHandler, MissingTextsBadStylesAndNoBox) {
    BoxRecorder boxes;
    boxes.Answer(0);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_ICONHAND), 0) << "0: the handler showed no box";
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(std::tuple(boxes.Last().text, boxes.Last().caption, boxes.Last().style),
              std::tuple("", "Error", MB_ICONHAND));
    EXPECT_LAST_ERROR(MessageBoxA(nullptr, "text", "caption", 7), 0, ERROR_INVALID_MSGBOX_STYLE);
    EXPECT_EQ(AfxMessageBox("text", 0x0F), 0);
    EXPECT_EQ(boxes.Count(), 1u) << "a box with an unknown button type is never shown";
}

TEST(MessageBoxHandler, HandlersRunWithoutLocksAndBoxesComeFromAnyThread) {
    BoxRecorder outer;
    // A handler that shows a box itself and installs another handler must not deadlock.
    MessageBoxHandler previous = SetMessageBoxHandler([&](const MessageBoxCall& call) {
        BoxRecorder inner;
        inner.Answer(IDRETRY);
        int nested = MessageBoxA(nullptr, "nested", "inner", MB_RETRYCANCEL);
        EXPECT_EQ(inner.Count(), 1u);
        return std::string(call.text) == "outer" ? nested : IDABORT;
    });
    EXPECT_EQ(MessageBoxA(nullptr, "outer", "c", MB_OK), IDRETRY);
    SetMessageBoxHandler(previous);

    std::vector<std::thread> threads;
    std::atomic<int> okAnswers{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i)
                okAnswers += MessageBoxA(nullptr, "from a thread", "c", MB_OK) == IDOK;
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(outer.Count(), 200u);
    EXPECT_EQ(okAnswers.load(), 200);
}

TEST(DefaultMessageBox, BatchAnswersEachStylesDefaultButtonAtOnce) {
    const std::tuple<unsigned, int, const char*> cases[] = {
        {MB_OK, IDOK, ""},
        {MB_OK | MB_DEFBUTTON3, IDOK, ""},
        {MB_OKCANCEL, IDOK, " [OK/Cancel: OK]"},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE, " [Abort/Retry/Ignore: Ignore]"},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2 | MB_ICONHAND, IDRETRY, " [Abort/Retry/Ignore: Retry]"},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, IDNO, " [Yes/No/Cancel: No]"},
        {MB_YESNO | MB_DEFBUTTON4, IDNO, " [Yes/No: No]"},
        {MB_RETRYCANCEL, IDRETRY, " [Retry/Cancel: Retry]"},
        {MB_CANCELTRYCONTINUE | MB_DEFBUTTON3, IDCONTINUE, " [Cancel/Try Again/Continue: Continue]"},
    };
    for (auto [style, answer, suffix] : cases)
        EXPECT_EQ(Batch("message", "Tool", style),
                  std::tuple(answer, "Tool: message" + std::string(suffix) + "\n"))
            << style;
}

TEST(DefaultMessageBox, TextsAreShownInTheUsersCharset) {
    ScopedEnv utf8("LC_ALL", "C.UTF-8");
    EXPECT_EQ(Batch("二重確保されました\r\n次の行\x1b[2J", "ｶｷﾞ", MB_OK),
              std::tuple(IDOK, Utf8(u8"ｶｷﾞ: 二重確保されました\n次の行?[2J\n")));
    // Bytes that are not CP932 become one '?' each: a lone byte, a lead byte at the end or without
    // a trail byte, an unassigned double-byte code.
    const std::pair<std::string, std::string> texts[] = {
        {"a\xFF"
         "b",
         "a?b"},
        {"x\x81", "x?"},
        {"\x81\x20z", "? z"},
        {"\x85\x40"
         "k",
         "?k"},
        {std::string(3000, 'a') + "字", std::string(3000, 'a') + Utf8(u8"字")}};
    for (const auto& [text, shown] : texts) EXPECT_EQ(kiln::ToUserCharset(text), shown);
    // Typed text comes back to CP932 whole, or not at all (an e with acute accent has no CP932 form).
    std::string cp932 = "kept";
    EXPECT_TRUE(kiln::FromUserCharset(Utf8(u8"ｶｷﾞ漢字"), cp932));
    EXPECT_EQ(cp932, "ｶｷﾞ漢字");
    EXPECT_FALSE(
        kiln::FromUserCharset("a\xC3\xA9"
                              "b",
                              cp932));
    EXPECT_EQ(cp932, "ｶｷﾞ漢字");

    ScopedEnv plain("LC_ALL", "C");
    EXPECT_EQ(kiln::UserCharset(), "UTF-8") << "the C locale reads UTF-8 too";
    EXPECT_EQ(kiln::ToUserCharset("漢字"), Utf8(u8"漢字"));
}

TEST(TerminalBox, AsksUntilAButtonIsChosen) {
    ScopedEnv utf8("LC_ALL", "C.UTF-8");
    auto [answer, screen] =
        Ask(MB_ABORTRETRYIGNORE | MB_DEFBUTTON3 | MB_ICONEXCLAMATION, "x\nretry\nr\n", "警告");
    EXPECT_EQ(answer, IDRETRY);
    const std::string prompt = "Abort (a), Retry (r), Ignore (i) [Enter = Ignore]: ";
    EXPECT_EQ(screen, "[Warning] Title\n" + Utf8(u8"警告") + "\n" + prompt + prompt + prompt);

    EXPECT_EQ(Ask(MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, "\n").first, IDIGNORE) << "Enter takes the default";
    EXPECT_EQ(Ask(MB_ABORTRETRYIGNORE, "  A \n").first, IDABORT) << "letters in either case";
    EXPECT_EQ(Ask(MB_CANCELTRYCONTINUE, "o\n").first, IDCONTINUE);
    EXPECT_EQ(Ask(MB_CANCELTRYCONTINUE, "t\n").first, IDTRYAGAIN);
    EXPECT_EQ(Ask(MB_YESNOCANCEL | MB_DEFBUTTON2, "q\n").first, IDNO)
        << "a wrong letter, then the end of input";
    EXPECT_EQ(Ask(MB_YESNO | MB_ICONQUESTION, "").second,
              "[Question] Title\ntext\nYes (y), No (n) [Enter = Yes]: Yes\n");
}

TEST(AfxMessageBox, CaptionIsTheAppNameAndIdsComeFromTheStringTable) {
    static const kiln::StringResource strings[] = {{62001, "文字列表から"}};
    kiln::AddStringTable(strings, 1);
    BoxRecorder boxes;
    EXPECT_EQ(AfxMessageBox("plain", MB_ICONEXCLAMATION), IDOK);
    // Without an app object, the program's name.
    EXPECT_EQ(std::tuple(boxes.Last().caption, boxes.Last().style),
              std::tuple("kiln_platform_tests", MB_ICONEXCLAMATION));
    {
        CWinApp app("アプリ");
        boxes.Answer(IDNO);
        EXPECT_EQ(AfxMessageBox(62001, MB_YESNO), IDNO);
        EXPECT_EQ(std::tuple(boxes.Last().text, boxes.Last().caption, boxes.Last().style),
                  std::tuple("文字列表から", "アプリ", MB_YESNO));
    }
    AfxMessageBox(62002);
    EXPECT_EQ(boxes.Last().text, "") << "an id without a string shows an empty text";
    EXPECT_EQ(boxes.Count(), 3u);
}

}  // namespace
