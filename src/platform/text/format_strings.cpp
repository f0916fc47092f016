#include <kiln/platform/text/format_strings.h>

void AfxFormatStrings(CString& rString, LPCTSTR lpszFormat, LPCTSTR const* rglpsz, int nString) {
    CString out;
    for (const char* p = lpszFormat != nullptr ? lpszFormat : ""; *p != '\0';) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') {
            int i = p[1] - '1';
            out += i < nString && rglpsz[i] != nullptr ? rglpsz[i] : "?";
            p += 2;
            continue;
        }
        out += *p++;
    }
    rString = out;
}

void AfxFormatStrings(CString& rString, UINT nIDS, LPCTSTR const* rglpsz, int nString) {
    CString format;
    format.LoadString(nIDS);
    AfxFormatStrings(rString, format, rglpsz, nString);
}

void AfxFormatString1(CString& rString, UINT nIDS, LPCTSTR lpsz1) {
    AfxFormatStrings(rString, nIDS, &lpsz1, 1);
}

void AfxFormatString2(CString& rString, UINT nIDS, LPCTSTR lpsz1, LPCTSTR lpsz2) {
    LPCTSTR strings[] = {lpsz1, lpsz2};
    AfxFormatStrings(rString, nIDS, strings, 2);
}
