#include <kiln/convert/convert.h>
#include <kiln/convert/decode_enum.h>
#include <kiln/convert/rw_stm.h>
#include <kiln/convert/stack.h>
#include <kiln/convert/symbol_table.h>
#include <kiln/platform/files/mem_file.h>

#include <gtest/gtest.h>

#include <string>

#include "support/seq.h"
#include "support/archive_bytes.h"
#include "support/box_recorder.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::Le32;
using kiln::test::Seq;
using kiln::test::StoreBytes;

std::string Bytes(CDecode& d, unsigned from, unsigned n) { return {(const char*)(void*)d + from, n}; }
// "PC:bit length" at a glance.
std::string State(CDecode& d) {
    return std::to_string(d.GetPC()) + ":" + std::to_string(d.GetPosition() - 8 * d.GetPC()) + " " +
           std::to_string(d.GetLength());
}

// Traces how the base operations use the growth rule ("R<n>") and the lock slots ("L", "U", "u").
class Watched : public CDecode {
public:
    BOOL TryReAlloc(unsigned int n) override {
        trace += "R" + std::to_string(n) + " ";
        return refuse ? 0 : CDecode::TryReAlloc(n);
    }
    void* InterLock() override { return trace += "L ", CDecode::InterLock(); }
    void InterUnlock() override { trace += "U ", CDecode::InterUnlock(); }
    void Unlock() const override { trace += "u ", CDecode::Unlock(); }
    mutable std::string trace;
    bool refuse = false;
};

class Decode : public ::testing::Test {
protected:
    // Gives b a block of size bytes and inter-locks it.
    void Ready(CDecode& b, unsigned size) {
        ASSERT_NE(b.Alloc(size), nullptr);
        ASSERT_NE(b.InterLock(), nullptr);
    }
    kiln::test::BoxRecorder boxes;
    CDecode d;
};

TEST_F(Decode, GrowthAddsTheRequestAnd2048ToTheLengthAndSmartSizeTrims) {
    EXPECT_EQ((void*)d, nullptr);
    Ready(d, 0);
    ASSERT_EQ(d.Decode((unsigned char)0x5A), 1);
    EXPECT_EQ(State(d), "1:0 2049");
    EXPECT_EQ(d.IsLocked(), 1u);  // growth keeps the buffer inter-locked, once
    d.Decode(std::string(2048, 'r').data(), 2048u);
    EXPECT_EQ(State(d), "2049:0 2049") << "room is used before growing again";
    d.Decode((unsigned short)1);
    EXPECT_EQ(State(d), "2051:0 4099");
    d.SetPC(4000);  // the rule grows from the length, not from the PC
    ASSERT_EQ(d.Decode(std::string(200, 'd').data(), 200u), 1);
    EXPECT_EQ(State(d), "4200:0 6347");
    EXPECT_EQ(Bytes(d, 4000, 2347), std::string(200, 'd') + std::string(2147, '\0'))
        << "added room is zeroed";
    void* before = (void*)d;
    d.Decode(1);
    EXPECT_EQ(Seq({d.SmartSize(), State(d)}), "1 4201:0 4201") << "the open byte is closed first";
    EXPECT_EQ((void*)d, before) << "a shrinking block does not move";
    EXPECT_EQ(Bytes(d, 4199, 2), "d\x80");
    d.InterUnlock();
    CDecode small;  // trimming never grows
    small.Attach("12345678", nullptr, 80ul);
    EXPECT_EQ(Seq({small.SmartSize(), State(small)}), "1 10:0 8");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Decode, BitsArePackedMostSignificantFirstAndValuesLittleEndian) {
    Ready(d, 0);
    for (int bit : {1, 0, 1}) d.Decode(bit);
    EXPECT_EQ(State(d), "0:3 2049");
    d.Decode((unsigned short)0x1234);  // every byte-wide emission closes the open byte
    d.Decode((unsigned long)0x12345678);
    d.Decode((unsigned long)0xAABBCCDD11223344ul);  // the low 32 bits
    d.Decode((DWORD)0x01020304);                    // a DWORD is the 32-bit form
    for (int i = 0; i < 8; ++i) d.Decode(1);
    d.Decode("ab");
    d.DecodeText("ab");
    CTextAlloc source;
    source.Attach("src", nullptr);
    CAlloc none;
    EXPECT_EQ(Seq({d.Decode(source), source.IsLocked(), d.Decode(none)}), "1 0 0");
    EXPECT_EQ(Bytes(d, 0, 24), std::string("\xA0\x34\x12\x78\x56\x34\x12\x44\x33\x22\x11\x04\x03\x02\x01\xFF"
                                           "ab\0absrc",
                                           24));
    // Appending the buffer's own block, and bytes taken from it, survives the growth they cause.
    EXPECT_EQ(d.Decode(*static_cast<CAlloc*>(&d)), 1);
    EXPECT_EQ(State(d), "2073:0 6146");
    EXPECT_EQ(Bytes(d, 24, 24), Bytes(d, 0, 24));
    d.SetPC(d.GetLength() - 1);
    EXPECT_EQ(d.Decode((const void*)((unsigned char*)(void*)d + 16), 5u), 1);
    EXPECT_EQ(Bytes(d, d.GetPC() - 5, 5), std::string("ab\0ab", 5));
    d.InterUnlock();

    CDecode f;  // a new byte starts from zero whatever the block holds; an open byte keeps its bits
    f.Attach("\xFF\xFF\xFF\xFF", nullptr, 0ul);
    f.InterLock();
    f.Decode(0);
    f.Decode(1);
    f.Relocate(1, 4);
    f.Decode(0);
    EXPECT_EQ(Bytes(f, 0, 2), "\x40\xFF");
    EXPECT_EQ(State(f), "1:5 4");
    f.InterUnlock();
}

