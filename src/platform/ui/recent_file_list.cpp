#include <kiln/platform/ui/recent_file_list.h>

#include <kiln/platform/files/path_map.h>
#include <kiln/platform/ui/win_app.h>

CRecentFileList::CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize,
                                 int nMaxDispLen)
    : m_nStart(nStart),
      m_nMaxDisplayLength(nMaxDispLen),
      m_strSectionName(lpszSection),
      m_strEntryFormat(lpszEntryFormat),
      m_arrNames(nSize > 0 ? (size_t)nSize : 0) {}

CRecentFileList::~CRecentFileList() = default;

void CRecentFileList::Add(LPCTSTR lpszPathName) {
    if (m_arrNames.empty() || lpszPathName == nullptr || *lpszPathName == '\0') return;
    CString path(kiln::FullWindowsPath(lpszPathName).c_str());
    size_t found = m_arrNames.size() - 1;
    for (size_t i = 0; i < m_arrNames.size(); ++i)
        if (m_arrNames[i].CompareNoCase(path) == 0) {
            found = i;
            break;
        }
    for (size_t i = found; i > 0; --i) m_arrNames[i] = m_arrNames[i - 1];
    m_arrNames[0] = path;
}

void CRecentFileList::Remove(int nIndex) {
    if (nIndex < 0 || (size_t)nIndex >= m_arrNames.size()) return;
    m_arrNames.erase(m_arrNames.begin() + nIndex);
    m_arrNames.emplace_back();
}

void CRecentFileList::ReadList() {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return;
    for (size_t i = 0; i < m_arrNames.size(); ++i) {
        CString entry;
        entry.Format(m_strEntryFormat, (int)i + 1);
        m_arrNames[i] = app->GetProfileString(m_strSectionName, entry, "");
    }
}

void CRecentFileList::WriteList() {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return;
    app->WriteProfileString(m_strSectionName, nullptr, nullptr);
    for (size_t i = 0; i < m_arrNames.size() && !m_arrNames[i].IsEmpty(); ++i) {
        CString entry;
        entry.Format(m_strEntryFormat, (int)i + 1);
        app->WriteProfileString(m_strSectionName, entry, m_arrNames[i]);
    }
}
