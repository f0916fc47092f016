#include <kiln/util/extension.h>

#include <cstring>

#include <kiln/platform/text/mbcs.h>
#include <kiln/util/separated_string.h>

namespace {

// Byte by byte: the offset of the last '.' of path that no backslash (nor '/', with slashToo)
// follows, or -1.
int LastPeriodByBytes(const char* path, bool slashToo) {
    int period = -1;
    for (int i = 0; path[i] != '\0'; ++i) {
        if (path[i] == '.') {
            period = i;
        } else if (path[i] == '\\' || (slashToo && path[i] == '/')) {
            period = -1;
        }
    }
    return period;
}

}  // namespace

char* SetExtension(char* path, const char* ext) {
    if (path == nullptr || ext == nullptr) return path;
    const int period = LastPeriodByBytes(path, false);
    char* at = period >= 0 ? path + period : path + std::strlen(path);
    std::memmove(at, ext, std::strlen(ext) + 1);
    return path;
}

char* CutExtension(char* path) {
    if (path == nullptr) return path;
    const int period = LastPeriodByBytes(path, false);
    if (period >= 0) path[period] = '\0';
    return path;
}

const char* GetExtension(const char* path) {
    if (path == nullptr) return nullptr;
    const char* period = _mbsrchr(path, '.');
    if (period == nullptr || _mbschr(period, '\\') != nullptr) return nullptr;
    return period;
}

const char* GetExtensionNoPeriod(const char* path) {
    const char* period = GetExtension(path);
    return period != nullptr ? period + 1 : nullptr;
}

CString GetExtensionNoPeriodEx(const char* path) { return CString(GetExtensionNoPeriod(path)); }

CString SetExtensionNoPeriod(const char* path, const char* ext) {
    if (path == nullptr) path = "";
    CString result;
    const int period = LastPeriodByBytes(path, true);
    if (period >= 0) {
        result.SetString(path, period + 1);
    } else {
        result = path;
        result += '.';
    }
    result += ext;
    return result;
}

CString RemoveExtension(const char* path) {
    if (path == nullptr) return CString();
    const int period = LastPeriodByBytes(path, false);
    return period >= 0 ? CString(path, period) : CString(path);
}

int CompareExtBetweenExt(const char* ext, const char* list) {
    if (ext == nullptr) return -1;
    for (int i = 0;; ++i) {
        const CString item = GetSeparatedString(list, ';', i);
        if (item.IsEmpty()) return -1;
        if (item.CompareNoCase(ext) == 0) return i;
    }
}

int CompareFileBetweenExt(const char* path, const char* list) {
    return CompareExtBetweenExt(GetExtensionNoPeriod(path), list);
}
