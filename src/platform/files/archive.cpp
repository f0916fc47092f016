#include <kiln/platform/files/archive.h>

#include <iconv.h>

#include <algorithm>
#include <climits>
#include <string>
#include <unordered_map>
#include <vector>

#include <kiln/platform/files/file.h>
#include <kiln/platform/runtime/byte_order.h>

#include <sys/stat.h>

#include "platform/files/archive_left.h"

namespace {

// Tags of the object format.
constexpr WORD wNullTag = 0x0000;
constexpr WORD wNewClassTag = 0xFFFF;
constexpr WORD wClassTag = 0x8000;
constexpr DWORD dwBigClassTag = 0x80000000;
constexpr WORD wBigObjectTag = 0x7FFF;
constexpr DWORD nMaxMapCount = 0x3FFFFFFE;

constexpr UINT nBufSizeMin = 128;
// Class names are read into a buffer of this size, terminator included.
constexpr UINT nMaxClassName = 64;
// Long strings are read in pieces of this size, so a garbled length cannot make us allocate memory
// the archive has no bytes for.
constexpr size_t nStringChunk = 1 << 20;
// Objects whose Serialize loads further objects nest on the stack. An archive may nest them no
// deeper than this; a deeper one is taken for garbage rather than let it exhaust the stack.
constexpr UINT nMaxObjectDepth = 1000;

}  // namespace

struct CArchive::ObjectMap {
    enum Kind : BYTE { object, klass, lost };
    struct Entry {
        const void* p;
        UINT nSchema;
        Kind kind;
    };
    std::unordered_map<const void*, DWORD> store;   // storing: class or object -> index
    std::vector<Entry> load{{nullptr, 0, object}};  // loading: index -> entry; 0 is the null pointer
    DWORD nCount = 1;                               // next index
    UINT nDepth = 0;                                // objects being loaded, one inside the other
};

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf)
    : m_strFileName(pFile != nullptr ? pFile->GetFilePath() : CString()),
      m_nMode(nMode),
      m_pFile(pFile),
      m_nBufSize(std::max<UINT>(nBufSize < 0 ? 0 : nBufSize, nBufSizeMin)) {
    // A caller's buffer smaller than the minimum could not take every value whole: use our own.
    m_bUserBuf = lpBuf != nullptr && nBufSize >= (int)nBufSizeMin;
    m_lpBufStart = m_bUserBuf ? static_cast<BYTE*>(lpBuf) : new BYTE[m_nBufSize];
    m_lpBufMax = m_lpBufStart + m_nBufSize;
    m_lpBufCur = IsLoading() ? m_lpBufMax : m_lpBufStart;
}

CArchive::~CArchive() {
    if (m_pFile != nullptr && !(m_nMode & bNoFlushOnDelete)) {
        try {
            Close();
        } catch (CException* e) {
            e->Delete();
        } catch (...) {}
    }
    Abort();
    if (!m_bUserBuf) delete[] m_lpBufStart;
}

UINT CArchive::GetObjectSchema() {
    UINT nResult = m_nObjectSchema;
    m_nObjectSchema = (UINT)-1;
    return nResult;
}

void CArchive::Throw(int cause) const { AfxThrowArchiveException(cause, m_strFileName); }

void CArchive::Flush() {
    if (m_pFile == nullptr) return;
    if (IsLoading()) {
        if (m_lpBufMax != m_lpBufCur) m_pFile->Seek(-(LONGLONG)(m_lpBufMax - m_lpBufCur), CFile::current);
        m_lpBufCur = m_lpBufMax;
    } else {
        if (m_lpBufCur != m_lpBufStart) m_pFile->Write(m_lpBufStart, (UINT)(m_lpBufCur - m_lpBufStart));
        m_lpBufCur = m_lpBufStart;
    }
}

void CArchive::Close() {
    Flush();
    Abort();
}

void CArchive::Abort() {
    m_pFile = nullptr;
    // An empty window in either mode: every later transfer takes the slow path, which refuses it.
    m_lpBufCur = m_lpBufMax = m_lpBufStart;
    m_pMap.reset();
}

UINT CArchive::Fill(UINT nNeeded) {
    UINT nHave = (UINT)(m_lpBufMax - m_lpBufCur);
    if (m_lpBufCur != m_lpBufStart) {
        memmove(m_lpBufStart, m_lpBufCur, nHave);
        m_lpBufCur = m_lpBufStart;
        m_lpBufMax = m_lpBufStart + nHave;
    }
    while (nHave < nNeeded) {
        UINT nRead = m_pFile->Read(m_lpBufMax, m_nBufSize - nHave);
        if (nRead == 0) break;
        nHave += nRead;
        m_lpBufMax += nRead;
    }
    return nHave;
}

