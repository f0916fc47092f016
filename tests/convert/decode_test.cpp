#include <kiln/convert/decode.h>
#include <kiln/platform/mem_file.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/archive_bytes.h"
#include "support/box_recorder.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::Le32;
using kiln::test::LoadBytes;
using kiln::test::StoreBytes;

const char kReAllocEmpty[] = "確保されていないのに、再確保が行われました。:CAlloc";

std::string Bytes(CDecode& d, unsigned from, unsigned n) {
    const unsigned char* p = static_cast<const unsigned char*>((void*)d);
    return std::string(reinterpret_cast<const char*>(p) + from, n);
}

// An empty buffer given a block of size bytes and inter-locked.
void Ready(CDecode& d, unsigned size) {
    ASSERT_NE(d.Alloc(size), nullptr);
    ASSERT_NE(d.InterLock(), nullptr);
}

// Records how the base operations use the growth rule and the lock slots.
class Watched : public CDecode {
public:
    BOOL TryReAlloc(unsigned int n) override {
        requests.push_back(n);
        return refuse ? 0 : CDecode::TryReAlloc(n);
    }
    void* InterLock() override {
        ++interLocks;
        return CDecode::InterLock();
    }
    void InterUnlock() override {
        ++interUnlocks;
        CDecode::InterUnlock();
    }
    void Unlock() const override {
        ++unlocks;
        CDecode::Unlock();
    }
    std::vector<unsigned> requests;
    bool refuse = false;
    int interLocks = 0;
    int interUnlocks = 0;
    mutable int unlocks = 0;
};

class Decode : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
};

TEST_F(Decode, RunTimeClassAndEmptyState) {
    CDecode d;
    EXPECT_STREQ(d.GetRuntimeClass()->m_lpszClassName, "CDecode");
    EXPECT_EQ(RUNTIME_CLASS(CDecode)->m_wSchema, 0xFFFFu);
    EXPECT_EQ(RUNTIME_CLASS(CDecode)->m_pBaseClass, RUNTIME_CLASS(CTextAlloc));
    EXPECT_EQ((void*)d, nullptr);
    EXPECT_EQ(d.GetPC(), 0u);
    EXPECT_EQ(d.GetPosition(), 0ul);
    CObject* made = RUNTIME_CLASS(CDecode)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CTextAlloc)));
    delete made;
}

TEST_F(Decode, GrowthAddsTheRequestAnd2048ToTheLength) {
    CDecode d;
    Ready(d, 0);
    ASSERT_EQ(d.Decode((unsigned char)0x5A), 1);
    EXPECT_EQ(d.GetLength(), 2049u);
    EXPECT_EQ(d.GetPC(), 1u);
    EXPECT_EQ(d.IsLocked(), 1u);  // growth keeps the buffer inter-locked, once
    // Room is used before growing again.
    for (int i = 0; i < 2048; ++i) ASSERT_EQ(d.Decode((unsigned char)i), 1);
    EXPECT_EQ(d.GetLength(), 2049u);
    ASSERT_EQ(d.Decode((unsigned short)1), 1);
    EXPECT_EQ(d.GetLength(), 2049u + 2 + 2048);

    CDecode e;
    Ready(e, 4096);
    e.SetPC(4000);
    std::string data(200, 'd');
    ASSERT_EQ(e.Decode(data.data(), 200u), 1);
    EXPECT_EQ(e.GetLength(), 6344u);
    EXPECT_EQ(e.GetPC(), 4200u);
    EXPECT_EQ(Bytes(e, 4000, 200), data);
    EXPECT_EQ(Bytes(e, 4200, 2144), std::string(2144, '\0'));  // added room is zero-filled
    e.InterUnlock();
    d.InterUnlock();
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Decode, BitsArePackedMostSignificantFirst) {
    CDecode d;
    Ready(d, 0);
    d.Decode(1);
    d.Decode(0);
    d.Decode(1);
    EXPECT_EQ(d.GetPosition(), 3ul);
    d.Decode((unsigned char)0xFF);
    EXPECT_EQ(Bytes(d, 0, 2), "\xA0\xFF");
    EXPECT_EQ(d.GetPC(), 2u);
    EXPECT_EQ(d.GetPosition(), 16ul);
    for (int i = 0; i < 8; ++i) d.Decode(1);
    EXPECT_EQ(Bytes(d, 2, 1), "\xFF");
    EXPECT_EQ(d.GetPC(), 3u);
    EXPECT_EQ(d.GetPosition(), 24ul);
    d.InterUnlock();

    // A new byte starts from zero whatever the block holds; an open byte keeps its bits.
    CDecode f;
    char ones[4] = {'\xFF', '\xFF', '\xFF', '\xFF'};
    f.Attach(ones, 4u, nullptr, 0ul);
    f.InterLock();
    f.Decode(0);
    f.Decode(1);
    EXPECT_EQ(Bytes(f, 0, 1), "\x40");
    f.Relocate(1, 4);
    f.Decode(0);
    EXPECT_EQ(Bytes(f, 1, 1), "\xFF");
    EXPECT_EQ(f.GetPosition(), 13ul);
    f.InterUnlock();
}

