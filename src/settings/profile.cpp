#include <kiln/settings/profile.h>

#include <kiln/platform/text/mbcs.h>
#include <kiln/util/separated_string.h>

#include <climits>
#include <cstdio>

#include "settings/profile_correction.h"

namespace {

using kiln::NextChar;

// The blanks the format skips before a key and before a value marker.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The closer that matches the opener just before p, brackets of the same kind nesting, or null when
// the text ends first.
const char* MatchingCloser(const char* p, char open, char close) {
    for (int depth = 1; *p != '\0'; p = NextChar(p)) {
        if (*p == open)
            ++depth;
        else if (*p == close && --depth < 1)
            return p;
    }
    return nullptr;
}

// The first byte c at or after p, double-byte characters stepped over, or null.
const char* FindChar(const char* p, char c) {
    for (; *p != '\0'; p = NextChar(p))
        if (*p == c) return p;
    return nullptr;
}

// Decimal text as atoi reads it: leading white space, one optional sign, then digits up to the first
// other byte. The magnitude saturates rather than wrapping, so each reader below can clamp to its own
// range.
struct Decimal {
    bool negative = false;
    unsigned long long magnitude = 0;
};

Decimal ParseDecimal(const char* s) {
    Decimal d;
    while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
    if (*s == '+' || *s == '-') d.negative = *s++ == '-';
    for (; *s >= '0' && *s <= '9'; ++s) {
        const unsigned digit = (unsigned)(*s - '0');
        d.magnitude = d.magnitude > (ULLONG_MAX - digit) / 10 ? ULLONG_MAX : d.magnitude * 10 + digit;
    }
    return d;
}

// atoi as the Windows C runtime answers a text beyond the int range: INT_MAX or INT_MIN (glibc's atoi
// leaves an overflow undefined).
int Atoi(const char* s) {
    const Decimal d = ParseDecimal(s);
    if (d.negative) return d.magnitude > 0x80000000ull ? INT_MIN : (int)(0 - (unsigned)d.magnitude);
    return d.magnitude > INT_MAX ? INT_MAX : (int)d.magnitude;
}

// One pass of the key search over text. The result is the byte after the "=" of key's entry, or null.
// entry is left on the start of the entry the pass stopped at (null when it ran off the end), and
// malformed is set when it stopped because key and text hold ";" at the same place: an entry boundary
// inside the key. Entries are compared a unit at a time (one byte, or a lead byte with its trail
// byte); a key that ends inside a unit never matches, and nothing beyond its end is read.
const char* FindKey(const char* text, const char* key, const char*& entry, bool& malformed) {
    const char* k = key;
    bool matching = false;  // blanks before the key are skipped, blanks inside it compared
    entry = text;
    for (const char* t = text; *t != '\0';) {
        const char c = *t;
        if (!matching && IsBlank(c)) {
            ++t;
            continue;
        }
        if (c == '=' && *k == '\0') return t + 1;
        if (c != '=') {
            const int len = (int)(NextChar(t) - t);
            if (k[0] == c && (len == 1 || k[1] == t[1])) {
                if (c == ';') {
                    malformed = true;
                    return nullptr;
                }
                matching = true;
                t += len;
                k += len;
                continue;
            }
        }
        // Not this entry: the next begins after the next ";" (this byte, when it is one), whatever
        // brackets or quotes lie between.
        t = FindChar(t, ';');
        if (t == nullptr) break;
        entry = ++t;
        k = key;
        matching = false;
    }
    entry = nullptr;
    return nullptr;
}

// The rendering writers put after a key: "=#" and the number, or "={", the text and "}".
CString Rendering(valiant& value) {
    return value.IsTypeNumber() ? "=#" + value.ToString() : "={" + value.ToString() + "}";
}

}  // namespace

CProfile::CProfile(const CString& text) : m_strProfile(text) {}

CProfile::CProfile(const CProfile& other) { operator=(other); }

// The entry position is copied as a place in the text, so the copy's never points into other's text.
CProfile& CProfile::operator=(const CProfile& other) {
    if (this != &other) {
        m_strProfile = other.m_strProfile;
        m_pEntry = other.m_pEntry == nullptr
                       ? nullptr
                       : m_strProfile.GetString() + (other.m_pEntry - other.m_strProfile.GetString());
    }
    return *this;
}

