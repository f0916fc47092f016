#include <kiln/platform/text/cstring.h>

#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/text/mbcs.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

inline const char* Safe(LPCSTR psz) { return psz ? psz : ""; }

// Runs a growing operation, turning an allocation failure into MFC's memory exception.
template <class F>
void Grow(F&& f) {
    try {
        f();
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    } catch (const std::length_error&) {
        AfxThrowMemoryException();
    }
}

// Byte length of the character at s[i] (1, or 2 for a lead byte followed by a trail byte).
inline size_t CharLen(const std::string& s, size_t i) {
    return kiln::CharLength(s.data() + i, s.data() + s.size());
}

// True when the single-byte character c occurs in the set, as a single-byte character.
bool InSet(const char* set, char c) {
    return c != '\0' && _mbschr((const unsigned char*)set, (unsigned char)c) != nullptr;
}

// True when the character at s[i] (of length len) belongs to the set of characters in `set`.
bool CharInSet(const std::string& s, size_t i, size_t len, const char* set) {
    if (len == 1) return InSet(set, s[i]);
    unsigned code = ((unsigned char)s[i] << 8) | (unsigned char)s[i + 1];
    return _mbschr((const unsigned char*)set, code) != nullptr;
}

}  // namespace

CString::CString(LPCSTR psz) : m_str(Safe(psz)) {}
CString::CString(const unsigned char* psz) : m_str(Safe((LPCSTR)psz)) {}
CString::CString(LPCSTR pch, int nLength) {
    if (pch != nullptr && nLength > 0) m_str.assign(pch, (size_t)nLength);
}
CString::CString(char ch, int nRepeat) {
    if (nRepeat > 0) m_str.assign((size_t)nRepeat, ch);
}

CString& CString::operator=(LPCSTR psz) {
    SetString(psz);
    return *this;
}

CString& CString::operator=(char ch) {
    m_str.assign(1, ch);
    return *this;
}

void CString::SetString(LPCSTR psz) {
    // The source may lie inside this string.
    m_str = std::string(Safe(psz));
}

void CString::SetString(LPCSTR pch, int nLength) {
    if (pch == nullptr || nLength <= 0)
        m_str.clear();
    else
        m_str = std::string(pch, (size_t)nLength);
}

LPSTR CString::GetBuffer() { return m_str.data(); }

LPSTR CString::GetBuffer(int nMinBufLength) {
    if (nMinBufLength > (int)m_str.size()) {
        size_t old = m_str.size();
        Grow([&] { m_str.resize((size_t)nMinBufLength); });
        // Readers of the buffer find the old text terminated where it was.
        m_str[old] = '\0';
    }
    return m_str.data();
}

LPSTR CString::GetBufferSetLength(int nNewLength) {
    if (nNewLength < 0) nNewLength = 0;
    Grow([&] { m_str.resize((size_t)nNewLength); });
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0) nNewLength = (int)strnlen(m_str.data(), m_str.size());
    if ((size_t)nNewLength > m_str.size()) nNewLength = (int)m_str.size();
    m_str.resize((size_t)nNewLength);
}

void CString::ReleaseBufferSetLength(int nNewLength) { ReleaseBuffer(nNewLength); }

void CString::Preallocate(int nLength) {
    if (nLength > 0) Grow([&] { m_str.reserve((size_t)nLength); });
}

void CString::FreeExtra() { m_str.shrink_to_fit(); }

CString& CString::operator+=(const CString& str) {
    m_str += str.m_str;
    return *this;
}

CString& CString::operator+=(LPCSTR psz) {
    Append(psz);
    return *this;
}

CString& CString::operator+=(char ch) {
    m_str += ch;
    return *this;
}

void CString::Append(LPCSTR psz) {
    if (psz == nullptr) return;
    // The source may lie inside this string, which append must not invalidate first.
    m_str.append(std::string(psz));
}

void CString::Append(LPCSTR pch, int nLength) {
    if (pch == nullptr || nLength <= 0) return;
    m_str.append(std::string(pch, (size_t)nLength));
}

void CString::AppendChar(char ch) { m_str += ch; }

int CString::Compare(LPCSTR psz) const { return std::strcmp(m_str.c_str(), Safe(psz)); }

int CString::CompareNoCase(LPCSTR psz) const { return _mbsicmp(m_str.c_str(), Safe(psz)); }

int CString::Find(char ch, int iStart) const {
    if (iStart < 0) iStart = 0;
    for (size_t i = 0; i < m_str.size(); i += CharLen(m_str, i))
        if ((int)i >= iStart && m_str[i] == ch && CharLen(m_str, i) == 1) return (int)i;
    return -1;
}

