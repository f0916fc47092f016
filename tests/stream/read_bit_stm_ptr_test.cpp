// The bit reader, and random round trips through every bit writer. The writers and the reader take a
// shorter way over the library's own chunk (CAllocInterface) than over any other chunk: the two must agree.
#include <kiln/core/heap_interface.h>
#include <kiln/stream/read_bit_stm_ptr.h>
#include <kiln/stream/write_le_bit_stm_ptr.h>
#include <kiln/stream/write_word_bit_stm_ptr.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/seq.h"
#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Seq;
using kiln::test::VectorHeap;

std::string BytesOf(IPmHeapInterface& heap) {
    std::string bytes(heap.GetLength(), '\0');
    CReadStmPtr(&heap).Read(0, bytes.data(), (unsigned)bytes.size());
    return bytes;
}

TEST(ReadBitStmPtr, RunningOutAndByteSeeks) {
    kiln::test::BoxRecorder boxes;
    VectorHeap heap("\x0F\xF0\x3C");
    CReadBitStmPtr in(&heap);
    // Only 20 bits are left after the first 4: the reads that need more give 0 and run out.
    EXPECT_EQ(Seq({in.FetchBits(4), in.FetchBits(24), in.GetPosition(), in.IsFinished()}), "0 0 4 1");
    EXPECT_EQ(Seq({in.FetchBit(), in.FetchBits(3), in.GetPosition()}), "0 0 6");
    in.SeekFromTop(1);
    EXPECT_EQ(Seq({in.FetchBits(0), in.FetchBits(33), in.FetchBits(-5), in.GetPosition()}), "0 0 0 1")
        << "counts outside 1 to 32 read nothing";

    // A byte read takes the byte at the position; the 6 bits left are counted in the byte before it.
    in.SeekToTop();
    EXPECT_EQ(Seq({in.FetchBits(2), in.FetchByte(), in.FetchBits(6)}), Seq({0, 0xF0, 0x30}));
    in.SeekFromTop(3);
    EXPECT_EQ(Seq({in.FetchBits(2), in.GetPosition()}), "0 4") << "all bits of the last byte were taken";
    // No byte before the top: the next bits come from byte 0; the last byte is read to its end.
    in.SeekToTop();
    EXPECT_EQ(Seq({in.FetchBits(8), in.FetchBit(), in.FetchBits(15), in.FetchBits(1), in.GetPosition()}),
              Seq({0x0F, 1, 0x703C, 0, 4}));
    EXPECT_EQ(boxes.Count(), 0u);

    EXPECT_EQ(in.SeekFromTop(9), 0);
    EXPECT_EQ(boxes.Last().text, "CChankPtr:Seek Out of Chank!");
    EXPECT_EQ(Seq({in.FetchBit(), in.GetPosition()}), "0 10")
        << "beyond the end there is no byte to go on with";
    in.SeekToTop();
    in.FetchBits(3);
    in.Unlock();
    EXPECT_EQ(in.FetchBit(), 0) << "an unlocked chunk gives nothing";
    in.Lock();
}

// Writes random single bits and runs, going back now and then to overwrite bits, and checks that
// bit n of the stream lands where bitAt says; the top-first stream is also read back in random groups.
int MsbBit(const std::string& s, size_t n) { return ((unsigned char)s[n / 8] >> (7 - n % 8)) & 1; }
int LsbBit(const std::string& s, size_t n) { return ((unsigned char)s[n / 8] >> (n % 8)) & 1; }
int WordBit(const std::string& s, size_t n) {
    return ((unsigned char)s[n / 16 * 2 + n % 16 / 8] >> (n % 8)) & 1;
}

