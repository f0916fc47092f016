#include <kiln/platform/store/private_profile.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/text/mbcs.h>
#include <kiln/platform/files/path_map.h>

#include "platform/text/name_fold.h"
#include "platform/store/hive_path.h"
#include "platform/files/replace_file.h"
#include "platform/runtime/descriptor.h"
#include "platform/runtime/host_folder.h"

namespace {

std::string_view TrimBlanks(std::string_view s) {
    const char* blanks = " \t\r";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return std::string_view();
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n", or "" for a last line without one
};

enum class Kind { Other, Section, Entry };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;   // section or key name
    std::string_view value;  // an entry's value
};

// What a line is. A line is read up to a zero byte, if it holds one.
Parsed Parse(const std::string& text) {
    std::string_view t(text.c_str());
    t = TrimBlanks(t);
    Parsed p;
    if (t.empty() || t[0] == ';') return p;
    if (t[0] == '[') {
        size_t i = 1;
        while (i < t.size() && t[i] != ']') i += kiln::CharLength(t.data() + i, t.data() + t.size());
        p.kind = Kind::Section;
        p.name = TrimBlanks(t.substr(1, i - 1));
        return p;
    }
    size_t eq = t.find('=');  // "=" is never the second byte of a double-byte character
    if (eq == std::string_view::npos) return p;
    p.kind = Kind::Entry;
    p.name = TrimBlanks(t.substr(0, eq));
    p.value = TrimBlanks(t.substr(eq + 1));
    if (p.value.size() >= 2 && (p.value[0] == '"' || p.value[0] == '\'') && p.value.back() == p.value[0])
        p.value = p.value.substr(1, p.value.size() - 2);
    return p;
}

// An INI file as lines, each with what it is.
class IniText {
public:
    void Set(const std::string& bytes) {
        m_lines.clear();
        size_t pos = 0;
        while (pos < bytes.size()) {
            size_t nl = bytes.find('\n', pos);
            Line line;
            if (nl == std::string::npos) {
                line.text = bytes.substr(pos);
                pos = bytes.size();
            } else {
                bool cr = nl > pos && bytes[nl - 1] == '\r';
                line.text = bytes.substr(pos, nl - pos - (cr ? 1 : 0));
                line.end = cr ? "\r\n" : "\n";
                pos = nl + 1;
            }
            m_lines.push_back(std::move(line));
        }
        Reparse();
    }

    std::string Bytes() const {
        std::string out;
        for (const Line& l : m_lines) out += l.text + l.end;
        return out;
    }

    // Index of the first header of the section, or -1.
    long FindSection(std::string_view name) const {
        std::string fold = kiln::detail::FoldName(name);
        for (size_t i = 0; i < m_parsed.size(); ++i)
            if (m_parsed[i].kind == Kind::Section && kiln::detail::FoldName(m_parsed[i].name) == fold)
                return (long)i;
        return -1;
    }
    // One past the last line of the section that starts at header.
    size_t SectionEnd(long header) const {
        size_t i = (size_t)header + 1;
        while (i < m_parsed.size() && m_parsed[i].kind != Kind::Section) ++i;
        return i;
    }
    // Index of the first entry of the key in the section, or -1.
    long FindKey(long header, std::string_view key) const {
        std::string fold = kiln::detail::FoldName(key);
        for (size_t i = (size_t)header + 1, end = SectionEnd(header); i < end; ++i)
            if (m_parsed[i].kind == Kind::Entry && kiln::detail::FoldName(m_parsed[i].name) == fold)
                return (long)i;
        return -1;
    }

    const Parsed& At(size_t i) const { return m_parsed[i]; }
    size_t Size() const { return m_lines.size(); }

    // Names of the sections (header >= 0: of the keys in that section), first spelling of each.
    std::vector<std::string> Names(long header) const {
        std::vector<std::string> names, folds;
        size_t begin = header < 0 ? 0 : (size_t)header + 1;
        size_t end = header < 0 ? m_parsed.size() : SectionEnd(header);
        Kind kind = header < 0 ? Kind::Section : Kind::Entry;
        for (size_t i = begin; i < end; ++i) {
            if (m_parsed[i].kind != kind) continue;
            std::string fold = kiln::detail::FoldName(m_parsed[i].name);
            bool seen = false;
            for (const auto& f : folds) seen = seen || f == fold;
            if (seen) continue;
            folds.push_back(fold);
            names.emplace_back(m_parsed[i].name);
        }
        return names;
    }

