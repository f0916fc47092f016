// CReadStm's fetches and skips against plain pointer loops doing the same work over the same bytes.
//
// FetchByte over a 64 MiB buffer folds every byte into an FNV-1a hash (a second pair sums the bytes,
// which the compiler vectorises in the pointer loop: a fetch that checks its bound byte by byte
// cannot follow there, so that ratio has no goal). The skips run over 16 MiB of source-like text
// (words, numbers and punctuation between blanks, CR LF line ends), counting carriage returns as
// they go: Skip in steps of 64 bytes; SkipWhiteSpace and a word skip taking turns; the word skip as
// SkipEx with a predicate whose type the compiler sees (a converter's own final class), and with
// one it cannot see (a call per byte, as the predicate's virtual slot requires; no goal).
#include <kiln/convert/read_stm.h>

#include <vector>

#include "ratio.h"

namespace {

constexpr unsigned int kSize = 64u << 20;
constexpr unsigned int kTextSize = 16u << 20;

std::vector<unsigned char>& Bytes() {
    static std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> v(kSize);
        unsigned int seed = 1;
        for (unsigned char& b : v) {
            seed = seed * 1103515245u + 12345u;
            b = (unsigned char)(seed >> 16);
        }
        return v;
    }();
    return bytes;
}

std::vector<unsigned char>& Text() {
    static std::vector<unsigned char> text = [] {
        static const char* const kPieces[] = {"lda", "loop_lbl1234", "#$7f", "(12),y",
                                              ";",   "next",         "adc",  "x"};
        static const char* const kGaps[] = {" ", "        ", "\t", " ", "\r\n", "  ", "\r\n        "};
        std::vector<unsigned char> v;
        unsigned int seed = 3;
        while (v.size() < kTextSize) {
            seed = seed * 1103515245u + 12345u;
            for (const char* p = kPieces[(seed >> 16) % 8]; *p; ++p) v.push_back((unsigned char)*p);
            for (const char* p = kGaps[(seed >> 20) % 7]; *p; ++p) v.push_back((unsigned char)*p);
        }
        v.resize(kTextSize);
        return v;
    }();
    return text;
}

CReadStm& Locked(std::vector<unsigned char>& bytes) {
    auto* r = new CReadStm;
    r->Attach(bytes.data(), (unsigned int)bytes.size(), nullptr);
    r->InterLock();
    return *r;
}

CReadStm& Reader() {
    static CReadStm& reader = Locked(Bytes());
    return reader;
}

// Called through a pointer the optimiser cannot see through, as a library user's generic code would.
CReadStm* volatile g_textReader = &Locked(Text());

// The word class of the skips: bytes that are neither white space nor a line end.
inline bool IsWord(unsigned char c) { return !IsWhiteSpace(c); }

class CSkipWord final : public CSkipObject {
protected:
    BOOL IsSkipEx(int c) override { return IsWord((unsigned char)c) ? 0 : 1; }
};

CSkipWord g_word;
CSkipObject* volatile g_opaqueWord = &g_word;

// The reader delivers every byte but the last: the pointer loops read the same kSize - 1 bytes.
void FetchByteHash(benchmark::State& state) {
    CReadStm& r = Reader();
    for (auto _ : state) {
        r.SetPC(0);
        unsigned int h = 2166136261u;
        while (!r.IsFinished()) h = (h ^ r.FetchByte()) * 16777619u;
        benchmark::DoNotOptimize(h);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kSize);
}
BENCHMARK(FetchByteHash)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void PointerLoopHash(benchmark::State& state) {
    const unsigned char* begin = Bytes().data();
    for (auto _ : state) {
        unsigned int h = 2166136261u;
        for (const unsigned char* p = begin; p < begin + kSize - 1; ++p) h = (h ^ *p) * 16777619u;
        benchmark::DoNotOptimize(h);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kSize);
}
BENCHMARK(PointerLoopHash)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("FetchByteHash", "PointerLoopHash", 2.0);

void FetchByteSum(benchmark::State& state) {
    CReadStm& r = Reader();
    for (auto _ : state) {
        r.SetPC(0);
        unsigned int sum = 0;
        while (!r.IsFinished()) sum += r.FetchByte();
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kSize);
}
BENCHMARK(FetchByteSum)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void PointerLoopSum(benchmark::State& state) {
    const unsigned char* begin = Bytes().data();
    for (auto _ : state) {
        unsigned int sum = 0;
        for (const unsigned char* p = begin; p < begin + kSize - 1; ++p) sum += *p;
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kSize);
}
BENCHMARK(PointerLoopSum)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("FetchByteSum", "PointerLoopSum", 0);

void SkipCount(benchmark::State& state) {
    CReadStm* r = g_textReader;
    for (auto _ : state) {
        r->SetPC(0);
        unsigned int lines = 0;
        while (r->Skip(64, lines)) {}
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTextSize);
}
BENCHMARK(SkipCount)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void PointerLoopCount(benchmark::State& state) {
    const unsigned char* begin = Text().data();
    const unsigned char* end = begin + kTextSize - 1;
    for (auto _ : state) {
        unsigned int lines = 0;
        for (const unsigned char* p = begin; p < end;) {
            const unsigned char* stop = end - p > 64 ? p + 64 : end;
            for (; p < stop; ++p) lines += *p == 0x0D;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTextSize);
}
BENCHMARK(PointerLoopCount)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("SkipCount", "PointerLoopCount", 1.5);

// White space and words in turn, as a scanner steps from token to token.
template <bool kOpaque>
void SkipTokens(benchmark::State& state) {
    CReadStm* r = g_textReader;
    CSkipObject* word = kOpaque ? g_opaqueWord : nullptr;
    for (auto _ : state) {
        r->SetPC(0);
        unsigned int lines = 0, tokens = 0;
        for (;;) {
            if (!r->SkipWhiteSpace(lines)) break;
            ++tokens;
            if (!(kOpaque ? r->SkipEx(word, lines) : r->CReadStm::SkipEx(&g_word, lines))) break;
        }
        benchmark::DoNotOptimize(lines + tokens);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTextSize);
}
void SkipTokensKnownPredicate(benchmark::State& state) { SkipTokens<false>(state); }
void SkipTokensOpaquePredicate(benchmark::State& state) { SkipTokens<true>(state); }
BENCHMARK(SkipTokensKnownPredicate)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(SkipTokensOpaquePredicate)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void PointerLoopTokens(benchmark::State& state) {
    const unsigned char* begin = Text().data();
    const unsigned char* last = begin + kTextSize - 1;  // never read, as by the reader
    for (auto _ : state) {
        unsigned int lines = 0, tokens = 0;
        const unsigned char* p = begin;
        for (;;) {
            for (; p < last && IsWhiteSpace(*p); ++p) lines += *p == 0x0D;
            if (p >= last) break;
            ++tokens;
            for (; p < last && IsWord(*p); ++p) lines += *p == 0x0D;
            if (p >= last) break;
        }
        benchmark::DoNotOptimize(lines + tokens);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kTextSize);
}
BENCHMARK(PointerLoopTokens)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("SkipTokensKnownPredicate", "PointerLoopTokens", 2.0);
KILN_COMPARE("SkipTokensOpaquePredicate", "PointerLoopTokens", 0);

}  // namespace

KILN_BENCHMARK_MAIN()
