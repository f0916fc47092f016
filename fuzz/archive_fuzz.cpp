// Loads arbitrary bytes as an archive. Each step reads an operation byte from the archive itself and
// then what that operation loads: objects by their class tags (the memory block is serial, the text
// buffers are creatable), the memory block and text buffer records, strings and text lines. Loading
// goes on until the archive is used up or refuses; refusals are archive exceptions, never a crash.
#include <kiln/convert/decode.h>
#include <kiln/core/alloc.h>
#include <kiln/core/text_alloc.h>
#include <kiln/platform/files/archive.h>
#include <kiln/platform/files/mem_file.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kiln::fuzz::QuietBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the archive's buffer size, so that reads cross buffer ends everywhere.
    CMemFile file(const_cast<BYTE*>(data + 1), (UINT)(size - 1));
    CArchive ar(&file, CArchive::load, 128 + (data[0] & 3) * 1000);
    // Objects stay alive to the end: later tags may refer to them.
    std::set<std::unique_ptr<CObject>> objects;
    try {
        for (int step = 0; step < 256; ++step) {
            BYTE op;
            ar >> op;
            switch (op % 10) {
            case 0: {
                CObject* pOb = nullptr;
                ar >> pOb;
                bool known = false;
                for (const auto& owned : objects) known = known || owned.get() == pOb;
                if (pOb != nullptr && !known) objects.emplace(pOb);
                break;
            }
            case 1: {
                CAlloc block;
                block.Serialize(ar);
                break;
            }
            case 2: {
                CTextAlloc text;
                text.Serialize(ar);
                break;
            }
            case 3: {
                CTextAlloc text;
                text.ReadSerialize(ar);
                break;
            }
            case 4: {
                CDecode out;
                out.Serialize(ar);
                break;
            }
            case 5: {
                CString s;
                ar >> s;
                break;
            }
            case 6: {
                CString line;
                ar.ReadString(line);
                break;
            }
            case 7: ar.ReadClass(); break;
            case 8: {
                BYTE bytes[300];
                ar.Read(bytes, op);
                break;
            }
            default: {
                CTextAlloc raw;  // the rest of the file
                raw.SerializeRaw(ar);
                break;
            }
            }
        }
    } catch (CException* e) {
        e->Delete();
    }
    return 0;
}
