#include <kiln/platform/runtime/exception.h>
#include <kiln/stream/read_bit_stm_ptr.h>
#include <kiln/stream/write_le_bit_stm_ptr.h>
#include <kiln/stream/write_word_bit_stm_ptr.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/seq.h"
#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Hex;
using kiln::test::Seq;
using kiln::test::VectorHeap;
using At = std::pair<unsigned, unsigned>;

class WriteBitStmPtr : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
};

// Writes each bit of a text such as "10 1" as a single bit.
void Put(CWriteBitStmPtr& out, const std::string& bits) {
    for (char c : bits) {
        if (c == ' ') continue;
        EXPECT_EQ(out.DecodeBit(c - '0'), 1);
    }
}

// The bit and the byte position of a writer.
At Where(CWriteBitStmPtr& out) { return {out.GetBPC(), out.GetPosition()}; }

// The layout of long random streams is checked by the round trips; here, the edges of each writer.
TEST_F(WriteBitStmPtr, EachWriterLaysOutItsBitsInItsOwnOrder) {
    VectorHeap top, low, words;
    CWriteBitStmPtr msb(&top);
    CWriteLEBitStmPtr le(&low);
    CWriteWordBitStmPtr word(&words);
    // Any non-zero value writes a 1; counts outside 1 to 32 are refused.
    EXPECT_EQ(Seq({msb.DecodeBit(7), msb.GetLength(), msb.DecodeBit(0x1, 0), msb.DecodeBit(0x1, 33),
                   msb.DecodeBit(0x1, -1)}),
              "1 4097 0 0 0");
    Put(le, "101");
    // Bit 0 of the value first: 0, 1, 1; no count, no bits.
    EXPECT_EQ(Seq({le.DecodeBitNoReverse(6, 3), le.GetLastFreeBit(), le.DecodeBitNoReverse(1, 0),
                   le.DecodeBitNoReverse(1, -3)}),
              "1 2 1 1");
    Put(word, "101");
    EXPECT_EQ(Seq({word.GetBPC(), word.GetPosition(), word.GetLength()}), "3 2 4098")
        << "a new word takes 2 bytes";
    Put(word, "000000 1 000000");
    EXPECT_EQ(word.GetPosition(), 2u);
    Put(word, "1");
    EXPECT_EQ(Seq({msb.GetBPC(), msb.GetPosition(), le.GetBPC(), le.GetPosition(), word.GetBPC(),
                   word.GetPosition()}),
              "1 1 6 1 17 4");
    msb.Close(), le.Close(), word.Close();
    EXPECT_EQ(Hex(top.Bytes(1) + low.Bytes(1) + words.Bytes(4)), "80 35 05 02 01 00");
    EXPECT_EQ(boxes.Count(), 0u);

    for (CWriteBitStmPtr* out : {(CWriteBitStmPtr*)&le, (CWriteBitStmPtr*)&word}) {
        bool thrown = false;
        TRY { out->DecodeBit(0x5ul, 3); }
        CATCH(CNotSupportedException, e) { thrown = e != nullptr; }
        END_CATCH
        EXPECT_TRUE(thrown) << "only the top-first writer takes multi-bit values";
    }
}

// Over the library's chunk and over another one: the writer takes a shorter way over its own.
void CountAfterLead(IPmHeapInterface& heap, int lead, int count, unsigned long leadBits,
                    unsigned long value) {
    std::string expected((lead + count + 8) / 8, '\0');
    auto set = [&](unsigned n) { expected[n / 8] = (char)(expected[n / 8] | (0x80 >> (n % 8))); };
    for (int i = 0; i < lead + count; ++i)
        if (i < lead ? (leadBits >> (lead - 1 - i)) & 1 : (value >> (lead + count - 1 - i)) & 1) set(i);
    set(lead + count);
    {
        CWriteBitStmPtr out(&heap);
        EXPECT_EQ(out.DecodeBit(leadBits, lead), lead > 0);
        EXPECT_EQ(out.DecodeBit(value, count), 1);
        EXPECT_EQ(out.DecodeBit(1), 1);
        EXPECT_EQ(Where(out), At(lead + count + 1, (lead + count + 8) / 8));
        out.FitChankSize();
    }
    CReadBitStmPtr in(&heap);
    std::string bytes(in.GetLength(), '\0');
    in.Read(0, bytes.data(), (unsigned)bytes.size());
    EXPECT_EQ(Hex(bytes), Hex(expected));
    EXPECT_EQ((unsigned long)(lead ? in.FetchBits(lead) : 0), leadBits);
    EXPECT_EQ((unsigned long)(unsigned)in.FetchBits(count), value);
    EXPECT_EQ(in.FetchBit(), 1);
}

