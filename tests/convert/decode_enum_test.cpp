#include <kiln/convert/decode_enum.h>

#include <gtest/gtest.h>

#include <string>

#include "support/box_recorder.h"

namespace {

constexpr unsigned kTable = 131072;

unsigned Counter(CDecodeEnum& table, unsigned code) {
    return static_cast<const unsigned char*>((void*)table)[2 * code];
}

class DecodeEnum : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(table.Alloc(kTable), nullptr);
        table.InterLock();
        out.Alloc(0);
        out.InterLock();
        out.AttachEnumlate(&table);
    }
    void TearDown() override {
        out.InterUnlock();
        table.InterUnlock();
    }
    kiln::test::BoxRecorder boxes;
    CDecodeEnum table;
    CDecodeEnum out;
};

TEST_F(DecodeEnum, RunTimeClass) {
    EXPECT_STREQ(out.GetRuntimeClass()->m_lpszClassName, "CDecodeEnum");
    EXPECT_EQ(RUNTIME_CLASS(CDecodeEnum)->m_wSchema, 0xFFFFu);
    EXPECT_EQ(RUNTIME_CLASS(CDecodeEnum)->m_pBaseClass, RUNTIME_CLASS(CDecode));
    CObject* made = RUNTIME_CLASS(CDecodeEnum)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CDecode)));
    delete made;
}

TEST_F(DecodeEnum, CountsDoubleByteCharactersAtTwiceTheirCode) {
    EXPECT_EQ(out.DecodeEnum("\x82\xA0", 2u), 1);
    const unsigned char* counters = static_cast<const unsigned char*>((void*)table);
    EXPECT_EQ(counters[0x10540], 1u);
    EXPECT_EQ(counters[0x10541], 0u);  // the odd byte is never touched
    EXPECT_EQ(out.DecodeEnum("AB", 2u), 1);
    EXPECT_EQ(out.GetPC(), 4u);
    EXPECT_EQ(std::string(static_cast<const char*>((void*)out), 4),
              "\x82\xA0"
              "AB");
    // A trail byte in the ASCII range still belongs to its lead byte; the highest code counts too.
    out.DecodeTextEnum(
        "\x83\x41"
        "A\xFC\xFF");
    EXPECT_EQ(Counter(table, 0x8341), 1u);
    EXPECT_EQ(Counter(table, 0xFCFF), 1u);
    unsigned sum = 0;
    for (unsigned i = 0; i < kTable; ++i) sum += counters[i];
    EXPECT_EQ(sum, 3u) << "'A' and the trail bytes are not counted on their own";
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(DecodeEnum, TextFormsCharactersAndWrapping) {
    out.DecodeEnum("\x88\x9F");  // with its NUL
    EXPECT_EQ(out.GetPC(), 3u);
    out.DecodeTextEnum("\x88\x9F");
    EXPECT_EQ(out.GetPC(), 5u);
    EXPECT_EQ(Counter(table, 0x889F), 2u);
    out.DecodeCharEnum('\x88');
    out.DecodeCharEnum('\x9F');
    EXPECT_EQ(out.GetPC(), 7u);
    EXPECT_EQ(Counter(table, 0x889F), 2u) << "single characters are not counted";
    for (int i = 0; i < 254; ++i) out.DecodeTextEnum("\x88\x9F");
    EXPECT_EQ(Counter(table, 0x889F), 0u) << "the 8-bit counter wraps at 256";
    out.Decode(1);
    out.DecodeTextEnum("x");
    EXPECT_EQ(out.GetPC(), 7u + 2 * 254 + 2) << "an open byte is closed first";
}

TEST_F(DecodeEnum, LeadByteAtTheEndAndMissingOrSmallCounterBuffers) {
    out.DecodeEnum("a\x82", 2u);
    EXPECT_EQ(out.GetPC(), 2u);
    for (unsigned trail = 0; trail < 256; ++trail) EXPECT_EQ(Counter(table, 0x8200 + trail), 0u);

    CDecodeEnum alone;
    alone.Alloc(0);
    alone.InterLock();
    EXPECT_EQ(alone.DecodeEnum("\x82\xA0", 2u), 1);  // emitted, nothing counted
    EXPECT_EQ(alone.GetPC(), 2u);
    CDecodeEnum small;
    small.Alloc(16);
    small.InterLock();
    alone.AttachEnumlate(&small);
    EXPECT_EQ(alone.DecodeEnum("\x82\xA0", 2u), 1);
    EXPECT_EQ(small.Increment(16), 0);
    EXPECT_EQ(small.Increment(15), 1);
    EXPECT_EQ(static_cast<const unsigned char*>((void*)small)[15], 1u);
    small.InterUnlock();
    alone.InterUnlock();
}

TEST_F(DecodeEnum, CopyKeepsTheCounterBufferAndDetachDropsIt) {
    out.DecodeTextEnum("ab");
    CDecodeEnum copy(out);
    EXPECT_EQ(copy.GetPC(), 2u);
    EXPECT_EQ(copy.DecodeTextEnum("\x82\xA0"), 1);
    EXPECT_EQ(Counter(table, 0x82A0), 1u);
    copy.DetachWithoutFree();  // the block stays out's

    CDecodeEnum other;
    other.Alloc(0);
    other.AttachEnumlate(&table);
    other.InterLock();
    other.InterUnlock();
    EXPECT_EQ(other.Detach(), 1);
    other.Alloc(0);
    other.InterLock();
    other.DecodeTextEnum("\x82\xA0");
    EXPECT_EQ(Counter(table, 0x82A0), 1u) << "after Detach there is no counter buffer";
    other.InterUnlock();
}

}  // namespace
