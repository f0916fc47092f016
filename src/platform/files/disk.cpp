#include <kiln/platform/files/disk.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/files/path_map.h>

namespace {

// The statfs magic number of FUSE file systems.
constexpr uint32_t kFuseMagic = 0x65735546;

// The DRIVE_ type of a file system from its statfs magic number, its type in the mount table (read
// only for FUSE file systems, whose magic number says nothing: "fuse.sshfs"), whether the kernel
// marks its block device removable and the device's major number.
UINT DriveTypeOfFileSystem(uint32_t magic, std::string_view mountType, bool removableDevice,
                           unsigned deviceMajor) {
    switch (magic) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x73757245:  // Coda
    case 0x5346414F:  // AFS
    case 0x6B414653:  // kAFS
    case 0x00C36400:  // Ceph
    case 0x01021997:  // 9P
    case 0x564C:      // NCP
        return DRIVE_REMOTE;
    case 0x9660:      // ISO 9660
    case 0x15013346:  // UDF
        return DRIVE_CDROM;
    case 0x01021994:  // tmpfs
    case 0x858458F6:  // ramfs
        return DRIVE_RAMDISK;
    case kFuseMagic:
        for (std::string_view remote : {"fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.gcsfuse",
                                        "fuse.curlftpfs", "fuse.glusterfs", "fuse.smbnetfs"})
            if (mountType == remote) return DRIVE_REMOTE;
        return DRIVE_FIXED;
    default: break;
    }
    constexpr unsigned kScsiCdromMajor = 11;
    if (deviceMajor == kScsiCdromMajor) return DRIVE_CDROM;
    return removableDevice ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// The Windows form of the working directory's drive root ("C:\"), or "\" when it lies on no drive.
std::string CurrentRoot() {
    std::string cwd = kiln::FullWindowsPath(".");
    return cwd.size() >= 2 && cwd[1] == ':' ? cwd.substr(0, 2) + "\\" : "\\";
}

// The host folder of a Windows folder path, or FALSE with the last error set.
BOOL HostFolder(const std::string& path, std::string& host) {
    if (!kiln::ToHostPath(path.c_str(), host)) return Fail(ERROR_PATH_NOT_FOUND);
    struct stat st;
    if (stat(host.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Fail(ERROR_PATH_NOT_FOUND);
        kiln::SetLastErrorFromErrno(host.c_str());
        return FALSE;
    }
    if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
    return TRUE;
}

// The space of the disk that holds path (when null: the working directory's drive root, or with
// workingFolder the working directory).
BOOL FolderSpace(LPCSTR path, bool workingFolder, struct statvfs& vfs) {
    std::string host;
    if (!HostFolder(path != nullptr ? path : workingFolder ? "." : CurrentRoot(), host)) return FALSE;
    if (statvfs(host.c_str(), &vfs) != 0) {
        kiln::SetLastErrorFromErrno(host.c_str());
        return FALSE;
    }
    return TRUE;
}

// A drive root is "X:\" (or "X:"); any other folder is a root only where a file system is mounted.
bool IsMountPoint(const std::string& host, const struct stat& st) {
    struct stat parent;
    if (stat((host + "/..").c_str(), &parent) != 0) return false;
    return parent.st_dev != st.st_dev || parent.st_ino == st.st_ino;
}

// The type of a FUSE mount in the mount table ("fuse.sshfs"): the last mount of the device.
std::string MountType(dev_t device) {
    std::ifstream table("/proc/self/mountinfo");
    const std::string id = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::string line, type;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string mountId, parentId, deviceId;
        fields >> mountId >> parentId >> deviceId;
        size_t separator = line.find(" - ");
        if (deviceId != id || separator == std::string::npos) continue;
        std::istringstream rest(line.substr(separator + 3));
        rest >> type;
    }
    return type;
}

// Whether the kernel marks the block device removable (a partition asks its disk).
bool IsRemovableDevice(dev_t device) {
    const std::string base =
        "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    for (const char* name : {"/removable", "/../removable"}) {
        std::ifstream flag(base + name);
        int value = 0;
        if (flag >> value) return value == 1;
    }
    return false;
}

}  // namespace

UINT GetDriveTypeA(LPCSTR lpRootPathName) {
    const std::string windowsPath =
        kiln::FullWindowsPath(lpRootPathName != nullptr ? lpRootPathName : CurrentRoot().c_str());
    std::string host;
    struct stat st;
    if (!kiln::ToHostPath(windowsPath.c_str(), host) || stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return DRIVE_NO_ROOT_DIR;
    const bool driveRoot = windowsPath.size() == 3 && windowsPath[1] == ':';
    if (!driveRoot && !IsMountPoint(host, st)) return DRIVE_NO_ROOT_DIR;
    struct statfs fs;
    if (statfs(host.c_str(), &fs) != 0) return DRIVE_UNKNOWN;
    const auto magic = (uint32_t)fs.f_type;
    return DriveTypeOfFileSystem(magic, magic == kFuseMagic ? MountType(st.st_dev) : "",
                                 IsRemovableDevice(st.st_dev), major(st.st_dev));
}

BOOL GetDiskFreeSpaceA(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster, LPDWORD lpBytesPerSector,
                       LPDWORD lpNumberOfFreeClusters, LPDWORD lpTotalNumberOfClusters) {
    struct statvfs vfs;
    if (!FolderSpace(lpRootPathName, false, vfs)) return FALSE;
    const unsigned long block = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
    DWORD bytesPerSector = block % 512 == 0 ? 512 : (DWORD)block;
    ULONGLONG sectorsPerCluster = block / bytesPerSector;
    ULONGLONG total = vfs.f_blocks;
    ULONGLONG free = vfs.f_bavail;
    while (total > 0xFFFFFFFFull) {
        sectorsPerCluster *= 2;
        total /= 2;
        free /= 2;
    }
    if (lpSectorsPerCluster != nullptr) *lpSectorsPerCluster = (DWORD)sectorsPerCluster;
    if (lpBytesPerSector != nullptr) *lpBytesPerSector = bytesPerSector;
    if (lpNumberOfFreeClusters != nullptr) *lpNumberOfFreeClusters = (DWORD)std::min(free, total);
    if (lpTotalNumberOfClusters != nullptr) *lpTotalNumberOfClusters = (DWORD)total;
    return TRUE;
}

BOOL GetDiskFreeSpaceExA(LPCSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                         PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes) {
    struct statvfs vfs;
    if (!FolderSpace(lpDirectoryName, true, vfs)) return FALSE;
    const ULONGLONG block = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
    if (lpFreeBytesAvailableToCaller != nullptr)
        lpFreeBytesAvailableToCaller->QuadPart = vfs.f_bavail * block;
    if (lpTotalNumberOfBytes != nullptr) lpTotalNumberOfBytes->QuadPart = vfs.f_blocks * block;
    if (lpTotalNumberOfFreeBytes != nullptr) lpTotalNumberOfFreeBytes->QuadPart = vfs.f_bfree * block;
    return TRUE;
}
