// CWinApp's settings: the registry store under the registry key, or the private profile file.
#include <kiln/platform/ui/win_app.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/store/private_profile.h>
#include <kiln/platform/store/registry.h>
#include <kiln/platform/ui/recent_file_list.h>

namespace {

const char kRecentFileSection[] = "Recent File List";
const char kRecentFileEntry[] = "File%d";
const char kPreviewSection[] = "Settings";
const char kPreviewEntry[] = "PreviewPages";

void ReplaceText(LPCTSTR& field, const char* text) {
    std::free(const_cast<char*>(field));
    field = text != nullptr ? strdup(text) : nullptr;
}

// Opens the section key for reading only: reading a setting never makes keys in the store.
HKEY OpenSectionForRead(const CWinApp& app, LPCTSTR section) {
    std::string path =
        std::string("Software\\") + app.m_pszRegistryKey + "\\" + app.m_pszProfileName + "\\" + section;
    HKEY key = nullptr;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr;
}

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using OpenKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

bool UsesRegistry(const CWinApp& app) {
    return app.m_pszRegistryKey != nullptr && *app.m_pszRegistryKey != '\0';
}

}  // namespace

void CWinApp::SetRegistryKey(LPCTSTR lpszRegistryKey) {
    ReplaceText(m_pszRegistryKey, lpszRegistryKey);
    ReplaceText(m_pszProfileName, m_pszAppName);
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey) {
    char key[256];
    if (LoadStringA(nullptr, nIDRegistryKey, key, sizeof key) > 0) SetRegistryKey(key);
}

HKEY CWinApp::GetAppRegistryKey() {
    if (!UsesRegistry(*this) || m_pszProfileName == nullptr) return nullptr;
    std::string path = std::string("Software\\") + m_pszRegistryKey + "\\" + m_pszProfileName;
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    return result == ERROR_SUCCESS ? key : nullptr;
}

HKEY CWinApp::GetSectionKey(LPCTSTR lpszSection) {
    OpenKey app(GetAppRegistryKey());
    if (!app || lpszSection == nullptr) return nullptr;
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(app.get(), lpszSection, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    return result == ERROR_SUCCESS ? key : nullptr;
}

UINT CWinApp::GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault) {
    if (!UsesRegistry(*this))
        return GetPrivateProfileIntA(lpszSection, lpszEntry, nDefault, m_pszProfileName);
    OpenKey key(OpenSectionForRead(*this, lpszSection));
    DWORD value = 0, type = 0, size = sizeof value;
    if (!key ||
        RegQueryValueExA(key.get(), lpszEntry, nullptr, &type, (LPBYTE)&value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return (UINT)nDefault;
    return value;
}

BOOL CWinApp::WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue) {
    if (!UsesRegistry(*this)) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", nValue);
        return WritePrivateProfileStringA(lpszSection, lpszEntry, text, m_pszProfileName);
    }
    OpenKey key(GetSectionKey(lpszSection));
    DWORD value = (DWORD)nValue;
    return key && RegSetValueExA(key.get(), lpszEntry, 0, REG_DWORD, (const BYTE*)&value, sizeof value) ==
                      ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault) {
    if (!UsesRegistry(*this)) {
        // Private profile values are at most a line; 4096 bytes hold any a program writes here.
        char text[4096];
        GetPrivateProfileStringA(lpszSection, lpszEntry, lpszDefault != nullptr ? lpszDefault : "", text,
                                 sizeof text, m_pszProfileName);
        return CString(text);
    }
    CString fallback(lpszDefault != nullptr ? lpszDefault : "");
    OpenKey key(OpenSectionForRead(*this, lpszSection));
    DWORD type = 0, size = 0;
    if (!key || RegQueryValueExA(key.get(), lpszEntry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return fallback;
    std::string data(size + 1, '\0');
    if (RegQueryValueExA(key.get(), lpszEntry, nullptr, &type, (LPBYTE)data.data(), &size) != ERROR_SUCCESS)
        return fallback;
    return CString(data.c_str());
}

BOOL CWinApp::WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue) {
    if (!UsesRegistry(*this))
        return WritePrivateProfileStringA(lpszSection, lpszEntry, lpszValue, m_pszProfileName);
    if (lpszEntry == nullptr) {
        OpenKey app(GetAppRegistryKey());
        return app && RegDeleteKeyA(app.get(), lpszSection) == ERROR_SUCCESS;
    }
    OpenKey key(GetSectionKey(lpszSection));
    if (!key) return FALSE;
    if (lpszValue == nullptr) return RegDeleteValueA(key.get(), lpszEntry) == ERROR_SUCCESS;
    return RegSetValueExA(key.get(), lpszEntry, 0, REG_SZ, (const BYTE*)lpszValue,
                          (DWORD)std::strlen(lpszValue) + 1) == ERROR_SUCCESS;
}

BOOL CWinApp::GetProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE* ppData, UINT* pBytes) {
    *ppData = nullptr;
    *pBytes = 0;
    if (!UsesRegistry(*this)) {
        CString text = GetProfileString(lpszSection, lpszEntry, nullptr);
        // An odd last letter has no partner and is left out.
        const UINT bytes = (UINT)text.GetLength() / 2;
        if (bytes == 0) return FALSE;
        *ppData = new BYTE[bytes];
        for (UINT i = 0; i < bytes; ++i)
            (*ppData)[i] = (BYTE)(((text[(int)(2 * i + 1)] - 'A') << 4) + (text[(int)(2 * i)] - 'A'));
        *pBytes = bytes;
        return TRUE;
    }
    OpenKey key(OpenSectionForRead(*this, lpszSection));
    DWORD type = 0, size = 0;
    if (!key || RegQueryValueExA(key.get(), lpszEntry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return FALSE;
    auto data = std::make_unique<BYTE[]>(size > 0 ? size : 1);
    if (RegQueryValueExA(key.get(), lpszEntry, nullptr, &type, data.get(), &size) != ERROR_SUCCESS)
        return FALSE;
    *ppData = data.release();
    *pBytes = size;
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE pData, UINT nBytes) {
    if (!UsesRegistry(*this)) {
        std::string text;
        for (UINT i = 0; i < nBytes; ++i) {
            text.push_back((char)('A' + (pData[i] & 0x0F)));
            text.push_back((char)('A' + (pData[i] >> 4)));
        }
        return WriteProfileString(lpszSection, lpszEntry, text.c_str());
    }
    OpenKey key(GetSectionKey(lpszSection));
    return key && RegSetValueExA(key.get(), lpszEntry, 0, REG_BINARY, pData, nBytes) == ERROR_SUCCESS;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
    if (nMaxMRU != 0) {
        delete m_pRecentFileList;
        m_pRecentFileList = new CRecentFileList(0, kRecentFileSection, kRecentFileEntry, (int)nMaxMRU);
        m_pRecentFileList->ReadList();
    }
    m_nNumPreviewPages = (int)GetProfileInt(kPreviewSection, kPreviewEntry, 0);
}

void CWinApp::SaveStdProfileSettings() {
    if (m_pRecentFileList != nullptr) m_pRecentFileList->WriteList();
    if (m_nNumPreviewPages != 0) WriteProfileInt(kPreviewSection, kPreviewEntry, m_nNumPreviewPages);
}

void CWinApp::AddToRecentFileList(LPCTSTR lpszPathName) {
    if (m_pRecentFileList != nullptr) m_pRecentFileList->Add(lpszPathName);
}
