#include <kiln/util/separated_string.h>

#include <kiln/platform/text/mbcs.h>

namespace {

// The next separator at or after p, stepping over double-byte characters, or null. A separator of 0
// would find the terminator, which closes no item.
const char* NextSeparator(const char* p, unsigned int sep) {
    const char* hit = _mbschr(p, sep);
    return hit != nullptr && *hit != '\0' ? hit : nullptr;
}

// The start of item index of s, or null when s has fewer than index separators; *found (if given)
// receives the number of separators passed.
const char* SkipItems(const char* s, unsigned int sep, int index, int* found = nullptr) {
    int n = 0;
    for (; n < index; ++n) {
        const char* hit = NextSeparator(s, sep);
        if (hit == nullptr) break;
        s = hit + 1;
    }
    if (found != nullptr) *found = n;
    return n < index ? nullptr : s;
}

}  // namespace

bool IsSeparatedStringMatch(const char* list, unsigned int sep, const char* word) {
    if (word == nullptr) return false;
    if (list == nullptr) list = "";
    const unsigned char* p = (const unsigned char*)list;
    for (;;) {
        const unsigned char* w = (const unsigned char*)word;
        bool same = true;  // every character of the item so far equalled the next one of word
        for (;;) {
            const unsigned char c = *p;
            if (c == 0) return same && *w == 0;
            if (c == sep) {
                ++p;
                if (same && *w == 0) return true;
                break;
            }
            if (kiln::IsLeadByte(c)) {
                if (p[1] == 0) return false;
                same = same && w[0] == c && w[1] == p[1];
                if (same) w += 2;
                p += 2;
            } else {
                same = same && *w == c;
                if (same) ++w;
                ++p;
            }
        }
    }
}

CString GetSeparatedString(const char* s, unsigned int sep, int index) {
    if (s == nullptr) return CString();
    const char* item = SkipItems(s, sep, index);
    if (item == nullptr) return CString();
    const char* end = NextSeparator(item, sep);
    return end != nullptr ? CString(item, (int)(end - item)) : CString(item);
}

CString GetWrapedString(const char* s, unsigned int sep, int index) {
    if (s == nullptr) return CString();
    const char* item = SkipItems(s, sep, index);
    if (item == nullptr) return CString();
    const char* end = NextSeparator(item, sep);
    return end != nullptr ? CString(item, (int)(end - item)) : CString();
}

CString FindSeparatedStringWord(const char* s, unsigned int sep, int& index, const char* word) {
    if (s == nullptr) s = "";
    if (word == nullptr) word = "";
    int number = index < 0 ? 0 : index;
    int found = 0;
    const char* item = SkipItems(s, sep, number, &found);
    if (item == nullptr) {
        index = found;
        return CString();
    }
    while (*item != '\0') {
        if ((unsigned char)*item == sep) {  // an empty item: counted, never taken
            ++item;
            ++number;
            continue;
        }
        const char* p = item;
        const char* w = word;
        while (*p != '\0' && (unsigned char)*p != sep && *p == *w) {
            ++p;
            ++w;
        }
        if ((*p == '\0' || (unsigned char)*p == sep) && *w == '\0') {
            index = number;
            return CString(item, (int)(p - item));
        }
        const char* next = NextSeparator(item, sep);
        if (next == nullptr) break;
        item = next + 1;
        ++number;
    }
    index = number;
    return CString();
}
