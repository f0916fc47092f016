#include <kiln/platform/files/file_find.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/text/mbcs.h>
#include <kiln/platform/files/path_map.h>

#include "platform/files/file_util.h"
#include "platform/files/name_match.h"

IMPLEMENT_DYNAMIC(CFileFind, CObject)

namespace {

class Folder {
public:
    explicit Folder(const std::string& host) : m_dir(opendir(host.c_str())) {}
    ~Folder() {
        if (m_dir != nullptr) closedir(m_dir);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

}  // namespace

BOOL CFileFind::FindFile(LPCTSTR pstrName, DWORD /*dwUnused*/) {
    Close();
    std::string full = kiln::FullWindowsPath(pstrName != nullptr ? pstrName : "*.*");
    size_t nameAt = kiln::detail::FileNameOffset(full);
    std::string mask = full.substr(nameAt);
    std::string folder = full.substr(0, nameAt);
    std::string host;
    if (full.empty() || !kiln::ToHostPath(folder.c_str(), host)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    Folder dir(host);
    if (dir.get() == nullptr) {
        // A missing folder is "path not found", whatever its parent.
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : kiln::Win32ErrorFromErrno(errno));
        return FALSE;
    }
    std::string root = folder.substr(0, folder.size() - 1);
    bool driveRoot = kiln::detail::FileNameOffset(root) == root.size();  // "Z:", or "" off every drive

    std::vector<std::pair<std::string, Entry>> found;
    int dirFd = dirfd(dir.get());
    while (struct dirent* d = readdir(dir.get())) {
        std::string name = d->d_name;
        bool dots = name == "." || name == "..";
        if ((dots && driveRoot) || !kiln::MatchesPattern(mask, name.c_str())) continue;
        struct stat st;
        if (fstatat(dirFd, d->d_name, &st, 0) != 0 &&
            fstatat(dirFd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;  // gone since it was listed
        bool writable = faccessat(dirFd, d->d_name, W_OK, AT_EACCESS) == 0;
        Entry entry{name.c_str(), kiln::detail::FileAttributes(st, writable, name),
                    S_ISDIR(st.st_mode) ? 0 : (ULONGLONG)st.st_size, st.st_mtime};
        found.emplace_back(kiln::FindOrderKey(name), std::move(entry));
    }
    if (found.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.name.str() < b.second.name.str();
    });
    for (auto& f : found) m_entries.push_back(std::move(f.second));
    m_strRoot = root.c_str();
    return TRUE;
}

BOOL CFileFind::FindNextFile() {
    if (m_next < m_entries.size()) ++m_next;
    if (m_next < m_entries.size()) return TRUE;
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
}

void CFileFind::Close() {
    m_entries.clear();
    m_next = 0;
    m_strRoot.Empty();
}

const CFileFind::Entry* CFileFind::Current() const { return m_next > 0 ? &m_entries[m_next - 1] : nullptr; }

CString CFileFind::GetFileName() const { return Current() != nullptr ? Current()->name : CString(); }

CString CFileFind::GetFilePath() const {
    if (Current() == nullptr) return CString();
    return m_strRoot + "\\" + Current()->name;
}

CString CFileFind::GetFileTitle() const {
    if (Current() == nullptr) return CString();
    std::string_view title = kiln::detail::FileTitle(Current()->name.str());
    return CString(title.data(), (int)title.size());
}

CString CFileFind::GetRoot() const { return m_strRoot; }

ULONGLONG CFileFind::GetLength() const { return Current() != nullptr ? Current()->size : 0; }

BOOL CFileFind::GetLastWriteTime(CTime& refTime) const {
    if (Current() == nullptr) return FALSE;
    refTime = CTime(Current()->lastWrite);
    return TRUE;
}

BOOL CFileFind::MatchesMask(DWORD dwMask) const {
    return Current() != nullptr && (Current()->attributes & dwMask) != 0;
}

BOOL CFileFind::IsDots() const {
    if (!IsDirectory()) return FALSE;
    const CString& name = Current()->name;
    return name == "." || name == "..";
}
