#include <kiln/diag/log.h>
#include <kiln/util/path_string.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <sys/stat.h>

#include "platform/clock_hook.h"
#include "support/box_recorder.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::BoxRecorder;
using kiln::test::TempDir;

// 2024-03-05 14:07:09.123 in Tokyo.
constexpr ULONGLONG kMarch5 = (1709615229ULL + 11644473600ULL) * 10000000ULL + 123ULL * 10000ULL;
const std::string kStamp = "[2024  3/05 14:07:09.123(-540)]";

class LogFile : public ::testing::Test {
protected:
    void SetUp() override { kiln::SetFixedClock(kiln::FixedClock{kMarch5, -540}); }
    void TearDown() override { kiln::SetFixedClock(std::nullopt); }

    TempDir dir;
    BoxRecorder boxes;
};

TEST_F(LogFile, TimeStampedEntriesBannersAndCount) {
    CLog log;
    ASSERT_EQ(log.OpenEx(dir.win("a.log").c_str(), 0, 0, 0), 1);
    EXPECT_EQ(log.IsOpen(), 1);
    log.Log("abc");
    log.Close();
    EXPECT_EQ(log.IsOpen(), 0);
    EXPECT_EQ(dir.Read("a.log"), kStamp + "\r\n<<Start Logging>>\r\n" +  // banner at level 0
                                     kStamp + "\tabc\r\n" +                // entries one tab deeper
                                     kStamp + "\r\n<<End Logging>>\r\n");  // end banner at level 0
    EXPECT_EQ(log.GetLineCount(), 3u);
    log.Log("closed");  // ignored and not counted
    EXPECT_EQ(log.GetLineCount(), 3u);

    // The bias is read when the log is opened: 0 reads +00, a western zone +300.
    kiln::SetFixedClock(kiln::FixedClock{kMarch5 + 5 * 10000ULL, 0});
    CLog utc(5);
    ASSERT_EQ(utc.OpenEx(dir.win("b").c_str(), 0, 1, 0), 1);
    utc.Log("x");
    kiln::SetFixedClock(kiln::FixedClock{kMarch5, 300});
    utc.Log("y");
    utc.Close();
    ASSERT_EQ(utc.OpenEx(dir.win("b").c_str(), 0, 1, 0), 1);
    utc.Log("z");
    utc.Close();
    EXPECT_EQ(dir.Read("b.log"), "[2024  3/05 05:07:09.128(+00)]x\r\n"
                                 "[2024  3/05 00:07:09.123(+00)]y\r\n"
                                 "[2024  3/05 00:07:09.123(+300)]z\r\n");
}

TEST_F(LogFile, FlagsZeroWritesTextsBackToBack) {
    CLog log(0);
    ASSERT_EQ(log.Open(dir.win("raw.log").c_str()), 1);
    log.Log("abc");
    log.Log("def");
    log.Close();
    EXPECT_EQ(dir.Read("raw.log"), "\r\n<<Start Logging>>\tabc\tdef\r\n<<End Logging>>");
}

TEST_F(LogFile, BeginAndFinishedNest) {
    CLog log(1);
    ASSERT_EQ(log.OpenEx(dir.win("n.log").c_str(), 0, 1, 0), 1);  // quiet: level 0, no banners
    log.Log("a");
    log.Begin("x");
    log.Log("in");
    log.Begin("y");
    log.Log("deeper");
    log.Finished("z");
    log.Finished("w");
    log.Log("b");
    // Deeper than the tab string: 256 tabs.
    for (int i = 0; i < 300; ++i) log.Begin("");
    log.Log("deep");
    for (int i = 0; i < 302; ++i) log.Finished("");
    log.Log("below zero");
    log.Close();

    std::string text = dir.Read("n.log");
    std::string start = "a\r\nx\r\n\tin\r\n\ty\r\n\t\tdeeper\r\n\tz\r\nw\r\nb\r\n";
    ASSERT_GT(text.size(), start.size());
    EXPECT_EQ(text.substr(0, start.size()), start);
    EXPECT_NE(text.find("\r\n" + std::string(256, '\t') + "deep\r\n"), std::string::npos);
    EXPECT_EQ(text.find(std::string(257, '\t')), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 14), "\r\nbelow zero\r\n");
}

