#include <kiln/convert/decode_enum.h>

#include <gtest/gtest.h>

#include <string>

#include "support/box_recorder.h"

namespace {

constexpr unsigned kTable = 131072;

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
        EXPECT_EQ(boxes.Count(), 0u);
    }
    unsigned Counter(unsigned code) { return static_cast<const unsigned char*>((void*)table)[2 * code]; }
    unsigned Total() {
        unsigned sum = 0;
        for (unsigned i = 0; i < kTable; ++i) sum += static_cast<const unsigned char*>((void*)table)[i];
        return sum;
    }
    kiln::test::BoxRecorder boxes;
    CDecodeEnum table;
    CDecodeEnum out;
};

TEST_F(DecodeEnum, CountsDoubleByteCharactersAtTwiceTheirCode) {
    EXPECT_EQ(out.DecodeEnum("\x82\xA0"
                             "AB",
                             4u),
              1);
    EXPECT_EQ(Counter(0x82A0), 1u);
    // A trail byte in the ASCII range still belongs to its lead byte; the highest code counts too.
    out.DecodeTextEnum(
        "\x83\x41"
        "A\xFC\xFF");
    EXPECT_EQ(Counter(0x8341) + Counter(0xFCFF), 2u);
    EXPECT_EQ(Total(), 3u) << "ASCII bytes, trail bytes and odd counter bytes are never counted";
    EXPECT_EQ(std::string(static_cast<const char*>((void*)out), out.GetPC()),
              "\x82\xA0"
              "AB\x83\x41"
              "A\xFC\xFF");

    out.DecodeEnum("\x88\x9F");  // with its NUL
    EXPECT_EQ(out.GetPC(), 12u);
    out.DecodeCharEnum('\x88');
    out.DecodeCharEnum('\x9F');
    EXPECT_EQ(out.GetPC(), 14u);
    EXPECT_EQ(Counter(0x889F), 1u) << "single characters are not counted";
    for (int i = 0; i < 255; ++i) out.DecodeTextEnum("\x88\x9F");
    EXPECT_EQ(Counter(0x889F), 0u) << "the 8-bit counter wraps at 256";
    out.Decode(1);
    out.DecodeTextEnum("x");
    EXPECT_EQ(out.GetPC(), 14u + 2 * 255 + 2) << "an open byte is closed first";
    out.DecodeEnum("a\x82", 2u);  // a lead byte at the end has no trail byte to count with
    EXPECT_EQ(Total(), 3u);
}

TEST_F(DecodeEnum, MissingOrSmallCounterBuffersCountNothing) {
    CDecodeEnum alone, small;
    alone.Alloc(0);
    alone.InterLock();
    EXPECT_EQ(alone.DecodeEnum("\x82\xA0", 2u), 1);  // emitted, nothing counted
    EXPECT_EQ(alone.GetPC(), 2u);
    small.Alloc(16);
    small.InterLock();
    alone.AttachEnumlate(&small);
    EXPECT_EQ(alone.DecodeEnum("\x82\xA0", 2u), 1);
    EXPECT_EQ(small.Increment(16), 0);
    EXPECT_EQ(small.Increment(15), 1);
    EXPECT_EQ(std::string(static_cast<const char*>((void*)small), 16), std::string(15, '\0') + "\x01");
    small.InterUnlock();
    CDecodeEnum idle;
    idle.Alloc(16);
    EXPECT_EQ(idle.Increment(0), 0) << "never inter-locked";
    alone.InterUnlock();

    // A copy counts into the same counter buffer; Detach drops it.
    out.DecodeTextEnum("ab");
    CDecodeEnum copy(out);
    EXPECT_EQ(copy.GetPC(), 2u);
    EXPECT_EQ(copy.DecodeTextEnum("\x82\xA0"), 1);
    EXPECT_EQ(Counter(0x82A0), 1u);
    copy.DetachWithoutFree();  // the block stays out's
    alone.AttachEnumlate(&table);
    EXPECT_EQ(alone.Detach(), 1);
    alone.Alloc(0);
    alone.InterLock();
    alone.DecodeTextEnum("\x82\xA0");
    alone.InterUnlock();
    EXPECT_EQ(Total(), 1u) << "after Detach there is no counter buffer";
}

}  // namespace
