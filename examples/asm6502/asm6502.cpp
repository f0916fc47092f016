#include "asm6502.h"

#include "opcodes.h"

#include <array>
#include <cstdio>
#include <cstring>

using asm6502::FindInstruction;
using asm6502::InstructionSize;
using asm6502::Mode;

namespace {

// A statement's text ends at the LF of the LF CR pair that the pre-pass puts after every line.
constexpr unsigned char kEnd = '\n';
const char kLineEnd[2] = {'\n', '\r'};

// Without *= the code starts where xa65 starts it.
constexpr uint32_t kDefaultOrigin = 0x1000;

// Label record IDs.
constexpr unsigned char kResolved = 1;  // the value is known
constexpr unsigned char kEarly = 2;     // known from its definition on, in the first pass too

const char* const kMessageText[] = {
    "syntax error",
    "unknown mnemonic %.###s",
    "unknown directive %.###s",
    "addressing mode not available for this instruction",
    "value out of range",
    "branch out of range",
    "undefined label %.###s",
    "division by zero",
    "value depends on a label defined further down",
    "expression nested too deeply",
};

// Byte classes of the skips.
enum : unsigned char {
    kBlank = 1,  // space, tab
    kName = 2,   // letters, digits, underscore
    kDecimal = 4,
    kHex = 8,
    kBinary = 16,
    kInLine = 32,     // anything but the statement end
    kInDouble = 64,   // anything in a "text": not ", not the end
    kInSingle = 128,  // anything in a 'text'
};

constexpr std::array<unsigned char, 256> MakeClasses() {
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        unsigned char k = 0;
        bool digit = c >= '0' && c <= '9';
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (c == ' ' || c == '\t') k |= kBlank;
        if (digit || letter || c == '_') k |= kName;
        if (digit) k |= kDecimal;
        if (digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) k |= kHex;
        if (c == '0' || c == '1') k |= kBinary;
        if (c != kEnd) k |= kInLine;
        if (c != kEnd && c != '"') k |= kInDouble;
        if (c != kEnd && c != '\'') k |= kInSingle;
        classes[c] = k;
    }
    return classes;
}

constexpr auto kClasses = MakeClasses();

// Skips the bytes of a class: stops at the first byte outside it.
class CSkipClass final : public CSkipObject {
public:
    explicit CSkipClass(unsigned char mask) : m_mask(mask) {}

protected:
    BOOL IsSkipEx(int c) override { return (kClasses[c & 0xFF] & m_mask) ? 0 : 1; }

private:
    unsigned char m_mask;
};

// The predicates hold nothing but their class: one of each serves every converter.
CSkipClass g_blanks(kBlank), g_name(kName), g_decimal(kDecimal), g_hex(kHex), g_binary(kBinary),
    g_line(kInLine), g_double(kInDouble), g_single(kInSingle);

bool IsNameStart(unsigned char c) { return (kClasses[c] & kName) && !(kClasses[c] & kDecimal); }

// Where an operand or a list ends.
bool IsStatementEnd(unsigned char c) { return c == kEnd || c == ';' || c == ':'; }

// Compares a directive's name (without its period) with a lower-case word.
bool IsWord(const char* text, unsigned int length, const char* word) {
    if (std::strlen(word) != length) return false;
    for (unsigned int i = 0; i < length; ++i)
        if ((text[i] | 0x20) != word[i]) return false;
    return true;
}

}  // namespace

CAsm6502::CAsm6502()
    : m_pListing(nullptr),
      m_nLine(0),
      m_nPass(0),
      m_nAddr(kDefaultOrigin),
      m_nStatementAddr(kDefaultOrigin),
      m_nErrors(0),
      m_bPreConverted(0),
      m_nDepth(0),
      m_nLineAddr(0),
      m_bLineAddr(false),
      m_bLineEquate(false),
      m_nLineValue(0),
      m_nLineOut(0) {
    ResetMessages();
}

