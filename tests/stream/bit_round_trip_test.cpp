// Random round trips: each writer writes random runs of bits of random widths, some of them over
// bits written before, and the bytes must read back as the bits written. The writers and the reader
// take a shorter way over the library's own chunk (CAllocInterface) than over any other chunk: the
// two must agree on every byte, position and result.
#include <kiln/core/heap_interface.h>
#include <kiln/stream/read_bit_stm_ptr.h>
#include <kiln/stream/write_le_bit_stm_ptr.h>
#include <kiln/stream/write_word_bit_stm_ptr.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::VectorHeap;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 300;
constexpr auto kTimeLimit = std::chrono::seconds(3);

// Bit n of the stream as each writer lays it out.
int MsbBit(const std::string& b, size_t n) { return ((unsigned char)b[n / 8] >> (7 - n % 8)) & 1; }
int LsbBit(const std::string& b, size_t n) { return ((unsigned char)b[n / 8] >> (n % 8)) & 1; }
int WordBit(const std::string& b, size_t n) {
    size_t word = n / 16, bit = n % 16;
    return ((unsigned char)b[2 * word + bit / 8] >> (bit % 8)) & 1;
}

// Writes a random run into a writer, keeping the bits it should hold; now and then the writer goes
// back to an earlier bit and single bits overwrite what was there.
template <class Writer, class WriteRun>
std::vector<int> WriteRandom(std::mt19937& random, Writer& out, WriteRun writeRun) {
    constexpr bool kTopFirst = std::is_same_v<Writer, CWriteBitStmPtr>;  // runs go most significant first
    std::vector<int> bits;
    size_t at = 0;
    int steps = 1 + random() % 400;
    for (int step = 0; step < steps; ++step) {
        unsigned kind = random() % 10;
        if (kind == 0 && at == bits.size() && !bits.empty()) {
            at = random() % bits.size();
            EXPECT_EQ(out.SetBPC((unsigned)at), 1);
        } else if (kind < 4 || at < bits.size()) {
            int bit = random() & 1;
            EXPECT_EQ(out.DecodeBit(bit), 1);
            if (at < bits.size())
                bits[at] = bit;
            else
                bits.push_back(bit);
            ++at;
            if (at < bits.size() && random() % 8 == 0) {  // back to the end of the stream
                at = bits.size();
                EXPECT_EQ(out.SetBPC((unsigned)at), 1);
            }
        } else {
            int count = 1 + random() % 32;
            unsigned long value = random();
            writeRun(out, value, count);
            for (int i = 0; i < count; ++i)
                bits.push_back(kTopFirst ? (value >> (count - 1 - i)) & 1 : (value >> i) & 1);
            at += count;
        }
        EXPECT_EQ(out.GetBPC(), (unsigned)at);
    }
    return bits;
}

// The bytes of a CAllocInterface chunk.
std::string BytesOf(CAllocInterface& heap) {
    const unsigned char* p = heap.Lock();
    std::string bytes(p, p + heap.GetLength());
    heap.Unlock();
    return bytes;
}

template <class Heap>
void MostSignificantFirstRoundTrip(std::mt19937& random, Heap& heap, const char* kind) {
    std::vector<int> bits;
    {
        CWriteBitStmPtr out(&heap);
        bits = WriteRandom(
            random, out, [](CWriteBitStmPtr& w, unsigned long v, int n) { EXPECT_EQ(w.DecodeBit(v, n), 1); });
        out.SetBPC((unsigned)bits.size());
        out.FitChankSize();
        EXPECT_EQ(out.GetLength(), (bits.size() + 7) / 8);
    }
    CReadBitStmPtr in(&heap);
    std::string bytes(heap.GetLength(), '\0');
    in.Read(0, bytes.data(), (unsigned)bytes.size());
    for (size_t n = 0; n < bits.size(); ++n) ASSERT_EQ(MsbBit(bytes, n), bits[n]) << kind << " bit " << n;

    // Read back in random groups.
    size_t n = 0;
    while (n < bits.size()) {
        int count = std::min<int>(1 + random() % 32, (int)(bits.size() - n));
        unsigned expected = 0;
        for (int i = 0; i < count; ++i) expected = (expected << 1) | bits[n + i];
        unsigned got = count == 1 && random() % 2 ? (unsigned)in.FetchBit() : (unsigned)in.FetchBits(count);
        ASSERT_EQ(got, expected) << kind << ", bit " << n << ", count " << count;
        n += count;
    }
    int padding = (int)(8 * bytes.size() - bits.size());
    if (padding > 0) {
        EXPECT_EQ(in.FetchBits(padding), 0);
    }
    EXPECT_EQ(in.FetchBit(), 0);
    EXPECT_EQ(in.IsFinished(), 1);
}

