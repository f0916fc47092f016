#include <kiln/convert/convert.h>

IMPLEMENT_DYNCREATE(CConvert, CReadStm)

namespace {
constexpr unsigned int kMinPreConvert = 1024;
}

CConvert::CConvert() : m_pError(nullptr), m_pDecode(nullptr), m_nOption(0), m_nPrepare(0), m_nConverter(0) {}

CConvert::CConvert(CConvert& source)
    : CReadStm(source),
      m_PreConvert(source.m_PreConvert),
      m_pError(source.m_pError),
      m_pDecode(source.m_pDecode),
      m_nOption(source.m_nOption),
      m_nPrepare(source.m_nPrepare),
      m_nConverter(source.m_nConverter) {}

CConvert::~CConvert() = default;

int CConvert::Convert(CDecode* out, int option) {
    m_pDecode = out;
    m_nOption = option;
    PrepareConvert();
    InterLock();
    if (out != nullptr) out->InterLock();
    int result = DoConvert();
    if (out != nullptr) out->InterUnlock();
    InterUnlock();
    DestroyConvert();
    return result;
}

int CConvert::PreConvert(const char* ext) {
    if (!m_PreConvert.IsAttached()) {
        unsigned int size = GetLength() >> 1;
        m_PreConvert.Alloc(size < kMinPreConvert ? kMinPreConvert : size);
        // Every run emits from the start of its new block, even after an earlier PreConvert.
        m_PreConvert.Relocate(0);
    }
    m_PreConvert.AttachText(this);
    m_PreConvert.InterLock();
    InterLock();
    DoPreConvert(&m_PreConvert);
    InterUnlock();
    m_PreConvert.InterUnlock();
    m_PreConvert.SmartSize();
    if (ext != nullptr && !m_PreConvert.SerializeRawToFile(ext)) return 0;

    unsigned int length = m_PreConvert.GetLength();
    // A buffer whose memory was lost has nothing to hand over: the source is kept.
    if (!m_PreConvert.IsAttached()) return 0;
    void* handle = m_PreConvert.DetachWithoutFree();
    Detach();
    m_nPC = 0;  // also when the source held no block for Detach to reset
    Attach(length, handle, nullptr);
    return 1;
}

void CConvert::AttachError(CError* errors) { m_pError = errors; }

int CConvert::PrepareConvert() {
    m_nPrepare = 0;
    return 1;
}

int CConvert::DestroyConvert() { return 1; }

int CConvert::DoConvert() { return 1; }

int CConvert::DoPreConvert(CDecode*) { return 1; }

int CConvert::Analyze() { return 0; }