void CArchive::PutSlow(const void* p, UINT n) { Write(p, n); }

void CArchive::GetSlow(void* p, UINT n) {
    if (!IsLoading()) Throw(CArchiveException::writeOnly);
    if (m_pFile == nullptr) Throw(CArchiveException::genericException);
    if (Fill(n) < n) Throw(CArchiveException::endOfFile);
    memcpy(p, m_lpBufCur, n);
    m_lpBufCur += n;
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
    if (nMax == 0) return 0;
    if (!IsLoading()) Throw(CArchiveException::writeOnly);
    BYTE* pDest = static_cast<BYTE*>(lpBuf);
    UINT nLeft = nMax;
    UINT n = std::min(nLeft, (UINT)(m_lpBufMax - m_lpBufCur));
    memcpy(pDest, m_lpBufCur, n);
    m_lpBufCur += n;
    pDest += n;
    nLeft -= n;
    if (nLeft == 0) return nMax;
    if (m_pFile == nullptr) Throw(CArchiveException::genericException);
    // Whole buffers' worth go straight from the file; the rest through the buffer.
    UINT nDirect = nLeft - nLeft % m_nBufSize;
    while (nDirect > 0) {
        UINT nRead = m_pFile->Read(pDest, nDirect);
        if (nRead == 0) return nMax - nLeft;
        pDest += nRead;
        nLeft -= nRead;
        nDirect -= nRead;
    }
    if (nLeft > 0) {
        n = std::min(nLeft, Fill(nLeft));
        memcpy(pDest, m_lpBufCur, n);
        m_lpBufCur += n;
        nLeft -= n;
    }
    return nMax - nLeft;
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
    if (nMax == 0) return;
    if (!IsStoring()) Throw(CArchiveException::readOnly);
    if (m_pFile == nullptr) Throw(CArchiveException::genericException);
    const BYTE* pSrc = static_cast<const BYTE*>(lpBuf);
    UINT n = std::min(nMax, (UINT)(m_lpBufMax - m_lpBufCur));
    memcpy(m_lpBufCur, pSrc, n);
    m_lpBufCur += n;
    pSrc += n;
    nMax -= n;
    if (nMax == 0) return;
    // The buffer is full: write it, then whole buffers' worth straight to the file.
    Flush();
    UINT nDirect = nMax - nMax % m_nBufSize;
    if (nDirect > 0) m_pFile->Write(pSrc, nDirect);
    memcpy(m_lpBufCur, pSrc + nDirect, nMax - nDirect);
    m_lpBufCur += nMax - nDirect;
}

void CArchive::WriteString(LPCTSTR lpsz) {
    if (lpsz != nullptr) Write(lpsz, (UINT)strlen(lpsz));
}

BOOL CArchive::ReadString(CString& rString) {
    if (!IsLoading()) Throw(CArchiveException::writeOnly);
    std::string line;
    bool bAny = false;
    char ch;
    while (Read(&ch, 1) == 1) {
        bAny = true;
        if (ch == '\n') break;
        if (ch == '\r') {
            // "\r\n" is one line end; a lone "\r" ends the line too and the next byte stays unread.
            if ((m_lpBufCur != m_lpBufMax || Fill(1) > 0) && *m_lpBufCur == '\n') ++m_lpBufCur;
            break;
        }
        line += ch;
    }
    rString.SetString(line.data(), (int)line.size());
    return bAny;
}

// --- strings -----------------------------------------------------------------------------------

void CArchive::WriteCount(DWORD_PTR dwCount) {
    if (dwCount < 0xFFFF) {
        *this << (WORD)dwCount;
        return;
    }
    *this << (WORD)0xFFFF;
    if (dwCount < 0xFFFFFFFF)
        *this << (DWORD)dwCount;
    else
        *this << (DWORD)0xFFFFFFFF << (ULONGLONG)dwCount;
}

DWORD_PTR CArchive::ReadCount() {
    WORD wCount;
    *this >> wCount;
    if (wCount != 0xFFFF) return wCount;
    DWORD dwCount;
    *this >> dwCount;
    if (dwCount != 0xFFFFFFFF) return dwCount;
    ULONGLONG qwCount;
    *this >> qwCount;
    return (DWORD_PTR)qwCount;
}

