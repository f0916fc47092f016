#include <kiln/stream/read_text_stm_ptr.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "stream/seq.h"
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

    // A failed Fetch copies nothing; a size that wraps the position does not read from the top.
    char out[4] = {'-', '-', '-', '-'};
    in.SeekFromTop(8);
    EXPECT_EQ(Seq({in.Fetch(out, 3), out[0], in.GetPosition()}), "0 45 11");
    in.SeekFromTop(1);
    EXPECT_EQ(Seq({in.Fetch(out, 0xFFFFFFFFu), in.GetPosition(), in.Fetch(out, 3), in.GetPosition()}), "0 0 1 3");
    EXPECT_EQ(std::string(out, 3), "\x12\x34\x01");
    in.SeekToTop();
    in.Seek(-2);
    EXPECT_EQ(Seq({in.Fetch4ByteBA(), in.GetPosition()}), "0 2") << "a position wrapped below the top reads nothing";
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
    EXPECT_EQ(Seq({in.ReadDword(1), in.ReadDword(2), in.ReadDword(0xFFFFFFFEu), in.Read3ByteLA(2), in.Read3ByteLA(3)}),
              Seq({0x05040302, 0, 0, 0x050403, 0}));
    char out[8] = {'-', '-', '-', '-', '-', '-', '-', '-'};
    EXPECT_EQ(Seq({in.Read(3, out, 3), in.ReadToSztext(3, out, 3), in.ReadToSztext(0xFFFFFFFFu, out, 2), out[0]}),
              "0 0 0 45")
        << "a refused read leaves the buffer alone";
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
    EXPECT_EQ(Seq({in.GetLength(), in.FetchWord(), in.ReadByte(0)}), "4 0 0") << "an unlocked chunk has no address";
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
    EXPECT_EQ(Seq({in.Fetch(out), out[0], in.GetPosition()}), "0 45 8");
    in.SeekFromTop(12);
    boxes.Clear();
    EXPECT_EQ(Seq({in.Fetch(out), out[0], in.GetPosition()}), "0 45 12");
    in.SeekFromTop(4);
    EXPECT_EQ(in.Fetch(out, 2), 1) << "the byte Fetch stays reachable";
    EXPECT_EQ(std::string(out, 2), "dx");
}

}  // namespace
