#include <kiln/platform/text/cstring.h>
#include <kiln/platform/text/printf.h>

#include <gtest/gtest.h>

#include <cstdarg>

#include "platform/text/printf_args.h"

namespace {

CString ViaVaList(const char* format, ...) {
    va_list args;
    va_start(args, format);
    CString s;
    s.FormatV(format, args);
    va_end(args);
    return s;
}

// Each row through both entries: the typed arguments of Format and a C va_list (FormatV).
template <class... A>
void Expect(const char* expected, const char* format, A... args) {
    CString typed;
    typed.Format(format, args...);
    EXPECT_STREQ(typed, expected) << format << " (typed)";
    EXPECT_STREQ(ViaVaList(format, args...), expected) << format << " (va_list)";
}

}  // namespace

// What a Windows program prints for each directive.
TEST(Printf, WindowsResults) {
    Expect("-5 4294967295 ffffffff", "%ld %lu %lx", (LONG)-5, -1, 0xFFFFFFFFu);
    Expect("-5 1099511627776 ABCDEF0123", "%I64d %I64u %I64X", (__int64)-5, 1ULL << 40, 0xABCDEF0123ULL);
    Expect("         5|name", "%10I64u|%s", 5ULL, "name");
    Expect("-7 ff -3 8589934592", "%I32d %I32x %Id %Iu", -7, 255, (INT_PTR)-3, (UINT_PTR)1 << 33);
    Expect("4464 65535 -1", "%hd %hu %hhd", 70000, -1, 255);
    Expect("  3.1|3.14  |003.14", "%5.1f|%-6.2f|%06.2f", 3.14159, 3.14159, 3.14159);
    Expect("1.234568e+004 0.000000E+000 1e+020 0.5", "%e %E %g %g", 12345.678, 0.0, 1e20, 0.5);
    Expect("-001.50e+000|1.0e-100", "%012.2e|%.1e", -1.5, 1e-100);
    Expect("1.500000", "%Lf", 1.5);  // L is double on Windows
    Expect("+5  5 0xff 010", "%+d % d %#x %#o", 5, 5, 255, 8);
    Expect("   7|7   |1.00|5", "%*d|%-*d|%.*f|%.*d", 4, 7, -4, 7, 2, 1.0, -1, 5);
    Expect("ab", "%.*s", 2, "abcdef");
    Expect("AB wide|w2|narrow|ab", "%c%C %S|%ls|%hs|%.2S", 'A', L'B', L"wide", L"w2", "narrow", L"abc");
    Expect("日本?", "%S", L"日本\u00E9");  // wide text to code page 932; é has no code there
    Expect("(null) (null)", "%s %S", (const char*)nullptr, (const wchar_t*)nullptr);
    Expect("0000000000001234", "%p", (void*)0x1234);
    Expect("100% 1", "100%% %d", 1);
    Expect("%y|%5k|end%", "%y|%5k|end%");  // unknown conversions are shown as written
}

TEST(Printf, TypedArgumentsPrintTheirValues) {
    CString name("cs"), s;
    s.Format("%s/%5s/%-3s|", name, name, (LPCTSTR)name);
    EXPECT_STREQ(s, "cs/   cs/cs |");
    s.Format("%I64d %d %ld %f %s", 5, (__int64)1 << 40, (long)-5, 2, 0);  // mismatches convert the value
    EXPECT_STREQ(s, "5 0 -5 2.000000 (null)");
    s.AppendFormat("+%u", 7u);
    EXPECT_STREQ(s, "5 0 -5 2.000000 (null)+7");
    s.Format("%d %d", 1);  // a missing value reads as 0
    EXPECT_STREQ(s, "1 0");
    std::string big(10000, 'q');
    s.Format("%s!", big.c_str());
    EXPECT_EQ(s.GetLength(), 10001);
}

// The library's message values: pointer-sized slots read as their conversion asks.
TEST(Printf, PointerSizedValues) {
    auto fmt = [](const char* format, std::initializer_list<INT_PTR> values) {
        return kiln::FormatArgs(format, values.begin(), (int)values.size());
    };
    EXPECT_STREQ(fmt("%s=%d %lu", {(INT_PTR) "label", -5, -1}), "label=-5 4294967295");
    EXPECT_STREQ(fmt("%lld %I64d %.1f", {(INT_PTR)1 << 40, (INT_PTR)1 << 33, 3}),
                 "1099511627776 8589934592 3.0");
    EXPECT_STREQ(fmt("%n%d %d %s", {0, 9}), "9 0 (null)");
    EXPECT_STREQ(kiln::FormatArgs(nullptr, nullptr, 0), "");
}
