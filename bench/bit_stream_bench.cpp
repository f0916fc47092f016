// Bit streams against a plain 64-bit-accumulator bit writer and reader written here, over the same
// 10^8 bits in the same run: runs of 1 to 24 bits (counts drawn once, before timing), the same
// stream read back with FetchBits, and single bits.
#include <kiln/core/heap_interface.h>
#include <kiln/stream/read_bit_stm_ptr.h>
#include <kiln/stream/write_bit_stm_ptr.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "ratio.h"

namespace {

constexpr uint64_t kBits = 100'000'000;

// Runs of random widths adding up to kBits.
struct Runs {
    std::vector<uint32_t> values;
    std::vector<int> counts;
    Runs() {
        std::mt19937 random(12345);
        for (uint64_t bits = 0; bits < kBits;) {
            int count = 1 + (int)(random() % 24);
            counts.push_back(count);
            values.push_back(random() & ((1u << count) - 1));
            bits += count;
        }
    }
};

const Runs& TheRuns() {
    static const Runs runs;
    return runs;
}

// Bits of random value, one per call.
const std::vector<uint8_t>& SingleBits() {
    static const std::vector<uint8_t> bits = [] {
        std::vector<uint8_t> b(kBits);
        std::mt19937 random(6789);
        for (size_t i = 0; i < b.size(); i += 32) {
            uint32_t r = random();
            for (size_t j = 0; j < 32 && i + j < b.size(); ++j) b[i + j] = (r >> j) & 1;
        }
        return b;
    }();
    return bits;
}

// The reference: most significant bit first through a 64-bit accumulator, 32 bits stored at a time
// into a vector that grows geometrically; reserve spares it the growth.
class AccumulatorWriter {
public:
    explicit AccumulatorWriter(size_t reserve = 0) : m_out(reserve) {}
    void Put(uint32_t value, int count) {
        m_acc = (m_acc << count) | value;
        m_bits += count;
        if (m_bits >= 32) {
            m_bits -= 32;
            if (m_at + 4 > m_out.size()) m_out.resize(m_out.size() * 2 + 4096);
            uint32_t word = __builtin_bswap32((uint32_t)(m_acc >> m_bits));
            std::memcpy(&m_out[m_at], &word, 4);
            m_at += 4;
        }
    }
    std::vector<uint8_t> Finish() {
        m_out.resize(m_at);
        for (; m_bits >= 8; m_bits -= 8) m_out.push_back((uint8_t)(m_acc >> (m_bits - 8)));
        if (m_bits > 0) m_out.push_back((uint8_t)(m_acc << (8 - m_bits)));
        m_bits = 0;
        return std::move(m_out);
    }

private:
    std::vector<uint8_t> m_out;
    size_t m_at = 0;
    uint64_t m_acc = 0;
    int m_bits = 0;
};

// The matching reader: refills its 64-bit accumulator 32 bits at a time while 4 bytes are left.
class AccumulatorReader {
public:
    AccumulatorReader(const uint8_t* data, size_t size) : m_at(data), m_end(data + size) {}
    uint32_t Get(int count) {
        if (m_bits < count) {
            if (m_end - m_at >= 4) {
                uint32_t word;
                std::memcpy(&word, m_at, 4);
                m_acc = (m_acc << 32) | __builtin_bswap32(word);
                m_at += 4;
                m_bits += 32;
            } else {
                while (m_bits < count) {
                    m_acc = (m_acc << 8) | (m_at < m_end ? *m_at++ : 0);
                    m_bits += 8;
                }
            }
        }
        m_bits -= count;
        return (uint32_t)(m_acc >> m_bits) & (uint32_t)(~0ull >> (64 - count));
    }

private:
    const uint8_t* m_at;
    const uint8_t* m_end;
    uint64_t m_acc = 0;
    int m_bits = 0;
};

std::vector<uint8_t> WriteWithStream(const Runs& runs) {
    CAllocInterface heap;
    heap.Alloc(0);
    CWriteBitStmPtr out(&heap);
    for (size_t i = 0; i < runs.counts.size(); ++i) out.DecodeBit(runs.values[i], runs.counts[i]);
    out.FitChankSize();
    out.Close();
    const uint8_t* p = heap.Lock();
    std::vector<uint8_t> bytes(p, p + heap.GetLength());
    heap.Unlock();
    return bytes;
}

void AccumulatorWriteRuns(benchmark::State& state) {
    const Runs& runs = TheRuns();
    for (auto _ : state) {
        AccumulatorWriter out(kBits / 8 + 8);
        for (size_t i = 0; i < runs.counts.size(); ++i) out.Put(runs.values[i], runs.counts[i]);
        benchmark::DoNotOptimize(out.Finish().data());
    }
    state.counters["bits"] = (double)kBits;
}
BENCHMARK(AccumulatorWriteRuns)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BitStreamDecodeBitRuns(benchmark::State& state) {
    const Runs& runs = TheRuns();
    AccumulatorWriter check;
    for (size_t i = 0; i < runs.counts.size(); ++i) check.Put(runs.values[i], runs.counts[i]);
    if (WriteWithStream(runs) != check.Finish()) state.SkipWithError("the two writers disagree");
    for (auto _ : state) {
        CAllocInterface heap;
        heap.Alloc(0);
        CWriteBitStmPtr out(&heap);
        for (size_t i = 0; i < runs.counts.size(); ++i) out.DecodeBit(runs.values[i], runs.counts[i]);
        benchmark::DoNotOptimize(out.GetBPC());
        out.FitChankSize();
        out.Close();
    }
}
BENCHMARK(BitStreamDecodeBitRuns)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

KILN_COMPARE("BitStreamDecodeBitRuns", "AccumulatorWriteRuns", 2.0);

void AccumulatorReadRuns(benchmark::State& state) {
    const Runs& runs = TheRuns();
    std::vector<uint8_t> bytes = WriteWithStream(runs);
    for (auto _ : state) {
        AccumulatorReader in(bytes.data(), bytes.size());
        uint32_t sum = 0;
        for (int count : runs.counts) sum += in.Get(count);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(AccumulatorReadRuns)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BitStreamFetchBitsRuns(benchmark::State& state) {
    const Runs& runs = TheRuns();
    std::vector<uint8_t> bytes = WriteWithStream(runs);
    CAllocInterface heap;
    heap.Alloc((int)bytes.size());
    std::memcpy(heap.Lock(), bytes.data(), bytes.size());
    heap.Unlock();
    {
        CReadBitStmPtr in(&heap);
        for (size_t i = 0; i < runs.counts.size(); ++i)
            if ((uint32_t)in.FetchBits(runs.counts[i]) != runs.values[i]) {
                state.SkipWithError("FetchBits does not give the values written");
                break;
            }
    }
    for (auto _ : state) {
        CReadBitStmPtr in(&heap);
        uint32_t sum = 0;
        for (int count : runs.counts) sum += (uint32_t)in.FetchBits(count);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BitStreamFetchBitsRuns)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

KILN_COMPARE("BitStreamFetchBitsRuns", "AccumulatorReadRuns", 2.0);

void AccumulatorWriteSingleBits(benchmark::State& state) {
    const std::vector<uint8_t>& bits = SingleBits();
    for (auto _ : state) {
        AccumulatorWriter out(kBits / 8 + 8);
        for (uint8_t bit : bits) out.Put(bit, 1);
        benchmark::DoNotOptimize(out.Finish().data());
    }
}
BENCHMARK(AccumulatorWriteSingleBits)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BitStreamDecodeSingleBits(benchmark::State& state) {
    const std::vector<uint8_t>& bits = SingleBits();
    for (auto _ : state) {
        CAllocInterface heap;
        heap.Alloc(0);
        CWriteBitStmPtr out(&heap);
        for (uint8_t bit : bits) out.DecodeBit((int)bit);
        benchmark::DoNotOptimize(out.GetBPC());
        out.FitChankSize();
        out.Close();
    }
}
BENCHMARK(BitStreamDecodeSingleBits)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

KILN_COMPARE("BitStreamDecodeSingleBits", "AccumulatorWriteSingleBits", 0);

}  // namespace

KILN_BENCHMARK_MAIN()