TEST_F(WriteBitStmPtr, EveryCountAcrossByteBoundariesReadsBack) {
    std::mt19937 random(7);
    for (int lead = 0; lead < 8; ++lead) {
        for (int count = 1; count <= 32; ++count) {
            SCOPED_TRACE(testing::Message() << "lead " << lead << ", count " << count);
            unsigned long value = random() & (0xFFFFFFFFul >> (32 - count));
            unsigned long leadBits = random() & ((1ul << lead) - 1);
            VectorHeap heap;
            CountAfterLead(heap, lead, count, leadBits, value);
            CAllocInterface own;
            own.Alloc(0);
            CountAfterLead(own, lead, count, leadBits, value);
        }
    }
}

TEST_F(WriteBitStmPtr, SetBpcAndSeekBitFromTopAgree) {
    VectorHeap heap(std::string(16, '\0'));
    CWriteBitStmPtr out(&heap);
    for (unsigned bit = 0; bit <= 128; ++bit) {
        ASSERT_EQ(out.SetBPC(bit), 1);
        EXPECT_EQ(Where(out), At(bit, (bit + 7) / 8));
        for (unsigned byte = 0; byte <= bit / 8; ++byte) {
            out.SetBPC(0);
            ASSERT_EQ(out.SeekBitFromTop(byte, bit - 8 * byte), 1);
            EXPECT_EQ(Where(out), At(bit, (bit + 7) / 8)) << byte << ":" << bit - 8 * byte;
        }
    }
    EXPECT_EQ(boxes.Count(), 0u);
    // The writer stays beyond the end.
    EXPECT_EQ(Seq({out.SetBPC(129), out.GetBPC(), out.GetPosition(), out.SeekBitFromTop(16, 1),
                   out.SetBPC(0xFFFFFFFFu), out.GetPosition()}),
              Seq({0, 129, 17, 0, 0, 0x20000000}));
    out.SetBPC(5);
    boxes.Clear();
    EXPECT_EQ(Seq({out.SeekBitFromTop(0xFFFFFFFFu, 0xFFFFFFFFu), out.GetBPC(), boxes.Count()}), "0 5 1")
        << "a bit no position can hold moves nothing";
    EXPECT_EQ(boxes.Last().text, "CChankPtr:Seek Out of Chank!");

    // Where bit 10 and bit 25 land for each writer, set by SetBPC and by SeekBitFromTop.
    VectorHeap msbHeap(std::string(8, '\0')), leHeap(std::string(8, '\0')), wordHeap(std::string(8, '\0'));
    CWriteBitStmPtr msb(&msbHeap);
    CWriteLEBitStmPtr le(&leHeap);
    CWriteWordBitStmPtr word(&wordHeap);
    for (CWriteBitStmPtr* w : {&msb, (CWriteBitStmPtr*)&le, (CWriteBitStmPtr*)&word}) {
        EXPECT_EQ(w->SetBPC(10), 1);
        Put(*w, "1");
        EXPECT_EQ(w->SeekBitFromTop(1, 17), 1) << "from an odd byte";
        Put(*w, "1");
        EXPECT_EQ(Seq({w->GetBPC(), w->SetBPC(65)}), "26 0");
        w->Close();
    }
    EXPECT_EQ(Hex(msbHeap.Bytes()), "00 20 00 40 00 00 00 00");
    EXPECT_EQ(Hex(leHeap.Bytes()), "00 04 00 02 00 00 00 00");
    EXPECT_EQ(Hex(wordHeap.Bytes()), "00 04 00 02 00 00 00 00");
}

