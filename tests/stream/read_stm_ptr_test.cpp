#include <kiln/stream/read_text_stm_ptr.h>

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
    void TearDown() override { EXPECT_EQ(boxes.Count(), 0u) << "reads never report"; }
    kiln::test::BoxRecorder boxes;
};

TEST_F(ReadStmPtr, FetchesReadTheirByteOrderAndAdvance) {
    VectorHeap heap(std::string("\x12\x34\x01\x02\x03\xFF\xFE\xFD\xFC\x80", 10));
    CReadStmPtr in(&heap);
    struct Case {
        unsigned long (*fetch)(CReadStmPtr&);
        unsigned from;
        unsigned long value;
        unsigned position;
    };
#define FETCH(name, ...) {[](CReadStmPtr& r) -> unsigned long { return r.name(); }, __VA_ARGS__}
    const Case cases[] = {
        FETCH(Fetch2ByteBA, 0, 0x1234, 2),        FETCH(Fetch2ByteLA, 0, 0x3412, 2),
        FETCH(FetchWord, 0, 0x3412, 2),           FETCH(Fetch3ByteBA, 2, 0x010203, 5),
        FETCH(Fetch3ByteLA, 2, 0x030201, 5),      FETCH(Fetch4ByteBA, 5, 0xFFFEFDFC, 9),
        FETCH(Fetch4ByteLA, 5, 0xFCFDFEFF, 9),    FETCH(FetchDword, 5, 0xFCFDFEFF, 9),
        FETCH(FetchByte, 9, 0x80, 10),
        // Reads that do not fit give zero and still advance.
        FETCH(FetchDword, 7, 0, 11),              FETCH(Fetch3ByteBA, 8, 0, 11),
        FETCH(Fetch2ByteLA, 9, 0, 11),
    };
#undef FETCH
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        in.SeekFromTop(c.from);
        EXPECT_EQ(c.fetch(in), c.value);
        EXPECT_EQ(in.GetPosition(), c.position);
        EXPECT_EQ(in.IsFinished(), (int)(c.position >= 10));
    }
    boxes.Clear();  // the seeks beyond the end

    char out[4] = {'-', '-', '-', '-'};
    in.SeekFromTop(8);
    EXPECT_EQ(in.Fetch(out, 3), 0);
    EXPECT_EQ(out[0], '-') << "a failed Fetch copies nothing";
    EXPECT_EQ(in.GetPosition(), 11u);
    in.SeekFromTop(1);
    EXPECT_EQ(in.Fetch(out, 0xFFFFFFFFu), 0) << "a size that wraps the position does not read from the top";
    EXPECT_EQ(in.GetPosition(), 0u);
    EXPECT_EQ(in.Fetch(out, 3), 1);
    EXPECT_EQ(std::memcmp(out, "\x12\x34\x01", 3), 0);
    EXPECT_EQ(in.GetPosition(), 3u);
    in.SeekToTop();
    in.Seek(-2);
    EXPECT_EQ(in.Fetch4ByteBA(), 0ul) << "a position wrapped below the top reads nothing";
    EXPECT_EQ(in.GetPosition(), 2u);
    boxes.Clear();

    Probe probe(&heap);
    EXPECT_EQ(probe.TryIncrement(9), 0);
    EXPECT_EQ(probe.TryIncrement(1), 9);
    EXPECT_EQ(probe.TryIncrement(1), -1);
    EXPECT_EQ(probe.GetPosition(), 11u);
}

TEST_F(ReadStmPtr, OffsetReadsCheckTheirBoundsAndKeepThePosition) {
    VectorHeap heap("\x01\x02\x03\x04\x05");
    CReadTextStmPtr in(&heap);
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
    char out[8] = {'-', '-', '-', '-', '-', '-', '-', '-'};
    EXPECT_EQ(in.Read(3, out, 3), 0);
    EXPECT_EQ(in.ReadToSztext(3, out, 3), 0);
    EXPECT_EQ(in.ReadToSztext(0xFFFFFFFFu, out, 2), 0);
    EXPECT_EQ(out[0], '-') << "a refused read leaves the buffer alone";
    EXPECT_EQ(in.Read(3, out, 2), 1);
    EXPECT_EQ(std::memcmp(out, "\x04\x05", 2), 0);
    EXPECT_EQ(in.Read(5, out, 0), 1);
    EXPECT_EQ(in.ReadToSztext(2, out, 3), 1);
    EXPECT_STREQ(out, "\x03\x04\x05");
    EXPECT_EQ(in.ReadToSztext(0, out, 0), 1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(in.GetPosition(), 1u);
}

TEST_F(ReadStmPtr, ClosedOrUnlockedCursorReadsNothing) {
    CReadStmPtr closed;
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
    in.SeekFromTop(2);
    EXPECT_EQ(in.FetchWord(), 0x4433);
}

TEST_F(ReadStmPtr, TextFetchTakesOneStringAndStopsAtTheEnd) {
    VectorHeap heap(std::string("ab\0cdxyz", 8));
    CReadTextStmPtr in(&heap);
    char out[8];
    EXPECT_EQ(in.Fetch(out), 1);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(in.GetPosition(), 3u);
    std::memset(out, '-', sizeof out);
    EXPECT_EQ(in.Fetch(out), 0) << "a string cut by the end is copied without terminator";
    EXPECT_EQ(std::string(out, 6), "cdxyz-");
    EXPECT_EQ(in.GetPosition(), 8u);
    std::memset(out, '-', sizeof out);
    EXPECT_EQ(in.Fetch(out), 0);
    EXPECT_EQ(out[0], '-');
    EXPECT_EQ(in.GetPosition(), 8u);
    in.SeekFromTop(12);
    boxes.Clear();
    EXPECT_EQ(in.Fetch(out), 0);
    EXPECT_EQ(out[0], '-');
    EXPECT_EQ(in.GetPosition(), 12u);
    in.SeekFromTop(4);
    EXPECT_EQ(in.Fetch(out, 2), 1) << "the byte Fetch stays reachable";
    EXPECT_EQ(std::string(out, 2), "dx");
}

}  // namespace
