// Asking the user for a file or a folder, with the library's titles.
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/ui/window.h>

// GetFolderIndex shows the file dialog (open when open is non-zero, else save) with the overwrite
// prompt, no read-only box and the flags ofnFlags added. filters is a ';'-separated list of pairs,
// description then pattern ("Bitmap;*.bmp;Text;*.txt"); up to 16 pairs are offered, up to the first
// pair with an empty item, followed by the all-files filter. path is the initial name and receives
// the chosen full path (up to 259 bytes). The title is "ファイルロード" for an open dialog and
// "ファイルセーブ" for a save dialog, or title when given ("データファイルロード" for a null
// title). Returns 1 when the user chose a file, else 0.
int GetFolderIndex(CString& path, unsigned long ofnFlags, int open, const char* filters);
int GetFolderIndex(const char* title, CString& path, unsigned long ofnFlags, int open, const char* filters);

// BrowseFolderSpecialFolderBased shows the folder browser rooted at the special folder csidl, with
// folder selected first, title (or "フォルダの選択") and the BIF_ flags. The status line shows the
// selected folder; a selection without a file-system path shows "選択できません" and disables OK.
// A typed folder that does not exist (with BIF_VALIDATE) brings the question whether to create it;
// on Yes it is made with its parents and the dialog ends with it. Returns 1 with the folder in
// folder when one was chosen or created, else 0 (also when the special folder cannot be had). The
// owner is owner, else the main window of this thread's application.
int BrowseFolderSpecialFolderBased(CString& folder, HWND owner, const char* title, int csidl,
                                   unsigned int flags);
