// The file-open and file-save dialogs: GetOpenFileNameA, GetSaveFileNameA and CFileDialog on them.
//
// The dialog is an ordinary dialog of the window system, so every front end presents it: an edit
// for the name (edt1), a list of the folder's entries (lst1: "..", the subfolders as "name\", then
// the files that match the chosen filter), a list of the filters (cmb1), a read-only check box
// (chx1, absent with OFN_HIDEREADONLY), OK and Cancel.
//   - Editing the name lists the folder its folder part names (relative names from the dialog's
//     folder); the Tab key (WM_KEYDOWN, VK_TAB) in the edit completes the last part of the name from the
//     listed entries (as far as they agree) when something starts with it.
//   - Choosing a folder in the list enters it; choosing a file puts its name in the edit, and a
//     double click on a file also presses OK. Choosing a filter lists the folder through it.
//   - OK with the name of a folder enters that folder. Otherwise the name is completed with the
//     default extension when it has none, and checked: OFN_PATHMUSTEXIST (and OFN_FILEMUSTEXIST)
//     say so in a message box when the folder (the file) is missing, OFN_OVERWRITEPROMPT asks before
//     an existing file is chosen for saving; the dialog stays open after each of these.
//   - The chosen full path goes to lpstrFile. When it does not fit nMaxFile, the dialog ends, the
//     call returns FALSE, CommDlgExtendedError gives FNERR_BUFFERTOOSMALL and the first two bytes of
//     lpstrFile hold the size needed. Without OFN_NOCHANGEDIR the working directory becomes the
//     chosen file's folder.
// Names starting with '.' are hidden files on Linux and are not listed (they can still be typed).
// Paths are Windows paths (Z:\...).
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/ui/dialog.h>

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_SHOWHELP 0x00000010
#define OFN_ENABLEHOOK 0x00000020
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_ENABLETEMPLATEHANDLE 0x00000080
#define OFN_NOVALIDATE 0x00000100
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_EXTENSIONDIFFERENT 0x00000400
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_CREATEPROMPT 0x00002000
#define OFN_SHAREAWARE 0x00004000
#define OFN_NOREADONLYRETURN 0x00008000
#define OFN_NOTESTFILECREATE 0x00010000
#define OFN_NONETWORKBUTTON 0x00020000
#define OFN_NOLONGNAMES 0x00040000
#define OFN_EXPLORER 0x00080000
#define OFN_NODEREFERENCELINKS 0x00100000
#define OFN_LONGNAMES 0x00200000
#define OFN_ENABLESIZING 0x00800000
#define OFN_DONTADDTORECENT 0x02000000
#define OFN_FORCESHOWHIDDEN 0x10000000

// Extended errors (CommDlgExtendedError).
#define CDERR_DIALOGFAILURE 0xFFFF
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define FNERR_SUBCLASSFAILURE 0x3001
#define FNERR_INVALIDFILENAME 0x3002
#define FNERR_BUFFERTOOSMALL 0x3003

// Control ids of the dialog.
#define chx1 0x0410
#define stc1 0x0440
#define lst1 0x0460
#define cmb1 0x0470
#define edt1 0x0480

// The name of the all-files filter (the platform string; a module may give its own).
#define AFX_IDS_ALLFILTER 61442

typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;       // pairs of NUL-terminated description and patterns ("*.c;*.h"), then a NUL
    LPSTR lpstrCustomFilter;  // not used
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;  // 1-based; 0 takes the first
    LPSTR lpstrFile;     // the initial name in, the chosen full path out
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;  // receives the chosen file's name, when given
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;  // null: "開く" or "名前を付けて保存"
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;  // not called
    LPCSTR lpTemplateName;   // not used
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
typedef OPENFILENAMEA* LPOPENFILENAMEA;
typedef OPENFILENAMEA OPENFILENAME;
typedef LPOPENFILENAMEA LPOPENFILENAME;

// Run the dialog modally; TRUE when the user chose a file.
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn);
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn);
// Why the last call on this thread returned FALSE; 0 when the user cancelled.
DWORD CommDlgExtendedError();
#define GetOpenFileName GetOpenFileNameA
#define GetSaveFileName GetSaveFileNameA

// MFC's file dialog. The filter is given as "Text|*.txt|All|*.*||"; m_ofn may be changed before
// DoModal (the name buffer is m_szFileName unless lpstrFile is pointed elsewhere).
class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr, DWORD dwSize = 0, BOOL bVistaStyle = TRUE);

    // IDOK or IDCANCEL (also when the dialog failed: see CommDlgExtendedError).
    INT_PTR DoModal() override;

    CString GetPathName() const;    // the full path
    CString GetFileName() const;    // the name with its extension
    CString GetFileExt() const;     // the extension without its period
    CString GetFileTitle() const;   // the name without its extension
    CString GetFolderPath() const;  // the folder, without a trailing backslash
    BOOL GetReadOnlyPref() const { return (m_ofn.Flags & OFN_READONLY) != 0; }

    OPENFILENAMEA m_ofn;
    BOOL m_bOpenFileDialog;
    CString m_strFilter;  // the filter with its '|' turned into NULs
    char m_szFileTitle[64];
    char m_szFileName[MAX_PATH];
};

namespace kiln {

// The all-files filter's name: string AFX_IDS_ALLFILTER of the resource chain, else the platform's.
const char* AllFilesFilterName();

}  // namespace kiln
