#include <kiln/convert/read_stm.h>

#include <gtest/gtest.h>

#include <string>

#include "convert/reading_script.h"
#include "support/seq.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Seq;

// A reader holding bytes, inter-locked for the test's lifetime.
class Reader : public ::testing::Test {
protected:
    void Load(std::string bytes) {
        ASSERT_NE(r.Attach(bytes.data(), (unsigned int)bytes.size(), "src.txt"), nullptr);
        ASSERT_NE(r.InterLock(), nullptr);
    }
    void TearDown() override {
        while (r.IsLocked()) r.InterUnlock();
        EXPECT_EQ(boxes.Count(), 0u);
    }
    kiln::test::BoxRecorder boxes;
    CReadStm r;
    unsigned int lines = 0;
};

TEST_F(Reader, FetchesSkipsAndPeeksKeepTheirBounds) {
    Load(kiln::test::kScriptBytes);
    EXPECT_EQ(
        kiln::test::ReadingScript(r),
        "white=1@4#1 letters=1@6 plain=1@6 null=1@6 toLetter=1@a atB=7@5#2 whiteAtB=7@5#3 blackAtB=7@5#4 "
        "skip3=1@3#5 skip0=0@d#6 letters=0@d 4LA=78563412@c 4BA=12345678@c 3LA=563412@b 3BA=123456@b "
        "2LA=3412@a 2BA=1234@a word=3412@a dword=78563412@c 4BA=0@d byte=0@d byte=0@e byte=0@0 "
        "2LA=0@80000002 4BA=0@2 n3=1@b n1=0@d wrap=0@0 dst=\x12"
        "4V\xEE "
        "sz=1@8 sz=0@d dst=4Vx\x99\xEE seek2=1 seek-2=1 seek-1=0 seek1=0 seek13=0 seek1=0 @14 "
        "align4=1@8 align4=1@8 align4+2=1@6 align0=1@5 align13=0@d peeks=99,0,9978,0,99785634,0,0,100 "
        "toDecode=0001@13:8,ab1");
}

