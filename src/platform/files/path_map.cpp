#include <kiln/platform/files/path_map.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include <unistd.h>

#include <kiln/platform/text/mbcs.h>

namespace kiln {
namespace {

using Parts = std::vector<std::string>;

// Splits s at '\' and '/' and appends its components to parts, dropping "." and empty components
// and letting ".." remove the previous one (never one of the first `floor` parts). A '\' that is the
// trail byte of a double-byte character belongs to its character. Returns whether s ends with a
// separator.
bool AppendComponents(std::string_view s, Parts& parts, size_t floor = 0) {
    std::string cur;
    bool endsWithSeparator = false;
    auto flush = [&] {
        if (cur == "..") {
            if (parts.size() > floor) parts.pop_back();
        } else if (!cur.empty() && cur != ".") {
            parts.push_back(cur);
        }
        cur.clear();
    };
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = (unsigned char)s[i];
        endsWithSeparator = false;
        if (CharLength(s.data() + i, s.data() + s.size()) == 2) {
            cur += s[i];
            cur += s[++i];
        } else if (c == '\\' || c == '/') {
            flush();
            endsWithSeparator = true;
        } else {
            cur += (char)c;
        }
    }
    flush();
    return endsWithSeparator;
}

std::string Join(const Parts& parts, size_t from, char separator) {
    std::string out;
    for (size_t i = from; i < parts.size(); ++i) {
        if (i > from) out += separator;
        out += parts[i];
    }
    return out;
}

// The drives: index 0 is A:, 25 is Z:. A drive without root parts and without `mapped` does not exist.
struct DriveTable {
    std::array<Parts, 26> root;
    std::array<bool, 26> mapped{};
    std::array<bool, 26> configured{};  // named in KILN_DRIVES (wins a tie against the default Z:)
};

// "C=/srv/c;D=/mnt/d": entries that are not a letter, '=' and an absolute path are ignored, except
// that an empty path ("C=") removes a drive, so even Z: can be taken away.
std::shared_ptr<const DriveTable> ParseDrives(const std::string& value) {
    auto table = std::make_shared<DriveTable>();
    table->mapped[25] = true;
    size_t pos = 0;
    while (pos <= value.size()) {
        size_t end = value.find(';', pos);
        if (end == std::string::npos) end = value.size();
        std::string_view entry(value.data() + pos, end - pos);
        pos = end + 1;
        if (entry.size() < 2 || !std::isalpha((unsigned char)entry[0]) || entry[1] != '=') continue;
        std::string_view root = entry.substr(2);
        if (!root.empty() && root[0] != '/') continue;
        int drive = kiln::ToAsciiUpper(entry[0]) - 'A';
        table->root[drive].clear();
        AppendComponents(root, table->root[drive]);
        table->mapped[drive] = !root.empty();
        table->configured[drive] = true;
    }
    return table;
}

// The table for the current value of KILN_DRIVES, parsed again only when that value changes.
std::shared_ptr<const DriveTable> Drives() {
    static std::mutex mutex;
    static std::string cachedValue;
    static std::shared_ptr<const DriveTable> cached;
    const char* env = std::getenv("KILN_DRIVES");
    std::string value = env != nullptr ? env : "";
    std::lock_guard<std::mutex> lock(mutex);
    if (!cached || value != cachedValue) {
        cached = ParseDrives(value);
        cachedValue = value;
    }
    return cached;
}

// A Windows path after resolution: drive letter ('A'..'Z', or 0 for a rooted path that lies on no
// drive) and the components below the root.
struct WinPath {
    char drive = 0;
    Parts parts;
    bool trailing = false;
};

std::string Format(const WinPath& p) {
    std::string out;
    if (p.drive != 0) {
        out += p.drive;
        out += ':';
    }
    out += '\\';
    out += Join(p.parts, 0, '\\');
    if (p.trailing && !p.parts.empty()) out += '\\';
    return out;
}

// The Windows form of absolute host components: the drive whose root is the longest prefix, a
// configured drive before the default Z: and a lower letter before a higher one on equal length.
WinPath FromHost(Parts host, bool trailing, const DriveTable& drives) {
    int best = -1;
    for (int d = 0; d < 26; ++d) {
        if (!drives.mapped[d]) continue;
        const Parts& root = drives.root[d];
        if (root.size() > host.size() || !std::equal(root.begin(), root.end(), host.begin())) continue;
        if (best < 0 || root.size() > drives.root[best].size() ||
            (root.size() == drives.root[best].size() && drives.configured[d] && !drives.configured[best]))
            best = d;
    }
    WinPath out;
    out.trailing = trailing;
    if (best < 0) {
        out.parts = std::move(host);
        return out;
    }
    out.drive = (char)('A' + best);
    out.parts.assign(host.begin() + (std::ptrdiff_t)drives.root[best].size(), host.end());
    return out;
}

Parts HostCwd() {
    std::string buffer(256, '\0');
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        // A working directory that no longer exists reads as the host root.
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
    Parts parts;
    AppendComponents(buffer.c_str(), parts);
    return parts;
}

WinPath WindowsCwd(const DriveTable& drives) { return FromHost(HostCwd(), false, drives); }

bool IsUnc(const char* path) { return path[0] == '\\' && path[1] == '\\'; }
bool HasDrive(const char* path) { return std::isalpha((unsigned char)path[0]) && path[1] == ':'; }

// Resolves a non-empty, non-UNC Windows path to its full form. A path that starts with '/' is a
// host path and is named by its drive.
WinPath Resolve(const char* path, const DriveTable& drives) {
    WinPath out;
    if (path[0] == '/') {
        Parts host;
        bool trailing = AppendComponents(path, host);
        return FromHost(std::move(host), trailing, drives);
    }
    if (HasDrive(path)) {
        // "C:foo" is taken from the drive's root.
        out.drive = kiln::ToAsciiUpper(path[0]);
        out.trailing = AppendComponents(path + 2, out.parts);
        return out;
    }
    out = WindowsCwd(drives);
    if (path[0] == '\\') out.parts.clear();  // the root of the working directory's drive
    out.trailing = AppendComponents(path, out.parts);
    return out;
}

}  // namespace

