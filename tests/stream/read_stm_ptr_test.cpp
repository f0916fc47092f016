#include <kiln/stream/read_text_stm_ptr.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/seq.h"
#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Seq;
using kiln::test::VectorHeap;

struct Probe : CReadStmPtr {
    using CReadStmPtr::CReadStmPtr;
    using CReadStmPtr::TryIncrement;
};

class ReadStmPtr : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(boxes.Count(), 0u) << "reads never report"; }
    kiln::test::BoxRecorder boxes;
};

TEST_F(ReadStmPtr, FetchesReadTheirByteOrderAndAdvance) {
    VectorHeap heap(std::string("\x12\x34\x01\x02\x03\xFF\xFE\xFD\xFC\x80", 10));
    CReadStmPtr in(&heap);
    // A fetch from an offset: the value, the position after it, and whether the end was reached.
    auto from = [&](unsigned offset, auto fetch) {
        in.SeekFromTop(offset);
        unsigned long value = (in.*fetch)();
        return Seq({value, in.GetPosition(), in.IsFinished()});
    };
    EXPECT_EQ(from(0, &CReadStmPtr::Fetch2ByteBA), Seq({0x1234, 2, 0}));
    EXPECT_EQ(from(0, &CReadStmPtr::Fetch2ByteLA), Seq({0x3412, 2, 0}));
    EXPECT_EQ(from(0, &CReadStmPtr::FetchWord), Seq({0x3412, 2, 0}));
    EXPECT_EQ(from(2, &CReadStmPtr::Fetch3ByteBA), Seq({0x010203, 5, 0}));
    EXPECT_EQ(from(2, &CReadStmPtr::Fetch3ByteLA), Seq({0x030201, 5, 0}));
    EXPECT_EQ(from(5, &CReadStmPtr::Fetch4ByteBA), Seq({0xFFFEFDFC, 9, 0}));
    EXPECT_EQ(from(5, &CReadStmPtr::Fetch4ByteLA), Seq({0xFCFDFEFF, 9, 0}));
    EXPECT_EQ(from(5, &CReadStmPtr::FetchDword), Seq({0xFCFDFEFF, 9, 0}));
    EXPECT_EQ(from(9, &CReadStmPtr::FetchByte), Seq({0x80, 10, 1}));
    // Reads that do not fit give zero and still advance.
    EXPECT_EQ(from(7, &CReadStmPtr::FetchDword), "0 11 1");
    EXPECT_EQ(from(8, &CReadStmPtr::Fetch3ByteBA), "0 11 1");
    EXPECT_EQ(from(9, &CReadStmPtr::Fetch2ByteLA), "0 11 1");
    boxes.Clear();  // the seeks beyond the end

    // A failed Fetch copies nothing; a size that wraps the position does not read from the top.
    char out[4] = {'-', '-', '-', '-'};
    in.SeekFromTop(8);
    EXPECT_EQ(Seq({in.Fetch(out, 3), std::string(out, 1), in.GetPosition()}), "0 - 11");
    in.SeekFromTop(1);
    EXPECT_EQ(Seq({in.Fetch(out, 0xFFFFFFFFu), in.GetPosition(), in.Fetch(out, 3), in.GetPosition()}),
              "0 0 1 3");
    EXPECT_EQ(std::string(out, 3), "\x12\x34\x01");
    in.SeekToTop();
    in.Seek(-2);
    EXPECT_EQ(Seq({in.Fetch4ByteBA(), in.GetPosition()}), "0 2")
        << "a position wrapped below the top reads nothing";
    boxes.Clear();

    Probe probe(&heap);
    EXPECT_EQ(Seq({probe.TryIncrement(9), probe.TryIncrement(1), probe.TryIncrement(1), probe.GetPosition()}),
              "0 9 -1 11");
}

TEST_F(ReadStmPtr, OffsetReadsCheckTheirBoundsAndKeepThePosition) {
    VectorHeap heap("\x01\x02\x03\x04\x05");
    CReadTextStmPtr in(&heap);
    in.SeekFromTop(1);
    // Each value read where it fits, then at the first offset where it does not; offset + size must
    // not wrap.
    EXPECT_EQ(Seq({in.ReadByte(4), in[0], in.ReadByte(5), in[5], in.ReadWord(3), in.ReadWord(4)}),
              Seq({5, 1, 0, 0, 0x0504, 0}));
    EXPECT_EQ(Seq({in.ReadDword(1), in.ReadDword(2), in.ReadDword(0xFFFFFFFEu), in.Read3ByteLA(2),
                   in.Read3ByteLA(3)}),
              Seq({0x05040302, 0, 0, 0x050403, 0}));
    char out[8] = {'-', '-', '-', '-', '-', '-', '-', '-'};
    // A refused read leaves the buffer alone.
    EXPECT_EQ(Seq({in.Read(3, out, 3), in.ReadToSztext(3, out, 3), in.ReadToSztext(0xFFFFFFFFu, out, 2)}),
              "0 0 0");
    EXPECT_EQ(out[0], '-');
    EXPECT_EQ(in.Read(3, out, 2), 1);
    EXPECT_EQ(std::string(out, 2), "\x04\x05");
    EXPECT_EQ(Seq({in.Read(5, out, 0), in.ReadToSztext(2, out, 3)}), "1 1");
    EXPECT_STREQ(out, "\x03\x04\x05");
    EXPECT_EQ(in.ReadToSztext(0, out, 0), 1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(in.GetPosition(), 1u);
}

TEST_F(ReadStmPtr, ClosedOrUnlockedCursorReadsNothing) {
    CReadStmPtr closed;
    EXPECT_EQ(Seq({closed.FetchByte(), closed.ReadWord(0), closed.IsFinished()}), "0 0 1");

    VectorHeap heap("\x11\x22\x33\x44");
    const IPmHeapInterface* readOnly = &heap;
    CReadStmPtr in;
    in.Open(readOnly);
    EXPECT_EQ(in.FetchWord(), 0x2211);
    in.Unlock();
    EXPECT_EQ(Seq({in.GetLength(), in.FetchWord(), in.ReadByte(0)}), "4 0 0")
        << "an unlocked chunk has no address";
    in.Lock();
    in.SeekFromTop(2);
    EXPECT_EQ(in.FetchWord(), 0x4433);
}

TEST_F(ReadStmPtr, TextFetchTakesOneStringAndStopsAtTheEnd) {
    VectorHeap heap(std::string("ab\0cdxyz", 8));
    CReadTextStmPtr in(&heap);
    char out[8];
    EXPECT_EQ(Seq({in.Fetch(out), in.GetPosition()}), "1 3");
    EXPECT_STREQ(out, "ab");
    std::memset(out, '-', sizeof out);
    EXPECT_EQ(Seq({in.Fetch(out), in.GetPosition()}), "0 8") << "a string cut by the end has no terminator";
    EXPECT_EQ(std::string(out, 6), "cdxyz-");
    std::memset(out, '-', sizeof out);
    EXPECT_EQ(Seq({in.Fetch(out), std::string(out, 1), in.GetPosition()}), "0 - 8");
    in.SeekFromTop(12);
    boxes.Clear();
    EXPECT_EQ(Seq({in.Fetch(out), std::string(out, 1), in.GetPosition()}), "0 - 12");
    in.SeekFromTop(4);
    EXPECT_EQ(in.Fetch(out, 2), 1) << "the byte Fetch stays reachable";
    EXPECT_EQ(std::string(out, 2), "dx");
}

}  // namespace
