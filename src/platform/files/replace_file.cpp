#include "platform/files/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/runtime/descriptor.h"
#include "platform/runtime/host_folder.h"

namespace kiln::detail {
namespace {

std::atomic<ReplaceFaultHook> g_faultHook{nullptr};

// 0, or the errno value a test's hook injects before this step.
int Fault(ReplaceStep step) {
    ReplaceFaultHook hook = g_faultHook.load(std::memory_order_relaxed);
    return hook != nullptr ? hook(step) : 0;
}

// The process's umask, read without changing it (which umask() would do, racing other threads).
mode_t CurrentUmask() {
    FILE* f = fopen("/proc/self/status", "r");
    mode_t mask = 022;
    if (f == nullptr) return mask;
    char line[256];
    unsigned value;
    while (fgets(line, sizeof line, f) != nullptr)
        if (sscanf(line, "Umask: %o", &value) == 1) {
            mask = (mode_t)value;
            break;
        }
    fclose(f);
    return mask;
}

// Puts the finished file in place: atomically refusing an existing one with noReplace. 0 or errno.
int PlaceFile(const std::string& temp, const std::string& target, bool noReplace) {
    if (!noReplace) return rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without no-replace renames: a hard link fails on an existing name just as well.
    if (link(temp.c_str(), target.c_str()) != 0) return errno;
    unlink(temp.c_str());
    return 0;
}

}  // namespace

void SetReplaceFaultHook(ReplaceFaultHook hook) { g_faultHook.store(hook, std::memory_order_relaxed); }

int MakeFolders(const std::string& dir, mode_t mode) {
    if (dir.size() >= PATH_MAX) return ENAMETOOLONG;
    struct stat st;
    if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT) return errno;
    std::string parent = HostFolderOf(dir);
    if (parent != "/" && parent != ".") {
        int e = MakeFolders(parent, mode);
        if (e != 0) return e;
    }
    if (mkdir(dir.c_str(), mode) != 0 && errno != EEXIST) return errno;
    return 0;
}

int AtomicReplace(const std::string& hostPath, const std::function<int(int fd)>& fill, bool noReplace) {
    std::string target = hostPath;
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(target.c_str(), resolved) != nullptr) target = resolved;
    }
    std::string folder = HostFolderOf(target);
    size_t slash = target.rfind('/');
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + "/." + base + ".XXXXXX";

    if (int e = Fault(ReplaceStep::Create)) return e;
    Descriptor fd(mkostemp(temp.data(), O_CLOEXEC));
    if (!fd) return errno;
    int e = fill(fd.get());
    if (e == 0) e = Fault(ReplaceStep::Sync);
    if (e == 0 && fsync(fd.get()) != 0) e = errno;
    if (e == 0) e = Fault(ReplaceStep::Close);
    if (e == 0 && close(fd.Release()) != 0) e = errno;
    if (e == 0) e = Fault(ReplaceStep::Rename);
    if (e == 0) e = PlaceFile(temp, target, noReplace);
    if (e != 0) {
        unlink(temp.c_str());
        return e;
    }
    // The new contents are in place: a folder that cannot be synced changes nothing for readers.
    if (Fault(ReplaceStep::SyncFolder) != 0) return 0;
    Descriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) fsync(dir.get());  // makes the rename itself durable
    return 0;
}

int ReplaceFileContents(const std::string& hostPath, std::string_view bytes) {
    struct stat st;
    bool exists = stat(hostPath.c_str(), &st) == 0;
    // A device, a pipe or a FIFO has no contents to replace (and renaming over /dev/null would
    // replace the device itself): the bytes are written to it as they are.
    if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        Descriptor fd(open(hostPath.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
        if (!fd) return errno;
        int e = WriteAll(fd.get(), bytes);
        if (close(fd.Release()) != 0 && e == 0) e = errno;
        return e;
    }
    return AtomicReplace(hostPath, [&](int fd) {
        int e = Fault(ReplaceStep::Write);
        if (e == 0) e = WriteAll(fd, bytes);
        if (e == 0) e = Fault(ReplaceStep::Mode);
        if (e != 0) return e;
        if (exists) {
            // Only root may give a file away; otherwise the writer stays its owner, which is fine.
            if (fchown(fd, st.st_uid, st.st_gid) != 0) errno = 0;
            return fchmod(fd, st.st_mode & 07777) != 0 ? errno : 0;
        }
        return fchmod(fd, 0666 & ~CurrentUmask()) != 0 ? errno : 0;
    });
}

}  // namespace kiln::detail
