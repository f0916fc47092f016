// The reading operations that CReadStm and CRwStm share, run as one script on either reader. Its log
// ("name=result@counter", and "#lines" after a skip) shows where their bounds differ: the source
// reader never fetches its last byte, the read/write stream reads up to its PC.
#pragma once

#include <kiln/convert/read_stm.h>
#include <kiln/convert/rw_stm.h>

#include <sstream>
#include <string>

namespace kiln::test {

// What the reader holds when the script runs: 13 bytes, the last one 0x99.
inline const std::string kScriptBytes(
    "\x20\x09\x0D\x0A"
    "ab1\0"
    "\x12\x34\x56\x78\x99",
    13);

inline unsigned Counter(CReadStm& r) { return r.GetPC(); }
inline unsigned Counter(CRwStm& r) { return r.GetRPC(); }
inline void SetCounter(CReadStm& r, unsigned pc) { r.SetPC(pc); }
inline void SetCounter(CRwStm& r, unsigned rpc) { r.SetRPC(rpc); }
inline BOOL Align(CReadStm& r, unsigned n, unsigned base) {
    return base ? r.Alignment(n, base) : r.Alignment(n);
}
inline BOOL Align(CRwStm& r, unsigned n, unsigned base) {
    return base ? r.ReadAlignment(n, base) : r.ReadAlignment(n);
}
inline BOOL Peek(CReadStm& r, unsigned off, void* dst, unsigned n) { return r.Gets(off, dst, n); }
inline BOOL Peek(CRwStm& r, unsigned off, void* dst, unsigned n) { return r.FetchPoint(off, dst, n); }

template <class R>
std::string ReadingScript(R& r) {
    std::ostringstream log;
    unsigned lines = 0, logged = 0;
    auto step = [&](const char* name, unsigned from, auto operation) {
        SetCounter(r, from);
        unsigned long result = operation();
        log << name << "=" << std::hex << result << "@" << Counter(r) << std::dec;
        if (lines != logged) log << "#" << (logged = lines);
        log << " ";
    };
    struct StopAtB : CSkipObject {
        BOOL IsSkipEx(int c) override { return c == 'b' ? 7 : 0; }
    } stopAtB;
    CSkipAlpherbet letters;
    CSkipNotAlpher toLetter;
    CSkipObject plain;
    step("white", 0, [&] { return r.SkipWhiteSpace(lines); });
    step("letters", 4, [&] { return r.SkipEx(&letters, lines); });
    step("plain", 6, [&] { return r.SkipEx(&plain, lines); });
    step("null", 6, [&] { return r.SkipEx(nullptr, lines); });
    step("toLetter", 6, [&] { return r.SkipEx(&toLetter, lines); });
    // The predicate's own answer is the result; the white- and black-space forms stop where the
    // predicate says, whatever the byte's class. Each one counts the carriage return again.
    step("atB", 0, [&] { return r.SkipEx(&stopAtB, lines); });
    step("whiteAtB", 0, [&] { return r.SkipWhiteSpaceEx(&stopAtB, lines); });
    step("blackAtB", 0, [&] { return r.SkipBlackSpaceEx(&stopAtB, lines); });
    step("skip3", 0, [&] { return r.Skip(3, lines); });
    step("skip0", 0, [&] { return r.Skip(0, lines); });  // a count of 0 wraps: the skip runs to the end
    step("letters", 10, [&] { return r.SkipEx(&letters, lines); });  // the last byte ends it, unread
    step("4LA", 8, [&] { return r.Fetch4ByteLA(); });
    step("4BA", 8, [&] { return r.Fetch4ByteBA(); });
    step("3LA", 8, [&] { return r.Fetch3ByteLA(); });
    step("3BA", 8, [&] { return r.Fetch3ByteBA(); });
    step("2LA", 8, [&] { return r.Fetch2ByteLA(); });
    step("2BA", 8, [&] { return r.Fetch2ByteBA(); });
    step("word", 8, [&] { return r.FetchWord(); });
    step("dword", 8, [&] { return r.FetchDword(); });
    step("4BA", 9, [&] { return r.Fetch4ByteBA(); });          // up to the last byte
    step("byte", 12, [&] { return r.FetchByte(); });           // the last byte
    step("byte", 13, [&] { return r.FetchByte(); });           // past the end: the counter still moves
    step("byte", 0xFFFFFFFFu, [&] { return r.FetchByte(); });  // a negative old counter
    step("2LA", 0x80000000u, [&] { return r.Fetch2ByteLA(); });
    step("4BA", 0xFFFFFFFEu, [&] { return r.Fetch4ByteBA(); });  // wraps below the end, all the same
    unsigned char dst[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    step("n3", 8, [&] { return r.Fetch(dst, 3); });
    step("n1", 12, [&] { return r.Fetch(dst + 3, 1); });
    // The reader must refuse the copy; the length goes through a volatile so that the compiler does
    // not warn about a copy that cannot fit.
    volatile unsigned huge = 0xFFFFFFFFu;
    step("wrap", 1, [&] { return r.Fetch(dst, huge); });  // an end past 2^32 - 1
    log << "dst=" << std::string((char*)dst, 4) << " ";
    step("sz", 4, [&] { return r.Fetch((char*)dst); });
    step("sz", 9, [&] { return r.Fetch((char*)dst); });  // no NUL before the end
    log << "dst=" << std::string((char*)dst, 5) << " ";
    SetCounter(r, 0);
    for (int delta : {2, -2, -1, 1, 13, 1}) log << "seek" << delta << "=" << r.Seek(delta) << " ";
    log << "@" << Counter(r) << " ";
    step("align4", 5, [&] { return Align(r, 4, 0); });
    step("align4", 8, [&] { return Align(r, 4, 0); });
    step("align4+2", 5, [&] { return Align(r, 4, 2); });
    step("align0", 5, [&] { return Align(r, 0, 0); });
    step("align13", 9, [&] { return Align(r, 13, 0); });  // the counter stays moved
    log << "peeks=" << std::hex << (unsigned)r.GetByte(12) << "," << (unsigned)r.GetByte(13) << ","
        << r.GetWord(11) << "," << r.GetWord(12) << "," << r.GetDword(9) << "," << r.GetDword(10) << ","
        << r.GetDword(0xFFFFFFFEu) << "," << Peek(r, 9, dst, 3) << Peek(r, 9, dst, 4)
        << Peek(r, 0xFFFFFFFFu, dst, 2);
    CDecode out;
    out.Alloc(0);
    out.InterLock();
    log << " toDecode=" << r.ToDecode(&out, 3, 3) << r.ToDecode(&out, 0, 13) << r.ToDecode(&out, 4, 2)
        << r.ToDecode(&out, 4, 12) << "@" << std::dec << Counter(r) << ":" << out.GetPC() << ","
        << std::string((const char*)(void*)out, 3);
    out.InterUnlock();
    return log.str();
}

}  // namespace kiln::test