TEST_F(LogFile, PastTimeAndDistance) {
    CLog log(1);
    ASSERT_EQ(log.OpenEx(dir.win("p.log").c_str(), 0, 1, 0), 1);
    log.LogPast();
    kiln::SetFixedClock(kiln::FixedClock{kMarch5 + 15012345ULL, -540});
    EXPECT_EQ(log.GetTimeDistance(), 15012345ULL);
    log.LogPast();
    kiln::SetFixedClock(kiln::FixedClock{kMarch5 + 123456789012ULL, -540});
    log.LogPast();
    log.Close();
    EXPECT_EQ(dir.Read("p.log"), "<Past time> 0.00000秒\r\n"
                                 "<Past time> 1.50123秒\r\n"
                                 "<Past time> 12345.67890秒\r\n");

    // The real clock: a log just opened has been open for (almost) no time.
    kiln::SetFixedClock(std::nullopt);
    ASSERT_EQ(log.OpenEx(dir.win("q.log").c_str(), 0, 1, 1), 1);
    EXPECT_LT(log.GetTimeDistance(), 10000000ULL);
    log.Close();
}

TEST_F(LogFile, GeneratedNames) {
    const std::string name = "Log2024 03月05日 14時07分09秒.log";
    CLog log;
    ASSERT_EQ(log.OpenEx(dir.win().c_str(), 1, 1, 0), 1);
    EXPECT_EQ(std::string(log.GetFullPath()), dir.win(name));
    log.Close();
    EXPECT_TRUE(dir.Exists(name));

    // A folder given with its trailing backslash gets no second one.
    ASSERT_EQ(log.OpenEx((dir.win() + "\\").c_str(), 1, 1, 0), 1);
    EXPECT_EQ(std::string(log.GetFullPath()), dir.win(name));
    log.Close();

    // Without a name: the program's folder.
    ASSERT_EQ(log.Open(nullptr), 1);
    CString path = log.GetFullPath();
    log.Close();
    CFile::Remove(path);
    EXPECT_EQ(path, GetModulePath() + name.c_str());
}

