#include <kiln/util/file_info.h>

#include <cstddef>
#include <type_traits>

// The record is filled by copying a CFileStatus into it: the two must keep one layout.
static_assert(std::is_standard_layout_v<CFileInfo> && std::is_trivially_copyable_v<CFileInfo>);
static_assert(sizeof(CFileInfo) == sizeof(CFileStatus));
static_assert(offsetof(CFileInfo, m_ctime) == offsetof(CFileStatus, m_ctime));
static_assert(offsetof(CFileInfo, m_mtime) == offsetof(CFileStatus, m_mtime));
static_assert(offsetof(CFileInfo, m_atime) == offsetof(CFileStatus, m_atime));
static_assert(offsetof(CFileInfo, m_size) == offsetof(CFileStatus, m_size));
static_assert(offsetof(CFileInfo, m_attribute) == offsetof(CFileStatus, m_attribute));
static_assert(offsetof(CFileInfo, m_szFullName) == offsetof(CFileStatus, m_szFullName));

CFileInfo::CFileInfo()
    : m_ctime(0), m_mtime(0), m_atime(0), m_size(0), m_attribute(0), m_padding(0), m_szFullName() {}
