// A small two-pass assembler built on the converter framework, from source file to output bytes.
//
// Lines end with CR LF. The tokens are label definitions ("name:"), numbers (one byte each) and
// label references (the label's address as a 16-bit word); a ';' starts a comment, removed by the
// pre-conversion. Pass 1 enters the labels with their addresses; pass 2 emits, resolving labels that
// are defined further down.
#include <kiln/convert/convert.h>
#include <kiln/convert/symbol_table.h>

#include <gtest/gtest.h>

#include <string>

#include "support/block_text.h"
#include "support/box_recorder.h"
#include "support/temp_dir.h"

namespace {

char kUndefinedText[] = "undefined label %.###s";
char kSyntaxText[] = "syntax error";
ERROR_INFO kUndefined = {0, 0, kUndefinedText};
ERROR_INFO kSyntax = {0, 1, kSyntaxText};

struct Digits : CSkipObject {
    BOOL IsSkipEx(int c) override { return (c >= '0' && c <= '9') ? 0 : 1; }
};

class TinyAsm : public CConvert {
public:
    CSymbolTable labels;
    unsigned int line = 1;

protected:
    int DoPreConvert(CDecode* pre) override {
        bool comment = false;
        for (unsigned int i = 0; i < GetLength(); ++i) {
            unsigned char c = GetByte(i);
            comment = c == ';' || (comment && c != '\r');
            if (!comment) pre->Decode(c);
        }
        return 1;
    }

    int DoConvert() override {
        labels.m_pError = m_pError;
        labels.m_pPass = &m_pass;
        labels.InterLock();
        labels.EntryPlaceholder();
        for (m_pass = 1; m_pass <= 2 && !m_pError->IsRewind(); ++m_pass) {
            m_pass == 1 ? labels.Enable() : labels.Disable();
            SetPC(0);
            line = 1;
            m_address = 0;
            while (SkipWhiteSpace(line) && !m_pError->IsRewind()) Token();
        }
        labels.InterUnlock();
        labels.ClearTable();
        return m_pError->m_nErrorCount == 0 ? 1 : 0;
    }

private:
    unsigned char Peek() { return GetByte(GetPC()); }
    // The bytes a skip with run passes over, up to the end of the text. Token skips may stop on a
    // carriage return, which they count: only the skip that consumes the line end counts the lines.
    std::string Scan(CSkipObject& run) {
        unsigned int start = GetPC(), scratch = 0;
        SkipEx(&run, scratch);
        return std::string((const char*)GetPtr(start),
                           (GetPC() < GetLength() ? GetPC() : GetLength()) - start);
    }
    void Emit(unsigned int size, unsigned long value) {
        if (m_pass == 2 && size == 1) m_pDecode->Decode((unsigned char)value);
        if (m_pass == 2 && size == 2) m_pDecode->Decode((unsigned short)value);
        m_address += size;
    }
    void Token() {
        if (Peek() >= '0' && Peek() <= '9') {
            unsigned long value = 0;
            for (char c : Scan(m_digits)) value = value * 10 + (c - '0');
            return Emit(1, value);
        }
        if (!IsAlpherbet(Peek())) return (void)m_pError->Error(kSyntax);
        std::string name = Scan(m_letters);
        if (Peek() == ':') {
            FetchByte();
            if (m_pass == 1) labels.Entry(name.c_str(), 0, 1, (long)m_address, nullptr);
            return;
        }
        unsigned int n = m_pass == 2 ? labels.Find(name.c_str(), 0) : 1;
        if (n == 0) m_pError->Error(kUndefined, (UINT_PTR)name.data(), (unsigned int)name.size());
        Emit(2, m_pass == 2 && n != 0 ? labels.GetLabelValue(n) : 0);
    }

    int m_pass = 0;
    unsigned long m_address = 0;
    CSkipAlpherbet m_letters;
    Digits m_digits;
};

class Assembler : public ::testing::Test {
protected:
    // Loads the source from a file, converts it and saves the bytes; the result of Convert.
    int Run(const std::string& source) {
        dir.Write("prog.asm", source);
        EXPECT_EQ(conv.TryRead(dir.win("prog.asm").c_str()), 1);
        errors.Alloc(0);
        errors.AttachText(&conv);
        errors.AttachLine(&conv.line);
        errors.InterLock();
        conv.AttachError(&errors);
        EXPECT_EQ(conv.PreConvert(nullptr), 1);
        out.Alloc(0);
        int result = conv.Convert(&out, 0);
        errors.InterUnlock();
        out.SmartSize();
        EXPECT_EQ(out.SerializeRawToFile(dir.win("prog.bin").c_str(), ""), 1);
        return result;
    }
    std::string Errors() { return kiln::test::BlockText(errors, errors.GetPC()); }
    std::string Prefix(int line) { return dir.win("prog.asm") + " (" + std::to_string(line) + ") "; }

    kiln::test::BoxRecorder boxes;
    kiln::test::TempDir dir;
    TinyAsm conv;
    CError errors;
    CDecode out;
};

TEST_F(Assembler, ResolvesForwardReferencesInTheSecondPass) {
    EXPECT_EQ(Run("start: 1 2 3 ; three bytes\r\n"
                  "       done\r\n"
                  "\r\n"
                  "loop:  loop start 9\r\n"
                  "done:  255\r\n"),
              1);
    EXPECT_EQ(Errors(), "");
    EXPECT_EQ(dir.Read("prog.bin"), std::string("\x01\x02\x03\x0A\x00\x05\x00\x00\x00\x09\xFF", 11));
    EXPECT_EQ(conv.line, 6u) << "five lines read, counted by their carriage returns";
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Assembler, ReportsEachProblemWithItsLine) {
    EXPECT_EQ(Run("a: 1\r\na: 2\r\n   nowhere ; not defined\r\nb: a b\r\n"), 0);
    EXPECT_EQ(Errors(), Prefix(2) + "シンボル a はすでに定義されています\r\n" + Prefix(3) +
                            "undefined label nowhere\r\n");
    // The duplicate keeps its first address; the undefined label reads as 0.
    EXPECT_EQ(dir.Read("prog.bin"), std::string("\x01\x02\x00\x00\x00\x00\x04\x00", 8));
}

TEST_F(Assembler, RewindStopsTheConversion) {
    EXPECT_EQ(Run("   1\r\n   ?? 2\r\n   3\r\n"), 0);
    EXPECT_EQ(Errors(), Prefix(2) + "syntax error\r\n");
    EXPECT_EQ(dir.Read("prog.bin"), "") << "pass 2 never ran";
}

TEST_F(Assembler, LastTokenNeedsNoLineEnd) {
    // The last byte is never fetched, but the token scan peeks up to the end.
    EXPECT_EQ(Run("x: 7\r\n   x 65"), 1);
    EXPECT_EQ(dir.Read("prog.bin"), std::string("\x07\x00\x00\x41", 4));
    EXPECT_EQ(Errors(), "");
}

TEST_F(Assembler, GarbledSourceEndsWithWellFormedErrorLines) {
    std::string garbage;
    for (unsigned int i = 0, seed = 12345; i < 4096; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage += (char)(seed >> 16);
    }
    errors.m_nMaxError = 1000000;
    EXPECT_EQ(Run(garbage), 0);
    std::string text = Errors();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find(dir.win("prog.asm")), 0u);
}

}  // namespace