// OK with an unchanged text ends the search like a cancel, so a front end that keeps confirming can
// never make the search loop.
const char* CProfile::IdentifyProfile(const char* key) const {
    if (key == nullptr) return nullptr;
    for (;;) {
        bool malformed = false;
        const char* value = FindKey(m_strProfile, key, m_pEntry, malformed);
        if (!malformed) return value;
        CString edited = m_strProfile;
        if (!AskProfileCorrection(edited) || edited == m_strProfile) return nullptr;
        m_strProfile = edited;
    }
}

// Keys gather from their first non-blank byte; a ";" drops an unfinished key and an "=" outside a key
// is ignored. The value's closer (or the byte that ended a number) is where the next call resumes,
// which then passes over it as the start of a key that the following ";" drops.
const unsigned char* CProfile::EnumProfile(const unsigned char* pos, CString& key, CString& value) const {
    const char* p = pos != nullptr ? (const char*)pos : m_strProfile.GetString();
    const char* keyStart = nullptr;
    for (;; p = NextChar(p)) {
        if (*p == '\0') {
            key.Empty();
            value.Empty();
            return nullptr;
        }
        if (keyStart == nullptr) {
            if (IsBlank(*p) || *p == '=' || *p == ';') continue;
            keyStart = p;
        } else if (*p == ';') {
            keyStart = nullptr;
        } else if (*p == '=') {
            break;
        }
    }
    key.SetString(keyStart, (int)(p - keyStart));
    value.Empty();
    ++p;
    while (IsBlank(*p)) ++p;
    const char marker = *p;
    if (marker == '\0') return nullptr;
    const char* begin = p + 1;
    const char* end = nullptr;
    switch (marker) {
    case '"': end = FindChar(begin, '"'); break;
    case '{': end = MatchingCloser(begin, '{', '}'); break;
    case '<': end = MatchingCloser(begin, '<', '>'); break;
    case '#': {
        // Blanks before the first digit or sign are passed, a blank after it ends the number; a
        // sign counts only as the first character. A number that runs to the end of the text is
        // still yielded (the last entry a writer leaves ends that way), and the next call ends the
        // enumeration.
        bool started = false;
        for (end = begin; *end != '\0'; ++end) {
            const char c = *end;
            if (c >= '0' && c <= '9')
                started = true;
            else if ((c == '+' || c == '-') && !started)
                started = true;
            else if (IsBlank(c) && !started)
                continue;
            else
                break;
        }
        break;
    }
    default: return (const unsigned char*)NextChar(p);
    }
    if (end == nullptr) return (const unsigned char*)begin;
    value.SetString(begin, (int)(end - begin));
    return (const unsigned char*)end;
}

valiant CProfile::ReadProfile(const char* key) const {
    const char* p = IdentifyProfile(key);
    return p != nullptr ? ReadKeyValue(p) : valiant();
}

valiant CProfile::ReadProfile(const char* key, const char* def) const {
    valiant v = ReadProfile(key);
    return v.IsType() == valiant::typeString ? v : valiant(def);
}

valiant CProfile::ReadProfile(const char* key, int def) const {
    valiant v = ReadProfile(key);
    return v.IsType() >= valiant::typeInteger ? v : valiant(def);
}

CString CProfile::ReadProfileString(const char* key, const char* def) const {
    const valiant v = ReadProfile(key);
    if (v.IsType() == valiant::typeString) return v.CastString();
    return def != nullptr ? def : "";
}

// A string value holds no integer; it gives what valiant's integer cast gives it, 0, rather than def,
// which stands for a setting that is not there at all.
int CProfile::ReadProfileInt(const char* key, int def) const {
    const valiant v = ReadProfile(key);
    return v.IsTypeEnable() ? (int)v : def;
}

CString CProfile::Read(const char* key, const char* def) { return ReadProfileString(key, def); }

int CProfile::Read(const char* key, int def) const {
    const CString text = ReadProfileString(key, nullptr);
    return text.IsEmpty() ? def : Atoi(text);
}