TEST_F(LogFile, ExtensionAndOpenModes) {
    dir.Write("report.log", "old\r\n");
    CLog log(1);
    ASSERT_EQ(log.OpenEx(dir.win("report.txt").c_str(), 0, 1, 0), 1);  // appended to
    log.Log("new");
    log.Close();
    EXPECT_FALSE(dir.Exists("report.txt"));
    EXPECT_EQ(dir.Read("report.log"), "old\r\nnew\r\n");

    ASSERT_EQ(log.OpenEx(dir.win("report.txt").c_str(), 0, 1, 1), 1);  // emptied first
    log.Log("fresh");
    log.Close();
    EXPECT_EQ(dir.Read("report.log"), "fresh\r\n");

    ASSERT_EQ(log.Open(dir.win("plain").c_str()), 1);
    EXPECT_EQ(std::string(log.GetFullPath()), dir.win("plain.log"));
    // Others may read the log while it is written, not write it.
    CFile reader, writer;
    EXPECT_TRUE(reader.Open(dir.win("plain.log").c_str(), CFile::modeRead | CFile::shareDenyNone));
    EXPECT_FALSE(writer.Open(dir.win("plain.log").c_str(), CFile::modeWrite | CFile::shareDenyNone));
    log.Close();
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(LogFile, FailedOpenShowsTheNameAndLeavesTheLogClosed) {
    CLog log;
    ASSERT_EQ(log.Open(dir.win("first").c_str()), 1);
    const std::string missing = dir.win("no such folder\\x.log");
    EXPECT_EQ(log.Open(dir.win("no such folder\\x.txt").c_str()), 0);
    EXPECT_EQ(log.IsOpen(), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, missing + " の書き込みオープンに失敗しました");
    EXPECT_EQ(boxes.Last().style, (unsigned)(MB_OK | MB_ICONEXCLAMATION));
    unsigned long lines = log.GetLineCount();
    log.Log("lost");
    EXPECT_EQ(log.GetLineCount(), lines);
    // The file the log had before was let go: its start banner is there, nothing after it.
    std::string first = dir.Read("first.log");
    EXPECT_EQ(first, kStamp + "\r\n<<Start Logging>>\r\n");

    EXPECT_EQ(CLog::CreateSaveFile(missing.c_str(), 0x1021), nullptr);
    EXPECT_EQ(boxes.Count(), 2u);
}

TEST_F(LogFile, UnwritableFolderAsOrdinaryUser) {
    ASSERT_EQ(chmod(dir.host().c_str(), 0755), 0);
    const std::string name = dir.win("x.txt");
    const std::string expected = dir.win("x.log") + " の書き込みオープンに失敗しました";
    int code = kiln::test::RunInChild(
        [&] {
            BoxRecorder childBoxes;
            CLog log;
            if (log.Open(name.c_str()) != 0 || log.IsOpen()) return 1;
            log.Log("nowhere");
            if (childBoxes.Count() != 1 || childBoxes.Last().text != expected) return 2;
            if (childBoxes.Last().style != 0x30u) return 3;
            return log.GetLineCount() == 0 ? 0 : 4;
        },
        true);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(dir.Exists("x.log"));
}

TEST_F(LogFile, CallersFileAndCopies) {
    CLog none;
    EXPECT_EQ(none.OpenEx((CFile*)nullptr, 1, 0), 0);
    EXPECT_EQ(none.IsOpen(), 0);

    dir.Write("own.log", "head|");
    CFile file;
    ASSERT_TRUE(file.Open(dir.win("own.log").c_str(), CFile::modeReadWrite));
    CLog log(0);
    ASSERT_EQ(log.OpenEx(&file, 0, 1), 1);  // quiet turns flag 0x8 on, so entries end with CR LF
    log.Log("tail");
    log.Close();  // the caller's file is closed, not deleted
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_EQ(dir.Read("own.log"), "head|tail\r\n");

    // A copy shares the file: both write to it, and it stays open until the last one closes.
    CLog original(1);
    ASSERT_EQ(original.OpenEx(dir.win("shared").c_str(), 0, 1, 0), 1);
    {
        CLog copy = original;
        copy.Log("from the copy");
        CLog assigned;
        assigned = original;
        EXPECT_EQ(assigned.GetFullPath(), original.GetFullPath());
        assigned.Log("from the assigned one");
    }
    original.Log("from the original");
    EXPECT_EQ(original.GetLineCount(), 1u);  // each object counts its own entries
    original.Close();
    EXPECT_EQ(dir.Read("shared.log"), "from the copy\r\nfrom the assigned one\r\nfrom the original\r\n");

    // An owned file object goes with the last log that uses it (the sanitizer run checks the delete).
    {
        CLog owner(1);
        CFile* owned = new CFile(dir.win("owned.log").c_str(), CFile::modeCreate | CFile::modeWrite);
        ASSERT_EQ(owner.OpenEx(owned, 1, 1), 1);
        owner.Log("owned");
    }
    EXPECT_EQ(dir.Read("owned.log"), "owned\r\n");
}

TEST_F(LogFile, FormattedEntries) {
    CLog log(1);
    ASSERT_EQ(log.OpenEx(dir.win("f.log").c_str(), 0, 1, 0), 1);
    log.Log1("%s", (INT_PTR) "text");
    log.Log2("%s=%d", (INT_PTR) "n", -5);
    log.Log3("%d%c%x", 1, '+', 255);
    log.Log4("%s %s %u %05d", (INT_PTR) "a", (INT_PTR) "b", 7, 42);
    // Entries are cut to 2047 bytes, never inside a double-byte character.
    const std::string longText = std::string(2046, 'a') + "漢字";
    log.Log1("%s", (INT_PTR)longText.c_str());
    log.Log1("%s", (INT_PTR)(std::string(3000, 'b').c_str()));
    log.Close();
    EXPECT_EQ(dir.Read("f.log"), "text\r\nn=-5\r\n1+ff\r\na b 7 00042\r\n" + std::string(2046, 'a') + "\r\n" +
                                     std::string(2047, 'b') + "\r\n");
}

}  // namespace
