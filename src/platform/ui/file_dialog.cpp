#include <kiln/platform/ui/file_dialog.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <kiln/platform/files/path_map.h>
#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/runtime/system.h>
#include <kiln/platform/text/mbcs.h>
#include <kiln/platform/ui/controls.h>
#include <kiln/platform/ui/dialog_template.h>
#include <kiln/platform/ui/message_box.h>

#include "platform/files/file_util.h"
#include "platform/ui/folder_listing.h"

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

namespace kiln {

const char* AllFilesFilterName() {
    const char* name = FindStringResource(AFX_IDS_ALLFILTER);
    return name != nullptr ? name : "すべてのファイル (*.*)";
}

namespace {

thread_local DWORD t_lastError = 0;

std::string ItemText(HWND list, int index) {
    const int length = (int)::SendMessageA(list, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (length < 0) return {};
    std::string text((size_t)length + 1, '\0');
    text.resize((size_t)::SendMessageA(list, LB_GETTEXT, (WPARAM)index, (LPARAM)text.data()));
    return text;
}

std::string TextOf(HWND window) {
    std::string text((size_t)GetWindowTextLengthA(window) + 1, '\0');
    text.resize((size_t)GetWindowTextA(window, text.data(), (int)text.size()));
    return text;
}

// The longest common start of the names, never ending inside a double-byte character.
std::string CommonStart(const std::vector<std::string>& names) {
    std::string common = names.front();
    for (const std::string& name : names) {
        size_t length = 0;
        while (length < common.size() && length < name.size() && common[length] == name[length]) ++length;
        common.resize(length);
    }
    return common.substr(0, FittingLength(common, common.size()));
}

class FileDialogWindow;

// The name edit: it takes the Tab key and completes the name with it.
class NameEdit : public CWnd {
public:
    explicit NameEdit(FileDialogWindow& dialog) : m_dialog(dialog) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    FileDialogWindow& m_dialog;
};

struct Filter {
    std::string description;
    std::string masks;
};

class FileDialogWindow : public CDialog {
public:
    FileDialogWindow(OPENFILENAMEA& ofn, bool open) : m_ofn(ofn), m_open(open), m_edit(*this) {
        for (const char* at = ofn.lpstrFilter; at != nullptr && *at != '\0';) {
            Filter filter{at, at + std::strlen(at) + 1};
            at += filter.description.size() + 1;
            at += std::strlen(at) + (*at != '\0' ? 1 : 0);
            m_filters.push_back(std::move(filter));
        }
        if (ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= m_filters.size())
            m_filter = (int)ofn.nFilterIndex - 1;
        m_template = BuildDialogTemplate(Description());
        InitModalIndirect((LPCDLGTEMPLATE)m_template.data(), CWnd::FromHandle(ofn.hwndOwner));
    }

    DWORD error() const { return m_error; }

    void Complete() {
        const std::string text = TextOf(m_edit.m_hWnd);
        const size_t offset = detail::FileNameOffset(text);
        const std::string prefix = text.substr(offset);
        FolderEntries entries;
        if (!ListFolder(FolderNamedBy(text), Masks(), entries)) return;
        std::vector<std::string> candidates;
        for (const std::string& name : entries.folders)
            if (name.compare(0, prefix.size(), prefix) == 0) candidates.push_back(name + '\\');
        for (const std::string& name : entries.files)
            if (name.compare(0, prefix.size(), prefix) == 0) candidates.push_back(name);
        if (candidates.empty()) return;
        const std::string completed = text.substr(0, offset) + CommonStart(candidates);
        if (completed == text) return;
        m_edit.SetWindowText(completed.c_str());
        m_edit.SendMessage(EM_SETSEL, completed.size(), completed.size());
    }

protected:
    BOOL OnInitDialog() override {
        m_edit.SubclassDlgItem(edt1, this);
        for (const Filter& filter : m_filters)
            SendDlgItemMessage(cmb1, LB_ADDSTRING, 0, (LPARAM)filter.description.c_str());
        SendDlgItemMessage(cmb1, LB_SETCURSEL, (WPARAM)m_filter, 0);
        if (GetDlgItem(chx1) != nullptr)
            CheckDlgButton(chx1, (m_ofn.Flags & OFN_READONLY) ? BST_CHECKED : BST_UNCHECKED);
        // The initial name: a folder part in it names the first folder shown, else lpstrInitialDir,
        // else the working directory.
        std::string name = m_ofn.lpstrFile != nullptr ? m_ofn.lpstrFile : "";
        const size_t offset = detail::FileNameOffset(name);
        const std::string working = FullWindowsPath(".");
        std::string folder = ResolveName(working, name.substr(0, offset));
        if (!IsFolderPath(folder) && m_ofn.lpstrInitialDir != nullptr)
            folder = ResolveName(working, m_ofn.lpstrInitialDir);
        if (!IsFolderPath(folder)) folder = working;
        m_folder = WithBackslash(folder);
        ShowFolder(m_folder);
        SetDlgItemText(edt1, name.substr(offset).c_str());
        return CDialog::OnInitDialog();
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == edt1 && code == EN_CHANGE) {
            const std::string folder = FolderNamedBy(TextOf(m_edit.m_hWnd));
            if (folder != m_listed && IsFolderPath(folder)) ShowFolder(folder);
            return TRUE;
        }
        if (id == lst1 && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
            Choose(code == LBN_DBLCLK);
            return TRUE;
        }
        if (id == cmb1 && code == LBN_SELCHANGE) {
            const int chosen = (int)SendDlgItemMessage(cmb1, LB_GETCURSEL, 0, 0);
            if (chosen >= 0) m_filter = chosen;
            ShowFolder(m_listed);
            return TRUE;
        }
        return CDialog::OnCommand(wParam, lParam);
    }

    void OnOK() override {
        const std::string text = TextOf(m_edit.m_hWnd);
        std::string path = ResolveName(m_folder, text);
        if (path.empty()) return;
        if (IsFolderPath(path)) {
            Enter(path);
            return;
        }
        const size_t nameOffset = detail::FileNameOffset(path);
        const bool hasPeriod = path.find('.', nameOffset) != std::string::npos;
        if (!hasPeriod && m_ofn.lpstrDefExt != nullptr && *m_ofn.lpstrDefExt != '\0')
            path += std::string(".") + m_ofn.lpstrDefExt;
        const std::string folder = path.substr(0, nameOffset);
        if ((m_ofn.Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !IsFolderPath(folder)) {
            Tell(path + "\nパスが見つかりません。\nパス名を確認してください。", MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        if (m_open && (m_ofn.Flags & OFN_FILEMUSTEXIST) && !IsFilePath(path)) {
            Tell(path + "\nファイルが見つかりません。\nファイル名を確認してください。",
                 MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        if (!m_open && (m_ofn.Flags & OFN_OVERWRITEPROMPT) && IsFilePath(path) &&
            Tell(path + " は既に存在します。\n上書きしますか？", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return;
        Deliver(path, nameOffset);
    }

private:
    DialogDescription Description() const {
        const char* title = m_ofn.lpstrTitle != nullptr ? m_ofn.lpstrTitle
                            : m_open                    ? "開く"
                                                        : "名前を付けて保存";
        DialogDescription dialog{title,
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                 0,
                                 0,
                                 0,
                                 280,
                                 190,
                                 9,
                                 "ＭＳ Ｐゴシック",
                                 {}};
        const DWORD input = WS_VISIBLE | WS_TABSTOP;
        dialog.items.push_back({"Static", stc1, "", 5, 5, 270, 10, WS_VISIBLE | SS_NOPREFIX});
        dialog.items.push_back({"Edit", edt1, "", 5, 18, 270, 12, input | WS_BORDER | ES_AUTOHSCROLL});
        dialog.items.push_back(
            {"ListBox", lst1, "", 5, 34, 270, 100, input | WS_BORDER | WS_VSCROLL | LBS_NOTIFY});
        if (!m_filters.empty())
            dialog.items.push_back({"ListBox", cmb1, "", 5, 138, 200, 30, input | WS_BORDER | LBS_NOTIFY});
        if (!(m_ofn.Flags & OFN_HIDEREADONLY))
            dialog.items.push_back(
                {"Button", chx1, "読み取り専用(&R)", 5, 172, 100, 12, input | BS_AUTOCHECKBOX});
        dialog.items.push_back(
            {"Button", IDOK, m_open ? "開く(&O)" : "保存(&S)", 170, 172, 50, 14, input | BS_DEFPUSHBUTTON});
        dialog.items.push_back({"Button", IDCANCEL, "キャンセル", 225, 172, 50, 14, input});
        return dialog;
    }

    std::string Masks() const {
        return m_filters.empty() ? std::string() : m_filters[(size_t)m_filter].masks;
    }

    // The folder the folder part of text names (the dialog's folder when it has none).
    std::string FolderNamedBy(const std::string& text) const {
        const size_t offset = detail::FileNameOffset(text);
        return offset == 0 ? m_folder : WithBackslash(ResolveName(m_folder, text.substr(0, offset)));
    }

    void ShowFolder(const std::string& folder) {
        m_listed = folder;
        SetDlgItemText(stc1, folder.c_str());
        HWND list = ::GetDlgItem(m_hWnd, lst1);
        ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
        FolderEntries entries;
        ListFolder(folder, Masks(), entries);
        if (!IsRootFolder(folder)) ::SendMessageA(list, LB_INSERTSTRING, (WPARAM)-1, (LPARAM) "..\\");
        for (const std::string& name : entries.folders)
            ::SendMessageA(list, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)(name + '\\').c_str());
        for (const std::string& name : entries.files)
            ::SendMessageA(list, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)name.c_str());
    }

    void Enter(const std::string& folder) {
        m_folder = WithBackslash(folder);
        SetDlgItemText(edt1, "");
        ShowFolder(m_folder);
    }

    // A folder entry is entered; a file's name goes to the edit (a double click also chooses it).
    void Choose(bool doubleClick) {
        HWND list = ::GetDlgItem(m_hWnd, lst1);
        const int index = (int)::SendMessageA(list, LB_GETCURSEL, 0, 0);
        if (index < 0) return;
        const std::string item = ItemText(list, index);
        if (!item.empty() && item.back() == '\\') {
            Enter(ResolveName(m_listed, item));
            return;
        }
        const std::string text = TextOf(m_edit.m_hWnd);
        SetDlgItemText(edt1, (text.substr(0, detail::FileNameOffset(text)) + item).c_str());
        if (doubleClick) OnOK();
    }

    int Tell(const std::string& text, UINT style) {
        return MessageBoxA(m_hWnd, text.c_str(), TextOf(m_hWnd).c_str(), style);
    }

    void Deliver(const std::string& path, size_t nameOffset) {
        if (path.size() + 1 > m_ofn.nMaxFile) {
            // The size needed goes to the first two bytes of the buffer, as the caller may retry.
            if (m_ofn.nMaxFile >= 2) {
                const WORD needed = (WORD)(path.size() + 1);
                std::memcpy(m_ofn.lpstrFile, &needed, sizeof needed);
            }
            m_error = FNERR_BUFFERTOOSMALL;
            EndDialog(IDCANCEL);
            return;
        }
        std::memcpy(m_ofn.lpstrFile, path.c_str(), path.size() + 1);
        m_ofn.nFileOffset = (WORD)nameOffset;
        const size_t period = path.rfind('.');
        m_ofn.nFileExtension = period == std::string::npos || period < nameOffset ? (WORD)path.size()
                               : period + 1 == path.size()                        ? 0
                                                                                  : (WORD)(period + 1);
        const std::string name = path.substr(nameOffset);
        if (m_ofn.lpstrFileTitle != nullptr && name.size() < m_ofn.nMaxFileTitle)
            std::memcpy(m_ofn.lpstrFileTitle, name.c_str(), name.size() + 1);
        if (GetDlgItem(chx1) != nullptr) {
            const bool readOnly = IsDlgButtonChecked(chx1) == BST_CHECKED;
            m_ofn.Flags = readOnly ? (m_ofn.Flags | OFN_READONLY) : (m_ofn.Flags & ~(DWORD)OFN_READONLY);
        }
        if (!m_filters.empty()) m_ofn.nFilterIndex = (DWORD)m_filter + 1;
        if (!(m_ofn.Flags & OFN_NOCHANGEDIR)) SetCurrentDirectoryA(path.substr(0, nameOffset).c_str());
        EndDialog(IDOK);
    }

    OPENFILENAMEA& m_ofn;
    const bool m_open;
    NameEdit m_edit;
    std::vector<Filter> m_filters;
    int m_filter = 0;
    std::vector<BYTE> m_template;
    std::string m_folder;  // the dialog's folder, with a trailing backslash
    std::string m_listed;  // the folder the list shows
    DWORD m_error = 0;
};

LRESULT NameEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETDLGCODE) return CWnd::WindowProc(message, wParam, lParam) | DLGC_WANTTAB;
    if ((message == WM_KEYDOWN && wParam == VK_TAB) || (message == WM_CHAR && wParam == '\t')) {
        if (message == WM_KEYDOWN) m_dialog.Complete();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// The size of the record before the fields Windows 2000 added, which older callers give.
constexpr DWORD kShortRecordSize = offsetof(OPENFILENAMEA, pvReserved);

BOOL Run(LPOPENFILENAMEA ofn, bool open) {
    t_lastError = 0;
    if (ofn == nullptr ||
        (ofn->lStructSize != sizeof(OPENFILENAMEA) && ofn->lStructSize != kShortRecordSize)) {
        t_lastError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        t_lastError = CDERR_INITIALIZATION;
        return FALSE;
    }
    FileDialogWindow dialog(*ofn, open);
    const INT_PTR result = dialog.DoModal();
    t_lastError = result == -1 ? CDERR_DIALOGFAILURE : dialog.error();
    return result == IDOK;
}

}  // namespace

}  // namespace kiln

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) { return kiln::Run(ofn, true); }
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) { return kiln::Run(ofn, false); }
DWORD CommDlgExtendedError() { return kiln::t_lastError; }

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
                         LPCTSTR lpszFilter, CWnd* pParentWnd, DWORD, BOOL)
    : m_ofn{}, m_bOpenFileDialog(bOpenFileDialog), m_szFileTitle{}, m_szFileName{} {
    m_pParentWnd = pParentWnd;
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof m_szFileTitle;
    m_ofn.lpstrDefExt = lpszDefExt;
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    if (lpszFileName != nullptr)
        std::memcpy(m_szFileName, lpszFileName, kiln::FittingLength(lpszFileName, MAX_PATH - 1));
    if (lpszFilter != nullptr) {
        // The '|' separators become NULs in place; the buffer keeps its full length.
        m_strFilter = lpszFilter;
        char* filter = m_strFilter.GetBuffer(0);
        for (char* at = filter; (at = std::strchr(at, '|')) != nullptr;) *at++ = '\0';
        m_ofn.lpstrFilter = filter;
    }
}

INT_PTR CFileDialog::DoModal() {
    if (m_ofn.hwndOwner == nullptr && m_pParentWnd != nullptr) m_ofn.hwndOwner = m_pParentWnd->GetSafeHwnd();
    const BOOL chosen = m_bOpenFileDialog ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const { return m_ofn.lpstrFile; }

CString CFileDialog::GetFileName() const { return m_ofn.lpstrFile + m_ofn.nFileOffset; }

CString CFileDialog::GetFileExt() const {
    return m_ofn.nFileExtension == 0 ? CString() : CString(m_ofn.lpstrFile + m_ofn.nFileExtension);
}

CString CFileDialog::GetFileTitle() const {
    CString name = GetFileName();
    const int period = name.ReverseFind('.');
    return period < 0 ? name : name.Left(period);
}

CString CFileDialog::GetFolderPath() const {
    const WORD offset = m_ofn.nFileOffset;
    return CString(m_ofn.lpstrFile, offset > 0 ? offset - 1 : 0);
}
