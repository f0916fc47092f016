#include <kiln/util/file_info.h>

#include <cstring>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

TEST(FileInfo, ANewRecordIsEmptyAndAFileStatusFitsAsItStands) {
    const CFileInfo empty;
    const CTime zero(0);
    EXPECT_TRUE(empty.GetCreated() == zero && empty.GetModified() == zero && empty.GetAccress() == zero);
    EXPECT_EQ(0u, empty.GetSize() | empty.m_attribute | (unsigned)empty.GetFullPath()[0]);

    kiln::test::TempDir dir;
    dir.Write(".notes", "twelve bytes");
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(dir.win(".notes").c_str(), status));
    status.m_ctime = CTime(1000);
    status.m_mtime = CTime(2000);
    status.m_atime = CTime(3000);
    CFileInfo info, copy;
    std::memcpy(static_cast<void*>(&info), &status, sizeof info);
    copy = info;
    EXPECT_EQ(CTime(1000), copy.GetCreated());
    EXPECT_EQ(CTime(2000), copy.GetModified());
    EXPECT_EQ(CTime(3000), copy.GetAccress());
    EXPECT_EQ(12u, copy.GetSize());
    EXPECT_STREQ(dir.win(".notes").c_str(), copy.GetFullPath());
    EXPECT_EQ(CFile::archive | CFile::hidden, copy.m_attribute);

    // Each attribute getter answers with its own bit.
    using Getter = int (CFileInfo::*)() const;
    const struct { Getter get; int bit; } attributes[] = {
        {&CFileInfo::IsReadOnly, 0x01}, {&CFileInfo::IsHidden, 0x02},    {&CFileInfo::IsSystem, 0x04},
        {&CFileInfo::IsVolume, 0x08},   {&CFileInfo::IsDirectory, 0x10}, {&CFileInfo::IsArchive, 0x20}};
    for (const auto& a : attributes) {
        info.m_attribute = 0xFF;
        EXPECT_EQ(a.bit, (info.*a.get)());
        info.m_attribute = (BYTE)(0xFF ^ a.bit);
        EXPECT_EQ(0, (info.*a.get)());
    }
}

}  // namespace