TEST_F(Decode, AlignmentAdvancesWithoutWriting) {
    d.Attach(std::string(32, '\x77').c_str(), nullptr, 5ul * 8);
    d.InterLock();
    EXPECT_EQ(Seq({d.Alignment(4), d.Alignment(4), State(d)}), "1 1 8:0 32");
    EXPECT_EQ(Bytes(d, 5, 3), "\x77\x77\x77");
    d.Relocate(10);
    EXPECT_EQ(d.Alignment(16, 4), 1);
    d.Decode(1);
    EXPECT_EQ(Seq({d.Alignment(0), State(d)}), "1 12:1 32") << "unit 0 leaves even an open byte";
    EXPECT_EQ(Seq({d.Alignment(1), State(d)}), "1 13:0 32") << "a non-zero unit closes it";
    d.SetPC(30);
    EXPECT_EQ(Seq({d.Alignment(8), State(d)}), "1 32:0 32") << "the padding fits exactly";
    EXPECT_EQ(Seq({d.Alignment(64, 1), State(d)}), "1 63:0 2111");
    EXPECT_EQ(Bytes(d, 32, 31), std::string(31, '\0'));
    d.InterUnlock();
}

TEST_F(Decode, PositionsAndKeptWrites) {
    Ready(d, 0);
    for (unsigned char c : {1, 2, 3}) d.Decode(c);
    for (int i = 0; i < 3; ++i) d.Decode(1);
    char patch[] = "xyz";
    // At a position: the byte at which the next byte-wide emission starts.
    EXPECT_EQ(
        Seq({d.KeptDecode(d.GetPosition(), (unsigned char)0xEE), d.KeptDecode(24ul, (unsigned char)0xDD),
             d.KeptDecode(0u, (unsigned short)0xBEEF), d.KeptDecode(6u, (unsigned long)0x11223344),
             d.KeptDecode(10u, (DWORD)0x55667788), d.KeptDecode(14u, patch, 3u)}),
        "1 1 1 1 1 1");
    EXPECT_EQ(Bytes(d, 0, 17),
              std::string("\xEF\xBE\x03\xDD\xEE\x00\x44\x33\x22\x11\x88\x77\x66\x55xyz", 17));
    EXPECT_EQ(State(d), "3:3 2049") << "kept writes neither move the PC nor close the byte";
    EXPECT_EQ(Seq({d.KeptDecode(2048u, (unsigned char)0x42), d.KeptDecode(2048u, (unsigned short)1),
                   d.KeptDecode(2049ul * 8, (unsigned char)1)}),
              "1 0 0")
        << "outside the block: nothing written";
    EXPECT_EQ(Bytes(d, 2047, 2), std::string("\0\x42", 2));
    d.Relocate(7, 3);
    EXPECT_EQ(State(d), "7:3 2049");
    d.SetPC(9);
    EXPECT_EQ(State(d), "9:3 2049") << "SetPC keeps the bit position";
    d.Relocate(2, 11);
    EXPECT_EQ(State(d), "3:3 2049") << "a bit count past the byte carries into the PC";
    d.InterUnlock();
}

