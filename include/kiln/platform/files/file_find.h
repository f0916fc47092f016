// CFileFind: the files of a folder that match a Windows wildcard pattern.
//
//   CFileFind finder;
//   BOOL more = finder.FindFile("Z:\\work\\*.*");
//   while (more) {
//       more = finder.FindNextFile();  // FALSE when this is the last one
//       ... finder.GetFilePath() ...
//   }
//
// '*' matches any run of characters and '?' one character (a double-byte character counts as one);
// letters match in either case; a pattern that ends in ".*" also matches names without a period, so
// "*.*" matches every name. As in a Windows folder that is not a drive's root, "." and ".." are found
// too. Names come in a fixed order: "." and "..", then the others by their upper-case form. The state
// of each file is taken when FindFile runs. Paths in and out are Windows paths.
#pragma once

#include <vector>

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/object.h>
#include <kiln/platform/time/time.h>

class CFileFind : public CObject {
    DECLARE_DYNAMIC(CFileFind)
public:
    CFileFind() = default;
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;
    ~CFileFind() override = default;

    // Starts a search (null means "*.*" in the working directory); TRUE when something matches. The
    // first file is reached with FindNextFile. FALSE with GetLastError ERROR_FILE_NOT_FOUND when the
    // folder exists but nothing matches, ERROR_PATH_NOT_FOUND when the folder does not.
    virtual BOOL FindFile(LPCTSTR pstrName = nullptr, DWORD dwUnused = 0);
    // Moves to the next file; FALSE when that file is the last one (or there is none).
    virtual BOOL FindNextFile();
    void Close();

    // The current file: name, folder + name, name without extension, and the folder searched
    // (its full Windows path without a trailing backslash).
    virtual CString GetFileName() const;
    virtual CString GetFilePath() const;
    virtual CString GetFileTitle() const;
    virtual CString GetRoot() const;
    ULONGLONG GetLength() const;
    BOOL GetLastWriteTime(CTime& refTime) const;

    // Attribute tests (FILE_ATTRIBUTE_ bits, see CFile::GetStatus).
    virtual BOOL MatchesMask(DWORD dwMask) const;
    BOOL IsDots() const;
    BOOL IsReadOnly() const { return MatchesMask(FILE_ATTRIBUTE_READONLY); }
    BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    BOOL IsHidden() const { return MatchesMask(FILE_ATTRIBUTE_HIDDEN); }
    BOOL IsSystem() const { return MatchesMask(FILE_ATTRIBUTE_SYSTEM); }
    BOOL IsArchive() const { return MatchesMask(FILE_ATTRIBUTE_ARCHIVE); }

private:
    struct Entry {
        CString name;
        DWORD attributes;
        ULONGLONG size;
        time_t lastWrite;
    };
    const Entry* Current() const;

    CString m_strRoot;
    std::vector<Entry> m_entries;
    size_t m_next = 0;  // the entry FindNextFile reaches next; the current one is m_next - 1
};
