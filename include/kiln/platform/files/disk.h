// Drive types and disk space, over the drive mapping of <kiln/platform/files/path_map.h>: a drive's disk
// is the file system its host root lies on.
//
// A null path stands for the working directory's drive (its root for GetDriveTypeA and
// GetDiskFreeSpaceA, the folder itself for GetDiskFreeSpaceExA). A drive that is not mapped, or a
// folder that does not exist, fails with ERROR_PATH_NOT_FOUND; a path naming a file fails with
// ERROR_DIRECTORY.
#pragma once

#include <kiln/platform/runtime/types.h>

#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

// The type of the disk whose root is lpRootPathName: a drive's root ("C:\") or a host folder on
// which a file system is mounted. Network file systems (NFS, SMB, sshfs, ...) are DRIVE_REMOTE,
// ISO 9660 and UDF file systems and optical drives DRIVE_CDROM, tmpfs and ramfs DRIVE_RAMDISK, a
// device the kernel marks removable DRIVE_REMOVABLE, anything else DRIVE_FIXED. An unmapped drive,
// a missing root or a folder that is no mount point gives DRIVE_NO_ROOT_DIR.
UINT GetDriveTypeA(LPCSTR lpRootPathName);

// The disk of a folder in clusters, as counts of 32 bits: a cluster is the file system's block,
// split into 512-byte sectors when it is a multiple of 512; on disks with more than 2^32 blocks the
// cluster doubles until the counts fit. Free clusters are those the caller may use. Null pointers
// are allowed for the figures not wanted.
BOOL GetDiskFreeSpaceA(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster, LPDWORD lpBytesPerSector,
                       LPDWORD lpNumberOfFreeClusters, LPDWORD lpTotalNumberOfClusters);

// The disk of a folder in bytes: free to the caller (without the blocks reserved for the system),
// total size and all free bytes. Null pointers are allowed for the figures not wanted.
BOOL GetDiskFreeSpaceExA(LPCSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                         PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes);

#define GetDriveType GetDriveTypeA
#define GetDiskFreeSpace GetDiskFreeSpaceA
#define GetDiskFreeSpaceEx GetDiskFreeSpaceExA
