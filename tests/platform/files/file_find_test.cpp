#include <kiln/platform/files/file_find.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#include "support/expect_error.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::ScopedEnv;
using List = std::vector<std::string>;

// Every name a search finds, in order; empty when FindFile finds nothing.
List Names(const std::string& pattern) {
    List names;
    CFileFind finder;
    for (BOOL more = finder.FindFile(pattern.c_str()); more;) {
        more = finder.FindNextFile();
        names.push_back(finder.GetFileName().GetString());
    }
    return names;
}

class FileFind : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.txt", "B.TXT", "c.dat", "noext", ".hidden", "ab.txt.bak"})
            dir.Write(name, "12");
        std::filesystem::create_directory(dir.host("sub"));
    }
    std::string Win(const std::string& pattern) const { return dir.win(pattern); }

    ScopedEnv drives{"KILN_DRIVES", nullptr};
    kiln::test::TempDir dir;
};

TEST_F(FileFind, WildcardsCaseAndDoubleByteNames) {
    const List all = {".", "..", ".hidden", "a.txt", "ab.txt.bak", "B.TXT", "c.dat", "noext", "sub"};
    EXPECT_EQ(Names(Win("*.*")), all);
    EXPECT_EQ(Names(Win("*")), all);
    EXPECT_EQ(Names(Win("*.txt")), (List{"a.txt", "B.TXT"}));
    EXPECT_EQ(Names(Win("*.TXT*")), (List{"a.txt", "ab.txt.bak", "B.TXT"}));
    EXPECT_EQ(Names(Win("?.t?t")), (List{"a.txt", "B.TXT"}));
    EXPECT_EQ(Names(Win("noext.*")), (List{"noext"}));  // ".*" also matches no extension
    EXPECT_EQ(Names(Win("A.TXT")), (List{"a.txt"}));
    EXPECT_EQ(Names(Win("*b*")), (List{"ab.txt.bak", "B.TXT", "sub"}));
    EXPECT_EQ(Names(Win("s?b")), (List{"sub"}));

    const std::string hyo = "表";  // 0x95 0x5C: its trail byte is a backslash
    dir.Write(hyo + ".txt", "");
    dir.Write("x" + hyo + "y.txt", "");
    EXPECT_EQ(Names(Win("?.txt")), (List{"a.txt", "B.TXT", hyo + ".txt"}));  // one character, two bytes
    EXPECT_EQ(Names(Win(hyo + ".*")), (List{hyo + ".txt"}));
    EXPECT_EQ(Names(Win("x?y.TXT")), (List{"x" + hyo + "y.txt"}));
    std::filesystem::create_directory(dir.host(hyo));
    dir.Write(hyo + "/in.txt", "");
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(Win(hyo + "\\*.txt").c_str()));
    finder.FindNextFile();
    EXPECT_EQ(finder.GetFilePath(), (dir.win() + "\\" + hyo + "\\in.txt").c_str());
}

TEST_F(FileFind, FindNextFileIsFalseForTheLastOneAndNothingFoundFails) {
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(Win("c.dat").c_str()));
    EXPECT_EQ(finder.GetFileName(), "");  // nothing current before the first FindNextFile
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFileName(), "c.dat");
    EXPECT_EQ(finder.GetLength(), 2u);
    ASSERT_TRUE(finder.FindFile(Win("*.txt").c_str()));
    EXPECT_TRUE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFileName(), "a.txt");
    EXPECT_LAST_ERROR(finder.FindNextFile(), FALSE, ERROR_NO_MORE_FILES);
    EXPECT_EQ(finder.GetFileName(), "B.TXT");
    finder.Close();
    EXPECT_EQ(finder.GetFileName(), "");

    EXPECT_LAST_ERROR(finder.FindFile(Win("*.none").c_str()), FALSE, ERROR_FILE_NOT_FOUND);
    EXPECT_LAST_ERROR(finder.FindFile(Win("missing\\*.*").c_str()), FALSE, ERROR_PATH_NOT_FOUND);
    EXPECT_LAST_ERROR(finder.FindFile("Q:\\*.*"), FALSE, ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFileName(), "");
}

TEST_F(FileFind, PathsAndAttributes) {
    struct timespec times[2] = {{1000000000, 0}, {1300000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.host("a.txt").c_str(), times, 0), 0);
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(Win("*.*").c_str()));
    EXPECT_EQ(finder.GetRoot(), dir.win().c_str());
    int seen = 0;
    for (BOOL more = TRUE; more; ++seen) {
        more = finder.FindNextFile();
        std::string name = finder.GetFileName().GetString();
        SCOPED_TRACE(name);
        bool dots = name == "." || name == "..", folder = dots || name == "sub";
        EXPECT_EQ(finder.GetFilePath(), (dir.win() + "\\" + name).c_str());
        EXPECT_EQ(std::tuple(finder.IsDots(), finder.IsDirectory(), finder.IsArchive(), finder.IsHidden(),
                             finder.IsSystem(), finder.GetLength()),
                  std::tuple(dots, folder, !folder, name == ".hidden", false, folder ? 0u : 2u));
        if (name != "a.txt") continue;
        EXPECT_EQ(finder.GetFileTitle(), "a");
        CTime written;
        ASSERT_TRUE(finder.GetLastWriteTime(written));
        EXPECT_EQ(written.GetTime(), 1300000000);
        EXPECT_TRUE(finder.MatchesMask(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_DIRECTORY));
        EXPECT_FALSE(finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    }
    EXPECT_EQ(seen, 9);
}

TEST_F(FileFind, DriveRootHasNoDotsAndRelativeSearch) {
    std::string root = std::filesystem::canonical(dir.host()).string();
    ScopedEnv mapped("KILN_DRIVES", ("K=" + root).c_str());
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile("k:\\*.txt"));
    EXPECT_EQ(finder.GetRoot(), "K:");
    finder.FindNextFile();
    EXPECT_EQ(finder.GetFilePath(), "K:\\a.txt");
    EXPECT_EQ(Names("K:\\*.*").front(), ".hidden");

    kiln::test::ScopedCwd here(root + "/sub");
    dir.Write("sub/inner.txt", "");
    EXPECT_EQ(Names("*.*"), (List{".", "..", "inner.txt"}));
    ASSERT_TRUE(finder.FindFile());  // no pattern: everything in the working directory
    finder.FindNextFile();
    EXPECT_EQ(finder.GetRoot(), "K:\\sub");
}

}  // namespace
