#include <kiln/convert/stack.h>

#include <gtest/gtest.h>

#include <string>

#include "support/box_recorder.h"

namespace {

class Stack : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(s.Alloc(0), nullptr);
        s.InterLock();
    }
    void TearDown() override { s.InterUnlock(); }
    kiln::test::BoxRecorder boxes;
    CStack s;
};

TEST_F(Stack, RunTimeClass) {
    EXPECT_STREQ(s.GetRuntimeClass()->m_lpszClassName, "CStack");
    EXPECT_EQ(RUNTIME_CLASS(CStack)->m_wSchema, 0xFFFFu);
    EXPECT_EQ(RUNTIME_CLASS(CStack)->m_pBaseClass, RUNTIME_CLASS(CDecode));
    CObject* made = RUNTIME_CLASS(CStack)->CreateObject();
    ASSERT_NE(made, nullptr);
    delete made;
}

TEST_F(Stack, PushPopAndKeptPop) {
    EXPECT_EQ(s.IsEmpty(), 1);
    EXPECT_EQ(s.Push(7), 1);
    EXPECT_EQ(s.Push(8), 1);
    EXPECT_EQ(s.GetPC(), 8u);
    EXPECT_EQ(s.Pop(), 8);
    EXPECT_EQ(s.KeptPop(0), 7);
    EXPECT_EQ(s.GetPC(), 4u);
    EXPECT_EQ(s.Pop(), 7);
    EXPECT_EQ(s.IsEmpty(), 1);
    EXPECT_EQ(s.Pop(), 0);
    EXPECT_EQ(s.GetPC(), 0u) << "a pop from an empty stack leaves the PC";

    s.Push(-2);
    EXPECT_EQ(s.KeptPopDword(0), 0xFFFFFFFEul);
    EXPECT_EQ(s.KeptPop(0), -2) << "the 32-bit value is sign-extended";
    EXPECT_EQ(s.PopDword(), 0xFFFFFFFEul);
    EXPECT_EQ(s.IsEmpty(), 1);
}

TEST_F(Stack, NarrowPopsAndBlocks) {
    s.Decode((unsigned short)0x1234);
    EXPECT_EQ(s.PopByte(), 0x12) << "the high byte was stored second";
    EXPECT_EQ(s.PopByte(), 0x34);
    s.Decode((unsigned short)0xBEEF);
    s.Decode((unsigned char)0x42);
    EXPECT_EQ(s.KeptPopWord(0), 0xBEEF);
    EXPECT_EQ(s.KeptPopByte(2), 0x42);
    EXPECT_EQ(s.KeptPopByte(3), 0) << "not below the PC";
    EXPECT_EQ(s.PopByte(), 0x42);
    EXPECT_EQ(s.PopWord(), 0xBEEF);
    EXPECT_EQ(s.PopWord(), 0);

    s.DecodeText("block");
    char five[6] = {};
    EXPECT_EQ(s.KeptPop(1, five, 4), 1);
    EXPECT_STREQ(five, "lock");
    EXPECT_EQ(s.KeptPop(2, five, 4), 0);
    EXPECT_EQ(s.Pop(five, 6), 0);
    EXPECT_EQ(s.GetPC(), 5u);
    EXPECT_EQ(s.Pop(five, 5), 1);
    EXPECT_STREQ(five, "block");
    EXPECT_EQ(s.IsEmpty(), 1);
    EXPECT_EQ(s.KeptPop(0), 0);
    EXPECT_EQ(s.KeptPopDword(0xFFFFFFFEu), 0ul);
}

TEST_F(Stack, AlignmentPadsWithoutWriting) {
    s.DecodeText("abcde");
    s.KeptDecode(5u, (unsigned char)0x99);
    EXPECT_EQ(s.Alignment(), 1);
    EXPECT_EQ(s.GetPC(), 8u);
    EXPECT_EQ(s.KeptPopByte(5), 0x99) << "the padding is not written";
    EXPECT_EQ(s.Alignment(), 1);
    EXPECT_EQ(s.GetPC(), 8u);
    EXPECT_EQ(s.Alignment(16), 1);
    EXPECT_EQ(s.GetPC(), 16u);
    EXPECT_EQ(s.Alignment(16, 4), 1);
    EXPECT_EQ(s.GetPC(), 28u);
    // Padding past the block grows it.
    unsigned length = s.GetLength();
    s.SetPC(length % 4 != 0 ? length : length + 1);
    EXPECT_EQ(s.Alignment(), 1);
    EXPECT_GT(s.GetLength(), length);
    EXPECT_EQ(s.GetPC() % 4, 0u);

    CStack empty;  // no block: the growth fails and the PC stays
    empty.SetPC(3);
    EXPECT_EQ(empty.Alignment(), 0);
    EXPECT_EQ(empty.GetPC(), 3u);
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(Stack, PushThroughTheOverriddenEmission) {
    class Counting : public CStack {
    public:
        BOOL Decode(unsigned long value) override {
            ++calls;
            return CStack::Decode(value);
        }
        using CStack::Decode;
        int calls = 0;
    } c;
    c.Alloc(0);
    c.InterLock();
    c.Push(1);
    EXPECT_EQ(c.calls, 1);
    EXPECT_EQ(c.Pop(), 1);
    c.InterUnlock();
}

}  // namespace
