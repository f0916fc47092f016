#include <kiln/util/disk_space.h>

#include <kiln/platform/files/disk.h>
#include <kiln/platform/runtime/last_error.h>
#include <kiln/util/path_string.h>
#include <kiln/util/size_format.h>

namespace {

unsigned long Clamp32(ULONGLONG value) { return value > 0xFFFFFFFFull ? 0xFFFFFFFFul : (unsigned long)value; }

}  // namespace

CDiskSpace::CDiskSpace()
    : m_dwDriveType(0),
      m_nFreeBytesAvailable(0),
      m_nTotalBytes(0),
      m_nTotalFreeBytes(0),
      m_dwSectorsPerCluster(0),
      m_dwBytesPerSector(0),
      m_dwFreeClusters(0),
      m_dwTotalClusters(0),
      m_bClustersValid(0),
      m_bBytesValid(0) {}

CDiskSpace::CnError CDiskSpace::Construct(const char* path) {
    CString drive;
    if (!str2DriveName(path, drive)) return cnNoDrive;
    const CString root = drive + "\\";
    // Figures of an earlier drive must not pass for this one's when a query fails.
    *this = CDiskSpace();
    m_dwDriveType = ::GetDriveTypeA(root);

    ULARGE_INTEGER available, total, free;
    if (GetDiskFreeSpaceExA(root, &available, &total, &free)) {
        m_nFreeBytesAvailable = available.QuadPart;
        m_nTotalBytes = total.QuadPart;
        m_nTotalFreeBytes = free.QuadPart;
        m_bBytesValid = 1;
    }
    if (GetDiskFreeSpaceA(root, &m_dwSectorsPerCluster, &m_dwBytesPerSector, &m_dwFreeClusters,
                          &m_dwTotalClusters)) {
        m_bClustersValid = 1;
        return cnSuccess;
    }
    const DWORD error = GetLastError();
    return error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ? cnBadRoot : cnSystemError;
}

ULONGLONG CDiskSpace::GetFree() const {
    if (m_bBytesValid) return m_nTotalFreeBytes;
    return (ULONGLONG)m_dwFreeClusters * m_dwBytesPerSector * m_dwSectorsPerCluster;
}

ULONGLONG CDiskSpace::GetDiskSize() const {
    if (m_bBytesValid) return m_nTotalBytes;
    return (ULONGLONG)m_dwTotalClusters * m_dwBytesPerSector * m_dwSectorsPerCluster;
}

unsigned long CDiskSpace::GetFreeLimit() const { return Clamp32(GetFree()); }
unsigned long CDiskSpace::GetFreeKBLimit() const { return Clamp32(GetFree() / 1024); }
unsigned long CDiskSpace::GetFreeMBLimit() const { return Clamp32(GetFree() / 1048576); }

unsigned long CDiskSpace::GetFreeFix(unsigned long limit, unsigned long& shift,
                                     unsigned long& remainder) const {
    return GetSizeValiable(GetFree(), limit, shift, remainder);
}

double CDiskSpace::GetFreeFixDouble(unsigned long limit, unsigned long& shift) const {
    return GetSizeValiableDouble((double)GetFree(), limit, 0, shift);
}

CString CDiskSpace::FormatFreeSize(unsigned long limit, const char* format, const char* units) const {
    return FormatSizeValiable(GetFree(), limit, format, 0, units);
}
