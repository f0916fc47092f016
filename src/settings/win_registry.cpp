#include <kiln/settings/win_registry.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <kiln/platform/store/private_profile.h>

namespace {

// A registry is never deeper than this many levels; a deeper tree (a damaged store whose keys form a
// loop) is reported as a damaged database instead of being followed down forever.
constexpr unsigned kMaxKeyDepth = 512;

LONG DeleteTree(HKEY parent, const char* name, unsigned depth) {
    if (depth == kMaxKeyDepth) return ERROR_BADDB;
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE, &key);
    if (rc != ERROR_SUCCESS) return rc;
    char sub[256];
    while ((rc = RegEnumKeyA(key, 0, sub, sizeof sub)) == ERROR_SUCCESS &&
           (rc = DeleteTree(key, sub, depth + 1)) == ERROR_SUCCESS) {}
    if (rc == ERROR_NO_MORE_ITEMS || rc == ERROR_BADKEY) rc = RegDeleteKeyA(parent, name);
    RegCloseKey(key);
    return rc;
}

HKEY HiveOf(int user) { return user != 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// Opens (create zero) or creates a key below parent; null when that fails.
HKEY OpenOrCreate(HKEY parent, const char* name, int create) {
    HKEY key = nullptr;
    LONG rc = create != 0 ? RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
                          : RegOpenKeyExA(parent, name, 0, KEY_READ, &key);
    return rc == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

CWinRegistry::CWinRegistry(int n, const char* profileName) : m_nParam(n) {
    if (profileName != nullptr) m_strProfileName = profileName;
}

CWinRegistry::CWinRegistry(const CWinRegistry& other) = default;
CWinRegistry& CWinRegistry::operator=(const CWinRegistry& other) = default;
CWinRegistry::~CWinRegistry() = default;

void CWinRegistry::OpenUnderSoftwere(const char* name) { m_strRegistryKey = name; }
void CWinRegistry::Construct(const char* profileName) { m_strProfileName = profileName; }
void CWinRegistry::Construct2(int n) { m_nParam = n; }

HKEY CWinRegistry::GetAppRegistryKey2(int user, int create) {
    HKEY software = nullptr;
    if (RegOpenKeyExA(HiveOf(user), "Software", 0, create != 0 ? KEY_READ | KEY_WRITE : KEY_READ,
                      &software) != ERROR_SUCCESS)
        return nullptr;
    HKEY app = nullptr;
    if (HKEY company = OpenOrCreate(software, m_strRegistryKey, create)) {
        app = OpenOrCreate(company, m_strProfileName, create);
        RegCloseKey(company);
    }
    RegCloseKey(software);
    return app;
}

HKEY CWinRegistry::GetSectionKey2(const char* section, int user, int create) {
    HKEY app = GetAppRegistryKey2(user, create);
    if (app == nullptr) return nullptr;
    HKEY key = OpenOrCreate(app, section, create);
    RegCloseKey(app);
    return key;
}

UINT CWinRegistry::GetProfileInt(const char* section, const char* entry, int def, int user) {
    if (m_strRegistryKey.IsEmpty()) return GetPrivateProfileIntA(section, entry, def, m_strProfileName);
    for (int u = user != 0 ? 1 : 0; u >= 0; --u) {
        HKEY key = GetSectionKey2(section, u, 0);
        if (key == nullptr) continue;
        DWORD value = 0, size = sizeof value;
        LONG rc = RegQueryValueExA(key, entry, nullptr, nullptr, (BYTE*)&value, &size);
        RegCloseKey(key);
        if (rc == ERROR_SUCCESS) return value;
    }
    return (UINT)def;
}

CString CWinRegistry::GetProfileString(const char* section, const char* entry, const char* def, int user) {
    if (m_strRegistryKey.IsEmpty()) {
        char buffer[4096];
        GetPrivateProfileStringA(section, entry, def != nullptr ? def : "", buffer, sizeof buffer,
                                 m_strProfileName);
        return CString(buffer);
    }
    for (int u = user != 0 ? 1 : 0; u >= 0; --u) {
        HKEY key = GetSectionKey2(section, u, 0);
        if (key == nullptr) continue;
        DWORD size = 0;
        LONG rc = RegQueryValueExA(key, entry, nullptr, nullptr, nullptr, &size);
        std::string data;
        if (rc == ERROR_SUCCESS) {
            data.assign(size, '\0');
            rc = RegQueryValueExA(key, entry, nullptr, nullptr, (BYTE*)data.data(), &size);
        }
        RegCloseKey(key);
        if (rc == ERROR_SUCCESS) return CString(data.c_str());
    }
    return CString(def);
}

BOOL CWinRegistry::GetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* bytes,
                                    int user) {
    if (data == nullptr || bytes == nullptr) return FALSE;
    *data = nullptr;
    *bytes = 0;
    if (m_strRegistryKey.IsEmpty()) {
        CString text = GetProfileString(section, entry, nullptr, user);
        if (text.IsEmpty()) return FALSE;
        // Two letters a byte; the last letter of an odd-length text has no partner and is ignored.
        UINT count = (UINT)text.GetLength() / 2;
        *data = new BYTE[count];
        for (UINT i = 0; i < count; ++i)
            (*data)[i] = (BYTE)(((BYTE)text[(int)(2 * i + 1)] - 'A') * 16 + ((BYTE)text[(int)(2 * i)] - 'A'));
        *bytes = count;
        return TRUE;
    }
    for (int u = user != 0 ? 1 : 0; u >= 0; --u) {
        HKEY key = GetSectionKey2(section, u, 0);
        if (key == nullptr) continue;
        DWORD size = 0;
        LONG rc = RegQueryValueExA(key, entry, nullptr, nullptr, nullptr, &size);
        if (rc == ERROR_SUCCESS) {
            *data = new BYTE[size];
            rc = RegQueryValueExA(key, entry, nullptr, nullptr, *data, &size);
            if (rc != ERROR_SUCCESS) {
                delete[] * data;
                *data = nullptr;
            }
        }
        RegCloseKey(key);
        if (rc == ERROR_SUCCESS) {
            *bytes = size;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CWinRegistry::WriteProfileInt(const char* section, const char* entry, int value, int user) {
    if (m_strRegistryKey.IsEmpty()) {
        char text[16];
        snprintf(text, sizeof text, "%d", value);
        return WritePrivateProfileStringA(section, entry, text, m_strProfileName);
    }
    HKEY key = GetSectionKey2(section, user, 1);
    if (key == nullptr) return FALSE;
    DWORD data = (DWORD)value;
    LONG rc = RegSetValueExA(key, entry, 0, REG_DWORD, (const BYTE*)&data, sizeof data);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

BOOL CWinRegistry::WriteProfileString(const char* section, const char* entry, const char* value, int user) {
    if (m_strRegistryKey.IsEmpty())
        return WritePrivateProfileStringA(section, entry, value, m_strProfileName);
    LONG rc;
    if (entry == nullptr) {
        // Deleting needs no keys made: without the application's key there is no section to delete.
        HKEY app = GetAppRegistryKey2(user, 0);
        if (app == nullptr) return FALSE;
        rc = RegDeleteKeyA(app, section);
        RegCloseKey(app);
        return rc == ERROR_SUCCESS;
    }
    HKEY key = GetSectionKey2(section, user, 1);
    if (key == nullptr) return FALSE;
    if (value == nullptr)
        rc = RegDeleteValueA(key, entry);
    else
        rc = RegSetValueExA(key, entry, 0, REG_SZ, (const BYTE*)value, (DWORD)strlen(value) + 1);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

BOOL CWinRegistry::WriteProfileBinary(const char* section, const char* entry, BYTE* data, UINT bytes,
                                      int user) {
    if (m_strRegistryKey.IsEmpty()) {
        if (data == nullptr && bytes != 0) return FALSE;
        std::string text(2 * (size_t)bytes, '\0');
        for (UINT i = 0; i < bytes; ++i) {
            text[2 * i] = (char)('A' + (data[i] & 0x0F));
            text[2 * i + 1] = (char)('A' + (data[i] >> 4));
        }
        return WriteProfileString(section, entry, text.c_str(), user);
    }
    HKEY key = GetSectionKey2(section, user, 1);
    if (key == nullptr) return FALSE;
    LONG rc = RegSetValueExA(key, entry, 0, REG_BINARY, data, bytes);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

BOOL CWinRegistry::Unregister() {
    if (m_strRegistryKey.IsEmpty()) return TRUE;
    CString company = "Software\\" + m_strRegistryKey;
    for (int user = 1; user >= 0; --user) {
        HKEY hive = HiveOf(user);
        DelRegTree(hive, company + "\\" + m_strProfileName);
        HKEY key = nullptr;
        if (RegOpenKeyExA(hive, company, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            char name[256];
            if (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_NO_MORE_ITEMS) RegDeleteKeyA(hive, company);
            RegCloseKey(key);
        }
    }
    return TRUE;
}

LONG CWinRegistry::DelRegTree(HKEY parent, const CString& name) { return DeleteTree(parent, name, 0); }

BOOL CWinRegistry::EnumValueStr(HKEY key, DWORD index, CString& name, CString& value) {
    const DWORD nameCapacity = 264;
    char nameBuffer[nameCapacity] = {};
    BYTE data[256];
    DWORD cch = nameCapacity, size = sizeof data;
    LONG rc = RegEnumValueA(key, index, nameBuffer, &cch, nullptr, nullptr, data, &size);
    if (rc == ERROR_SUCCESS && size < sizeof data) {
        name = nameBuffer;
        value = CString((const char*)data, (int)strnlen((const char*)data, size));
        return TRUE;
    }
    // The data filled the buffer or did not fit: read it again at its own size, if the name came.
    if ((rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) || cch >= nameCapacity) return FALSE;
    size = 0;
    if (RegQueryValueExA(key, nameBuffer, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return FALSE;
    std::string whole(size, '\0');
    if (RegQueryValueExA(key, nameBuffer, nullptr, nullptr, (BYTE*)whole.data(), &size) != ERROR_SUCCESS)
        return FALSE;
    name = nameBuffer;
    value = CString(whole.c_str());
    return TRUE;
}
