#include "random_source.h"

#include "opcodes.h"

#include <random>
#include <vector>

namespace asm6502 {

namespace {

// Branches only go to labels this many statements away at most: no statement is longer than eight
// bytes, so every branch stays within reach.
constexpr int kBranchWindow = 12;

// Lines of the benchmark program between two origins.
constexpr unsigned int kBenchmarkSegment = 24000;

// Joins the parts from left to right. (Writing "(" + text + ")" makes GCC 12 warn, wrongly, about
// overlapping copies.)
template <class... Parts>
std::string Cat(const Parts&... parts) {
    std::string out;
    (out += ... += parts);
    return out;
}

struct Equate {
    std::string name;
    int value;
};

class Generator {
public:
    explicit Generator(uint32_t seed) : m_rng(seed) {}

    std::string Random(unsigned int statements);
    std::string Benchmark(unsigned int lines);

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    int Range(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    bool Chance(int percent) { return Pick(100) < percent; }
    template <class T>
    const T& Any(const std::vector<T>& items) {
        return items[Pick((int)items.size())];
    }

    std::string Name(const char* stem) { return stem + std::to_string(m_names++); }
    std::string Blank() { return Chance(70) ? " " : "\t"; }
    std::string Spaced(const char* text) { return Chance(80) ? text : Cat(" ", text, " "); }
    std::string Cased(const std::string& word);
    std::string Number(int value);
    std::string ByteExpr(int value, int depth, bool leadingParen);
    std::string WordExpr(int value, int depth);
    std::string ByteOperand(bool immediate, int depth = 0);
    std::string WordOperand();
    std::string LabelNear(int statement);
    std::string Instruction(int statement);
    std::string Data();
    std::string Text(int length);
    std::string Comment();

    std::mt19937 m_rng;
    int m_names = 0;
    std::vector<Equate> m_bytes;       // byte equates defined above the code
    std::vector<Equate> m_lateBytes;   // byte equates defined below it (or depending on those)
    std::vector<Equate> m_words;       // word equates, above and below
    std::vector<std::string> m_label;  // the label of each statement, or ""
    std::vector<std::string> m_allLabels;
};

std::string Generator::Cased(const std::string& word) {
    std::string out = word;
    int style = Pick(4);
    for (size_t i = 0; i < out.size(); ++i) {
        bool upper = style == 1 || (style == 2 && i == 0) || (style == 3 && Chance(50));
        if (upper && out[i] >= 'a' && out[i] <= 'z') out[i] = (char)(out[i] - 32);
    }
    return out;
}

// A non-negative number in one of the bases, or as a character.
std::string Generator::Number(int value) {
    char text[40];
    int form = Pick(value < 256 ? 5 : 3);
    if (form == 0) return std::to_string(value);
    if (form == 1) {
        std::snprintf(text, sizeof text, Chance(50) ? "$%02x" : "$%04X", value);
        return text;
    }
    if (form == 2) {
        std::string bits = "%";
        int top = 15;
        while (top > 0 && !(value >> top & 1)) --top;
        for (int b = top; b >= 0; --b) bits += (char)('0' + (value >> b & 1));
        return bits;
    }
    if (form == 3 && value > 0x20 && value < 0x7F && value != '\'' && value != '"' && value != '\\' &&
        value != '^') {
        char quote = Chance(80) ? '\'' : '"';
        return Cat(quote, (char)value, quote);
    }
    return std::to_string(value);
}

// An expression worth value (0 to 255). Operands that are not in parentheses must not begin with
// one: "lda (1+2),x" is an indirect form.
std::string Generator::ByteExpr(int value, int depth, bool leadingParen) {
    int form = depth > 2 ? 0 : Pick(8);
    auto sub = [&](int v, bool first) {
        bool nested = Chance(40) && (!first || leadingParen);
        return nested ? Cat("(", ByteExpr(v, depth + 1, true), ")") : ByteExpr(v, 3, false);
    };
    switch (form) {
    case 1:
    case 2:
        for (const Equate& e : m_bytes) {
            if (e.value == value) return e.name;
            if (e.value < value && value - e.value < 8)
                return e.name + Spaced("+") + std::to_string(value - e.value);
        }
        break;
    case 3: {
        int a = Pick(value + 1);
        return sub(a, true) + Spaced("+") + sub(value - a, false);
    }
    case 4: {
        int b = Pick(40);
        return sub(value + b, true) + Spaced("-") + sub(b, false);
    }
    case 5:
        for (int f = 2; f <= 9; ++f)
            if (value % f == 0 && value > 0) return sub(value / f, true) + Spaced("*") + sub(f, false);
        break;
    case 6: {
        int d = Range(1, 5);
        return sub(value * d + Pick(d), true) + Spaced("/") + sub(d, false);
    }
    case 7: {
        int k = Range(1, 9);
        return Cat("-", std::to_string(k), Spaced("+"), sub(value + k, false));
    }
    default: break;
    }
    return Number(value);
}

// An expression worth value (0 to 65535) made of numbers and word equates.
std::string Generator::WordExpr(int value, int depth) {
    int form = depth > 1 ? 0 : Pick(5);
    if (form == 1 && value >= 256)
        return std::to_string(value / 256) + Spaced("*") + "256" + Spaced("+") + Number(value % 256);
    if (form == 2 && value >= 16) return WordExpr(value - 16, depth + 1) + Spaced("+") + "$10";
    if (form == 3) {
        for (const Equate& e : m_words)
            if (e.value <= value && value - e.value < 64)
                return e.name + Spaced("+") + std::to_string(value - e.value);
    }
    return Number(value);
}

// A byte: from numbers, byte equates above and below, or the low or high byte of an address.
std::string Generator::ByteOperand(bool immediate, int depth) {
    int form = Pick(10);
    if (form == 0 && !m_allLabels.empty()) return Cat(Chance(50) ? "<" : ">", Any(m_allLabels));
    if (form == 1 && !m_allLabels.empty())
        return Cat("<", Any(m_allLabels), Spaced("+"), std::to_string(Pick(4)));
    if (form == 2) {
        const Equate& e = Any(m_lateBytes);
        return e.name;
    }
    if (form == 3) return Cat(Chance(50) ? "<" : ">", WordExpr(Range(0, 0xFFFF), 1));
    return ByteExpr(Pick(256), depth, immediate);
}

// An address: labels above and below, the current address, word equates, numbers.
std::string Generator::WordOperand() {
    int form = Pick(8);
    if (form <= 2 && !m_allLabels.empty()) {
        std::string label = Any(m_allLabels);
        if (Chance(30)) label += Cat(Chance(50) ? "+" : "-", std::to_string(Pick(16)));
        return label;
    }
    if (form == 3) return Cat("*", Spaced("+"), std::to_string(Pick(40)));
    if (form == 4) return Any(m_words).name;
    if (form == 5) return ByteOperand(false);
    return WordExpr(Range(0, 0xFFFF), 0);
}

// A branch target near the statement: a label within the window, or the current address nearby.
std::string Generator::LabelNear(int statement) {
    std::vector<std::string> near;
    for (int i = statement - kBranchWindow; i <= statement + kBranchWindow; ++i)
        if (i >= 0 && i < (int)m_label.size() && !m_label[i].empty()) near.push_back(m_label[i]);
    if (near.empty() || Chance(15)) return Cat("*", Spaced(Chance(50) ? "+" : "-"), std::to_string(Pick(60)));
    return Any(near);
}

std::string Generator::Instruction(int statement) {
    const asm6502::Instruction& ins = kInstructions[Pick(kInstructionCount)];
    std::vector<Mode> modes;
    for (int m = 0; m < kModeCount; ++m)
        if (ins.Has((Mode)m)) modes.push_back((Mode)m);
    Mode mode = Any(modes);
    std::string text = Cased(ins.name);
    std::string x = Chance(50) ? "x" : "X", y = Chance(50) ? "y" : "Y";
    std::string comma = Spaced(",");
    switch (mode) {
    case kImplied: return text;
    case kImmediate: return text + Blank() + "#" + ByteOperand(true);
    case kZeroPage: return text + Blank() + ByteOperand(false);
    case kZeroPageX: return text + Blank() + ByteOperand(false) + comma + x;
    case kZeroPageY: return text + Blank() + ByteOperand(false) + comma + y;
    case kAbsolute: return text + Blank() + WordOperand();
    case kAbsoluteX: return text + Blank() + WordOperand() + comma + x;
    case kAbsoluteY: return text + Blank() + WordOperand() + comma + y;
    case kIndirectX: return text + Blank() + "(" + ByteOperand(false) + comma + x + ")";
    case kIndirectY: return text + Blank() + "(" + ByteOperand(false) + ")" + comma + y;
    case kIndirect: return text + Blank() + "(" + WordOperand() + ")";
    case kRelative: return text + Blank() + LabelNear(statement);
    default: return text;
    }
}

// Printable text without quotes, backslashes, slashes (xa65 reads // as a comment) or carets (xa65
// reads ^c in a text as a control character).
std::string Generator::Text(int length) {
    static const char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 !#$%&()*+,-.;:<=>?@[]_{|}~";
    std::string text;
    for (int i = 0; i < length; ++i) text += kChars[Pick((int)sizeof kChars - 1)];
    return text;
}

// Data of at most eight bytes. The values are simpler than operands: xa65 refuses a long data line
// whose values are many nested expressions when one of them names a label defined below.
std::string Generator::Data() {
    int kind = Pick(5);
    std::string out;
    if (kind <= 1) {
        out = Cased(kind == 0 ? ".byt" : (Chance(50) ? ".byte" : ".asc")) + Blank();
        int left = 8;
        for (bool first = true; left > 0 && (first || Chance(60)); first = false) {
            if (!first) out += Spaced(",");
            if (Chance(35) && left >= 2) {
                int n = Range(2, left);
                char quote = Chance(75) ? '"' : '\'';
                out += quote + Text(n) + quote;
                left -= n;
            } else {
                out += ByteOperand(true, 2);
                --left;
            }
        }
    } else if (kind <= 3) {
        out = Cased(".word") + Blank();
        int n = Range(1, 4);
        for (int i = 0; i < n; ++i) out += (i ? Spaced(",") : "") + WordOperand();
    } else {
        out = Cased(".dsb") + Blank() + ByteExpr(Pick(9), 2, false);
        if (Chance(70)) out += Spaced(",") + ByteExpr(Pick(256), 0, true);
    }
    return out;
}

std::string Generator::Comment() {
    static const char kWords[][8] = {"loop", "store", "the", "value", "next",
                                     "byte", "count", "(x)", "-",     "ok!"};
    std::string text = ";";
    int n = Range(0, 5);
    for (int i = 0; i < n; ++i) text += Cat(" ", kWords[Pick(10)]);
    return text;
}

std::string Generator::Random(unsigned int statements) {
    // Equates: bytes and words defined above the code; bytes and words defined below it, and
    // bytes defined above but from those below (the first pass knows neither).
    std::string top, bottom;
    for (int i = 0, n = Range(2, 6); i < n; ++i) {
        // Each is written from those above it.
        Equate e{Name("zp"), Pick(256)};
        top += e.name + Spaced("=") + ByteExpr(e.value, 1, true) + "\n";
        m_bytes.push_back(e);
    }
    for (int i = 0, n = Range(1, 4); i < n; ++i) m_words.push_back({Name("io"), Range(0x100, 0xFFFF)});
    for (int i = 0, n = Range(1, 4); i < n; ++i) m_lateBytes.push_back({Name("late"), Pick(255)});
    for (int i = 0, n = Range(0, 2); i < n; ++i) m_words.push_back({Name("far"), Range(0x100, 0xFFFF)});
    std::vector<Equate> defined = m_lateBytes;
    for (int i = 0, n = Range(0, 2); i < n; ++i) {
        const Equate& base = Any(defined);
        Equate e{Name("then"), base.value + 1};
        if (e.value > 255) continue;
        top += e.name + Spaced("=") + base.name + "+1\n";
        m_lateBytes.push_back(e);
    }
    for (const Equate& e : m_words)
        (e.name[0] == 'f' ? bottom : top) += e.name + Spaced("=") + Number(e.value) + "\n";
    for (const Equate& e : defined) bottom += e.name + Spaced("=") + Number(e.value) + "\n";

    m_label.assign(statements, "");
    for (unsigned int i = 0; i < statements; ++i)
        if (Chance(30)) {
            m_label[i] = Name(Chance(50) ? "L" : "loop_");
            m_allLabels.push_back(m_label[i]);
        }

    char origin[32];
    std::snprintf(origin, sizeof origin, Chance(50) ? "*=$%04x\n" : "* = $%04X\n", Range(0x200, 0xC000));
    std::string out = Cat("; generated test program\n", origin, top);
    for (unsigned int i = 0; i < statements; ++i) {
        if (Chance(4)) out += Chance(50) ? "\n" : Comment() + "\n";
        std::string line;
        if (!m_label[i].empty()) {
            line = m_label[i] + (Chance(50) ? ":" : "");
            if (Chance(30)) {
                out += line + "\n";
                line.clear();
            }
        }
        int kind = Pick(100);
        std::string body = kind < 80 ? Instruction((int)i) : Data();
        line += (line.empty() ? (Chance(80) ? Blank() : "") : Blank()) + body;
        if (Chance(10) && i + 1 < statements && m_label[i + 1].empty()) {
            ++i;
            line += Spaced(":") + (Pick(100) < 80 ? Instruction((int)i) : Data());
        }
        if (Chance(25)) line += Blank() + Comment();
        out += line + "\n";
    }
    return out + bottom;
}

// Mostly instructions with operands whose sizes are fixed: numbers below 256 in zero page, labels
// (all above $0200) absolute; a label every sixth line; jsr and jmp to labels anywhere. The origin
// goes back to $0200 every 24,000 lines, so that no stretch of code leaves the 64 KiB space.
std::string Generator::Benchmark(unsigned int lines) {
    unsigned int labels = 0;  // every sixth line but those that set the origin
    for (unsigned int line = 6; line < lines; line += 6) labels += line % kBenchmarkSegment != 0;
    std::vector<std::string> names;
    static const char kStems[][8] = {"loop", "next", "draw", "init", "copy",
                                     "fill", "wait", "read", "send", "test"};
    for (unsigned int i = 0; i < labels; ++i)
        names.push_back(Cat(kStems[Pick(10)], "_", Cased("lbl"), std::to_string(i)));
    std::string out = "; generated benchmark program\n*=$0200\n";
    unsigned int label = 0;
    unsigned int segmentLabel = 0;  // the first label since the origin: branches stay behind it
    for (unsigned int line = 2; line < lines; ++line) {
        char text[96];
        int kind = Pick(100);
        if (line % kBenchmarkSegment == 0) {
            std::snprintf(text, sizeof text, "*=$0200\n");
            segmentLabel = label;
        } else if (line % 6 == 0) {
            std::snprintf(text, sizeof text, "%s%s lda #$%02x\n", names[label].c_str(), Chance(50) ? ":" : "",
                          Pick(256));
            ++label;
        } else if (kind < 20) {
            std::snprintf(text, sizeof text, "        sta $%02x,x    ; keep the value\n", Pick(256));
        } else if (kind < 35) {
            std::snprintf(text, sizeof text, "        adc #%d\n", Pick(256));
        } else if (kind < 50) {
            std::snprintf(text, sizeof text, "        lda (%d),y\n", Pick(256));
        } else if (kind < 60 && labels > 0) {
            std::snprintf(text, sizeof text, "        jsr %s\n", names[Pick((int)labels)].c_str());
        } else if (kind < 68 && label > segmentLabel) {
            std::snprintf(text, sizeof text, "        bne %s\n", names[label - 1].c_str());
        } else if (kind < 76) {
            std::snprintf(text, sizeof text, "        inx\n");
        } else if (kind < 84 && labels > 0) {
            std::snprintf(text, sizeof text, "        lda %s+%d,y\n", names[Pick((int)labels)].c_str(),
                          Pick(16));
        } else if (kind < 90) {
            std::snprintf(text, sizeof text, "        .byt $%02x, %d, \"ok\"\n", Pick(256), Pick(256));
        } else if (kind < 95 && labels > 0) {
            std::snprintf(text, sizeof text, "        .word %s, <%s\n", names[Pick((int)labels)].c_str(),
                          names[Pick((int)labels)].c_str());
        } else {
            std::snprintf(text, sizeof text, "        cmp #<(%d*3+1)\n", Pick(80));
        }
        out += text;
    }
    return out;
}

}  // namespace

std::string RandomSource(uint32_t seed, unsigned int statements) {
    return Generator(seed).Random(statements);
}

std::string BenchmarkSource(uint32_t seed, unsigned int lines) { return Generator(seed).Benchmark(lines); }

}  // namespace asm6502