template <class Writer>
void RoundTrip(std::mt19937& random, IPmHeapInterface& heap, int (*bitAt)(const std::string&, size_t)) {
    constexpr bool kTopFirst = std::is_same_v<Writer, CWriteBitStmPtr>;
    std::vector<int> bits;
    {
        Writer out(&heap);
        for (int step = 0, steps = 1 + random() % 400, at = 0; step < steps; ++step) {
            unsigned kind = random() % 10;
            if (kind == 0 && !bits.empty()) {
                at = random() % bits.size();
            } else if (kind < 4 || at < (int)bits.size()) {
                int bit = random() & 1;
                ASSERT_EQ(out.DecodeBit(bit), 1);
                if (at < (int)bits.size())
                    bits[at++] = bit;
                else
                    bits.push_back(bit), ++at;
                if (random() % 8 == 0) at = (int)bits.size();
            } else {
                int count = 1 + random() % 32;
                unsigned long value = random();
                if constexpr (kTopFirst)
                    ASSERT_EQ(out.DecodeBit(value, count), 1);
                else if constexpr (std::is_same_v<Writer, CWriteLEBitStmPtr>)
                    ASSERT_EQ(out.DecodeBitNoReverse(value, count), 1);
                else
                    for (int i = 0; i < count; ++i) ASSERT_EQ(out.DecodeBit((int)((value >> i) & 1)), 1);
                for (int i = 0; i < count; ++i)
                    bits.push_back((value >> (kTopFirst ? count - 1 - i : i)) & 1);
                at += count;
            }
            ASSERT_EQ(out.SetBPC((unsigned)at), 1);
        }
        out.SetBPC((unsigned)bits.size());
        out.FitChankSize();
    }
    std::string bytes = BytesOf(heap);
    size_t unit = std::is_same_v<Writer, CWriteWordBitStmPtr> ? 16 : 8;
    ASSERT_EQ(bytes.size(), (bits.size() + unit - 1) / unit * unit / 8);
    for (size_t n = 0; n < bits.size(); ++n) ASSERT_EQ(bitAt(bytes, n), bits[n]) << "bit " << n;
    if (!kTopFirst) return;
    CReadBitStmPtr in(&heap);
    for (size_t n = 0; n < bits.size();) {
        int count = std::min<int>(1 + random() % 32, (int)(bits.size() - n));
        unsigned expected = 0;
        for (int i = 0; i < count; ++i) expected = (expected << 1) | bits[n + i];
        ASSERT_EQ((unsigned)(count == 1 ? in.FetchBit() : in.FetchBits(count)), expected) << "bit " << n;
        n += count;
    }
    if (bits.size() % 8) {
        EXPECT_EQ(in.FetchBits(8 - bits.size() % 8), 0) << "padding";
    }
    EXPECT_EQ(in.IsFinished(), 1);
}

TEST(BitRoundTrip, EveryWriterOnBothKindsOfChunk) {
    kiln::test::BoxRecorder boxes;
    std::mt19937 random(20240501);
    for (int round = 0; round < 200; ++round) {
        VectorHeap other;
        CAllocInterface own;
        own.Alloc(0);
        IPmHeapInterface& heap = round % 2 ? (IPmHeapInterface&)own : other;
        if (round % 6 < 2)
            RoundTrip<CWriteBitStmPtr>(random, heap, MsbBit);
        else if (round % 6 < 4)
            RoundTrip<CWriteLEBitStmPtr>(random, heap, LsbBit);
        else
            RoundTrip<CWriteWordBitStmPtr>(random, heap, WordBit);
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

// The same random operations, anywhere in the stream and past its end, on both kinds of chunk.
TEST(BitRoundTrip, FastAndSlowPathsAgree) {
    kiln::test::BoxRecorder boxes;
    std::mt19937 random(99);
    for (int round = 0; round < 100; ++round) {
        std::string seed(random() % 24, '\0');  // small chunks, so that runs meet their end
        for (auto& c : seed) c = (char)random();
        VectorHeap other(seed);
        CAllocInterface own;
        own.Alloc((int)seed.size());
        std::memcpy(own.Lock(), seed.data(), seed.size());
        own.Unlock();
        {
            CWriteBitStmPtr a(&other), b(&own);
            for (int step = 0; step < 200; ++step) {
                unsigned kind = random() % 8, bpc = random() % (8 * (a.GetLength() + 2));
                int count = (int)(random() % 34), bit = random() & 1;  // counts 0 and 33 are refused
                unsigned long value = ((unsigned long)random() << 32) | random();
                auto write = [&](CWriteBitStmPtr& w) {
                    int result = kind == 0   ? w.SetBPC(bpc)
                                 : kind == 1 ? w.DecodeBit(bit)
                                             : w.DecodeBit(value, count);
                    return Seq({result, w.GetPosition(), w.GetBPC()});
                };
                ASSERT_EQ(write(a), write(b)) << "write step " << step;
                ASSERT_TRUE(other.Bytes() == BytesOf(own)) << "write step " << step;
            }
            a.FitChankSize();
            b.FitChankSize();
        }
        CReadBitStmPtr ra(&other), rb(&own);
        for (int step = 0; step < 200; ++step) {
            unsigned kind = random() % 6, to = random() % (ra.GetLength() + 2);
            int count = (int)(random() % 34);
            auto read = [&](CReadBitStmPtr& r) {
                int result = kind == 0 ? r.SeekFromTop(to) : kind == 1 ? r.FetchBit() : r.FetchBits(count);
                return Seq({result, r.GetPosition()});
            };
            ASSERT_EQ(read(ra), read(rb)) << "read step " << step;
        }
    }
}

}  // namespace
