#include <kiln/platform/file.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <kiln/platform/last_error.h>

#include "support/child_process.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::RunInChild;
using kiln::test::ScopedCwd;
using kiln::test::ScopedEnv;
using kiln::test::TempDir;

// The cause and code of the CFileException that body throws; the exception is deleted.
std::pair<int, LONG> Thrown(const std::function<void()>& body) {
    try {
        body();
    } catch (CFileException* e) {
        std::pair<int, LONG> result(e->m_cause, e->m_lOsError);
        e->Delete();
        return result;
    }
    return {-1, -1};
}

TEST(FileOpen, CreateTruncateAndMustExist) {
    TempDir dir;
    std::string path = dir.win("data.bin");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        file.Write("hello world", 11);
    }
    EXPECT_EQ(dir.Read("data.bin"), "hello world");
    {
        CFile file;
        ASSERT_TRUE(
            file.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
        EXPECT_EQ(file.GetLength(), 11u);
        file.Write("HELLO", 5);  // at the start: the file is not appended to
    }
    EXPECT_EQ(dir.Read("data.bin"), "HELLO world");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeRead));
        EXPECT_EQ(file.GetLength(), 0u);
    }

    CFileException error;
    CFile file;
    EXPECT_FALSE(file.Open(dir.win("missing.bin").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, 2);
    EXPECT_EQ(error.m_strFileName, dir.win("missing.bin").c_str());
    EXPECT_EQ(GetLastError(), 2u);
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);

    EXPECT_FALSE(file.Open(dir.win("nofolder\\x.bin").c_str(), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_EQ(error.m_lOsError, 3);
    EXPECT_FALSE(file.Open("Q:\\x.bin", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_FALSE(file.Open(dir.win().c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_FALSE(file.Open(dir.win("missing.bin").c_str(), CFile::modeRead));  // no record: still no throw

    EXPECT_EQ(Thrown([&] { CFile thrower(dir.win("missing.bin").c_str(), CFile::modeRead); }),
              std::make_pair((int)CFileException::fileNotFound, (LONG)2));
}

struct ShareCase {
    UINT first;
    UINT second;
    bool allowed;
};

TEST(FileShare, ConflictsBetweenOpensOfOneProcess) {
    TempDir dir;
    dir.Write("shared.txt", "keep me");
    std::string path = dir.win("shared.txt");
    const UINT r = CFile::modeRead, w = CFile::modeWrite, rw = CFile::modeReadWrite;
    const ShareCase cases[] = {
        {r | CFile::shareDenyWrite, r | CFile::shareDenyNone, true},
        {r | CFile::shareDenyWrite, w | CFile::shareDenyNone, false},  // wants what is denied
        {w | CFile::shareDenyNone, r | CFile::shareDenyWrite, false},  // denies what is held
        {r | CFile::shareDenyNone, rw | CFile::shareDenyNone, true},
        {r | CFile::shareCompat, r | CFile::shareDenyNone, false},  // compatibility is exclusive
        {r | CFile::shareDenyNone, r | CFile::shareCompat, false},
        {r | CFile::shareDenyRead, r | CFile::shareDenyNone, false},
        {r | CFile::shareDenyRead, w | CFile::shareDenyNone, true},
        {w | CFile::shareDenyRead, w | CFile::shareDenyNone, true},
        {w | CFile::shareExclusive, r | CFile::shareDenyNone, false},
        {rw | CFile::shareDenyWrite, r | CFile::shareDenyWrite, false},  // denies the other's write
        // A refused create must not empty the file.
        {r | CFile::shareDenyWrite, w | CFile::modeCreate | CFile::shareDenyNone, false},
    };
    for (const ShareCase& c : cases) {
        CFile first;
        ASSERT_TRUE(first.Open(path.c_str(), c.first)) << std::hex << c.first;
        CFile second;
        CFileException error;
        EXPECT_EQ(second.Open(path.c_str(), c.second, &error), c.allowed ? TRUE : FALSE)
            << std::hex << c.first << " then " << c.second;
        if (!c.allowed) {
            EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
            EXPECT_EQ(error.m_lOsError, 32);
            // Once the first is closed the second gets in.
            first.Close();
            CFile third;
            EXPECT_TRUE(third.Open(path.c_str(), c.second & ~(UINT)CFile::modeCreate));
        }
    }
    EXPECT_EQ(dir.Read("shared.txt"), "keep me");
}

TEST(FileShare, ConflictsWithAnotherProcess) {
    TempDir dir;
    dir.Write("shared.txt", "x");
    std::string path = dir.win("shared.txt");
    int toChild[2], toParent[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(toParent), 0);
    char byte = 0;

    // The child holds the file exclusively until the parent has tried.
    int status = -1;
    std::thread child([&] {
        status = RunInChild([&] {
            CFile held;
            if (!held.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive)) return 1;
            char go = 1;
            if (write(toParent[1], &go, 1) != 1 || read(toChild[0], &go, 1) != 1) return 2;
            return 0;
        });
    });
    ASSERT_EQ(read(toParent[0], &byte, 1), 1);
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    ASSERT_EQ(write(toChild[1], &byte, 1), 1);
    child.join();
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));

    // And the other way round: the parent holds it, denying write, and the child cannot write.
    int childResult = RunInChild([&] {
        CFile writer;
        CFileException e;
        if (writer.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyNone, &e)) return 1;
        return e.m_cause == CFileException::sharingViolation ? 0 : 2;
    });
    EXPECT_EQ(childResult, 0);
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]})
        close(fd);
}

