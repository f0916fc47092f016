#include <kiln/stream/write_text_stm_ptr.h>

#include <gtest/gtest.h>

#include <string>

#include "support/seq.h"
#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Hex;
using kiln::test::Seq;
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
        EXPECT_EQ(Seq({out.Decode((unsigned char)0x7E), out.GetLength(), out.GetFittingChankSize(),
                       out.FitChankSize(), out.GetLength()}),
                  "1 4097 1 1 1");
        // The request is counted from the length.
        EXPECT_EQ(Seq({out.Decode((unsigned long)0x11223344), out.GetLength()}), Seq({1, 1 + 4 + 4096}));
        out.SeekToTop();
        EXPECT_EQ(Seq({out.FitChankSize(), out.GetLength()}), "1 0");
    }

    // Appending one byte at a time resizes the chunk once per 4 KB; a seek beyond the end is filled.
    VectorHeap counted("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A");
    CWriteStmPtr out(&counted);
    out.SeekFromTop(8);
    EXPECT_EQ(Seq({out.Decode((unsigned long)0xAABBCCDD), out.GetLength()}), Seq({1, 10 + 4 + 4096}));
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(out.Decode((unsigned char)i), 1);
    EXPECT_EQ(Seq({counted.reallocs, out.FitChankSize(), out.GetLength()}), "5 1 20012");
    EXPECT_EQ(
        Seq({out.SeekFromTop(20014), out.Decode((unsigned char)'z'), out.FitChankSize(), out.GetLength()}),
        "0 1 1 20015");
    out.Close();
    std::string bytes = counted.Bytes();
    EXPECT_EQ(Hex(bytes.substr(0, 13)), "01 02 03 04 05 06 07 08 DD CC BB AA 00");
    EXPECT_EQ(Hex(bytes.substr(20011)), "1F 00 00 7A");
    EXPECT_EQ(boxes.Count(), 1u) << "only the seek is reported";

    CWriteStmPtr wrapped(&counted);
    wrapped.Seek(-1);
    EXPECT_EQ(Seq({wrapped.Decode((unsigned char)'!'), wrapped.GetLength()}), "0 20015")
        << "a position below the top cannot be reached";
}

