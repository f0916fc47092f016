#include <kiln/platform/ui/shell_folder.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <malloc.h>

#include <kiln/platform/files/path_map.h>
#include <kiln/platform/text/mbcs.h>
#include <kiln/platform/ui/controls.h>
#include <kiln/platform/ui/dialog.h>
#include <kiln/platform/ui/dialog_template.h>

#include "platform/files/file_util.h"
#include "platform/ui/folder_listing.h"
#include "platform/ui/special_folder.h"

namespace kiln {

namespace {

// Control ids of the browser.
constexpr int kTree = 0x3741, kTitle = 0x3742, kStatus = 0x3743, kEdit = 0x3744;

class ShellMalloc final : public IMalloc {
public:
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    void* Alloc(SIZE_T cb) override { return std::malloc(cb); }
    void* Realloc(void* pv, SIZE_T cb) override { return std::realloc(pv, cb); }
    void Free(void* pv) override { std::free(pv); }
    SIZE_T GetSize(void* pv) override { return pv != nullptr ? malloc_usable_size(pv) : (SIZE_T)-1; }
    int DidAlloc(void*) override { return -1; }  // cannot be told
    void HeapMinimize() override {}
};

// An item list holds the folder's Windows path, NUL-terminated.
LPITEMIDLIST MakeItem(const std::string& path) {
    char* item = (char*)std::malloc(path.size() + 1);
    if (item != nullptr) std::memcpy(item, path.c_str(), path.size() + 1);
    return (LPITEMIDLIST)item;
}

std::string PathOf(LPCITEMIDLIST item) { return item != nullptr ? (const char*)item : ""; }

std::string TextOf(HWND window) {
    std::string text((size_t)GetWindowTextLengthA(window) + 1, '\0');
    text.resize((size_t)GetWindowTextA(window, text.data(), (int)text.size()));
    return text;
}

// True when folder is root or inside it (both with a trailing backslash), letters in either case.
bool Inside(const std::string& folder, const std::string& root) {
    return folder.size() >= root.size() && _mbsicmp(folder.substr(0, root.size()).c_str(), root.c_str()) == 0;
}

class BrowseDialogWindow : public CDialog {
public:
    explicit BrowseDialogWindow(BROWSEINFOA& info, std::string root) : m_info(info), m_root(std::move(root)) {
        m_template = BuildDialogTemplate(Description());
        InitModalIndirect((LPCDLGTEMPLATE)m_template.data(), CWnd::FromHandle(info.hwndOwner));
    }

    // The chosen folder, empty when there is none.
    const std::string& result() const { return m_result; }

protected:
    BOOL OnInitDialog() override {
        const BOOL focus = CDialog::OnInitDialog();
        Select(m_root, false);
        m_notified = false;
        Call(BFFM_INITIALIZED, 0);
        if (!m_notified && IsWindow(m_hWnd)) Notify();
        return focus;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case BFFM_SETSELECTIONA:
            if (lParam != 0)
                Select(wParam ? std::string((const char*)lParam) : PathOf((LPCITEMIDLIST)lParam), true);
            return 0;
        case BFFM_SETSTATUSTEXTA: SetDlgItemText(kStatus, lParam != 0 ? (const char*)lParam : ""); return 0;
        case BFFM_ENABLEOK: ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), lParam != 0); return 0;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == kTree && (HIWORD(wParam) == LBN_SELCHANGE || HIWORD(wParam) == LBN_DBLCLK)) {
            HWND list = ::GetDlgItem(m_hWnd, kTree);
            const int index = (int)::SendMessageA(list, LB_GETCURSEL, 0, 0);
            if (index >= 0) {
                std::string item((size_t)::SendMessageA(list, LB_GETTEXTLEN, (WPARAM)index, 0) + 1, '\0');
                item.resize((size_t)::SendMessageA(list, LB_GETTEXT, (WPARAM)index, (LPARAM)item.data()));
                Select(ResolveName(m_selection, item), true);
            }
            return TRUE;
        }
        return CDialog::OnCommand(wParam, lParam);
    }

    void OnOK() override {
        const std::string typed = TextOf(::GetDlgItem(m_hWnd, kEdit));
        const std::string path = ResolveName(m_selection, typed);
        if (typed.empty() || !(m_info.ulFlags & BIF_VALIDATE) || IsFolderPath(path)) {
            m_result = !typed.empty() && IsFolderPath(path) ? WithBackslash(path) : m_selection;
            EndDialog(IDOK);
            return;
        }
        if (Call(BFFM_VALIDATEFAILEDA, (LPARAM)typed.c_str()) == 0 && IsWindow(m_hWnd)) EndDialog(IDCANCEL);
    }

