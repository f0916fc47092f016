#include <kiln/diag/report.h>
#include <kiln/diag/std_alloc.h>
#include <kiln/platform/global_memory.h>
#include <kiln/platform/last_error.h>
#include <kiln/platform/message_box.h>
#include <kiln/platform/resources.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/box_recorder.h"

namespace {

class Report : public ::testing::Test {
protected:
    void SetUp() override { KfxSetErrorLevel(64); }
    void TearDown() override {
        KfxSetErrorLevel(64);
        __dwErrPause = 0;
    }
    kiln::test::BoxRecorder boxes;
};

TEST_F(Report, NoticesUseTheLibraryBox) {
    boxes.Answer(IDOK);
    EXPECT_EQ(NOTICE("abc"), IDOK);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, "abc");
    EXPECT_EQ(boxes.Last().caption, "Vantor");
    EXPECT_EQ(boxes.Last().style, 48u);

    boxes.Answer(IDOK);
    EXPECT_EQ(REPORT("x"), 0);
    EXPECT_EQ(boxes.Last().style, 48u);

    EXPECT_EQ(_NOTICE2("%s:%d", (INT_PTR) "file", 12), 1);
    EXPECT_EQ(boxes.Last().text, "file:12");
    _NOTICE4("%d%d%d%d", 1, 2, 3, 4);
    EXPECT_EQ(boxes.Last().text, "1234");
}

TEST_F(Report, NoBoxMeansZero) {
    boxes.Answer(0);
    EXPECT_EQ(NOTICE("a"), 0);
    boxes.Answer(0);
    EXPECT_EQ(_ERRASK0("q"), 0);
    EXPECT_EQ(__dwErrPause, 0u);  // the question cleared its state
    EXPECT_EQ(_GLOBAL_kiln_Globals.m_nBoxShowing, 0);
}

TEST_F(Report, StringResourceNotice) {
    static const kiln::StringResource table[] = {{61001, "resource text"}};
    kiln::AddStringTable(table, 1);
    EXPECT_EQ(NOTICE(61001u), IDOK);
    EXPECT_EQ(boxes.Last().text, "resource text");
    EXPECT_EQ(boxes.Last().style, 0u);
}

TEST_F(Report, ErrorLevelSilencesQuestionFamilies) {
    EXPECT_EQ(_ERRASKW0("w"), IDIGNORE);
    EXPECT_EQ(_ERRASKWF0("wf"), IDIGNORE);
    EXPECT_EQ(_ERRASKW3("%d%d%d", 1, 2, 3), IDIGNORE);
    EXPECT_EQ(boxes.Count(), 0u);

    boxes.Answer(IDIGNORE);
    EXPECT_EQ(_ERRASK0("plain"), IDIGNORE);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().style, 514u);
    EXPECT_EQ(boxes.Last().caption, "Vantor");

    KfxSetErrorLevel(32);
    EXPECT_EQ(KfxGetErrorLevel(), 32);
    boxes.Answer(IDRETRY);
    EXPECT_EQ(_ERRASKW1("n=%d", 5), IDRETRY);
    EXPECT_EQ(boxes.Last().text, "n=5");

    KfxSetErrorLevel(65);
    EXPECT_EQ(_ERRASK0("silenced"), IDIGNORE);
    KfxSetErrorLevel(-100);  // a signed comparison: every level shows
    boxes.Answer(IDIGNORE);
    EXPECT_EQ(ERRASK("low", -99), IDIGNORE);
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

TEST(ReportDeath, AbortEndsTheProcessWithCodeOne) {
    EXPECT_EXIT(
        {
            kiln::SetMessageBoxHandler([](const kiln::MessageBoxCall&) { return IDABORT; });
            _ERRASK0("abort me");
        },
        ::testing::ExitedWithCode(1), "");
}

// In the child, the handler compares each box with the expected one and prints a plain-ASCII verdict
// (the death-test pattern is a regular expression, which CP932 bytes would confuse).
struct ExpectedBox {
    std::string text;
    unsigned style;
};

void ExpectBoxesThenExit(std::vector<ExpectedBox> expected, int answer) {
    static std::vector<ExpectedBox> s_expected;
    static size_t s_next = 0;
    static int s_answer = 0;
    s_expected = std::move(expected);
    s_answer = answer;
    kiln::SetMessageBoxHandler([](const kiln::MessageBoxCall& call) {
        bool match = s_next < s_expected.size() && call.text == s_expected[s_next].text &&
                     call.style == s_expected[s_next].style && std::string(call.caption) == "Vantor";
        fprintf(stderr, "box%zu:%s ", s_next, match ? "ok" : "wrong");
        ++s_next;
        return s_answer;
    });
}

TEST(ReportDeath, FatalStopShowsOneBoxThenExits) {
    const std::string fatal = std::string("致命的なランタイムエラー： ") + "abc" +
                              "\n申し訳ありませんが、システムをダウンさせます。";
    EXPECT_EXIT(
        {
            ExpectBoxesThenExit({{fatal, 73744u}}, 0);  // no box: the process ends all the same
            FatalRuntimeError("abc");
        },
        ::testing::ExitedWithCode(1), "^box0:ok $");
    const std::string formatted = std::string("致命的なランタイムエラー： ") + "n=7" +
                                  "\n申し訳ありませんが、システムをダウンさせます。";
    EXPECT_EXIT(
        {
            ExpectBoxesThenExit({{formatted, 73744u}}, IDOK);
            FatalRuntimeError1("n=%d", 7);
        },
        ::testing::ExitedWithCode(1), "^box0:ok $");
    const std::string memory = std::string("致命的なランタイムエラー： ") + "メモリーが不足しました。" +
                               "\n申し訳ありませんが、システムをダウンさせます。";
    EXPECT_EXIT(
        {
            ExpectBoxesThenExit({{memory, 73744u}}, IDOK);
            KfxOutOfMemory();
        },
        ::testing::ExitedWithCode(1), "^box0:ok $");
}

TEST(ReportDeath, FatalWarningLevelEndsAfterTheContactLine) {
    EXPECT_EXIT(
        {
            KfxSetErrorLevel(36);
            ExpectBoxesThenExit({{"wf 9", 514u}, {"エラー内容を製造元に連絡してください。", 0u}}, IDIGNORE);
            _ERRASKWF1("wf %d", 9);
        },
        ::testing::ExitedWithCode(1), "^box0:ok box1:ok $");
}

TEST_F(Report, TryNewByteGivesUsableMemory) {
    unsigned char* p = TryNewByte(64);
    ASSERT_NE(p, nullptr);
    p[63] = 1;
    delete[] p;
}

TEST_F(Report, DispLastErrorShowsTheSystemText) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    DispLastError();
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().caption, "GetLastError");
    EXPECT_EQ(boxes.Last().style, 16u);
    EXPECT_EQ(boxes.Last().text, "The system cannot find the file specified.\r\n");
    SetLastError(0x7FFF1234);
    DispLastError();
    EXPECT_NE(boxes.Last().text.find("2147422772"), std::string::npos);
}

TEST(StdAlloc, HandsOutTheHandleAndALockedZeroedBlock) {
    void* handle = nullptr;
    auto* p = static_cast<unsigned char*>(stdAlloc(&handle, 32));
    ASSERT_NE(p, nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE((void*)p, handle);
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(p[i], 0);
    stdFree(handle);

    handle = &p;
    EXPECT_EQ(stdAlloc(&handle, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(handle, nullptr);
}

}  // namespace
