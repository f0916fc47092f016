#include <kiln/util/directory_clean.h>

#include <kiln/util/separated_string.h>

void DirectoryClean(const char* path, CString& result) {
    result.Empty();
    int before = -1;  // length of result before the latest component was appended; -1: none yet
    for (int i = 0;; ++i) {
        CString part = GetSeparatedString(path, '\\', i);
        if (part.IsEmpty()) break;
        if (part == ".") continue;
        if (part == ".." && before >= 0) {
            result = result.Left(before);
            continue;
        }
        before = result.GetLength();
        result += part;
        result += '\\';
    }
}