// The error list writes into the records it is given (the precision, and the too-many-errors record
// over a record once the list is full): every conversion starts from fresh copies.
void CAsm6502::ResetMessages() {
    for (int i = 0; i < kMessageCount; ++i) {
        std::snprintf(m_szMessage[i], sizeof m_szMessage[i], "%s", kMessageText[i]);
        m_Message[i] = {0, 0, m_szMessage[i]};
    }
}

CAsm6502::~CAsm6502() = default;

BOOL CAsm6502::Detach() {
    m_bPreConverted = 0;
    return CConvert::Detach();
}

int CAsm6502::PreConvert(const char* ext) {
    // The base detaches the old source on the way, which clears the mark: set it afterwards.
    int done = CConvert::PreConvert(ext);
    if (done) m_bPreConverted = 1;
    return done;
}

int CAsm6502::PrepareConvert() {
    CConvert::PrepareConvert();
    if (!m_bPreConverted) PreConvert(nullptr);
    if (m_pDecode != nullptr && !m_pDecode->IsAttached()) m_pDecode->Alloc(4096);
    if (m_pListing != nullptr && !m_pListing->IsAttached()) m_pListing->Alloc(4096);
    return 1;
}

// A line ends at CR LF, LF or CR; a last line may have no end. The ends are found with memchr: the
// next LF is kept until the copy passes it, and a CR is looked for only before it, so that every byte
// is looked at a bounded number of times whichever line ends the source uses.
int CAsm6502::DoPreConvert(CDecode* pre) {
    const unsigned int length = GetLength();
    const char* text = TextAt(0);
    if (text == nullptr) return 1;
    const char* const end = text + length;
    const char* lf = text - 1;
    for (const char* line = text; line < end;) {
        if (lf < line) {
            lf = static_cast<const char*>(std::memchr(line, '\n', (size_t)(end - line)));
            if (lf == nullptr) lf = end;
        }
        const char* stop = static_cast<const char*>(std::memchr(line, '\r', (size_t)(lf - line)));
        if (stop == nullptr) stop = lf;
        if (stop > line) pre->Decode(static_cast<const void*>(line), (unsigned int)(stop - line));
        pre->Decode(static_cast<const void*>(kLineEnd), 2);
        line = stop + ((stop < end && *stop == '\r' && stop + 1 < end && stop[1] == '\n') ? 2 : 1);
    }
    return 1;
}

int CAsm6502::DoConvert() {
    m_nErrors = 0;
    m_bCancelled = false;
    ResetMessages();
    if (m_pError != nullptr) m_pError->ClearRewind();
    m_Labels.ClearTable();
    m_Labels.m_pError = m_pError;
    m_Labels.m_pPass = &m_nPass;
    m_Labels.Disable();  // the first pass keeps the first definition quietly; the second reports
    m_Labels.InterLock();
    m_Labels.EntryPlaceholder();
    if (!m_Later.IsAttached()) m_Later.Alloc(1024);
    m_Later.Relocate(0);
    m_Later.SetRPC(0);
    m_Later.InterLock();
    if (m_pListing != nullptr) m_pListing->InterLock();

    m_nPass = 1;
    Pass();
    ResolveLater();
    if (Stopped()) {
        ++m_nErrors;  // the label table ran out of memory or of records and said so, or a cancel
    } else {
        m_nPass = 2;
        m_Labels.Enable();
        Pass();
    }

    if (m_pListing != nullptr) m_pListing->InterUnlock();
    m_Later.InterUnlock();
    m_Labels.InterUnlock();
    return (m_nErrors == 0 && !Stopped()) ? 1 : 0;
}

void CAsm6502::Pass() {
    SetPC(0);
    m_nLine = 1;
    m_nAddr = kDefaultOrigin;
    for (unsigned int lines = 1; GetPC() < GetLength() && !Stopped(); ++lines) {
        Line();
        if (m_pProgress != nullptr && lines % 4096 == 0)
            m_bCancelled = !m_pProgress->Advance(m_nPass, GetPC(), GetLength());
    }
}

