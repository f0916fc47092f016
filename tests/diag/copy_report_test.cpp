#include <kiln/diag/copy_report.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <kiln/platform/files/file.h>
#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/runtime/system.h>

#include "support/box_recorder.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kiln::test::TempDir;

const char kUnknown[] =
    "不明なコピーエラー（%d）が発生しました。\n他のアプリケーションとの競合が発生した可能性があります。\n"
    "全てのアプリケーションを終了して、もう一度実行してみてください。\n"
    "それでも、うまく行かない場合、システムが不安定になっている場合があります。";

std::string Formatted(const char* format, const std::string& value) {
    CString s;
    s.Format(format, value.c_str());
    return s.str();
}

std::string Unknown(DWORD error) {
    CString s;
    s.Format(kUnknown, (int)error);
    return s.str();
}

// One copy and what it must give: the report's result and its one box (none for an empty text).
// Describes what went wrong, or returns an empty text.
std::string Check(const std::string& source, const std::string& destination, CopyFileError result,
                  const std::string& box) {
    kiln::test::BoxRecorder boxes;
    CopyFileError got = CopyFileErrorReport(source.c_str(), destination.c_str());
    std::string report;
    if (got != result) report += "result " + std::to_string(got) + "; ";
    if (boxes.Count() != (box.empty() ? 0u : 1u)) return report + std::to_string(boxes.Count()) + " boxes";
    if (!box.empty() && (boxes.Last().text != box || boxes.Last().style != (MB_OK | MB_ICONEXCLAMATION)))
        report += "box \"" + boxes.Last().text + "\"";
    return report;
}

TEST(CopyFileErrorReport, NamesTheCauseOfEachFailure) {
    TempDir dir;
    dir.Write("src.txt", "source");
    dir.Write("file", "");
    fs::create_directory(dir.host("folder"));
    const std::string src = dir.win("src.txt");
    const struct {
        const char* what;
        std::string source, destination;
        CopyFileError result;
        std::string box;
    } cases[] = {
        {"copied", src, dir.win("out.txt"), kiln::kCopyDone, ""},
        {"folders made", src, dir.win("新規\\表\\out.txt"), kiln::kCopyDone, ""},
        {"source missing", dir.win("none.txt"), dir.win("x.txt"), kiln::kCopyFailed,
         Formatted("コピー元のファイル \"%s\" が見つかりません。", dir.win("none.txt"))},
        {"same name", src, src, kiln::kCopyFailed,
         Formatted("コピー元 \"%s\" と先が同一のファイルの様です。", src)},
        {"destination is a folder", src, dir.win("folder"), kiln::kCopyAccessDenied,
         Formatted("コピー先のファイル\"%s\"へのアクセス権がありません。", dir.win("folder"))},
        {"folder under a file", src, dir.win("file\\sub\\x.txt"), kiln::kCopyFolderFailed,
         Formatted("フォルダ \"%s\" の作成に失敗しました。", dir.win("file\\sub\\"))},
        {"second path not found", dir.win("gone\\a.txt"), dir.win("made\\x.txt"), kiln::kCopyFailed,
         Unknown(ERROR_PATH_NOT_FOUND)},
    };
    for (const auto& c : cases) EXPECT_EQ(Check(c.source, c.destination, c.result, c.box), "") << c.what;
    EXPECT_EQ(dir.Read("out.txt"), "source");
    EXPECT_EQ(dir.Read("新規/表/out.txt"), "source");
    EXPECT_EQ(dir.Read("src.txt"), "source");
    EXPECT_TRUE(fs::is_directory(dir.host("made")));  // made before the second try failed

    CFile held(src.c_str(), CFile::modeRead | CFile::shareExclusive);
    EXPECT_EQ(Check(src, dir.win("y.txt"), kiln::kCopyFailed,
                    Formatted("ファイル\"%s\"は、他のプロセスが使用中でコピーできません。", src)),
              "");
}

TEST(CopyFileErrorReport, AccessDeniedToAnOrdinaryUser) {
    TempDir dir;
    chmod(dir.host().c_str(), 0755);
    dir.Write("src.txt", "new");
    dir.Write("ro.txt", "old");
    chmod(dir.host("ro.txt").c_str(), 0444);
    fs::create_directory(dir.host("locked"));
    chmod(dir.host("locked").c_str(), 0555);
    const std::string src = dir.win("src.txt");
    std::string report = kiln::test::RunInChildForReport(
        [&] {
            std::string r;
            for (const char* name : {"ro.txt", "locked\\x.txt"}) {
                std::string to = dir.win(name);
                r += Check(src, to, kiln::kCopyAccessDenied,
                           Formatted("コピー先のファイル\"%s\"へのアクセス権がありません。", to));
            }
            return r;
        },
        true);
    if (report == "child exit code 126") GTEST_SKIP() << "no ordinary user to become here";
    EXPECT_EQ(report, "");
    EXPECT_EQ(dir.Read("ro.txt"), "old");
    EXPECT_EQ(fs::directory_iterator(dir.host("locked")), fs::directory_iterator());
}

// A 64 KB file system of its own, mounted in a child's private mount namespace: nothing outside the
// child sees it. Needs the right to mount; the test is skipped without it.
TEST(CopyFileErrorReport, FullDiskLeavesNoPartialCopy) {
    TempDir dir;
    dir.Write("big.bin", std::string(256 * 1024, 'b'));
    fs::create_directory(dir.host("small"));
    const std::string src = dir.win("big.bin");
    std::string report = kiln::test::RunInChildForReport([&] {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", dir.host("small").c_str(), "tmpfs", 0, "size=64k") != 0)
            return std::string("skip");
        dir.Write("small/old.bin", "old");
        std::string r;
        for (const char* name : {"small\\old.bin", "small\\new.bin"})
            r += Check(src, dir.win(name), kiln::kCopyDiskFull,
                       "コピー先のディスクの空き容量が不足しました。");
        auto entries = fs::directory_iterator(dir.host("small"));
        if (dir.Read("small/old.bin") != "old" || std::distance(begin(entries), end(entries)) != 1)
            r += "the small disk holds more than the old file";
        return r;
    });
    if (report == "skip") GTEST_SKIP() << "no private tmpfs can be mounted here";
    EXPECT_EQ(report, "");
}

}  // namespace
