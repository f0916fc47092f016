// The 6502 assembler example: instruction forms, zero-page choice, expressions, directives,
// statements, errors with their lines, the listing, and the converter's calling order.
#include "asm6502_run.h"
#include "opcodes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/box_recorder.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::Assemble;
using kiln::test::Assembly;
using kiln::test::ErrorsOf;
using kiln::test::Hex;
using kiln::test::HexOf;

TEST(Asm6502, EveryMnemonicInEveryOneOfItsModes) {
    using namespace asm6502;
    // One operand per mode, with the bytes it must give (the branch goes from $0200 to $0205).
    const char* operand[kModeCount] = {"",         " #$12",    " $12",     " $12,x",   " $12,Y",   " $1234",
                                       " $1234,X", " $1234,y", " ($12,x)", " ($12),Y", " ($1234)", " *+5"};
    const char* bytes[kModeCount] = {"",       " 12",    " 12", " 12", " 12",    " 34 12",
                                     " 34 12", " 34 12", " 12", " 12", " 34 12", " 03"};
    std::set<int> opcodes;
    int forms = 0;
    for (const Instruction& ins : kInstructions) {
        for (int m = 0; m < kModeCount; ++m) {
            if (!ins.Has((Mode)m)) continue;
            std::string name = ins.name;
            if (forms % 2) name[0] = (char)(name[0] - 32);  // mnemonics in either case
            char opcode[4];
            std::snprintf(opcode, sizeof opcode, "%02X", ins.opcode[m]);
            EXPECT_EQ(HexOf("*=$0200\n " + name + operand[m] + "\n"), opcode + std::string(bytes[m]))
                << name << m;
            opcodes.insert(ins.opcode[m]);
            ++forms;
        }
    }
    EXPECT_EQ(forms, 151);
    EXPECT_EQ(opcodes.size(), 151u);
    // Some opcodes as the processor's manual gives them.
    EXPECT_EQ(HexOf(" brk\n lda #1\n sta ($fe),y\n jmp ($fffc)\n asl\n ldx $10,y\n stx $10,y\n bit $d012\n"),
              "00 A9 01 91 FE 6C FC FF 0A B6 10 96 10 2C 12 D0");
    EXPECT_EQ(HexOf(" rti\n rts\n txs\n tsx\n php\n plp\n sed\n cld\n clv\n bvs *\n"),
              "40 60 9A BA 08 28 F8 D8 B8 70 FE");
}

TEST(Asm6502, FormsAnInstructionDoesNotHaveAreRefused) {
    const std::string mode = "t.s (2) addressing mode not available for this instruction\n";
    const std::string syntax = "t.s (2) syntax error\n";
    const std::pair<const char*, const std::string&> wrong[] = {
        {" lda", mode},         {" inx #1", mode},      {" sta #1", mode},        {" jmp ($12),y", mode},
        {" jmp ($12,x)", mode}, {" ldx ($12),y", mode}, {" lda ($1234)", mode},   {" bne #1", mode},
        {" bne (label)", mode}, {" asl #1", mode},      {" cpx $12,x", mode},     {" jsr #3", mode},
        {" brk 1", mode},       {" lda $12,z", syntax}, {" lda ($12,y)", syntax}, {" lda ($12),x", syntax},
        {" lda (5)+2", syntax}, {" lda #1,x", syntax},
    };
    for (const auto& [line, error] : wrong)
        EXPECT_EQ(ErrorsOf(std::string("label nop\n") + line + "\n"), error) << line;
}

