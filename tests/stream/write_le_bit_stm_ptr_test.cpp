#include <kiln/platform/exception.h>
#include <kiln/stream/write_le_bit_stm_ptr.h>

#include <gtest/gtest.h>

#include <string>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Hex;
using kiln::test::VectorHeap;

class WriteLEBitStmPtr : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
};

TEST_F(WriteLEBitStmPtr, BitsFillEachByteFromBitZero) {
    VectorHeap heap;
    CWriteLEBitStmPtr out(&heap);
    out.DecodeBit(1);
    out.DecodeBit(0);
    out.DecodeBit(1);
    EXPECT_EQ(out.GetLastFreeBit(), 5);
    EXPECT_EQ(out.GetBPC(), 3u);
    EXPECT_EQ(out.DecodeBitNoReverse(6, 3), 1) << "bit 0 of the value first: 0, 1, 1";
    EXPECT_EQ(out.GetLastFreeBit(), 2);
    EXPECT_EQ(out.DecodeBitNoReverse(0x1AB, 9), 1);
    EXPECT_EQ(out.GetBPC(), 15u);
    EXPECT_EQ(out.DecodeBitNoReverse(1, 0), 1);
    EXPECT_EQ(out.DecodeBitNoReverse(1, -3), 1);
    EXPECT_EQ(out.GetBPC(), 15u) << "no count, no bits";
    out.FitChankSize();
    out.Close();
    // Stream bits 1 0 1 0 1 1 1 1 | 0 1 0 1 0 1 1: bit n lands in bit n % 8 of byte n / 8.
    EXPECT_EQ(Hex(heap.Bytes()), "F5 6A");

    VectorHeap alone;
    CWriteLEBitStmPtr out2(&alone);
    out2.DecodeBitNoReverse(6, 3);
    out2.Close();
    EXPECT_EQ(Hex(alone.Bytes(1)), "06");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(WriteLEBitStmPtr, MultiBitDecodeIsNotSupported) {
    VectorHeap heap;
    CWriteLEBitStmPtr out(&heap);
    CWriteBitStmPtr& base = out;
    bool thrown = false;
    try {
        base.DecodeBit(0x5ul, 3);
    } catch (CException* e) {
        thrown = e->IsKindOf(RUNTIME_CLASS(CNotSupportedException));
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(out.GetBPC(), 0u);
}

TEST_F(WriteLEBitStmPtr, PositionsAndAlignmentFollowTheSameBitNumbers) {
    VectorHeap heap(std::string(8, '\0'));
    CWriteLEBitStmPtr out(&heap);
    EXPECT_EQ(out.SetBPC(10), 1);
    EXPECT_EQ(out.GetPosition(), 2u);
    EXPECT_EQ(out.GetLastFreeBit(), 6);
    out.DecodeBit(1);  // bit 10 of the stream: bit 2 of byte 1
    EXPECT_EQ(out.SeekBitFromTop(3, 1), 1);
    EXPECT_EQ(out.GetBPC(), 25u);
    out.DecodeBit(1);  // bit 25: bit 1 of byte 3
    EXPECT_EQ(out.SeekBitFromTop(1, 9), 1);
    EXPECT_EQ(out.GetBPC(), 17u);
    EXPECT_EQ(out.GetLastFreeBit(), 7);

    EXPECT_EQ(out.Alignment(4), 1);
    EXPECT_EQ(out.GetPosition(), 4u);
    EXPECT_EQ(out.GetLastFreeBit(), 0);
    out.DecodeBit(1);
    EXPECT_EQ(out.AlignmentBit(4), 1);
    EXPECT_EQ(out.GetBPC(), 36u);
    out.DecodeBit(1);  // bit 36: bit 4 of byte 4
    EXPECT_EQ(out.Alignment(2, 1), 1);
    EXPECT_EQ(out.GetPosition(), 5u);

    EXPECT_EQ(out.SetBPC(65), 0);
    EXPECT_EQ(boxes.Last().text, "CChankPtr:Seek Out of Chank!");
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "00 04 00 02 11 00 00 00");
}

TEST_F(WriteLEBitStmPtr, BitThatCannotBeWrittenIsSkipped) {
    VectorHeap heap(std::string(1, '\0'));
    heap.refuseGrowth = true;
    CWriteLEBitStmPtr out(&heap);
    EXPECT_EQ(out.DecodeBitNoReverse(0xFFF, 12), 1);
    EXPECT_EQ(out.GetBPC(), 8u) << "only the bits that fitted were written";
    EXPECT_EQ(out.DecodeBit(1), 0);
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "FF");
}

}  // namespace