    // New lines end as the file's first line does; CR LF, as Windows writes, for a new file.
    std::string NewLine() const { return !m_lines.empty() && m_lines[0].end == "\n" ? "\n" : "\r\n"; }
    void Insert(size_t at, std::string text) {
        std::string nl = NewLine();
        if (at > 0 && m_lines[at - 1].end.empty()) m_lines[at - 1].end = nl;
        m_lines.insert(m_lines.begin() + (long)at, Line{std::move(text), nl});
        Reparse();
    }
    void Replace(size_t at, std::string text) {
        m_lines[at].text = std::move(text);
        Reparse();
    }
    void Erase(size_t from, size_t to) {
        m_lines.erase(m_lines.begin() + (long)from, m_lines.begin() + (long)to);
        Reparse();
    }
    bool BlankAt(size_t i) const { return TrimBlanks(std::string_view(m_lines[i].text.c_str())).empty(); }

private:
    void Reparse() {
        m_parsed.clear();
        for (const Line& l : m_lines) m_parsed.push_back(Parse(l.text));
    }

    std::vector<Line> m_lines;
    std::vector<Parsed> m_parsed;
};

// The host path of an INI file name, and whether it is a bare name kept in the settings folder.
bool HostPathOf(LPCSTR file, std::string& host, bool& inSettingsFolder) {
    if (file == nullptr || file[0] == '\0') return false;
    inSettingsFolder =
        _mbschr(file, '\\') == nullptr && strchr(file, '/') == nullptr && strchr(file, ':') == nullptr;
    if (!inSettingsFolder) return kiln::ToHostPath(file, host);
    std::string hive = kiln::detail::HivePath(kiln::detail::Hive::User);
    host = kiln::detail::HostFolderOf(hive) + "/" + file;
    return true;
}

