#include <kiln/platform/exception.h>
#include <kiln/stream/write_word_bit_stm_ptr.h>

#include <gtest/gtest.h>

#include <string>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Hex;
using kiln::test::VectorHeap;

class WriteWordBitStmPtr : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
};

TEST_F(WriteWordBitStmPtr, BitsFillLittleEndianWordsFromBitZero) {
    VectorHeap heap;
    CWriteWordBitStmPtr out(&heap);
    out.DecodeBit(1);
    out.DecodeBit(0);
    out.DecodeBit(1);
    EXPECT_EQ(out.GetBPC(), 3u);
    EXPECT_EQ(out.GetPosition(), 2u) << "free bits 13";
    EXPECT_EQ(out.GetLength(), 4098u) << "a new word asks for two bytes";
    for (int i = 3; i < 9; ++i) out.DecodeBit(0);
    out.DecodeBit(1);  // bit 9: bit 1 of the high byte
    for (int i = 10; i < 16; ++i) out.DecodeBit(0);
    EXPECT_EQ(out.GetPosition(), 2u);
    out.DecodeBit(1);  // bit 16 starts the next word
    EXPECT_EQ(out.GetPosition(), 4u);
    EXPECT_EQ(out.GetBPC(), 17u);
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "05 02 01 00");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(WriteWordBitStmPtr, MultiBitDecodeIsNotSupported) {
    VectorHeap heap;
    CWriteWordBitStmPtr out(&heap);
    bool thrown = false;
    TRY { out.DecodeBit(0x3ul, 2); }
    CATCH(CNotSupportedException, e) { thrown = e != nullptr; }
    END_CATCH
    EXPECT_TRUE(thrown);
    EXPECT_EQ(out.GetBPC(), 0u);
}

TEST_F(WriteWordBitStmPtr, AlignmentCountsWordsAndPositionsMoveByWords) {
    VectorHeap heap;
    CWriteWordBitStmPtr out(&heap);
    out.DecodeBit(1);
    out.DecodeBit(1);
    out.DecodeBit(1);
    EXPECT_EQ(out.Alignment(0), 1);
    EXPECT_EQ(out.GetBPC(), 3u);
    EXPECT_EQ(out.Alignment(1), 1);
    EXPECT_EQ(out.GetPosition(), 4u) << "the started word is passed by a whole word";
    EXPECT_EQ(out.GetBPC(), 32u);
    EXPECT_EQ(out.Alignment(4), 1);
    EXPECT_EQ(out.GetPosition(), 8u);
    EXPECT_EQ(out.Alignment(2, 2), 1);
    EXPECT_EQ(out.GetPosition(), 10u);

    EXPECT_EQ(out.SetBPC(10), 1);
    EXPECT_EQ(out.GetPosition(), 2u);
    EXPECT_EQ(out.GetBPC(), 10u) << "free bits 6";
    out.DecodeBit(1);  // bit 10 of the first word: bit 2 of its high byte
    EXPECT_EQ(out.SetBPC(20), 1);
    EXPECT_EQ(out.GetPosition(), 4u);
    EXPECT_EQ(out.SeekBitFromTop(1, 12), 1) << "bit 20 again, from an odd byte";
    EXPECT_EQ(out.GetPosition(), 4u);
    EXPECT_EQ(out.GetBPC(), 20u);
    EXPECT_EQ(out.SetBPC(0), 1);
    EXPECT_EQ(out.GetPosition(), 0u);

    EXPECT_EQ(out.SetBPC(3), 1);
    EXPECT_EQ(out.AlignmentBit(16), 1);
    EXPECT_EQ(out.GetPosition(), 2u);
    EXPECT_EQ(out.GetBPC(), 16u);
    EXPECT_EQ(out.AlignmentBit(12), 1);
    EXPECT_EQ(out.GetPosition(), 4u);
    EXPECT_EQ(out.GetBPC(), 24u);
    out.DecodeBit(1);  // bit 24: bit 8 of the second word, bit 0 of byte 3
    out.SeekToEnd();
    EXPECT_EQ(out.SetBPC(out.GetLength() * 8 + 1), 0);
    EXPECT_EQ(boxes.Last().text, "CChankPtr:Seek Out of Chank!");
    EXPECT_EQ(out.GetPosition() % 2, 0u);
    out.SetBPC(80);
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "07 04 00 01 00 00 00 00 00 00");
}

TEST_F(WriteWordBitStmPtr, WordThatCannotGrowLeavesTheWriterAsItWas) {
    VectorHeap heap(std::string(3, '\0'));
    heap.refuseGrowth = true;
    CWriteWordBitStmPtr out(&heap);
    for (int i = 0; i < 16; ++i) ASSERT_EQ(out.DecodeBit(i & 1), 1);
    EXPECT_EQ(out.DecodeBit(1), 0) << "a second word needs two bytes, the chunk has one";
    EXPECT_EQ(out.GetBPC(), 16u);
    EXPECT_EQ(out.GetPosition(), 2u);
    EXPECT_EQ(out.Alignment(2), 0);
    EXPECT_EQ(out.GetPosition(), 2u);
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "AA AA 00");
}

}  // namespace
