#include <kiln/diag/log.h>
#include <kiln/util/path_string.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <sys/stat.h>

#include "platform/time/clock_hook.h"
#include "support/box_recorder.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::BoxRecorder;

// 2024-03-05 14:07:09.123 in Tokyo.
constexpr ULONGLONG kMarch5 = (1709615229ULL + 11644473600ULL) * 10000000ULL + 123ULL * 10000ULL;
const std::string kStamp = "[2024  3/05 14:07:09.123(-540)]";
const std::string kOpenFailed = " の書き込みオープンに失敗しました";

void SetClock(ULONGLONG now, LONG bias = -540) {
    kiln::detail::SetFixedClock(kiln::detail::FixedClock{now, bias});
}

class LogFile : public ::testing::Test {
protected:
    void SetUp() override { SetClock(kMarch5); }
    void TearDown() override { kiln::detail::SetFixedClock(std::nullopt); }

    kiln::test::TempDir dir;
    BoxRecorder boxes;
    CLog log{1};  // entries end with CR LF, no time stamps
};

TEST_F(LogFile, TimeStampsBannersFlagsAndCount) {
    CLog stamped;
    ASSERT_EQ(stamped.OpenEx(dir.win("a.log").c_str(), 0, 0, 0), 1);
    EXPECT_EQ(stamped.IsOpen(), 1);
    stamped.Log("abc");
    stamped.Close();
    EXPECT_EQ(stamped.IsOpen(), 0);
    // Banners at level 0, entries one tab deeper.
    EXPECT_EQ(dir.Read("a.log"), kStamp + "\r\n<<Start Logging>>\r\n" + kStamp + "\tabc\r\n" + kStamp +
                                     "\r\n<<End Logging>>\r\n");
    EXPECT_EQ(stamped.GetLineCount(), 3u);
    stamped.Log("closed");  // ignored and not counted
    EXPECT_EQ(stamped.GetLineCount(), 3u);

    CLog raw(0);  // flags 0 end no entry
    ASSERT_EQ(raw.Open(dir.win("raw.log").c_str()), 1);
    raw.Log("abc");
    raw.Log("def");
    raw.Close();
    EXPECT_EQ(dir.Read("raw.log"), "\r\n<<Start Logging>>\tabc\tdef\r\n<<End Logging>>");

    // The zone is read when the log is opened: 0 reads +00, a western zone +300.
    SetClock(kMarch5 + 5 * 10000ULL, 0);
    CLog utc(5);
    ASSERT_EQ(utc.OpenEx(dir.win("b").c_str(), 0, 1, 0), 1);
    utc.Log("x");
    SetClock(kMarch5, 300);
    utc.Log("y");
    utc.Close();
    ASSERT_EQ(utc.OpenEx(dir.win("b").c_str(), 0, 1, 0), 1);
    utc.Log("z");
    utc.Close();
    EXPECT_EQ(dir.Read("b.log"),
              "[2024  3/05 05:07:09.128(+00)]x\r\n[2024  3/05 00:07:09.123(+00)]y\r\n"
              "[2024  3/05 00:07:09.123(+300)]z\r\n");
}