int CString::Find(LPCSTR pszSub, int iStart) const {
    if (iStart < 0) iStart = 0;
    if (iStart > GetLength()) return -1;
    std::string sub(Safe(pszSub));
    if (sub.empty()) return iStart;
    // A match starts on a character boundary.
    for (size_t i = 0; i + sub.size() <= m_str.size(); i += CharLen(m_str, i))
        if ((int)i >= iStart && m_str.compare(i, sub.size(), sub) == 0) return (int)i;
    return -1;
}

int CString::ReverseFind(char ch) const {
    int found = -1;
    for (size_t i = 0; i < m_str.size(); i += CharLen(m_str, i))
        if (m_str[i] == ch && CharLen(m_str, i) == 1) found = (int)i;
    return found;
}

int CString::FindOneOf(LPCSTR pszCharSet) const {
    const char* set = Safe(pszCharSet);
    for (size_t i = 0; i < m_str.size(); i += CharLen(m_str, i))
        if (CharInSet(m_str, i, CharLen(m_str, i), set)) return (int)i;
    return -1;
}

CString CString::Left(int nCount) const {
    nCount = std::clamp(nCount, 0, GetLength());
    return CString(m_str.data(), nCount);
}

CString CString::Mid(int iFirst) const { return Mid(iFirst, GetLength()); }

CString CString::Mid(int iFirst, int nCount) const {
    iFirst = std::clamp(iFirst, 0, GetLength());
    nCount = std::clamp(nCount, 0, GetLength() - iFirst);
    return CString(m_str.data() + iFirst, nCount);
}

CString CString::Right(int nCount) const {
    nCount = std::clamp(nCount, 0, GetLength());
    return CString(m_str.data() + (GetLength() - nCount), nCount);
}

CString CString::SpanIncluding(LPCSTR pszCharSet) const {
    const char* set = Safe(pszCharSet);
    size_t i = 0;
    while (i < m_str.size() && CharInSet(m_str, i, CharLen(m_str, i), set)) i += CharLen(m_str, i);
    return Left((int)i);
}

CString CString::SpanExcluding(LPCSTR pszCharSet) const {
    const char* set = Safe(pszCharSet);
    size_t i = 0;
    while (i < m_str.size() && !CharInSet(m_str, i, CharLen(m_str, i), set)) i += CharLen(m_str, i);
    return Left((int)i);
}

CString CString::Tokenize(LPCSTR pszTokens, int& iStart) const {
    if (iStart < 0 || iStart > GetLength()) {
        iStart = -1;
        return CString();
    }
    const char* set = Safe(pszTokens);
    size_t i = (size_t)iStart;
    while (i < m_str.size() && CharInSet(m_str, i, CharLen(m_str, i), set)) i += CharLen(m_str, i);
    if (i >= m_str.size()) {
        iStart = -1;
        return CString();
    }
    size_t begin = i;
    while (i < m_str.size() && !CharInSet(m_str, i, CharLen(m_str, i), set)) i += CharLen(m_str, i);
    iStart = (int)i + 1;
    return CString(m_str.data() + begin, (int)(i - begin));
}

CString& CString::MakeUpper() {
    for (size_t i = 0; i < m_str.size(); i += CharLen(m_str, i))
        if (CharLen(m_str, i) == 1) m_str[i] = kiln::ToAsciiUpper(m_str[i]);
    return *this;
}

CString& CString::MakeLower() {
    for (size_t i = 0; i < m_str.size(); i += CharLen(m_str, i))
        if (CharLen(m_str, i) == 1) m_str[i] = kiln::ToAsciiLower(m_str[i]);
    return *this;
}

CString& CString::MakeReverse() {
    // Characters change places; the two bytes of a double-byte character keep their order.
    std::string out(m_str.size(), '\0');
    size_t end = m_str.size();
    for (size_t i = 0; i < m_str.size();) {
        size_t len = CharLen(m_str, i);
        end -= len;
        std::memcpy(&out[end], &m_str[i], len);
        i += len;
    }
    m_str.swap(out);
    return *this;
}

int CString::Replace(char chOld, char chNew) {
    int n = 0;
    for (size_t i = 0; i < m_str.size(); i += CharLen(m_str, i)) {
        if (m_str[i] == chOld && CharLen(m_str, i) == 1) {
            m_str[i] = chNew;
            ++n;
        }
    }
    return n;
}

