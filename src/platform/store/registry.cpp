#include <kiln/platform/store/registry.h>

#include <cstring>
#include <mutex>
#include <unordered_set>

#include <kiln/platform/text/mbcs.h>

#include "platform/store/registry_store.h"
#include "platform/time/file_time.h"

using kiln::detail::HiveStore;
using kiln::detail::Transaction;

namespace {

// Rights that change a hive: a handle asking for any of them needs a hive the user may write.
constexpr REGSAM kWriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;
constexpr size_t kMaxKeyNameChars = 255;

struct OpenKey {
    std::shared_ptr<HiveStore> store;
    int64_t id;
    REGSAM access;
};

std::mutex g_handleMutex;
std::unordered_set<OpenKey*>& Handles() {
    static auto* handles = new std::unordered_set<OpenKey*>;  // outlives every static destructor
    return *handles;
}

// What a handle stands for, copied out so the handle may be closed by another thread meanwhile.
struct Target {
    std::shared_ptr<HiveStore> store;
    int64_t id = 0;
    REGSAM access = 0;
};

LONG Resolve(HKEY h, Target& t) {
    if (h == HKEY_CURRENT_USER || h == HKEY_LOCAL_MACHINE) {
        t.store = kiln::detail::StoreFor(h == HKEY_CURRENT_USER ? kiln::detail::Hive::User
                                                                : kiln::detail::Hive::Machine);
        t.id = 0;
        t.access = KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto it = Handles().find(reinterpret_cast<OpenKey*>(h));
    if (h == nullptr || it == Handles().end()) return ERROR_INVALID_HANDLE;
    t.store = (*it)->store;
    t.id = (*it)->id;
    t.access = (*it)->access;
    return ERROR_SUCCESS;
}

HKEY NewHandle(const Target& parent, int64_t id, REGSAM access) {
    auto* key = new OpenKey{parent.store, id, access & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY)};
    std::lock_guard<std::mutex> lock(g_handleMutex);
    Handles().insert(key);
    return reinterpret_cast<HKEY>(key);
}

// The rights MAXIMUM_ALLOWED stands for on this hive.
REGSAM Grant(const Target& t, REGSAM sam) {
    if ((sam & MAXIMUM_ALLOWED) == 0) return sam;
    return (sam & ~MAXIMUM_ALLOWED) | (t.store->MayWrite() ? KEY_ALL_ACCESS : KEY_READ);
}

// Splits a key path at its backslashes (never at the second byte of a double-byte character). A
// single trailing backslash is allowed; an empty name anywhere else is not.
LONG SplitPath(LPCSTR path, std::vector<std::string>& parts) {
    parts.clear();
    if (path == nullptr || path[0] == '\0') return ERROR_SUCCESS;
    std::string name;
    size_t chars = 0;
    for (const char* p = path;; ++p) {
        if (*p != '\0' && *p != '\\') {
            ++chars;
            name += *p;
            if (kiln::CharLength(p) == 2) name += *++p;
            continue;
        }
        if (name.empty()) return *p == '\0' ? ERROR_SUCCESS : ERROR_BAD_PATHNAME;  // "a\" is "a"
        if (chars > kMaxKeyNameChars) return ERROR_INVALID_PARAMETER;
        parts.push_back(std::move(name));
        name.clear();
        chars = 0;
        if (*p == '\0') return ERROR_SUCCESS;
    }
}

std::string_view NameOf(LPCSTR name) { return name == nullptr ? std::string_view() : std::string_view(name); }

LONG CheckKey(Transaction& t, int64_t id) { return t.KeyExists(id) ? ERROR_SUCCESS : ERROR_KEY_DELETED; }

// Follows parts from the key `from`; the key reached, or -1. With create, missing keys are made.
int64_t Walk(Transaction& t, int64_t from, const std::vector<std::string>& parts, bool create,
             bool* created) {
    int64_t id = from;
    for (const std::string& part : parts) {
        int64_t child = t.FindChild(id, part);
        if (child < 0) {
            if (!create) return -1;
            child = t.AddChild(id, part);
            *created = true;
        }
        id = child;
    }
    return id;
}

// Copies a name with its terminating zero into a buffer of *cch characters; ERROR_MORE_DATA when it
// does not fit (and nothing is copied). *cch becomes the length without the zero.
LONG CopyName(std::string_view name, LPSTR buffer, LPDWORD cch) {
    if (buffer == nullptr || name.size() + 1 > *cch) return ERROR_MORE_DATA;
    if (!name.empty()) memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *cch = (DWORD)name.size();
    return ERROR_SUCCESS;
}

void PutFileTime(uint64_t ft, FILETIME* out) {
    if (out != nullptr) *out = kiln::detail::ToFileTime(ft);
}

// Hands value data out the way RegQueryValueEx does.
LONG CopyData(std::string_view data, LPBYTE buffer, LPDWORD cb) {
    if (cb == nullptr) return ERROR_SUCCESS;
    if (buffer != nullptr && *cb < data.size()) {
        *cb = (DWORD)data.size();
        return ERROR_MORE_DATA;
    }
    if (buffer != nullptr && !data.empty()) memcpy(buffer, data.data(), data.size());
    *cb = (DWORD)data.size();
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    Target t;
    std::vector<std::string> parts;
    LONG rc = Resolve(hKey, t);
    if (rc == ERROR_SUCCESS) rc = SplitPath(lpSubKey, parts);
    if (rc != ERROR_SUCCESS) return rc;
    int64_t id = -1;
    rc = t.store->Run(false, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r != ERROR_SUCCESS) return r;
        id = Walk(tx, t.id, parts, false, nullptr);
        return id < 0 ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    REGSAM sam = Grant(t, samDesired);
    if ((sam & kWriteRights) != 0 && !t.store->MayWrite()) return ERROR_ACCESS_DENIED;
    *phkResult = NewHandle(t, id, sam);
    return ERROR_SUCCESS;
}

LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    if (lpSubKey == nullptr || lpSubKey[0] == '\0') {
        if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
        Target t;
        LONG rc = Resolve(hKey, t);
        *phkResult = rc == ERROR_SUCCESS ? hKey : nullptr;
        return rc;
    }
    return RegOpenKeyExA(hKey, lpSubKey, 0, MAXIMUM_ALLOWED, phkResult);
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD dwOptions, REGSAM samDesired,
                     const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    // Volatile keys (gone at the next boot) and links have no counterpart here.
    if (dwOptions != REG_OPTION_NON_VOLATILE) return ERROR_NOT_SUPPORTED;
    Target t;
    std::vector<std::string> parts;
    LONG rc = Resolve(hKey, t);
    if (rc == ERROR_SUCCESS) rc = SplitPath(lpSubKey, parts);
    if (rc != ERROR_SUCCESS) return rc;
    int64_t id = -1;
    bool created = false;
    // Most calls find the key there already, which needs no write transaction.
    rc = t.store->Run(false, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r == ERROR_SUCCESS) id = Walk(tx, t.id, parts, false, nullptr);
        return r;
    });
    if (rc != ERROR_SUCCESS) return rc;
    if (id < 0) {
        if ((t.access & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
        rc = t.store->Run(true, [&](Transaction& tx) -> LONG {
            LONG r = CheckKey(tx, t.id);
            if (r != ERROR_SUCCESS) return r;
            created = false;
            id = Walk(tx, t.id, parts, true, &created);
            return ERROR_SUCCESS;
        });
        if (rc != ERROR_SUCCESS) return rc;
    }
    REGSAM sam = Grant(t, samDesired);
    if ((sam & kWriteRights) != 0 && !t.store->MayWrite()) return ERROR_ACCESS_DENIED;
    *phkResult = NewHandle(t, id, sam);
    if (lpdwDisposition != nullptr)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    if (lpSubKey == nullptr || lpSubKey[0] == '\0') return RegOpenKeyA(hKey, lpSubKey, phkResult);
    return RegCreateKeyExA(hKey, lpSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED, nullptr,
                           phkResult, nullptr);
}

LONG RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_CURRENT_USER || hKey == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
    OpenKey* key = reinterpret_cast<OpenKey*>(hKey);
    {
        std::lock_guard<std::mutex> lock(g_handleMutex);
        if (hKey == nullptr || Handles().erase(key) == 0) return ERROR_INVALID_HANDLE;
    }
    delete key;
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    if (lpData != nullptr && lpcbData == nullptr) return ERROR_INVALID_PARAMETER;
    Target t;
    LONG rc = Resolve(hKey, t);
    if (rc != ERROR_SUCCESS) return rc;
    if ((t.access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    DWORD capacity = lpcbData != nullptr ? *lpcbData : 0;
    return t.store->Run(false, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r != ERROR_SUCCESS) return r;
        std::optional<kiln::detail::ValueEntry> value = tx.FindValue(t.id, NameOf(lpValueName));
        if (!value) return ERROR_FILE_NOT_FOUND;
        if (lpType != nullptr) *lpType = value->type;
        if (lpcbData != nullptr) *lpcbData = capacity;
        return CopyData(value->data, lpData, lpcbData);
    });
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    if (lpData == nullptr && cbData != 0) return ERROR_INVALID_PARAMETER;
    Target t;
    LONG rc = Resolve(hKey, t);
    if (rc != ERROR_SUCCESS) return rc;
    if ((t.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    std::string_view name = NameOf(lpValueName);
    std::string_view data(lpData == nullptr ? "" : (const char*)lpData, cbData);
    return t.store->Run(true, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r != ERROR_SUCCESS) return r;
        tx.SetValue(t.id, name, dwType, data);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    Target t;
    LONG rc = Resolve(hKey, t);
    if (rc != ERROR_SUCCESS) return rc;
    if ((t.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    std::string_view name = NameOf(lpValueName);
    // Looked up first, so that a missing value needs no write transaction.
    bool found = false;
    rc = t.store->Run(false, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r != ERROR_SUCCESS) return r;
        found = tx.FindValue(t.id, name).has_value();
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    if (!found) return ERROR_FILE_NOT_FOUND;
    return t.store->Run(true, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r != ERROR_SUCCESS) return r;
        return tx.DeleteValue(t.id, name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
    Target t;
    std::vector<std::string> parts;
    LONG rc = Resolve(hKey, t);
    if (rc == ERROR_SUCCESS) rc = SplitPath(lpSubKey, parts);
    if (rc != ERROR_SUCCESS) return rc;
    return t.store->Run(true, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r != ERROR_SUCCESS) return r;
        int64_t id = Walk(tx, t.id, parts, false, nullptr);
        if (id < 0) return ERROR_FILE_NOT_FOUND;
        if (id == 0) return ERROR_ACCESS_DENIED;  // a hive's root stays
        if (tx.HasChildren(id)) return ERROR_ACCESS_DENIED;
        tx.DeleteKey(id);
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD, LPSTR lpClass,
                   LPDWORD lpcchClass, FILETIME* lpftLastWriteTime) {
    if (lpcchName == nullptr) return ERROR_INVALID_PARAMETER;
    Target t;
    LONG rc = Resolve(hKey, t);
    if (rc != ERROR_SUCCESS) return rc;
    if ((t.access & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
    return t.store->Run(false, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r != ERROR_SUCCESS) return r;
        std::optional<kiln::detail::KeyEntry> key = tx.ChildAt(t.id, dwIndex);
        if (!key) return ERROR_NO_MORE_ITEMS;
        r = CopyName(key->name, lpName, lpcchName);
        if (r != ERROR_SUCCESS) return r;
        if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) lpClass[0] = '\0';
        if (lpcchClass != nullptr) *lpcchClass = 0;
        PutFileTime(key->written, lpftLastWriteTime);
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    return RegEnumKeyExA(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpcchValueName == nullptr || (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    Target t;
    LONG rc = Resolve(hKey, t);
    if (rc != ERROR_SUCCESS) return rc;
    if ((t.access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    DWORD nameCapacity = *lpcchValueName;
    DWORD dataCapacity = lpcbData != nullptr ? *lpcbData : 0;
    return t.store->Run(false, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r != ERROR_SUCCESS) return r;
        std::optional<kiln::detail::ValueEntry> value = tx.ValueAt(t.id, dwIndex);
        if (!value) return ERROR_NO_MORE_ITEMS;
        *lpcchValueName = nameCapacity;
        r = CopyName(value->name, lpValueName, lpcchValueName);
        if (r != ERROR_SUCCESS) return r;
        if (lpType != nullptr) *lpType = value->type;
        if (lpcbData != nullptr) *lpcbData = dataCapacity;
        return CopyData(value->data, lpData, lpcbData);
    });
}

LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      FILETIME* lpftLastWriteTime) {
    Target t;
    LONG rc = Resolve(hKey, t);
    if (rc != ERROR_SUCCESS) return rc;
    if ((t.access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    auto put = [](LPDWORD out, int64_t v) {
        if (out != nullptr) *out = (DWORD)v;
    };
    return t.store->Run(false, [&](Transaction& tx) -> LONG {
        std::optional<kiln::detail::KeySummary> key = tx.Summary(t.id);
        if (!key) return ERROR_KEY_DELETED;
        if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) lpClass[0] = '\0';
        put(lpcchClass, 0);
        put(lpcSubKeys, key->subkeys);
        put(lpcbMaxSubKeyLen, key->longestSubkeyName);
        put(lpcbMaxClassLen, 0);
        put(lpcValues, key->values);
        put(lpcbMaxValueNameLen, key->longestValueName);
        put(lpcbMaxValueLen, key->longestData);
        put(lpcbSecurityDescriptor, 0);
        PutFileTime(key->written, lpftLastWriteTime);
        return ERROR_SUCCESS;
    });
}

namespace kiln {

std::string RegistryHivePath(HKEY hive) {
    if (hive == HKEY_CURRENT_USER) return detail::HivePath(detail::Hive::User);
    if (hive == HKEY_LOCAL_MACHINE) return detail::HivePath(detail::Hive::Machine);
    return std::string();
}

}  // namespace kiln
