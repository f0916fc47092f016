// The example assembler end to end over an arbitrary source: both passes, the error list, the label
// table and the listing. Any source is assembled or refused with its errors, never a crash.
#include "asm6502.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kiln::fuzz::QuietBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string source(reinterpret_cast<const char*>(data), size);
    CAsm6502 assembler;
    assembler.Attach(source.data(), (unsigned int)source.size(), "t.s");
    CError errors;
    errors.Alloc(1024);
    errors.AttachText("t.s");
    errors.AttachLine(assembler.GetLineCounter());
    errors.InterLock();
    assembler.AttachError(&errors);
    CDecode out;
    CDecode listing;
    assembler.AttachListing(&listing);
    BOOL assembled = assembler.Convert(&out, 0);
    // A source that assembled has no errors; one that did not has at least one.
    KILN_FUZZ_CHECK((assembled != 0) == (assembler.GetErrorCount() == 0));
    errors.InterUnlock();
    return 0;
}
