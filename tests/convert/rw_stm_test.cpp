#include <kiln/convert/read_stm.h>
#include <kiln/convert/rw_stm.h>

#include <gtest/gtest.h>

#include <string>

#include "support/box_recorder.h"

namespace {

// A stream holding the written bytes, inter-locked, RPC 0.
class RwStm : public ::testing::Test {
protected:
    void Write(const std::string& bytes) {
        ASSERT_NE(rw.Alloc(0), nullptr);
        rw.InterLock();
        ASSERT_EQ(rw.Decode(bytes.data(), (unsigned)bytes.size()), 1);
    }
    void TearDown() override {
        if (rw.IsLocked()) rw.InterUnlock();
    }
    kiln::test::BoxRecorder boxes;
    CRwStm rw;
};

TEST_F(RwStm, RunTimeClass) {
    EXPECT_STREQ(rw.GetRuntimeClass()->m_lpszClassName, "CRwStm");
    EXPECT_EQ(RUNTIME_CLASS(CRwStm)->m_wSchema, 0xFFFFu);
    EXPECT_EQ(RUNTIME_CLASS(CRwStm)->m_pBaseClass, RUNTIME_CLASS(CDecode));
    CObject* made = RUNTIME_CLASS(CRwStm)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CDecode)));
    delete made;
}

TEST_F(RwStm, FetchesReachTheLastByteWrittenWhereTheReaderStopsShort) {
    Write("\x01\x02\x03\x04");
    EXPECT_GT(rw.GetLength(), 4u);  // the bound is the PC, not the block
    EXPECT_EQ(rw.Fetch4ByteBA(), 0x01020304ul);
    EXPECT_EQ(rw.IsFinished(), 1);

    CReadStm reader;
    reader.Attach("\x01\x02\x03\x04", nullptr);
    reader.InterLock();
    EXPECT_EQ(reader.Fetch4ByteBA(), 0ul);
    EXPECT_EQ(reader.GetPC(), 4u);
    reader.InterUnlock();

    // Writing more after reading makes it readable.
    EXPECT_EQ(rw.FetchByte(), 0);
    EXPECT_EQ(rw.GetRPC(), 5u) << "a failed fetch still moves the RPC";
    rw.SetRPC(4);
    rw.Decode((unsigned char)5);
    EXPECT_EQ(rw.GetPC(), 5u);
    EXPECT_EQ(rw.FetchByte(), 5);
}

TEST_F(RwStm, ByteOrdersAndWidths) {
    Write("\x12\x34\x56\x78\x99");
    EXPECT_EQ(rw.Fetch4ByteLA(), 0x78563412ul);
    rw.SetRPC(0);
    EXPECT_EQ(rw.FetchDword(), 0x78563412ul);
    rw.SetRPC(0);
    EXPECT_EQ(rw.Fetch3ByteBA(), 0x123456ul);
    rw.SetRPC(0);
    EXPECT_EQ(rw.Fetch3ByteLA(), 0x563412ul);
    rw.SetRPC(0);
    EXPECT_EQ(rw.Fetch2ByteBA(), 0x1234);
    EXPECT_EQ(rw.Fetch2ByteLA(), 0x7856);
    EXPECT_EQ(rw.GetRPC(), 4u);
    EXPECT_EQ(rw.FetchWord(), 0) << "only one byte left";
    EXPECT_EQ(rw.GetRPC(), 6u);
    rw.SetRPC(1);
    unsigned char four[4] = {};
    EXPECT_EQ(rw.Fetch(four, 4u), 1);
    EXPECT_EQ(std::string((char*)four, 4), "\x34\x56\x78\x99");
    EXPECT_EQ(rw.Fetch(four, 1u), 0);
    // A fetch whose end passes 2^32 - 1 lies outside the data.
    rw.SetRPC(2);
    EXPECT_EQ(rw.Fetch(four, 0xFFFFFFFFu), 0);
    EXPECT_EQ(rw.GetRPC(), 1u);
}

TEST_F(RwStm, PeeksAndCopiesUseThePcAsBound) {
    Write("ABCD");
    EXPECT_EQ(rw.GetByte(3), 'D');
    EXPECT_EQ(rw[3], 'D');
    EXPECT_EQ(rw.GetByte(4), 0);
    EXPECT_EQ(rw.GetWord(2), 0x4443);
    EXPECT_EQ(rw.GetWord(3), 0);
    EXPECT_EQ(rw.GetDword(0), 0x44434241ul);
    EXPECT_EQ(rw.GetDword(1), 0ul);
    char dst[5] = {};
    EXPECT_EQ(rw.FetchPoint(0, dst, 4), 0) << "needs one byte to spare";
    EXPECT_EQ(rw.FetchPoint(0, dst, 3), 1);
    EXPECT_STREQ(dst, "ABC");
    EXPECT_EQ(rw.GetRPC(), 0u);

    CDecode out;
    out.Alloc(0);
    out.InterLock();
    EXPECT_EQ(rw.ToDecode(&out, 3, 3), 0);
    EXPECT_EQ(rw.ToDecode(&out, 0, 4), 0);
    EXPECT_EQ(rw.ToDecode(&out, 0, 3), 1);
    EXPECT_EQ(out.GetPC(), 3u);
    EXPECT_EQ(std::string(static_cast<char*>((void*)out), 3), "ABC");
    out.InterUnlock();
    // Into itself: the bytes are appended even when that grows the block.
    rw.SmartSize();
    EXPECT_EQ(rw.ToDecode(&rw, 1, 3), 1);
    EXPECT_EQ(rw.GetPC(), 6u);
    EXPECT_EQ(rw.GetDword(2), 0x43424443ul);
}

