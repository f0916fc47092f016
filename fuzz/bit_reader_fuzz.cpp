// The bit reader (and the byte and text readers it is built on) over an arbitrary chunk. The first
// byte says how many script bytes follow (at most 63), each one a read and its width; the rest is
// the chunk. Reads past the end give 0 and never touch memory outside the chunk.
#include <kiln/core/heap_interface.h>
#include <kiln/stream/read_bit_stm_ptr.h>
#include <kiln/stream/read_text_stm_ptr.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kiln::fuzz::QuietBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto [script, scriptLength, chunk, chunkLength] = kiln::fuzz::SplitScript(data, size);
    const auto length = (unsigned int)chunkLength;

    CAllocInterface heap;
    if (!heap.Alloc((int)length)) return 0;
    if (length != 0) {
        std::memcpy(heap.Lock(), chunk, length);
        heap.Unlock();
    }
    CReadBitStmPtr bits(&heap);
    std::vector<char> sink(length + 16);
    for (size_t i = 0; i < scriptLength; ++i) {
        int arg = script[i] >> 3;
        switch (script[i] & 7) {
        case 0: bits.FetchBits(arg + 1); break;
        case 1: bits.FetchBit(); break;
        case 2: bits.FetchBits(arg * 2 - 16); break;
        case 3:
            bits.FetchByte();
            bits.Fetch3ByteBA();
            break;
        case 4: bits.Seek(arg - 16); break;
        case 5: bits.Read((unsigned int)arg * 7, sink.data(), (unsigned int)arg); break;
        case 6: bits.Alignment((unsigned int)arg, 1); break;
        default: bits.SeekFromEnd((unsigned int)arg); break;
        }
    }
    bits.Close();

    CReadTextStmPtr text(&heap);
    while (!text.IsFinished() && text.Fetch(sink.data()) != 0) {}
    text.ReadToSztext(length / 2, sink.data(), std::min<unsigned int>(length / 2, 15));
    text.Close();
    heap.Free();
    return 0;
}