// Where unsigned long is 64 bits, texts above INT_MAX read as their full value (saturating at
// ULONG_MAX), so what Create(key, unsigned long) stores comes back; a 32-bit atoi would clamp them to
// INT_MAX. Texts in the int range give what atoi gives, converted to unsigned long.
unsigned long CProfile::Read(const char* key, unsigned long def) const {
    const CString text = ReadProfileString(key, nullptr);
    if (text.IsEmpty()) return def;
    const Decimal d = ParseDecimal(text);
    if (d.magnitude >= ULONG_MAX) return ULONG_MAX;
    return d.negative ? 0 - (unsigned long)d.magnitude : (unsigned long)d.magnitude;
}

int CProfile::WriteProfile(const char* key, valiant value) {
    const char* p = IdentifyProfile(key);
    return p != nullptr ? WriteKeyValue(p, value) : 0;
}

void CProfile::CreateProfile(const char* key, valiant value) {
    if (key == nullptr || WriteProfile(key, value)) return;
    if (!m_strProfile.IsEmpty()) m_strProfile += ';';
    m_strProfile += key;
    m_strProfile += Rendering(value);
    m_pEntry = nullptr;
}

void CProfile::CreateProfile(const char* key, int n) { CreateProfile(key, valiant(n)); }

void CProfile::CreateProfile(const char* key, const char* s) { CreateProfile(key, valiant(s)); }

void CProfile::Create(const char* key, const char* s) { CreateProfile(key, s); }

// The whole value is written, also from 2^32 up where unsigned long is 64 bits: the text has no width
// to keep, and every value below 2^32 gives the same bytes as a 32-bit unsigned long.
void CProfile::Create(const char* key, unsigned long n) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lu", n);
    CreateProfile(key, valiant(digits));
}

int CProfile::DeleteProfile(const char* key) {
    if (IdentifyProfile(key) == nullptr) return 0;
    DeleteKeyValue(m_pEntry);
    return 1;
}

void CProfile::Omit(int pos, int count) {
    if (pos < 0 || count < 0 || (long long)pos + count > m_strProfile.GetLength()) return;
    m_strProfile.Delete(pos, count);
    m_pEntry = nullptr;
}

const char* CProfile::GetNextSection(const char* p) const {
    while (*p != '\0') {
        switch (*p) {
        case ';': return p + 1;
        case '{':
        case '<': {
            const char* closer = MatchingCloser(p + 1, *p, *p == '{' ? '}' : '>');
            p = closer != nullptr ? closer + 1 : p + 1;
            break;
        }
        case '"': {
            const char* closer = FindChar(p + 1, '"');
            p = closer != nullptr ? closer + 1 : p + 1;
            break;
        }
        default: p = NextChar(p);
        }
    }
    return p;
}

const char* CProfile::GetPrevSectionLast(const char* p) const {
    const char* start = m_strProfile.GetString();
    while (p > start) {
        --p;
        if (*p == ';' || *p == '\0') return p;
    }
    return start;
}

valiant CProfile::ReadKeyValue(const char* p) const {
    while (IsBlank(*p)) ++p;
    const char marker = *p++;
    switch (marker) {
    case '#': return valiant(Atoi(p));
    case '"': return valiant(GetSeparatedString(p, '"', 0));
    case '{':
    case '<': {
        const char close = marker == '{' ? '}' : '>';
        const char* closer = MatchingCloser(p, marker, close);
        if (closer == nullptr) return valiant(GetSeparatedString(p, (unsigned char)close, 0));
        return valiant(CString(p, (int)(closer - p)));
    }
    default: return valiant();
    }
}

int CProfile::WriteKeyValue(const char* p, valiant value) {
    const char* next = GetNextSection(p);
    CString text(m_strProfile.GetString(), (int)(p - 1 - m_strProfile.GetString()));
    text += Rendering(value);
    if (*next != '\0') {
        text += ';';
        text += next;
    }
    m_strProfile = text;
    m_pEntry = nullptr;
    return 1;
}

void CProfile::DeleteKeyValue(const char* entry) {
    const char* end = GetNextSection(entry);
    const char* start = GetPrevSectionLast(entry);
    if (*start == ';') ++start;
    const char* base = m_strProfile.GetString();
    Omit((int)(start - base), (int)(end - start));
}