TEST_F(RwStm, StringFetchCopiesUpToTheNul) {
    Write(std::string("ab\0cd", 5));
    char dst[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(rw.Fetch(dst), 1);
    EXPECT_STREQ(dst, "ab");
    EXPECT_EQ(rw.GetRPC(), 3u);
    EXPECT_EQ(rw.Fetch(dst), 0);
    EXPECT_EQ(std::string(dst, 3), std::string("cd\0", 3))
        << "the old terminator stays after the unterminated copy";
    EXPECT_EQ(rw.GetRPC(), 5u);
}

TEST_F(RwStm, SeekAlignmentAndNegativeCounters) {
    Write("0123");
    EXPECT_EQ(rw.Seek(4), 1) << "the new RPC may equal the PC";
    EXPECT_EQ(rw.Seek(1), 0);
    EXPECT_EQ(rw.GetRPC(), 5u);
    EXPECT_EQ(rw.Seek(-5), 1);
    EXPECT_EQ(rw.Seek(-1), 0);
    EXPECT_EQ(rw.GetRPC(), 0xFFFFFFFFu);
    EXPECT_EQ(rw.Seek(1), 0) << "the old RPC counts as negative";
    EXPECT_EQ(rw.GetRPC(), 0u);
    rw.SetRPC(0x80000000u);
    EXPECT_EQ(rw.FetchByte(), 0);

    rw.SetRPC(1);
    EXPECT_EQ(rw.ReadAlignment(4), 0) << "4 is not below the PC 4";
    EXPECT_EQ(rw.GetRPC(), 4u);
    rw.SetRPC(1);
    EXPECT_EQ(rw.ReadAlignment(4, 2), 1);
    EXPECT_EQ(rw.GetRPC(), 2u);
    EXPECT_EQ(rw.ReadAlignment(0), 1);
    EXPECT_EQ(rw.ReadAlignment(2), 1);
    EXPECT_EQ(rw.GetRPC(), 2u);
    EXPECT_EQ(rw.GetPC(), 4u) << "reading never moves the write PC";
}

TEST_F(RwStm, SkipsCountCarriageReturnsAndNeverTakeTheLastByte) {
    Write("\x20\x09\x0D\x0A\x58\x59");
    unsigned lines = 0;
    EXPECT_EQ(rw.SkipWhiteSpace(lines), 1);
    EXPECT_EQ(rw.GetRPC(), 4u);
    EXPECT_EQ(lines, 1u);
    rw.SetRPC(5);
    EXPECT_EQ(rw.SkipWhiteSpace(lines), 0) << "the last byte written is not consumed";
    rw.SetRPC(5);
    EXPECT_EQ(rw.FetchByte(), 0x59);

    rw.SetRPC(0);
    lines = 0;
    EXPECT_EQ(rw.Skip(3, lines), 1);
    EXPECT_EQ(rw.GetRPC(), 3u);
    EXPECT_EQ(lines, 1u);
    EXPECT_EQ(rw.Skip(3, lines), 0);
    EXPECT_EQ(rw.GetRPC(), 6u);
    rw.SetRPC(0);
    EXPECT_EQ(rw.Skip(0, lines), 0) << "a count of 0 wraps and runs to the end";
    EXPECT_EQ(lines, 2u);
}

TEST_F(RwStm, PredicateSkips) {
    Write("abc1;");
    CSkipAlpherbet letters;
    CSkipNotAlpher nonLetters;
    CSkipObject first;
    unsigned lines = 0;
    EXPECT_EQ(rw.SkipEx(&letters, lines), 1);
    EXPECT_EQ(rw.GetRPC(), 3u);
    EXPECT_EQ(rw.SkipEx(&first, lines), 1);
    EXPECT_EQ(rw.GetRPC(), 3u);
    EXPECT_EQ(rw.SkipEx(nullptr, lines), 1);
    EXPECT_EQ(rw.GetRPC(), 3u);
    EXPECT_EQ(rw.SkipEx(&nonLetters, lines), 0) << "no letter before the last byte";

    // The class test of the Ex forms decides nothing: the predicate alone stops them.
    rw.SetRPC(0);
    EXPECT_EQ(rw.SkipWhiteSpaceEx(&letters, lines), 1);
    EXPECT_EQ(rw.GetRPC(), 3u);
    rw.SetRPC(0);
    EXPECT_EQ(rw.SkipBlackSpaceEx(&letters, lines), 1);
    EXPECT_EQ(rw.GetRPC(), 3u);
    rw.SetRPC(3);
    EXPECT_EQ(rw.SkipBlackSpaceEx(&nonLetters, lines), 0);
    EXPECT_EQ(lines, 0u);
}

TEST_F(RwStm, CopyDetachAndReadingWithoutLock) {
    Write("xyz");
    rw.FetchByte();
    CRwStm copy(rw);
    EXPECT_EQ(copy.GetRPC(), 1u);
    EXPECT_EQ(copy.GetPC(), 3u);
    EXPECT_EQ(copy.FetchByte(), 'y');
    rw.InterUnlock();
    copy.DetachWithoutFree();
    EXPECT_EQ(rw.Detach(), 1);
    EXPECT_EQ(rw.GetRPC(), 0u);
    EXPECT_EQ(rw.GetPC(), 0u);
    EXPECT_EQ(rw.Detach(), 0);

    CRwStm idle;
    idle.Alloc(4);
    idle.SetPC(4);
    EXPECT_EQ(idle.FetchByte(), 0);
    EXPECT_EQ(idle.GetByte(0), 0);
    unsigned lines = 0;
    EXPECT_EQ(idle.Skip(1, lines), 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