TEST_F(WriteStmPtr, DecodeAndWriteStoreLittleEndianAndWriteChecksItsBounds) {
    VectorHeap heap;
    CWriteStmPtr out(&heap);
    DWORD dw = 0x01020304;  // a DWORD picks the 4-byte forms, as it does on Windows
    // Of an unsigned long the low 32 bits are stored.
    EXPECT_EQ(Seq({out.Decode((unsigned long)0x123456789Aul), out.Decode((unsigned short)0xABCD),
                   out.Decode((unsigned char)0xEF), out.Decode("xyz", 3), out.Decode(dw), out.GetPosition()}),
              "1 1 1 1 1 14");
    out.FitChankSize();

    EXPECT_EQ(Seq({out.Write(0, (unsigned short)0x4142), out.Write(2, (unsigned long)0xFFFFFFFF00000000ul),
                   out.Write(4, (unsigned char)0x43), out.Write(10, dw + 0x10101010u), out.Write(7, "Q", 1),
                   out.Write(14, "", 0), boxes.Count()}),
              "1 1 1 1 1 1 0");
    // Each one byte too far; offset + size must not wrap.
    EXPECT_EQ(Seq({out.Write(13, (unsigned short)0x4242), out.Write(11, (unsigned long)1),
                   out.Write(14, (unsigned char)1), out.Write(0xFFFFFFFFu, "zz", 2)}),
              "0 0 0 0");
    ASSERT_EQ(boxes.Count(), 4u);
    for (const auto& box : boxes.calls()) {
        EXPECT_EQ(box.text, kWriteOut);
        EXPECT_EQ(box.caption, "Vantor");
        EXPECT_EQ(box.style, (unsigned)(MB_OK | MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(Seq({out.GetLength(), out.GetPosition()}), "14 14") << "Write never grows the chunk nor moves";
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "42 41 00 00 43 00 EF 51 79 7A 14 13 12 11");
}

TEST_F(WriteStmPtr, FailedGrowthWritesNothingAndKeepsTheChunk) {
    VectorHeap heap("abcd");
    heap.refuseGrowth = true;
    CWriteStmPtr out(&heap);
    out.SeekFromTop(2);
    // The chunk is locked again after the failed resize; what fits is still written; nothing is reported.
    EXPECT_EQ(
        Seq({out.Decode((unsigned long)0x31323334), out.Decode("xyz", 3), out.GetPosition(), heap.locks}),
        "0 0 2 1");
    EXPECT_EQ(Seq({out.Decode((unsigned short)0x3435), out.Decode((unsigned char)'!'), out.Alignment(8),
                   out.GetPosition(), boxes.Count()}),
              "1 0 0 4 0");

    heap.refuseGrowth = false;
    int before = heap.reallocs;
    static const char data[16] = {};
    // A size the interface cannot take is refused at once.
    EXPECT_EQ(Seq({out.Decode(data, 0xFFFFFFF0u), out.Decode(data, 0x7FFFFFFFu), heap.reallocs - before}),
              "0 0 0");
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
    // Nothing is reported: the data lies in the chunk, which is only unlocked, and is resized as it is.
    EXPECT_EQ(Seq({out.Decode((unsigned char)'!'), out.Write(0, (unsigned char)'!'), boxes.Count(),
                   out.FitChankSize(), heap.locks, out.GetLength()}),
              "0 0 0 1 0 1");
    out.Lock();
    EXPECT_EQ(out.Decode((unsigned char)'!'), 1);
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(heap.Bytes(), "a!");

    CWriteStmPtr closed;
    EXPECT_EQ(
        Seq({closed.Decode((unsigned char)1), closed.FitChankSize(), closed.Write(0, (unsigned char)1)}),
        "0 1 0");
    EXPECT_EQ(boxes.Last().text, kWriteOut);
}

TEST_F(WriteStmPtr, AlignmentGrowsTheChunkOverTheBytesSkipped) {
    VectorHeap heap("abcdef");
    CWriteStmPtr out(&heap);
    out.SeekFromTop(5);
    EXPECT_EQ(Seq({out.Alignment(4), out.GetPosition(), out.GetLength()}), Seq({1, 8, 6 + 3 + 4096}));
    EXPECT_EQ(Seq({out.Alignment(4), out.Alignment(0), out.Alignment(8, 2), out.GetPosition()}), "1 1 1 14");
    out.Decode((unsigned char)'!');
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(heap.Bytes(), std::string("abcdef\0\0\0\0\0\0\0\0!", 15));
}

TEST_F(WriteStmPtr, TextLinesAndTerminators) {
    VectorHeap heap;
    CWriteTextStmPtr out(&heap);
    EXPECT_EQ(Seq({out.DecodeLine("ab"), out.GetPosition(), out.Decode("漢字"), out.DecodeWithNull("z"),
                   out.DecodeLine(""), out.Decode((unsigned char)'.')}),
              "1 4 1 1 1 1")
        << "the byte forms stay reachable";
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(heap.Bytes(), std::string("ab\r\n漢字z\0\r\n.", 13));

    VectorHeap full("0123456");
    full.refuseGrowth = true;
    CWriteTextStmPtr line(&full);
    line.SeekFromTop(3);
    EXPECT_EQ(Seq({line.DecodeLine("abc"), line.GetPosition(), line.Decode("xyz"), line.GetPosition()}),
              "0 7 0 7")
        << "the text and CR fit, the LF does not";
    line.SeekFromTop(6);
    EXPECT_EQ(Seq({line.DecodeWithNull(""), line.DecodeWithNull("")}), "1 0");
    line.Close();
    EXPECT_EQ(full.Bytes(), std::string("012abc\0", 7));
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