TEST_F(Decode, ValuesAndTextsAreLittleEndianAndNulTerminatedAsStated) {
    CDecode d;
    Ready(d, 0);
    d.Decode(1);  // an open byte is closed by every byte-wide emission
    d.Decode((unsigned short)0x1234);
    d.Decode((unsigned long)0x12345678);
    d.Decode((unsigned long)0xAABBCCDD11223344ul);  // the low 32 bits
    d.Decode((DWORD)0x01020304);                    // a DWORD is the 32-bit form
    EXPECT_EQ(Bytes(d, 0, 15),
              std::string("\x80\x34\x12\x78\x56\x34\x12\x44\x33\x22\x11\x04\x03\x02\x01", 15));
    EXPECT_EQ(d.GetPC(), 15u);
    d.Decode("ab");
    EXPECT_EQ(d.GetPC(), 18u);
    d.DecodeText("ab");
    EXPECT_EQ(d.GetPC(), 20u);
    EXPECT_EQ(Bytes(d, 15, 5), std::string("ab\0ab", 5));

    CTextAlloc source;
    source.Attach("src", nullptr);
    EXPECT_EQ(d.Decode(source), 1);
    EXPECT_EQ(Bytes(d, 20, 3), "src");
    EXPECT_EQ(source.IsLocked(), 0u);
    CAlloc none;
    EXPECT_EQ(d.Decode(none), 0);
    EXPECT_EQ(d.GetPC(), 23u);
    // Appending the buffer's own block, and bytes taken from it, survives the growth they cause.
    unsigned before = d.GetLength();
    EXPECT_EQ(d.Decode(*static_cast<CAlloc*>(&d)), 1);
    EXPECT_EQ(d.GetPC(), 23u + before);
    EXPECT_EQ(Bytes(d, 23, 3), Bytes(d, 0, 3));
    d.SetPC(d.GetLength() - 1);
    EXPECT_EQ(d.Decode((const void*)((unsigned char*)(void*)d + 15), 5u), 1);
    EXPECT_EQ(Bytes(d, d.GetPC() - 5, 5), std::string("ab\0ab", 5));
    EXPECT_EQ(boxes.Count(), 0u);
    d.InterUnlock();
}

