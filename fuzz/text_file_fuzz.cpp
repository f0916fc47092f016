// The text buffer's file forms over an arbitrary file: the check-word record and the raw record are
// loaded by the text buffer and by the output buffer, the whole file by the source reader, and what
// loaded is stored again and must come back the same.
#include <kiln/convert/decode.h>
#include <kiln/convert/read_stm.h>
#include <kiln/core/text_alloc.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"

namespace {

std::string Contents(CTextAlloc& buffer) {
    const char* p = static_cast<const char*>(buffer.Lock());
    std::string bytes = p != nullptr ? std::string(p, buffer.GetLength()) : std::string();
    buffer.Unlock();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kiln::fuzz::QuietBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = kiln::fuzz::ScratchDir() + "/in.rec";
    const std::string out = kiln::fuzz::ScratchDir() + "/out.rec";
    kiln::fuzz::WriteWhole(in, data, size);

    for (BOOL raw : {0, 1}) {
        CTextAlloc text;
        if (text.SerializeFromFile(in.c_str(), raw)) {
            std::string loaded = Contents(text);
            KILN_FUZZ_CHECK(text.SerializeToFile(out.c_str(), "", raw) == 1);
            CTextAlloc back;
            KILN_FUZZ_CHECK(back.SerializeFromFile(out.c_str(), raw) == 1);
            KILN_FUZZ_CHECK(Contents(back) == loaded);
        }
        CDecode decode;
        decode.SerializeFromFile(in.c_str(), raw);
    }
    CReadStm reader;
    if (reader.TryRead(in.c_str())) KILN_FUZZ_CHECK(Contents(reader) == std::string((const char*)data, size));
    return 0;
}