// Equates that used labels defined further down get their values once the first pass has seen
// every label; an equate may wait for another, so the list is gone through until nothing changes.
void CAsm6502::ResolveLater() {
    for (bool progress = true; progress;) {
        progress = false;
        m_Later.SetRPC(0);
        while (!m_Later.IsFinished()) {
            unsigned int index = m_Later.FetchDword();
            unsigned int expression = m_Later.FetchDword();
            m_nStatementAddr = m_Later.FetchDword();
            if (m_Labels.GetLabelID(index) & kResolved) continue;
            SetPC(expression);
            Value value;
            if (Operand(value) && value.defined) {
                m_Labels.ReEntryValue(index, value.v);
                m_Labels.ReEntryID(index, kResolved);
                progress = true;
            }
        }
    }
}

void CAsm6502::Line() {
    unsigned int start = GetPC();
    m_bLineAddr = false;
    m_bLineEquate = false;
    m_nLineOut = m_pDecode != nullptr ? m_pDecode->GetPC() : 0;
    for (;;) {
        if (!Statement()) {
            SkipEx(&g_line, m_nLine);
            break;
        }
        SkipBlanks();
        unsigned char c = Peek();
        if (c == ':') {
            Seek(1);
            continue;
        }
        if (c == ';') {
            SkipEx(&g_line, m_nLine);
        } else if (c != kEnd) {
            Report(kSyntax);
            SkipEx(&g_line, m_nLine);
        }
        break;
    }
    if (m_nPass == 2 && m_pListing != nullptr) ListLine(start, GetPC());
    Skip(2, m_nLine);
}

// One statement: [label[:]] [instruction | directive], name = expression, or *= expression. False
// when an error ends the line.
bool CAsm6502::Statement() {
    m_nStatementAddr = m_nAddr;
    SkipBlanks();
    unsigned char c = Peek();
    if (IsStatementEnd(c)) return true;
    if (c == '*') return Origin();
    if (c == '.') return Directive();
    if (!IsNameStart(c)) return Report(kSyntax);

    unsigned int name = GetPC();
    unsigned int length = SkipName();
    if (const asm6502::Instruction* ins = FindInstruction(TextAt(name), length)) return Instruction(*ins);
    SkipBlanks();
    c = Peek();
    if (c == '=') {
        Seek(1);
        return Equate(name, length);
    }
    // A word followed by an operand is a mistyped mnemonic rather than a label.
    if (!IsStatementEnd(c) && c != '.' && !IsNameStart(c)) return Report(kUnknownMnemonic, name, length);
    DefineLabel(name, length);
    if (c == '.') return Directive();
    if (!IsNameStart(c)) return true;
    unsigned int word = GetPC();
    length = SkipName();
    if (const asm6502::Instruction* ins = FindInstruction(TextAt(word), length)) return Instruction(*ins);
    return Report(kUnknownMnemonic, word, length);
}

bool CAsm6502::Origin() {
    Seek(1);
    SkipBlanks();
    if (Peek() != '=') return Report(kSyntax);
    Seek(1);
    Value value;
    if (!Operand(value)) return false;
    // The first pass must know the address: every label after it depends on it.
    if (!value.early) return value.defined ? Report(kForward) : false;
    if (value.v < 0 || value.v > 0xFFFF) return Report(kRange);
    m_nAddr = (uint32_t)value.v;
    m_nLineAddr = m_nAddr;
    m_bLineAddr = true;
    return true;
}

bool CAsm6502::Directive() {
    unsigned int start = GetPC();
    Seek(1);
    unsigned int length = SkipName();
    const char* name = TextAt(start + 1);
    if (IsWord(name, length, "byt") || IsWord(name, length, "byte") || IsWord(name, length, "asc"))
        return Bytes();
    if (IsWord(name, length, "word")) return Words();
    if (IsWord(name, length, "dsb")) return Space();
    return Report(kUnknownDirective, start, length + 1);
}