TEST_F(LogFile, NestingPastTimeAndFormattedEntries) {
    ASSERT_EQ(log.OpenEx(dir.win("n").c_str(), 0, 1, 0), 1);  // quiet: level 0, no banners
    log.Log("a");
    log.Begin("x");
    log.Log("in");
    log.Begin("y");
    log.Log("deeper");
    log.Finished("z");
    log.Finished("w");
    for (int i = 0; i < 300; ++i) log.Begin("");
    log.Log("deep");  // 256 tabs at most
    for (int i = 0; i < 302; ++i) log.Finished("");
    log.Log("below zero");  // no tabs
    log.Close();
    const std::string nested = dir.Read("n.log"), start = "a\r\nx\r\n\tin\r\n\ty\r\n\t\tdeeper\r\n\tz\r\nw";
    EXPECT_EQ(nested.substr(0, start.size()), start);
    EXPECT_NE(nested.find("\r\n" + std::string(256, '\t') + "deep\r\n"), std::string::npos);
    EXPECT_EQ(nested.find(std::string(257, '\t')), std::string::npos);
    EXPECT_EQ(nested.substr(nested.size() - 14), "\r\nbelow zero\r\n");

    ASSERT_EQ(log.OpenEx(dir.win("p").c_str(), 0, 1, 0), 1);
    log.LogPast();
    SetClock(kMarch5 + 15012345ULL);
    EXPECT_EQ(log.GetTimeDistance(), 15012345ULL);
    log.LogPast();
    SetClock(kMarch5 + 123456789012ULL);
    log.LogPast();
    log.Close();
    EXPECT_EQ(dir.Read("p.log"),
              "<Past time> 0.00000秒\r\n<Past time> 1.50123秒\r\n<Past time> 12345.67890秒\r\n");

    // Entries are cut to 2047 bytes, never inside a double-byte character.
    const std::string dbcs = std::string(2046, 'a') + "漢字", longer(3000, 'b');
    ASSERT_EQ(log.OpenEx(dir.win("f").c_str(), 0, 1, 0), 1);
    log.Log1("%s", (INT_PTR) "text");
    log.Log2("%s=%d", (INT_PTR) "n", -5);
    log.Log3("%d%c%x", 1, '+', 255);
    log.Log4("%s %s %u %05d", (INT_PTR) "a", (INT_PTR) "b", 7, 42);
    log.Log1("%s", (INT_PTR)dbcs.c_str());
    log.Log1("%s", (INT_PTR)longer.c_str());
    log.Close();
    EXPECT_EQ(dir.Read("f.log"), "text\r\nn=-5\r\n1+ff\r\na b 7 00042\r\n" + dbcs.substr(0, 2046) + "\r\n" +
                                     longer.substr(0, 2047) + "\r\n");

    // With the real clock, a log just opened has been open for (almost) no time.
    kiln::detail::SetFixedClock(std::nullopt);
    ASSERT_EQ(log.OpenEx(dir.win("q").c_str(), 0, 1, 1), 1);
    EXPECT_LT(log.GetTimeDistance(), 10000000ULL);
}

