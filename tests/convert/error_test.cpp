#include <kiln/convert/error.h>

#include <gtest/gtest.h>

#include <string>

#include "support/seq.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Seq;

std::string Written(CDecode& d) { return {static_cast<const char*>((void*)d), d.GetPC()}; }

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
        EXPECT_EQ(boxes.Count(), 0u);
    }
    kiln::test::BoxRecorder boxes;
    CError list;
    char m[2] = "m";
};

TEST_F(ErrorList, LineReadsPathLineAndMessage) {
    char message[] = "シンボル %s はすでに定義されています";
    ERROR_INFO duplicate = {0, 0, message};
    unsigned int line = 40;
    list.AttachLine(&line);
    list.Error(duplicate, (UINT_PTR) "LOOP", 0);
    line = 41;  // the counter is read at every line
    list.Error(duplicate, (UINT_PTR) "X", 0);
    list.AttachLine(nullptr);
    list.Error(duplicate, (UINT_PTR) "Y", 0);
    list.AttachText("a.src.bak");  // the path is printed by its length
    char values[] = "%s=%u";
    ERROR_INFO info = {0, 0, values};
    std::string name(40, 'n');  // a heap pointer, above 32 bits on most systems
    EXPECT_EQ(Seq({list.Error(info, (UINT_PTR)name.c_str(), 0, 4000000000u, 0), list.NoError("done")}),
              "0 0");
    EXPECT_EQ(Written(list),
              "prog.asm (40) シンボル LOOP はすでに定義されています\r\n"
              "prog.asm (41) シンボル X はすでに定義されています\r\n"
              "prog.asm (\?\?\?) シンボル Y はすでに定義されています\r\n"
              "a.src.bak (\?\?\?) " +
                  name + "=4000000000\r\n<done>\r\n");
    EXPECT_EQ(Seq({list.m_nErrorCount, list.IsRewind()}), "4 0");
}

TEST_F(ErrorList, ThresholdRewindFlagAndMaximum) {
    list.m_nThreshold = 2;
    list.m_nMaxError = 3;
    ERROR_INFO low = {1, 1, m}, high = {2, 1, m}, other = {2, 2, m};
    // Below the threshold a record is dropped; only a request of 1 raises the flag, which stays
    // raised until cleared; at the maximum comes the too-many record, which rewinds.
    EXPECT_EQ(Seq({list.Error(low), list.GetPC(), list.IsRewind(), list.m_nErrorCount}), "0 0 0 0");
    EXPECT_EQ(Seq({list.Error(other), list.IsRewind(), list.Error(high), list.Error(other), list.IsRewind()}),
              "0 0 0 0 1");
    list.ClearRewind();
    EXPECT_EQ(Seq({list.IsRewind(), list.Error(other), list.IsRewind()}), "0 0 1");
    EXPECT_STREQ(other.message, "エラーの数が多すぎます") << "the caller's record is overwritten";
    EXPECT_EQ(other.level + 10 * other.rewind, 10);
    EXPECT_EQ(list.m_nErrorCount, 4u) << "the count advances with every recorded line";
    const std::string line = "prog.asm (\?\?\?) m\r\n";
    EXPECT_EQ(Written(list), line + line + line + "prog.asm (\?\?\?) エラーの数が多すぎます\r\n");
}

TEST_F(ErrorList, PrecisionPlaceholderIsWrittenIntoTheMessage) {
    char message[] = "未定義 %.###s です";
    ERROR_INFO token = {0, 0, message};
    const char source[] = {'L', 'O', 'O', 'P', '+', '1'};  // not NUL-terminated: printed by its length
    list.Error(token, (UINT_PTR)source, 4);
    EXPECT_STREQ(message, "未定義 %.004s です");
    list.Error(token, (UINT_PTR) "LOOPING", 1234);
    EXPECT_STREQ(message, "未定義 %.999s です") << "1234 is taken as 999";
    char plain[] = "no period %s", shortTail[] = "end.ab";
    ERROR_INFO unchanged = {0, 0, plain}, tail = {0, 0, shortTail};
    list.Error(unchanged, (UINT_PTR) "x", 7);
    list.Error(tail, 0, 7);  // a period too near the end: nothing is written past the text
    EXPECT_STREQ(plain, "no period %s");
    EXPECT_STREQ(shortTail, "end.ab");
    EXPECT_EQ(Written(list),
              "prog.asm (\?\?\?) 未定義 LOOP です\r\nprog.asm (\?\?\?) 未定義 LOOPING です\r\n"
              "prog.asm (\?\?\?) no period x\r\nprog.asm (\?\?\?) end.ab\r\n");
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
    std::string text = Written(list);
    EXPECT_EQ(text.find("prog.asm (\?\?\?) \r\nprog.asm (\?\?\?) a|(null)|0||%\r\nprog.asm (\?\?\?) 100"),
              0u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(ErrorList, WithoutBlockOrLockNothingIsRecorded) {
    ERROR_INFO info = {0, 1, m};
    CError empty, unlocked;
    unlocked.Alloc(16);
    for (CError* e : {&empty, &unlocked})
        EXPECT_EQ(Seq({e->Error(info), e->NoError("x"), e->GetPC(), e->IsRewind(), e->m_nErrorCount}),
                  "1 1 0 0 0");
}

TEST_F(ErrorList, CopyHoldsNoTextButTheSameSettingsAndTheTemplateIsVirtual) {
    unsigned int line = 3;
    list.AttachLine(&line);
    list.m_nThreshold = 4;
    list.m_nMaxError = 9;
    ERROR_INFO info = {4, 1, m}, low = {3, 0, m};
    list.Error(info);
    CError copy(list);
    EXPECT_EQ(copy.GetID(), nullptr);
    EXPECT_EQ(Seq({copy.IsRewind(), copy.m_nMaxError, copy.m_nErrorCount}), "1 9 1");
    copy.Alloc(0);
    copy.InterLock();
    line = 12;
    EXPECT_EQ(copy.Error(low), 0);  // below the copied threshold
    copy.Error(info);
    EXPECT_EQ(Written(copy), " (12) m\r\n");
    copy.InterUnlock();
    EXPECT_EQ(CError().m_nMaxError, 128u);

    struct Plain : CError {
        CString SetErrorTemplate() override { return "E: "; }
    } plain;
    plain.Alloc(0);
    plain.InterLock();
    plain.Error(info);
    EXPECT_EQ(Written(plain), "E: m\r\n");
    plain.InterUnlock();
}

}  // namespace
