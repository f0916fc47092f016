#include <kiln/stream/read_bit_stm_ptr.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::VectorHeap;

TEST(ReadBitStmPtr, EveryCountAtEveryBitOffsetMostSignificantFirst) {
    std::mt19937 random(4);
    std::string bytes(24, '\0');
    for (auto& c : bytes) c = (char)random();
    VectorHeap heap(bytes);
    CReadBitStmPtr in(&heap);
    // Offsets near the end read the last bytes without looking past them.
    for (unsigned start = 0; start < 16; ++start) {
        for (int count = 1; count <= 32; ++count) {
            unsigned at = start < 8 ? start : 24 * 8 - count - (start - 8);
            in.SeekToTop();
            in.FetchBits(8);  // a whole byte: no bits remain
            in.SeekFromTop(at / 8);
            if (at % 8 != 0) in.FetchBits(at % 8);  // leaves 8 - at % 8 bits of byte at / 8
            unsigned expected = 0;
            for (unsigned n = at; n < at + count; ++n)
                expected = (expected << 1) | (((unsigned char)bytes[n / 8] >> (7 - n % 8)) & 1);
            ASSERT_EQ((unsigned)in.FetchBits(count), expected) << "bit " << at << ", count " << count;
            EXPECT_EQ(in.GetPosition(), (at + count + 7) / 8);
        }
    }
}

TEST(ReadBitStmPtr, RunningOutAndByteSeeks) {
    kiln::test::BoxRecorder boxes;
    VectorHeap heap("\x0F\xF0\x3C");
    CReadBitStmPtr in(&heap);
    EXPECT_EQ(in.FetchBits(4), 0x0);
    EXPECT_EQ(in.FetchBits(24), 0) << "only 20 bits are left";
    EXPECT_EQ(in.GetPosition(), 4u);
    EXPECT_EQ(in.IsFinished(), 1);
    EXPECT_EQ(in.FetchBit(), 0);
    EXPECT_EQ(in.FetchBits(3), 0);
    EXPECT_EQ(in.GetPosition(), 6u);

    in.SeekFromTop(1);
    EXPECT_EQ(in.FetchBits(0), 0) << "counts outside 1 to 32 read nothing";
    EXPECT_EQ(in.FetchBits(33), 0);
    EXPECT_EQ(in.FetchBits(-5), 0);
    EXPECT_EQ(in.GetPosition(), 1u);

    in.SeekToTop();
    EXPECT_EQ(in.FetchBits(2), 0);
    EXPECT_EQ(in.FetchByte(), 0xF0) << "a byte read takes the byte at the position";
    EXPECT_EQ(in.FetchBits(6), 0x30) << "the 6 bits left are counted in the byte before the position";
    in.SeekFromTop(3);
    EXPECT_EQ(in.FetchBits(2), 0) << "all bits of the last byte were taken: the chunk has run out";
    EXPECT_EQ(in.GetPosition(), 4u);
    in.SeekToTop();  // no byte before the top: the next bits come from byte 0
    EXPECT_EQ(in.FetchBits(8), 0x0F);
    EXPECT_EQ(in.FetchBit(), 1);
    EXPECT_EQ(in.FetchBits(15), 0x703C) << "the last byte is read to its end";
    EXPECT_EQ(in.FetchBits(1), 0);
    EXPECT_EQ(in.GetPosition(), 4u);
    EXPECT_EQ(boxes.Count(), 0u);

    EXPECT_EQ(in.SeekFromTop(9), 0);
    EXPECT_EQ(boxes.Last().text, "CChankPtr:Seek Out of Chank!");
    EXPECT_EQ(in.FetchBit(), 0) << "beyond the end there is no byte to go on with";
    EXPECT_EQ(in.GetPosition(), 10u);
    in.SeekToTop();
    in.FetchBits(3);
    in.Unlock();
    EXPECT_EQ(in.FetchBit(), 0) << "an unlocked chunk gives nothing";
    in.Lock();
}

}  // namespace