CArchive& CArchive::operator<<(LPCSTR psz) { return *this << CString(psz); }

CArchive& operator<<(CArchive& ar, const CString& str) {
    UINT nLength = (UINT)str.GetLength();
    if (nLength < 0xFF) {
        ar << (BYTE)nLength;
    } else {
        ar << (BYTE)0xFF;
        if (nLength < 0xFFFE)
            ar << (WORD)nLength;
        else
            ar << (WORD)0xFFFF << (DWORD)nLength;
    }
    ar.Write(str.GetString(), nLength);
    return ar;
}

namespace {

// The length prefix: a byte, else 0xFF and a WORD, else 0xFFFF and a DWORD, else 0xFFFFFFFF and a
// ULONGLONG. A 0xFF 0xFFFE prefix in front marks a string of UTF-16 units.
ULONGLONG ReadStringLength(CArchive& ar, bool& bUnicode) {
    BYTE bLength;
    WORD wLength;
    DWORD dwLength;
    ULONGLONG qwLength;
    bUnicode = false;
    ar >> bLength;
    if (bLength < 0xFF) return bLength;
    ar >> wLength;
    if (wLength == 0xFFFE) {
        bUnicode = true;
        ar >> bLength;
        if (bLength < 0xFF) return bLength;
        ar >> wLength;
    }
    if (wLength < 0xFFFF) return wLength;
    ar >> dwLength;
    if (dwLength < 0xFFFFFFFF) return dwLength;
    ar >> qwLength;
    return qwLength;
}

// Reads exactly nBytes, growing the result only as bytes arrive.
std::string ReadExactly(CArchive& ar, size_t nBytes) {
    std::string bytes;
    bytes.resize(std::min(nBytes, nStringChunk));
    size_t nDone = 0;
    while (nDone < nBytes) {
        if (bytes.size() == nDone) bytes.resize(std::min(nBytes, nDone + nStringChunk));
        UINT nWant = (UINT)(bytes.size() - nDone);
        UINT nRead = ar.Read(bytes.data() + nDone, nWant);
        nDone += nRead;
        if (nRead < nWant) AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
    }
    return bytes;
}

// UTF-16LE to code page 932. A character that code page 932 lacks (or a broken surrogate) becomes
// one '?', as Windows' own conversion substitutes its default character.
std::string Utf16ToCp932(const std::string& in, LPCTSTR lpszArchiveName) {
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    if (cd == (iconv_t)-1) AfxThrowArchiveException(CArchiveException::genericException, lpszArchiveName);
    // Every UTF-16 unit gives at most two bytes, so the output never outgrows the input.
    std::string out(in.size(), '\0');
    char* pIn = const_cast<char*>(in.data());
    size_t nIn = in.size();
    char* pOut = out.data();
    size_t nOut = out.size();
    while (nIn > 0) {
        if (iconv(cd, &pIn, &nIn, &pOut, &nOut) != (size_t)-1) break;
        // Skip the unit (or the whole surrogate pair) that could not be converted.
        WORD unit = (WORD)kiln::LoadLE((const unsigned char*)pIn, 2);
        size_t nSkip = 2;
        if (unit >= 0xD800 && unit < 0xDC00 && nIn >= 4) {
            WORD next = (WORD)kiln::LoadLE((const unsigned char*)pIn + 2, 2);
            if (next >= 0xDC00 && next < 0xE000) nSkip = 4;
        }
        pIn += nSkip;
        nIn -= nSkip;
        *pOut++ = '?';
        --nOut;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    out.resize(out.size() - nOut);
    return out;
}

}  // namespace

CArchive& operator>>(CArchive& ar, CString& str) {
    bool bUnicode;
    ULONGLONG nLength = ReadStringLength(ar, bUnicode);
    // A CString holds at most INT_MAX bytes; a longer length is not a string this side can load.
    if (nLength > (ULONGLONG)INT_MAX)
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
    std::string bytes = ReadExactly(ar, (size_t)nLength * (bUnicode ? 2 : 1));
    if (bUnicode) bytes = Utf16ToCp932(bytes, ar.m_strFileName);
    str.SetString(bytes.data(), (int)bytes.size());
    return ar;
}

// --- objects -----------------------------------------------------------------------------------

void CRuntimeClass::Store(CArchive& ar) const {
    WORD nLen = (WORD)strlen(m_lpszClassName);
    ar << (WORD)m_wSchema << nLen;
    ar.Write(m_lpszClassName, nLen);
}

const CRuntimeClass* CRuntimeClass::Load(CArchive& ar, UINT* pwSchemaNum) {
    WORD wSchema;
    WORD nLen;
    ar >> wSchema >> nLen;
    if (pwSchemaNum != nullptr) *pwSchemaNum = wSchema;
    char szClassName[nMaxClassName];
    if (nLen >= nMaxClassName || ar.Read(szClassName, nLen) != nLen) return nullptr;
    // A name with a NUL inside is garbage, not a prefix of some class's name.
    if (memchr(szClassName, '\0', nLen) != nullptr) return nullptr;
    szClassName[nLen] = '\0';
    return FromName(szClassName);
}

CArchive::ObjectMap& CArchive::Map() {
    if (!m_pMap) m_pMap = std::make_unique<ObjectMap>();
    return *m_pMap;
}

void CArchive::CheckCount() {
    if (Map().nCount >= nMaxMapCount) Throw(CArchiveException::badIndex);
}

void CArchive::MapObject(const CObject* pOb) {
    ObjectMap& map = Map();
    if (pOb == nullptr) return;
    CheckCount();
    if (IsStoring())
        map.store[pOb] = map.nCount;
    else
        map.load.push_back({pOb, 0, ObjectMap::object});
    ++map.nCount;
}

void CArchive::WriteClass(const CRuntimeClass* pClassRef) {
    if (pClassRef->m_wSchema == 0xFFFF) AfxThrowNotSupportedException();
    if (!IsStoring()) Throw(CArchiveException::readOnly);
    ObjectMap& map = Map();
    auto it = map.store.find(pClassRef);
    if (it != map.store.end()) {
        if (it->second < wBigObjectTag)
            *this << (WORD)(wClassTag | it->second);
        else
            *this << wBigObjectTag << (dwBigClassTag | it->second);
        return;
    }
    *this << wNewClassTag;
    pClassRef->Store(*this);
    CheckCount();
    map.store[pClassRef] = map.nCount++;
}

void CArchive::WriteObject(const CObject* pOb) {
    if (!IsStoring()) Throw(CArchiveException::readOnly);
    ObjectMap& map = Map();
    if (pOb == nullptr) {
        *this << wNullTag;
        return;
    }
    auto it = map.store.find(pOb);
    if (it != map.store.end()) {
        if (it->second < wBigObjectTag)
            *this << (WORD)it->second;
        else
            *this << wBigObjectTag << it->second;
        return;
    }
    WriteClass(pOb->GetRuntimeClass());
    CheckCount();
    map.store[pOb] = map.nCount++;
    const_cast<CObject*>(pOb)->Serialize(*this);
}

void CArchive::SerializeClass(const CRuntimeClass* pClassRef) {
    if (IsStoring())
        WriteClass(pClassRef);
    else
        ReadClass(pClassRef);
}

CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRefRequested, UINT* pSchema, DWORD* pObTag) {
    if (pClassRefRequested != nullptr && pClassRefRequested->m_wSchema == 0xFFFF)
        AfxThrowNotSupportedException();
    if (!IsLoading()) Throw(CArchiveException::writeOnly);
    ObjectMap& map = Map();
    WORD wTag;
    DWORD obTag;
    *this >> wTag;
    if (wTag == wBigObjectTag)
        *this >> obTag;
    else
        obTag = ((DWORD)(wTag & wClassTag) << 16) | (wTag & ~wClassTag);

    if (!(obTag & dwBigClassTag)) {
        // An object reference where only a class may stand.
        if (pObTag == nullptr) Throw(CArchiveException::badIndex);
        *pObTag = obTag;
        return nullptr;
    }

    const CRuntimeClass* pClassRef;
    UINT nSchema;
    if (wTag == wNewClassTag) {
        pClassRef = CRuntimeClass::Load(*this, &nSchema);
        if (pClassRef == nullptr) Throw(CArchiveException::badClass);
        if ((pClassRef->m_wSchema & ~VERSIONABLE_SCHEMA) != nSchema &&
            !(pClassRef->m_wSchema & VERSIONABLE_SCHEMA))
            Throw(CArchiveException::badSchema);
        CheckCount();
        map.load.push_back({pClassRef, nSchema, ObjectMap::klass});
        ++map.nCount;
    } else {
        DWORD nClassIndex = obTag & ~dwBigClassTag;
        if (nClassIndex == 0 || nClassIndex >= map.load.size() ||
            map.load[nClassIndex].kind != ObjectMap::klass)
            Throw(CArchiveException::badIndex);
        pClassRef = static_cast<const CRuntimeClass*>(map.load[nClassIndex].p);
        nSchema = map.load[nClassIndex].nSchema;
    }

    if (pClassRefRequested != nullptr && !pClassRef->IsDerivedFrom(pClassRefRequested))
        Throw(CArchiveException::badClass);
    if (pSchema != nullptr)
        *pSchema = nSchema;
    else
        m_nObjectSchema = nSchema;
    if (pObTag != nullptr) *pObTag = obTag;
    return const_cast<CRuntimeClass*>(pClassRef);
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested) {
    UINT nSchema;
    DWORD obTag;
    const CRuntimeClass* pClassRef = ReadClass(pClassRefRequested, &nSchema, &obTag);
    ObjectMap& map = Map();

    if (pClassRef == nullptr) {
        if (obTag >= map.load.size() || map.load[obTag].kind != ObjectMap::object)
            Throw(CArchiveException::badIndex);
        CObject* pOb = const_cast<CObject*>(static_cast<const CObject*>(map.load[obTag].p));
        if (pOb != nullptr && pClassRefRequested != nullptr && !pOb->IsKindOf(pClassRefRequested))
            Throw(CArchiveException::badClass);
        return pOb;
    }

    CObject* pOb = pClassRef->CreateObject();
    if (pOb == nullptr) AfxThrowMemoryException();
    size_t nIndex = map.load.size();
    try {
        CheckCount();
        map.load.push_back({pOb, 0, ObjectMap::object});
        ++map.nCount;
    } catch (...) {
        delete pOb;
        throw;
    }
    UINT nSchemaSave = m_nObjectSchema;
    m_nObjectSchema = nSchema;
    bool bEntered = false;
    try {
        if (map.nDepth >= nMaxObjectDepth) Throw(CArchiveException::genericException);
        ++map.nDepth;
        bEntered = true;
        pOb->Serialize(*this);
        // Serialize may have closed the archive, taking the map with it.
        if (m_pMap && m_pMap->nDepth > 0) --m_pMap->nDepth;
    } catch (...) {
        if (bEntered && m_pMap && m_pMap->nDepth > 0) --m_pMap->nDepth;
        // Nobody else holds the half-loaded object: free it and make any later reference to it fail.
        if (m_pMap && nIndex < m_pMap->load.size()) m_pMap->load[nIndex] = {nullptr, 0, ObjectMap::lost};
        delete pOb;
        m_nObjectSchema = nSchemaSave;
        throw;
    }
    m_nObjectSchema = nSchemaSave;
    return pOb;
}

