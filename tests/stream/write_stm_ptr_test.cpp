#include <kiln/stream/write_stm_ptr.h>

#include <gtest/gtest.h>

#include <string>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Hex;
using kiln::test::VectorHeap;

const char kWriteOut[] = "CWriteStmPtr:Write Out of Chank";

class WriteStmPtr : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
};

TEST_F(WriteStmPtr, GrowsByTheRequestPlus4096AndFitTrimsTheSlack) {
    CAllocInterface heap;
    ASSERT_EQ(heap.Alloc(0), 1);
    {
        CWriteStmPtr out(&heap);
        EXPECT_EQ(out.Decode((unsigned char)0x7E), 1);
        EXPECT_EQ(out.GetLength(), 4097u);
        EXPECT_EQ(out.GetFittingChankSize(), 1u);
        EXPECT_EQ(out.FitChankSize(), 1);
        EXPECT_EQ(out.GetLength(), 1u);
        EXPECT_EQ(out.FitChankSize(), 1) << "nothing to trim at the end";
        EXPECT_EQ(out.Decode((unsigned long)0x11223344), 1);
        EXPECT_EQ(out.GetLength(), 1u + 4 + 4096) << "the request is counted from the length";
        out.SeekToTop();
        EXPECT_EQ(out.FitChankSize(), 1);
        EXPECT_EQ(out.GetLength(), 0u);
    }
    EXPECT_EQ(boxes.Count(), 0u);

    // Appending one byte at a time resizes the chunk once per 4 KB.
    VectorHeap counted("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A");
    CWriteStmPtr out(&counted);
    out.SeekFromTop(8);
    EXPECT_EQ(out.Decode((unsigned long)0xAABBCCDD), 1);
    EXPECT_EQ(out.GetLength(), 10u + 4 + 4096);
    EXPECT_EQ(counted.reallocs, 1);
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(out.Decode((unsigned char)i), 1);
    EXPECT_EQ(counted.reallocs, 5);
    EXPECT_EQ(out.FitChankSize(), 1);
    EXPECT_EQ(out.GetLength(), 20012u);
    out.Close();
    std::string bytes = counted.Bytes();
    EXPECT_EQ(Hex(bytes.substr(0, 13)), "01 02 03 04 05 06 07 08 DD CC BB AA 00");
    EXPECT_EQ((unsigned char)bytes[20011], (unsigned char)19999);
}

