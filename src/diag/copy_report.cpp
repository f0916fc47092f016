#include <kiln/diag/copy_report.h>

#include <kiln/diag/report.h>
#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/runtime/system.h>
#include <kiln/util/create_folder.h>
#include <kiln/util/path_string.h>

CopyFileError CopyFileErrorReport(const char* source, const char* destination) {
    bool folderMade = false;
    while (!CopyFileA(source, destination, FALSE)) {
        DWORD error = GetLastError();
        switch (error) {
        case ERROR_FILE_NOT_FOUND:
            _NOTICE1("コピー元のファイル \"%s\" が見つかりません。", (INT_PTR)source);
            return kiln::kCopyFailed;
        case ERROR_ACCESS_DENIED:
            _NOTICE1("コピー先のファイル\"%s\"へのアクセス権がありません。", (INT_PTR)destination);
            return kiln::kCopyAccessDenied;
        case ERROR_NOT_ENOUGH_MEMORY:
            NOTICE("コピー作業に必要なメモリーが不足しています。");
            return kiln::kCopyFailed;
        case ERROR_SHARING_VIOLATION:
            _NOTICE1("ファイル\"%s\"は、他のプロセスが使用中でコピーできません。", (INT_PTR)source);
            return kiln::kCopyFailed;
        case ERROR_FILE_EXISTS:
            _NOTICE1("コピー元 \"%s\" と先が同一のファイルの様です。", (INT_PTR)source);
            return kiln::kCopyFailed;
        case ERROR_DISK_FULL:
            NOTICE("コピー先のディスクの空き容量が不足しました。");
            return kiln::kCopyDiskFull;
        case ERROR_PATH_NOT_FOUND:
            // The destination's folder is made once; a second miss is an unknown cause.
            if (!folderMade) {
                folderMade = true;
                CString folder = str2PathIndex(destination);
                if (!CreateDirectoryStair(folder, nullptr)) {
                    _NOTICE1("フォルダ \"%s\" の作成に失敗しました。", (INT_PTR)(const char*)folder);
                    return kiln::kCopyFolderFailed;
                }
                continue;
            }
            break;
        default: break;
        }
        _NOTICE1(
            "不明なコピーエラー（%d）が発生しました。\n他のアプリケーションとの競合が発生した可能性があります。\n"
            "全てのアプリケーションを終了して、もう一度実行してみてください。\n"
            "それでも、うまく行かない場合、システムが不安定になっている場合があります。",
            (INT_PTR)error);
        return kiln::kCopyFailed;
    }
    return kiln::kCopyDone;
}
