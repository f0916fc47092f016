// Private profile (INI) files: [section] groups of key=value lines.
//
// Section and key names are compared without regard to case (ASCII and the double-byte letters, as
// registry names are); text is code page 932 bytes. Values lose the blanks around them and one pair
// of matching quotes ('...' or "..."). Lines starting with ";" are comments; comments and lines that
// are neither sections nor entries are kept as they are. Lines may end in CR LF or LF; new lines take
// the ending of the file's first line (CR LF for a new file). When a section or key appears twice,
// the first one counts.
//
// File names are Windows paths (see kiln/platform/files/path_map.h). A name without any folder ("app.ini"),
// which Windows keeps in the Windows directory, is kept in the user's Kiln settings folder, beside
// the per-user registry hive (see kiln/platform/store/registry.h): a stable place the user may write,
// whatever the working directory. Every write replaces the whole file through a temporary file in the
// same folder that is synced and renamed over it, so the file is never seen half written; writers in
// several processes are serialised on the folder.
#pragma once

#include <kiln/platform/runtime/types.h>

// The value of section/key, else lpDefault (null counts as "", trailing blanks are dropped), copied
// with a terminating zero into nSize bytes. With a null lpKeyName, the section's key names instead;
// with a null lpAppName, the section names: each name zero-terminated, one more zero after the last.
// Returns the bytes copied without the final zero; a value that does not fit is cut to nSize - 1
// bytes (result nSize - 1), a list to nSize - 2 (result nSize - 2, two zeros at the end). A missing
// file reads as empty (last error ERROR_FILE_NOT_FOUND).
DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName);
// The value as an integer: nDefault when missing or empty; otherwise the number at the start of the
// value (decimal, or 0x hexadecimal, with an optional sign; a negative number comes back as its
// two's complement), 0 when there is none.
UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);
// The section names, as GetPrivateProfileStringA(nullptr, ...) gives them.
DWORD GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName);
// Sets key=lpString in the section, making the section and the file when needed. A null lpString
// deletes the entry, a null lpKeyName the whole section with its lines. FALSE with the last error set
// when the file cannot be written; the file is then unchanged.
BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName);

#define GetPrivateProfileString GetPrivateProfileStringA
#define GetPrivateProfileInt GetPrivateProfileIntA
#define GetPrivateProfileSectionNames GetPrivateProfileSectionNamesA
#define WritePrivateProfileString WritePrivateProfileStringA
