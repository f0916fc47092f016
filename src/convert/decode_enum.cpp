#include <kiln/convert/decode_enum.h>

#include <kiln/platform/text/mbcs.h>

IMPLEMENT_DYNCREATE(CDecodeEnum, CDecode)

CDecodeEnum::CDecodeEnum() { Initialize(); }

CDecodeEnum::CDecodeEnum(CDecodeEnum& source) : CDecode(source), m_pCounter(source.m_pCounter) {}

CDecodeEnum::~CDecodeEnum() = default;

void CDecodeEnum::Initialize() { m_pCounter = nullptr; }

BOOL CDecodeEnum::Detach() {
    if (!CDecode::Detach()) return 0;
    Initialize();
    return 1;
}

BOOL CDecodeEnum::DecodeEnum(const char* text) {
    return DecodeEnum((const void*)text, (unsigned int)std::strlen(text) + 1);
}

BOOL CDecodeEnum::DecodeEnum(const void* data, unsigned int n) {
    CloseByte();
    if (!Reserve(n)) return 0;
    Enumlate(static_cast<const char*>(data), (int)n);
    if (n != 0) std::memmove(m_pInterior + m_nPC, data, n);
    m_nPC += n;
    return 1;
}

BOOL CDecodeEnum::DecodeCharEnum(char c) { return Decode((unsigned char)c); }

BOOL CDecodeEnum::DecodeTextEnum(const char* text) {
    return DecodeEnum((const void*)text, (unsigned int)std::strlen(text));
}

int CDecodeEnum::Increment(unsigned int index) {
    if (index >= m_nLength || m_pInterior == nullptr) return 0;
    ++m_pInterior[index];
    return 1;
}

int CDecodeEnum::Enumlate(const char* data, int n) {
    if (n < 1 || m_pCounter == nullptr) return 1;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    for (int i = 0, step; i < n; i += step) {
        step = (int)kiln::CharLength(data + i, data + n);
        if (step == 2) m_pCounter->Increment(2u * (p[i] * 256u + p[i + 1]));
    }
    return 1;
}
