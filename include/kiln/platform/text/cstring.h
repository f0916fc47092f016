// CString: MFC's growable byte string, for code page 932 text.
//
// Bytes are kept as they are; nothing is converted. Like MFC's multibyte build, the character
// searches (Find, ReverseFind, FindOneOf, SpanIncluding, SpanExcluding, Replace/Remove of a
// character, Trim with a character set) and the case operations step over double-byte characters
// as units, so a trail byte is never taken for the character searched for. Positions and lengths
// are byte counts. A null `const char*` reads as the empty string. Allocation failure in the
// buffer operations and Format raises CMemoryException.
//
// Format and AppendFormat follow the Windows printf conventions (kiln/platform/text/printf.h) and
// take their arguments through a variadic template: a CString argument is passed on as its text, as
// it is on Windows, and any other class type (std::string, say) is a compile-time error rather
// than garbage. FormatV keeps the C form for callers that hold a va_list.
#pragma once

#include <cstdarg>
#include <string>

#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/runtime/types.h>
#include <kiln/platform/text/printf.h>

class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(LPCSTR psz);                // NOLINT(google-explicit-constructor): MFC converts implicitly
    CString(const unsigned char* psz);  // NOLINT(google-explicit-constructor)
    CString(LPCSTR pch, int nLength);
    explicit CString(char ch, int nRepeat = 1);
    ~CString() = default;

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCSTR psz);
    CString& operator=(char ch);

    int GetLength() const { return (int)m_str.size(); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int nIndex) const { return m_str[(size_t)nIndex]; }
    void SetAt(int nIndex, char ch) { m_str[(size_t)nIndex] = ch; }
    char operator[](int nIndex) const { return m_str[(size_t)nIndex]; }
    operator LPCSTR() const { return m_str.c_str(); }  // NOLINT(google-explicit-constructor)
    LPCSTR GetString() const { return m_str.c_str(); }
    void SetString(LPCSTR psz);
    void SetString(LPCSTR pch, int nLength);

    // A writable buffer of at least nMinBufLength bytes plus a NUL; ReleaseBuffer(-1) then takes the
    // length up to the first NUL, ReleaseBuffer(n) takes n bytes.
    LPSTR GetBuffer();
    LPSTR GetBuffer(int nMinBufLength);
    LPSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);
    void ReleaseBufferSetLength(int nNewLength);
    void Preallocate(int nLength);
    void FreeExtra();

    CString& operator+=(const CString& str);
    CString& operator+=(LPCSTR psz);
    CString& operator+=(char ch);
    void Append(LPCSTR psz);
    void Append(LPCSTR pch, int nLength);
    void AppendChar(char ch);

    // <0, 0 or >0 as strcmp; CompareNoCase folds ASCII letters outside double-byte characters.
    int Compare(LPCSTR psz) const;
    int CompareNoCase(LPCSTR psz) const;
    int Collate(LPCSTR psz) const { return Compare(psz); }
    int CollateNoCase(LPCSTR psz) const { return CompareNoCase(psz); }

    // Byte index of the match, or -1.
    int Find(char ch, int iStart = 0) const;
    int Find(LPCSTR pszSub, int iStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCSTR pszCharSet) const;

    CString Left(int nCount) const;
    CString Mid(int iFirst) const;
    CString Mid(int iFirst, int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCSTR pszCharSet) const;
    CString SpanExcluding(LPCSTR pszCharSet) const;
    CString Tokenize(LPCSTR pszTokens, int& iStart) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    int Replace(char chOld, char chNew);
    int Replace(LPCSTR pszOld, LPCSTR pszNew);
    int Remove(char chRemove);
    int Insert(int iIndex, char ch);
    int Insert(int iIndex, LPCSTR psz);
    int Delete(int iIndex, int nCount = 1);

    CString& Trim();
    CString& Trim(char chTarget);
    CString& Trim(LPCSTR pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(LPCSTR pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(LPCSTR pszTargets);

    template <class... Args>
    void Format(LPCSTR pszFormat, const Args&... args) {
        const kiln::PrintfArg list[sizeof...(Args) + 1] = {kiln::MakePrintfArg(args)..., kiln::PrintfArg{}};
        FormatArgs(pszFormat, list, sizeof...(Args), false);
    }
    // The format is the string resource nFormatID; an id with no string formats the empty text.
    template <class... Args>
    void Format(UINT nFormatID, const Args&... args) {
        CString format;
        format.LoadString(nFormatID);
        Format(format.GetString(), args...);
    }
    void FormatV(LPCSTR pszFormat, va_list args);
    template <class... Args>
    void AppendFormat(LPCSTR pszFormat, const Args&... args) {
        const kiln::PrintfArg list[sizeof...(Args) + 1] = {kiln::MakePrintfArg(args)..., kiln::PrintfArg{}};
        FormatArgs(pszFormat, list, sizeof...(Args), true);
    }
    void AppendFormatV(LPCSTR pszFormat, va_list args);

    // Loads a string resource (see kiln::AddStringTable); FALSE and unchanged when there is none.
    BOOL LoadString(UINT nID);

    const std::string& str() const { return m_str; }

private:
    void FormatArgs(LPCSTR pszFormat, const kiln::PrintfArg* args, size_t count, bool append);
    void FormatVArgs(LPCSTR pszFormat, va_list args, bool append);

    std::string m_str;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCSTR b);
CString operator+(LPCSTR a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCSTR b);
bool operator==(LPCSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCSTR b);
bool operator!=(LPCSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, LPCSTR b);
bool operator<(LPCSTR a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator>(const CString& a, LPCSTR b);
bool operator>(LPCSTR a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator<=(const CString& a, LPCSTR b);
bool operator<=(LPCSTR a, const CString& b);
bool operator>=(const CString& a, const CString& b);
bool operator>=(const CString& a, LPCSTR b);
bool operator>=(LPCSTR a, const CString& b);
