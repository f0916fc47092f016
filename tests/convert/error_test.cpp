#include <kiln/convert/error.h>

#include <gtest/gtest.h>

#include <string>

#include "support/box_recorder.h"

namespace {

// An error list with memory and a path name, inter-locked.
class ErrorList : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(list.Alloc(0), nullptr);
        list.AttachText("prog.asm");
        ASSERT_NE(list.InterLock(), nullptr);
    }
    void TearDown() override {
        if (list.IsLocked()) list.InterUnlock();
    }
    std::string Text() { return std::string(static_cast<const char*>((void*)list), list.GetPC()); }

    kiln::test::BoxRecorder boxes;
    CError list;
};

TEST_F(ErrorList, LineReadsPathLineAndMessage) {
    char message[] = "シンボル %s はすでに定義されています";
    ERROR_INFO duplicate = {0, 0, message};
    unsigned int line = 40;
    list.AttachLine(&line);
    EXPECT_EQ(list.Error(duplicate, (UINT_PTR) "LOOP", 0), 0);
    line = 41;  // the counter is read at every line
    EXPECT_EQ(list.Error(duplicate, (UINT_PTR) "X", 0), 0);
    list.AttachLine(nullptr);
    EXPECT_EQ(list.Error(duplicate, (UINT_PTR) "Y", 0), 0);
    EXPECT_EQ(Text(), "prog.asm (40) シンボル LOOP はすでに定義されています\r\n"
                      "prog.asm (41) シンボル X はすでに定義されています\r\n"
                      "prog.asm (\?\?\?) シンボル Y はすでに定義されています\r\n");
    EXPECT_EQ(line, 41u);
    EXPECT_EQ(list.IsRewind(), 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(ErrorList, ValuesArePointerSizedAndFormattedByTheirConversions) {
    char message[] = "%s=%u";
    ERROR_INFO info = {0, 0, message};
    std::string name(40, 'n');  // a heap pointer, above 32 bits on most systems
    EXPECT_EQ(list.Error(info, (UINT_PTR)name.c_str(), 0, 4000000000u, 0), 0);
    EXPECT_EQ(Text(), "prog.asm (\?\?\?) " + name + "=4000000000\r\n");
}

TEST_F(ErrorList, ThresholdDropsLowerLevels) {
    list.m_nThreshold = 2;
    char message[] = "low";
    ERROR_INFO low = {1, 1, message};
    EXPECT_EQ(list.Error(low), 0);
    EXPECT_EQ(list.GetPC(), 0u);
    EXPECT_EQ(list.IsRewind(), 0);
    EXPECT_EQ(list.m_nErrorCount, 0u);
    ERROR_INFO high = {2, 1, message};
    EXPECT_EQ(list.Error(high), 0);
    EXPECT_EQ(Text(), "prog.asm (\?\?\?) low\r\n");
    EXPECT_EQ(list.IsRewind(), 1);
}

TEST_F(ErrorList, RewindFlagOnlyForRequestOne) {
    char message[] = "m";
    ERROR_INFO other = {0, 2, message};
    list.Error(other);
    EXPECT_EQ(list.IsRewind(), 0);
    ERROR_INFO stop = {0, 1, message};
    list.Error(stop);
    EXPECT_EQ(list.IsRewind(), 1);
    list.Error(other);
    EXPECT_EQ(list.IsRewind(), 1);  // stays raised until cleared
    list.ClearRewind();
    EXPECT_EQ(list.IsRewind(), 0);
}

TEST_F(ErrorList, PrecisionPlaceholderIsWrittenIntoTheMessage) {
    char message[] = "%.###s";
    ERROR_INFO info = {0, 0, message};
    EXPECT_EQ(list.Error(info, (UINT_PTR) "ABCDEF", 3), 0);
    EXPECT_EQ(Text(), "prog.asm (\?\?\?) ABC\r\n");
    EXPECT_STREQ(message, "%.003s");

    // A token that is not NUL-terminated is printed by its length alone.
    char undefined[] = "未定義 %.###s です";
    ERROR_INFO token = {0, 0, undefined};
    const char source[] = {'L', 'O', 'O', 'P', '+', '1'};
    list.Error(token, (UINT_PTR)source, 4);
    EXPECT_STREQ(undefined, "未定義 %.004s です");
    list.Error(token, (UINT_PTR) "LOOP", 1234);  // taken as 999
    EXPECT_STREQ(undefined, "未定義 %.999s です");

    char plain[] = "no period %s";
    ERROR_INFO unchanged = {0, 0, plain};
    list.Error(unchanged, (UINT_PTR) "x", 7);
    EXPECT_STREQ(plain, "no period %s");

    // A period too near the end is left alone: nothing is written past the text.
    char shortTail[] = "end.ab";
    ERROR_INFO tail = {0, 0, shortTail};
    list.Error(tail);
    EXPECT_STREQ(shortTail, "end.ab");
    EXPECT_NE(Text().find("prog.asm (\?\?\?) 未定義 LOOP です\r\n"), std::string::npos);
    EXPECT_NE(Text().find("prog.asm (\?\?\?) end.ab\r\n"), std::string::npos);
}

TEST_F(ErrorList, PrefixPrecisionFollowsThePathLength) {
    list.AttachText("a.src.bak");
    unsigned int line = 7;
    list.AttachLine(&line);
    char message[] = "m";
    ERROR_INFO info = {0, 0, message};
    list.Error(info);
    EXPECT_EQ(Text(), "a.src.bak (7) m\r\n");
}

TEST_F(ErrorList, MaximumTurnsRecordsIntoTooManyErrors) {
    list.m_nMaxError = 0;
    char message[] = "first";
    ERROR_INFO info = {5, 0, message};
    EXPECT_EQ(list.Error(info), 0);
    EXPECT_EQ(Text(), "prog.asm (\?\?\?) エラーの数が多すぎます\r\n");
    EXPECT_EQ(list.IsRewind(), 1);
    EXPECT_STREQ(info.message, "エラーの数が多すぎます");  // the caller's record was overwritten
    EXPECT_EQ(info.rewind, 1);
    EXPECT_EQ(info.level, 0);
}

TEST_F(ErrorList, ErrorCountAdvancesWithEveryRecordedLine) {
    list.m_nMaxError = 2;
    char message[] = "e%u";
    for (unsigned int i = 1; i <= 3; ++i) {
        ERROR_INFO info = {0, 0, message};
        list.Error(info, i, 0);
    }
    EXPECT_EQ(list.m_nErrorCount, 3u);
    EXPECT_EQ(Text(), "prog.asm (\?\?\?) e1\r\nprog.asm (\?\?\?) e2\r\nprog.asm (\?\?\?) エラーの数が多すぎます\r\n");
}

TEST_F(ErrorList, GarbledRecordsAreFormattedSafely) {
    ERROR_INFO empty = {0, 0, nullptr};
    EXPECT_EQ(list.Error(empty, 1, 5), 0);
    char missing[] = "%s|%s|%d|%n|%%";  // more conversions than values, and a %n
    ERROR_INFO garbled = {0, 0, missing};
    EXPECT_EQ(list.Error(garbled, (UINT_PTR) "a", 0), 0);
    char lone[] = "100%";
    ERROR_INFO trailing = {0, 0, lone};
    EXPECT_EQ(list.Error(trailing), 0);
    std::string text = Text();
    EXPECT_EQ(text.find("prog.asm (\?\?\?) \r\nprog.asm (\?\?\?) a|(null)|0||%\r\nprog.asm (\?\?\?) 100"), 0u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(ErrorList, NoErrorAppendsTheTextInAngleBrackets) {
    EXPECT_EQ(list.NoError("done"), 0);
    EXPECT_EQ(Text(), "<done>\r\n");
    EXPECT_EQ(list.GetPC(), 8u);
}

TEST_F(ErrorList, ManyErrorsGrowTheBuffer) {
    list.m_nMaxError = 100000;
    unsigned int line = 0;
    list.AttachLine(&line);
    char message[] = "error number %u";
    for (line = 1; line <= 2000; ++line) {
        ERROR_INFO info = {0, 0, message};
        ASSERT_EQ(list.Error(info, line, 0), 0);
    }
    std::string text = Text();
    EXPECT_EQ(text.find("prog.asm (1) error number 1\r\n"), 0u);
    EXPECT_NE(text.find("prog.asm (2000) error number 2000\r\n"), std::string::npos);
    EXPECT_GE(list.GetLength(), list.GetPC());
}

TEST(ErrorListState, WithoutBlockOrLockNothingIsRecorded) {
    kiln::test::BoxRecorder boxes;
    char message[] = "m";
    ERROR_INFO info = {0, 1, message};
    CError empty;
    EXPECT_EQ(empty.Error(info), 1);
    EXPECT_EQ(empty.NoError("x"), 1);
    EXPECT_EQ(empty.IsRewind(), 0);

    CError unlocked;
    unlocked.Alloc(16);
    EXPECT_EQ(unlocked.Error(info), 1);
    EXPECT_EQ(unlocked.NoError("x"), 1);
    EXPECT_EQ(unlocked.GetPC(), 0u);
    EXPECT_EQ(unlocked.IsRewind(), 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(ErrorListState, CopyHoldsNoTextButTheSameSettings) {
    CError list;
    list.Alloc(0);
    list.AttachText("a.src");
    unsigned int line = 3;
    list.AttachLine(&line);
    list.m_nThreshold = 4;
    list.m_nMaxError = 9;
    list.InterLock();
    char message[] = "m";
    ERROR_INFO info = {4, 1, message};
    list.Error(info);
    list.InterUnlock();

    CError copy(list);
    EXPECT_EQ(copy.GetID(), nullptr);
    EXPECT_EQ(copy.IsRewind(), 1);
    EXPECT_EQ(copy.m_nThreshold, 4u);
    EXPECT_EQ(copy.m_nMaxError, 9u);
    EXPECT_EQ(copy.m_nErrorCount, 1u);
    copy.Alloc(0);
    copy.InterLock();
    line = 12;
    ERROR_INFO low = {3, 0, message};
    EXPECT_EQ(copy.Error(low), 0);
    EXPECT_EQ(copy.GetPC(), 0u);  // below the copied threshold
    copy.Error(info);
    EXPECT_EQ(std::string(static_cast<const char*>((void*)copy), copy.GetPC()), " (12) m\r\n");
    copy.InterUnlock();
}

TEST(ErrorListState, DerivedTemplateChangesThePrefix) {
    struct Plain : CError {
        CString SetErrorTemplate() override { return "E: "; }
    } list;
    list.Alloc(0);
    list.InterLock();
    char message[] = "m";
    ERROR_INFO info = {0, 0, message};
    list.Error(info);
    EXPECT_EQ(std::string(static_cast<const char*>((void*)list), list.GetPC()), "E: m\r\n");
    list.InterUnlock();

    const CRuntimeClass* rc = RUNTIME_CLASS(CError);
    EXPECT_STREQ(rc->m_lpszClassName, "CError");
    EXPECT_EQ(rc->m_wSchema, 0xFFFFu);
    EXPECT_EQ(rc->m_pBaseClass, RUNTIME_CLASS(CDecode));
    CObject* made = rc->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(static_cast<CError*>(made)->m_nMaxError, 128u);
    delete made;
}

}  // namespace
