// kiln-asm6502: assembles a 6502 source into a plain binary, optionally with a listing.
//
//   kiln-asm6502 source.s -o out.bin [-l listing.txt]
//
// Exit status: 0 when the source assembled, 1 when it has errors (they are printed, each with its
// line, and no binary is written) or was cancelled in its progress dialog (then nothing is
// written), 2 for a wrong command line or a file that cannot be read or written.
#include "asm6502.h"
#include "run_progress.h"

#include <kiln/platform/text/user_charset.h>

#include <kiln/platform/files/path_map.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kUsage[] = "usage: kiln-asm6502 source.s -o out.bin [-l listing.txt]\n";

// The error list's text (code page 932, CR LF lines) on standard error, in the user's charset.
void PrintErrors(CError& errors) {
    const char* text = static_cast<const char*>((void*)errors);
    if (text == nullptr || errors.GetPC() == 0) return;
    std::string shown = kiln::ToUserCharset(std::string_view(text, errors.GetPC()));
    std::string lines;
    for (char c : shown)
        if (c != '\r') lines += c;
    std::fputs(lines.c_str(), stderr);
}

// Stores a buffer's bytes as they are in a file named by a host path.
bool Store(CDecode& buffer, const char* hostPath) {
    std::string path = kiln::ToWindowsPath(hostPath);
    if (buffer.SerializeRawToFile(path.c_str(), "")) return true;
    std::fprintf(stderr, "kiln-asm6502: cannot write %s\n", hostPath);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const char* source = nullptr;
    const char* output = nullptr;
    const char* listing = nullptr;
    for (int i = 1; i < argc; ++i) {
        if ((std::strcmp(argv[i], "-o") == 0 || std::strcmp(argv[i], "-l") == 0) && i + 1 < argc) {
            (argv[i][1] == 'o' ? output : listing) = argv[i + 1];
            ++i;
        } else if (argv[i][0] != '-' && source == nullptr) {
            source = argv[i];
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (source == nullptr || output == nullptr) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    CAsm6502 assembler;
    if (!assembler.TryRead(kiln::ToWindowsPath(source).c_str())) {
        std::fprintf(stderr, "kiln-asm6502: cannot read %s\n", source);
        return 2;
    }
    CError errors;
    errors.Alloc(1024);
    // The list names the source as the user wrote it: its lines are for the user to read.
    errors.AttachText(source);
    errors.AttachLine(assembler.GetLineCounter());
    errors.InterLock();
    assembler.AttachError(&errors);
    CDecode out;
    CDecode list;
    if (listing != nullptr) assembler.AttachListing(&list);

    CRunProgress progress;
    assembler.AttachProgress(&progress);
    bool assembled = assembler.Convert(&out, 0) != 0;
    progress.Close();
    if (assembler.Cancelled()) {
        errors.InterUnlock();
        std::fputs("kiln-asm6502: cancelled\n", stderr);
        return 1;
    }
    PrintErrors(errors);
    errors.InterUnlock();

    bool stored = true;
    if (assembled) stored = Store(out, output);
    if (listing != nullptr) stored = Store(list, listing) && stored;
    if (!stored) return 2;
    return assembled ? 0 : 1;
}
