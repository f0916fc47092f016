// The Windows printf conventions, for every formatter of the library: CString::Format/FormatV/
// AppendFormat, wsprintf, _stprintf, _snprintf, FormatMessageA's inserts and the library's messages.
//
// A format reads as the Windows C runtime reads it: `l` keeps an integer 32 bits wide (%ld, %lu,
// %lx), `I64` and `ll` take 64 bits, `I32` 32 bits, `I` alone (and z, t, j) pointer-sized or wider;
// `h` shortens to 16 bits, `hh` to 8. %S, %C, %ls, %lc, %ws and %wc take wide text (wchar_t), which
// is converted to code page 932 with '?' for what it cannot hold; %hs and %hc are narrow. %p prints
// the pointer as upper-case hex digits, two per byte, without "0x"; %e, %E and %g write at least
// three exponent digits ("1.000000e+000"); L on a floating conversion still means double. A '*'
// width or precision takes an int argument (a negative width left-justifies, a negative precision
// is none). A null string prints "(null)". %n consumes its pointer and writes nothing. A directive
// that ends in an unknown conversion character is copied as written and consumes nothing, and so is
// a '%' at the end of the format.
//
// Values come typed from the variadic templates (kiln::PrintfArg: each argument knows what it is, so
// an int given to %I64d or a long given to %ld prints its value), from a va_list (read in the type
// the conversion asks for), or from pointer-sized values (the library's message values).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <type_traits>

#include <kiln/platform/runtime/types.h>

class CString;

namespace kiln {

const char* CStringText(const CString& s);

// One argument of a formatter, as the translator reads it.
struct PrintfArg {
    enum Kind : unsigned char { Integer, Floating, Pointer };
    Kind kind;
    union {
        long long i;
        double d;
        const void* p;
    };
};

template <class T>
PrintfArg MakePrintfArg(const T& value) {
    PrintfArg arg{};
    if constexpr (std::is_base_of_v<CString, T>) {
        arg.kind = PrintfArg::Pointer;
        arg.p = CStringText(value);
    } else if constexpr (std::is_array_v<T> || std::is_pointer_v<T> || std::is_null_pointer_v<T>) {
        arg.kind = PrintfArg::Pointer;
        arg.p = static_cast<const void*>(value);
    } else if constexpr (std::is_enum_v<T>) {
        arg.kind = PrintfArg::Integer;
        arg.i = (long long)static_cast<std::underlying_type_t<T>>(value);
    } else if constexpr (std::is_integral_v<T>) {
        arg.kind = PrintfArg::Integer;
        arg.i = (long long)value;
    } else if constexpr (std::is_floating_point_v<T>) {
        arg.kind = PrintfArg::Floating;
        arg.d = (double)value;
    } else {
        static_assert(std::is_integral_v<T>,
                      "a formatter takes numbers, pointers, C strings and CStrings only: pass other "
                      "classes as text (for a std::string, its c_str())");
    }
    return arg;
}

std::string FormatPrintf(const char* format, const PrintfArg* args, size_t count);
std::string FormatPrintfV(const char* format, va_list args);

// The variadic entry of the translator: FormatPrintfOf("%s=%ld", name, value).
template <class... Args>
std::string FormatPrintfOf(const char* format, const Args&... args) {
    const PrintfArg list[sizeof...(Args) + 1] = {MakePrintfArg(args)..., PrintfArg{}};
    return FormatPrintf(format, list, sizeof...(Args));
}

}  // namespace kiln
