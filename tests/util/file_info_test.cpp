#include <kiln/util/file_info.h>

#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

using kiln::test::TempDir;

CFileInfo FromStatus(const CFileStatus& status) {
    CFileInfo info;
    std::memcpy(static_cast<void*>(&info), &status, sizeof info);
    return info;
}

TEST(FileInfo, ANewRecordIsEmpty) {
    const CFileInfo info;
    EXPECT_EQ(CTime(0), info.GetCreated());
    EXPECT_EQ(CTime(0), info.GetModified());
    EXPECT_EQ(CTime(0), info.GetAccress());
    EXPECT_EQ(0u, info.GetSize());
    EXPECT_STREQ("", info.GetFullPath());
    EXPECT_EQ(0, info.IsReadOnly() | info.IsHidden() | info.IsSystem() | info.IsVolume() |
                     info.IsDirectory() | info.IsArchive());
}

TEST(FileInfo, HoldsAFileStatusAsItStands) {
    TempDir dir;
    dir.Write(".notes", "twelve bytes");
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(dir.win(".notes").c_str(), status));
    status.m_ctime = CTime(1000);
    status.m_mtime = CTime(2000);
    status.m_atime = CTime(3000);

    const CFileInfo info = FromStatus(status);
    EXPECT_EQ(CTime(1000), info.GetCreated());
    EXPECT_EQ(CTime(2000), info.GetModified());
    EXPECT_EQ(CTime(3000), info.GetAccress());
    EXPECT_EQ(12u, info.GetSize());
    EXPECT_STREQ(dir.win(".notes").c_str(), info.GetFullPath());
    EXPECT_EQ(CFile::archive, info.IsArchive());
    EXPECT_EQ(CFile::hidden, info.IsHidden());
    EXPECT_EQ(0, info.IsDirectory());

    std::filesystem::create_directory(dir.host("sub"));
    ASSERT_TRUE(CFile::GetStatus(dir.win("sub").c_str(), status));
    CFileInfo copy;
    copy = FromStatus(status);
    EXPECT_EQ(16, copy.IsDirectory());
    EXPECT_EQ(0, copy.IsArchive());
    EXPECT_STREQ(dir.win("sub").c_str(), copy.GetFullPath());
}

TEST(FileInfo, EachAttributeAnswersWithItsOwnBit) {
    using Getter = int (CFileInfo::*)() const;
    const struct {
        Getter get;
        int bit;
    } attributes[] = {{&CFileInfo::IsReadOnly, 0x01},  {&CFileInfo::IsHidden, 0x02},
                      {&CFileInfo::IsSystem, 0x04},    {&CFileInfo::IsVolume, 0x08},
                      {&CFileInfo::IsDirectory, 0x10}, {&CFileInfo::IsArchive, 0x20}};
    CFileInfo info;
    for (const auto& a : attributes) {
        info.m_attribute = 0xFF;
        EXPECT_EQ(a.bit, (info.*a.get)());
        info.m_attribute = (BYTE)(0xFF ^ a.bit);
        EXPECT_EQ(0, (info.*a.get)());
        info.m_attribute = (BYTE)a.bit;
        EXPECT_EQ(a.bit, (info.*a.get)());
    }
}

TEST(FileInfo, AssignmentCopiesTheWholeRecord) {
    CFileInfo a;
    a.m_mtime = CTime(42);
    a.m_size = 1ull << 40;
    a.m_attribute = CFile::readOnly;
    std::strcpy(a.m_szFullName, "C:\\表\\a.txt");
    CFileInfo b;
    b = a;
    EXPECT_EQ(CTime(42), b.GetModified());
    EXPECT_EQ(1ull << 40, b.GetSize());
    EXPECT_EQ(1, b.IsReadOnly());
    EXPECT_STREQ("C:\\表\\a.txt", b.GetFullPath());
}

}  // namespace
