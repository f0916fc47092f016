// MFC's string-insert formatting: AfxFormatString1/2 and AfxFormatStrings replace %1 .. %9 in a
// format (a string resource for the numbered forms) with the given strings, in any order and as
// often as they appear; an insert with no string given becomes "?". Every other byte is copied
// (no code page 932 trail byte is ever a '%' or a digit). A missing resource formats the empty
// text. These are not printf formats: no conversion reads a value.
#pragma once

#include <kiln/platform/text/cstring.h>

void AfxFormatStrings(CString& rString, LPCTSTR lpszFormat, LPCTSTR const* rglpsz, int nString);
void AfxFormatStrings(CString& rString, UINT nIDS, LPCTSTR const* rglpsz, int nString);
void AfxFormatString1(CString& rString, UINT nIDS, LPCTSTR lpsz1);
void AfxFormatString2(CString& rString, UINT nIDS, LPCTSTR lpsz1, LPCTSTR lpsz2);
