#include <kiln/util/disk_space.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/statvfs.h>

#include <gtest/gtest.h>

#include <kiln/platform/disk.h>
#include <kiln/util/size_format.h>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::ScopedEnv;
using kiln::test::TempDir;

constexpr double kSlack = 256.0 * 1024 * 1024;  // free space moves with other processes' writes

bool IsTmpfsMount(const std::string& mountPoint) {
    std::ifstream mounts("/proc/self/mounts");
    std::string line, type;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, point, fsType;
        fields >> device >> point >> fsType;
        if (point == mountPoint) type = fsType;
    }
    return type == "tmpfs";
}

void ExpectEmpty(const CDiskSpace& ds) {
    EXPECT_EQ(0ul, ds.GetDriveTypeA());
    EXPECT_EQ(0ul, ds.GetSectorSize());
    EXPECT_EQ(0ul, ds.GetClusterSize());
    EXPECT_EQ(0u, ds.GetFree());
    EXPECT_EQ(0u, ds.GetDiskSize());
    EXPECT_EQ(0ul, ds.GetFreeLimit());
    EXPECT_EQ(0ul, ds.GetFreeKBLimit());
    EXPECT_EQ(0ul, ds.GetFreeMBLimit());
}

class DiskSpace : public ::testing::Test {
protected:
    ScopedEnv drives{"KILN_DRIVES", nullptr};
};

TEST_F(DiskSpace, ANewRecordHoldsZeros) { ExpectEmpty(CDiskSpace()); }

TEST_F(DiskSpace, FiguresOfTheRootDisk) {
    struct statvfs vfs {};
    ASSERT_EQ(0, statvfs("/", &vfs));
    CDiskSpace ds;
    ASSERT_EQ(CDiskSpace::cnSuccess, ds.Construct("Z:\\no\\such\\file.txt"));
    EXPECT_EQ((unsigned long)GetDriveTypeA("Z:\\"), ds.GetDriveTypeA());
    EXPECT_NE((unsigned long)DRIVE_NO_ROOT_DIR, ds.GetDriveTypeA());
    EXPECT_EQ((unsigned long)vfs.f_frsize, ds.GetClusterSize());
    if (vfs.f_frsize % 512 == 0) {
        EXPECT_EQ(512ul, ds.GetSectorSize());
    }
    EXPECT_EQ((ULONGLONG)vfs.f_blocks * vfs.f_frsize, ds.GetDiskSize());
    // All free bytes of the disk, including those only the system may use.
    EXPECT_NEAR((double)vfs.f_bfree * vfs.f_frsize, (double)ds.GetFree(), kSlack);

    const ULONGLONG free = ds.GetFree();
    EXPECT_EQ(free > 0xFFFFFFFFull ? 0xFFFFFFFFul : free, ds.GetFreeLimit());
    EXPECT_EQ(free / 1024 > 0xFFFFFFFFull ? 0xFFFFFFFFul : free / 1024, ds.GetFreeKBLimit());
    EXPECT_EQ(free / 1048576, ds.GetFreeMBLimit());

    // The scaled value, and the low 32 bits of what was cut off.
    unsigned long shift = 0, remainder = 0;
    const unsigned long value = ds.GetFreeFix(1024, shift, remainder);
    EXPECT_LT(value, 1024ul);
    ASSERT_LE(shift, 40ul);
    EXPECT_EQ(free >> shift, value);
    EXPECT_EQ((uint32_t)(free - ((ULONGLONG)value << shift)), remainder);

    unsigned long doubleShift = 0;
    const double scaled = ds.GetFreeFixDouble(1024, doubleShift);
    EXPECT_EQ(shift, doubleShift);
    EXPECT_DOUBLE_EQ((double)free / (double)(1ull << shift), scaled);
    const char* units[] = {"B", "KB", "MB", "GB", "TB"};
    CString expected;
    expected.Format("%.2f %s", scaled, units[shift / 10]);
    EXPECT_EQ(expected, ds.FormatFreeSize(1024, "%.2f %s", "ignored"));
}

TEST_F(DiskSpace, APathWithoutADriveLeavesTheRecordAlone) {
    CDiskSpace ds;
    ASSERT_EQ(CDiskSpace::cnSuccess, ds.Construct("z:\\"));
    const ULONGLONG size = ds.GetDiskSize();
    const unsigned long type = ds.GetDriveTypeA();
    for (const char* path : {"\\tmp", "relative\\file", "/tmp", "", "\\\\server\\share\\x", "1:\\"}) {
        EXPECT_EQ(CDiskSpace::cnNoDrive, ds.Construct(path)) << path;
        EXPECT_EQ(size, ds.GetDiskSize()) << path;
        EXPECT_EQ(type, ds.GetDriveTypeA()) << path;
    }
    EXPECT_EQ(CDiskSpace::cnNoDrive, ds.Construct(nullptr));
    EXPECT_EQ(size, ds.GetDiskSize());

    CDiskSpace copy;
    copy = ds;
    EXPECT_EQ(size, copy.GetDiskSize());
    EXPECT_EQ(ds.GetFree(), copy.GetFree());
    EXPECT_EQ(ds.GetClusterSize(), copy.GetClusterSize());
}

TEST_F(DiskSpace, UnmappedAndMissingDrives) {
    TempDir dir;
    const std::string mapping = "M=" + dir.host("missing");
    ScopedEnv mapped("KILN_DRIVES", mapping.c_str());
    CDiskSpace ds;
    ASSERT_EQ(CDiskSpace::cnSuccess, ds.Construct("Z:\\"));
    // A failed query leaves no figure of the drive before it behind.
    EXPECT_EQ(CDiskSpace::cnBadRoot, ds.Construct("Q:\\file"));
    EXPECT_EQ((unsigned long)DRIVE_NO_ROOT_DIR, ds.GetDriveTypeA());
    EXPECT_EQ(0u, ds.GetFree());
    EXPECT_EQ(0u, ds.GetDiskSize());
    EXPECT_EQ(0ul, ds.GetClusterSize());
    EXPECT_EQ(CDiskSpace::cnBadRoot, ds.Construct("M:\\"));
    EXPECT_EQ((unsigned long)DRIVE_NO_ROOT_DIR, ds.GetDriveTypeA());
}

TEST_F(DiskSpace, MappedDrives) {
    TempDir dir;
    const std::string mapping = "D=" + dir.host() + (IsTmpfsMount("/dev/shm") ? ";R=/dev/shm" : "");
    ScopedEnv mapped("KILN_DRIVES", mapping.c_str());
    struct statvfs vfs {};
    ASSERT_EQ(0, statvfs(dir.host().c_str(), &vfs));
    CDiskSpace ds;
    ASSERT_EQ(CDiskSpace::cnSuccess, ds.Construct("d:\\sub\\file"));
    EXPECT_EQ((ULONGLONG)vfs.f_blocks * vfs.f_frsize, ds.GetDiskSize());

    if (IsTmpfsMount("/dev/shm")) {
        ASSERT_EQ(CDiskSpace::cnSuccess, ds.Construct("R:\\"));
        EXPECT_EQ((unsigned long)DRIVE_RAMDISK, ds.GetDriveTypeA());
        ASSERT_EQ(0, statvfs("/dev/shm", &vfs));
        EXPECT_EQ((ULONGLONG)vfs.f_blocks * vfs.f_frsize, ds.GetDiskSize());
    }
}

}  // namespace
