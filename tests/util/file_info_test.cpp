#include <kiln/util/file_info.h>

#include <cstring>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

using Fields = std::tuple<CTime, CTime, CTime, ULONGLONG, BYTE, std::string>;

Fields FieldsOf(const CFileInfo& info) {
    return {info.GetCreated(), info.GetModified(), info.GetAccress(),
            info.GetSize(),    info.m_attribute,   info.GetFullPath()};
}

TEST(FileInfo, ANewRecordIsEmptyAndAFileStatusFitsAsItStands) {
    EXPECT_EQ(FieldsOf(CFileInfo()), Fields(CTime(0), CTime(0), CTime(0), 0, 0, ""));

    kiln::test::TempDir dir;
    dir.Write(".notes", "twelve bytes");
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(dir.win(".notes").c_str(), status));
    status.m_ctime = CTime(1000);
    status.m_mtime = CTime(2000);
    status.m_atime = CTime(3000);
    CFileInfo info;
    std::memcpy(static_cast<void*>(&info), &status, sizeof info);
    const BYTE attributes = CFile::archive | CFile::hidden;
    EXPECT_EQ(FieldsOf(info),
              Fields(CTime(1000), CTime(2000), CTime(3000), 12, attributes, dir.win(".notes")));

    // Each attribute getter answers with its own bit.
    for (BYTE attributes : {0x3F, 0xC0}) {
        info.m_attribute = attributes;
        EXPECT_EQ(std::tuple(info.IsReadOnly(), info.IsHidden(), info.IsSystem(), info.IsVolume(),
                             info.IsDirectory(), info.IsArchive()),
                  attributes == 0x3F ? std::tuple(1, 2, 4, 8, 16, 32) : std::tuple(0, 0, 0, 0, 0, 0));
    }
}

}  // namespace