TEST_F(Decode, AlignmentAdvancesWithoutWriting) {
    CDecode d;
    char marks[32];
    std::memset(marks, 0x77, sizeof marks);
    d.Attach(marks, 32u, nullptr, 5ul * 8);
    d.InterLock();
    EXPECT_EQ(d.Alignment(4), 1);
    EXPECT_EQ(d.GetPC(), 8u);
    EXPECT_EQ(Bytes(d, 5, 3), "\x77\x77\x77");
    EXPECT_EQ(d.Alignment(4), 1);
    EXPECT_EQ(d.GetPC(), 8u);
    d.Relocate(10);
    EXPECT_EQ(d.Alignment(16, 4), 1);
    EXPECT_EQ(d.GetPC(), 12u);
    d.Decode(1);
    EXPECT_EQ(d.Alignment(0), 1);
    EXPECT_EQ(d.GetPosition(), 12ul * 8 + 1) << "unit 0 leaves even an open byte";
    EXPECT_EQ(d.Alignment(1), 1);
    EXPECT_EQ(d.GetPosition(), 13ul * 8) << "a non-zero unit closes it";
    // Padding past the end grows the block with zeros.
    d.SetPC(30);
    EXPECT_EQ(d.Alignment(8), 1);
    EXPECT_EQ(d.GetPC(), 32u);
    EXPECT_EQ(d.GetLength(), 32u) << "the padding fits exactly";
    EXPECT_EQ(d.Alignment(64, 1), 1);
    EXPECT_EQ(d.GetPC(), 63u);
    EXPECT_EQ(d.GetLength(), 32u + 31 + 2048);
    EXPECT_EQ(Bytes(d, 32, 31), std::string(31, '\0'));
    d.InterUnlock();
}

TEST_F(Decode, PositionsAndKeptWrites) {
    CDecode d;
    Ready(d, 0);
    d.Decode((unsigned char)1);
    d.Decode((unsigned char)2);
    d.Decode((unsigned char)3);
    d.Decode(1);
    d.Decode(1);
    d.Decode(1);
    unsigned long position = d.GetPosition();
    EXPECT_EQ(position, 27ul);
    EXPECT_EQ(d.KeptDecode(position, (unsigned char)0xEE), 1);
    EXPECT_EQ(Bytes(d, 4, 1), "\xEE");
    EXPECT_EQ(d.KeptDecode(24ul, (unsigned char)0xDD), 1);
    EXPECT_EQ(Bytes(d, 3, 1), "\xDD");
    EXPECT_EQ(d.GetPosition(), 27ul) << "kept writes neither move the PC nor close the byte";

    EXPECT_EQ(d.KeptDecode(0u, (unsigned short)0xBEEF), 1);
    EXPECT_EQ(d.KeptDecode(6u, (unsigned long)0x11223344), 1);
    EXPECT_EQ(d.KeptDecode(10u, (DWORD)0x55667788), 1);
    char patch[] = "xyz";
    EXPECT_EQ(d.KeptDecode(14u, patch, 3u), 1);
    EXPECT_EQ(Bytes(d, 0, 2), "\xEF\xBE");
    EXPECT_EQ(Bytes(d, 6, 11), "\x44\x33\x22\x11\x88\x77\x66\x55xyz");
    // Outside the block: nothing written.
    unsigned length = d.GetLength();
    EXPECT_EQ(d.KeptDecode(length - 1, (unsigned short)1), 0);
    EXPECT_EQ(d.KeptDecode(length - 1, (unsigned char)0x42), 1);
    EXPECT_EQ(d.KeptDecode((unsigned long)length * 8, (unsigned char)1), 0);
    EXPECT_EQ(d.GetLength(), length);

    d.Relocate(7, 3);
    EXPECT_EQ(d.GetPC(), 7u);
    EXPECT_EQ(d.GetPosition(), 59ul);
    d.SetPC(9);
    EXPECT_EQ(d.GetPosition(), 75ul) << "SetPC keeps the bit position";
    d.Relocate(2, 11);
    EXPECT_EQ(d.GetPosition(), 27ul) << "a bit count past the byte carries into the PC";
    EXPECT_EQ(d.GetPC(), 3u);
    d.InterUnlock();
}

