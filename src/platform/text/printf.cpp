#include <kiln/platform/text/printf.h>

#include <iconv.h>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include <kiln/platform/text/cstring.h>

#include "platform/text/printf_args.h"

namespace kiln {

const char* CStringText(const CString& s) { return s.GetString(); }

namespace {

// Where the values come from; each call takes the next value in the type asked for.
class ValueSource {
public:
    virtual ~ValueSource() = default;
    virtual long long Integer(bool wide) = 0;  // wide: 64 bits, else 32 (sign-extended)
    virtual double Floating() = 0;
    virtual const void* Pointer() = 0;
    // A string pointer; a source that knows a value is no pointer gives null rather than a crash.
    virtual const void* Text() { return Pointer(); }
};

class VaListSource final : public ValueSource {
public:
    explicit VaListSource(va_list args) { va_copy(m_args, args); }
    ~VaListSource() override { va_end(m_args); }
    long long Integer(bool wide) override { return wide ? va_arg(m_args, long long) : va_arg(m_args, int); }
    double Floating() override { return va_arg(m_args, double); }
    const void* Pointer() override { return va_arg(m_args, const void*); }

private:
    va_list m_args;
};

class IntPtrSource final : public ValueSource {
public:
    IntPtrSource(const INT_PTR* args, int count) : m_args(args), m_count(count) {}
    long long Integer(bool wide) override { return wide ? (long long)Next() : (int)Next(); }
    double Floating() override { return (double)Next(); }
    const void* Pointer() override { return reinterpret_cast<const void*>(Next()); }

private:
    INT_PTR Next() { return m_next < m_count ? m_args[m_next++] : 0; }
    const INT_PTR* m_args;
    int m_count;
    int m_next = 0;
};

// Typed values: each is converted to what the conversion asks for, so a mismatch prints the value
// rather than the neighbouring bytes.
class TypedSource final : public ValueSource {
public:
    TypedSource(const PrintfArg* args, size_t count) : m_args(args), m_count(count) {}
    long long Integer(bool wide) override {
        const PrintfArg a = Next();
        long long v = a.kind == PrintfArg::Integer    ? a.i
                      : a.kind == PrintfArg::Floating ? (long long)a.d
                                                      : (long long)(UINT_PTR)a.p;
        return wide ? v : (int)v;
    }
    double Floating() override {
        const PrintfArg a = Next();
        return a.kind == PrintfArg::Floating ? a.d : a.kind == PrintfArg::Integer ? (double)a.i : 0.0;
    }
    const void* Pointer() override {
        const PrintfArg a = Next();
        return a.kind == PrintfArg::Pointer ? a.p : reinterpret_cast<const void*>((UINT_PTR)a.i);
    }
    const void* Text() override {
        const PrintfArg a = Next();
        return a.kind == PrintfArg::Pointer ? a.p : nullptr;
    }

private:
    PrintfArg Next() {
        if (m_next < m_count) return m_args[m_next++];
        PrintfArg none{};
        none.kind = PrintfArg::Integer;
        return none;
    }
    const PrintfArg* m_args;
    size_t m_count;
    size_t m_next = 0;
};

enum class Size { Default, Char, Short, Long, Int64, Pointer };

// One directive, parsed.
struct Directive {
    std::string flags;
    bool starWidth = false, hasWidth = false, starPrecision = false, hasPrecision = false;
    int width = 0, precision = 0;
    Size size = Size::Default;
    bool wideText = false, narrowText = false;
    char conversion = '\0';
};

bool IsConversion(char c) { return c != '\0' && std::strchr("diouxXcCsSpneEfgGaAF", c) != nullptr; }

// Parses the directive after its '%'; returns the end of the directive.
const char* Parse(const char* p, Directive& d) {
    while (*p && std::strchr("-+ #0", *p)) d.flags += *p++;
    if (*p == '*') {
        d.starWidth = true;
        ++p;
    } else {
        for (; *p >= '0' && *p <= '9'; ++p) {
            d.hasWidth = true;
            d.width = d.width < 100000000 ? d.width * 10 + (*p - '0') : d.width;
        }
    }
    if (*p == '.') {
        ++p;
        d.hasPrecision = true;
        if (*p == '*') {
            d.starPrecision = true;
            ++p;
        } else {
            for (; *p >= '0' && *p <= '9'; ++p)
                d.precision = d.precision < 100000000 ? d.precision * 10 + (*p - '0') : d.precision;
        }
    }
    for (;;) {
        if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
            d.size = Size::Int64;
            p += 3;
        } else if (p[0] == 'I' && p[1] == '3' && p[2] == '2') {
            d.size = Size::Long;
            p += 3;
        } else if (*p == 'I' || *p == 'z' || *p == 't') {
            d.size = Size::Pointer;
            ++p;
        } else if (*p == 'j' || *p == 'q' || (p[0] == 'l' && p[1] == 'l')) {
            d.size = Size::Int64;
            p += *p == 'l' ? 2 : 1;
        } else if (*p == 'l' || *p == 'w') {
            d.size = Size::Long;
            d.wideText = true;
            ++p;
        } else if (*p == 'L') {
            ++p;
        } else if (p[0] == 'h' && p[1] == 'h') {
            d.size = Size::Char;
            d.narrowText = true;
            p += 2;
        } else if (*p == 'h') {
            d.size = Size::Short;
            d.narrowText = true;
            ++p;
        } else {
            break;
        }
    }
    if (IsConversion(*p)) d.conversion = *p++;
    return p;
}

bool WideInteger(Size size) { return size == Size::Int64 || (size == Size::Pointer && sizeof(void*) == 8); }

PrintfValueKind IntegerKind(Size size) {
    return WideInteger(size) ? PrintfValueKind::LongLong : PrintfValueKind::Int;
}

// The kind of value the conversion itself consumes.
PrintfValueKind ValueKind(const Directive& d) {
    switch (d.conversion) {
    case 's':
    case 'S':
    case 'p':
    case 'n': return PrintfValueKind::Pointer;
    case 'c':
    case 'C': return PrintfValueKind::Int;
    case 'e':
    case 'E':
    case 'f':
    case 'F':
    case 'g':
    case 'G':
    case 'a':
    case 'A': return PrintfValueKind::Double;
    default: return IntegerKind(d.size);
    }
}

// Wide text to code page 932, '?' for each character it cannot hold.
std::string WideToCp932(const wchar_t* text, size_t maxChars) {
    std::string out;
    iconv_t cd = iconv_open("CP932", "WCHAR_T");
    for (size_t i = 0; i < maxChars && text[i] != L'\0'; ++i) {
        wchar_t c = text[i];
        if (c >= 0 && c < 0x80) {
            out += (char)c;
            continue;
        }
        char buffer[8];
        char* in = reinterpret_cast<char*>(&c);
        size_t inLeft = sizeof c;
        char* dst = buffer;
        size_t room = sizeof buffer;
        if (cd != (iconv_t)-1 && iconv(cd, &in, &inLeft, &dst, &room) != (size_t)-1) {
            out.append(buffer, (size_t)(dst - buffer));
        } else {
            out += '?';
            if (cd != (iconv_t)-1) iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    if (cd != (iconv_t)-1) iconv_close(cd);
    return out;
}

template <class T>
void Append(std::string& out, const std::string& directive, T value) {
    char small[128];
    int n = std::snprintf(small, sizeof small, directive.c_str(), value);
    if (n < 0) return;
    if ((size_t)n < sizeof small) {
        out.append(small, (size_t)n);
        return;
    }
    size_t at = out.size();
    out.resize(at + (size_t)n + 1);
    std::snprintf(&out[at], (size_t)n + 1, directive.c_str(), value);
    out.resize(at + (size_t)n);
}

// Pads a formatted number to the width: spaces before, spaces after with '-', or zeros after the
// sign (and a "0x" prefix) with '0'.
void Pad(std::string& out, std::string text, const Directive& d, int width) {
    if ((int)text.size() < width) {
        size_t fill = (size_t)width - text.size();
        bool numeric = !text.empty() && (std::isdigit((unsigned char)text.back()) || text.back() == '.');
        if (d.flags.find('-') != std::string::npos) {
            text.append(fill, ' ');
        } else if (d.flags.find('0') != std::string::npos && numeric) {
            size_t at = text.find_first_not_of("+- ");
            if (text.compare(at, 2, "0x") == 0 || text.compare(at, 2, "0X") == 0) at += 2;
            text.insert(at, fill, '0');
        } else {
            text.insert(0, fill, ' ');
        }
    }
    out += text;
}

// Windows writes three exponent digits at least.
void WidenExponent(std::string& text) {
    size_t e = text.find_first_of("eE");
    if (e == std::string::npos || e + 1 >= text.size() || (text[e + 1] != '+' && text[e + 1] != '-')) return;
    size_t digits = text.size() - (e + 2);
    if (digits < 3) text.insert(e + 2, 3 - digits, '0');
}

std::string Translate(const char* format, ValueSource& values) {
    std::string out;
    const char* p = format != nullptr ? format : "";
    while (*p) {
        if (*p != '%') {
            const char* run = std::strchr(p, '%');
            size_t n = run ? (size_t)(run - p) : std::strlen(p);
            out.append(p, n);
            p += n;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        const char* start = p;
        Directive d;
        p = Parse(p + 1, d);
        if (d.conversion == '\0') {
            // Not a conversion: shown as written, consuming nothing.
            if (*p != '\0') ++p;
            out.append(start, (size_t)(p - start));
            continue;
        }
        std::string flags = d.flags;
        int width = d.width;
        bool hasWidth = d.hasWidth;
        if (d.starWidth) {
            width = (int)values.Integer(false);
            hasWidth = true;
            if (width < 0) {
                flags += '-';
                width = width == INT_MIN ? INT_MAX : -width;
            }
        }
        int precision = d.precision;
        bool hasPrecision = d.hasPrecision;
        if (d.starPrecision) {
            precision = (int)values.Integer(false);
            hasPrecision = precision >= 0;
        }
        Directive shown = d;
        shown.flags = flags;
        std::string directive = "%" + flags + (hasWidth ? std::to_string(width) : "") +
                                (hasPrecision ? "." + std::to_string(precision) : "");
        char c = d.conversion;
        switch (c) {
        case 'd':
        case 'i': {
            long long v = values.Integer(WideInteger(d.size));
            if (d.size == Size::Short) v = (short)v;
            if (d.size == Size::Char) v = (signed char)v;
            Append(out, directive + "lld", v);
            break;
        }
        case 'o':
        case 'u':
        case 'x':
        case 'X': {
            long long raw = values.Integer(WideInteger(d.size));
            unsigned long long v = WideInteger(d.size) ? (unsigned long long)raw : (unsigned)raw;
            if (d.size == Size::Short) v = (unsigned short)v;
            if (d.size == Size::Char) v = (unsigned char)v;
            Append(out, directive + "ll" + c, v);
            break;
        }
        case 'c':
        case 'C': {
            long long v = values.Integer(false);
            if ((c == 'C' || d.wideText) && !d.narrowText) {
                wchar_t wide[2] = {(wchar_t)(unsigned)v, L'\0'};
                Append(out, "%" + flags + (hasWidth ? std::to_string(width) : "") + "s",
                       WideToCp932(wide, 1).c_str());
            } else {
                Append(out, "%" + flags + (hasWidth ? std::to_string(width) : "") + "c",
                       (int)(unsigned char)v);
            }
            break;
        }
        case 's':
        case 'S': {
            const void* text = values.Text();
            if ((c == 'S' || d.wideText) && !d.narrowText && text != nullptr) {
                size_t limit = hasPrecision ? (size_t)precision : (size_t)-1;
                Append(out, directive + "s", WideToCp932(static_cast<const wchar_t*>(text), limit).c_str());
            } else {
                Append(out, directive + "s", text != nullptr ? static_cast<const char*>(text) : "(null)");
            }
            break;
        }
        case 'p':
            Append(out,
                   "%" + flags + (hasWidth ? std::to_string(width) : "") + "." +
                       std::to_string(2 * sizeof(void*)) + "llX",
                   (unsigned long long)(UINT_PTR)values.Pointer());
            break;
        case 'n': values.Pointer(); break;
        default: {  // floating conversions
            double v = values.Floating();
            std::string text;
            Append(text, "%" + flags + (hasPrecision ? "." + std::to_string(precision) : "") + c, v);
            if (c != 'a' && c != 'A' && std::isfinite(v)) WidenExponent(text);
            Pad(out, text, shown, hasWidth ? width : 0);
            break;
        }
        }
    }
    return out;
}

}  // namespace

std::string FormatPrintf(const char* format, const PrintfArg* args, size_t count) {
    TypedSource values(args, count);
    return Translate(format, values);
}

std::string FormatPrintfV(const char* format, va_list args) {
    VaListSource values(args);
    return Translate(format, values);
}

CString FormatArgs(const char* format, const INT_PTR* args, int count) {
    IntPtrSource values(args, count);
    std::string out = Translate(format, values);
    return CString(out.data(), (int)out.size());
}

std::vector<PrintfValueKind> PrintfValueKinds(const char* format) {
    std::vector<PrintfValueKind> kinds;
    for (const char* p = format != nullptr ? format : ""; (p = std::strchr(p, '%')) != nullptr;) {
        if (p[1] == '%') {
            p += 2;
            continue;
        }
        Directive d;
        p = Parse(p + 1, d);
        if (d.conversion == '\0') continue;
        if (d.starWidth) kinds.push_back(PrintfValueKind::Int);
        if (d.starPrecision) kinds.push_back(PrintfValueKind::Int);
        kinds.push_back(ValueKind(d));
    }
    return kinds;
}

}  // namespace kiln
