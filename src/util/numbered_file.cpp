#include <kiln/util/numbered_file.h>

#include <cstdio>

#include <kiln/platform/files/file.h>
#include <kiln/platform/text/mbcs.h>

int GetNextFileNameNumbered(CString name, CString& next, int tries) {
    next = name;
    const unsigned char* begin = (const unsigned char*)(const char*)name;
    int runAt = 0, runDigits = 0;
    unsigned long long runValue = 0;
    bool inRun = false;
    for (const unsigned char* p = begin; *p != '\0';) {
        if (*p < '0' || *p > '9') {
            inRun = false;
            p = _mbsinc(p);
            continue;
        }
        if (!inRun) {
            inRun = true;
            runAt = (int)(p - begin);
            runDigits = 0;
            runValue = 0;
        }
        if (++runDigits < 10) runValue = runValue * 10 + (unsigned)(*p - '0');  // longer runs are refused
        ++p;
    }
    if (runDigits == 0 || runDigits >= 10) return 0;

    unsigned long long limit = 1;
    for (int i = 0; i < runDigits; ++i) limit *= 10;
    for (int n = 0; n < tries; ++n) {
        if (++runValue >= limit) break;
        char number[16];
        std::snprintf(number, sizeof number, "%09u", (unsigned)runValue);
        for (int k = 0; k < runDigits; ++k) next.SetAt(runAt + k, number[9 - runDigits + k]);
        CFileStatus status;
        if (CFile::GetStatus(next, status)) return 1;
    }
    return 0;
}