TEST_F(Decode, SmartSizeTrimsButNeverGrows) {
    CDecode d;
    Ready(d, 0);
    for (int i = 0; i < 10; ++i) d.Decode((unsigned char)('0' + i));
    EXPECT_EQ(d.GetLength(), 2049u);
    void* before = (void*)d;
    EXPECT_EQ(d.SmartSize(), 1);
    EXPECT_EQ(d.GetLength(), 10u);
    EXPECT_EQ((void*)d, before);
    EXPECT_EQ(Bytes(d, 0, 10), "0123456789");
    d.Decode(1);
    EXPECT_EQ(d.SmartSize(), 1);
    EXPECT_EQ(d.GetPC(), 11u) << "the open byte is closed first";
    EXPECT_EQ(d.GetLength(), 11u);
    d.InterUnlock();

    CDecode small;
    small.Attach("12345678", nullptr, 0ul);
    small.SetPC(10);
    EXPECT_EQ(small.SmartSize(), 1);
    EXPECT_EQ(small.GetLength(), 8u);
}

TEST_F(Decode, RecordHoldsPcBitPositionAndTheTextRecord) {
    CDecode d;
    Ready(d, 0);
    for (int i = 0; i < 10; ++i) d.Decode((unsigned char)('a' + i));
    d.InterUnlock();
    std::string bytes = StoreBytes(d);
    EXPECT_EQ(bytes, Le32(10) + Le32(0) + Le32(10) + Le32(~10u) + "abcdefghij");
    EXPECT_EQ(d.GetLength(), 10u);

    CDecode back;
    LoadBytes(back, Le32(7) + Le32(3) + Le32(2) + Le32(~2u) + "xy");
    EXPECT_EQ(back.GetPC(), 7u);
    EXPECT_EQ(back.GetPosition(), 59ul);
    EXPECT_EQ(back.GetLength(), 2u);

    // Raw storing trims first; raw loading leaves the PC alone.
    CDecode r;
    Ready(r, 0);
    r.DecodeText("raw");
    r.InterUnlock();
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        EXPECT_EQ(r.SerializeRaw(ar), 1);
    }
    EXPECT_EQ(file.GetLength(), 3u);
    file.SeekToBegin();
    CDecode rb;
    rb.Relocate(5, 1);
    CArchive ar(&file, CArchive::load);
    EXPECT_EQ(rb.SerializeRaw(ar), 1);
    EXPECT_EQ(rb.GetPosition(), 41ul);
    EXPECT_EQ(rb.GetLength(), 3u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Decode, AFailedTrimStoresNothing) {
    class NoResize : public CDecode {
    public:
        void* ReAlloc(unsigned int) override { return nullptr; }
    } d;
    d.Attach("abcdef", nullptr, 16ul);
    EXPECT_EQ(d.SmartSize(), 0);
    EXPECT_EQ(kiln::test::StoreBytes(d), "");
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    EXPECT_EQ(d.SerializeRaw(ar), 0);
    ar.Close();
    EXPECT_EQ(file.GetLength(), 0u);
    // Nothing to trim: the record is stored.
    d.SetPC(6);
    EXPECT_EQ(kiln::test::StoreBytes(d).size(), 8u + 8 + 6);
}

TEST_F(Decode, FileFormsRunTheOutputBufferRecords) {
    kiln::test::TempDir dir;
    CDecode d;
    Ready(d, 0);
    d.DecodeText("out");
    d.InterUnlock();
    d.AttachText(dir.win("out.txt").c_str());
    ASSERT_EQ(d.SerializeToFile(".rec"), 1);
    EXPECT_EQ(dir.Read("out.rec"), Le32(3) + Le32(0) + Le32(3) + Le32(~3u) + "out");
    ASSERT_EQ(d.SerializeRawToFile(".bin"), 1);
    EXPECT_EQ(dir.Read("out.bin"), "out");
    CDecode back;
    ASSERT_EQ(back.SerializeFromFile(dir.win("out.rec").c_str(), 0), 1);
    EXPECT_EQ(back.GetPC(), 3u);
    EXPECT_STREQ(back.GetPathName(), dir.win("out.rec").c_str());
}

