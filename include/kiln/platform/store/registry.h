// The Win32 registry API over durable, shared stores.
//
// Two hives exist: HKEY_CURRENT_USER, kept in $XDG_CONFIG_HOME/kiln/user.db (~/.config/kiln/user.db
// when XDG_CONFIG_HOME is not set), and HKEY_LOCAL_MACHINE, kept in /etc/kiln/machine.db. When
// KILN_REGISTRY_DIR is set, both files live directly in that folder. Each hive is an SQLite
// database; every call is one transaction, committed to disk before it returns, and several
// processes may use a hive at the same time.
//
// The calls behave as their Windows counterparts: they return a Win32 error code (ERROR_SUCCESS,
// ERROR_FILE_NOT_FOUND, ERROR_MORE_DATA, ERROR_NO_MORE_ITEMS, ERROR_ACCESS_DENIED, ...) and never
// throw. Key and value names are byte strings (code page 932), compared without regard to the case
// of ASCII letters (and of the double-byte Latin, Greek and Cyrillic letters), and kept as written.
// Subkeys enumerate in the order of their case-folded names, values in the order they were created.
// A handle enforces the access it was opened with; writing to a hive whose file or folder the user
// may not write gives ERROR_ACCESS_DENIED, a damaged hive file ERROR_BADDB (the file is left as it
// is). Every hive holds the key "Software", as on Windows. A hive that does not exist yet reads as
// holding only that key and is created by the first write.
#pragma once

#include <string>

#include <kiln/platform/runtime/types.h>

#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))

typedef HKEY* PHKEY;
typedef DWORD REGSAM;

// Value types. The data of every type is kept as the bytes given.
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_DWORD_LITTLE_ENDIAN 4u
#define REG_DWORD_BIG_ENDIAN 5u
#define REG_LINK 6u
#define REG_MULTI_SZ 7u
#define REG_QWORD 11u

// Access rights.
#define DELETE 0x00010000u
#define READ_CONTROL 0x00020000u
#define WRITE_DAC 0x00040000u
#define WRITE_OWNER 0x00080000u
#define SYNCHRONIZE 0x00100000u
#define STANDARD_RIGHTS_READ READ_CONTROL
#define STANDARD_RIGHTS_WRITE READ_CONTROL
#define STANDARD_RIGHTS_ALL 0x001F0000u
#define MAXIMUM_ALLOWED 0x02000000u
#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_CREATE_LINK 0x0020u
#define KEY_WOW64_64KEY 0x0100u
#define KEY_WOW64_32KEY 0x0200u
#define KEY_READ \
    ((STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY) & ~SYNCHRONIZE)
#define KEY_WRITE ((STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) & ~SYNCHRONIZE)
#define KEY_EXECUTE (KEY_READ & ~SYNCHRONIZE)
#define KEY_ALL_ACCESS                                                                                      \
    ((STANDARD_RIGHTS_ALL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | \
      KEY_NOTIFY | KEY_CREATE_LINK) &                                                                       \
     ~SYNCHRONIZE)

// RegCreateKeyEx options and dispositions. Volatile keys are not supported (ERROR_NOT_SUPPORTED).
#define REG_OPTION_RESERVED 0x00000000u
#define REG_OPTION_NON_VOLATILE 0x00000000u
#define REG_OPTION_VOLATILE 0x00000001u
#define REG_CREATED_NEW_KEY 0x00000001u
#define REG_OPENED_EXISTING_KEY 0x00000002u

// Opens an existing key below hKey (a null or empty lpSubKey opens hKey's own key again). samDesired
// with any right that writes fails with ERROR_ACCESS_DENIED on a hive the user may not write.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
// RegOpenKeyExA with the most access the hive allows; a null or empty lpSubKey returns hKey itself.
LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
// Opens the key, creating it and every missing key on its path in one transaction. The class and
// security attributes are ignored. lpdwDisposition (optional) receives REG_CREATED_NEW_KEY or
// REG_OPENED_EXISTING_KEY.
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition);
LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
// Closes an opened key; closing HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE does nothing.
LONG RegCloseKey(HKEY hKey);

// lpData null with lpcbData set: the size only. A buffer too small: ERROR_MORE_DATA, with the size
// in *lpcbData. lpType (optional) receives the type in both cases. A null or empty lpValueName names
// the key's default value.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData);
// Stores cbData bytes of lpData, replacing any value of that name (which keeps its place in the
// enumeration). Strings are stored as given: count their terminating zero in cbData.
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);
LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
// Deletes a key and its values; a key that has subkeys is refused with ERROR_ACCESS_DENIED. An empty
// lpSubKey deletes hKey's own key. Handles still open on a deleted key give ERROR_KEY_DELETED.
LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);

// The name of the subkey at dwIndex; ERROR_NO_MORE_ITEMS past the last. cchName counts the
// terminating zero; a name that does not fit gives ERROR_MORE_DATA.
LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName);
// The same with the name's length (without the zero) returned in *lpcchName. Keys have no class
// (an empty one is returned); lpftLastWriteTime receives the key's last write time.
LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                   LPSTR lpClass, LPDWORD lpcchClass, FILETIME* lpftLastWriteTime);
// The value at dwIndex: name (length without the zero in *lpcchValueName; a name that does not fit
// gives ERROR_MORE_DATA and nothing else), type, and data as RegQueryValueExA gives it.
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
// Counts and longest lengths (names in characters without the zero, data in bytes) of the key's
// subkeys and values, and its last write time. Every output is optional.
LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      FILETIME* lpftLastWriteTime);

namespace kiln {

// The host path of the database file that holds a hive (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE),
// as the environment gives it now; empty for any other handle.
std::string RegistryHivePath(HKEY hive);

}  // namespace kiln

#define RegOpenKeyEx RegOpenKeyExA
#define RegOpenKey RegOpenKeyA
#define RegCreateKeyEx RegCreateKeyExA
#define RegCreateKey RegCreateKeyA
#define RegQueryValueEx RegQueryValueExA
#define RegSetValueEx RegSetValueExA
#define RegDeleteValue RegDeleteValueA
#define RegDeleteKey RegDeleteKeyA
#define RegEnumKey RegEnumKeyA
#define RegEnumKeyEx RegEnumKeyExA
#define RegEnumValue RegEnumValueA
#define RegQueryInfoKey RegQueryInfoKeyA
