#include <kiln/core/heap_interface.h>
#include <kiln/stream/read_bit_stm_ptr.h>
#include <kiln/stream/write_bit_stm_ptr.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Hex;
using kiln::test::VectorHeap;

const char kSeekOut[] = "CChankPtr:Seek Out of Chank!";

class WriteBitStmPtr : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
};

// Bits as text, most significant first: "101" is the value 5 in 3 bits.
std::string Bits(unsigned long value, int count) {
    std::string s;
    for (int i = count - 1; i >= 0; --i) s += (char)('0' + ((value >> i) & 1));
    return s;
}

// The bytes the bits fill, most significant bit first, the last byte padded with zeros.
std::string Pack(const std::string& bits) {
    std::string bytes((bits.size() + 7) / 8, '\0');
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1') bytes[i / 8] = (char)(bytes[i / 8] | (0x80 >> (i % 8)));
    return bytes;
}

TEST_F(WriteBitStmPtr, SingleAndMultiBitWritesFillBytesFromTheTop) {
    VectorHeap heap;
    CWriteBitStmPtr out(&heap);
    EXPECT_EQ(out.DecodeBit(1), 1);
    EXPECT_EQ(out.DecodeBit(0), 1);
    EXPECT_EQ(out.DecodeBit(7), 1) << "any non-zero value writes a 1";
    EXPECT_EQ(out.GetBPC(), 3u);
    EXPECT_EQ(out.GetPosition(), 1u) << "free bits 5";
    EXPECT_EQ(out.GetLength(), 4097u);
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes(1)), "A0");

    VectorHeap multi;
    CWriteBitStmPtr out2(&multi);
    EXPECT_EQ(out2.DecodeBit(0x5, 3), 1);
    EXPECT_EQ(out2.DecodeBit(0x3FF, 10), 1);
    EXPECT_EQ(out2.GetBPC(), 13u);
    EXPECT_EQ(out2.GetPosition(), 2u) << "free bits 3";
    EXPECT_EQ(out2.DecodeBit(0xFFFFFFF8ul, 4), 1) << "bits above the count are ignored";
    EXPECT_EQ(out2.DecodeBit(0x1, 0), 0);
    EXPECT_EQ(out2.DecodeBit(0x1, 33), 0);
    EXPECT_EQ(out2.DecodeBit(0x1, -1), 0);
    EXPECT_EQ(out2.GetBPC(), 17u);
    out2.Close();
    EXPECT_EQ(Hex(multi.Bytes(3)), "BF FC 00");
    EXPECT_EQ(boxes.Count(), 0u);
}

// Over the library's chunk and over another one: the writer takes a shorter way over its own.
template <class Heap>
void EveryCountAcrossByteBoundaries(Heap& heap, int lead, int count, unsigned long leadBits,
                                    unsigned long value) {
    std::string expected = Pack(Bits(leadBits, lead) + Bits(value, count) + "1");
    {
        CWriteBitStmPtr out(&heap);
        if (lead > 0) {
            ASSERT_EQ(out.DecodeBit(leadBits, lead), 1);
        }
        ASSERT_EQ(out.DecodeBit(value, count), 1);
        ASSERT_EQ(out.DecodeBit(1), 1) << "a marker after the value";
        EXPECT_EQ(out.GetBPC(), (unsigned)(lead + count + 1));
        EXPECT_EQ(out.GetPosition(), (unsigned)(lead + count + 8) / 8);
        out.FitChankSize();
    }
    CReadBitStmPtr in(&heap);
    std::string bytes(in.GetLength(), '\0');
    in.Read(0, bytes.data(), (unsigned)bytes.size());
    ASSERT_EQ(Hex(bytes), Hex(expected)) << "lead " << lead << ", count " << count;
    if (lead > 0) {
        EXPECT_EQ((unsigned long)in.FetchBits(lead), leadBits);
    }
    EXPECT_EQ((unsigned long)(unsigned)in.FetchBits(count), value) << lead << "+" << count;
    EXPECT_EQ(in.FetchBit(), 1);
}

TEST_F(WriteBitStmPtr, EveryCountAcrossByteBoundariesReadsBack) {
    std::mt19937 random(7);
    for (int lead = 0; lead < 8; ++lead) {
        for (int count = 1; count <= 32; ++count) {
            unsigned long value = random() & (0xFFFFFFFFul >> (32 - count));
            unsigned long leadBits = random() & ((1ul << lead) - 1);
            VectorHeap heap;
            EveryCountAcrossByteBoundaries(heap, lead, count, leadBits, value);
            CAllocInterface own;
            own.Alloc(0);
            EveryCountAcrossByteBoundaries(own, lead, count, leadBits, value);
        }
    }
}

