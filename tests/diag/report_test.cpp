#include <kiln/diag/report.h>
#include <kiln/diag/std_alloc.h>
#include <kiln/platform/runtime/global_memory.h>
#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/ui/message_box.h>
#include <kiln/platform/runtime/resources.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/box_recorder.h"

namespace {

using ::testing::ExitedWithCode;

class Report : public ::testing::Test {
protected:
    void SetUp() override { KfxSetErrorLevel(64); }
    void TearDown() override {
        KfxSetErrorLevel(64);
        __dwErrPause = 0;
    }
    void ExpectLast(const std::string& text, unsigned style, const std::string& caption = "Vantor") {
        const kiln::test::RecordedBox last = boxes.Last();
        EXPECT_EQ(last.text + "/" + std::to_string(last.style) + "/" + last.caption,
                  text + "/" + std::to_string(style) + "/" + caption);
    }
    kiln::test::BoxRecorder boxes;
};

TEST_F(Report, NoticesUseTheLibraryBox) {
    boxes.Answer(IDCANCEL);
    EXPECT_EQ(NOTICE("abc"), IDCANCEL);
    ExpectLast("abc", MB_OK | MB_ICONEXCLAMATION);
    boxes.Answer(IDCANCEL);
    EXPECT_EQ(REPORT("x"), 0);
    ExpectLast("x", MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(_NOTICE2("%s:%d", (INT_PTR) "file", 12), IDOK);
    ExpectLast("file:12", MB_OK | MB_ICONEXCLAMATION);
    _NOTICE4("%d%d%d%d", 1, 2, 3, 4);
    EXPECT_EQ(boxes.Last().text, "1234");
    EXPECT_EQ(boxes.Count(), 4u);

    // A string resource goes to AfxMessageBox with style 0.
    static const kiln::StringResource table[] = {{61001, "resource text"}};
    kiln::AddStringTable(table, 1);
    EXPECT_EQ(NOTICE(61001u), IDOK);
    EXPECT_EQ(boxes.Last().text, "resource text");
    EXPECT_EQ(boxes.Last().style, 0u);

    // No box shown: 0, and a question leaves no state behind.
    boxes.Answer(0);
    EXPECT_EQ(NOTICE("a"), 0);
    boxes.Answer(0);
    EXPECT_EQ(_ERRASK0("q"), 0);
    EXPECT_EQ(__dwErrPause, 0u);
    EXPECT_EQ(_GLOBAL_kiln_Globals.m_nBoxShowing, 0);
}

TEST_F(Report, ErrorLevelSilencesQuestionFamilies) {
    EXPECT_EQ(_ERRASKW0("w"), IDIGNORE);
    EXPECT_EQ(_ERRASKWF0("wf"), IDIGNORE);
    EXPECT_EQ(_ERRASKW3("%d%d%d", 1, 2, 3), IDIGNORE);
    boxes.Answer(IDIGNORE);
    EXPECT_EQ(_ERRASK0("plain"), IDIGNORE);
    ExpectLast("plain", MB_ABORTRETRYIGNORE | MB_DEFBUTTON3);

    KfxSetErrorLevel(32);
    EXPECT_EQ(KfxGetErrorLevel(), 32);
    boxes.Answer(IDRETRY);
    EXPECT_EQ(_ERRASKW1("n=%d", 5), IDRETRY);
    EXPECT_EQ(boxes.Last().text, "n=5");
    KfxSetErrorLevel(65);
    EXPECT_EQ(_ERRASK0("silenced"), IDIGNORE);
    KfxSetErrorLevel(-100);  // a signed comparison: every level shows
    EXPECT_EQ(ERRASK("low", 32), IDOK);
    EXPECT_EQ(boxes.Count(), 3u);
}

TEST_F(Report, OneQuestionAtATime) {
    __dwErrPause = 1;
    EXPECT_EQ(_ERRASK0("quiet"), IDOK);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(__dwErrPause, 1u);
    __dwErrPause = 0;

    // A question asked while another is up (here: from inside the handler) answers 1 at once.
    int nested = -1;
    kiln::MessageBoxHandler previous = kiln::SetMessageBoxHandler([&](const kiln::MessageBoxCall& call) {
        EXPECT_EQ(_GLOBAL_kiln_Globals.m_nBoxShowing, 1);
        EXPECT_EQ(__dwErrPause, 1u);
        if (std::string(call.text) == "outer") nested = _ERRASK0("inner");
        return IDRETRY;
    });
    EXPECT_EQ(_ERRASK0("outer"), IDRETRY);
    kiln::SetMessageBoxHandler(previous);
    EXPECT_EQ(nested, IDOK);
    EXPECT_EQ(__dwErrPause, 0u);
}

// For a death test: every box is answered with `answer`, and the child writes "box<n>:ok " for each box
// that is the next expected one in the library box, "box<n>:wrong " otherwise (the death-test pattern
// is a regular expression, which CP932 bytes would confuse).
void ExpectBoxes(std::vector<std::pair<std::string, unsigned>> expected, int answer) {
    kiln::SetMessageBoxHandler([=, next = size_t{0}](const kiln::MessageBoxCall& call) mutable {
        const bool match = next < expected.size() && call.text == expected[next].first &&
                           call.style == expected[next].second && std::string(call.caption) == "Vantor";
        fprintf(stderr, "box%zu:%s ", next++, match ? "ok" : "wrong");
        return answer;
    });
}

TEST(ReportDeath, AbortFatalStopsAndFatalWarningsEndTheProcessWithCodeOne) {
    const char* oneBox = "^box0:ok $";
    EXPECT_EXIT(
        {
            ExpectBoxes({{"abort", 514u}}, IDABORT);
            _ERRASK0("abort");
        },
        ExitedWithCode(1), oneBox);

    // One system-modal error box, whatever its answer (none at all here).
    const std::string head = "致命的なランタイムエラー： ";
    const std::string tail = "\n申し訳ありませんが、システムをダウンさせます。";
    EXPECT_EXIT(
        {
            ExpectBoxes({{head + "abc" + tail, 73744u}}, 0);
            FatalRuntimeError("abc");
        },
        ExitedWithCode(1), oneBox);
    EXPECT_EXIT(
        {
            ExpectBoxes({{head + "n=7" + tail, 73744u}}, IDOK);
            FatalRuntimeError1("n=%d", 7);
        },
        ExitedWithCode(1), oneBox);
    const std::string memory = head + "メモリーが不足しました。" + tail;
    EXPECT_EXIT(
        {
            ExpectBoxes({{memory, 73744u}}, IDOK);
            KfxOutOfMemory();
        },
        ExitedWithCode(1), oneBox);

    // A fatal warning that is shown ends the process after asking the user to contact the maker.
    EXPECT_EXIT(
        {
            KfxSetErrorLevel(36);
            ExpectBoxes({{"wf 9", 514u}, {"エラー内容を製造元に連絡してください。", 0u}}, IDIGNORE);
            _ERRASKWF1("wf %d", 9);
        },
        ExitedWithCode(1), "^box0:ok box1:ok $");
}

TEST_F(Report, MemoryAndTheLastError) {
    unsigned char* p = TryNewByte(64);
    ASSERT_NE(p, nullptr);
    p[63] = 1;
    delete[] p;

    void* handle = nullptr;
    auto* block = static_cast<unsigned char*>(stdAlloc(&handle, 32));
    ASSERT_NE(block, nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE((void*)block, handle);
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u);
    EXPECT_EQ(std::string((const char*)block, 32), std::string(32, '\0'));
    stdFree(handle);
    handle = &p;
    EXPECT_EQ(stdAlloc(&handle, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(handle, nullptr);

    SetLastError(ERROR_FILE_NOT_FOUND);
    DispLastError();
    ExpectLast("The system cannot find the file specified.\r\n", MB_OK | MB_ICONHAND, "GetLastError");
    SetLastError(0x7FFF1234);
    DispLastError();
    EXPECT_NE(boxes.Last().text.find("2147422772"), std::string::npos);
}

}  // namespace