// Reads the whole file; 0, or the errno value (ENOENT for a missing file).
// Only a regular file holds settings: a device, pipe or FIFO reads as empty, at once (opening a FIFO
// without a writer would wait, and /dev/zero would never end).
int ReadWhole(const std::string& host, std::string& bytes) {
    bytes.clear();
    kiln::detail::Descriptor fd(open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) return errno;
    struct stat st;
    if (fstat(fd.get(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return 0;
    return kiln::detail::ReadAll(fd.get(), bytes);
}

// Loads the file for reading; a file that cannot be read reads as empty, with the last error set.
void LoadForReading(LPCSTR file, IniText& ini) {
    std::string host, bytes;
    bool inSettingsFolder;
    if (!HostPathOf(file, host, inSettingsFolder)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
    } else if (int e = ReadWhole(host, bytes); e != 0) {
        SetLastError(kiln::Win32ErrorFromErrno(e, host.c_str()));
        bytes.clear();
    }
    ini.Set(bytes);
}

DWORD CopyText(std::string_view text, LPSTR out, DWORD size) {
    if (text.size() < size) {
        if (!text.empty()) memcpy(out, text.data(), text.size());
        out[text.size()] = '\0';
        return (DWORD)text.size();
    }
    memcpy(out, text.data(), size - 1);
    out[size - 1] = '\0';
    SetLastError(ERROR_MORE_DATA);
    return size - 1;
}

DWORD CopyList(const std::vector<std::string>& names, LPSTR out, DWORD size) {
    std::string all;
    for (const auto& n : names) all.append(n.c_str(), strlen(n.c_str()) + 1);
    if (all.size() + 1 <= size) {
        memcpy(out, all.data(), all.size());
        out[all.size()] = '\0';
        return (DWORD)all.size();
    }
    if (size < 2) {
        out[0] = '\0';
        return 0;
    }
    memcpy(out, all.data(), size - 2);
    out[size - 2] = '\0';
    out[size - 1] = '\0';
    SetLastError(ERROR_MORE_DATA);
    return size - 2;
}

// Holds an exclusive lock on a folder, so that writers in other processes do not interleave their
// read-change-write of the files in it. Without a readable folder there is nothing to lock.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : m_fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd)
            while (flock(m_fd.get(), LOCK_EX) != 0 && errno == EINTR) {}
    }

private:
    kiln::detail::Descriptor m_fd;  // closing it releases the lock
};

// Applies one write to the text; false when nothing changes.
bool Apply(IniText& ini, LPCSTR app, LPCSTR key, LPCSTR value) {
    long header = ini.FindSection(app);
    if (key == nullptr) {
        if (header < 0) return false;
        ini.Erase((size_t)header, ini.SectionEnd(header));
        return true;
    }
    long line = header < 0 ? -1 : ini.FindKey(header, key);
    if (value == nullptr) {
        if (line < 0) return false;
        ini.Erase((size_t)line, (size_t)line + 1);
        return true;
    }
    if (line >= 0) {
        // The key keeps the spelling it has in the file.
        ini.Replace((size_t)line, std::string(ini.At((size_t)line).name) + "=" + value);
        return true;
    }
    if (header < 0) {
        ini.Insert(ini.Size(), std::string("[") + app + "]");
        ini.Insert(ini.Size(), std::string(key) + "=" + value);
        return true;
    }
    // After the last line of the section that is not blank, so blank lines before the next section stay.
    size_t at = ini.SectionEnd(header);
    while (at > (size_t)header + 1 && ini.BlankAt(at - 1)) --at;
    ini.Insert(at, std::string(key) + "=" + value);
    return true;
}

// The integer at the start of a value: optional blanks and sign, then 0x (hexadecimal), 0o (octal),
// 0b (binary) or decimal digits, read up to the first character that is not a digit.
UINT ParseInt(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    unsigned base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    } else if (p[0] == '0' && (p[1] == 'o' || p[1] == 'O')) {
        base = 8;
        p += 2;
    } else if (p[0] == '0' && (p[1] == 'b' || p[1] == 'B')) {
        base = 2;
        p += 2;
    }
    UINT v = 0;
    for (;; ++p) {
        unsigned d;
        if (*p >= '0' && *p <= '9')
            d = (unsigned)(*p - '0');
        else if (*p >= 'a' && *p <= 'f')
            d = (unsigned)(*p - 'a' + 10);
        else if (*p >= 'A' && *p <= 'F')
            d = (unsigned)(*p - 'A' + 10);
        else
            break;
        if (d >= base) break;
        v = v * base + d;
    }
    return negative ? 0u - v : v;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0) return 0;
    IniText ini;
    LoadForReading(lpFileName, ini);
    if (lpAppName == nullptr) return CopyList(ini.Names(-1), lpReturnedString, nSize);
    long header = ini.FindSection(lpAppName);
    if (lpKeyName == nullptr)
        return CopyList(header < 0 ? std::vector<std::string>() : ini.Names(header), lpReturnedString, nSize);
    long line = header < 0 ? -1 : ini.FindKey(header, lpKeyName);
    if (line >= 0) return CopyText(ini.At((size_t)line).value, lpReturnedString, nSize);
    SetLastError(ERROR_FILE_NOT_FOUND);
    std::string_view def = lpDefault == nullptr ? std::string_view() : std::string_view(lpDefault);
    while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
    return CopyText(def, lpReturnedString, nSize);
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
    if (lpAppName == nullptr || lpKeyName == nullptr) return (UINT)nDefault;
    IniText ini;
    LoadForReading(lpFileName, ini);
    long header = ini.FindSection(lpAppName);
    long line = header < 0 ? -1 : ini.FindKey(header, lpKeyName);
    if (line < 0 || ini.At((size_t)line).value.empty()) return (UINT)nDefault;
    return ParseInt(std::string(ini.At((size_t)line).value).c_str());
}

DWORD GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName) {
    return GetPrivateProfileStringA(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName) {
    if (lpAppName == nullptr) {
        // All three null asks to flush a cache; every write here goes straight to the file.
        if (lpKeyName == nullptr && lpString == nullptr) return TRUE;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string host;
    bool inSettingsFolder = false;
    if (!HostPathOf(lpFileName, host, inSettingsFolder)) {
        SetLastError(lpFileName == nullptr ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string folder = kiln::detail::HostFolderOf(host);
    if (inSettingsFolder) {
        if (int e = kiln::detail::MakeFolders(folder, 0700); e != 0) {
            SetLastError(kiln::Win32ErrorFromErrno(e, host.c_str()));
            return FALSE;
        }
    }
    FolderLock lock(folder);
    std::string bytes;
    int e = ReadWhole(host, bytes);
    if (e != 0 && e != ENOENT) {
        SetLastError(kiln::Win32ErrorFromErrno(e, host.c_str()));
        return FALSE;
    }
    IniText ini;
    ini.Set(bytes);
    if (!Apply(ini, lpAppName, lpKeyName, lpString)) return TRUE;
    e = kiln::detail::ReplaceFileContents(host, ini.Bytes());
    if (e != 0) {
        SetLastError(kiln::Win32ErrorFromErrno(e, host.c_str()));
        return FALSE;
    }
    return TRUE;
}