// Skip and SkipWhiteSpace against the skip loop written out byte by byte from the contract, from
// every start inside, at and past the end, and from PCs that count as negative.
TEST_F(Reader, CountedAndWhiteSpaceSkipsFollowTheByteLoop) {
    const std::string bytes = "\r\n \t\rab\r \r";
    Load(bytes);
    const unsigned int length = (unsigned int)bytes.size();
    // count 0 stands for SkipWhiteSpace; "result pc lines" as the byte loop leaves them.
    auto model = [&](unsigned int pc, unsigned int count) {
        unsigned int lines = 0;
        BOOL result = 0;
        for (unsigned int left = count;;) {
            unsigned int old = pc++;
            if (pc >= length) break;
            unsigned char c = (int)old < 0 ? 0 : (unsigned char)bytes[old];
            lines += c == '\r';
            if (count == 0 ? !IsWhiteSpace(c) : --left == 0) {
                pc -= count == 0;
                result = 1;
                break;
            }
        }
        return std::to_string(result) + " " + std::to_string(pc) + " " + std::to_string(lines);
    };
    for (unsigned int pc : {0u, 1u, 4u, 5u, 8u, 9u, 10u, 11u, 12u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        for (unsigned int count : {0u, 1u, 2u, 3u, 9u, 10u, 11u, 0xFFFFFFFFu}) {
            r.SetPC(pc);
            lines = 0;
            BOOL result = count == 0 ? r.SkipWhiteSpace(lines) : r.Skip(count, lines);
            EXPECT_EQ(std::to_string(result) + " " + std::to_string(r.GetPC()) + " " + std::to_string(lines),
                      model(pc, count))
                << "pc " << pc << " count " << count;
        }
    }
}

TEST_F(Reader, PointersAndTextFetchReachTheLastByte) {
    Load(std::string("\x01\x02\x03\0", 4));
    EXPECT_EQ(r[3u] + r[2], 3);
    char dst[5] = "zzzz";
    EXPECT_EQ(Seq({r.GetsToSztext(0, dst, 4), std::string(dst), r.GetsToSztext(1, dst, 2), std::string(dst)}),
              "0 zzzz 1 \x02\x03");
    const unsigned char* base = static_cast<const unsigned char*>((void*)r);
    EXPECT_TRUE(r.GetPtr() == base && r + 3u == base + 3 && r + 3 == base + 3);
    EXPECT_TRUE(r.GetPtr(4) == nullptr && r.GetPtr(0xFFFFFFFFu) == nullptr);
    EXPECT_EQ(r.Fetch(dst), 1) << "its NUL is the last byte of the buffer";
    EXPECT_STREQ(dst, "\x01\x02\x03");
    EXPECT_EQ(r.GetPtr(), nullptr);
    EXPECT_EQ((const char*)r, (const char*)base + 4) << "the text conversion has no bound test";
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
    EXPECT_EQ(Seq({white, black, letters, IsWhiteSpace(0x0B), IsBlackSpace(0x20), IsBlackSpace(0x7F)}),
              "4 94 52 0 0 0");
    std::string alpha;
    for (char c : std::string("_0@[`{AZaz")) alpha += IsAlpherbet(c) ? '1' : '0';
    EXPECT_EQ(alpha, "0000001111");
}

TEST_F(Reader, UnlockedReaderReadsNothing) {
    r.Attach("abc", nullptr);
    char dst[4] = "zz";
    CSkipObject stop;
    EXPECT_EQ(Seq({r.FetchByte(), r.GetByte(0), r.Fetch(dst), r.SkipEx(&stop, lines), r.SkipWhiteSpace(lines),
                   r.GetPC()}),
              "0 0 0 0 0 1")
        << "only the fetch moved";
    EXPECT_STREQ(dst, "zz");
    EXPECT_EQ(r.GetPtr(0), nullptr);
    EXPECT_EQ((const char*)r, nullptr);
}

TEST_F(Reader, LockingDetachAndCopies) {
    Load("abcd");
    ASSERT_NE(r.InterLock(), nullptr);  // nested
    r.InterUnlock();
    EXPECT_TRUE((void*)r == nullptr && r.IsLocked() == 1u) << "the first unlock forgets the pointer";
    r.InterLock();
    r.SetPC(3);
    CReadStm copy(r);
    EXPECT_EQ(copy.GetPC(), 3u);
    EXPECT_TRUE((void*)copy == (void*)r && copy.GetID() == r.GetID());
    EXPECT_STREQ(copy.GetPathName(), "src.txt");
    copy.DetachWithoutFree();  // r keeps the block
    r.InterUnlock();
    r.InterUnlock();
    EXPECT_EQ(Seq({r.Detach(), r.GetPC(), r.GetID() == nullptr, std::string(r.GetPathName())}), "1 0 1 ");
    r.SetPC(9);
    EXPECT_EQ(Seq({r.Detach(), r.GetPC()}), "0 9") << "no block: nothing changes";
}

// InterLock locks through the virtual Lock; InterUnlock unlocks the block directly; a skip override
// does not change the other skips.
TEST(ReadStmSlots, OverridesTakeEffectWhereTheCallsAreVirtual) {
    struct Counting : CReadStm {
        mutable int locks = 0, unlocks = 0, skips = 0;
        const void* Lock() const override { return ++locks, CReadStm::Lock(); }
        void Unlock() const override { ++unlocks, CReadStm::Unlock(); }
        BOOL SkipEx(CSkipObject* pred, unsigned int& lines) override {
            return ++skips, CReadStm::SkipEx(pred, lines);
        }
    } reader;
    reader.Attach("ab1;", nullptr);
    reader.locks = reader.unlocks = 0;
    ASSERT_NE(reader.InterLock(), nullptr);
    CSkipAlpherbet letters;
    unsigned int lines = 0;
    EXPECT_EQ(reader.SkipWhiteSpaceEx(&letters, lines) + reader.SkipBlackSpaceEx(&letters, lines), 2);
    reader.InterUnlock();
    EXPECT_EQ(Seq({reader.locks, reader.unlocks, reader.skips, reader.IsLocked()}), "1 0 0 0");
}

}  // namespace
