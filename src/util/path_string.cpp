#include <kiln/util/path_string.h>

#include <cstring>

#include <kiln/platform/text/mbcs.h>
#include <kiln/platform/runtime/system.h>
#include <kiln/util/extension.h>
#include <kiln/util/separated_string.h>
#include <kiln/util/string_step.h>

namespace {

// Byte offsets into a path found by one walk over its first MAX_PATH bytes.
struct PathParts {
    int nameStart;  // just behind the last backslash or colon (0 if none)
    int titleEnd;   // the last period of the name, or walkEnd
    int walkEnd;    // where the walk stopped
};

PathParts SplitPath(const char* path) {
    int nameStart = 0;
    int period = -1;
    int i = 0;
    while (i < MAX_PATH && path[i] != '\0') {
        const unsigned char c = (unsigned char)path[i];
        if (kiln::IsLeadByte(c)) {
            // A double-byte character counts only when it lies whole inside the walk: one cut off by
            // the byte limit or by the terminator ends the walk before it.
            if (i + 1 >= MAX_PATH || path[i + 1] == '\0') break;
            i += 2;
            continue;
        }
        if (c == '\\' || c == ':') {
            nameStart = i + 1;
            period = -1;
        } else if (c == '.') {
            period = i;
        }
        ++i;
    }
    // A period at the very start of the path (".profile") begins the title, not an extension.
    return {nameStart, period > 0 ? period : i, i};
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool EndsWithBackslash(const CString& s) { return !s.IsEmpty() && s[s.GetLength() - 1] == '\\'; }

}  // namespace

int str2DriveName(const char* path, CString& drive) {
    if (path == nullptr || !IsDriveLetter(path[0]) || path[1] != ':') return 0;
    drive.SetString(path, 2);
    return 1;
}

CString str2DriveName(const char* path) {
    CString drive;
    str2DriveName(path, drive);
    return drive;
}

CString GetWindowsDrive() {
    char dir[292] = "";
    GetWindowsDirectoryA(dir, sizeof dir);
    return str2DriveName(dir);
}

// An empty path has no last byte to test and no backslash: parent becomes empty and the result is 0.
int strRemoveOneDir(const char* path, CString& parent) {
    CString dir(path);  // a copy first: path may be parent's own text
    if (EndsWithBackslash(dir)) dir = dir.Left(dir.GetLength() - 1);
    const char* backslash = _mbsrchr(dir, '\\');
    if (backslash == nullptr) {
        parent = dir;
        return 0;
    }
    parent = dir.Left((int)(backslash - (const char*)dir));
    return 1;
}

CString PathIndexToWithSeparator(const char* dir) {
    CString result(dir);
    if (!result.IsEmpty() && !EndsWithBackslash(result)) result += '\\';
    return result;
}

CString PathIndexToWithoutSeparator(const char* dir) {
    CString result(dir);
    return EndsWithBackslash(result) ? result.Left(result.GetLength() - 1) : result;
}

CString str2PathIndex(const char* path) {
    if (path == nullptr) return CString();
    return CString(path, SplitPath(path).nameStart);
}

CString str2FileName(const char* path) {
    if (path == nullptr) return CString();
    const PathParts parts = SplitPath(path);
    return CString(path + parts.nameStart, parts.walkEnd - parts.nameStart);
}

CString str2FileTitle(const char* path) {
    if (path == nullptr) return CString();
    const PathParts parts = SplitPath(path);
    return CString(path + parts.nameStart, parts.titleEnd - parts.nameStart);
}

CString strAddFileNameTop(const char* path, const char* prefix) {
    return str2PathIndex(path) + prefix + str2FileName(path);
}

CString strAddFileTitleLast(const char* path, const char* suffix) {
    CString result = str2PathIndex(path) + str2FileTitle(path) + suffix;
    result += GetExtension(path);  // a null extension appends nothing
    return result;
}

CString strGetRelativePathFrom(const char* path, const char* base) {
    if (path == nullptr || base == nullptr) return CString();
    int common = 0;
    if (base[0] == '\\' && base[1] == '\\') {
        if (path[0] != '\\' || path[1] != '\\') return CString();
        common = 2;  // the two empty components before the server name
    }
    for (;; ++common) {
        const CString part = GetSeparatedString(base, '\\', common);
        if (part.IsEmpty() || part.CompareNoCase(GetSeparatedString(path, '\\', common)) != 0) break;
    }
    CString result;
    for (int i = common; !GetSeparatedString(base, '\\', i).IsEmpty(); ++i) result += "..\\";
    if (const char* rest = strChrNumbered(path, '\\', common)) result += rest + 1;
    return result;
}

CString GetModulePath() {
    char file[MAX_PATH + 1] = "";
    GetModuleFileNameA(nullptr, file, MAX_PATH);
    // Every "\.\" becomes a single backslash.
    CString clean;
    for (const char* p = file; *p != '\0';) {
        if (p[0] == '\\' && p[1] == '.' && p[2] == '\\') {
            p += 2;
            continue;
        }
        const int len = (int)kiln::CharLength(p);
        clean.Append(p, len);
        p += len;
    }
    return str2PathIndex(clean);
}

int IsRootedPath(const char* path) {
    if (path == nullptr) return 0;
    return std::strchr(path, ':') != nullptr || (path[0] == '\\' && path[1] == '\\') ? 1 : 0;
}
