#include <kiln/util/folder_delete.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <kiln/platform/files/path_map.h>
#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/runtime/system.h>

#include "platform/files/name_match.h"

// The tree is walked through folder descriptors (openat, unlinkat): no path is built or resolved
// again below the top, the walk cannot be led out of the tree by a link or a rename, and a deep tree
// costs one descriptor per level. The walk keeps its own stack, so depth never threatens the call
// stack.

namespace {

struct CloseDir {
    void operator()(DIR* dir) const { closedir(dir); }
};
using Dir = std::unique_ptr<DIR, CloseDir>;

// A folder being emptied: its listing, the subfolders still to remove, and whether an entry keeps it.
struct Level {
    explicit Level(Dir d, std::string n = {}) : dir(std::move(d)), name(std::move(n)) {}
    Dir dir;
    std::string name;  // its name in the parent folder
    std::vector<std::string> folders;
    bool kept = false;
};

bool IsDots(const char* n) { return n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')); }

bool IsFolder(int dirFd, const dirent* d) {
    if (d->d_type != DT_UNKNOWN) return d->d_type == DT_DIR;
    struct stat st;
    return fstatat(dirFd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// Lists the folder of level. A search would stop at the first entry that ends the walk (a file, a
// link, or any entry without recursion); only the subfolders found before it stay on the list. The
// order matters only then, so the listing is not sorted: the stopping entry is the least of them in
// the search's order, and the subfolders are compared with it.
void List(Level& level, bool recurse) {
    int fd = dirfd(level.dir.get());
    std::pair<std::string, std::string> stop;
    while (const dirent* d = readdir(level.dir.get())) {
        if (IsDots(d->d_name)) continue;
        if (recurse && IsFolder(fd, d)) {
            level.folders.emplace_back(d->d_name);
            continue;
        }
        std::pair<std::string, std::string> key(kiln::FindOrderKey(d->d_name), d->d_name);
        if (!level.kept || key < stop) stop = std::move(key);
        level.kept = true;
    }
    if (!level.kept) return;
    std::erase_if(level.folders, [&](const std::string& name) {
        return std::make_pair(kiln::FindOrderKey(name), name) > stop;
    });
}

Dir OpenSubfolder(int parentFd, const std::string& name) {
    int fd = openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return nullptr;
    Dir dir(fdopendir(fd));
    if (dir == nullptr) close(fd);
    return dir;
}

}  // namespace

int DeleteFolderRecursive(const char* folder, unsigned long flags) {
    if (folder == nullptr) folder = "";
    bool recurse = (flags & 1) != 0;
    std::string host;
    Dir top(kiln::ToHostPath(folder, host) ? opendir(host.c_str()) : nullptr);
    // A folder that cannot be listed is one whose search finds nothing: only the removal is tried.
    if (top == nullptr) return RemoveDirectoryA(folder);

    std::vector<Level> stack;
    stack.emplace_back(std::move(top));
    List(stack.back(), recurse);
    for (;;) {
        Level& level = stack.back();
        int fd = dirfd(level.dir.get());
        if (!level.folders.empty()) {
            std::string name = std::move(level.folders.back());
            level.folders.pop_back();
            // Most folders of such a tree are empty: removing first settles them in one call, with
            // the outcome of a walk that finds nothing. Only a folder that stays is walked (and
            // removed again afterwards); one that cannot be opened has had its one try.
            if (unlinkat(fd, name.c_str(), AT_REMOVEDIR) == 0) continue;
            if (Dir sub = OpenSubfolder(fd, name)) {
                stack.emplace_back(std::move(sub), std::move(name));
                List(stack.back(), recurse);
            }
            continue;
        }
        Level done = std::move(level);
        stack.pop_back();
        done.dir.reset();
        if (stack.empty()) {
            if (!done.kept) return RemoveDirectoryA(folder);
            SetLastError(ERROR_DIR_NOT_EMPTY);
            return 0;
        }
        // A subfolder's own result is not looked at: when it stays, its parent's removal fails.
        if (!done.kept) unlinkat(dirfd(stack.back().dir.get()), done.name.c_str(), AT_REMOVEDIR);
    }
}
