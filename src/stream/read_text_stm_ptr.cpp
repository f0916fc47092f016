#include <kiln/stream/read_text_stm_ptr.h>

#include <cstring>

IMPLEMENT_DYNAMIC(CReadTextStmPtr, CReadStmPtr)

int CReadTextStmPtr::Fetch(char* out) {
    unsigned int length = ReachableLength();
    if (m_nPC >= length) return 0;
    const unsigned char* from = m_pChank + m_nPC;
    unsigned int left = length - m_nPC;
    const void* nul = std::memchr(from, 0, left);
    unsigned int n =
        nul != nullptr ? (unsigned int)(static_cast<const unsigned char*>(nul) - from) + 1 : left;
    std::memcpy(out, from, n);
    m_nPC += n;
    return nul != nullptr ? 1 : 0;
}

int CReadTextStmPtr::ReadToSztext(unsigned int offset, char* out, unsigned int n) {
    const unsigned char* p = At(offset, n);
    if (p == nullptr) return 0;
    if (n != 0) std::memcpy(out, p, n);
    out[n] = '\0';
    return 1;
}