TEST_F(WriteBitStmPtr, AlignmentOfEachWriter) {
    VectorHeap heap, leHeap(std::string(8, '\0')), wordHeap;
    CWriteBitStmPtr msb(&heap);
    CWriteLEBitStmPtr le(&leHeap);
    CWriteWordBitStmPtr word(&wordHeap);
    CWriteBitStmPtr* const w = &word;
    // Bits put first, then 'A' Alignment(unit[, offset]), 'b' AlignmentBit(unit) or 'S' SetBPC(unit).
    struct Step {
        CWriteBitStmPtr* out;
        const char* put;
        char op;
        unsigned unit, offset, bpc;
    };
    const Step steps[] = {
        {&msb, "111", 'A', 0, 0, 3}, {&msb, "", 'A', 4, 0, 32},  {&msb, "1", 'A', 1, 0, 40},
        {&msb, "", 'A', 4, 1, 56},   {&msb, "", 'b', 16, 0, 64}, {&msb, "01", 'b', 0, 0, 66},
        {&msb, "", 'b', 1, 0, 66},   {&msb, "", 'b', 5, 0, 70},  {&msb, "", 'b', 5, 0, 70},
        {&msb, "", 'b', 24, 0, 72},  {&le, "", 'S', 17, 0, 17},  {&le, "", 'A', 4, 0, 32},
        {&le, "1", 'b', 4, 0, 36},   {&le, "1", 'A', 2, 1, 40},  {w, "111", 'A', 0, 0, 3},
        {w, "", 'A', 1, 0, 32},      {w, "", 'A', 4, 0, 64},     {w, "", 'A', 2, 2, 80},
        {w, "", 'S', 3, 0, 3},       {w, "", 'b', 16, 0, 16},    {w, "", 'b', 12, 0, 24},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "step " << &s - steps);
        Put(*s.out, s.put);
        int result = s.op == 'S'   ? s.out->SetBPC(s.unit)
                     : s.op == 'b' ? s.out->AlignmentBit(s.unit)
                     : s.offset    ? s.out->Alignment(s.unit, s.offset)
                                   : s.out->Alignment(s.unit);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(Where(*s.out), At(s.bpc, s.out == w ? (s.bpc + 15) / 16 * 2 : (s.bpc + 7) / 8));
    }
    Put(msb, "1");
    Put(word, "1");  // bit 24: bit 8 of the second word, bit 0 of byte 3
    msb.FitChankSize(), word.FitChankSize();
    msb.Close(), le.Close(), word.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "E0 00 00 00 80 00 00 00 40 80");
    EXPECT_EQ(Hex(leHeap.Bytes()), "00 00 00 00 11 00 00 00");
    EXPECT_EQ(Hex(wordHeap.Bytes()), "07 00 00 01");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(WriteBitStmPtr, WriteThatCannotGrowLeavesEachWriterAsItWas) {
    VectorHeap heap(std::string(2, '\0')), leHeap(std::string(1, '\0')), wordHeap(std::string(3, '\0'));
    heap.refuseGrowth = leHeap.refuseGrowth = wordHeap.refuseGrowth = true;
    CWriteBitStmPtr out(&heap);
    // 5 bits need a third byte: not even the free bits of the last byte are touched.
    EXPECT_EQ(Seq({out.DecodeBit(0x1555, 13), out.DecodeBit(0x1F, 5), out.GetBPC(), out.GetPosition()}),
              "1 0 13 2");
    EXPECT_EQ(Hex(heap.Bytes()), "AA A8");
    EXPECT_EQ(
        Seq({out.DecodeBit(0x7, 3), out.DecodeBit(1), out.Alignment(4), out.AlignmentBit(24), out.GetBPC()}),
        "1 0 0 0 16");
    out.SetBPC(12);
    EXPECT_EQ(Seq({out.Alignment(4), out.GetBPC()}), "0 12")
        << "a failed alignment keeps the started byte open";
    heap.refuseGrowth = false;
    EXPECT_EQ(Seq({out.DecodeBit(0xF, 4), out.DecodeBit(0x1F, 5)}), "1 1")
        << "once the chunk can grow it works";
    out.FitChankSize();

    CWriteLEBitStmPtr le(&leHeap);  // only the bits that fitted are written
    EXPECT_EQ(Seq({le.DecodeBitNoReverse(0xFFF, 12), le.GetBPC(), le.DecodeBit(1)}), "1 8 0");

    CWriteWordBitStmPtr word(&wordHeap);  // a second word needs two bytes, the chunk has one
    Put(word, "0101010101010101");
    EXPECT_EQ(Seq({word.DecodeBit(1), word.Alignment(2), word.GetBPC(), word.GetPosition()}), "0 0 16 2");
    out.Close(), le.Close(), word.Close();
    EXPECT_EQ(Hex(heap.Bytes()), "AA AF F8");
    EXPECT_EQ(Hex(leHeap.Bytes()), "FF");
    EXPECT_EQ(Hex(wordHeap.Bytes()), "AA AA 00");
    EXPECT_EQ(boxes.Count(), 0u);
}