bool CAsm6502::Instruction(const asm6502::Instruction& ins) {
    SkipBlanks();
    unsigned char c = Peek();
    Value value;
    Mode mode;
    if (IsStatementEnd(c)) {
        mode = asm6502::kImplied;
    } else if (c == '#') {
        Seek(1);
        if (!Operand(value)) return false;
        mode = asm6502::kImmediate;
    } else if (c == '(') {
        Seek(1);
        if (!Operand(value)) return false;
        SkipBlanks();
        if (Peek() == ',') {
            Seek(1);
            if (Register() != 'x') return Report(kSyntax);
            SkipBlanks();
            if (Peek() != ')') return Report(kSyntax);
            Seek(1);
            mode = asm6502::kIndirectX;
        } else {
            if (Peek() != ')') return Report(kSyntax);
            Seek(1);
            SkipBlanks();
            mode = asm6502::kIndirect;
            if (Peek() == ',') {
                Seek(1);
                if (Register() != 'y') return Report(kSyntax);
                mode = asm6502::kIndirectY;
            }
        }
    } else {
        if (!Operand(value)) return false;
        SkipBlanks();
        Mode zeroPage = asm6502::kZeroPage, absolute = asm6502::kAbsolute;
        if (Peek() == ',') {
            Seek(1);
            char reg = Register();
            if (reg == 'x') {
                zeroPage = asm6502::kZeroPageX;
                absolute = asm6502::kAbsoluteX;
            } else if (reg == 'y') {
                zeroPage = asm6502::kZeroPageY;
                absolute = asm6502::kAbsoluteY;
            } else {
                return Report(kSyntax);
            }
        } else if (ins.Has(asm6502::kRelative)) {
            zeroPage = absolute = asm6502::kRelative;
        }
        // Zero page when the first pass knows a value below 256 here, or when there is no other form.
        bool small = value.early && value.v >= 0 && value.v <= 0xFF;
        mode = (ins.Has(zeroPage) && (small || !ins.Has(absolute))) ? zeroPage : absolute;
    }
    // What follows the operand is checked first: a line that makes no sense is a syntax error.
    SkipBlanks();
    if (!IsStatementEnd(Peek())) return Report(kSyntax);
    if (!ins.Has(mode)) return Report(kBadMode);

    unsigned int size = InstructionSize(mode);
    if (m_nPass == 2) {
        if (mode == asm6502::kRelative) {
            int32_t offset = (int32_t)((uint32_t)value.v - (m_nAddr + 2));
            if (value.defined && (offset < -128 || offset > 127)) Report(kBranchRange);
            value.v = offset;
        } else if (size == 2) {
            CheckRange(value, 0, 0xFF);
        } else if (size == 3) {
            CheckRange(value, 0, 0xFFFF);
        }
        Emit(ins.opcode[mode]);
        if (size == 2) Emit((unsigned char)value.v);
        if (size == 3) EmitWord((unsigned int)value.v);
    }
    Advance(size);
    return true;
}

// .byt, .byte, .asc: values of a byte each, and texts in quotes.
bool CAsm6502::Bytes() {
    SkipBlanks();
    if (IsStatementEnd(Peek())) return true;
    for (;;) {
        SkipBlanks();
        unsigned char c = Peek();
        unsigned int at = GetPC();
        // A quoted single character is a value like any other ('a'+1); longer quotes are texts.
        bool text = (c == '"' || c == '\'') &&
                    !(GetByte(at + 1) != c && GetByte(at + 1) != kEnd && GetByte(at + 2) == c);
        if (text) {
            if (!Text(c)) return false;
        } else {
            Value value;
            if (!Operand(value)) return false;
            if (m_nPass == 2) {
                CheckRange(value, 0, 0xFF);
                Emit((unsigned char)value.v);
            }
            Advance(1);
        }
        SkipBlanks();
        if (Peek() != ',') return true;
        Seek(1);
    }
}

bool CAsm6502::Text(unsigned char quote) {
    Seek(1);
    unsigned int start = GetPC();
    if (quote == '"')
        SkipEx(&g_double, m_nLine);
    else
        SkipEx(&g_single, m_nLine);
    unsigned int end = GetPC();
    if (Peek() != quote) return Report(kSyntax);
    Seek(1);
    if (m_nPass == 2 && end > start && m_pDecode != nullptr) {
        NoteLineAddress();
        ToDecode(m_pDecode, start, end);
    }
    Advance(end - start);
    return true;
}

