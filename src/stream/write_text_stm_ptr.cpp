#include <kiln/stream/write_text_stm_ptr.h>

#include <cstring>

IMPLEMENT_DYNAMIC(CWriteTextStmPtr, CWriteStmPtr)

int CWriteTextStmPtr::Decode(const char* s) { return Decode(s, (unsigned int)std::strlen(s)); }

int CWriteTextStmPtr::DecodeWithNull(const char* s) { return Decode(s, (unsigned int)std::strlen(s) + 1); }

int CWriteTextStmPtr::DecodeLine(const char* s) {
    if (!Decode(s)) return 0;
    if (!Decode((unsigned char)0x0D)) return 0;
    return Decode((unsigned char)0x0A);
}
