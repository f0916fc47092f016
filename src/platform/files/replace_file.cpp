#include "platform/files/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace kiln {
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

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        if (int e = Fault(ReplaceStep::Write)) return e;
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix((size_t)n);
    }
    return 0;
}

}  // namespace

void SetReplaceFaultHook(ReplaceFaultHook hook) { g_faultHook.store(hook); }

int MakeFolders(const std::string& dir, mode_t mode) {
    // Each level below is one call deeper: the length bounds the depth.
    if (dir.size() >= PATH_MAX) return ENAMETOOLONG;
    struct stat st;
    if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT) return errno;
    size_t slash = dir.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        int e = MakeFolders(dir.substr(0, slash), mode);
        if (e != 0) return e;
    }
    if (mkdir(dir.c_str(), mode) != 0 && errno != EEXIST) return errno;
    return 0;
}

int ReplaceFileContents(const std::string& hostPath, std::string_view bytes) {
    std::string target = hostPath;
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(target.c_str(), resolved) != nullptr) target = resolved;
    }
    bool exists = stat(target.c_str(), &st) == 0;
    // A device, a pipe or a FIFO has no contents to replace (and renaming over /dev/null would
    // replace the device itself): the bytes are written to it as they are.
    if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return errno;
        int e = WriteAll(fd, bytes);
        if (close(fd) != 0 && e == 0) e = errno;
        return e;
    }
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + "/." + base + ".XXXXXX";

    if (int e = Fault(ReplaceStep::Create)) return e;
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    int e = WriteAll(fd, bytes);
    if (e == 0) e = Fault(ReplaceStep::Mode);
    if (e == 0) {
        if (exists) {
            // Only root may give a file away; otherwise the writer stays its owner, which is fine.
            if (fchown(fd, st.st_uid, st.st_gid) != 0) errno = 0;
            if (fchmod(fd, st.st_mode & 07777) != 0) e = errno;
        } else if (fchmod(fd, 0666 & ~CurrentUmask()) != 0) {
            e = errno;
        }
    }
    if (e == 0) e = Fault(ReplaceStep::Sync);
    if (e == 0 && fsync(fd) != 0) e = errno;
    if (e == 0) e = Fault(ReplaceStep::Close);
    if (close(fd) != 0 && e == 0) e = errno;
    if (e == 0) e = Fault(ReplaceStep::Rename);
    if (e == 0 && rename(temp.c_str(), target.c_str()) != 0) e = errno;
    if (e != 0) {
        unlink(temp.c_str());
        return e;
    }
    // The new contents are in place: a folder that cannot be synced changes nothing for readers.
    if (Fault(ReplaceStep::SyncFolder) != 0) return 0;
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);  // makes the rename itself durable
        close(dir);
    }
    return 0;
}

}  // namespace kiln