TEST_F(Decode, FailedGrowthWritesNothing) {
    CDecode d;  // no block
    d.InterLock();
    EXPECT_EQ(d.Decode((unsigned char)1), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, kReAllocEmpty);
    EXPECT_EQ(d.GetPC(), 0u);
    EXPECT_EQ(d.Decode(1), 0);
    EXPECT_EQ(d.Decode("text"), 0);
    EXPECT_EQ(d.GetPosition(), 0ul);

    // A buffer that was never inter-locked has nowhere to write.
    CDecode idle;
    idle.Alloc(16);
    EXPECT_EQ(idle.Decode((unsigned char)1), 0);
    EXPECT_EQ(idle.KeptDecode(0u, (unsigned char)1), 0);
    EXPECT_EQ(idle.GetPC(), 0u);

    // Sizes beyond a 32-bit process are a memory shortage: the block is released.
    CDecode big;
    Ready(big, 16);
    boxes.Clear();
    EXPECT_EQ(big.Decode((const void*)"x", 0xFFFFFFF0u), 0);
    EXPECT_GE(boxes.Count(), 1u);
    EXPECT_EQ(big.IsAttached(), 0);
}

TEST_F(Decode, OverridesTakePartWhereTheOperationsSayTheyDo) {
    Watched w;
    w.Alloc(0);
    w.InterLock();
    w.Decode((unsigned char)1);  // grows
    w.Decode((unsigned char)2);  // fits
    w.Decode((unsigned short)3);
    w.Decode((unsigned long)4);
    w.Decode(1);
    w.Decode("s");
    w.Alignment(4);
    w.Alignment(4);  // already aligned: no request
    EXPECT_EQ(w.requests, (std::vector<unsigned>{1, 1, 2, 4, 1, 2, 1}));
    EXPECT_EQ(w.interLocks, 2);
    EXPECT_EQ(w.interUnlocks, 1);
    EXPECT_EQ(w.unlocks, 0) << "InterUnlock unlocks through the block's own Unlock";
    w.refuse = true;
    unsigned pc = w.GetPC();
    EXPECT_EQ(w.Decode((unsigned char)9), 0);
    EXPECT_EQ(w.GetPC(), pc);
    w.InterUnlock();
    EXPECT_EQ(w.IsLocked(), 0u);
}

TEST_F(Decode, CopyAttachAndDetach) {
    CDecode d;
    ASSERT_NE(d.Attach("abcdef", "f.txt", 19ul), nullptr);
    EXPECT_EQ(d.GetPC(), 2u);
    EXPECT_EQ(d.GetPosition(), 19ul);
    EXPECT_STREQ(d.GetPathName(), "f.txt");
    EXPECT_EQ(d.Attach("again", nullptr, 80ul), nullptr);  // refused: the PC stays
    EXPECT_EQ(d.GetPC(), 2u);
    boxes.Clear();
    d.InterLock();
    CDecode copy(d);
    EXPECT_EQ(copy.GetID(), d.GetID());
    EXPECT_EQ((void*)copy, (void*)d);
    EXPECT_EQ(copy.GetPosition(), 19ul);
    d.InterUnlock();
    copy.DetachWithoutFree();

    CAlloc owner(8);
    void* h = owner.DetachWithoutFree();
    CDecode adopted;
    EXPECT_EQ(adopted.Attach(8u, h, "a.bin", 64ul), h);
    EXPECT_EQ(adopted.GetPC(), 8u);
    char raw[3] = {1, 2, 3};
    CDecode copied;
    EXPECT_NE(copied.Attach(raw, 3u, nullptr, 3ul), nullptr);
    EXPECT_EQ(copied.GetPosition(), 3ul);

    EXPECT_EQ(d.Detach(), 1);
    EXPECT_EQ(d.GetPC(), 0u);
    EXPECT_EQ(d.GetPosition(), 0ul);
    EXPECT_EQ((void*)d, nullptr);
    EXPECT_STREQ(d.GetPathName(), "");
    EXPECT_EQ(d.Detach(), 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
