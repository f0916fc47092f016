#include <kiln/convert/decode.h>
#include <kiln/convert/read_stm.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/box_recorder.h"

namespace {

// A reader holding bytes, inter-locked for the test's lifetime.
class Reader : public ::testing::Test {
protected:
    void Load(const std::string& bytes) {
        std::string copy = bytes;
        ASSERT_NE(r.Attach(copy.data(), (unsigned int)copy.size(), "src.txt"), nullptr);
        ASSERT_NE(r.InterLock(), nullptr);
    }
    void TearDown() override {
        if (r.IsLocked()) r.InterUnlock();
    }

    kiln::test::BoxRecorder boxes;
    CReadStm r;
};

TEST_F(Reader, FetchNeverDeliversTheLastByte) {
    Load("\x41\x42");
    EXPECT_EQ(r.FetchByte(), 0x41);
    EXPECT_EQ(r.GetPC(), 1u);
    EXPECT_EQ(r.IsFinished(), 0);
    EXPECT_EQ(r.FetchByte(), 0);
    EXPECT_EQ(r.GetPC(), 2u);
    EXPECT_EQ(r.IsFinished(), 1);
    EXPECT_EQ(r.GetByte(1), 0x42);
    EXPECT_EQ(r[1u], 0x42);
    EXPECT_EQ(r[1], 0x42);
    EXPECT_EQ(r.GetByte(2), 0);
    // A failed fetch still moves the PC.
    EXPECT_EQ(r.FetchByte(), 0);
    EXPECT_EQ(r.GetPC(), 3u);
}

TEST_F(Reader, ByteOrdersAndSizes) {
    Load(std::string("\x12\x34\x56\x78\x99", 5));
    EXPECT_EQ(r.Fetch4ByteLA(), 0x78563412ul);
    r.SetPC(0);
    EXPECT_EQ(r.Fetch4ByteBA(), 0x12345678ul);
    r.SetPC(0);
    EXPECT_EQ(r.Fetch3ByteBA(), 0x123456ul);
    r.SetPC(0);
    EXPECT_EQ(r.Fetch3ByteLA(), 0x563412ul);
    r.SetPC(0);
    EXPECT_EQ(r.Fetch2ByteBA(), 0x1234);
    r.SetPC(0);
    EXPECT_EQ(r.Fetch2ByteLA(), 0x3412);
    r.SetPC(0);
    EXPECT_EQ(r.FetchWord(), 0x3412);
    EXPECT_EQ(r.GetPC(), 2u);
    r.SetPC(1);
    EXPECT_EQ(r.FetchDword(), 0ul);  // 1 + 4 = 5 is not below 5
    EXPECT_EQ(r.GetPC(), 5u);

    unsigned char dst[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    r.SetPC(1);
    EXPECT_EQ(r.Fetch(dst, 3), 1);
    EXPECT_EQ(std::memcmp(dst, "\x34\x56\x78\xEE", 4), 0);
    EXPECT_EQ(r.Fetch(dst, 1), 0);  // 4 + 1 = length
    EXPECT_EQ(dst[0], 0x34);
    // A size that would wrap the PC past 2^32 fails and writes nothing.
    r.SetPC(1);
    EXPECT_EQ(r.Fetch(dst, 0xFFFFFFFFu), 0);
    EXPECT_EQ(r.GetPC(), 0u);
    EXPECT_EQ(dst[0], 0x34);
}

TEST_F(Reader, FourByteBufferRefusesEveryFourByteFetch) {
    Load("\x01\x02\x03\x04");
    EXPECT_EQ(r.Fetch4ByteBA(), 0ul);
    EXPECT_EQ(r.GetPC(), 4u);
    r.SetPC(0);
    EXPECT_EQ(r.Fetch4ByteLA(), 0ul);
    EXPECT_EQ(r.GetPC(), 4u);
    EXPECT_EQ(r.GetDword(0), 0x04030201ul);  // a peek may end exactly at the end
    EXPECT_EQ(r.GetWord(2), 0x0403);
    EXPECT_EQ(r.GetWord(3), 0);
    char dst[5] = "zzzz";
    EXPECT_EQ(r.Gets(0, dst, 4), 0);  // Gets needs a byte to spare
    EXPECT_EQ(r.GetsToSztext(0, dst, 4), 0);
    EXPECT_STREQ(dst, "zzzz");
    EXPECT_EQ(r.GetsToSztext(1, dst, 2), 1);
    EXPECT_STREQ(dst, "\x02\x03");
    EXPECT_EQ(r.Gets(0, dst, 3), 1);
    // Offsets near 2^32 do not wrap into the buffer.
    EXPECT_EQ(r.GetDword(0xFFFFFFFEu), 0ul);
    EXPECT_EQ(r.Gets(0xFFFFFFFFu, dst, 2), 0);
    EXPECT_EQ(r.GetPtr(0xFFFFFFFFu), nullptr);
}

TEST_F(Reader, PointersFollowTheirBounds) {
    Load("abc");
    const unsigned char* base = static_cast<const unsigned char*>((void*)r);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(r.GetPtr(), base);
    EXPECT_EQ(r.GetPtr(2), base + 2);
    EXPECT_EQ(r + 2u, base + 2);
    EXPECT_EQ(r + 2, base + 2);
    EXPECT_EQ(r.GetPtr(3), nullptr);
    r.SetPC(3);
    EXPECT_EQ(r.GetPtr(), nullptr);
    // The text conversion has no bound test.
    EXPECT_EQ((const char*)r, (const char*)base + 3);
    r.InterUnlock();
    EXPECT_EQ((void*)r, nullptr);
    EXPECT_EQ((const char*)r, nullptr);
}

TEST_F(Reader, SignedPcFailsFetchesAndSeeks) {
    Load("abcdef");
    EXPECT_EQ(r.Seek(2), 1);
    EXPECT_EQ(r.GetPC(), 2u);
    EXPECT_EQ(r.Seek(-2), 1);
    EXPECT_EQ(r.Seek(-1), 0);
    EXPECT_EQ(r.GetPC(), 0xFFFFFFFFu);
    EXPECT_EQ(r.Seek(1), 0);  // the old PC counts as negative
    EXPECT_EQ(r.GetPC(), 0u);
    EXPECT_EQ(r.Seek(5), 1);
    EXPECT_EQ(r.Seek(1), 0);  // 6 is not below 6
    EXPECT_EQ(r.GetPC(), 6u);
    r.SetPC(0xFFFFFFFFu);
    EXPECT_EQ(r.FetchByte(), 0);
    EXPECT_EQ(r.GetPC(), 0u);
    r.SetPC(0x80000000u);
    EXPECT_EQ(r.Fetch2ByteLA(), 0);
    r.SetPC(0xFFFFFFFEu);
    EXPECT_EQ(r.Fetch4ByteBA(), 0ul);  // wraps to PC 2 < length, but the old PC is negative
    EXPECT_EQ(r.GetPC(), 2u);
}

TEST_F(Reader, StringFetchReachesTheLastByte) {
    Load(std::string("ab\0x\0", 5));
    char dst[8] = {};
    EXPECT_EQ(r.Fetch(dst), 1);
    EXPECT_STREQ(dst, "ab");
    EXPECT_EQ(r.GetPC(), 3u);
    EXPECT_EQ(r.Fetch(dst), 1);  // its NUL is the last byte of the buffer
    EXPECT_STREQ(dst, "x");
    EXPECT_EQ(r.GetPC(), 5u);
    EXPECT_EQ(r.Fetch(dst), 0);
}

TEST_F(Reader, StringFetchWithoutNulStopsAtTheEnd) {
    Load("xyz");
    char dst[8];
    std::memset(dst, '#', sizeof dst);
    r.SetPC(1);
    EXPECT_EQ(r.Fetch(dst), 0);
    EXPECT_EQ(std::string(dst, 3), "yz#");
    EXPECT_EQ(r.GetPC(), 3u);
}

TEST_F(Reader, SkipWhiteSpaceCountsCarriageReturns) {
    Load("\x20\x09\x0D\x0A\x58\x59");
    unsigned int lines = 10;
    EXPECT_EQ(r.SkipWhiteSpace(lines), 1);
    EXPECT_EQ(r.GetPC(), 4u);
    EXPECT_EQ(lines, 11u);
    EXPECT_EQ(r.FetchByte(), 0x58);

    CReadStm blank;
    std::string spaces = "\r\n\r\n  ";
    blank.Attach(spaces.data(), (unsigned int)spaces.size(), nullptr);
    blank.InterLock();
    lines = 0;
    EXPECT_EQ(blank.SkipWhiteSpace(lines), 0);
    EXPECT_EQ(lines, 2u);
    EXPECT_EQ(blank.GetPC(), 6u);
    blank.InterUnlock();

    CReadStm lastOther;
    std::string text = " \rX";
    lastOther.Attach(text.data(), 3, nullptr);
    lastOther.InterLock();
    lines = 0;
    EXPECT_EQ(lastOther.SkipWhiteSpace(lines), 0);  // the X is the last byte
    EXPECT_EQ(lines, 1u);
    lastOther.InterUnlock();
}

TEST_F(Reader, SkipCountsAndRecountsCarriageReturns) {
    Load("\r\r\rab\r\n");
    unsigned int lines = 0;
    EXPECT_EQ(r.Skip(2, lines), 1);
    EXPECT_EQ(r.GetPC(), 2u);
    EXPECT_EQ(lines, 2u);
    // A skip that stops on a carriage return has counted it; the next one counts it again.
    CSkipObject stopAnywhere;
    EXPECT_EQ(r.SkipEx(&stopAnywhere, lines), 1);
    EXPECT_EQ(r.GetPC(), 2u);
    EXPECT_EQ(lines, 3u);
    EXPECT_EQ(r.Skip(1, lines), 1);
    EXPECT_EQ(lines, 4u);
    // Count 0 wraps: the skip runs to the end.
    EXPECT_EQ(r.Skip(0, lines), 0);
    EXPECT_EQ(r.GetPC(), 7u);
    EXPECT_EQ(lines, 5u);
    EXPECT_EQ(r.Skip(1, lines), 0);
    EXPECT_EQ(r.GetPC(), 8u);
}

TEST_F(Reader, PredicatesDecideWhereSkipsStop) {
    Load("abc1;");
    unsigned int lines = 0;
    CSkipAlpherbet letters;
    EXPECT_EQ(r.SkipEx(&letters, lines), 1);
    EXPECT_EQ(r.GetPC(), 3u);
    CSkipObject plain;
    EXPECT_EQ(r.SkipEx(&plain, lines), 1);
    EXPECT_EQ(r.GetPC(), 3u);
    EXPECT_EQ(r.SkipEx(nullptr, lines), 1);
    EXPECT_EQ(r.GetPC(), 3u);
    r.SetPC(4);  // the last byte: the fetch reaches the end
    EXPECT_EQ(r.SkipEx(&plain, lines), 0);
    r.InterUnlock();
    r.Detach();

    Load("12ab!");
    CSkipNotAlpher toLetter;
    EXPECT_EQ(r.SkipEx(&toLetter, lines), 1);
    EXPECT_EQ(r.GetPC(), 2u);

    // The predicate's own non-zero answer is the result; the white- and black-space forms stop
    // where the predicate says, whatever the byte's class.
    struct StopAtB : CSkipObject {
        BOOL IsSkipEx(int c) override { return c == 'b' ? 7 : 0; }
    } stopAtB;
    r.SetPC(0);
    EXPECT_EQ(r.SkipEx(&stopAtB, lines), 7);
    EXPECT_EQ(r.GetPC(), 3u);
    r.SetPC(0);
    EXPECT_EQ(r.SkipWhiteSpaceEx(&stopAtB, lines), 7);
    EXPECT_EQ(r.GetPC(), 3u);
    r.SetPC(0);
    EXPECT_EQ(r.SkipBlackSpaceEx(&stopAtB, lines), 7);
    EXPECT_EQ(r.GetPC(), 3u);
    EXPECT_EQ(lines, 0u);

    // Predicates copy nothing but their class.
    CSkipAlpherbet copy = letters;
    CSkipObject& asBase = copy;
    r.SetPC(2);
    EXPECT_EQ(r.SkipEx(&asBase, lines), 0);  // a, b run to the last byte
}

TEST(CharacterClasses, CoverExactlyTheirBytes) {
    int white = 0, black = 0, letters = 0;
    for (int c = 0; c < 256; ++c) {
        white += IsWhiteSpace(c);
        black += IsBlackSpace(c);
        letters += IsAlpherbet(c);
        if (c >= 0x80) {
            EXPECT_EQ(IsWhiteSpace(c) + IsBlackSpace(c) + IsAlpherbet(c), 0) << c;
        }
    }
    EXPECT_EQ(white, 4);
    EXPECT_EQ(black, 94);
    EXPECT_EQ(letters, 52);
    EXPECT_EQ(IsWhiteSpace(0x0B), 0);
    EXPECT_EQ(IsBlackSpace(0x20), 0);
    EXPECT_EQ(IsBlackSpace(0x7F), 0);
    EXPECT_EQ(IsAlpherbet('_'), 0);
    EXPECT_EQ(IsAlpherbet('0'), 0);
    EXPECT_EQ(IsAlpherbet('@'), 0);
    EXPECT_EQ(IsAlpherbet('['), 0);
    EXPECT_EQ(IsAlpherbet('`'), 0);
    EXPECT_EQ(IsAlpherbet('{'), 0);
}

TEST_F(Reader, AlignmentRoundsAndKeepsTheStrictBound) {
    Load("0123456789");
    r.SetPC(5);
    EXPECT_EQ(r.Alignment(4), 1);
    EXPECT_EQ(r.GetPC(), 8u);
    EXPECT_EQ(r.Alignment(4), 1);
    EXPECT_EQ(r.GetPC(), 8u);
    r.SetPC(5);
    EXPECT_EQ(r.Alignment(4, 2), 1);
    EXPECT_EQ(r.GetPC(), 6u);
    r.SetPC(5);
    EXPECT_EQ(r.Alignment(0), 1);
    EXPECT_EQ(r.GetPC(), 5u);
    r.SetPC(9);
    EXPECT_EQ(r.Alignment(5), 0);  // 10 is not below 10
    EXPECT_EQ(r.GetPC(), 10u);
}

TEST_F(Reader, ToDecodeCopiesAllButTheEnd) {
    Load("abcdef");
    CDecode out;
    ASSERT_NE(out.Alloc(0), nullptr);
    ASSERT_NE(out.InterLock(), nullptr);
    EXPECT_EQ(r.ToDecode(&out, 3, 3), 0);
    EXPECT_EQ(r.ToDecode(&out, 0, 6), 0);
    EXPECT_EQ(r.ToDecode(&out, 4, 2), 0);
    EXPECT_EQ(out.GetPC(), 0u);
    r.SetPC(2);
    EXPECT_EQ(r.ToDecode(&out, 0, 5), 1);
    EXPECT_EQ(r.GetPC(), 2u);
    ASSERT_EQ(out.GetPC(), 5u);
    EXPECT_EQ(std::string(static_cast<const char*>((void*)out), 5), "abcde");
    out.InterUnlock();
}

TEST_F(Reader, UnlockedReaderReadsNothing) {
    std::string bytes = "abc";
    r.Attach(bytes.data(), 3, nullptr);
    EXPECT_EQ(r.FetchByte(), 0);
    EXPECT_EQ(r.GetPC(), 1u);
    EXPECT_EQ(r.GetByte(0), 0);
    char dst[4] = "zz";
    EXPECT_EQ(r.Fetch(dst), 0);
    EXPECT_STREQ(dst, "zz");
    EXPECT_EQ(r.GetPtr(0), nullptr);
    unsigned int lines = 0;
    CSkipObject stop;
    EXPECT_EQ(r.SkipEx(&stop, lines), 0);
    EXPECT_EQ(r.SkipWhiteSpace(lines), 0);
    EXPECT_EQ(r.GetPC(), 1u);
}

TEST_F(Reader, LockingDetachAndCopies) {
    Load("abcd");
    ASSERT_NE(r.InterLock(), nullptr);  // nested
    r.InterUnlock();
    EXPECT_EQ((void*)r, nullptr);  // the first unlock forgets the pointer
    EXPECT_EQ(r.IsLocked(), 1u);
    r.InterLock();
    r.SetPC(3);

    CReadStm copy(r);
    EXPECT_EQ(copy.GetPC(), 3u);
    EXPECT_EQ((void*)copy, (void*)r);
    EXPECT_EQ(copy.GetID(), r.GetID());
    EXPECT_STREQ(copy.GetPathName(), "src.txt");
    copy.DetachWithoutFree();  // r keeps the block
    r.InterUnlock();
    r.InterUnlock();

    EXPECT_EQ(r.Detach(), 1);
    EXPECT_EQ(r.GetPC(), 0u);
    EXPECT_EQ(r.GetID(), nullptr);
    EXPECT_STREQ(r.GetPathName(), "");
    r.SetPC(9);
    EXPECT_EQ(r.Detach(), 0);  // no block: nothing changes
    EXPECT_EQ(r.GetPC(), 9u);
}

TEST(ReadStmClass, RunTimeClassAndDynamicCreation) {
    const CRuntimeClass* rc = RUNTIME_CLASS(CReadStm);
    EXPECT_STREQ(rc->m_lpszClassName, "CReadStm");
    EXPECT_EQ(rc->m_wSchema, 0xFFFFu);
    EXPECT_EQ(rc->m_pBaseClass, RUNTIME_CLASS(CTextAlloc));
    CObject* made = rc->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CReadStm)));
    EXPECT_EQ(static_cast<CReadStm*>(made)->GetPC(), 0u);
    delete made;
}