CArchive& operator<<(CArchive& ar, const CObject* pOb) {
    ar.WriteObject(pOb);
    return ar;
}

CArchive& operator>>(CArchive& ar, CObject*& pOb) {
    pOb = ar.ReadObject(nullptr);
    return ar;
}

CArchive& operator>>(CArchive& ar, const CObject*& pOb) {
    pOb = ar.ReadObject(nullptr);
    return ar;
}

ULONGLONG kiln::ArchiveBytesLeft(const CArchive& ar) {
    ULONGLONG nBuffered = (ULONGLONG)(ar.m_lpBufMax - ar.m_lpBufCur);
    CFile* pFile = ar.m_pFile;
    if (pFile == nullptr) return nBuffered;
    struct stat st;
    if (pFile->m_hFile != CFile::hFileNull &&
        (fstat((int)(intptr_t)pFile->m_hFile, &st) != 0 || !S_ISREG(st.st_mode)))
        return kArchiveLengthUnknown;
    try {
        ULONGLONG nLength = pFile->GetLength();
        ULONGLONG nPosition = pFile->GetPosition();
        return nBuffered + (nLength > nPosition ? nLength - nPosition : 0);
    } catch (CException* e) {
        e->Delete();
        return kArchiveLengthUnknown;
    }
}

bool kiln::ArchiveMayHold(const CArchive& ar, ULONGLONG nLength) {
    constexpr ULONGLONG nShortBy = 1 << 20;
    ULONGLONG nLeft = ArchiveBytesLeft(ar);
    return nLeft == kArchiveLengthUnknown || nLength <= nLeft || nLength - nLeft <= nShortBy;
}
