#include <kiln/stream/read_bit_stm_ptr.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::VectorHeap;

class ReadBitStmPtr : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
};

TEST_F(ReadBitStmPtr, BitsComeMostSignificantFirst) {
    VectorHeap one("\xA0");
    CReadBitStmPtr in(&one);
    EXPECT_EQ(in.FetchBits(3), 5);
    EXPECT_EQ(in.FetchBits(5), 0);
    EXPECT_EQ(in.GetPosition(), 1u);
    EXPECT_EQ(in.FetchBit(), 0) << "the one-byte chunk is exhausted";
    EXPECT_EQ(in.GetPosition(), 2u);
    EXPECT_EQ(in.IsFinished(), 1);

    VectorHeap two("\xAB\xCD\xA5");
    CReadBitStmPtr in2(&two);
    EXPECT_EQ(in2.FetchBits(12), 0xABC);
    EXPECT_EQ(in2.GetPosition(), 2u);
    EXPECT_EQ(in2.FetchBits(4), 0xD) << "4 bits of the second byte remained";
    std::string bits;
    for (int i = 0; i < 8; ++i) bits += (char)('0' + in2.FetchBit());
    EXPECT_EQ(bits, "10100101");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(ReadBitStmPtr, EveryCountAtEveryBitOffset) {
    std::mt19937 random(4);
    std::string bytes(24, '\0');
    for (auto& c : bytes) c = (char)random();
    auto bit = [&](unsigned n) { return ((unsigned char)bytes[n / 8] >> (7 - n % 8)) & 1; };
    VectorHeap heap(bytes);
    CReadBitStmPtr in(&heap);
    // Offsets near the end read the last bytes without looking past them.
    for (unsigned start = 0; start < 8; ++start) {
        for (unsigned end = 1; end <= 2; ++end) {
            for (int count = 1; count <= 32; ++count) {
                unsigned at = end == 1 ? start : 24 * 8 - count - start;
                in.SeekToTop();
                in.FetchBits(8);  // a whole byte: no bits remain
                in.SeekFromTop(at / 8);
                if (at % 8 != 0) in.FetchBits(at % 8);  // leaves 8 - at % 8 bits of byte at / 8
                unsigned expected = 0;
                for (int i = 0; i < count; ++i) expected = (expected << 1) | bit(at + i);
                ASSERT_EQ((unsigned)in.FetchBits(count), expected) << "bit " << at << ", count " << count;
                EXPECT_EQ(in.GetPosition(), (at + count + 7) / 8);
            }
        }
    }
}

TEST_F(ReadBitStmPtr, RunningOutGivesZeroAndMovesPastTheEnd) {
    VectorHeap heap("\xFF\xFF\xFF");
    CReadBitStmPtr in(&heap);
    EXPECT_EQ(in.FetchBits(4), 0xF);
    EXPECT_EQ(in.FetchBits(24), 0) << "only 20 bits are left";
    EXPECT_EQ(in.GetPosition(), 4u);
    EXPECT_EQ(in.IsFinished(), 1);
    EXPECT_EQ(in.FetchBit(), 0);
    EXPECT_EQ(in.GetPosition(), 5u);
    EXPECT_EQ(in.FetchBits(3), 0);
    EXPECT_EQ(in.GetPosition(), 6u);

    in.SeekToTop();
    EXPECT_EQ(in.FetchBits(24), 0xFFFFFF);
    EXPECT_EQ(in.FetchBits(1), 0);
    EXPECT_EQ(in.GetPosition(), 4u);

    // Counts outside 1 to 32 read nothing.
    in.SeekFromTop(1);
    EXPECT_EQ(in.FetchBits(0), 0);
    EXPECT_EQ(in.FetchBits(33), 0);
    EXPECT_EQ(in.FetchBits(-5), 0);
    EXPECT_EQ(in.GetPosition(), 1u);
    EXPECT_EQ(in.FetchBits(32), 0);
    EXPECT_EQ(in.GetPosition(), 4u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(ReadBitStmPtr, ByteSeeksKeepTheRemainingBits) {
    VectorHeap heap("\x0F\xF0\x3C");
    CReadBitStmPtr in(&heap);
    EXPECT_EQ(in.FetchBits(2), 0);
    EXPECT_EQ(in.FetchByte(), 0xF0) << "a byte read takes the byte at the position";
    EXPECT_EQ(in.FetchBits(6), 0x30) << "the 6 bits left are counted in the byte before the position";
    in.SeekFromTop(3);
    EXPECT_EQ(in.FetchBits(2), 0) << "all bits of the last byte were taken: the chunk has run out";
    EXPECT_EQ(in.GetPosition(), 4u);

    in.SeekFromTop(1);
    EXPECT_EQ(in.FetchBits(4), 0xF);
    in.SeekToTop();  // no byte before the top: the next bits come from byte 0
    EXPECT_EQ(in.FetchBits(8), 0x0F);
    EXPECT_EQ(in.FetchBit(), 1);
    EXPECT_EQ(in.SeekFromTop(9), 0);
    EXPECT_EQ(boxes.Last().text, "CChankPtr:Seek Out of Chank!");
    EXPECT_EQ(in.FetchBit(), 0) << "beyond the end there is no byte to go on with";
    EXPECT_EQ(in.FetchBits(3), 0);
    EXPECT_EQ(in.GetPosition(), 11u);

    in.SeekToTop();
    in.FetchBits(3);
    in.Unlock();
    EXPECT_EQ(in.FetchBit(), 0) << "an unlocked chunk gives nothing";
    in.Lock();
}

}  // namespace