// InterLock locks through the virtual Lock; InterUnlock unlocks the block directly; a skip override
// does not change the other skips.
TEST(ReadStmSlots, OverridesTakeEffectWhereTheCallsAreVirtual) {
    struct Counting : CReadStm {
        mutable int locks = 0, unlocks = 0, skips = 0;
        const void* Lock() const override {
            ++locks;
            return CReadStm::Lock();
        }
        void Unlock() const override {
            ++unlocks;
            CReadStm::Unlock();
        }
        BOOL SkipEx(CSkipObject* pred, unsigned int& lines) override {
            ++skips;
            return CReadStm::SkipEx(pred, lines);
        }
    } reader;
    std::string bytes = "ab1;";
    reader.Attach(bytes.data(), 4, nullptr);
    reader.locks = 0;
    reader.unlocks = 0;
    ASSERT_NE(reader.InterLock(), nullptr);
    EXPECT_EQ(reader.locks, 1);
    CSkipAlpherbet letters;
    unsigned int lines = 0;
    EXPECT_EQ(reader.SkipWhiteSpaceEx(&letters, lines), 1);
    EXPECT_EQ(reader.SkipBlackSpaceEx(&letters, lines), 1);
    EXPECT_EQ(reader.skips, 0);
    reader.InterUnlock();
    EXPECT_EQ(reader.unlocks, 0);
    EXPECT_EQ(reader.IsLocked(), 0u);
}

}  // namespace
