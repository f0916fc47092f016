// CProfile: a few named settings kept in one line of code page 932 text.
//
//   width=#640;title={main view};mode=<fast>
//
// Entries are key=value, separated by ";". A value starts with its marker: "#" an integer (read as
// atoi reads it), "{" or "<" a string up to the matching closer (brackets nest), a double quote a
// string up to the next double quote; any other marker is the empty value. Blanks before a key and
// after "=" are skipped; every byte from a key's first byte to its "=" belongs to the key. Double-byte
// characters are units everywhere, so a trail byte is never taken for a bracket or ";". There is no
// escape: a string holding an unbalanced closer or a ";" does not read back intact.
//
// Writers render numbers as "=#<n>" and everything else as "={<text>}" (empty as "{Empty}", null as
// "{null}"). Missing keys read as the empty value or the caller's default; nothing is reported.
//
// The key search also records where the entry it stopped at begins (the entry position), even in
// const operations. When the search takes the text for malformed (a key and the text both hold ";"
// at the same place) it offers the whole text to the user for correction; only an edited text
// confirmed with OK is searched again, anything else finds nothing. Pointers into the text (results
// of IdentifyProfile and EnumProfile, the entry position) are valid until the text next changes.
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/types.h>
#include <kiln/settings/valiant.h>

class CProfile {
public:
    CProfile() = default;
    CProfile(const CString& text);  // NOLINT(google-explicit-constructor): MFC style
    // Copies the text; the entry position is carried over to the same place in the copy's text.
    CProfile(const CProfile& other);
    CProfile& operator=(const CProfile& other);
    ~CProfile() = default;

    // Just after the "=" of the first entry whose key is key (byte for byte), or null (also for a null
    // key).
    const char* IdentifyProfile(const char* key) const;
    // The entry at or after pos (null: the start of the text) as its key and raw value (no marker and
    // no closer; a number is yielded also when it runs to the end of the text); the result is where
    // the next call continues. At the end both texts are emptied and the result is null (a text that
    // ends before a value marker keeps the key and empties the value).
    //   for (auto* p = prof.EnumProfile(nullptr, k, v); p; p = prof.EnumProfile(p, k, v)) ...
    const unsigned char* EnumProfile(const unsigned char* pos, CString& key, CString& value) const;

    // The entry's value; the empty value when the key is missing or its marker is unknown.
    valiant ReadProfile(const char* key) const;
    // The value when it is a string, else a string holding def (null: "").
    valiant ReadProfile(const char* key, const char* def) const;
    // The value when it is an integer or a string, else the integer def.
    valiant ReadProfile(const char* key, int def) const;
    CString ReadProfileString(const char* key, const char* def) const;
    // def for an empty or missing value; a string value gives 0 (it holds no integer).
    int ReadProfileInt(const char* key, int def) const;
    CString Read(const char* key, const char* def);
    // A string entry's text converted as atoi converts it (beyond the int range: INT_MAX or INT_MIN);
    // def when the entry is missing, empty or an integer ("#" entries are not strings).
    int Read(const char* key, int def) const;
    // The same with the unsigned long range: every value Create(key, unsigned long) writes reads back,
    // and a negative text wraps as C converts it ("-1" gives ULONG_MAX).
    unsigned long Read(const char* key, unsigned long def) const;

    // Replaces the value of key's entry: 1, or 0 with no change when the key is missing.
    int WriteProfile(const char* key, valiant value);
    // WriteProfile, or else appends key and value as a new last entry (after a ";" unless the text is
    // empty): on an empty profile a=5 then b="x" give "a=#5;b={x}".
    void CreateProfile(const char* key, valiant value);
    void CreateProfile(const char* key, int n);
    void CreateProfile(const char* key, const char* s);
    void Create(const char* key, const char* s);
    // Stores n's unsigned decimal text as a string, in full: "{4294967296}" for 2^32.
    void Create(const char* key, unsigned long n);
    // Removes key's entry with the ";" after it (deleting the last entry leaves the ";" before it):
    // 1 when found, else 0.
    int DeleteProfile(const char* key);
    // Removes count bytes at pos when the range lies inside the text; otherwise nothing changes.
    void Omit(int pos, int count);

protected:
    // The start of the next entry after the one holding p, or the terminator.
    const char* GetNextSection(const char* p) const;
    // The nearest ";" or zero byte before p, or the start of the text.
    const char* GetPrevSectionLast(const char* p) const;
    // The value whose marker follows p (just after an "=").
    valiant ReadKeyValue(const char* p) const;
    // Replaces the value after p (just after an "=") and the rest of its entry; always 1.
    int WriteKeyValue(const char* p, valiant value);
    // Removes the entry that starts at entry with its following ";".
    void DeleteKeyValue(const char* entry);

    // The search may replace the text (a correction the user confirmed) and always moves the entry
    // position, from const operations too.
    mutable CString m_strProfile;
    mutable const char* m_pEntry = nullptr;
};