TEST(FileIo, ReadWriteSeekAndLength) {
    TempDir dir;
    CFile file(dir.win("io.bin").c_str(), CFile::modeCreate | CFile::modeReadWrite);
    file.Write("0123456789", 10);
    EXPECT_EQ(file.GetPosition(), 10u);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);  // at the end
    EXPECT_EQ(file.Seek(-4, CFile::end), 6u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 4u);
    EXPECT_EQ(std::string(buffer, 4), "6789");
    file.SeekToBegin();
    EXPECT_EQ(file.Seek(3, CFile::current), 3u);
    EXPECT_EQ(Thrown([&] { file.Seek(-1, CFile::begin); }).first, CFileException::badSeek);

    file.SetLength(4);  // the position follows the new length
    EXPECT_EQ(file.GetLength(), 4u);
    EXPECT_EQ(file.GetPosition(), 4u);
    file.Write("!", 1);
    file.Flush();
    file.Close();
    EXPECT_EQ(dir.Read("io.bin"), "0123!");

    // An adopted descriptor is read through but left open for its owner.
    int fd = open(dir.host("io.bin").c_str(), O_RDONLY);
    {
        CFile adopted((HANDLE)(intptr_t)fd);
        EXPECT_EQ(adopted.Read(buffer, sizeof buffer), 5u);
    }
    EXPECT_NE(fcntl(fd, F_GETFD), -1);
    close(fd);
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_EQ(file.GetFilePath(), "");
    file.Close();  // closing twice does nothing
}

TEST(FileIo, WrongAccessAndFailuresThrow) {
    TempDir dir;
    dir.Write("ro.txt", "abc");
    CFile reader(dir.win("ro.txt").c_str(), CFile::modeRead);
    EXPECT_EQ(Thrown([&] { reader.Write("x", 1); }),
              std::make_pair((int)CFileException::accessDenied, (LONG)5));
    EXPECT_EQ(Thrown([&] { reader.SetLength(0); }).first, CFileException::accessDenied);
    CFile writer(dir.win("wo.txt").c_str(), CFile::modeCreate | CFile::modeWrite);
    char c;
    EXPECT_EQ(Thrown([&] { writer.Read(&c, 1); }).first, CFileException::accessDenied);

    CFile full("/dev/full", CFile::modeWrite | CFile::shareDenyNone);
    EXPECT_EQ(Thrown([&] { full.Write("x", 1); }), std::make_pair((int)CFileException::diskFull, (LONG)112));

    // Abort closes without a word, whatever the state.
    reader.Abort();
    EXPECT_EQ(reader.m_hFile, CFile::hFileNull);
    reader.Abort();
    CFile never;
    never.Abort();
    EXPECT_EQ(Thrown([&] { never.Read(&c, 1); }).first, CFileException::fileNotFound);  // invalid handle

    EXPECT_EQ(Thrown([&] { CFile::Remove(dir.win("none").c_str()); }).first, CFileException::fileNotFound);
    EXPECT_EQ(Thrown([&] { CFile::Rename(dir.win("ro.txt").c_str(), dir.win("wo.txt").c_str()); }),
              std::make_pair((int)CFileException::accessDenied, (LONG)ERROR_ALREADY_EXISTS));
    CFile::Rename(dir.win("ro.txt").c_str(), dir.win("moved.txt").c_str());
    EXPECT_EQ(dir.Read("moved.txt"), "abc");
    CFile::Remove(dir.win("moved.txt").c_str());
    EXPECT_FALSE(dir.Exists("moved.txt"));
}

