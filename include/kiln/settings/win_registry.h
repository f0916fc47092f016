// CWinRegistry: an application's settings by section and entry, in the registry or in an INI file.
//
// Registry mode (a registry key name is set with OpenUnderSoftwere): values live under
// hive\Software\<registry key name>\<profile name>\<section>, integers as REG_DWORD, strings as REG_SZ
// with their zero, binary data as REG_BINARY. The selector `user` chooses HKEY_CURRENT_USER (non-zero)
// or HKEY_LOCAL_MACHINE (zero); reads from the per-user hive fall back to the machine-wide one when
// the value is missing there, writes never do. INI-file mode (no registry key name): the profile name
// is the INI file's path, whatever the selector; integers are decimal text and binary data is two
// letters a byte, low four bits first, each as "A" plus its value (0x12 0xAF is "CBPK").
//
// Nothing is reported to the user: reads give their default, writes and deletions 0.
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/store/registry.h>
#include <kiln/platform/runtime/types.h>

class CWinRegistry {
public:
    // Profile name from profileName when it is not null; the integer is kept for the caller.
    CWinRegistry(int n = 0, const char* profileName = nullptr);
    CWinRegistry(const CWinRegistry& other);
    CWinRegistry& operator=(const CWinRegistry& other);
    virtual ~CWinRegistry();

    // Sets the key under "Software"; a non-empty name switches to registry mode.
    void OpenUnderSoftwere(const char* name);
    void Construct(const char* profileName);
    void Construct2(int n);

    UINT GetProfileInt(const char* section, const char* entry, int def, int user);
    // The value's data as text up to its first zero, whatever its registry type; def (null: "") when
    // there is none.
    CString GetProfileString(const char* section, const char* entry, const char* def, int user);
    // A new block (release it with delete[]) in *data and its size in *bytes; on failure *data is
    // null, *bytes 0 and the result 0. In INI-file mode a text of odd length loses its last letter.
    BOOL GetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* bytes, int user);
    BOOL WriteProfileInt(const char* section, const char* entry, int value, int user);
    // A null value deletes the entry, a null entry the whole section.
    BOOL WriteProfileString(const char* section, const char* entry, const char* value, int user);
    BOOL WriteProfileBinary(const char* section, const char* entry, BYTE* data, UINT bytes, int user);

    // Deletes the application's key from both hives, and the registry key name's key as well where
    // no other application's key is left below it. Always 1.
    BOOL Unregister();
    // Deletes the key `name` under parent with everything below it; 0 or the registry's error code.
    LONG DelRegTree(HKEY parent, const CString& name);
    // The name and data of the value at index of an open key, data as text up to its first zero.
    BOOL EnumValueStr(HKEY key, DWORD index, CString& name, CString& value);

protected:
    // The application's key (created with every key above it when create is non-zero), or null.
    HKEY GetAppRegistryKey2(int user, int create);
    // The section's key under the application's key, or null. The caller closes it.
    HKEY GetSectionKey2(const char* section, int user, int create);

    CString m_strRegistryKey;  // the key under "Software"; empty in INI-file mode
    CString m_strProfileName;  // the application's key, or the INI file's path
    int m_nParam;              // the caller's; not used here
};