TEST_F(Decode, RecordsHoldPcAndBitPositionInFrontOfTheTextRecord) {
    Ready(d, 0);
    d.DecodeText("abcdefghij");
    d.InterUnlock();
    const std::string record = Le32(10) + Le32(0) + Le32(10) + Le32(~10u) + "abcdefghij";
    EXPECT_EQ(StoreBytes(d), record);
    EXPECT_EQ(d.GetLength(), 10u);  // trimmed first
    CDecode back;
    kiln::test::LoadBytes(back, Le32(7) + Le32(3) + Le32(2) + Le32(~2u) + "xy");
    EXPECT_EQ(State(back), "7:3 2");

    kiln::test::TempDir dir;
    d.AttachText(dir.win("out.txt").c_str());
    ASSERT_EQ(d.SerializeToFile(".rec"), 1);
    EXPECT_EQ(dir.Read("out.rec"), record);
    CDecode fromFile;
    ASSERT_EQ(fromFile.SerializeFromFile(dir.win("out.rec").c_str(), 0), 1);
    EXPECT_EQ(State(fromFile), "10:0 10");
    EXPECT_STREQ(fromFile.GetPathName(), dir.win("out.rec").c_str());
    d.SetPC(3);  // the raw forms: storing trims first, loading leaves the PC alone
    ASSERT_EQ(d.SerializeRawToFile(".bin"), 1);
    EXPECT_EQ(dir.Read("out.bin"), "abc");
    CDecode raw;
    raw.Relocate(5, 1);
    ASSERT_EQ(raw.SerializeRawFromFile(dir.win("out.bin").c_str()), 1);
    EXPECT_EQ(State(raw), "5:1 3");
    EXPECT_EQ(boxes.Count(), 0u);

    class NoResize : public CDecode {  // a failed trim stores nothing
    public:
        void* ReAlloc(unsigned int) override { return nullptr; }
    } n;
    n.Attach("abcdef", nullptr, 16ul);
    EXPECT_EQ(StoreBytes(n), "");
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    EXPECT_EQ(Seq({n.SmartSize(), n.SerializeRaw(ar)}), "0 0");
    ar.Close();
    EXPECT_EQ(file.GetLength(), 0u);
    n.SetPC(6);  // nothing to trim: the record is stored
    EXPECT_EQ(StoreBytes(n).size(), 8u + 8 + 6);
}

TEST_F(Decode, FailedGrowthWritesNothing) {
    d.InterLock();  // no block
    EXPECT_EQ(Seq({d.Decode((unsigned char)1), d.Decode(1), d.Decode("text"), State(d)}), "0 0 0 0:0 0");
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "確保されていないのに、再確保が行われました。:CAlloc");

    CDecode idle;  // never inter-locked: nowhere to write
    idle.Alloc(16);
    EXPECT_EQ(Seq({idle.Decode((unsigned char)1), idle.KeptDecode(0u, (unsigned char)1), idle.GetPC()}),
              "0 0 0");

    CDecode big;  // sizes beyond a 32-bit process are a memory shortage: the block is released
    Ready(big, 16);
    boxes.Clear();
    EXPECT_EQ(Seq({big.Decode((const void*)"x", 0xFFFFFFF0u), boxes.Count() > 0, big.IsAttached()}), "0 1 0");
}

TEST_F(Decode, OverridesTakePartWhereTheOperationsSayTheyDo) {
    Watched w;
    w.Alloc(0);
    w.InterLock();
    w.Decode((unsigned char)1);  // grows: unlocks and re-locks through the slots
    w.Decode((unsigned char)2);  // fits
    w.Decode((unsigned short)3);
    w.Decode((unsigned long)4);
    w.Decode(1);
    w.Decode("s");
    w.Alignment(4);
    w.Alignment(4);  // already aligned: no request
    w.InterUnlock();
    EXPECT_EQ(w.trace, "L R1 U L R1 R2 R4 R1 R2 R1 U ")
        << "InterUnlock unlocks through the block's own Unlock";
    EXPECT_EQ(w.IsLocked(), 0u);
    w.InterLock();
    w.refuse = true;
    EXPECT_EQ(Seq({w.Decode((unsigned char)9), w.GetPC()}), "0 12");
    w.InterUnlock();
}

TEST_F(Decode, AttachFormsCopyAndDetach) {
    ASSERT_NE(d.Attach("abcdef", "f.txt", 19ul), nullptr);
    EXPECT_EQ(Seq({State(d), d.GetPathName()}), "2:3 6 f.txt");
    EXPECT_EQ(d.Attach("again", nullptr, 80ul), nullptr);
    EXPECT_EQ(State(d), "2:3 6") << "refused: the PC stays";
    d.InterLock();
    CDecode copy(d);
    EXPECT_TRUE(copy.GetID() == d.GetID() && (void*)copy == (void*)d);
    EXPECT_EQ(State(copy), "2:3 6");
    d.InterUnlock();
    copy.DetachWithoutFree();
    CAlloc owner(8);
    void* h = owner.DetachWithoutFree();
    CDecode adopted, copied;
    EXPECT_EQ(adopted.Attach(8u, h, "a.bin", 64ul), h);
    char raw[3] = {1, 2, 3};
    EXPECT_NE(copied.Attach(raw, 3u, nullptr, 3ul), nullptr);
    EXPECT_EQ(Seq({State(adopted), State(copied)}), "8:0 8 0:3 3");
    EXPECT_EQ(Seq({d.Detach(), State(d), d.GetPathName(), d.Detach()}), "1 0:0 0  0");
    EXPECT_EQ((void*)d, nullptr);
    EXPECT_EQ(boxes.Count(), 1u);  // the refused attach
}

}  // namespace
