// The kiln-asm6502 program: files named by host paths, the listing, the error list on standard error
// in the user's charset, and its exit status.
#include "asm6502_process.h"
#include "asm6502_run.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace {

using kiln::test::ReadWhole;
using kiln::test::RunProgram;

// UTF-8 text in a test compiled to code page 932.
std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

TEST(Asm6502Command, AssemblesAndListsTheSample) {
    kiln::test::TempDir dir;
    std::string err = dir.host("err.txt");
    ASSERT_EQ(
        RunProgram({KILN_ASM6502_PATH, KILN_ASM6502_SAMPLE, "-o", dir.host("s.bin"), "-l", dir.host("s.lst")},
                   err),
        0);
    EXPECT_EQ(ReadWhole(err), "");
    std::string bytes = dir.Read("s.bin");
    EXPECT_EQ(bytes, kiln::test::Assemble(ReadWhole(KILN_ASM6502_SAMPLE)).bytes);
    // The load address, then the code at $C000.
    EXPECT_EQ(kiln::test::Hex(bytes.substr(0, 6)), "00 C0 A2 00 BD 31");
    std::string listing = dir.Read("s.lst");
    EXPECT_NE(listing.find("   13  C000   A2 00        start:  ldx #0\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("   14  C002   BD 31 C0     print   lda greeting,x"), std::string::npos)
        << listing;
}

TEST(Asm6502Command, ErrorsGoToStandardErrorInTheUsersCharset) {
    kiln::test::TempDir dir;
    dir.Write("bad.s", "dup nop\ndup nop\n lda nowhere\n");
    std::string err = dir.host("err.txt");
    std::string source = dir.host("bad.s");
    EXPECT_EQ(RunProgram({KILN_ASM6502_PATH, source, "-o", dir.host("bad.bin")}, err), 1);
    EXPECT_EQ(ReadWhole(err), source + Utf8(u8" (2) シンボル dup はすでに定義されています\n") + source +
                                  " (3) undefined label nowhere\n");
    EXPECT_FALSE(dir.Exists("bad.bin"));
}

TEST(Asm6502Command, WrongCommandLinesAndFilesThatCannotBeUsed) {
    kiln::test::TempDir dir;
    dir.Write("ok.s", " nop\n");
    std::string err = dir.host("err.txt");
    const char kUsage[] = "usage: kiln-asm6502 source.s -o out.bin [-l listing.txt]\n";
    EXPECT_EQ(RunProgram({KILN_ASM6502_PATH}, err), 2);
    EXPECT_EQ(ReadWhole(err), kUsage);
    EXPECT_EQ(RunProgram({KILN_ASM6502_PATH, dir.host("ok.s")}, err), 2);
    EXPECT_EQ(ReadWhole(err), kUsage);
    EXPECT_EQ(RunProgram({KILN_ASM6502_PATH, dir.host("ok.s"), "-x", "-o", dir.host("ok.bin")}, err), 2);
    EXPECT_EQ(ReadWhole(err), kUsage);

    EXPECT_EQ(RunProgram({KILN_ASM6502_PATH, dir.host("missing.s"), "-o", dir.host("m.bin")}, err), 2);
    EXPECT_EQ(ReadWhole(err), "kiln-asm6502: cannot read " + dir.host("missing.s") + "\n");

    // The library tells why first (in a box, on standard error when no one can answer), then the program.
    std::string output = dir.host("no-such-folder/ok.bin");
    EXPECT_EQ(RunProgram({KILN_ASM6502_PATH, dir.host("ok.s"), "-o", output}, err), 2);
    std::string text = ReadWhole(err);
    EXPECT_NE(text.find("kiln-asm6502: cannot write " + output + "\n"), std::string::npos) << text;
    EXPECT_FALSE(dir.Exists("no-such-folder"));
}

// Devices and standard output take the program's files as every Linux tool writes them; a device
// that refuses the bytes is a failed write.
TEST(Asm6502Command, WritesToDevicesAndStandardOutput) {
    kiln::test::TempDir dir;
    dir.Write("ok.s", " nop\n lda #1\n");
    std::string err = dir.host("err.txt");
    std::string source = dir.host("ok.s");
    EXPECT_EQ(RunProgram({KILN_ASM6502_PATH, source, "-o", "/dev/null", "-l", "/dev/null"}, err), 0);
    EXPECT_EQ(ReadWhole(err), "");
    EXPECT_EQ(RunProgram({KILN_ASM6502_PATH, source, "-o", "/dev/stdout"}, err, dir.host("out.bin")), 0);
    EXPECT_EQ(kiln::test::Hex(dir.Read("out.bin")), "EA A9 01");
    EXPECT_EQ(RunProgram({KILN_ASM6502_PATH, source, "-o", "/dev/full"}, err), 2);
    EXPECT_NE(ReadWhole(err).find("kiln-asm6502: cannot write /dev/full\n"), std::string::npos) << ReadWhole(err);
}

}  // namespace