// .word: values of 16 bits, low byte first. Negative values down to -32768 are taken as their
// two's complement, as a signed word would be written.
bool CAsm6502::Words() {
    SkipBlanks();
    if (IsStatementEnd(Peek())) return true;
    for (;;) {
        Value value;
        if (!Operand(value)) return false;
        if (m_nPass == 2) {
            CheckRange(value, -0x8000, 0xFFFF);
            EmitWord((unsigned int)value.v);
        }
        Advance(2);
        SkipBlanks();
        if (Peek() != ',') return true;
        Seek(1);
    }
}

// .dsb count[,fill]: count bytes of fill (0 when not given).
bool CAsm6502::Space() {
    Value count;
    if (!Operand(count)) return false;
    if (!count.early) return count.defined ? Report(kForward) : false;
    if (count.v < 0 || count.v > 0xFFFF) return Report(kRange);
    Value fill;
    fill.v = 0;
    SkipBlanks();
    if (Peek() == ',') {
        Seek(1);
        if (!Operand(fill)) return false;
    }
    if (m_nPass == 2) {
        CheckRange(fill, 0, 0xFF);
        for (int32_t i = 0; i < count.v; ++i) Emit((unsigned char)fill.v);
    }
    Advance((unsigned int)count.v);
    return true;
}

bool CAsm6502::Equate(unsigned int name, unsigned int length) {
    unsigned int expression = GetPC();
    Value value;
    if (!Operand(value)) return false;
    // As in the first pass, only an equate whose expression is complete defines its name.
    if (m_nPass == 2) CheckDefinition(name, length);
    m_bLineEquate = value.defined;
    m_nLineValue = value.v;
    if (m_nPass != 1) return true;
    const char* text = TextAt(name);
    if (value.early) {
        m_Labels.Entry(text, text + length, (long)name, kResolved | kEarly, value.v, nullptr);
        return true;
    }
    // Not known yet: entered without a value, and evaluated again once every label is known.
    unsigned int last = m_Labels.GetLastSymbol();
    unsigned int index = m_Labels.Entry(text, text + length, (long)name, 0, 0, nullptr);
    if (index > last) {
        m_Later.Decode((unsigned long)index);
        m_Later.Decode((unsigned long)expression);
        m_Later.Decode((unsigned long)m_nStatementAddr);
    }
    return true;
}

void CAsm6502::DefineLabel(unsigned int name, unsigned int length) {
    NoteLineAddress();
    if (m_nPass == 2) {
        CheckDefinition(name, length);
        return;
    }
    const char* text = TextAt(name);
    m_Labels.Entry(text, text + length, (long)name, kResolved | kEarly, (long)m_nAddr, nullptr);
}

// In the second pass every label is in the table: a definition that is not the one the table holds
// is a second one (or one the table refused). Entering it again, with the table enabled now, makes
// the table report it.
void CAsm6502::CheckDefinition(unsigned int name, unsigned int length) {
    const char* text = TextAt(name);
    unsigned int index = m_Labels.Find(text, text + length, 0);
    if (index != 0 && m_Labels.GetLabelScope(index) == (long)name) return;
    if (m_Labels.Entry(text, text + length, (long)name, 0, 0, nullptr) == 0) ++m_nErrors;
}

// An expression, optionally preceded by < (its low byte) or > (its high byte).
bool CAsm6502::Operand(Value& out) {
    SkipBlanks();
    unsigned char c = Peek();
    if (c != '<' && c != '>') return Expression(out);
    Seek(1);
    if (!Expression(out)) return false;
    out.v = (int32_t)(c == '<' ? ((uint32_t)out.v & 0xFF) : ((uint32_t)out.v >> 8 & 0xFF));
    return true;
}

bool CAsm6502::Expression(Value& out) {
    if (!Term(out)) return false;
    for (;;) {
        SkipBlanks();
        unsigned char op = Peek();
        if (op != '+' && op != '-') return true;
        Seek(1);
        Value right;
        if (!Term(right)) return false;
        out.v =
            (int32_t)(op == '+' ? (uint32_t)out.v + (uint32_t)right.v : (uint32_t)out.v - (uint32_t)right.v);
        out.defined = out.defined && right.defined;
        out.early = out.early && right.early;
    }
}

