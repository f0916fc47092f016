#include <kiln/util/create_folder.h>
#include <kiln/util/file_io.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

#include "support/box_recorder.h"
#include "support/child_process.h"
#include "support/expect_error.h"
#include "support/temp_dir.h"

namespace {

class FileIo : public ::testing::Test {
protected:
    // The one box since the last check, which is then forgotten.
    void ExpectBox(const std::string& text, unsigned style = MB_OK | MB_ICONEXCLAMATION) {
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Last().text, text);
        EXPECT_EQ(boxes.Last().style, style);
        boxes.Clear();
    }

    kiln::test::TempDir dir;
    kiln::test::BoxRecorder boxes;
};

TEST_F(FileIo, RecordsRoundTripAndFailuresAbortTheFile) {
    CFile out;
    ASSERT_TRUE(stdOpenWrite(dir.win("r.bin").c_str(), &out));
    char text[] = "abc", raw[] = "\x01\x02";
    std::string longest(254, 'a'), tooLong(255, 'b');
    EXPECT_TRUE(stdWriteInt(&out, -2) && stdWriteStr(&out, text) && stdWrite(&out, raw, 2) &&
                stdWriteStr(&out, longest.data()));
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(stdWriteStr(&out, tooLong.data()), 0);  // no length byte could hold it
    ExpectBox(dir.win("r.bin") + " への書き込みに失敗しました");
    EXPECT_EQ(out.m_hFile, CFile::hFileNull);
    const std::string records(
        "\xFE\xFF\xFF\xFF\x04"
        "abc\0\x01\x02\xFF",
        12);  // -2, "abc", raw, 254 bytes
    EXPECT_EQ(dir.Read("r.bin"), records + longest + '\0');

    CFile in;
    ASSERT_TRUE(stdOpenRead(dir.win("r.bin").c_str(), &in));
    int value = 0;
    char back[255] = {}, bytes[2] = {}, last[255] = {};
    EXPECT_TRUE(stdReadInt(&in, &value) && stdReadStr(&in, back) && stdRead(&in, bytes, 2) &&
                stdReadStr(&in, last));
    EXPECT_EQ(std::tuple(value, std::string(back), std::string(bytes, 2), std::string(last)),
              std::tuple(-2, "abc", "\x01\x02", longest));
    EXPECT_EQ(stdReadInt(&in, &value), 0);
    ExpectBox(dir.win("r.bin") + " からの読み込みに失敗しました");
    EXPECT_EQ(in.m_hFile, CFile::hFileNull);

    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    ASSERT_TRUE(out.Open("/dev/full", CFile::modeWrite | CFile::shareDenyNone));
    std::string block(1 << 16, 'x');
    EXPECT_EQ(stdWrite(&out, block.data(), (unsigned)block.size()), 0);
    ExpectBox("Z:\\dev\\full への書き込みに失敗しました");
    EXPECT_EQ(out.m_hFile, CFile::hFileNull);
    // The whole-file write opens the device (create mode empties regular files only) and reports the
    // write that fails.
    EXPECT_EQ(stdAllWrite("Z:\\dev\\full", block.data(), 10), 0);
    ExpectBox("Z:\\dev\\full への書き込みに失敗しました");
}

TEST_F(FileIo, OpenFailuresNameTheFile) {
    CFile file;
    const std::string missing = dir.win("none.txt"), noFolder = dir.win("no\\such\\f.txt");
    EXPECT_EQ(stdOpenRead(missing.c_str(), &file), 0);
    ExpectBox(missing + " の読み込みオープンに失敗しました");
    EXPECT_EQ(stdOpenWrite(noFolder.c_str(), &file), 0);
    ExpectBox(noFolder + " の書き込みオープンに失敗しました");
    char data[] = "whole";
    EXPECT_EQ(stdAllWrite(noFolder.c_str(), data, 1), 0);
    ExpectBox(noFolder + "の書き込みオープンに失敗しました", 0);

    // Neither opens a file that another holds exclusively, and the failed open for writing empties nothing.
    dir.Write("locked.txt", "keep");
    CFile holder;
    ASSERT_TRUE(holder.Open(dir.win("locked.txt").c_str(), CFile::modeRead | CFile::shareExclusive));
    EXPECT_EQ(stdOpenWrite(dir.win("locked.txt").c_str(), &file), 0);
    EXPECT_EQ(stdOpenRead(dir.win("locked.txt").c_str(), &file), 0);
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(dir.Read("locked.txt"), "keep");
}

TEST_F(FileIo, WholeFilesAndFolderStairs) {
    char data[] = "whole";
    EXPECT_EQ(stdAllWrite(dir.win("w.txt").c_str(), data, 5), 1);
    EXPECT_EQ(dir.Read("w.txt"), "whole");
    EXPECT_EQ(stdAllWrite(dir.win("w.txt").c_str(), data, 2), 1);
    EXPECT_EQ(dir.Read("w.txt"), "wh");

    const std::string deep = dir.win("x\\y\\z");
    EXPECT_TRUE(CreateDirectoryStair(deep.c_str(), nullptr));
    EXPECT_TRUE(dir.Exists("x/y/z"));
    EXPECT_FALSE(CreateDirectoryStair(deep.c_str(), nullptr));  // exists already
    // Hundreds of levels are made one by one; a path no system call takes fails at once.
    std::string stair = dir.win("s"), hostStair = "s";
    for (int i = 0; i < 300; ++i) stair += "\\s", hostStair += "/s";
    EXPECT_TRUE(CreateDirectoryStair(stair.c_str(), nullptr));
    EXPECT_TRUE(dir.Exists(hostStair));
    std::string endless = dir.win("e");
    for (int i = 0; i < 100000; ++i) endless += "\\e";
    EXPECT_LAST_ERROR(CreateDirectoryStair(endless.c_str(), nullptr), 0, ERROR_FILENAME_EXCED_RANGE);
    EXPECT_FALSE(dir.Exists("e"));
    EXPECT_TRUE(stdFileExist(deep.c_str()));
    EXPECT_FALSE(stdFileExist(dir.win("x\\nothing").c_str()));
    CFile file;
    ASSERT_TRUE(stdOpenWriteReadyFolder(dir.win("p\\q\\f.txt").c_str(), &file));
    file.Close();
    EXPECT_TRUE(dir.Exists("p/q/f.txt"));
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
