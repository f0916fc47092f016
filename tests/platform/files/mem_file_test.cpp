#include <kiln/platform/files/mem_file.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <cstring>
#include <string>
#include <tuple>

#include "support/expect_error.h"

namespace {

int FileCause(const std::function<void()>& body) { return kiln::test::CauseOf<CFileException>(body); }

std::string ReadAll(CMemFile& f) {
    std::string s((size_t)f.GetLength(), '\0');
    f.SeekToBegin();
    EXPECT_EQ(f.Read(s.data(), (UINT)s.size()), s.size());
    return s;
}

TEST(MemFile, GrowsAndReadsBackWhatWasWritten) {
    CMemFile f(16);
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        char chunk[3] = {(char)i, (char)(i >> 8), (char)(i * 7)};
        f.Write(chunk, 3);
        expected.append(chunk, 3);
    }
    EXPECT_EQ(std::tuple(f.GetLength(), f.GetPosition()), std::tuple(expected.size(), expected.size()));
    EXPECT_EQ(ReadAll(f), expected);
    // Reads stop at the end: a short count, then 0.
    char buf[10];
    EXPECT_EQ(f.Seek(-4, CFile::end), expected.size() - 4);
    EXPECT_EQ(f.Read(buf, sizeof buf), 4u);
    EXPECT_EQ(f.Read(buf, sizeof buf), 0u);
}

TEST(MemFile, SeeksAndSetLengthFillGapsWithZeros) {
    CMemFile f;
    f.Write("ab", 2);
    EXPECT_EQ(f.Seek(3, CFile::current), 5u);
    char buf[4];
    EXPECT_EQ(f.Read(buf, sizeof buf), 0u);  // nothing there yet
    EXPECT_EQ(f.GetLength(), 2u);
    f.Write("z", 1);
    EXPECT_EQ(ReadAll(f), std::string("ab\0\0\0z", 6));
    // Before the start is refused and the position stays where it was.
    f.Seek(1, CFile::begin);
    EXPECT_EQ(FileCause([&] { f.Seek(-2, CFile::current); }), CFileException::badSeek);
    EXPECT_EQ(FileCause([&] { f.Seek(-7, CFile::end); }), CFileException::badSeek);
    EXPECT_EQ(f.GetPosition(), 1u);

    f.SetLength(0);
    f.Write("abcdef", 6);
    f.SetLength(3);
    EXPECT_EQ(f.GetPosition(), 3u);
    f.SetLength(5);  // the old "de" must not come back
    EXPECT_EQ(ReadAll(f), std::string("abc\0\0", 5));
}

TEST(MemFile, FixedBufferRefusesToGrowAndKeepsItsContents) {
    BYTE buffer[4] = {'w', 'x', 'y', 'z'};
    CMemFile f(buffer, sizeof buffer);
    EXPECT_EQ(ReadAll(f), "wxyz");
    f.Seek(1, CFile::begin);
    f.Write("XY", 2);
    EXPECT_EQ(FileCause([&] { f.Write("12", 2); }), CFileException::diskFull);
    EXPECT_EQ(FileCause([&] { f.SetLength(5); }), CFileException::diskFull);
    EXPECT_EQ(std::string((char*)buffer, 4), "wXYz");
    EXPECT_EQ(std::tuple(f.GetLength(), f.GetPosition()), std::tuple(4ull, 3ull));
    EXPECT_EQ(f.Detach(), buffer);
    EXPECT_EQ(f.GetLength(), 0u);
}

TEST(MemFile, GrowableAttachedBufferAndDetachHandOverTheBlock) {
    BYTE* block = (BYTE*)malloc(8);
    CMemFile f(block, 8, 8);
    EXPECT_EQ(f.GetLength(), 0u);  // room to write into, not contents
    f.Write("12345678", 8);
    f.Write("9", 1);  // past the block: reallocated, and now the file's
    BYTE* detached = f.Detach();
    ASSERT_NE(detached, nullptr);
    EXPECT_EQ(memcmp(detached, "123456789", 9), 0);
    EXPECT_EQ(f.GetLength(), 0u);
    free(detached);
    f.Write("q", 1);  // after Detach the file starts a fresh block of its own
    EXPECT_EQ(ReadAll(f), "q");
}

}  // namespace