TEST(Asm6502, ZeroPageWhenTheFirstPassKnowsASmallValue) {
    EXPECT_EQ(
        HexOf("*=$0300\n"
              "zp = $12\n"
              "big = $1234\n"
              "waits = fwd+1\n"  // depends on a label below: not known early
              " lda zp\n"        // A5 12
              " lda big\n"       // AD 34 12
              " lda fwd\n"       // AD 12 00: defined below
              " lda <big\n"      // A5 34
              " lda <fwd\n"      // AD 12 00
              " lda zp,x\n"      // B5 12
              " lda fwd,X\n"     // BD 12 00
              " lda zp,y\n"      // B9 12 00: LDA has no zp,Y
              " ldx zp,y\n"      // B6 12
              " ldx fwd,y\n"     // BE 12 00
              " stx fwd,y\n"     // 96 12: STX has only zp,Y
              " sty fwd,x\n"     // 94 12
              " lda (fwd),y\n"   // B1 12
              " lda waits\n"     // AD 13 00
              " jmp zp\n"        // 4C 12 00
              " lda $0012\n"     // A5 12: the value counts, not its digits
              " lda 2*3+1\n"     // A5 07
              "fwd = $12\n"),
        "A5 12 AD 34 12 AD 12 00 A5 34 AD 12 00 B5 12 BD 12 00 B9 12 00 B6 12 BE 12 00 96 12 94 12 B1 12 "
        "AD 13 00 4C 12 00 A5 12 A5 07");
    // A label is known early from its own line on, also when it is used on that line.
    EXPECT_EQ(HexOf("*=$00f0\nhere lda here\n lda there\nthere\n"), "A5 F0 AD F5 00");
}

TEST(Asm6502, Expressions) {
    EXPECT_EQ(HexOf("*=$0200\n"
                    " .byt 10, $1f, $Ff, %101, 'A', \"B\", ';'\n"
                    " .byt 2+3*4, 20-3-2, 64/4/2, 7*5/3, -7/2+10, --1, 2*(3+4), ( 1 + 2 ) * 3\n"
                    " .byt <$1234, >$1234, <$1234+1, >$12ff+1, 'a'+1, < -1, >-1\n"),
              "0A 1F FF 05 41 42 3B 0E 0F 08 0B 07 01 0E 09 34 12 35 13 62 FF FF");
    // * is the address where the statement began, in every value of a list.
    EXPECT_EQ(HexOf("*=$0200\n nop\n .word *, *+1, **2\n lda #*-$0200\n"), "EA 01 02 02 02 02 04 A9 07");
    EXPECT_EQ(HexOf(" lda # 5\n lda #-1+2\n lda #0-0\n lda 5 , x\n lda ( $12 ) , y\n"),
              "A9 05 A9 01 A9 00 B5 05 B1 12");
}

// Parentheses and minus signs together nest up to 255 deep; deeper is an error of its line, however
// deep.
TEST(Asm6502, DeepNestingIsAnErrorOfItsLine) {
    auto nested = [](size_t depth, const std::string& open, const std::string& close) {
        std::string text;
        for (size_t i = 0; i < depth; ++i) text += open;
        text += "1";
        for (size_t i = 0; i < depth; ++i) text += close;
        return " nop\n .byt " + text + "\n nop\n";
    };
    EXPECT_EQ(HexOf(nested(255, "(", ")")), "EA 01 EA");
    EXPECT_EQ(HexOf(nested(126, "-(", ")")), "EA 01 EA");
    for (const std::string& source :
         {nested(256, "(", ")"), nested(128, "-(", ")"), nested(300000, "(", ")"), nested(300000, "-", "")})
        EXPECT_EQ(ErrorsOf(source), "t.s (2) expression nested too deeply\n");
}

TEST(Asm6502, DataDirectivesAndOrigin) {
    // Without *= the code starts at $1000; *= moves the address without padding the output.
    EXPECT_EQ(HexOf(".word *\n*=$c000\n.word *\n.byt 1\n*=$2000\n.word *\n"), "00 10 00 C0 01 00 20");
    EXPECT_EQ(HexOf(" .dsb 3\n .dsb 2,$ea\n .DSB 0\n .ByTe \"hi\",0\n .asc 'ok', \"\"\n .byt\n"),
              "00 00 00 EA EA 68 69 00 6F 6B");
    EXPECT_EQ(HexOf(" .word -1, -32768, $ffff, 1 , 2\n"), "FF FF 00 80 FF FF 01 00 02 00");
    // Texts are copied as they are: code page 932 bytes, a backslash, a semicolon, a colon.
    EXPECT_EQ(HexOf(" .asc \"ソ;:\\\", 'a\"b'\n"), "83 5C 3B 3A 5C 61 22 62");
}

