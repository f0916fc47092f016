#include "platform/ui/folder_listing.h"

#include <algorithm>
#include <string_view>

#include <dirent.h>
#include <sys/stat.h>

#include <kiln/platform/files/path_map.h>
#include <kiln/platform/text/mbcs.h>

#include "platform/files/file_util.h"
#include "platform/files/name_match.h"

namespace kiln {

namespace {

bool StatWindowsPath(const std::string& path, struct stat& info) {
    std::string host;
    return !path.empty() && ToHostPath(path.c_str(), host) && stat(host.c_str(), &info) == 0;
}

bool MatchesAny(const std::string& masks, const char* name) {
    if (masks.empty()) return true;
    size_t start = 0;
    while (start <= masks.size()) {
        size_t end = masks.find(';', start);
        if (end == std::string::npos) end = masks.size();
        std::string mask = masks.substr(start, end - start);
        mask.erase(0, mask.find_first_not_of(' '));
        if (!mask.empty() && MatchesPattern(mask, name)) return true;
        start = end + 1;
    }
    return false;
}

void SortForFind(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string ka = FindOrderKey(a), kb = FindOrderKey(b);
        return ka != kb ? ka < kb : a < b;
    });
}

}  // namespace

bool ListFolder(const std::string& folder, const std::string& masks, FolderEntries& entries) {
    entries = {};
    std::string host;
    if (!ToHostPath(folder.c_str(), host)) return false;
    DIR* dir = opendir(host.c_str());
    if (dir == nullptr) return false;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        struct stat info {};
        if (stat((host + "/" + entry->d_name).c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode))
            entries.folders.emplace_back(entry->d_name);
        else if (MatchesAny(masks, entry->d_name))
            entries.files.emplace_back(entry->d_name);
    }
    closedir(dir);
    SortForFind(entries.folders);
    SortForFind(entries.files);
    return true;
}

bool IsFolderPath(const std::string& path) {
    struct stat info {};
    return StatWindowsPath(path, info) && S_ISDIR(info.st_mode);
}

bool IsFilePath(const std::string& path) {
    struct stat info {};
    return StatWindowsPath(path, info) && !S_ISDIR(info.st_mode);
}

std::string WithBackslash(std::string path) {
    if (path.empty() || detail::FileNameOffset(path) != path.size()) return path + '\\';
    if (path.back() == '/') path.back() = '\\';
    return path;
}

std::string ResolveName(const std::string& folder, const std::string& name) {
    if (name.empty()) return {};
    const bool rooted = name.find(':') != std::string::npos || name[0] == '\\' || name[0] == '/';
    if (rooted) return FullWindowsPath(name.c_str());
    return FullWindowsPath((WithBackslash(folder) + name).c_str());
}

bool IsRootFolder(const std::string& folder) {
    std::string_view path(folder);
    if (!path.empty()) path.remove_suffix(1);
    const size_t offset = detail::FileNameOffset(path);
    return offset == 0 || offset == path.size();
}

}  // namespace kiln
