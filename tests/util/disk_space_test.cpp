#include <kiln/util/disk_space.h>

#include <sys/statvfs.h>

#include <utility>

#include <gtest/gtest.h>

#include <kiln/platform/files/disk.h>
#include <kiln/util/size_format.h>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::ScopedEnv;

class DiskSpace : public ::testing::Test {
protected:
    ScopedEnv drives{"KILN_DRIVES", nullptr};
};

TEST_F(DiskSpace, FiguresOfTheRootDisk) {
    const CDiskSpace empty;
    EXPECT_EQ(0ul, empty.GetDriveTypeA() | empty.GetSectorSize() | empty.GetClusterSize() |
                       empty.GetFreeLimit() | empty.GetFreeKBLimit() | empty.GetFreeMBLimit());
    EXPECT_EQ(0u, empty.GetFree() | empty.GetDiskSize());

    struct statvfs vfs {};
    ASSERT_EQ(0, statvfs("/", &vfs));
    CDiskSpace ds;
    ASSERT_EQ(CDiskSpace::cnSuccess, ds.Construct("Z:\\no\\such\\file.txt"));
    EXPECT_EQ((unsigned long)GetDriveTypeA("Z:\\"), ds.GetDriveTypeA());
    EXPECT_NE((unsigned long)DRIVE_NO_ROOT_DIR, ds.GetDriveTypeA());
    EXPECT_EQ((unsigned long)vfs.f_frsize, ds.GetClusterSize());
    EXPECT_TRUE(vfs.f_frsize % 512 != 0 || ds.GetSectorSize() == 512) << ds.GetSectorSize();
    EXPECT_EQ((ULONGLONG)vfs.f_blocks * vfs.f_frsize, ds.GetDiskSize());
    // All free bytes, including those only the system may use; others' writes move the figure.
    EXPECT_NEAR((double)vfs.f_bfree * vfs.f_frsize, (double)ds.GetFree(), 256.0 * 1024 * 1024);

    const ULONGLONG free = ds.GetFree();
    EXPECT_EQ(free > 0xFFFFFFFFull ? 0xFFFFFFFFul : free, ds.GetFreeLimit());
    EXPECT_EQ(free / 1024 > 0xFFFFFFFFull ? 0xFFFFFFFFul : free / 1024, ds.GetFreeKBLimit());
    EXPECT_EQ(free / 1048576, ds.GetFreeMBLimit());
    // The size scalings of the free bytes, with no minimum number of steps.
    unsigned long shift = 0, remainder = 0, wantShift = 0, wantRemainder = 0;
    EXPECT_EQ(GetSizeValiable(free, 1024, wantShift, wantRemainder), ds.GetFreeFix(1024, shift, remainder));
    EXPECT_EQ(std::pair(wantShift, wantRemainder), std::pair(shift, remainder));
    EXPECT_EQ(GetSizeValiableDouble((double)free, 1000, 0, wantShift), ds.GetFreeFixDouble(1000, shift));
    EXPECT_EQ(wantShift, shift);
    EXPECT_EQ(FormatSizeValiable(free, 1024, "%.2f %s", 0, nullptr), ds.FormatFreeSize(1024, "%.2f %s", "x"));
}

TEST_F(DiskSpace, DrivesAndPathsWithoutOne) {
    kiln::test::TempDir dir;
    const std::string mapping = "d=" + dir.host() + ";M=" + dir.host("gone");
    ScopedEnv mapped("KILN_DRIVES", mapping.c_str());
    struct statvfs vfs {};
    ASSERT_EQ(0, statvfs(dir.host().c_str(), &vfs));
    CDiskSpace ds;
    ASSERT_EQ(CDiskSpace::cnSuccess, ds.Construct("D:\\sub\\file"));
    EXPECT_EQ((ULONGLONG)vfs.f_blocks * vfs.f_frsize, ds.GetDiskSize());

    // A path without a drive name leaves the record as it was.
    const ULONGLONG size = ds.GetDiskSize();
    const unsigned long type = ds.GetDriveTypeA();
    for (const char* path : {"\\tmp", "relative\\file", "/tmp", "", "\\\\srv\\x", "1:\\", (const char*)0}) {
        EXPECT_EQ(CDiskSpace::cnNoDrive, ds.Construct(path)) << path;
        EXPECT_EQ(size, ds.GetDiskSize()) << path;
        EXPECT_EQ(type, ds.GetDriveTypeA()) << path;
    }
    // A failed query leaves no figure of the drive before it behind.
    for (const char* path : {"Q:\\file", "m:\\"}) {
        ASSERT_EQ(CDiskSpace::cnSuccess, ds.Construct("z:\\"));
        EXPECT_EQ(CDiskSpace::cnBadRoot, ds.Construct(path)) << path;
        EXPECT_EQ((unsigned long)DRIVE_NO_ROOT_DIR, ds.GetDriveTypeA()) << path;
        EXPECT_EQ(0u, ds.GetFree() | ds.GetDiskSize() | ds.GetClusterSize()) << path;
    }
}

}  // namespace