TEST_F(LogFile, NamesExtensionsAndOpenModes) {
    const std::string name = "Log2024 03月05日 14時07分09秒.log";
    for (const std::string& folder : {dir.win(), dir.win() + "\\"}) {  // no second backslash
        ASSERT_EQ(log.OpenEx(folder.c_str(), 1, 1, 0), 1);
        EXPECT_EQ(std::string(log.GetFullPath()), dir.win(name));
        log.Close();
    }
    EXPECT_TRUE(dir.Exists(name));
    ASSERT_EQ(log.Open(nullptr), 1);  // without a name: the program's folder
    const CString path = log.GetFullPath();
    log.Close();
    CFile::Remove(path);
    EXPECT_EQ(path, GetModulePath() + name.c_str());

    // The extension becomes "log"; the file is appended to unless it is to be emptied.
    dir.Write("report.log", "old\r\n");
    for (int truncate : {0, 1}) {
        ASSERT_EQ(log.OpenEx(dir.win("report.txt").c_str(), 0, 1, truncate), 1);
        log.Log(truncate ? "fresh" : "new");
        log.Close();
        EXPECT_EQ(dir.Read("report.log"), truncate ? "fresh\r\n" : "old\r\nnew\r\n");
    }
    EXPECT_FALSE(dir.Exists("report.txt"));

    // Others may read the log while it is written, not write it.
    ASSERT_EQ(log.Open(dir.win("plain").c_str()), 1);
    EXPECT_EQ(std::string(log.GetFullPath()), dir.win("plain.log"));
    CFile reader, writer;
    EXPECT_TRUE(reader.Open(dir.win("plain.log").c_str(), CFile::modeRead | CFile::shareDenyNone));
    EXPECT_FALSE(writer.Open(dir.win("plain.log").c_str(), CFile::modeWrite | CFile::shareDenyNone));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(LogFile, FailedOpensShowTheNameAndLeaveTheLogClosed) {
    CLog stamped;
    ASSERT_EQ(stamped.Open(dir.win("first").c_str()), 1);
    const std::string missing = dir.win("no such folder\\x.log");
    EXPECT_EQ(stamped.Open(dir.win("no such folder\\x.txt").c_str()), 0);
    EXPECT_EQ(stamped.IsOpen(), 0);
    EXPECT_EQ(boxes.Last().text, missing + kOpenFailed);
    EXPECT_EQ(boxes.Last().style, (unsigned)(MB_OK | MB_ICONEXCLAMATION));
    const unsigned long lines = stamped.GetLineCount();
    stamped.Log("lost");
    EXPECT_EQ(stamped.GetLineCount(), lines);
    // The file the log had before was let go: its start banner is there, nothing after it.
    EXPECT_EQ(dir.Read("first.log"), kStamp + "\r\n<<Start Logging>>\r\n");
    EXPECT_EQ(CLog::CreateSaveFile(missing.c_str(), 0x1021), nullptr);
    EXPECT_EQ(boxes.Count(), 2u);

    // An unwritable folder, as an ordinary user (root may write anywhere).
    ASSERT_EQ(chmod(dir.host().c_str(), 0555), 0);
    const std::string name = dir.win("x.txt"), expected = dir.win("x.log") + kOpenFailed;
    auto openUnwritable = [&] {
        BoxRecorder childBoxes;
        if (log.Open(name.c_str()) != 0 || log.IsOpen()) return 1;
        log.Log("nowhere");
        if (childBoxes.Count() != 1 || childBoxes.Last().text != expected) return 2;
        return childBoxes.Last().style != 0x30u ? 3 : log.GetLineCount() == 0 ? 0 : 4;
    };
    EXPECT_EQ(kiln::test::RunInChild(openUnwritable, true), 0);
    EXPECT_FALSE(dir.Exists("x.log"));
}

TEST_F(LogFile, CallersFileAndCopies) {
    EXPECT_EQ(log.OpenEx((CFile*)nullptr, 1, 0), 0);
    EXPECT_EQ(log.IsOpen(), 0);
    dir.Write("own.log", "head|");
    CFile file;
    ASSERT_TRUE(file.Open(dir.win("own.log").c_str(), CFile::modeReadWrite));
    CLog raw(0);
    ASSERT_EQ(raw.OpenEx(&file, 0, 1), 1);  // quiet turns flag 0x8 on, so entries end with CR LF
    raw.Log("tail");
    raw.Close();  // the caller's file is closed, not deleted
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_EQ(dir.Read("own.log"), "head|tail\r\n");

    // Copies share the file, which stays open until the last one closes; each counts its own entries.
    ASSERT_EQ(log.OpenEx(dir.win("shared").c_str(), 0, 1, 0), 1);
    {
        CLog copy = log, assigned;
        copy.Log("from the copy");
        assigned = log;
        EXPECT_EQ(assigned.GetFullPath(), log.GetFullPath());
        assigned.Log("from the assigned one");
    }
    log.Log("from the original");
    EXPECT_EQ(log.GetLineCount(), 1u);
    log.Close();
    EXPECT_EQ(dir.Read("shared.log"), "from the copy\r\nfrom the assigned one\r\nfrom the original\r\n");

    // An owned file object goes with the last log that uses it (the sanitizer run checks the delete).
    auto* owned = new CFile(dir.win("owned.log").c_str(), CFile::modeCreate | CFile::modeWrite);
    ASSERT_EQ(log.OpenEx(owned, 1, 1), 1);
    log.Log("owned");
    log.Close();
    EXPECT_EQ(dir.Read("owned.log"), "owned\r\n");
}

}  // namespace
