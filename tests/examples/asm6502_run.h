// Runs the 6502 assembler over a source held in memory, as its command-line program does.
#pragma once

#include "asm6502.h"

#include <cstdio>
#include <string>
#include <vector>

namespace kiln::test {

struct Assembly {
    bool ok = false;
    bool cancelled = false;
    unsigned int errorCount = 0;
    std::string bytes;
    std::vector<std::string> errors;  // the error list's lines, without their CR LF
    std::string listing;
};

inline std::string BufferText(CDecode& buffer) {
    const char* data = static_cast<const char*>(buffer.InterLock());
    std::string text = data != nullptr ? std::string(data, buffer.GetPC()) : std::string();
    buffer.InterUnlock();
    return text;
}

// Converts the source an assembler holds, with an error list named t.s.
inline Assembly Convert(CAsm6502& assembler, bool listing = false, CAsm6502::Progress* progress = nullptr) {
    CError errors;
    errors.Alloc(1024);
    errors.AttachText("t.s");
    errors.AttachLine(assembler.GetLineCounter());
    errors.InterLock();
    assembler.AttachError(&errors);
    assembler.AttachProgress(progress);
    CDecode out;
    CDecode list;
    if (listing) assembler.AttachListing(&list);

    Assembly result;
    result.ok = assembler.Convert(&out, 0) != 0;
    result.cancelled = assembler.Cancelled();
    result.errorCount = assembler.GetErrorCount();
    errors.InterUnlock();
    std::string lines = BufferText(errors);
    for (size_t start = 0, end; (end = lines.find("\r\n", start)) != std::string::npos; start = end + 2)
        result.errors.push_back(lines.substr(start, end - start));
    result.bytes = BufferText(out);
    if (listing) result.listing = BufferText(list);
    return result;
}

inline Assembly Assemble(const std::string& source, bool listing = false,
                         CAsm6502::Progress* progress = nullptr) {
    CAsm6502 assembler;
    std::string text = source;
    assembler.Attach(text.data(), (unsigned int)text.size(), "t.s");
    return Convert(assembler, listing, progress);
}

// "A9 12 ..." for the bytes.
inline std::string Hex(const std::string& bytes) {
    std::string out;
    char two[4];
    for (unsigned char c : bytes) {
        std::snprintf(two, sizeof two, out.empty() ? "%02X" : " %02X", c);
        out += two;
    }
    return out;
}

// The hex of a source that must assemble without error ("error" when it does not).
inline std::string HexOf(const std::string& source) {
    Assembly a = Assemble(source);
    return a.ok && a.errors.empty() ? Hex(a.bytes) : "error";
}

// The error lines of a source that must fail, each ending with '\n' ("assembled" when it did not fail).
inline std::string ErrorsOf(const std::string& source) {
    Assembly a = Assemble(source);
    std::string text = a.ok ? "assembled" : "";
    for (const std::string& line : a.errors) text += line + "\n";
    return text;
}

}  // namespace kiln::test
