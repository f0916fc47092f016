// valiant: a small tagged value holding nothing (empty), an explicit null, an integer or a text.
//
// The type codes follow the OLE VARTYPE numbering: 0 empty, 1 null, 2 integer, 8 string; codes 2 to
// 6 count as numbers. A string value owns its CString alone: copies copy the text. Misuse (casting a
// null, taking a text out of a value that holds none, comparing a non-string with a text) is reported
// as a warning question (_ERRASKW0, shown only at error level 32 or below), after which the operation
// gives 0, an empty text or false and the value is unchanged.
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/types.h>

// The marker of the null value: valiant v(tagValiantNull{}); v = tagValiantNull{}.
struct tagValiantNull {};

class valiant {
public:
    enum : unsigned short { typeEmpty = 0, typeNull = 1, typeInteger = 2, typeString = 8 };

    valiant() = default;
    valiant(int n);             // NOLINT(google-explicit-constructor)
    valiant(const char* s);     // NOLINT(google-explicit-constructor): null is an empty text
    valiant(const CString& s);  // NOLINT(google-explicit-constructor)
    valiant(tagValiantNull);    // NOLINT(google-explicit-constructor)
    valiant(const valiant& v);
    ~valiant();

    valiant& operator=(int n);
    valiant& operator=(const char* s);
    valiant& operator=(const CString& s);
    valiant& operator=(tagValiantNull);
    // Takes v's kind and value; a value with a reserved code leaves this one unchanged.
    valiant& operator=(const valiant& v);

    unsigned short IsType() const { return m_nType; }
    int IsTypeEmpty() const { return m_nType == typeEmpty; }
    int IsTypeNull() const { return m_nType == typeNull; }
    int IsTypeEnable() const { return m_nType > typeNull; }
    int IsTypeNumber() const { return m_nType >= 2 && m_nType <= 6; }

    // A number equal to n; any other kind is simply unequal.
    int operator==(int n) const;
    int operator==(tagValiantNull) const;
    // Exact, case-sensitive comparison of a string value's text; any other kind reports and gives 0
    // for both == and !=.
    int operator==(const char* s) const;
    int operator!=(const char* s) const;
    // Same kind and same value; against a string, as operator==(const char*).
    int operator==(const valiant& v) const;
    int operator!=(const valiant& v) const;

    // The integer; 0 after a report for a null value, 0 for an empty or string value.
    operator int() const;  // NOLINT(google-explicit-constructor)
    // A string value's text; "" after a report for any other kind.
    operator const char*() const;  // NOLINT(google-explicit-constructor)
    // The held text, changeable in place; after a report for any other kind, a fresh empty CString
    // that only this thread's next failed cast reuses.
    CString& CastString() const;
    // "Empty", "null", the integer in decimal, or a copy of the text.
    CString ToString();

private:
    void Destruct();
    CString* Text() const { return reinterpret_cast<CString*>(m_nValue); }
    // Releases the old value and takes text as the new one.
    valiant& AdoptText(CString* text);

    // The integer of an integer value or the owned CString of a string value: wide enough for a
    // pointer.
    INT_PTR m_nValue = 0;
    unsigned short m_nType = typeEmpty;
};
