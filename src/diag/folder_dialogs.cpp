#include <kiln/diag/folder_dialogs.h>

#include <string>

#include <kiln/platform/ui/file_dialog.h>
#include <kiln/platform/ui/message_box.h>
#include <kiln/platform/ui/shell_folder.h>
#include <kiln/platform/ui/win_app.h>
#include <kiln/util/create_folder.h>
#include <kiln/util/separated_string.h>

namespace {

constexpr int kMaxFilterPairs = 16;
constexpr int kPathRoom = 260;

int RunFileDialog(const char* title, CString& path, unsigned long ofnFlags, int open, const char* filters) {
    CFileDialog dialog(open, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    dialog.m_ofn.Flags |= (DWORD)ofnFlags;
    std::string filter;
    for (int pair = 0; pair < kMaxFilterPairs; ++pair) {
        const CString description = GetSeparatedString(filters, ';', 2 * pair);
        const CString pattern = GetSeparatedString(filters, ';', 2 * pair + 1);
        if (description.IsEmpty() || pattern.IsEmpty()) break;
        filter.append(description, description.GetLength()).append(1, '\0');
        filter.append(pattern, pattern.GetLength()).append(1, '\0');
        ++dialog.m_ofn.nMaxCustFilter;
    }
    filter.append(kiln::AllFilesFilterName()).append(1, '\0').append("*.*").append(1, '\0');
    ++dialog.m_ofn.nMaxCustFilter;
    dialog.m_ofn.lpstrFilter = filter.c_str();  // the string's own NUL ends the list
    dialog.m_ofn.lpstrTitle = title;
    dialog.m_ofn.lpstrFile = path.GetBuffer(kPathRoom);
    dialog.m_ofn.nMaxFile = kPathRoom;
    const INT_PTR result = dialog.DoModal();
    path.ReleaseBuffer();
    return result == IDOK ? 1 : 0;
}

// What the browser's callback keeps between its calls.
struct BrowseRecord {
    CString initial;
    CString created;
    CString selected;
};

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data) {
    BrowseRecord& record = *(BrowseRecord*)data;
    switch (message) {
    case BFFM_INITIALIZED:
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, (LPARAM)(LPCTSTR)record.initial);
        break;
    case BFFM_SELCHANGED: {
        char path[MAX_PATH];
        if (SHGetPathFromIDListA((LPCITEMIDLIST)lParam, path)) {
            SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
            SendMessageA(dialog, BFFM_ENABLEOK, 0, TRUE);
            record.selected = path;
        } else {
            SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, (LPARAM) "選択できません");
            SendMessageA(dialog, BFFM_ENABLEOK, 0, FALSE);
        }
        break;
    }
    case BFFM_VALIDATEFAILEDA: {
        const CString typed = (const char*)lParam;
        const bool rooted = typed.Find(':') >= 0 || typed.Left(2) == "\\\\";
        CString folder = typed;
        if (!rooted) {
            // At a drive's root the selection ends with its backslash already.
            folder = record.selected;
            if (folder.Right(1) != "\\") folder += "\\";
            folder += typed;
        }
        const CString question = "フォルダ「" + folder + "」は存在しません。\n作成しますか？";
        if (AfxMessageBox(question, MB_YESNO, 0) == IDYES && CreateDirectoryStair(folder, nullptr))
            record.created = folder;
        break;
    }
    }
    return 0;
}

}  // namespace

int GetFolderIndex(CString& path, unsigned long ofnFlags, int open, const char* filters) {
    return RunFileDialog(open ? "ファイルロード" : "ファイルセーブ", path, ofnFlags, open, filters);
}

int GetFolderIndex(const char* title, CString& path, unsigned long ofnFlags, int open, const char* filters) {
    return RunFileDialog(title != nullptr ? title : "データファイルロード", path, ofnFlags, open, filters);
}

int BrowseFolderSpecialFolderBased(CString& folder, HWND owner, const char* title, int csidl,
                                   unsigned int flags) {
    if (owner == nullptr) {
        CWinThread* thread = AfxGetThread();
        if (thread != nullptr && thread->m_pMainWnd != nullptr) owner = thread->m_pMainWnd->GetSafeHwnd();
    }
    LPITEMIDLIST root = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, csidl, &root)) || root == nullptr) return 0;
    BrowseRecord record{folder, CString(), folder};
    char name[MAX_PATH] = "";
    BROWSEINFOA info{
        owner,           root, name, title != nullptr ? title : "フォルダの選択", flags, BrowseCallback,
        (LPARAM)&record, 0};
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    int result = 0;
    if (chosen != nullptr) {
        result = SHGetPathFromIDListA(chosen, folder.GetBuffer(MAX_PATH));
        folder.ReleaseBuffer();
    } else if (!record.created.IsEmpty()) {
        folder = record.created;
        result = 1;
    }
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator))) {
        allocator->Free(root);
        allocator->Free(chosen);
        allocator->Release();
    }
    return result;
}
