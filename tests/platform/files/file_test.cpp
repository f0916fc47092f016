#include <kiln/platform/files/file.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/child_process.h"
#include "support/expect_error.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::RunInChild;
using kiln::test::TempDir;

// The cause (and Win32 code) of the CFileException that body throws.
int Cause(const std::function<void()>& body) { return kiln::test::CauseOf<CFileException>(body); }
std::tuple<int, LONG> Thrown(const std::function<void()>& body) {
    LONG os = -1;
    int cause = kiln::test::CauseOf<CFileException>(body, &os);
    return {cause, os};
}

TEST(FileOpen, CreateTruncateAndMustExist) {
    TempDir dir;
    std::string path = dir.win("data.bin");
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Write("hello world", 11);
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
    EXPECT_EQ(file.GetLength(), 11u);
    file.Write("HELLO", 5);  // at the start: the file is not appended to
    file.Close();
    EXPECT_EQ(dir.Read("data.bin"), "HELLO world");
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeRead));
    EXPECT_EQ(file.GetLength(), 0u);
    file.Close();

    const std::tuple<std::string, UINT, int, LONG> failures[] = {
        {dir.win("missing.bin"), CFile::modeRead, CFileException::fileNotFound, 2},
        {dir.win("nofolder\\x.bin"), CFile::modeCreate | CFile::modeWrite, CFileException::badPath, 3},
        {"Q:\\x.bin", CFile::modeRead, CFileException::badPath, 3},
        {dir.win(), CFile::modeRead, CFileException::accessDenied, 5},
    };
    for (const auto& [name, mode, cause, os] : failures) {
        CFileException error;
        EXPECT_LAST_ERROR(file.Open(name.c_str(), mode, &error), FALSE, os);
        EXPECT_EQ(std::tuple(error.m_cause, error.m_lOsError), std::tuple(cause, os)) << name;
        EXPECT_EQ(error.m_strFileName, name.c_str());
        EXPECT_EQ(file.m_hFile, CFile::hFileNull);
        EXPECT_FALSE(file.Open(name.c_str(), mode));  // no record: still no throw
    }
    EXPECT_EQ(Thrown([&] { CFile thrower(dir.win("missing.bin").c_str(), CFile::modeRead); }),
              std::tuple((int)CFileException::fileNotFound, 2));
}

