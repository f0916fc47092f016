#include <kiln/stream/read_stm_ptr.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::VectorHeap;

struct Probe : CReadStmPtr {
    using CReadStmPtr::CReadStmPtr;
    using CReadStmPtr::TryIncrement;
};

class ReadStmPtr : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
};

TEST_F(ReadStmPtr, FetchesReadTheirByteOrderAndAdvance) {
    VectorHeap heap(std::string("\x12\x34\x01\x02\x03\xFF\xFE\xFD\xFC\x80", 10));
    CReadStmPtr in(&heap);
    EXPECT_EQ(in.Fetch2ByteBA(), 0x1234);
    EXPECT_EQ(in.GetPosition(), 2u);
    in.SeekToTop();
    EXPECT_EQ(in.Fetch2ByteLA(), 0x3412);
    in.SeekToTop();
    EXPECT_EQ(in.FetchWord(), 0x3412);
    EXPECT_EQ(in.Fetch3ByteBA(), 0x010203ul);
    EXPECT_EQ(in.GetPosition(), 5u);
    in.SeekFromTop(2);
    EXPECT_EQ(in.Fetch3ByteLA(), 0x030201ul);
    EXPECT_EQ(in.Fetch4ByteBA(), 0xFFFEFDFCul) << "four bytes come back zero-extended";
    EXPECT_EQ(in.GetPosition(), 9u);
    in.SeekFromTop(5);
    EXPECT_EQ(in.Fetch4ByteLA(), 0xFCFDFEFFul);
    in.SeekFromTop(5);
    EXPECT_EQ(in.FetchDword(), 0xFCFDFEFFul);
    EXPECT_EQ(in.FetchByte(), 0x80);
    EXPECT_EQ(in.GetPosition(), 10u);
    EXPECT_EQ(in.IsFinished(), 1);

    in.SeekToTop();
    char out[4] = {};
    EXPECT_EQ(in.Fetch(out, 3), 1);
    EXPECT_EQ(std::memcmp(out, "\x12\x34\x01", 3), 0);
    EXPECT_EQ(in.GetPosition(), 3u);
    EXPECT_EQ(in.IsFinished(), 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(ReadStmPtr, FailedFetchesGiveZeroAndStillAdvance) {
    VectorHeap heap("\xAA\xBB\xCC\xDD");
    CReadStmPtr in(&heap);
    EXPECT_EQ(in.FetchDword(), 0xDDCCBBAAul);
    EXPECT_EQ(in.GetPosition(), 4u);
    EXPECT_EQ(in.FetchDword(), 0ul);
    EXPECT_EQ(in.GetPosition(), 8u);
    EXPECT_EQ(in.IsFinished(), 1);

    in.SeekFromTop(3);
    char out[2] = {'-', '-'};
    EXPECT_EQ(in.Fetch(out, 2), 0);
    EXPECT_EQ(out[0], '-') << "a failed Fetch copies nothing";
    EXPECT_EQ(in.GetPosition(), 5u);
    in.SeekFromTop(2);
    EXPECT_EQ(in.Fetch3ByteBA(), 0ul);
    EXPECT_EQ(in.Fetch2ByteLA(), 0);
    EXPECT_EQ(in.GetPosition(), 7u);

    // A size that would wrap the position round does not read from the top again.
    in.SeekFromTop(1);
    EXPECT_EQ(in.Fetch(out, 0xFFFFFFFFu), 0);
    EXPECT_EQ(in.GetPosition(), 0u);
    EXPECT_EQ(in.FetchByte(), 0xAA);
    // A position that wrapped below the top reads nothing.
    in.SeekToTop();
    in.Seek(-2);
    EXPECT_EQ(in.Fetch4ByteBA(), 0ul);
    EXPECT_EQ(in.GetPosition(), 2u);
    boxes.Clear();  // the reported seek

    Probe probe(&heap);
    EXPECT_EQ(probe.TryIncrement(3), 0);
    EXPECT_EQ(probe.TryIncrement(1), 3);
    EXPECT_EQ(probe.TryIncrement(1), -1);
    EXPECT_EQ(probe.GetPosition(), 5u);
    EXPECT_EQ(boxes.Count(), 0u) << "reads never report";
}

TEST_F(ReadStmPtr, OffsetReadsCheckTheirBoundsAndKeepThePosition) {
    VectorHeap heap("\x01\x02\x03\x04\x05");
    CReadStmPtr in(&heap);
    in.SeekFromTop(1);
    EXPECT_EQ(in.ReadByte(4), 5);
    EXPECT_EQ(in[0], 1);
    EXPECT_EQ(in.ReadByte(5), 0);
    EXPECT_EQ(in[5], 0);
    EXPECT_EQ(in.ReadWord(3), 0x0504);
    EXPECT_EQ(in.ReadWord(4), 0);
    EXPECT_EQ(in.ReadDword(1), 0x05040302ul);
    EXPECT_EQ(in.ReadDword(2), 0ul);
    EXPECT_EQ(in.ReadDword(0xFFFFFFFEu), 0ul) << "offset + size must not wrap";
    EXPECT_EQ(in.Read3ByteLA(2), 0x050403ul);
    EXPECT_EQ(in.Read3ByteLA(3), 0ul);
    char out[5] = {'-', '-', '-', '-', '-'};
    EXPECT_EQ(in.Read(3, out, 3), 0);
    EXPECT_EQ(out[0], '-');
    EXPECT_EQ(in.Read(3, out, 2), 1);
    EXPECT_EQ(std::memcmp(out, "\x04\x05", 2), 0);
    EXPECT_EQ(in.Read(5, out, 0), 1);
    EXPECT_EQ(in.GetPosition(), 1u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(ReadStmPtr, ClosedOrUnlockedCursorReadsNothing) {
    CReadStmPtr closed;
    EXPECT_EQ(closed.GetLength(), 0u);
    EXPECT_EQ(closed.FetchByte(), 0);
    EXPECT_EQ(closed.ReadWord(0), 0);
    EXPECT_EQ(closed.IsFinished(), 1);

    VectorHeap heap("\x11\x22\x33\x44");
    const IPmHeapInterface* readOnly = &heap;
    CReadStmPtr in;
    in.Open(readOnly);
    EXPECT_EQ(in.FetchWord(), 0x2211);
    in.Unlock();
    EXPECT_EQ(in.GetLength(), 4u);
    EXPECT_EQ(in.FetchWord(), 0) << "an unlocked chunk has no address to read";
    EXPECT_EQ(in.ReadByte(0), 0);
    in.Lock();
    EXPECT_EQ(in.ReadByte(0), 0x11);
    in.SeekFromTop(2);
    EXPECT_EQ(in.FetchWord(), 0x4433);
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