private:
    DialogDescription Description() const {
        DialogDescription dialog{"フォルダの参照",
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                 0,
                                 0,
                                 0,
                                 230,
                                 200,
                                 9,
                                 "ＭＳ Ｐゴシック",
                                 {}};
        const DWORD input = WS_VISIBLE | WS_TABSTOP;
        const DWORD status = (m_info.ulFlags & BIF_STATUSTEXT) ? WS_VISIBLE : 0;
        dialog.items = {{"Static", kTitle, m_info.lpszTitle != nullptr ? m_info.lpszTitle : "", 5, 5, 220, 20,
                         WS_VISIBLE | SS_NOPREFIX},
                        {"Static", kStatus, "", 5, 26, 220, 10, status | (DWORD)SS_NOPREFIX},
                        {"ListBox", kTree, "", 5, 38, 220, 110, input | WS_BORDER | WS_VSCROLL | LBS_NOTIFY},
                        {"Edit", kEdit, "", 5, 152, 220, 12, input | WS_BORDER | ES_AUTOHSCROLL},
                        {"Button", IDOK, "OK", 120, 180, 50, 14, input | BS_DEFPUSHBUTTON},
                        {"Button", IDCANCEL, "キャンセル", 175, 180, 50, 14, input}};
        return dialog;
    }

    int Call(UINT message, LPARAM lParam) {
        return m_info.lpfn != nullptr ? m_info.lpfn(m_hWnd, message, lParam, m_info.lParam) : 0;
    }

    // Tells the callback about the selection.
    void Notify() {
        m_notified = true;
        LPITEMIDLIST item = MakeItem(m_selection);
        Call(BFFM_SELCHANGED, (LPARAM)item);
        std::free(item);
    }

    void Select(const std::string& path, bool notify) {
        const std::string folder = WithBackslash(FullWindowsPath(path.c_str()));
        if (!IsFolderPath(folder) || !Inside(folder, m_root)) return;
        m_selection = folder;
        HWND list = ::GetDlgItem(m_hWnd, kTree);
        ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
        FolderEntries entries;
        ListFolder(folder, "", entries);
        if (folder.size() > m_root.size()) ::SendMessageA(list, LB_INSERTSTRING, (WPARAM)-1, (LPARAM) "..\\");
        for (const std::string& name : entries.folders)
            ::SendMessageA(list, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)(name + '\\').c_str());
        if (notify) Notify();
    }

    BROWSEINFOA& m_info;
    const std::string m_root;  // with a trailing backslash
    std::vector<BYTE> m_template;
    std::string m_selection;  // with a trailing backslash
    std::string m_result;
    bool m_notified = false;
};

}  // namespace

}  // namespace kiln

HRESULT SHGetMalloc(IMalloc** ppMalloc) {
    static kiln::ShellMalloc allocator;
    if (ppMalloc == nullptr) return E_INVALIDARG;
    *ppMalloc = &allocator;
    return S_OK;
}

void CoTaskMemFree(void* pv) { std::free(pv); }

void ILFree(LPITEMIDLIST pidl) { std::free(pidl); }

HRESULT SHGetSpecialFolderLocation(HWND, int nFolder, LPITEMIDLIST* ppidl) {
    if (ppidl == nullptr) return E_INVALIDARG;
    *ppidl = nullptr;
    std::string host;
    if (!kiln::SpecialFolderHostPath(nFolder, host)) return E_INVALIDARG;
    std::error_code error;
    if (nFolder & CSIDL_FLAG_CREATE) std::filesystem::create_directories(host, error);
    if (!std::filesystem::is_directory(host, error)) return E_FAIL;
    *ppidl = kiln::MakeItem(kiln::WithBackslash(kiln::ToWindowsPath(host)));
    return *ppidl != nullptr ? S_OK : E_OUTOFMEMORY;
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath) {
    if (pszPath == nullptr) return FALSE;
    std::string path = kiln::PathOf(pidl);
    // A folder's path has no trailing backslash, except a drive's root.
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (path.empty() || path.size() >= MAX_PATH) {
        pszPath[0] = '\0';
        return FALSE;
    }
    std::memcpy(pszPath, path.c_str(), path.size() + 1);
    return TRUE;
}

LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA lpbi) {
    if (lpbi == nullptr) return nullptr;
    const std::string root =
        lpbi->pidlRoot != nullptr ? kiln::PathOf(lpbi->pidlRoot) : kiln::ToWindowsPath("/");
    kiln::BrowseDialogWindow dialog(*lpbi, kiln::WithBackslash(root));
    if (dialog.DoModal() != IDOK || dialog.result().empty()) return nullptr;
    const std::string& folder = dialog.result();
    if (lpbi->pszDisplayName != nullptr) {
        std::string name = folder.substr(0, folder.size() - 1);
        name = name.substr(kiln::detail::FileNameOffset(name));
        if (name.empty()) name = folder;
        std::memcpy(lpbi->pszDisplayName, name.c_str(), kiln::FittingLength(name, MAX_PATH - 1));
        lpbi->pszDisplayName[kiln::FittingLength(name, MAX_PATH - 1)] = '\0';
    }
    return kiln::MakeItem(folder);
}
