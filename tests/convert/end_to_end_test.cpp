// A small two-pass assembler built on the converter framework, from source file to output bytes.
//
// Lines end with CR LF. A statement is an optional "label:" and an instruction: DB n.. (bytes),
// DW x.. (16-bit words, numbers or labels), JP label (0xC3 and the label's address). A ';' starts
// a comment, removed by the pre-conversion. Pass 1 enters the labels with their addresses; pass 2
// emits, resolving labels that are defined further down.
#include <kiln/convert/convert.h>
#include <kiln/convert/symbol_table.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/box_recorder.h"
#include "support/temp_dir.h"

namespace {

char kUndefinedText[] = "undefined label %.###s";
char kUnknownText[] = "unknown instruction %.###s";
char kSyntaxText[] = "syntax error";
ERROR_INFO kUndefined = {0, 0, kUndefinedText};
ERROR_INFO kUnknown = {0, 0, kUnknownText};
ERROR_INFO kSyntax = {0, 1, kSyntaxText};

struct Blanks : CSkipObject {
    BOOL IsSkipEx(int c) override { return (c == ' ' || c == '\t') ? 0 : 1; }
};
struct Digits : CSkipObject {
    BOOL IsSkipEx(int c) override { return (c >= '0' && c <= '9') ? 0 : 1; }
};

class TinyAsm : public CConvert {
public:
    CSymbolTable labels;
    unsigned int line = 1;

protected:
    struct Token {
        const char* text;
        unsigned int length;
    };

    int DoPreConvert(CDecode* pre) override {
        bool comment = false;
        for (unsigned int i = 0; i < GetLength(); ++i) {
            unsigned char c = GetByte(i);
            if (c == ';') comment = true;
            if (c == '\r') comment = false;
            if (!comment) pre->Decode(c);
        }
        return 1;
    }

    int DoConvert() override {
        labels.m_pError = m_pError;
        labels.m_pPass = &m_pass;
        labels.InterLock();
        labels.EntryPlaceholder();
        for (m_pass = 1; m_pass <= 2; ++m_pass) {
            if (m_pass == 1)
                labels.Enable();
            else
                labels.Disable();
            SetPC(0);
            line = 1;
            m_address = 0;
            while (SkipWhiteSpace(line) && !(m_pError && m_pError->IsRewind())) Statement();
            if (m_pError && m_pError->IsRewind()) break;
        }
        labels.InterUnlock();
        labels.ClearTable();
        return (m_pError && m_pError->m_nErrorCount != 0) ? 0 : 1;
    }

private:
    unsigned char Peek() { return GetByte(GetPC()); }
    void Report(ERROR_INFO& info, const Token* token = nullptr) {
        if (m_pError == nullptr) return;
        if (token)
            m_pError->Error(info, (UINT_PTR)token->text, token->length);
        else
            m_pError->Error(info);
    }
    Token Scan(CSkipObject& run) {
        unsigned int start = GetPC();
        SkipEx(&run, m_scratch);
        unsigned int end = GetPC() < GetLength() ? GetPC() : GetLength();
        return {(const char*)GetPtr(start), end - start};
    }
    static bool Is(const Token& t, const char* word) {
        return t.length == std::strlen(word) && std::memcmp(t.text, word, t.length) == 0;
    }
    void SkipLine() {
        while (!IsFinished() && Peek() != '\r') FetchByte();
    }
    unsigned long Operand() {
        if (IsAlpherbet(Peek())) {
            Token name = Scan(m_letters);
            if (m_pass == 1) return 0;
            unsigned int n = labels.Find(name.text, name.text + name.length, 0);
            if (n == 0) Report(kUndefined, &name);
            return n ? (unsigned long)labels.GetLabelValue(n) : 0;
        }
        Token number = Scan(m_digits);
        unsigned long value = 0;
        for (unsigned int i = 0; i < number.length; ++i) value = value * 10 + (number.text[i] - '0');
        return value;
    }
    void Emit(unsigned int size, unsigned long value) {
        if (m_pass == 2 && size == 1) m_pDecode->Decode((unsigned char)value);
        if (m_pass == 2 && size == 2) m_pDecode->Decode((unsigned short)value);
        m_address += size;
    }
    void Statement() {
        if (!IsAlpherbet(Peek())) {
            Report(kSyntax);
            SkipLine();
            return;
        }
        Token word = Scan(m_letters);
        if (Peek() == ':') {
            FetchByte();
            if (m_pass == 1) labels.Entry(word.text, word.text + word.length, 0, 1, (long)m_address, nullptr);
            SkipEx(&m_blanks, m_scratch);
            if (Peek() == '\r') return;
            word = Scan(m_letters);
        }
        unsigned int size = Is(word, "DB") ? 1 : Is(word, "DW") ? 2 : Is(word, "JP") ? 3 : 0;
        if (size == 0) {
            if (m_pass == 2) Report(kUnknown, &word);
            SkipLine();
            return;
        }
        if (size == 3) {
            Emit(1, 0xC3);
            size = 2;
        }
        for (;;) {
            SkipEx(&m_blanks, m_scratch);
            if (IsFinished() || Peek() == '\r') break;
            if (!IsAlpherbet(Peek()) && !(Peek() >= '0' && Peek() <= '9')) {
                Report(kSyntax);
                SkipLine();
                return;
            }
            Emit(size, Operand());
        }
    }

