#include <kiln/stream/read_stm_ptr.h>

#include <cstring>

#include <kiln/platform/runtime/byte_order.h>

IMPLEMENT_DYNAMIC(CReadStmPtr, CChankPtr)

namespace {

unsigned long Little(const unsigned char* p, unsigned n) { return (unsigned long)kiln::LoadLE(p, n); }
unsigned long Big(const unsigned char* p, unsigned n) { return (unsigned long)kiln::LoadBE(p, n); }

}  // namespace

int CReadStmPtr::Fetch(void* out, unsigned int n) {
    const unsigned char* p = Take(n);
    if (p == nullptr) return 0;
    if (n != 0) std::memcpy(out, p, n);
    return 1;
}

unsigned char CReadStmPtr::FetchByte() {
    const unsigned char* p = Take(1);
    return p != nullptr ? *p : 0;
}

unsigned short CReadStmPtr::Fetch2ByteLA() {
    const unsigned char* p = Take(2);
    return p != nullptr ? (unsigned short)Little(p, 2) : 0;
}

unsigned short CReadStmPtr::Fetch2ByteBA() {
    const unsigned char* p = Take(2);
    return p != nullptr ? (unsigned short)Big(p, 2) : 0;
}

unsigned long CReadStmPtr::Fetch3ByteLA() {
    const unsigned char* p = Take(3);
    return p != nullptr ? Little(p, 3) : 0;
}

unsigned long CReadStmPtr::Fetch3ByteBA() {
    const unsigned char* p = Take(3);
    return p != nullptr ? Big(p, 3) : 0;
}

unsigned long CReadStmPtr::Fetch4ByteLA() {
    const unsigned char* p = Take(4);
    return p != nullptr ? Little(p, 4) : 0;
}

unsigned long CReadStmPtr::Fetch4ByteBA() {
    const unsigned char* p = Take(4);
    return p != nullptr ? Big(p, 4) : 0;
}

int CReadStmPtr::Read(unsigned int offset, void* out, unsigned int n) {
    const unsigned char* p = At(offset, n);
    if (p == nullptr) return 0;
    if (n != 0) std::memcpy(out, p, n);
    return 1;
}

unsigned char CReadStmPtr::ReadByte(unsigned int offset) {
    const unsigned char* p = At(offset, 1);
    return p != nullptr ? *p : 0;
}

unsigned short CReadStmPtr::ReadWord(unsigned int offset) {
    const unsigned char* p = At(offset, 2);
    return p != nullptr ? (unsigned short)Little(p, 2) : 0;
}

unsigned long CReadStmPtr::ReadDword(unsigned int offset) {
    const unsigned char* p = At(offset, 4);
    return p != nullptr ? Little(p, 4) : 0;
}

unsigned long CReadStmPtr::Read3ByteLA(unsigned int offset) {
    const unsigned char* p = At(offset, 3);
    return p != nullptr ? Little(p, 3) : 0;
}
