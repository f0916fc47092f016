// CRecentFileList: the most recently used files of an application, newest first, kept in its
// profile (CWinApp::GetProfileString/WriteProfileString) under a section with one entry per file,
// named by a format with the 1-based position ("File%d" gives File1, File2, ...).
//
//   CRecentFileList list(0, "Recent File List", "File%d", 4);
//   list.Add("Z:\\data\\a.txt");   // list[0] is now that path; a path already listed moves up
#pragma once

#include <vector>

#include <kiln/platform/text/cstring.h>

class CRecentFileList {
public:
    // nSize entries at most; nStart is the command offset of the first entry's menu item.
    CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize,
                    int nMaxDispLen = 30);
    virtual ~CRecentFileList();

    int GetSize() const { return (int)m_arrNames.size(); }
    // Empty texts stand for unused places.
    CString& operator[](int nIndex) { return m_arrNames[(size_t)nIndex]; }
    // Puts the full path of lpszPathName first; an equal path (ASCII case not counted) moves there
    // instead of being listed twice, and the oldest entry drops out of a full list.
    virtual void Add(LPCTSTR lpszPathName);
    virtual void Remove(int nIndex);
    // Reads every entry from the profile; the section is rewritten whole by WriteList, so an entry
    // removed here is removed there too.
    virtual void ReadList();
    virtual void WriteList();

    UINT m_nStart;
    int m_nMaxDisplayLength;
    CString m_strSectionName;
    CString m_strEntryFormat;

protected:
    std::vector<CString> m_arrNames;
};