int CString::Replace(LPCSTR pszOld, LPCSTR pszNew) {
    std::string from(Safe(pszOld)), to(Safe(pszNew));
    if (from.empty()) return 0;
    std::string out;
    int n = 0;
    size_t i = 0;
    while (i < m_str.size()) {
        if (m_str.compare(i, from.size(), from) == 0) {
            out += to;
            i += from.size();
            ++n;
        } else {
            size_t len = CharLen(m_str, i);
            out.append(m_str, i, len);
            i += len;
        }
    }
    if (n) m_str.swap(out);
    return n;
}

int CString::Remove(char chRemove) {
    std::string out;
    int n = 0;
    for (size_t i = 0; i < m_str.size();) {
        size_t len = CharLen(m_str, i);
        if (len == 1 && m_str[i] == chRemove)
            ++n;
        else
            out.append(m_str, i, len);
        i += len;
    }
    m_str.swap(out);
    return n;
}

int CString::Insert(int iIndex, char ch) {
    iIndex = std::clamp(iIndex, 0, GetLength());
    m_str.insert((size_t)iIndex, 1, ch);
    return GetLength();
}

int CString::Insert(int iIndex, LPCSTR psz) {
    iIndex = std::clamp(iIndex, 0, GetLength());
    m_str.insert((size_t)iIndex, std::string(Safe(psz)));
    return GetLength();
}

int CString::Delete(int iIndex, int nCount) {
    if (iIndex < 0) iIndex = 0;
    if (nCount > 0 && iIndex < GetLength()) m_str.erase((size_t)iIndex, (size_t)nCount);
    return GetLength();
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char chTarget) { return TrimRight(chTarget).TrimLeft(chTarget); }
CString& CString::Trim(LPCSTR pszTargets) { return TrimRight(pszTargets).TrimLeft(pszTargets); }

CString& CString::TrimLeft() { return TrimLeft(" \t\n\r\v\f"); }
CString& CString::TrimLeft(char chTarget) {
    const char set[2] = {chTarget, '\0'};
    return TrimLeft(set);
}
CString& CString::TrimLeft(LPCSTR pszTargets) {
    const char* set = Safe(pszTargets);
    size_t i = 0;
    while (i < m_str.size() && CharInSet(m_str, i, CharLen(m_str, i), set)) i += CharLen(m_str, i);
    m_str.erase(0, i);
    return *this;
}

CString& CString::TrimRight() { return TrimRight(" \t\n\r\v\f"); }
CString& CString::TrimRight(char chTarget) {
    const char set[2] = {chTarget, '\0'};
    return TrimRight(set);
}
CString& CString::TrimRight(LPCSTR pszTargets) {
    // Walk forward so that a trail byte is never mistaken for a character of its own.
    const char* set = Safe(pszTargets);
    size_t keep = 0;
    for (size_t i = 0; i < m_str.size();) {
        size_t len = CharLen(m_str, i);
        if (!CharInSet(m_str, i, len, set)) keep = i + len;
        i += len;
    }
    m_str.resize(keep);
    return *this;
}

void CString::Format(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCSTR pszFormat, va_list args) {
    std::string out;
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, Safe(pszFormat), copy);
    va_end(copy);
    if (n > 0) {
        Grow([&] { out.resize((size_t)n); });
        std::vsnprintf(out.data(), (size_t)n + 1, Safe(pszFormat), args);
    }
    m_str.swap(out);
}

void CString::AppendFormat(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormatV(LPCSTR pszFormat, va_list args) {
    CString tail;
    tail.FormatV(pszFormat, args);
    m_str += tail.m_str;
}

CString operator+(const CString& a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, LPCSTR b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(LPCSTR a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, char b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(char a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}

bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
bool operator==(LPCSTR a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
bool operator!=(LPCSTR a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
bool operator<(const CString& a, LPCSTR b) { return a.Compare(b) < 0; }
bool operator<(LPCSTR a, const CString& b) { return b.Compare(a) > 0; }
bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
bool operator>(const CString& a, LPCSTR b) { return a.Compare(b) > 0; }
bool operator>(LPCSTR a, const CString& b) { return b.Compare(a) < 0; }
bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
bool operator<=(const CString& a, LPCSTR b) { return a.Compare(b) <= 0; }
bool operator<=(LPCSTR a, const CString& b) { return b.Compare(a) >= 0; }
bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
bool operator>=(const CString& a, LPCSTR b) { return a.Compare(b) >= 0; }
bool operator>=(LPCSTR a, const CString& b) { return b.Compare(a) <= 0; }
