#include <kiln/platform/files/disk.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include <sys/statvfs.h>

#include <gtest/gtest.h>

#include "support/expect_error.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::ScopedCwd;
using kiln::test::ScopedEnv;

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

const bool kShmIsTmpfs = MountedType("/dev/shm") == "tmpfs";

// Bytes of the kind of blocks a statvfs field counts (f_blocks, f_bavail, f_bfree) on host's disk.
double VfsBytes(const std::string& host, fsblkcnt_t statvfs::*field) {
    struct statvfs vfs {};
    EXPECT_EQ(0, statvfs(host.c_str(), &vfs)) << host;
    return (double)(vfs.*field) * vfs.f_frsize;
}

// Free figures move with other processes' writes: they need only be near the kernel's.
constexpr double kSlack = 256.0 * 1024 * 1024;

class Disk : public ::testing::Test {
protected:
    ScopedEnv drives{"KILN_DRIVES", nullptr};
    kiln::test::TempDir dir;
};

TEST_F(Disk, DriveTypeOfRootsMountPointsAndDrives) {
    // File systems on a local disk that the kernel does not mark removable here.
    static const std::set<std::string> local{"ext2", "ext3", "ext4", "xfs", "btrfs", "overlay", "zfs"};
    if (local.count(MountedType("/")) != 0) {
        for (const char* root : {"Z:\\", "z:", "/"})
            EXPECT_EQ((UINT)DRIVE_FIXED, GetDriveTypeA(root)) << root;
    }
    EXPECT_NE((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("Z:\\"));
    {
        ScopedCwd cwd("/tmp");
        EXPECT_EQ(GetDriveTypeA("Z:\\"), GetDriveTypeA(nullptr));
    }
    // A folder that is no mount point is no root; a mount point is.
    if (MountedType("/tmp").empty()) {
        EXPECT_EQ((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("Z:\\tmp\\"));
    }
    if (kShmIsTmpfs) {
        EXPECT_EQ((UINT)DRIVE_RAMDISK, GetDriveTypeA("Z:\\dev\\shm\\"));
        EXPECT_EQ((UINT)DRIVE_RAMDISK, GetDriveTypeA("/dev/shm"));
    }

    // A drive's root need not be a mount point: it takes the type of the disk it lies on.
    const std::string mapping = "C=" + dir.host() + ";M=" + dir.host("missing") + ";Z=";
    ScopedEnv mapped("KILN_DRIVES", mapping.c_str());
    EXPECT_NE((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("C:\\"));
    for (const char* root : {"M:\\", "Q:\\", "Z:\\"})
        EXPECT_EQ((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA(root)) << root;
    if (kShmIsTmpfs) {
        ScopedEnv ram("KILN_DRIVES", "R=/dev/shm");
        EXPECT_EQ((UINT)DRIVE_RAMDISK, GetDriveTypeA("R:\\"));
    }
}

TEST_F(Disk, FreeSpaceInBytesAndClusters) {
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(dir.win().c_str(), &available, &total, &free));
    EXPECT_EQ(VfsBytes(dir.host(), &statvfs::f_blocks), (double)total.QuadPart);
    EXPECT_NEAR(VfsBytes(dir.host(), &statvfs::f_bavail), (double)available.QuadPart, kSlack);
    EXPECT_NEAR(VfsBytes(dir.host(), &statvfs::f_bfree), (double)free.QuadPart, kSlack);
    EXPECT_LE(available.QuadPart, free.QuadPart);
    EXPECT_LE(free.QuadPart, total.QuadPart);
    EXPECT_TRUE(
        GetDiskFreeSpaceExA(dir.win().c_str(), nullptr, nullptr, nullptr));  // every figure is optional

    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    ASSERT_TRUE(
        GetDiskFreeSpaceA("Z:\\", &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters));
    const double cluster = (double)sectorsPerCluster * bytesPerSector;
    EXPECT_EQ(VfsBytes("/", &statvfs::f_blocks), totalClusters * cluster);
    EXPECT_NEAR(VfsBytes("/", &statvfs::f_bavail), freeClusters * cluster, kSlack);
    struct statvfs vfs {};
    ASSERT_EQ(0, statvfs("/", &vfs));
    if (vfs.f_frsize % 512 == 0) {
        EXPECT_EQ(512u, bytesPerSector);
    }

    // A null folder is the working directory itself for the bytes, but its drive's root for the
    // clusters.
    ScopedCwd cwd(kShmIsTmpfs ? "/dev/shm" : "/tmp");
    DWORD nullTotal = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA(nullptr, nullptr, nullptr, nullptr, &nullTotal));
    EXPECT_EQ(totalClusters, nullTotal);
    if (kShmIsTmpfs) {
        ASSERT_TRUE(GetDiskFreeSpaceExA(nullptr, nullptr, &total, nullptr));
        EXPECT_EQ(VfsBytes("/dev/shm", &statvfs::f_blocks), (double)total.QuadPart);
    }
}

TEST_F(Disk, FreeSpaceFailures) {
    dir.Write("file", "x");
    const std::string mapping = "M=" + dir.host("missing");
    ScopedEnv mapped("KILN_DRIVES", mapping.c_str());
    ULARGE_INTEGER total{};
    total.QuadPart = 7;
    DWORD clusters = 7;
    const std::pair<std::string, DWORD> cases[] = {
        {"Q:\\", ERROR_PATH_NOT_FOUND},
        {"M:\\", ERROR_PATH_NOT_FOUND},
        {dir.win("missing\\"), ERROR_PATH_NOT_FOUND},
        {dir.win("file\\sub"), ERROR_PATH_NOT_FOUND},
        {dir.win("file"), ERROR_DIRECTORY},
        {"\\\\server\\share\\", ERROR_PATH_NOT_FOUND},
        {"", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& [path, error] : cases) {
        EXPECT_LAST_ERROR(GetDiskFreeSpaceExA(path.c_str(), nullptr, &total, nullptr), FALSE, error);
        EXPECT_LAST_ERROR(GetDiskFreeSpaceA(path.c_str(), nullptr, nullptr, nullptr, &clusters), FALSE,
                          error);
    }
    EXPECT_EQ(std::tuple(total.QuadPart, clusters), std::tuple(7ull, 7u));
}

}  // namespace