TEST(BitRoundTrip, MostSignificantFirstWriterAgainstTheReader) {
    kiln::test::BoxRecorder boxes;
    std::mt19937 random(20240501);
    auto start = Clock::now();
    for (int round = 0; round < kRounds && Clock::now() - start < kTimeLimit; ++round) {
        VectorHeap heap;
        MostSignificantFirstRoundTrip(random, heap, "vector chunk");
        CAllocInterface own;
        own.Alloc(0);
        MostSignificantFirstRoundTrip(random, own, "CAlloc chunk");
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

// The same random operations, anywhere in the stream, on both kinds of chunk.
TEST(BitRoundTrip, BothWaysOfWritingAndReadingAgree) {
    kiln::test::BoxRecorder boxes;
    std::mt19937 random(99);
    auto start = Clock::now();
    for (int round = 0; round < kRounds / 3 && Clock::now() - start < kTimeLimit; ++round) {
        // Chunks near the growth limit, so that runs also meet the end of the chunk.
        std::string seed(random() % 24, '\0');
        for (auto& c : seed) c = (char)random();
        VectorHeap other(seed);
        CAllocInterface own;
        own.Alloc((int)seed.size());
        std::memcpy(own.Lock(), seed.data(), seed.size());
        own.Unlock();
        CWriteBitStmPtr a(&other), b(&own);
        for (int step = 0; step < 200; ++step) {
            unsigned kind = random() % 8;
            if (kind == 0) {
                unsigned bpc = random() % (8 * (a.GetLength() + 2));
                boxes.Clear();
                ASSERT_EQ(a.SetBPC(bpc), b.SetBPC(bpc));
            } else if (kind == 1) {
                int bit = random() & 1;
                ASSERT_EQ(a.DecodeBit(bit), b.DecodeBit(bit));
            } else {
                int count = (int)(random() % 34);  // 0 and 33 are refused
                unsigned long value = ((unsigned long)random() << 32) | random();
                ASSERT_EQ(a.DecodeBit(value, count), b.DecodeBit(value, count)) << count;
            }
            ASSERT_EQ(a.GetPosition(), b.GetPosition()) << "step " << step;
            ASSERT_EQ(a.GetBPC(), b.GetBPC()) << "step " << step;
            ASSERT_EQ(a.GetLength(), b.GetLength()) << "step " << step;
            std::string expected = other.Bytes(), got = BytesOf(own);
            ASSERT_TRUE(expected == got) << "step " << step << "\n"
                                         << kiln::test::Hex(expected.substr(0, 64)) << "\n"
                                         << kiln::test::Hex(got.substr(0, 64));
        }
        a.FitChankSize();
        b.FitChankSize();
        a.Close();
        b.Close();

        CReadBitStmPtr ra(&other), rb(&own);
        for (int step = 0; step < 200; ++step) {
            unsigned kind = random() % 6;
            if (kind == 0) {
                unsigned to = random() % (ra.GetLength() + 2);
                ASSERT_EQ(ra.SeekFromTop(to), rb.SeekFromTop(to));
            } else if (kind == 1) {
                ASSERT_EQ(ra.FetchBit(), rb.FetchBit());
            } else {
                int count = (int)(random() % 34);
                ASSERT_EQ(ra.FetchBits(count), rb.FetchBits(count)) << count;
            }
            ASSERT_EQ(ra.GetPosition(), rb.GetPosition()) << "step " << step;
        }
    }
}

template <class Heap>
void LeastSignificantFirstAndWordRoundTrip(std::mt19937& random, Heap& leHeap, Heap& wordHeap) {
    std::vector<int> leBits, wordBits;
    {
        CWriteLEBitStmPtr le(&leHeap);
        leBits = WriteRandom(random, le, [](CWriteLEBitStmPtr& w, unsigned long v, int n) {
            EXPECT_EQ(w.DecodeBitNoReverse(v, n), 1);
        });
        CWriteWordBitStmPtr word(&wordHeap);
        wordBits = WriteRandom(random, word, [](CWriteWordBitStmPtr& w, unsigned long v, int n) {
            for (int i = 0; i < n; ++i) EXPECT_EQ(w.DecodeBit((int)((v >> i) & 1)), 1);
        });
        le.SetBPC((unsigned)leBits.size());
        le.FitChankSize();
        word.SetBPC((unsigned)wordBits.size());
        word.FitChankSize();
    }
    std::string le(leHeap.GetLength(), '\0'), word(wordHeap.GetLength(), '\0');
    CReadStmPtr(&leHeap).Read(0, le.data(), (unsigned)le.size());
    CReadStmPtr(&wordHeap).Read(0, word.data(), (unsigned)word.size());
    ASSERT_EQ(le.size(), (leBits.size() + 7) / 8);
    ASSERT_EQ(word.size(), (wordBits.size() + 15) / 16 * 2);
    for (size_t n = 0; n < leBits.size(); ++n) ASSERT_EQ(LsbBit(le, n), leBits[n]) << "bit " << n;
    for (size_t n = 0; n < wordBits.size(); ++n) ASSERT_EQ(WordBit(word, n), wordBits[n]) << "bit " << n;
}

TEST(BitRoundTrip, LeastSignificantFirstAndWordWriters) {
    kiln::test::BoxRecorder boxes;
    std::mt19937 random(77);
    auto start = Clock::now();
    for (int round = 0; round < kRounds && Clock::now() - start < kTimeLimit; ++round) {
        VectorHeap leHeap, wordHeap;
        LeastSignificantFirstAndWordRoundTrip(random, leHeap, wordHeap);
        CAllocInterface leOwn, wordOwn;
        leOwn.Alloc(0);
        wordOwn.Alloc(0);
        LeastSignificantFirstAndWordRoundTrip(random, leOwn, wordOwn);
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