bool ToHostPath(const char* windowsPath, std::string& hostPath) {
    hostPath.clear();
    if (windowsPath == nullptr || windowsPath[0] == '\0' || IsUnc(windowsPath)) return false;
    auto drives = Drives();
    WinPath p = Resolve(windowsPath, *drives);
    Parts host;
    if (p.drive != 0) {
        int d = p.drive - 'A';
        if (!drives->mapped[d]) return false;
        host = drives->root[d];
    }
    host.insert(host.end(), p.parts.begin(), p.parts.end());
    hostPath = "/" + Join(host, 0, '/');
    if (p.trailing && !p.parts.empty()) hostPath += '/';
    return true;
}

std::string ToWindowsPath(const std::string& hostPath) {
    auto drives = Drives();
    Parts host;
    if (hostPath.empty() || hostPath[0] != '/') host = HostCwd();
    bool trailing = AppendComponents(hostPath, host);
    return Format(FromHost(std::move(host), trailing, *drives));
}

std::string FullWindowsPath(const char* windowsPath) {
    if (windowsPath == nullptr || windowsPath[0] == '\0') return {};
    if (IsUnc(windowsPath)) {
        // \\server\share\...: the server and share stay, ".." never climbs above them.
        std::string_view path(windowsPath);
        size_t shareEnd = 2;
        for (int separators = 0; shareEnd < path.size(); ++shareEnd) {
            if (CharLength(path.data() + shareEnd, path.data() + path.size()) == 2) {
                ++shareEnd;
            } else if ((path[shareEnd] == '\\' || path[shareEnd] == '/') && ++separators == 2) {
                break;
            }
        }
        Parts parts;
        AppendComponents(path.substr(0, shareEnd), parts);
        bool trailing = AppendComponents(path.substr(shareEnd), parts, parts.size());
        std::string out = "\\\\" + Join(parts, 0, '\\');
        if (trailing && parts.size() > 2) out += '\\';
        return out;
    }
    return Format(Resolve(windowsPath, *Drives()));
}

}  // namespace kiln
