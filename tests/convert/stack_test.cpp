#include <kiln/convert/stack.h>

#include <gtest/gtest.h>

#include <string>

#include "support/seq.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Seq;

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
    // Kept pops read at an offset from the bottom; the 32-bit value is sign-extended by KeptPop and Pop.
    EXPECT_EQ(Seq({s.IsEmpty(), s.Push(7), s.Push(-2), s.GetPC(), s.KeptPopDword(4), s.KeptPop(4)}),
              Seq({1, 1, 1, 8, 0xFFFFFFFE, -2}));
    EXPECT_EQ(Seq({s.Pop(), s.KeptPop(0), s.PopDword(), s.IsEmpty()}), "-2 7 7 1");
    EXPECT_EQ(Seq({s.Pop(), s.KeptPop(0), s.GetPC()}), "0 0 0") << "an empty stack leaves the PC";

    s.Decode((unsigned short)0x1234);  // the high byte was stored second
    EXPECT_EQ(Seq({s.PopByte(), s.PopByte()}), Seq({0x12, 0x34}));
    s.Decode((unsigned short)0xBEEF);
    s.Decode((unsigned char)0x42);
    EXPECT_EQ(Seq({s.KeptPopWord(0), s.KeptPopByte(2), s.KeptPopByte(3)}), Seq({0xBEEF, 0x42, 0}))
        << "not at the PC";
    EXPECT_EQ(Seq({s.PopByte(), s.PopWord(), s.PopWord()}), Seq({0x42, 0xBEEF, 0}));

    s.DecodeText("block");
    char five[6] = {};
    EXPECT_EQ(s.KeptPop(1, five, 4), 1);
    EXPECT_STREQ(five, "lock");
    // No room for 4 bytes from 2 nor for 6 bytes; an offset that wraps does not reach into the stack.
    EXPECT_EQ(Seq({s.KeptPop(2, five, 4), s.Pop(five, 6), s.KeptPopDword(0xFFFFFFFEu), s.GetPC()}),
              "0 0 0 5");
    EXPECT_EQ(s.Pop(five, 5), 1);
    EXPECT_STREQ(five, "block");
    EXPECT_EQ(s.IsEmpty(), 1);
}

TEST_F(Stack, AlignmentPadsWithoutWritingAndPushGoesThroughTheEmission) {
    s.DecodeText("abcde");
    s.KeptDecode(5u, (unsigned char)0x99);
    EXPECT_EQ(Seq({s.Alignment(), s.Alignment(), s.GetPC(), s.KeptPopByte(5)}), Seq({1, 1, 8, 0x99}))
        << "the padding is not written";
    EXPECT_EQ(Seq({s.Alignment(16), s.GetPC()}), "1 16");
    s.SetPC(2053);  // padding past the block (of 5 + 2048 bytes) grows it
    EXPECT_EQ(Seq({s.Alignment(), s.GetPC(), s.GetLength()}), "1 2056 4104");

    CStack empty;  // no block: the growth fails and the PC stays
    empty.SetPC(3);
    EXPECT_EQ(Seq({empty.Alignment(), empty.GetPC(), boxes.Count()}), "0 3 1");

    class Counting : public CStack {
    public:
        BOOL Decode(unsigned long value) override { return ++calls, CStack::Decode(value); }
        using CStack::Decode;
        int calls = 0;
    } c;
    c.Alloc(0);
    c.InterLock();
    c.Push(1);
    EXPECT_EQ(Seq({c.calls, c.Pop()}), "1 1") << "Push goes through the overridden emission";
    c.InterUnlock();
}

}  // namespace
