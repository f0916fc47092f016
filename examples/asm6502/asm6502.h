// CAsm6502: a two-pass assembler for the 6502, written as a converter of the library.
//
// The converter is its source: load the text (TryRead), attach an error list that has memory, a
// name, this converter's line counter (GetLineCounter) and is inter-locked, then Convert into an
// output buffer. Convert gives 1 when the source assembled without error; the output buffer then
// holds the program's bytes, which SerializeRawToFile stores as a plain binary.
//
//   CAsm6502 source;
//   source.TryRead("Z:\\work\\prog.s");
//   CError errors;
//   errors.Alloc(1024);
//   errors.AttachText("prog.s");
//   errors.AttachLine(source.GetLineCounter());
//   errors.InterLock();
//   source.AttachError(&errors);
//   CDecode out;
//   if (source.Convert(&out, 0)) out.SerializeRawToFile("Z:\\work\\prog.bin", "");
//   errors.InterUnlock();
//
// The pre-pass (PreConvert, run by Convert when the caller has not run it) ends every line with
// LF CR, whatever its line end was. Statements stop at the LF, which no skip counts; the skip that
// steps over the pair counts the CR, so the line counter moves exactly when a line is left.
//
// The language is the common 6502 syntax of the xa65 family (see README.md in this folder):
// mnemonics in either case, labels with or without a colon, name = expression, *= origin, the
// directives .byt/.byte/.asc, .word and .dsb, ; comments, colons between statements, numbers in
// decimal, $hex, %binary and 'c', the current address *, + - * / and parentheses, and < and > in
// front of an operand for its low and high byte. Zero page is chosen as xa65 chooses it: when the
// value is known at that point of the first pass and lies below 256; a label defined further down
// gives the absolute form. Every error of a source is reported with its line in the error list;
// the label table reports a label defined twice in its own words.
#pragma once

#include <kiln/convert/convert.h>
#include <kiln/convert/decode.h>
#include <kiln/convert/error.h>
#include <kiln/convert/rw_stm.h>
#include <kiln/convert/symbol_table.h>

#include <cstdint>

namespace asm6502 {
struct Instruction;
}

class CAsm6502 final : public CConvert {
public:
    CAsm6502();
    ~CAsm6502() override;
    CAsm6502(const CAsm6502&) = delete;
    CAsm6502& operator=(const CAsm6502&) = delete;

    // The number of the source line being read, for the error list (CError::AttachLine).
    unsigned int* GetLineCounter() { return &m_nLine; }
    // A text buffer that the second pass fills with the listing: line number, address, bytes and
    // the source line. Null for none. Given no memory, it gets some.
    void AttachListing(CDecode* listing) { m_pListing = listing; }
    // The errors of the last Convert, those of the label table included.
    unsigned int GetErrorCount() const { return m_nErrors; }

    // Told every few thousand lines how far a pass has come; a false answer cancels the run, which
    // then fails. Null for none.
    class Progress {
    public:
        virtual bool Advance(int pass, unsigned int done, unsigned int total) = 0;

    protected:
        ~Progress() = default;
    };
    void AttachProgress(Progress* progress) { m_pProgress = progress; }
    bool Cancelled() const { return m_bCancelled; }

    // A new source needs a new pre-pass.
    BOOL Detach() override;
    int PreConvert(const char* ext) override;

protected:
    // Runs the pre-pass when the source has not been through it, and gives the output and listing
    // buffers memory when they have none.
    int PrepareConvert() override;
    // Copies the source line by line, each ended with LF CR.
    int DoPreConvert(CDecode* pre) override;
    // The first pass enters the labels and sizes every statement; the second emits.
    int DoConvert() override;

private:
    // The value of an expression. The arithmetic is 32-bit and wraps.
    struct Value {
        int32_t v = 0;
        bool defined = true;  // every label in it has a value
        bool early = true;    // known when the first pass reaches this place: sizes depend on it
    };

    enum Message {
        kSyntax,
        kUnknownMnemonic,
        kUnknownDirective,
        kBadMode,
        kRange,
        kBranchRange,
        kUndefined,
        kDivision,
        kForward,
        kNesting,
        kMessageCount
    };

    void ResetMessages();
    void Pass();
    void ResolveLater();
    void Line();
    bool Statement();
    bool Origin();
    bool Directive();
    bool Instruction(const asm6502::Instruction& ins);
    bool Bytes();
    bool Words();
    bool Space();
    bool Text(unsigned char quote);
    bool Equate(unsigned int name, unsigned int length);
    void DefineLabel(unsigned int name, unsigned int length);
    void CheckDefinition(unsigned int name, unsigned int length);

    bool Operand(Value& out);
    bool Expression(Value& out);
    bool Term(Value& out);
    bool Unary(Value& out);
    bool UnaryBody(Value& out);
    bool Primary(Value& out);
    bool Number(Value& out, int base);
    bool Character(Value& out, unsigned char quote);
    void Label(Value& out);
    char Register();

    void Emit(unsigned char byte);
    void EmitWord(unsigned int word);
    bool CheckRange(const Value& value, int32_t low, int32_t high);
    void Advance(unsigned int size);
    void NoteLineAddress();
    void ListLine(unsigned int start, unsigned int end);

    // The byte at the PC, without moving it.
    unsigned char Peek() const { return GetByte(m_nPC); }
    void SkipBlanks();
    // Skips a name and gives its length.
    unsigned int SkipName();
    const char* TextAt(unsigned int offset) const { return reinterpret_cast<const char*>(GetPtr(offset)); }
    bool Report(Message message, unsigned int offset = 0, unsigned int length = 0);
    bool Stopped();

    CSymbolTable m_Labels;
    CRwStm m_Later;  // equates whose value waits for labels defined further down
    CDecode* m_pListing;
    Progress* m_pProgress = nullptr;
    bool m_bCancelled = false;
    unsigned int m_nLine;
    int m_nPass;
    uint32_t m_nAddr;           // the address of the next byte
    uint32_t m_nStatementAddr;  // the address where the statement began: the value of *
    unsigned int m_nErrors;
    BOOL m_bPreConverted;
    // Minus signs and parentheses open around the operand being read; an expression deeper than
    // any real program writes is an error.
    static constexpr unsigned int kMaxDepth = 256;
    unsigned int m_nDepth;

    // The current line, for the listing.
    uint32_t m_nLineAddr;
    bool m_bLineAddr;
    bool m_bLineEquate;
    int32_t m_nLineValue;
    unsigned int m_nLineOut;

    // The error records write their precision into their texts: each converter has its own.
    char m_szMessage[kMessageCount][64];
    ERROR_INFO m_Message[kMessageCount];
};
