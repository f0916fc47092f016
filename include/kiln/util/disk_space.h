// The type and space of the disk that holds a path, in bytes, in clamped 32-bit counts and in scaled
// units.
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/types.h>

class CDiskSpace {
public:
    enum CnError {
        cnSuccess = 0,
        cnSystemError = 1,  // the system refused for another reason
        cnNoDrive = 2,      // the path names no drive
        cnBadRoot = 3,      // the drive's root was not found or is not a valid name
    };

    // Every figure 0, nothing valid.
    CDiskSpace();
    CDiskSpace& operator=(const CDiskSpace&) = default;

    // Fills the record for the drive that path starts with ("C:..."), starting from an empty record:
    // after a failure the figures that could not be read are 0. A path without a drive name gives
    // cnNoDrive and leaves the record as it was.
    CnError Construct(const char* path);

    unsigned long GetDriveTypeA() const { return m_dwDriveType; }
    unsigned long GetSectorSize() const { return m_dwBytesPerSector; }
    unsigned long GetClusterSize() const { return (unsigned long)m_dwBytesPerSector * m_dwSectorsPerCluster; }
    // All free bytes of the disk (not only the caller's share), from the cluster counts when the
    // byte figures could not be read.
    ULONGLONG GetFree() const;
    ULONGLONG GetDiskSize() const;
    // Free bytes, KB (1024) and MB (1048576), truncated; 0xFFFFFFFF when they do not fit 32 bits.
    unsigned long GetFreeLimit() const;
    unsigned long GetFreeKBLimit() const;
    unsigned long GetFreeMBLimit() const;
    // GetSizeValiable, GetSizeValiableDouble and FormatSizeValiable of the free bytes (no minimum
    // number of steps).
    unsigned long GetFreeFix(unsigned long limit, unsigned long& shift, unsigned long& remainder) const;
    double GetFreeFixDouble(unsigned long limit, unsigned long& shift) const;
    CString FormatFreeSize(unsigned long limit, const char* format, const char* units) const;

private:
    DWORD m_dwDriveType;
    ULONGLONG m_nFreeBytesAvailable;  // to the caller
    ULONGLONG m_nTotalBytes;
    ULONGLONG m_nTotalFreeBytes;
    DWORD m_dwSectorsPerCluster;
    DWORD m_dwBytesPerSector;
    DWORD m_dwFreeClusters;
    DWORD m_dwTotalClusters;
    BYTE m_bClustersValid;
    BYTE m_bBytesValid;
};