TEST(FileNames, FullWindowsPathOfTheNameGiven) {
    ScopedEnv drives("KILN_DRIVES", nullptr);
    TempDir dir;
    std::string canonical = std::filesystem::canonical(dir.host()).string();
    ScopedCwd here(canonical);
    std::string win = "Z:" + canonical;
    for (char& ch : win)
        if (ch == '/') ch = '\\';

    CFile relative("sub.name.txt", CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(relative.GetFilePath(), (win + "\\sub.name.txt").c_str());
    EXPECT_EQ(relative.GetFileName(), "sub.name.txt");
    EXPECT_EQ(relative.GetFileTitle(), "sub.name");

    CFile host((canonical + "/host.txt").c_str(), CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(host.GetFilePath(), (win + "\\host.txt").c_str());
    host.SetFilePath("C:\\elsewhere\\n.dat");
    EXPECT_EQ(host.GetFileName(), "n.dat");
    EXPECT_EQ(host.GetFileTitle(), "n");
}

TEST(FileStatus, TimesSizeAttributesAndName) {
    TempDir dir;
    dir.Write("a.txt", "12345");
    dir.Write(".hidden", "");
    std::filesystem::create_directory(dir.host("sub"));
    struct timespec times[2] = {{1000000000, 0}, {1234567890, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.host("a.txt").c_str(), times, 0), 0);

    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(dir.win("a.txt").c_str(), status));
    EXPECT_EQ(status.m_size, 5u);
    EXPECT_EQ(status.m_mtime.GetTime(), 1234567890);
    EXPECT_EQ(status.m_atime.GetTime(), 1000000000);
    EXPECT_EQ(status.m_attribute, CFile::archive);
    EXPECT_STREQ(status.m_szFullName, dir.win("a.txt").c_str());

    ASSERT_TRUE(CFile::GetStatus(dir.win("sub").c_str(), status));
    EXPECT_EQ(status.m_attribute, CFile::directory);
    ASSERT_TRUE(CFile::GetStatus(dir.win(".hidden").c_str(), status));
    EXPECT_EQ(status.m_attribute, CFile::archive | CFile::hidden);
    EXPECT_FALSE(CFile::GetStatus(dir.win("none").c_str(), status));
    EXPECT_FALSE(CFile::GetStatus(("Z:\\" + std::string(300, 'x')).c_str(), status));

    CFile file(dir.win("a.txt").c_str(), CFile::modeRead | CFile::shareDenyNone);
    ASSERT_TRUE(file.GetStatus(status));
    EXPECT_EQ(status.m_size, 5u);
    EXPECT_EQ(status.m_mtime.GetTime(), 1234567890);
    EXPECT_STREQ(status.m_szFullName, dir.win("a.txt").c_str());
    file.Close();
    EXPECT_FALSE(file.GetStatus(status));

    chmod(dir.host().c_str(), 0755);
    chmod(dir.host("a.txt").c_str(), 0444);
    std::string path = dir.win("a.txt");
    EXPECT_EQ(RunInChild(
                  [&] {
                      CFileStatus s;
                      return CFile::GetStatus(path.c_str(), s) ? (int)s.m_attribute : 100;
                  },
                  true),
              CFile::archive | CFile::readOnly);
}

TEST(FileException, CausesAndMessages) {
    EXPECT_EQ(CFileException::OsErrorToException(2), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::OsErrorToException(6), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::OsErrorToException(32), CFileException::sharingViolation);
    EXPECT_EQ(CFileException::OsErrorToException(112), CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToException(145), CFileException::removeCurrentDir);
    EXPECT_EQ(CFileException::OsErrorToException(183), CFileException::accessDenied);
    EXPECT_EQ(CFileException::OsErrorToException(87), CFileException::genericException);
    EXPECT_EQ(CFileException::OsErrorToException(0), CFileException::none);

    TempDir dir;
    EXPECT_EQ(Thrown([&] { CFileException::ThrowErrno(ENOENT, dir.win("x").c_str()); }),
              std::make_pair((int)CFileException::fileNotFound, (LONG)2));
    EXPECT_EQ(Thrown([&] { CFileException::ThrowErrno(ENOSPC); }).first, CFileException::diskFull);
    EXPECT_EQ(Thrown([] { CFileException::ThrowOsError(0); }).first, -1);  // no error, nothing thrown

    CFileException denied(CFileException::accessDenied, 5, "Z:\\a.txt");
    EXPECT_TRUE(denied.IsKindOf(RUNTIME_CLASS(CException)));
    char text[64];
    ASSERT_TRUE(denied.GetErrorMessage(text, sizeof text));
    EXPECT_STREQ(text, "Access to Z:\\a.txt was denied.");
    ASSERT_TRUE(denied.GetErrorMessage(text, 10));
    EXPECT_STREQ(text, "Access to");
    CFileException unnamed(CFileException::diskFull);
    ASSERT_TRUE(unnamed.GetErrorMessage(text, sizeof text));
    EXPECT_STREQ(text, "Disk full while accessing an unnamed file.");
}

}  // namespace