TEST_F(WriteStmPtr, DecodeAndWriteStoreLittleEndian) {
    VectorHeap heap;
    CWriteStmPtr out(&heap);
    EXPECT_EQ(out.Decode((unsigned long)0x123456789Aul), 1) << "the low 32 bits are stored";
    EXPECT_EQ(out.Decode((unsigned short)0xABCD), 1);
    EXPECT_EQ(out.Decode((unsigned char)0xEF), 1);
    EXPECT_EQ(out.Decode("xyz", 3), 1);
    DWORD dw = 0x01020304;  // a DWORD picks the 4-byte forms, as it does on Windows
    EXPECT_EQ(out.Decode(dw), 1);
    EXPECT_EQ(out.GetPosition(), 14u);

    EXPECT_EQ(out.Write(0, (unsigned short)0x4142), 1);
    EXPECT_EQ(out.Write(2, (unsigned long)0xFFFFFFFF00000000ul), 1);
    EXPECT_EQ(out.Write(4, (unsigned char)0x43), 1);
    EXPECT_EQ(out.Write(10, dw + 0x10101010u), 1);
    EXPECT_EQ(out.Write(7, "Q", 1), 1);
    EXPECT_EQ(out.GetPosition(), 14u) << "Write leaves the position";
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "42 41 00 00 43 00 EF 51 79 7A 14 13 12 11");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(WriteStmPtr, WriteOutOfTheChunkIsReportedAndChangesNothing) {
    VectorHeap heap("abcd");
    CWriteStmPtr out(&heap);
    out.SeekFromTop(1);
    EXPECT_EQ(out.Write(3, (unsigned short)0x4242), 0);
    EXPECT_EQ(out.Write(2, (unsigned long)1), 0);
    EXPECT_EQ(out.Write(4, (unsigned char)1), 0);
    EXPECT_EQ(out.Write(0xFFFFFFFFu, "zz", 2), 0) << "offset + size must not wrap";
    EXPECT_EQ(out.Write(4, "", 0), 1);
    EXPECT_EQ(out.Write(3, (unsigned char)'D'), 1);
    auto calls = boxes.calls();
    ASSERT_EQ(calls.size(), 4u);
    for (const auto& box : calls) {
        EXPECT_EQ(box.text, kWriteOut);
        EXPECT_EQ(box.caption, "Vantor");
        EXPECT_EQ(box.style, (unsigned)(MB_OK | MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(out.GetLength(), 4u) << "Write never grows the chunk";
    EXPECT_EQ(out.GetPosition(), 1u);
    out.Close();
    EXPECT_EQ(heap.Bytes(), "abcD");
}

TEST_F(WriteStmPtr, FailedGrowthWritesNothingAndKeepsTheChunk) {
    VectorHeap heap("abcd");
    heap.refuseGrowth = true;
    CWriteStmPtr out(&heap);
    out.SeekFromTop(2);
    EXPECT_EQ(out.Decode((unsigned long)0x31323334), 0);
    EXPECT_EQ(out.Decode("xyz", 3), 0);
    EXPECT_EQ(out.GetPosition(), 2u);
    EXPECT_EQ(heap.locks, 1) << "the chunk is locked again after the failed resize";
    EXPECT_EQ(out.Decode((unsigned short)0x3435), 1) << "what fits is still written";
    EXPECT_EQ(out.Decode((unsigned char)'!'), 0);
    EXPECT_EQ(boxes.Count(), 0u) << "a failed growth is not reported";

    // A size the interface cannot take is refused before any resize.
    heap.refuseGrowth = false;
    int before = heap.reallocs;
    static const char data[16] = {};
    EXPECT_EQ(out.Decode(data, 0xFFFFFFF0u), 0);
    EXPECT_EQ(out.Decode(data, 0x7FFFFFFFu), 0);
    EXPECT_EQ(heap.reallocs, before);
    out.Close();
    EXPECT_EQ(heap.Bytes(), "ab54");
}

TEST_F(WriteStmPtr, WritesBeyondTheEndAfterASeekGrowTheChunkOverTheGap) {
    VectorHeap heap("abcd");
    CWriteStmPtr out(&heap);
    EXPECT_EQ(out.SeekFromTop(10), 0);
    boxes.Clear();
    EXPECT_EQ(out.Decode((unsigned char)'z'), 1);
    EXPECT_EQ(out.GetLength(), 10u + 1 + 4096);
    EXPECT_EQ(out.GetPosition(), 11u);
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(heap.Bytes(), std::string("abcd\0\0\0\0\0\0z", 11));

    // A position wrapped round below the top cannot be reached at all.
    CWriteStmPtr wrapped(&heap);
    wrapped.Seek(-1);
    boxes.Clear();
    EXPECT_EQ(wrapped.Decode((unsigned char)'!'), 0);
    EXPECT_EQ(wrapped.GetLength(), 11u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(WriteStmPtr, DecodeOfBytesTakenFromTheChunkItselfSurvivesItsMove) {
    VectorHeap heap("abcdefgh");
    const unsigned char* own = heap.Lock();
    heap.Unlock();
    CWriteStmPtr out(&heap);
    out.SeekToEnd();
    // The chunk moves while it grows; the bytes are found again at its new address.
    EXPECT_EQ(out.Decode(own + 2, 4), 1);
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(heap.Bytes(), "abcdefghcdef");
}

TEST_F(WriteStmPtr, ClosedOrUnlockedWriterChangesNothing) {
    CWriteStmPtr closed;
    EXPECT_EQ(closed.Decode((unsigned char)1), 0);
    EXPECT_EQ(closed.FitChankSize(), 1);
    EXPECT_EQ(closed.Write(0, (unsigned char)1), 0);
    EXPECT_EQ(boxes.Last().text, kWriteOut);
    boxes.Clear();

    VectorHeap heap("abcd");
    CWriteStmPtr out(&heap);
    out.SeekFromTop(1);
    out.Unlock();
    EXPECT_EQ(out.Decode((unsigned char)'!'), 0);
    EXPECT_EQ(out.Write(0, (unsigned char)'!'), 0);
    EXPECT_EQ(boxes.Count(), 0u) << "the data lies in the chunk, which is only unlocked";
    EXPECT_EQ(out.FitChankSize(), 1) << "an unlocked chunk is resized as it is";
    EXPECT_EQ(heap.locks, 0);
    EXPECT_EQ(out.GetLength(), 1u);
    out.Lock();
    EXPECT_EQ(out.Decode((unsigned char)'!'), 1);
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(heap.Bytes(), "a!");
}

TEST_F(WriteStmPtr, AlignmentGrowsTheChunkOverTheBytesSkipped) {
    VectorHeap heap("abcdef");
    CWriteStmPtr out(&heap);
    out.SeekFromTop(5);
    EXPECT_EQ(out.Alignment(4), 1);
    EXPECT_EQ(out.GetPosition(), 8u);
    EXPECT_EQ(out.GetLength(), 6u + 3 + 4096);
    EXPECT_EQ(out.Alignment(4), 1);
    EXPECT_EQ(out.Alignment(0), 1);
    EXPECT_EQ(out.Alignment(8, 2), 1);
    EXPECT_EQ(out.GetPosition(), 14u);
    out.Decode((unsigned char)'!');
    out.FitChankSize();

    heap.refuseGrowth = true;
    EXPECT_EQ(out.Alignment(32), 0);
    EXPECT_EQ(out.GetPosition(), 15u);
    out.Close();
    EXPECT_EQ(heap.Bytes(), std::string("abcdef\0\0\0\0\0\0\0\0!", 15));
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