// A writer that replaces the growth rule: it is asked for every new byte, and its refusal holds.
struct CappedWriter : CWriteBitStmPtr {
    explicit CappedWriter(IPmHeapInterface* heap) : CWriteBitStmPtr(heap) {}
    int TryReAlloc(unsigned int n) override {
        asked.emplace_back(m_nPC, n);
        return m_nPC + n > 3 ? 0 : CWriteBitStmPtr::TryReAlloc(n);
    }
    std::vector<At> asked;
};

TEST_F(WriteBitStmPtr, DerivedGrowthRuleAndBitsAfterByteSeeks) {
    VectorHeap capped(std::string(8, '\0')), heap;
    CappedWriter out(&capped);
    // Bits that fit the current byte need no growth.
    EXPECT_EQ(Seq({out.DecodeBit(0xABCDE, 20), out.DecodeBit(0x3, 4), out.DecodeBit(1),
                   out.DecodeBit(0xFF, 8), out.GetBPC()}),
              "1 1 0 0 24");
    EXPECT_EQ(out.asked, (std::vector<At>{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {3, 1}}));
    out.Close();
    EXPECT_EQ(Hex(capped.Bytes(4)), "AB CD E3 00");

    CWriteBitStmPtr bits(&heap);
    bits.DecodeBit(0x5, 3);
    EXPECT_EQ(Seq({bits.Decode((unsigned char)0x11), bits.GetPosition()}), "1 2")
        << "a byte goes to the next byte";
    bits.SeekToTop();
    EXPECT_EQ(Seq({bits.DecodeBit(0), bits.GetBPC()}), "1 1")
        << "no byte before the top: the bit starts byte 0";
    // The chunk grows to the writer's byte.
    EXPECT_EQ(Seq({bits.SetBPC(8 * 4097 + 3), bits.DecodeBit(0x3, 2), bits.GetBPC()}),
              Seq({0, 1, 8 * 4097 + 5}));
    bits.SetBPC(8 * 9000 + 7);
    EXPECT_EQ(Seq({bits.DecodeBit(1), bits.FitChankSize(), bits.GetLength()}), "1 1 9001");
    bits.Unlock();
    EXPECT_EQ(Seq({bits.DecodeBit(1), bits.DecodeBit(0x7F, 7), bits.GetBPC()}), Seq({0, 0, 8 * 9000 + 8}))
        << "an unlocked chunk cannot be written";
    bits.Lock();
    bits.Close();
    std::string bytes = heap.Bytes();
    EXPECT_EQ(Hex(bytes.substr(0, 2)), "20 11") << "the 0 cleared bit 7 of byte 0 only";
    EXPECT_EQ(Hex(bytes.substr(4096, 2)), "00 18");
    EXPECT_EQ(Hex(bytes.substr(8999, 2)), "00 01");
}

}  // namespace