TEST_F(WriteBitStmPtr, SetBpcAndSeekBitFromTopAgree) {
    VectorHeap heap(std::string(16, '\0'));
    CWriteBitStmPtr out(&heap);
    EXPECT_EQ(out.SetBPC(10), 1);
    EXPECT_EQ(out.GetPosition(), 2u);
    EXPECT_EQ(out.GetBPC(), 10u) << "free bits 6";
    EXPECT_EQ(out.DecodeBit(1), 1);
    EXPECT_EQ(out.SeekBitFromTop(0, 10), 1);
    EXPECT_EQ(out.GetPosition(), 2u);
    EXPECT_EQ(out.GetBPC(), 10u);
    EXPECT_EQ(out.SetBPC(0), 1);
    EXPECT_EQ(out.GetPosition(), 0u);
    EXPECT_EQ(out.GetBPC(), 0u);
    out.SetBPC(128);
    EXPECT_EQ(out.GetPosition(), 16u);
    EXPECT_EQ(Hex(heap.Bytes(2)), "00 20") << "bit 10 is bit 5 of the second byte";

    for (unsigned bit = 0; bit <= 128; ++bit) {
        ASSERT_EQ(out.SetBPC(bit), 1);
        unsigned position = out.GetPosition();
        EXPECT_EQ(out.GetBPC(), bit);
        EXPECT_EQ(position, (bit + 7) / 8);
        for (unsigned byte = 0; byte <= bit / 8; ++byte) {
            out.SetBPC(0);
            ASSERT_EQ(out.SeekBitFromTop(byte, bit - 8 * byte), 1);
            EXPECT_EQ(out.GetPosition(), position) << byte << ":" << bit - 8 * byte;
            EXPECT_EQ(out.GetBPC(), bit);
        }
    }
    EXPECT_EQ(boxes.Count(), 0u);

    EXPECT_EQ(out.SetBPC(129), 0);
    EXPECT_EQ(out.GetPosition(), 17u) << "the writer stays beyond the end";
    EXPECT_EQ(out.GetBPC(), 129u);
    EXPECT_EQ(out.SeekBitFromTop(16, 1), 0);
    EXPECT_EQ(out.SetBPC(0xFFFFFFFFu), 0);
    EXPECT_EQ(out.GetPosition(), 0x20000000u);
    out.SetBPC(5);
    boxes.Clear();
    EXPECT_EQ(out.SeekBitFromTop(0xFFFFFFFFu, 0xFFFFFFFFu), 0);
    EXPECT_EQ(out.GetBPC(), 5u) << "a bit no position can hold moves nothing";
    auto calls = boxes.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, kSeekOut);
}

TEST_F(WriteBitStmPtr, AlignmentClosesTheByteAndAlignmentBitAlignsTheBpc) {
    VectorHeap heap;
    CWriteBitStmPtr out(&heap);
    out.DecodeBit(0x7, 3);
    EXPECT_EQ(out.Alignment(0), 1);
    EXPECT_EQ(out.GetBPC(), 3u) << "a unit of 0 does nothing";
    EXPECT_EQ(out.Alignment(4), 1);
    EXPECT_EQ(out.GetPosition(), 4u);
    EXPECT_EQ(out.GetBPC(), 32u);
    out.DecodeBit(1);
    EXPECT_EQ(out.Alignment(1), 1);
    EXPECT_EQ(out.GetBPC(), 40u) << "the started byte is closed";
    EXPECT_EQ(out.Alignment(4, 1), 1);
    EXPECT_EQ(out.GetPosition(), 7u);

    EXPECT_EQ(out.AlignmentBit(16), 1);
    EXPECT_EQ(out.GetBPC(), 64u);
    out.DecodeBit(0x1, 2);
    EXPECT_EQ(out.AlignmentBit(0), 1);
    EXPECT_EQ(out.AlignmentBit(1), 1);
    EXPECT_EQ(out.GetBPC(), 66u);
    EXPECT_EQ(out.AlignmentBit(5), 1);
    EXPECT_EQ(out.GetBPC(), 70u);
    EXPECT_EQ(out.GetPosition(), 9u);
    EXPECT_EQ(out.AlignmentBit(5), 1);
    EXPECT_EQ(out.GetBPC(), 70u) << "already aligned";
    EXPECT_EQ(out.AlignmentBit(24), 1);
    EXPECT_EQ(out.GetBPC(), 72u);
    out.DecodeBit(1);
    EXPECT_EQ(out.GetBPC(), 73u);
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "E0 00 00 00 80 00 00 00 40 80");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(WriteBitStmPtr, WriteThatCannotGrowLeavesTheWriterAsItWas) {
    VectorHeap heap(std::string(2, '\0'));
    heap.refuseGrowth = true;
    CWriteBitStmPtr out(&heap);
    ASSERT_EQ(out.DecodeBit(0x1555, 13), 1);
    EXPECT_EQ(out.DecodeBit(0x1F, 5), 0) << "needs a third byte";
    EXPECT_EQ(out.GetBPC(), 13u);
    EXPECT_EQ(out.GetPosition(), 2u);
    EXPECT_EQ(Hex(heap.Bytes()), "AA A8") << "not even the free bits of the last byte were touched";
    EXPECT_EQ(out.DecodeBit(0x7, 3), 1);
    EXPECT_EQ(out.DecodeBit(1), 0);
    EXPECT_EQ(out.DecodeBit(0), 0);
    EXPECT_EQ(out.GetBPC(), 16u);
    EXPECT_EQ(out.Alignment(4), 0);
    EXPECT_EQ(out.AlignmentBit(24), 0);
    EXPECT_EQ(out.GetBPC(), 16u);

    out.SetBPC(12);
    EXPECT_EQ(out.Alignment(4), 0) << "a failed alignment keeps the started byte open";
    EXPECT_EQ(out.GetBPC(), 12u);

    heap.refuseGrowth = false;
    EXPECT_EQ(out.DecodeBit(0xF, 4), 1);
    EXPECT_EQ(out.DecodeBit(0x1F, 5), 1) << "once the chunk can grow the same write succeeds";
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "AA AF F8");
    EXPECT_EQ(boxes.Count(), 0u);
}

