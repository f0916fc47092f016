#include <kiln/platform/disk.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <gtest/gtest.h>

#include <kiln/platform/last_error.h>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::ScopedCwd;
using kiln::test::ScopedEnv;
using kiln::test::TempDir;

// The mount table's file system type for the mount point mountPoint ("" when it is none).
std::string MountedType(const std::string& mountPoint) {
    std::ifstream mounts("/proc/self/mounts");
    std::string line, type;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, point, fsType;
        fields >> device >> point >> fsType;
        if (point == mountPoint) type = fsType;
    }
    return type;
}

bool IsTmpfsMount(const std::string& mountPoint) { return MountedType(mountPoint) == "tmpfs"; }

// File systems on a local disk that the kernel does not mark removable here.
bool IsLocalDiskType(const std::string& type) {
    static const std::set<std::string> local{"ext2", "ext3", "ext4", "xfs", "btrfs", "overlay", "zfs"};
    return local.count(type) != 0;
}

struct statvfs Vfs(const std::string& host) {
    struct statvfs vfs {};
    EXPECT_EQ(0, statvfs(host.c_str(), &vfs)) << host;
    return vfs;
}

class Disk : public ::testing::Test {
protected:
    ScopedEnv drives{"KILN_DRIVES", nullptr};
};

TEST_F(Disk, DriveTypeOfRootsAndMountPoints) {
    const std::string rootType = MountedType("/");
    if (IsLocalDiskType(rootType)) {
        EXPECT_EQ((UINT)DRIVE_FIXED, GetDriveTypeA("Z:\\"));
        EXPECT_EQ((UINT)DRIVE_FIXED, GetDriveTypeA("z:"));
        EXPECT_EQ((UINT)DRIVE_FIXED, GetDriveTypeA("/"));
    }
    EXPECT_NE((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("Z:\\"));
    {
        ScopedCwd cwd("/tmp");
        EXPECT_EQ(GetDriveTypeA("Z:\\"), GetDriveTypeA(nullptr));
    }

    // A folder that is no mount point is no root; a mount point is.
    struct stat tmp = {}, root = {};
    ASSERT_EQ(0, stat("/tmp", &tmp));
    ASSERT_EQ(0, stat("/", &root));
    if (tmp.st_dev == root.st_dev) {
        EXPECT_EQ((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("Z:\\tmp\\"));
    }
    if (IsTmpfsMount("/dev/shm")) {
        EXPECT_EQ((UINT)DRIVE_RAMDISK, GetDriveTypeA("Z:\\dev\\shm\\"));
        EXPECT_EQ((UINT)DRIVE_RAMDISK, GetDriveTypeA("/dev/shm"));
    }
}

TEST_F(Disk, DriveTypeOfMappedAndUnmappedDrives) {
    TempDir dir;
    const std::string mapping = "C=" + dir.host() + ";M=" + dir.host("missing") + ";Z=";
    ScopedEnv mapped("KILN_DRIVES", mapping.c_str());
    // A drive's root need not be a mount point: it takes the type of the disk it lies on.
    EXPECT_NE((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("C:\\"));
    EXPECT_EQ((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("M:\\"));
    EXPECT_EQ((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("Q:\\"));
    EXPECT_EQ((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("Z:\\"));
    if (IsTmpfsMount("/dev/shm")) {
        ScopedEnv ram("KILN_DRIVES", "R=/dev/shm");
        EXPECT_EQ((UINT)DRIVE_RAMDISK, GetDriveTypeA("R:\\"));
    }
}

TEST_F(Disk, FreeSpaceInBytes) {
    TempDir dir;
    const struct statvfs vfs = Vfs(dir.host());
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(dir.win().c_str(), &available, &total, &free));
    EXPECT_EQ((ULONGLONG)vfs.f_blocks * vfs.f_frsize, total.QuadPart);
    EXPECT_EQ(total.LowPart, (DWORD)total.QuadPart);
    EXPECT_EQ(total.u.HighPart, (DWORD)(total.QuadPart >> 32));
    // Free figures move with other processes' writes: near the kernel's, and in their order.
    const double slack = 256.0 * 1024 * 1024;
    EXPECT_NEAR((double)vfs.f_bavail * vfs.f_frsize, (double)available.QuadPart, slack);
    EXPECT_NEAR((double)vfs.f_bfree * vfs.f_frsize, (double)free.QuadPart, slack);
    EXPECT_LE(available.QuadPart, free.QuadPart);
    EXPECT_LE(free.QuadPart, total.QuadPart);

    // Every figure is optional.
    EXPECT_TRUE(GetDiskFreeSpaceExA(dir.win().c_str(), nullptr, nullptr, nullptr));

    // A null folder is the working directory itself.
    if (IsTmpfsMount("/dev/shm")) {
        ScopedCwd cwd("/dev/shm");
        ASSERT_TRUE(GetDiskFreeSpaceExA(nullptr, nullptr, &total, nullptr));
        EXPECT_EQ((ULONGLONG)Vfs("/dev/shm").f_blocks * Vfs("/dev/shm").f_frsize, total.QuadPart);
    }
}

TEST_F(Disk, FreeSpaceInClusters) {
    const struct statvfs vfs = Vfs("/");
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    ASSERT_TRUE(
        GetDiskFreeSpaceA("Z:\\", &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters));
    EXPECT_EQ((ULONGLONG)vfs.f_blocks * vfs.f_frsize,
              (ULONGLONG)totalClusters * sectorsPerCluster * bytesPerSector);
    if (vfs.f_frsize % 512 == 0) {
        EXPECT_EQ(512u, bytesPerSector);
    }
    EXPECT_NEAR((double)vfs.f_bavail * vfs.f_frsize,
                (double)freeClusters * sectorsPerCluster * bytesPerSector, 256.0 * 1024 * 1024);

    // A null root is the root of the working directory's drive, not the working directory's disk.
    ScopedCwd cwd(IsTmpfsMount("/dev/shm") ? "/dev/shm" : "/tmp");
    DWORD nullTotal = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA(nullptr, nullptr, nullptr, nullptr, &nullTotal));
    EXPECT_EQ(totalClusters, nullTotal);
}

TEST_F(Disk, FreeSpaceFailures) {
    TempDir dir;
    dir.Write("file", "x");
    const std::string mapping = "M=" + dir.host("missing");
    ScopedEnv mapped("KILN_DRIVES", mapping.c_str());
    ULARGE_INTEGER total{};
    total.QuadPart = 7;
    DWORD clusters = 7;

    struct Case {
        std::string path;
        DWORD error;
    };
    for (const Case& c :
         {Case{"Q:\\", ERROR_PATH_NOT_FOUND}, Case{"M:\\", ERROR_PATH_NOT_FOUND},
          Case{dir.win("missing\\"), ERROR_PATH_NOT_FOUND}, Case{dir.win("file\\sub"), ERROR_PATH_NOT_FOUND},
          Case{dir.win("file"), ERROR_DIRECTORY}, Case{"\\\\server\\share\\", ERROR_PATH_NOT_FOUND},
          Case{"", ERROR_PATH_NOT_FOUND}}) {
        SetLastError(0);
        EXPECT_FALSE(GetDiskFreeSpaceExA(c.path.c_str(), nullptr, &total, nullptr)) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
        SetLastError(0);
        EXPECT_FALSE(GetDiskFreeSpaceA(c.path.c_str(), nullptr, nullptr, nullptr, &clusters)) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
    }
    EXPECT_EQ(7u, total.QuadPart);
    EXPECT_EQ(7u, clusters);
}

}  // namespace
