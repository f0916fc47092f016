#include <kiln/settings/valiant.h>

#include <kiln/diag/report.h>

namespace {

const char kNotStringCompared[] = "文字列型以外の valiant と文字列が比較されました。";
const char kNullCast[] = "無効値を、valiant 以外の型にﾀﾞｳﾝｷｬｽﾄしようとしました。";
const char kNotStringToText[] = "文字列型以外の値を、LPCTSTR にﾀﾞｳﾝｷｬｽﾄしようとしました。";
const char kNotStringToCString[] = "文字列型以外の値を、CString にﾀﾞｳﾝｷｬｽﾄしようとしました。";

}  // namespace

valiant::valiant(int n) { operator=(n); }
valiant::valiant(const char* s) { operator=(s); }
valiant::valiant(const CString& s) { operator=(s); }
valiant::valiant(tagValiantNull) { operator=(tagValiantNull{}); }
valiant::valiant(const valiant& v) { operator=(v); }

// The destructor is the release step alone, so a destroyed value reads as null.
valiant::~valiant() { Destruct(); }

void valiant::Destruct() {
    unsigned short old = m_nType;
    m_nType = typeNull;
    if (old == typeString) delete Text();
}

valiant& valiant::AdoptText(CString* text) {
    Destruct();
    m_nValue = reinterpret_cast<INT_PTR>(text);
    m_nType = typeString;
    return *this;
}

valiant& valiant::operator=(int n) {
    Destruct();
    m_nValue = n;
    m_nType = typeInteger;
    return *this;
}

// The copy is made before the old text is released, so a value may be given its own text (and a
// shortage of memory leaves the value as it was).
valiant& valiant::operator=(const char* s) { return AdoptText(new CString(s)); }
valiant& valiant::operator=(const CString& s) { return AdoptText(new CString(s)); }

valiant& valiant::operator=(tagValiantNull) {
    Destruct();
    return *this;
}

valiant& valiant::operator=(const valiant& v) {
    switch (v.m_nType) {
    case typeEmpty:
        Destruct();
        m_nType = typeEmpty;
        break;
    case typeNull: Destruct(); break;
    case typeInteger: operator=((int)v.m_nValue); break;
    case typeString: operator=(*v.Text()); break;
    default: break;
    }
    return *this;
}

int valiant::operator==(int n) const { return IsTypeNumber() && (int)m_nValue == n; }

int valiant::operator==(tagValiantNull) const { return m_nType == typeNull; }

int valiant::operator==(const char* s) const {
    if (m_nType != typeString) {
        _ERRASKW0(kNotStringCompared);
        return 0;
    }
    return Text()->Compare(s) == 0;
}

int valiant::operator!=(const char* s) const {
    if (m_nType != typeString) {
        _ERRASKW0(kNotStringCompared);
        return 0;
    }
    return Text()->Compare(s) != 0;
}

int valiant::operator==(const valiant& v) const {
    switch (v.m_nType) {
    case typeEmpty: return IsTypeEmpty();
    case typeNull: return IsTypeNull();
    case typeInteger: return operator==((int)v.m_nValue);
    case typeString: return operator==(v.Text()->GetString());
    default: return 0;
    }
}

int valiant::operator!=(const valiant& v) const { return !operator==(v); }

// An empty or string value holds no integer: it casts to 0, without a report.
valiant::operator int() const {
    if (m_nType == typeNull) {
        _ERRASKW0(kNullCast);
        return 0;
    }
    return IsTypeNumber() ? (int)m_nValue : 0;
}

valiant::operator const char*() const {
    if (m_nType == typeString) return Text()->GetString();
    _ERRASKW0(m_nType == typeNull ? kNullCast : kNotStringToText);
    return "";
}

CString& valiant::CastString() const {
    if (m_nType == typeString) return *Text();
    _ERRASKW0(m_nType == typeNull ? kNullCast : kNotStringToCString);
    // Emptied at every use, so text a caller wrote into it never reaches the next one.
    static thread_local CString s_empty;
    s_empty.Empty();
    return s_empty;
}

CString valiant::ToString() {
    switch (m_nType) {
    case typeEmpty: return "Empty";
    case typeNull: return "null";
    case typeString: return *Text();
    default: {
        CString text;
        text.Format("%d", (int)m_nValue);
        return text;
    }
    }
}
