// A plain record of a file's times, size, attributes and full path. Its layout is that of
// CFileStatus, so a status the platform reports can be copied into it as it stands.
#pragma once

#include <kiln/platform/files/file.h>
#include <kiln/platform/time/time.h>
#include <kiln/platform/runtime/types.h>

class CFileInfo {
public:
    // Times 0, size 0, no attributes, empty path.
    CFileInfo();
    CFileInfo& operator=(const CFileInfo&) = default;

    CTime GetCreated() const { return m_ctime; }
    CTime GetModified() const { return m_mtime; }
    CTime GetAccress() const { return m_atime; }
    ULONGLONG GetSize() const { return m_size; }
    const char* GetFullPath() const { return m_szFullName; }

    // The attribute's own bit (16 for a directory) when it is set, else 0.
    int IsReadOnly() const { return m_attribute & CFile::readOnly; }
    int IsHidden() const { return m_attribute & CFile::hidden; }
    int IsSystem() const { return m_attribute & CFile::system; }
    int IsVolume() const { return m_attribute & CFile::volume; }
    int IsDirectory() const { return m_attribute & CFile::directory; }
    int IsArchive() const { return m_attribute & CFile::archive; }

    CTime m_ctime;     // creation time
    CTime m_mtime;     // last write time
    CTime m_atime;     // last access time
    ULONGLONG m_size;  // bytes
    BYTE m_attribute;  // 0x01 read-only, 0x02 hidden, 0x04 system, 0x08 volume, 0x10 directory, 0x20 archive
    BYTE m_padding;
    char m_szFullName[MAX_PATH];  // full path, NUL-terminated
};