// A writer that replaces the growth rule: it is asked for every new byte, and its refusal holds.
struct CappedWriter : CWriteBitStmPtr {
    explicit CappedWriter(IPmHeapInterface* heap) : CWriteBitStmPtr(heap) {}
    int TryReAlloc(unsigned int n) override {
        asked.emplace_back(m_nPC, n);
        if (m_nPC + n > cap) return 0;
        return CWriteBitStmPtr::TryReAlloc(n);
    }
    std::vector<std::pair<unsigned, unsigned>> asked;
    unsigned cap = 3;
};

TEST_F(WriteBitStmPtr, DerivedGrowthRuleIsAskedForEveryNewByte) {
    VectorHeap heap(std::string(8, '\0'));
    CappedWriter out(&heap);
    EXPECT_EQ(out.DecodeBit(0xABCDE, 20), 1);
    using Asked = std::vector<std::pair<unsigned, unsigned>>;
    EXPECT_EQ(out.asked, (Asked{{0, 1}, {1, 1}, {2, 1}}));
    out.asked.clear();
    EXPECT_EQ(out.DecodeBit(0x3, 4), 1);
    EXPECT_TRUE(out.asked.empty()) << "bits that fit the current byte need no growth";
    EXPECT_EQ(out.DecodeBit(1), 0);
    EXPECT_EQ(out.DecodeBit(0xFF, 8), 0);
    EXPECT_EQ(out.asked, (Asked{{3, 1}, {3, 1}}));
    EXPECT_EQ(out.GetBPC(), 24u);
    out.Close();
    EXPECT_EQ(Hex(heap.Bytes(4)), "AB CD E3 00");
}

TEST_F(WriteBitStmPtr, BitsAfterByteSeeksAndBeyondTheEnd) {
    VectorHeap heap;
    CWriteBitStmPtr out(&heap);
    out.DecodeBit(0x5, 3);
    EXPECT_EQ(out.Decode((unsigned char)0x11), 1) << "a byte write goes to the next whole byte";
    EXPECT_EQ(out.GetPosition(), 2u);
    out.SeekToTop();
    EXPECT_EQ(out.DecodeBit(0), 1) << "no byte before the top: the bit starts byte 0";
    EXPECT_EQ(out.GetPosition(), 1u);
    EXPECT_EQ(out.GetBPC(), 1u);

    EXPECT_EQ(out.SetBPC(8 * 4097 + 3), 0);
    EXPECT_EQ(boxes.Last().text, kSeekOut);
    EXPECT_EQ(out.DecodeBit(0x3, 2), 1) << "the chunk grows to the writer's byte";
    EXPECT_EQ(out.GetBPC(), 8u * 4097 + 5);
    out.SetBPC(8 * 9000 + 7);
    EXPECT_EQ(out.DecodeBit(1), 1);
    EXPECT_EQ(out.GetBPC(), 8u * 9000 + 8);
    out.FitChankSize();
    EXPECT_EQ(out.GetLength(), 9001u);

    out.Unlock();
    EXPECT_EQ(out.DecodeBit(1), 0) << "an unlocked chunk cannot be written";
    EXPECT_EQ(out.DecodeBit(0x7F, 7), 0);
    EXPECT_EQ(out.GetBPC(), 8u * 9000 + 8);
    out.Lock();
    out.Close();
    std::string bytes = heap.Bytes();
    EXPECT_EQ(Hex(bytes.substr(0, 2)), "20 11") << "the 0 cleared bit 7 of byte 0 only";
    EXPECT_EQ(Hex(bytes.substr(4096, 2)), "00 18");
    EXPECT_EQ(Hex(bytes.substr(8999, 2)), "00 01");
}

}  // namespace
