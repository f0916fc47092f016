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

TEST_F(Stack, PopsTakeFromTheTopAndKeptPopsFromTheBottom) {
    EXPECT_EQ(s.IsEmpty(), 1);
    EXPECT_EQ(s.Push(7), 1);
    EXPECT_EQ(s.Push(-2), 1);
    EXPECT_EQ(s.GetPC(), 8u);
    EXPECT_EQ(s.KeptPopDword(4), 0xFFFFFFFEul);
    EXPECT_EQ(s.KeptPop(4), -2) << "the 32-bit value is sign-extended";
    EXPECT_EQ(s.Pop(), -2);
    EXPECT_EQ(s.KeptPop(0), 7);
    EXPECT_EQ(s.PopDword(), 7ul);
    EXPECT_EQ(s.IsEmpty(), 1);
    EXPECT_EQ(s.Pop() + s.KeptPop(0), 0);
    EXPECT_EQ(s.GetPC(), 0u) << "a pop from an empty stack leaves the PC";

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
    EXPECT_EQ(s.KeptPop(2, five, 4) + s.Pop(five, 6), 0);
    EXPECT_EQ(s.KeptPopDword(0xFFFFFFFEu), 0ul);  // no wrap into the stack
    EXPECT_EQ(s.GetPC(), 5u);
    EXPECT_EQ(s.Pop(five, 5), 1);
    EXPECT_STREQ(five, "block");
    EXPECT_EQ(s.IsEmpty(), 1);
}

TEST_F(Stack, AlignmentPadsWithoutWriting) {
    s.DecodeText("abcde");
    s.KeptDecode(5u, (unsigned char)0x99);
    EXPECT_EQ(s.Alignment() + s.Alignment(), 2);
    EXPECT_EQ(s.GetPC(), 8u);
    EXPECT_EQ(s.KeptPopByte(5), 0x99) << "the padding is not written";
    EXPECT_EQ(s.Alignment(16), 1);
    EXPECT_EQ(s.GetPC(), 16u);
    s.SetPC(2053);  // padding past the block (of 5 + 2048 bytes) grows it
    EXPECT_EQ(s.Alignment(), 1);
    EXPECT_EQ(s.GetPC(), 2056u);
    EXPECT_EQ(s.GetLength(), 2053u + 3 + 2048);

    CStack empty;  // no block: the growth fails and the PC stays
    empty.SetPC(3);
    EXPECT_EQ(empty.Alignment(), 0);
    EXPECT_EQ(empty.GetPC(), 3u);
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST(StackSlots, PushGoesThroughTheOverriddenEmission) {
    class Counting : public CStack {
    public:
        BOOL Decode(unsigned long value) override { return ++calls, CStack::Decode(value); }
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
