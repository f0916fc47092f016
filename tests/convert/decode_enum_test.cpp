#include <kiln/convert/decode_enum.h>

#include <gtest/gtest.h>

#include <string>

#include "support/seq.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Seq;

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
    // A trail byte in the ASCII range still belongs to its lead byte; the highest code counts too.
    out.DecodeTextEnum(
        "\x83\x41"
        "A\xFC\xFF");
    // ASCII bytes, trail bytes and odd counter bytes are never counted.
    EXPECT_EQ(Seq({Counter(0x82A0), Counter(0x8341), Counter(0xFCFF), Total()}), "1 1 1 3");
    EXPECT_EQ(std::string(static_cast<const char*>((void*)out), out.GetPC()),
              "\x82\xA0"
              "AB\x83\x41"
              "A\xFC\xFF");

    out.DecodeEnum("\x88\x9F");  // with its NUL
    EXPECT_EQ(out.GetPC(), 12u);
    out.DecodeCharEnum('\x88');
    out.DecodeCharEnum('\x9F');
    EXPECT_EQ(Seq({out.GetPC(), Counter(0x889F)}), "14 1") << "single characters are not counted";
    for (int i = 0; i < 255; ++i) out.DecodeTextEnum("\x88\x9F");
    EXPECT_EQ(Counter(0x889F), 0u) << "the 8-bit counter wraps at 256";
    out.Decode(1);
    out.DecodeTextEnum("x");
    EXPECT_EQ(out.GetPC(), 14u + 2 * 255 + 2) << "an open byte is closed first";
    out.DecodeEnum("a\x82", 2u);  // a lead byte at the end has no trail byte to count with
    EXPECT_EQ(Total(), 3u);
}

TEST_F(DecodeEnum, MissingOrSmallCounterBuffersCountNothing) {
    CDecodeEnum alone, small, idle;
    alone.Alloc(0);
    alone.InterLock();
    EXPECT_EQ(Seq({alone.DecodeEnum("\x82\xA0", 2u), alone.GetPC()}), "1 2") << "emitted, nothing counted";
    small.Alloc(16);
    small.InterLock();
    alone.AttachEnumlate(&small);
    EXPECT_EQ(Seq({alone.DecodeEnum("\x82\xA0", 2u), small.Increment(16), small.Increment(15)}), "1 0 1");
    EXPECT_EQ(std::string(static_cast<const char*>((void*)small), 16), std::string(15, '\0') + "\x01");
    small.InterUnlock();
    idle.Alloc(16);
    EXPECT_EQ(idle.Increment(0), 0) << "never inter-locked";
    alone.InterUnlock();

    // A copy counts into the same counter buffer; Detach drops it.
    out.DecodeTextEnum("ab");
    CDecodeEnum copy(out);
    EXPECT_EQ(Seq({copy.GetPC(), copy.DecodeTextEnum("\x82\xA0"), Counter(0x82A0)}), "2 1 1");
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
