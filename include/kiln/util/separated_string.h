// Separated lists: items joined by a single-byte separator character, such as "a;b;c" with ';'.
//
// Items are counted from 0. The functions step over double-byte (code page 932) characters as
// units, so a trail byte equal to the separator never splits an item. Separators are single-byte
// characters; a null list reads as an empty one.
#pragma once

#include <kiln/platform/text/cstring.h>

// True if some item of list equals word exactly (a null word matches nothing).
bool IsSeparatedStringMatch(const char* list, unsigned int sep, const char* word);

// Item index of s; the last item runs to the end of s. Empty when s has fewer than index separators.
CString GetSeparatedString(const char* s, unsigned int sep, int index);

// Item index of s, but only when a separator closes it: the text after the last separator is not an
// item here ("x|abc|y" with '|' gives "x", "abc" and then empty).
CString GetWrapedString(const char* s, unsigned int sep, int index);

// The first item at or after item index (a negative index starts at item 0) that equals word, with
// index set to its number. When there is none the result is empty and index is left on the last item
// reached (the number of separators found when s has fewer than index items). Empty items are never
// taken. Items are found by characters but compared with word byte by byte, a byte equal to sep
// ending the comparison: an item whose double-byte character has sep as its trail byte never matches.
CString FindSeparatedStringWord(const char* s, unsigned int sep, int& index, const char* word);
