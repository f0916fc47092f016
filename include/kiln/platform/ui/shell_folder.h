// The shell's folder browser and special folders: SHBrowseForFolderA, SHGetSpecialFolderLocation,
// SHGetPathFromIDListA and the shell allocator that frees their item lists.
//
// An item list (LPITEMIDLIST) is an opaque allocated record naming one folder; release it with the
// shell allocator's Free (SHGetMalloc) or CoTaskMemFree.
//
// The browser is an ordinary dialog of the window system: a title, a status line (shown with
// BIF_STATUSTEXT), a list of the selected folder's subfolders as "name\" with "..\" above them
// (never above the root), an edit for a typed folder, OK and Cancel. Choosing an entry of the list
// selects that folder. The callback gets BFFM_INITIALIZED once the dialog is made, then
// BFFM_SELCHANGED (lParam the item list) for the first selection and for every change; it may send
// the dialog BFFM_SETSELECTIONA (wParam TRUE: lParam a path, FALSE: an item list; folders outside
// the root are refused), BFFM_SETSTATUSTEXTA and BFFM_ENABLEOK. OK returns the folder typed into the
// edit when it exists (relative names from the selection), else the selection. A typed folder
// that does not exist is, with BIF_VALIDATE, given to the callback as BFFM_VALIDATEFAILEDA (lParam
// the typed text): a zero answer ends the dialog with no result, another keeps it open. Without
// BIF_VALIDATE the selection is returned. The edit is there whatever BIF_EDITBOX says: on a
// terminal typing is the natural way to name a folder.
//
// Special folders are where Linux keeps them; the user folders are read from the xdg-user-dirs file
// $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config/user-dirs.dirs), and a folder the file does not
// name is the home folder, except the desktop, which is ~/Desktop:
//   CSIDL_DESKTOP, CSIDL_DRIVES     the root of the file system (Z:\)
//   CSIDL_DESKTOPDIRECTORY          XDG_DESKTOP_DIR
//   CSIDL_PERSONAL, CSIDL_MYDOCUMENTS  XDG_DOCUMENTS_DIR
//   CSIDL_MYMUSIC / CSIDL_MYPICTURES / CSIDL_MYVIDEO  XDG_MUSIC_DIR / XDG_PICTURES_DIR / XDG_VIDEOS_DIR
//   CSIDL_TEMPLATES                 XDG_TEMPLATES_DIR
//   CSIDL_COMMON_DOCUMENTS          XDG_PUBLICSHARE_DIR
//   CSIDL_PROFILE                   $HOME
//   CSIDL_APPDATA                   $XDG_CONFIG_HOME (default ~/.config)
//   CSIDL_LOCAL_APPDATA             $XDG_DATA_HOME (default ~/.local/share)
//   CSIDL_INTERNET_CACHE            $XDG_CACHE_HOME (default ~/.cache)
//   CSIDL_COMMON_APPDATA            /usr/share
//   CSIDL_COMMON_TEMPLATES          /usr/share/templates
//   CSIDL_FONTS                     /usr/share/fonts
//   CSIDL_WINDOWS, CSIDL_SYSTEM     the root of the file system, as GetWindowsDirectoryA
// (XDG_DOWNLOAD_DIR has no CSIDL.) A folder that does not exist is created with CSIDL_FLAG_CREATE;
// without it, or for another CSIDL, SHGetSpecialFolderLocation fails with E_FAIL.
#pragma once

#include <kiln/platform/ui/window.h>

typedef LONG HRESULT;
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

struct ITEMIDLIST;  // opaque
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;

typedef int(CALLBACK* BFFCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

struct BROWSEINFOA {
    HWND hwndOwner;
    LPCITEMIDLIST pidlRoot;  // null: the file system's root
    LPSTR pszDisplayName;    // MAX_PATH bytes; receives the chosen folder's name
    LPCSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;  // given to lpfn
    int iImage;
};
typedef BROWSEINFOA* LPBROWSEINFOA;
typedef BROWSEINFOA BROWSEINFO;
typedef LPBROWSEINFOA LPBROWSEINFO;

#define BIF_RETURNONLYFSDIRS 0x0001
#define BIF_DONTGOBELOWDOMAIN 0x0002
#define BIF_STATUSTEXT 0x0004
#define BIF_RETURNFSANCESTORS 0x0008
#define BIF_EDITBOX 0x0010
#define BIF_VALIDATE 0x0020
#define BIF_NEWDIALOGSTYLE 0x0040
#define BIF_USENEWUI (BIF_NEWDIALOGSTYLE | BIF_EDITBOX)
#define BIF_BROWSEINCLUDEURLS 0x0080
#define BIF_NONEWFOLDERBUTTON 0x0200
#define BIF_BROWSEFORCOMPUTER 0x1000
#define BIF_BROWSEFORPRINTER 0x2000
#define BIF_BROWSEINCLUDEFILES 0x4000

// Messages to the callback.
#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2
#define BFFM_VALIDATEFAILEDA 3
#define BFFM_VALIDATEFAILEDW 4
#define BFFM_IUNKNOWN 5
#define BFFM_VALIDATEFAILED BFFM_VALIDATEFAILEDA
// Messages the callback sends the dialog.
#define BFFM_SETSTATUSTEXTA (WM_USER + 100)
#define BFFM_ENABLEOK (WM_USER + 101)
#define BFFM_SETSELECTIONA (WM_USER + 102)
#define BFFM_SETSELECTIONW (WM_USER + 103)
#define BFFM_SETSTATUSTEXTW (WM_USER + 104)
#define BFFM_SETOKTEXT (WM_USER + 105)
#define BFFM_SETEXPANDED (WM_USER + 106)
#define BFFM_SETSTATUSTEXT BFFM_SETSTATUSTEXTA
#define BFFM_SETSELECTION BFFM_SETSELECTIONA

#define CSIDL_DESKTOP 0x0000
#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYDOCUMENTS 0x000c
#define CSIDL_MYMUSIC 0x000d
#define CSIDL_MYVIDEO 0x000e
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_DRIVES 0x0011
#define CSIDL_FONTS 0x0014
#define CSIDL_TEMPLATES 0x0015
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_INTERNET_CACHE 0x0020
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_MYPICTURES 0x0027
#define CSIDL_PROFILE 0x0028
#define CSIDL_COMMON_TEMPLATES 0x002d
#define CSIDL_COMMON_DOCUMENTS 0x002e
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_MASK 0xFF00

// The shell's allocator (one for the process; AddRef and Release count nothing).
struct IMalloc {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual void* Alloc(SIZE_T cb) = 0;
    virtual void* Realloc(void* pv, SIZE_T cb) = 0;
    virtual void Free(void* pv) = 0;
    virtual SIZE_T GetSize(void* pv) = 0;
    virtual int DidAlloc(void* pv) = 0;
    virtual void HeapMinimize() = 0;

protected:
    ~IMalloc() = default;
};
typedef IMalloc* LPMALLOC;

HRESULT SHGetMalloc(IMalloc** ppMalloc);
void CoTaskMemFree(void* pv);
void ILFree(LPITEMIDLIST pidl);

// The item of a special folder in *ppidl (null on failure).
HRESULT SHGetSpecialFolderLocation(HWND hwndOwner, int nFolder, LPITEMIDLIST* ppidl);
// The item's path (Z:\...) in pszPath (MAX_PATH bytes); FALSE and an empty path when it has none.
BOOL SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath);
// Runs the browser modally; the chosen folder's item, or null when cancelled.
LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA lpbi);
#define SHGetPathFromIDList SHGetPathFromIDListA
#define SHBrowseForFolder SHBrowseForFolderA