TEST(Asm6502, LabelsStatementsAndComments) {
    EXPECT_EQ(HexOf("*=$0200\na1: nop\na2 nop\na3:nop\na4\n.word a1,a2,a3,a4\n"),
              "EA EA EA 00 02 01 02 02 02 03 02");
    EXPECT_EQ(HexOf(" lda #1 : sta $12:rts\nx: y: nop\n .word x, y\n"), "A9 01 85 12 60 EA 05 10 05 10");
    EXPECT_EQ(HexOf(" lda #1 ; a comment: not a statement\n\t; ; ;\n"), "A9 01");
    EXPECT_EQ(HexOf("_under_1\tLDA\t#1\n Jmp _under_1\n"), "A9 01 4C 00 10");
    // Labels keep their case, mnemonics do not; a label may not be named like a mnemonic.
    EXPECT_EQ(ErrorsOf("Loop nop\n jmp loop\n"), "t.s (2) undefined label loop\n");
    EXPECT_EQ(ErrorsOf("lda = 5\n"), "t.s (1) syntax error\n");
}

TEST(Asm6502, LineNumbersOverEveryKindOfLineEnd) {
    const std::string source = "start\r\n lda nope1\r lda nope2\n\n lda nope3";
    EXPECT_EQ(ErrorsOf(source),
              "t.s (2) undefined label nope1\nt.s (3) undefined label nope2\n"
              "t.s (5) undefined label nope3\n");
    // The bytes are there all the same, with 0 for what is undefined.
    EXPECT_EQ(Hex(Assemble(source).bytes), "AD 00 00 AD 00 00 AD 00 00");
}

TEST(Asm6502, EveryErrorIsReportedWithItsLine) {
    Assembly a = Assemble(
        "*=$0200\n"
        " lda #256\n"
        " lad #1\n"
        " sta #1\n"
        " lda nowhere\n"
        " .foo 1\n"
        "dup nop\n"
        "dup nop\n"
        " lda 1/0\n"
        " *= later\n"
        " lda (1+2\n"
        " bne far\n"
        " .dsb 300\n"
        "far rts\n"
        "later = 5\n"
        " .dsb later\n"
        "x = y\n"
        "y = x\n");
    EXPECT_FALSE(a.ok);
    const std::vector<std::string> expected = {
        "t.s (2) value out of range",
        "t.s (3) unknown mnemonic lad",
        "t.s (4) addressing mode not available for this instruction",
        "t.s (5) undefined label nowhere",
        "t.s (6) unknown directive .foo",
        "t.s (8) シンボル dup はすでに定義されています",
        "t.s (9) division by zero",
        "t.s (10) value depends on a label defined further down",
        "t.s (11) syntax error",
        "t.s (12) branch out of range",
        "t.s (17) undefined label y",
        "t.s (18) undefined label x",
    };
    EXPECT_EQ(a.errors, expected);
    EXPECT_EQ(a.errorCount, expected.size());
}

TEST(Asm6502, BranchesAndValuesAtTheirLimits) {
    EXPECT_EQ(HexOf("*=$0200\n bne *-126\n bne *+129\n"), "D0 80 D0 7F");
    auto zeros = [](int n) {
        std::string text;
        for (int i = 0; i < n; ++i) text += " 00";
        return text;
    };
    EXPECT_EQ(HexOf("*=$0200\nback nop\n.dsb 125\n bcc back\n bcs ahead\n.dsb 127\nahead\n"),
              "EA" + zeros(125) + " 90 80 B0 7F" + zeros(127));
    EXPECT_EQ(HexOf(" lda #255\n lda $ffff\n .byt 0,255\n .word -32768, 65535\n .dsb 0\n"),
              "A9 FF AD FF FF 00 FF 00 80 FF FF");
    const char* refused[] = {" bne *-127",  " bne *+130",     " lda #256",    " lda #-1",  " lda $10000",
                             " lda -1",     " .word -32769",  " .word 65536", " .byt 256", " .byt -1",
                             " stx $100,y", " lda ($100),y",  " .dsb 65536",  " .dsb -1",  " .dsb 1,256",
                             " *=$10000",   " lda 4294967296"};
    for (const char* line : refused) {
        std::string errors = ErrorsOf(std::string("*=$0200\n") + line + "\n");
        EXPECT_TRUE(errors == "t.s (2) value out of range\n" || errors == "t.s (2) branch out of range\n")
            << line << ": " << errors;
    }
}

