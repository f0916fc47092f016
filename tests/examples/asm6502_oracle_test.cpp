// kiln-asm6502 against xa65: random valid sources, the sample and the benchmark program must give
// the same bytes from both. Skipped when xa65 is not installed.
#include "asm6502_run.h"
#include "program.h"
#include "random_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace {

const char kXa[] = "/usr/bin/xa";

const char kNoXa[] =
    "xa65 is not installed (/usr/bin/xa): the comparison with it is skipped; scripts/install-deps installs it";

// "" when xa65 refuses the source.
std::string Xa65(const kiln::test::TempDir& dir, const std::string& source) {
    dir.Write("x.s", source);
    std::remove(dir.host("x.bin").c_str());
    if (kiln::test::RunProgram({kXa, "-o", dir.host("x.bin"), dir.host("x.s")}).status != 0) return "";
    return dir.Read("x.bin");
}

// Empty when both give the same bytes, else what differs.
std::string Compare(const kiln::test::TempDir& dir, const std::string& source) {
    std::string theirs = Xa65(dir, source);
    if (theirs.empty()) return "xa65 refuses it";
    kiln::test::Assembly ours = kiln::test::Assemble(source);
    if (!ours.ok) return "kiln-asm6502 refuses it: " + (ours.errors.empty() ? "" : ours.errors[0]);
    if (ours.bytes == theirs) return "";
    size_t at = 0;
    while (at < ours.bytes.size() && at < theirs.size() && ours.bytes[at] == theirs[at]) ++at;
    return "the bytes differ from offset " + std::to_string(at) + " (" + std::to_string(ours.bytes.size()) +
           " and " + std::to_string(theirs.size()) + " bytes)";
}

TEST(Asm6502Oracle, RandomSourcesTheSampleAndTheBenchmarkGiveXa65sBytes) {
    if (access(kXa, X_OK) != 0) GTEST_SKIP() << kNoXa;
    kiln::test::TempDir dir;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        std::string source = asm6502::RandomSource(seed, 150);
        EXPECT_EQ(Compare(dir, source), "") << "seed " << seed << "\n" << source;
    }
    EXPECT_EQ(Compare(dir, kiln::test::ReadWhole(KILN_ASM6502_SAMPLE)), "");
    EXPECT_EQ(Compare(dir, asm6502::BenchmarkSource(7, 3000)), "");
}

}  // namespace
