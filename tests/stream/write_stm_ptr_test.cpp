#include <kiln/stream/write_text_stm_ptr.h>

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
        EXPECT_EQ(out.Decode((unsigned long)0x11223344), 1);
        EXPECT_EQ(out.GetLength(), 1u + 4 + 4096) << "the request is counted from the length";
        out.SeekToTop();
        EXPECT_EQ(out.FitChankSize(), 1);
        EXPECT_EQ(out.GetLength(), 0u);
    }

    // Appending one byte at a time resizes the chunk once per 4 KB; a seek beyond the end is filled.
    VectorHeap counted("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A");
    CWriteStmPtr out(&counted);
    out.SeekFromTop(8);
    EXPECT_EQ(out.Decode((unsigned long)0xAABBCCDD), 1);
    EXPECT_EQ(out.GetLength(), 10u + 4 + 4096);
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(out.Decode((unsigned char)i), 1);
    EXPECT_EQ(counted.reallocs, 5);
    EXPECT_EQ(out.FitChankSize(), 1);
    EXPECT_EQ(out.GetLength(), 20012u);
    EXPECT_EQ(out.SeekFromTop(20014), 0);
    EXPECT_EQ(out.Decode((unsigned char)'z'), 1);
    EXPECT_EQ(out.FitChankSize(), 1);
    EXPECT_EQ(out.GetLength(), 20015u);
    out.Close();
    std::string bytes = counted.Bytes();
    EXPECT_EQ(Hex(bytes.substr(0, 13)), "01 02 03 04 05 06 07 08 DD CC BB AA 00");
    EXPECT_EQ(Hex(bytes.substr(20011)), "1F 00 00 7A");
    EXPECT_EQ(boxes.Count(), 1u) << "only the seek is reported";

    CWriteStmPtr wrapped(&counted);
    wrapped.Seek(-1);
    EXPECT_EQ(wrapped.Decode((unsigned char)'!'), 0) << "a position below the top cannot be reached";
    EXPECT_EQ(wrapped.GetLength(), 20015u);
}

TEST_F(WriteStmPtr, DecodeAndWriteStoreLittleEndianAndWriteChecksItsBounds) {
    VectorHeap heap;
    CWriteStmPtr out(&heap);
    EXPECT_EQ(out.Decode((unsigned long)0x123456789Aul), 1) << "the low 32 bits are stored";
    EXPECT_EQ(out.Decode((unsigned short)0xABCD), 1);
    EXPECT_EQ(out.Decode((unsigned char)0xEF), 1);
    EXPECT_EQ(out.Decode("xyz", 3), 1);
    DWORD dw = 0x01020304;  // a DWORD picks the 4-byte forms, as it does on Windows
    EXPECT_EQ(out.Decode(dw), 1);
    EXPECT_EQ(out.GetPosition(), 14u);
    out.FitChankSize();

    EXPECT_EQ(out.Write(0, (unsigned short)0x4142), 1);
    EXPECT_EQ(out.Write(2, (unsigned long)0xFFFFFFFF00000000ul), 1);
    EXPECT_EQ(out.Write(4, (unsigned char)0x43), 1);
    EXPECT_EQ(out.Write(10, dw + 0x10101010u), 1);
    EXPECT_EQ(out.Write(7, "Q", 1), 1);
    EXPECT_EQ(out.Write(14, "", 0), 1);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(out.Write(13, (unsigned short)0x4242), 0);
    EXPECT_EQ(out.Write(11, (unsigned long)1), 0);
    EXPECT_EQ(out.Write(14, (unsigned char)1), 0);
    EXPECT_EQ(out.Write(0xFFFFFFFFu, "zz", 2), 0) << "offset + size must not wrap";
    ASSERT_EQ(boxes.Count(), 4u);
    for (const auto& box : boxes.calls()) {
        EXPECT_EQ(box.text, kWriteOut);
        EXPECT_EQ(box.caption, "Vantor");
        EXPECT_EQ(box.style, (unsigned)(MB_OK | MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(out.GetLength(), 14u) << "Write never grows the chunk";
    EXPECT_EQ(out.GetPosition(), 14u) << "Write leaves the position";
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "42 41 00 00 43 00 EF 51 79 7A 14 13 12 11");
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
    EXPECT_EQ(out.Alignment(8), 0);
    EXPECT_EQ(out.GetPosition(), 4u);
    EXPECT_EQ(boxes.Count(), 0u) << "a failed growth is not reported";

    heap.refuseGrowth = false;
    int before = heap.reallocs;
    static const char data[16] = {};
    EXPECT_EQ(out.Decode(data, 0xFFFFFFF0u), 0) << "a size the interface cannot take is refused at once";
    EXPECT_EQ(out.Decode(data, 0x7FFFFFFFu), 0);
    EXPECT_EQ(heap.reallocs, before);
    out.Close();
    EXPECT_EQ(heap.Bytes(), "ab54");
}

TEST_F(WriteStmPtr, BytesTakenFromTheMovingChunkAndUnlockedWriters) {
    VectorHeap heap("abcdefgh");
    const unsigned char* own = heap.Lock();
    heap.Unlock();
    CWriteStmPtr out(&heap);
    out.SeekToEnd();
    EXPECT_EQ(out.Decode(own + 2, 4), 1) << "the chunk moves while it grows; the bytes are found again";
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

    CWriteStmPtr closed;
    EXPECT_EQ(closed.Decode((unsigned char)1), 0);
    EXPECT_EQ(closed.FitChankSize(), 1);
    EXPECT_EQ(closed.Write(0, (unsigned char)1), 0);
    EXPECT_EQ(boxes.Last().text, kWriteOut);
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
    out.Close();
    EXPECT_EQ(heap.Bytes(), std::string("abcdef\0\0\0\0\0\0\0\0!", 15));
}

TEST_F(WriteStmPtr, TextLinesAndTerminators) {
    VectorHeap heap;
    CWriteTextStmPtr out(&heap);
    EXPECT_EQ(out.DecodeLine("ab"), 1);
    EXPECT_EQ(out.GetPosition(), 4u);
    EXPECT_EQ(out.Decode("漢字"), 1);
    EXPECT_EQ(out.DecodeWithNull("z"), 1);
    EXPECT_EQ(out.DecodeLine(""), 1);
    EXPECT_EQ(out.Decode((unsigned char)'.'), 1) << "the byte forms stay reachable";
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(heap.Bytes(), std::string("ab\r\n漢字z\0\r\n.", 13));

    VectorHeap full("0123456");
    full.refuseGrowth = true;
    CWriteTextStmPtr line(&full);
    line.SeekFromTop(3);
    EXPECT_EQ(line.DecodeLine("abc"), 0) << "the text and CR fit, the LF does not";
    EXPECT_EQ(line.GetPosition(), 7u);
    EXPECT_EQ(line.Decode("xyz"), 0);
    EXPECT_EQ(line.GetPosition(), 7u);
    line.SeekFromTop(6);
    EXPECT_EQ(line.DecodeWithNull(""), 1);
    EXPECT_EQ(line.DecodeWithNull(""), 0);
    line.Close();
    EXPECT_EQ(full.Bytes(), std::string("012abc\0", 7));
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
