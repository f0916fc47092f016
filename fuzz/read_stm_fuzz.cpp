// The source reader's skips, fetches and peeks over arbitrary text. The input is a script and a
// text: its first byte says how many script bytes follow (at most 63), each one an operation and an
// argument; the rest is the text the reader holds. No operation may reach outside the buffer, whatever the
// position.
#include <kiln/convert/decode.h>
#include <kiln/convert/read_stm.h>
#include <kiln/convert/skip_object.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

// Stops at a byte given by the script.
class CSkipTo : public CSkipObject {
public:
    explicit CSkipTo(unsigned char stop) : m_stop(stop) {}

protected:
    BOOL IsSkipEx(int c) override { return (c & 0xFF) == m_stop ? 1 : 0; }

private:
    unsigned char m_stop;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kiln::fuzz::QuietBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto [script, scriptLength, textData, textLength] = kiln::fuzz::SplitScript(data, size);
    std::string text(reinterpret_cast<const char*>(textData), textLength);

    CReadStm reader;
    if (reader.Attach(text.data(), (unsigned int)text.size(), "t.s") == nullptr && !text.empty()) return 0;
    reader.InterLock();
    CDecode out;
    out.Alloc(16);
    std::vector<char> sink(text.size() + 16);
    unsigned int lines = 0;
    CSkipAlpherbet letters;
    CSkipNotAlpher toLetter;
    for (size_t i = 0; i < scriptLength; ++i) {
        unsigned int arg = script[i] >> 4;
        unsigned int before = reader.GetPC();
        switch (script[i] & 15) {
        case 0: reader.Skip(arg, lines); break;
        case 1: reader.SkipWhiteSpace(lines); break;
        case 2: {
            CSkipTo to((unsigned char)"\n\r ;:,\"'()"[arg % 10]);
            reader.SkipEx(&to, lines);
            break;
        }
        case 3:
            reader.SkipWhiteSpaceEx(arg & 1 ? static_cast<CSkipObject*>(&letters) : &toLetter, lines);
            break;
        case 4: reader.SkipBlackSpaceEx(arg & 1 ? &letters : nullptr, lines); break;
        case 5: reader.Fetch(sink.data(), arg); break;
        case 6: reader.Fetch(sink.data()); break;
        case 7:
            reader.FetchByte();
            reader.Fetch2ByteBA();
            reader.Fetch3ByteLA();
            break;
        case 8:
            reader.Fetch4ByteBA();
            reader.FetchDword();
            break;
        case 9:
            reader.GetDword(before + arg);
            reader.GetWord(before - arg);
            reader.GetByte(arg * 997);
            break;
        case 10:
            reader.GetsToSztext(before, sink.data(), std::min<unsigned int>(arg * 3, (unsigned)text.size()));
            break;
        case 11: reader.Seek((int)arg - 8); break;
        case 12: reader.SetPC(arg * 31); break;
        case 13: reader.Alignment(arg + 1, arg >> 1); break;
        case 14: reader.ToDecode(&out, before, before + arg); break;
        default:
            reader.GetPtr(before + arg);
            reader.IsFinished();
            break;
        }
    }
    reader.InterUnlock();
    return 0;
}