    int m_pass = 0;
    unsigned long m_address = 0;
    // Token skips may stop on a carriage return, which they count: only the skip that consumes the
    // line ends (SkipWhiteSpace) counts into the line number.
    unsigned int m_scratch = 0;
    CSkipAlpherbet m_letters;
    Digits m_digits;
    Blanks m_blanks;
};

class Assembler : public ::testing::Test {
protected:
    // Loads the source from a file, converts it and saves the bytes; the result of Convert.
    int Run(const std::string& source) {
        dir.Write("prog.asm", source);
        std::string path = dir.win("prog.asm");
        EXPECT_EQ(conv.TryRead(path.c_str()), 1);
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
    std::string Errors() {
        errors.InterLock();
        std::string text(static_cast<const char*>((void*)errors), errors.GetPC());
        errors.InterUnlock();
        return text;
    }
    std::string Prefix(int line) { return dir.win("prog.asm") + " (" + std::to_string(line) + ") "; }

    kiln::test::BoxRecorder boxes;
    kiln::test::TempDir dir;
    TinyAsm conv;
    CError errors;
    CDecode out;
};

TEST_F(Assembler, ResolvesForwardReferencesInTheSecondPass) {
    const std::string source =
        "start: DB 1 2 3 ; three bytes\r\n"
        "       JP done\r\n"
        "\r\n"
        "loop:  DW loop start 258\r\n"
        "done:  DB 255\r\n";
    EXPECT_EQ(Run(source), 1);
    EXPECT_EQ(Errors(), "");
    EXPECT_EQ(dir.Read("prog.bin"), std::string("\x01\x02\x03\xC3\x0C\x00\x06\x00\x00\x00\x02\x01\xFF", 13));
    EXPECT_EQ(conv.line, 6u);  // five lines read, counted by their carriage returns
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Assembler, ReportsEachProblemWithItsLine) {
    const std::string source =
        "a: DB 1\r\n"
        "a: DB 2\r\n"
        "   JP nowhere ; not defined\r\n"
        "   XX 5\r\n"
        "b: DW a b\r\n";
    EXPECT_EQ(Run(source), 0);
    EXPECT_EQ(Errors(), Prefix(2) + "シンボル a はすでに定義されています\r\n" + Prefix(3) +
                            "undefined label nowhere\r\n" + Prefix(4) + "unknown instruction XX\r\n");
    // The duplicate keeps its first address; the undefined label reads as 0.
    EXPECT_EQ(dir.Read("prog.bin"), std::string("\x01\x02\xC3\x00\x00\x00\x00\x05\x00", 9));
}

TEST_F(Assembler, RewindStopsTheConversion) {
    EXPECT_EQ(Run("   DB 1\r\n   ?? 2\r\n   DB 3\r\n"), 0);
    EXPECT_EQ(Errors(), Prefix(2) + "syntax error\r\n");
    EXPECT_EQ(dir.Read("prog.bin"), "");  // pass 2 never ran
}

TEST_F(Assembler, SourceWithoutFinalLineEndKeepsItsLastToken) {
    // The last byte is never fetched, but the token scan peeks up to the end.
    EXPECT_EQ(Run("x: DB 7\r\n   DW x 65"), 1);
    EXPECT_EQ(dir.Read("prog.bin"), std::string("\x07\x00\x00\x41\x00", 5));
    EXPECT_EQ(Errors(), "");
}

TEST_F(Assembler, GarbledSourceEndsWithWellFormedErrorLines) {
    std::string garbage;
    unsigned int seed = 12345;
    for (int i = 0; i < 4096; ++i) {
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
