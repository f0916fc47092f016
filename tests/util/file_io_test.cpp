#include <kiln/util/create_folder.h>
#include <kiln/util/file_io.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "support/box_recorder.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

class FileIo : public ::testing::Test {
protected:
    kiln::test::TempDir dir;
    kiln::test::BoxRecorder boxes;
};

TEST_F(FileIo, RecordsRoundTrip) {
    CFile out;
    ASSERT_TRUE(stdOpenWrite(dir.win("r.bin").c_str(), &out));
    char text[] = "abc";
    char raw[] = "\x01\x02";
    EXPECT_TRUE(stdWriteInt(&out, -2));
    EXPECT_TRUE(stdWriteStr(&out, text));
    EXPECT_TRUE(stdWrite(&out, raw, 2));
    out.Close();
    EXPECT_EQ(dir.Read("r.bin"), std::string("\xFE\xFF\xFF\xFF\x04" "abc\0\x01\x02", 11));

    CFile in;
    ASSERT_TRUE(stdOpenRead(dir.win("r.bin").c_str(), &in));
    int value = 0;
    char back[255] = {};
    char bytes[2] = {};
    EXPECT_TRUE(stdReadInt(&in, &value));
    EXPECT_TRUE(stdReadStr(&in, back));
    EXPECT_TRUE(stdRead(&in, bytes, 2));
    EXPECT_EQ(value, -2);
    EXPECT_STREQ(back, "abc");
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(FileIo, ShortReadAbortsTheFileWithItsMessage) {
    dir.Write("short.bin", "xyz");
    CFile in;
    ASSERT_TRUE(stdOpenRead(dir.win("short.bin").c_str(), &in));
    int value;
    EXPECT_EQ(stdReadInt(&in, &value), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, dir.win("short.bin") + " からの読み込みに失敗しました");
    EXPECT_EQ(boxes.Last().style, 0x30u);
    EXPECT_EQ(in.m_hFile, CFile::hFileNull);
}

TEST_F(FileIo, OpenFailuresNameTheFile) {
    CFile file;
    std::string missing = dir.win("none.txt");
    EXPECT_EQ(stdOpenRead(missing.c_str(), &file), 0);
    EXPECT_EQ(boxes.Last().text, missing + " の読み込みオープンに失敗しました");
    EXPECT_EQ(boxes.Last().style, 0x30u);

    std::string noFolder = dir.win("no\\such\\f.txt");
    EXPECT_EQ(stdOpenWrite(noFolder.c_str(), &file), 0);
    EXPECT_EQ(boxes.Last().text, noFolder + " の書き込みオープンに失敗しました");

    char data[] = "d";
    EXPECT_EQ(stdAllWrite(noFolder.c_str(), data, 1), 0);
    EXPECT_EQ(boxes.Last().text, noFolder + "の書き込みオープンに失敗しました");
    EXPECT_EQ(boxes.Last().style, 0u);
}

TEST_F(FileIo, ALockedFileCannotBeOpenedForWriting) {
    dir.Write("locked.txt", "keep");
    CFile holder;
    ASSERT_TRUE(holder.Open(dir.win("locked.txt").c_str(), CFile::modeRead | CFile::shareExclusive));
    CFile file;
    EXPECT_EQ(stdOpenWrite(dir.win("locked.txt").c_str(), &file), 0);
    EXPECT_EQ(stdOpenRead(dir.win("locked.txt").c_str(), &file), 0);
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(dir.Read("locked.txt"), "keep");
}

TEST_F(FileIo, UnreadableFile) {
    dir.Write("secret.txt", "s");
    chmod(dir.host("secret.txt").c_str(), 0);
    chmod(dir.host().c_str(), 0755);
    std::string name = dir.win("secret.txt");
    // As an ordinary user (root reads every file): 0 and exactly one box.
    int code = kiln::test::RunInChild(
        [&] {
            kiln::test::BoxRecorder childBoxes;
            CFile file;
            return stdOpenRead(name.c_str(), &file) == 0 && childBoxes.Count() == 1 ? 0 : 1;
        },
        true);
    EXPECT_EQ(code, 0);
}

TEST_F(FileIo, WholeFileWrite) {
    char data[] = "whole";
    EXPECT_EQ(stdAllWrite(dir.win("w.txt").c_str(), data, 5), 1);
    EXPECT_EQ(dir.Read("w.txt"), "whole");
    EXPECT_EQ(stdAllWrite(dir.win("w.txt").c_str(), data, 2), 1);
    EXPECT_EQ(dir.Read("w.txt"), "wh");
}

TEST_F(FileIo, TooLongStringRecordIsRefused) {
    CFile out;
    ASSERT_TRUE(stdOpenWrite(dir.win("s.bin").c_str(), &out));
    std::string ok(254, 'a'), tooLong(255, 'b');
    EXPECT_EQ(stdWriteStr(&out, ok.data()), 1);
    EXPECT_EQ(stdWriteStr(&out, tooLong.data()), 0);
    EXPECT_EQ(boxes.Last().text, dir.win("s.bin") + " への書き込みに失敗しました");
    EXPECT_EQ(dir.Read("s.bin").size(), 256u);
}

TEST_F(FileIo, WriteFailureOnAFullDevice) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    CFile full;
    ASSERT_TRUE(full.Open("/dev/full", CFile::modeWrite | CFile::shareDenyNone));
    std::string block(1 << 16, 'x');
    EXPECT_EQ(stdWrite(&full, block.data(), (unsigned)block.size()), 0);
    EXPECT_EQ(boxes.Last().text, "Z:\\dev\\full への書き込みに失敗しました");
    EXPECT_EQ(full.m_hFile, CFile::hFileNull);
}

TEST_F(FileIo, FolderStairs) {
    std::string deep = dir.win("x\\y\\z");
    EXPECT_TRUE(CreateDirectoryStair(deep.c_str(), nullptr));
    EXPECT_TRUE(dir.Exists("x/y/z"));
    EXPECT_FALSE(CreateDirectoryStair(deep.c_str(), nullptr));  // exists already
    EXPECT_TRUE(stdFileExist(deep.c_str()));
    EXPECT_FALSE(stdFileExist(dir.win("x\\nothing").c_str()));

    CFile file;
    ASSERT_TRUE(stdOpenWriteReadyFolder(dir.win("p\\q\\f.txt").c_str(), &file));
    file.Close();
    EXPECT_TRUE(dir.Exists("p/q/f.txt"));
}

}  // namespace
