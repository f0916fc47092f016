// The kiln-asm6502 program: files named by host paths, the listing, the error list on standard error
// in the user's charset, and its exit status.
#include "asm6502_run.h"
#include "program.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace {

using kiln::test::ProgramRun;
using kiln::test::ReadWhole;
using kiln::test::RunProgram;
using kiln::test::Utf8;

TEST(Asm6502Command, AssemblesAndListsTheSample) {
    kiln::test::TempDir dir;
    const std::string bin = dir.host("s.bin"), lst = dir.host("s.lst");
    ProgramRun run = RunProgram({KILN_ASM6502_PATH, KILN_ASM6502_SAMPLE, "-o", bin, "-l", lst});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
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
    std::string source = dir.host("bad.s");
    ProgramRun run = RunProgram({KILN_ASM6502_PATH, source, "-o", dir.host("bad.bin")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, source + Utf8(u8" (2) シンボル dup はすでに定義されています\n") + source +
                           " (3) undefined label nowhere\n");
    EXPECT_FALSE(dir.Exists("bad.bin"));
}

// Devices and standard output take the program's files as every Linux tool writes them; a device
// that refuses the bytes, like a file that cannot be read or written, ends the program with status 2.
TEST(Asm6502Command, CommandLinesFilesAndDevices) {
    kiln::test::TempDir dir;
    dir.Write("ok.s", " nop\n lda #1\n");
    const std::string ok = dir.host("ok.s"), missing = dir.host("missing.s");
    const std::string noFolder = dir.host("no-such-folder/ok.bin");
    const std::string usage = "usage: kiln-asm6502 source.s -o out.bin [-l listing.txt]\n";
    // The library tells why first (on standard error when no one can answer a box), then the program.
    struct {
        std::vector<std::string> args;
        int status;
        std::string err, out;
        bool libraryFirst;
    } cases[] = {
        {{}, 2, usage, "", false},
        {{ok}, 2, usage, "", false},
        {{ok, "-x", "-o", dir.host("ok.bin")}, 2, usage, "", false},
        {{missing, "-o", dir.host("m.bin")}, 2, "kiln-asm6502: cannot read " + missing + "\n", "", false},
        {{ok, "-o", noFolder}, 2, "kiln-asm6502: cannot write " + noFolder + "\n", "", true},
        {{ok, "-o", "/dev/full"}, 2, "kiln-asm6502: cannot write /dev/full\n", "", true},
        {{ok, "-o", "/dev/null", "-l", "/dev/null"}, 0, "", "", false},
        {{ok, "-o", "/dev/stdout"}, 0, "", "\xEA\xA9\x01", false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {KILN_ASM6502_PATH};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ProgramRun run = RunProgram(args);
        SCOPED_TRACE(args.size() > 3 ? args[3] : "");
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        if (c.libraryFirst)
            EXPECT_TRUE(run.err.ends_with(c.err)) << run.err;
        else
            EXPECT_EQ(run.err, c.err);
    }
    EXPECT_FALSE(dir.Exists("no-such-folder"));
}

}  // namespace