bool CAsm6502::Term(Value& out) {
    if (!Unary(out)) return false;
    for (;;) {
        SkipBlanks();
        unsigned char op = Peek();
        if (op != '*' && op != '/') return true;
        Seek(1);
        Value right;
        if (!Unary(right)) return false;
        if (op == '*') {
            out.v = (int32_t)((uint32_t)out.v * (uint32_t)right.v);
        } else if (right.v == 0) {
            // An undefined divisor has been reported already.
            if (right.defined) Report(kDivision);
            out.v = 0;
        } else {
            out.v = (int32_t)((int64_t)out.v / right.v);
        }
        out.defined = out.defined && right.defined;
        out.early = out.early && right.early;
    }
}

// Every nesting of the grammar, a minus sign or a parenthesis, passes through here: the depth that
// the source controls is bounded here, so that no line can exhaust the stack.
bool CAsm6502::Unary(Value& out) {
    if (m_nDepth == kMaxDepth) return Report(kNesting);
    ++m_nDepth;
    bool done = UnaryBody(out);
    --m_nDepth;
    return done;
}

bool CAsm6502::UnaryBody(Value& out) {
    SkipBlanks();
    if (Peek() != '-') return Primary(out);
    Seek(1);
    if (!Unary(out)) return false;
    out.v = (int32_t)(0u - (uint32_t)out.v);
    return true;
}

bool CAsm6502::Primary(Value& out) {
    SkipBlanks();
    unsigned char c = Peek();
    switch (c) {
    case '$': Seek(1); return Number(out, 16);
    case '%': Seek(1); return Number(out, 2);
    case '\'':
    case '"': return Character(out, c);
    case '*':
        Seek(1);
        out = Value{(int32_t)m_nStatementAddr, true, true};
        return true;
    case '(':
        Seek(1);
        if (!Expression(out)) return false;
        SkipBlanks();
        if (Peek() != ')') return Report(kSyntax);
        Seek(1);
        return true;
    default:
        if (c >= '0' && c <= '9') return Number(out, 10);
        if (IsNameStart(c)) {
            Label(out);
            return true;
        }
        return Report(kSyntax);
    }
}

bool CAsm6502::Number(Value& out, int base) {
    unsigned int start = GetPC();
    // One call per predicate, so that each skip loop knows its predicate and tests bytes inline.
    if (base == 16)
        SkipEx(&g_hex, m_nLine);
    else if (base == 2)
        SkipEx(&g_binary, m_nLine);
    else
        SkipEx(&g_decimal, m_nLine);
    unsigned int length = GetPC() - start;
    if (length == 0) return Report(kSyntax);
    const char* digit = TextAt(start);
    uint64_t value = 0;
    for (unsigned int i = 0; i < length; ++i) {
        unsigned char d = (unsigned char)digit[i];
        unsigned int n = d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10;
        value = value * (unsigned int)base + n;
        if (value > 0xFFFFFFFFu) return Report(kRange);
    }
    out = Value{(int32_t)(uint32_t)value, true, true};
    return true;
}

bool CAsm6502::Character(Value& out, unsigned char quote) {
    unsigned int at = GetPC();
    unsigned char c = GetByte(at + 1);
    if (c == quote || c == kEnd || GetByte(at + 2) != quote) return Report(kSyntax);
    Seek(3);
    out = Value{c, true, true};
    return true;
}

void CAsm6502::Label(Value& out) {
    unsigned int start = GetPC();
    unsigned int length = SkipName();
    const char* text = TextAt(start);
    unsigned int index = m_Labels.Find(text, text + length, 0);
    if (index == 0) {
        out = Value{0, false, false};
        Report(kUndefined, start, length);
        return;
    }
    unsigned char id = m_Labels.GetLabelID(index);
    out.v = (int32_t)m_Labels.GetLabelValue(index);
    out.defined = (id & kResolved) != 0;
    // In the second pass every label is in the table: the first pass knew those defined above.
    out.early = (id & kEarly) && m_Labels.GetLabelScope(index) < (long)start;
    if (!out.defined) Report(kUndefined, start, length);
}