// Create mode empties regular files only: devices, FIFOs and pipes open for writing as they are, and
// a device that refuses the bytes fails the write, not the open.
TEST(FileOpen, CreateModeOpensDevicesFifosAndPipesWithoutTruncating) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.host("fifo").c_str(), 0600), 0);
    int fifoReader = open(dir.host("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const std::tuple<std::string, int> targets[] = {
        {dir.host("fifo"), fifoReader},
        {"/proc/self/fd/" + std::to_string(pipeEnds[1]), pipeEnds[0]},
        {"/dev/null", -1},
    };
    CFile file;
    for (const auto& [path, reader] : targets) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive));
        file.Write("bytes", 5);
        file.Close();
        char got[8] = {};
        if (reader >= 0) {
            EXPECT_EQ(std::string(got, read(reader, got, sizeof got)), "bytes");
        }
    }
    close(fifoReader);
    close(pipeEnds[0]);
    close(pipeEnds[1]);

    ASSERT_TRUE(file.Open("/dev/full", CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(Thrown([&] { file.Write("x", 1); }), std::tuple((int)CFileException::diskFull, 112));
}

TEST(FileShare, ConflictsBetweenOpensOfOneProcess) {
    TempDir dir;
    dir.Write("shared.txt", "keep me");
    std::string path = dir.win("shared.txt");
    const UINT r = CFile::modeRead, w = CFile::modeWrite, rw = CFile::modeReadWrite;
    const std::tuple<UINT, UINT, bool> cases[] = {
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
    for (auto [first, second, allowed] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << first << " then " << second);
        CFile held, other;
        ASSERT_TRUE(held.Open(path.c_str(), first));
        CFileException error;
        EXPECT_EQ(other.Open(path.c_str(), second, &error), allowed ? TRUE : FALSE);
        if (allowed) continue;
        EXPECT_EQ(std::tuple(error.m_cause, error.m_lOsError),
                  std::tuple(CFileException::sharingViolation, 32));
        held.Close();  // once the first is closed the second gets in
        EXPECT_TRUE(other.Open(path.c_str(), second & ~(UINT)CFile::modeCreate));
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

    // The child holds the file exclusively until the parent has tried. (A forked child would see a
    // table kept in the parent's memory, so only this direction proves the markers are the system's.)
    int status = -1;
    std::thread child([&] {
        status = RunInChild([&] {
            CFile held;
            if (!held.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive)) return 1;
            char go = 1;
            return write(toParent[1], &go, 1) == 1 && read(toChild[0], &go, 1) == 1 ? 0 : 2;
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
    EXPECT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));  // released at its exit
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) close(fd);
}

TEST(FileIo, ReadWriteSeekLengthAndFailures) {
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
    EXPECT_EQ(Cause([&] { file.Seek(-1, CFile::begin); }), CFileException::badSeek);

    file.SetLength(4);  // the position follows the new length
    EXPECT_EQ(std::tuple(file.GetLength(), file.GetPosition()), std::tuple(4u, 4u));
    file.Write("!", 1);
    file.Flush();
    file.Close();
    EXPECT_EQ(dir.Read("io.bin"), "0123!");
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_EQ(file.GetFilePath(), "");
    file.Close();  // closing twice does nothing

    // An adopted descriptor is read through but left open for its owner.
    int fd = open(dir.host("io.bin").c_str(), O_RDONLY);
    EXPECT_EQ(CFile((HANDLE)(intptr_t)fd).Read(buffer, sizeof buffer), 5u);
    EXPECT_NE(fcntl(fd, F_GETFD), -1);
    close(fd);

    dir.Write("ro.txt", "abc");
    CFile reader(dir.win("ro.txt").c_str(), CFile::modeRead);
    CFile writer(dir.win("wo.txt").c_str(), CFile::modeCreate | CFile::modeWrite);
    char c;
    EXPECT_EQ(Thrown([&] { reader.Write("x", 1); }), std::tuple((int)CFileException::accessDenied, 5));
    EXPECT_EQ(Cause([&] { reader.SetLength(0); }), CFileException::accessDenied);
    EXPECT_EQ(Cause([&] { writer.Read(&c, 1); }), CFileException::accessDenied);

    // Abort closes without a word, whatever the state.
    reader.Abort();
    EXPECT_EQ(reader.m_hFile, CFile::hFileNull);
    reader.Abort();
    CFile never;
    never.Abort();
    EXPECT_EQ(Cause([&] { never.Read(&c, 1); }), CFileException::fileNotFound);  // invalid handle

    EXPECT_EQ(Cause([&] { CFile::Remove(dir.win("none").c_str()); }), CFileException::fileNotFound);
    EXPECT_EQ(Thrown([&] { CFile::Rename(dir.win("ro.txt").c_str(), dir.win("wo.txt").c_str()); }),
              std::tuple((int)CFileException::accessDenied, (LONG)ERROR_ALREADY_EXISTS));
    CFile::Rename(dir.win("ro.txt").c_str(), dir.win("moved.txt").c_str());
    EXPECT_EQ(dir.Read("moved.txt"), "abc");
    CFile::Remove(dir.win("moved.txt").c_str());
    EXPECT_FALSE(dir.Exists("moved.txt"));
}

TEST(FileNames, FullWindowsPathOfTheNameGiven) {
    kiln::test::ScopedEnv drives("KILN_DRIVES", nullptr);
    TempDir dir;
    std::string canonical = std::filesystem::canonical(dir.host()).string();
    kiln::test::ScopedCwd here(canonical);
    std::string win = "Z:" + canonical;
    std::replace(win.begin(), win.end(), '/', '\\');

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
    EXPECT_EQ(
        std::tuple(status.m_size, status.m_mtime.GetTime(), status.m_atime.GetTime(), status.m_attribute),
        std::tuple(5u, 1234567890, 1000000000, CFile::archive));
    EXPECT_STREQ(status.m_szFullName, dir.win("a.txt").c_str());
    ASSERT_TRUE(CFile::GetStatus(dir.win("sub").c_str(), status));
    EXPECT_EQ(status.m_attribute, CFile::directory);
    ASSERT_TRUE(CFile::GetStatus(dir.win(".hidden").c_str(), status));
    EXPECT_EQ(status.m_attribute, CFile::archive | CFile::hidden);
    EXPECT_FALSE(CFile::GetStatus(dir.win("none").c_str(), status));
    EXPECT_FALSE(CFile::GetStatus(("Z:\\" + std::string(300, 'x')).c_str(), status));

    CFile file(dir.win("a.txt").c_str(), CFile::modeRead | CFile::shareDenyNone);
    ASSERT_TRUE(file.GetStatus(status));
    EXPECT_EQ(std::tuple(status.m_size, status.m_mtime.GetTime()), std::tuple(5u, 1234567890));
    EXPECT_STREQ(status.m_szFullName, dir.win("a.txt").c_str());
    file.Close();
    EXPECT_FALSE(file.GetStatus(status));

    chmod(dir.host().c_str(), 0755);
    chmod(dir.host("a.txt").c_str(), 0444);
    std::string path = dir.win("a.txt");
    auto attributes = [&] {
        CFileStatus s;
        return CFile::GetStatus(path.c_str(), s) ? (int)s.m_attribute : 100;
    };
    EXPECT_EQ(RunInChild(attributes, true), CFile::archive | CFile::readOnly);
}

TEST(FileException, CausesAndMessages) {
    const std::pair<LONG, int> causes[] = {
        {2, CFileException::fileNotFound},       {6, CFileException::fileNotFound},
        {32, CFileException::sharingViolation},  {112, CFileException::diskFull},
        {145, CFileException::removeCurrentDir}, {183, CFileException::accessDenied},
        {87, CFileException::genericException},  {0, CFileException::none},
    };
    for (auto [os, cause] : causes) EXPECT_EQ(CFileException::OsErrorToException(os), cause) << os;
    EXPECT_EQ(Thrown([] { CFileException::ThrowErrno(ENOENT, "Z:\\x"); }),
              std::tuple((int)CFileException::fileNotFound, 2));
    EXPECT_EQ(Cause([] { CFileException::ThrowErrno(ENOSPC); }), CFileException::diskFull);
    EXPECT_EQ(Cause([] { CFileException::ThrowOsError(0); }), -1);  // no error, nothing thrown

    CFileException denied(CFileException::accessDenied, 5, "Z:\\a.txt");
    char text[64];
    ASSERT_TRUE(denied.GetErrorMessage(text, sizeof text));
    EXPECT_STREQ(text, "Access to Z:\\a.txt was denied.");
    ASSERT_TRUE(denied.GetErrorMessage(text, 10));
    EXPECT_STREQ(text, "Access to");
    ASSERT_TRUE(CFileException(CFileException::diskFull).GetErrorMessage(text, sizeof text));
    EXPECT_STREQ(text, "Disk full while accessing an unnamed file.");
}

}  // namespace