TEST(Asm6502, Listing) {
    Assembly a = Assemble(
        "*=$0200\n"
        "start lda #1 ; go\n"
        "zp = $12\n"
        " .byt 1,2,3,4,5\n"
        "\n"
        " .dsb 20,7\n"
        " lda nowhere\n",
        true);
    EXPECT_EQ(a.listing,
              "    1  0200                *=$0200\n"
              "    2  0200   A9 01        start lda #1 ; go\n"
              "    3  =0012               zp = $12\n"
              "    4  0202   01 02 03 04   .byt 1,2,3,4,5\n"
              "       0206   05\n"
              "    5                      \n"
              "    6  0207   07 07 07 07   .dsb 20,7\n"
              "       020B   07 07 07 07\n"
              "       020F   07 07 07 07\n"
              "       0213   07 07 07 07+\n"
              "    7  021B   AD 00 00      lda nowhere\n");
}

// The full list writes the too-many-errors record over the converter's own: a second conversion by
// the same converter still reports in its own words.
TEST(Asm6502, TheErrorListStopsTheConversionWhenFull) {
    std::string source;
    for (int i = 0; i < 200; ++i) source += " lda nowhere" + std::to_string(i) + "\n";
    CAsm6502 assembler;
    assembler.Attach(source.data(), (unsigned int)source.size(), "t.s");
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        Assembly a = kiln::test::Convert(assembler);
        EXPECT_FALSE(a.ok);
        ASSERT_EQ(a.errors.size(), 129u);
        EXPECT_EQ(a.errors[0], "t.s (1) undefined label nowhere0");
        EXPECT_EQ(a.errors[127], "t.s (128) undefined label nowhere127");
        EXPECT_EQ(a.errors[128], "t.s (129) エラーの数が多すぎます");
    }
}

TEST(Asm6502, TheLabelTableRunningFullStopsTheConversion) {
    // Record 0 is the table's placeholder: labels 1 to 65535 fit, the next one does not.
    // The table's hash adds up the bytes of a name: names of many lengths spread over its buckets.
    std::string source;
    for (int i = 0; i < 65600; ++i) {
        std::string name;
        for (int n = i; n > 0 || name.empty(); n /= 26) name += (char)('a' + n % 26);
        source += name + "_" + std::string(i % 24, 'z') + "\n";
    }
    EXPECT_EQ(ErrorsOf(source), "t.s (65536) シンボル数が６５５３６を超えました\n");
}

TEST(Asm6502, ConvertsAFileTwiceWithOrWithoutAnExplicitPrePass) {
    kiln::test::TempDir dir;
    kiln::test::BoxRecorder boxes;
    dir.Write("prog.s", "*=$0200\r\nstart lda #<start\r\n jmp start\r\n");

    CAsm6502 implicit, explicitPass;
    ASSERT_TRUE(implicit.TryRead(dir.win("prog.s").c_str()));
    for (int run = 0; run < 2; ++run) EXPECT_EQ(Hex(kiln::test::Convert(implicit).bytes), "A9 00 4C 00 02");
    // The pre-pass, saved beside the source: every line ends with LF CR.
    ASSERT_TRUE(explicitPass.TryRead(dir.win("prog.s").c_str()));
    ASSERT_EQ(explicitPass.PreConvert(".pre"), 1);
    EXPECT_EQ(dir.Read("prog.pre"), "*=$0200\n\rstart lda #<start\n\r jmp start\n\r");
    EXPECT_EQ(Hex(kiln::test::Convert(explicitPass).bytes), "A9 00 4C 00 02");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(Asm6502, EmptySourcesAssembleToNothing) {
    for (const char* source : {"", "\n", "; only a comment", "   \t  \r\n\r\n"})
        EXPECT_EQ(HexOf(source), "") << source;
}

}  // namespace