// X or Y after a comma, in lower case; 0 for anything else.
char CAsm6502::Register() {
    SkipBlanks();
    unsigned int start = GetPC();
    if (SkipName() != 1) return 0;
    char c = (char)(GetByte(start) | 0x20);
    return (c == 'x' || c == 'y') ? c : 0;
}

// The listing shows the address of a line's first byte or label.
void CAsm6502::NoteLineAddress() {
    if (m_bLineAddr) return;
    m_nLineAddr = m_nAddr;
    m_bLineAddr = true;
}

void CAsm6502::Emit(unsigned char byte) {
    NoteLineAddress();
    if (m_pDecode != nullptr) m_pDecode->Decode(byte);
}

void CAsm6502::EmitWord(unsigned int word) {
    Emit((unsigned char)word);
    Emit((unsigned char)(word >> 8));
}

bool CAsm6502::CheckRange(const Value& value, int32_t low, int32_t high) {
    if (!value.defined || (value.v >= low && value.v <= high)) return true;
    return Report(kRange);
}

void CAsm6502::Advance(unsigned int size) { m_nAddr += size; }

// "line  addr  bytes  source", four bytes a row; longer output goes on for up to three more rows,
// the last marked with a + when there is more.
void CAsm6502::ListLine(unsigned int start, unsigned int end) {
    const unsigned char* out =
        m_pDecode != nullptr ? static_cast<const unsigned char*>((void*)*m_pDecode) : nullptr;
    unsigned int count = out != nullptr ? m_pDecode->GetPC() - m_nLineOut : 0;
    char addr[16] = "";
    if (m_bLineEquate)
        std::snprintf(addr, sizeof addr, "=%04X", (unsigned int)m_nLineValue);
    else if (m_bLineAddr)
        std::snprintf(addr, sizeof addr, "%04X", (unsigned int)m_nLineAddr);
    for (unsigned int row = 0; row == 0 || (row < count && row < 16); row += 4) {
        char bytes[16] = "";
        for (unsigned int i = row; i < count && i < row + 4; ++i) {
            size_t used = std::strlen(bytes);
            std::snprintf(bytes + used, sizeof bytes - used, i == row ? "%02X" : " %02X",
                          out[m_nLineOut + i]);
        }
        if (row == 12 && count > 16) std::strcat(bytes, "+");
        char head[64];
        int n = row == 0 ? std::snprintf(head, sizeof head, "%5u  %-5s  %-11s  ", m_nLine, addr, bytes)
                         : std::snprintf(head, sizeof head, "       %04X   %s",
                                         (unsigned int)(m_nLineAddr + row), bytes);
        m_pListing->Decode(static_cast<const void*>(head), (unsigned int)n);
        if (row == 0 && end > start) ToDecode(m_pListing, start, end);
        m_pListing->Decode((unsigned char)'\n');
    }
}

void CAsm6502::SkipBlanks() {
    if (kClasses[Peek()] & kBlank) SkipEx(&g_blanks, m_nLine);
}

unsigned int CAsm6502::SkipName() {
    unsigned int start = GetPC();
    SkipEx(&g_name, m_nLine);
    return GetPC() - start;
}

// Reports in the second pass (the first finds the same errors again); always false, so that a
// statement can end with return Report(...).
bool CAsm6502::Report(Message message, unsigned int offset, unsigned int length) {
    if (m_nPass != 2) return false;
    ++m_nErrors;
    if (m_pError != nullptr) m_pError->Error(m_Message[message], (UINT_PTR)TextAt(offset), length);
    return false;
}

// An error the list cannot take any more (or the label table running out of memory) stops the
// conversion, as does a cancelled run.
bool CAsm6502::Stopped() { return m_bCancelled || (m_pError != nullptr && m_pError->IsRewind()); }
