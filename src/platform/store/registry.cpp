#include <kiln/platform/store/registry.h>

#include <cstring>
#include <mutex>
#include <unordered_set>

#include <kiln/platform/text/mbcs.h>

#include "platform/text/name_fold.h"
#include "platform/store/registry_store.h"

using kiln::reg::HiveStore;
using kiln::reg::Statement;
using kiln::reg::Transaction;

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
        t.store =
            kiln::reg::StoreFor(h == HKEY_CURRENT_USER ? kiln::reg::Hive::User : kiln::reg::Hive::Machine);
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
            if (kiln::IsLeadByte((unsigned char)*p) && p[1] != '\0') name += *++p;
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

LONG CheckKey(Transaction& t, int64_t id) {
    Statement s = t.Prepare("SELECT 1 FROM keys WHERE id = ?");
    return s.Bind(1, id).Step() ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// The child of parent named name, or -1.
int64_t FindChild(Transaction& t, int64_t parent, const std::string& name) {
    Statement s = t.Prepare("SELECT id FROM keys WHERE parent = ? AND fold = ?");
    s.Bind(1, parent).Bind(2, kiln::FoldName(name));
    return s.Step() ? s.Int(0) : -1;
}

void Touch(Transaction& t, int64_t id) {
    Statement s = t.Prepare("UPDATE keys SET written = ? WHERE id = ?");
    s.Bind(1, kiln::reg::FileTimeNow()).Bind(2, id).Step();
}

// Follows parts from the key `from`; the key reached, or -1. With create, missing keys are made.
int64_t Walk(Transaction& t, int64_t from, const std::vector<std::string>& parts, bool create,
             bool* created) {
    int64_t id = from;
    for (const std::string& part : parts) {
        int64_t child = FindChild(t, id, part);
        if (child < 0) {
            if (!create) return -1;
            Statement s = t.Prepare("INSERT INTO keys(parent, name, fold, written) VALUES(?, ?, ?, ?)");
            s.Bind(1, id)
                .Bind(2, part)
                .Bind(3, kiln::FoldName(part))
                .Bind(4, kiln::reg::FileTimeNow())
                .Step();
            child = t.LastInsertId();
            Touch(t, id);
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
        Statement s = tx.Prepare("SELECT type, data FROM vals WHERE key = ? AND fold = ?");
        if (!s.Bind(1, t.id).Bind(2, kiln::FoldName(NameOf(lpValueName))).Step()) return ERROR_FILE_NOT_FOUND;
        if (lpType != nullptr) *lpType = (DWORD)s.Int(0);
        if (lpcbData != nullptr) *lpcbData = capacity;
        return CopyData(s.Blob(1), lpData, lpcbData);
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
        // An existing value keeps its name as first written and its place in the enumeration.
        Statement s = tx.Prepare(
            "INSERT INTO vals(key, name, fold, type, data) VALUES(?, ?, ?, ?, ?)"
            " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
        s.Bind(1, t.id)
            .Bind(2, name)
            .Bind(3, kiln::FoldName(name))
            .Bind(4, (int64_t)dwType)
            .Bind(5, data)
            .Step();
        Touch(tx, t.id);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    Target t;
    LONG rc = Resolve(hKey, t);
    if (rc != ERROR_SUCCESS) return rc;
    if ((t.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    std::string fold = kiln::FoldName(NameOf(lpValueName));
    // Looked up first, so that a missing value needs no write transaction.
    bool found = false;
    rc = t.store->Run(false, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r != ERROR_SUCCESS) return r;
        Statement s = tx.Prepare("SELECT 1 FROM vals WHERE key = ? AND fold = ?");
        found = s.Bind(1, t.id).Bind(2, fold).Step();
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    if (!found) return ERROR_FILE_NOT_FOUND;
    return t.store->Run(true, [&](Transaction& tx) -> LONG {
        LONG r = CheckKey(tx, t.id);
        if (r != ERROR_SUCCESS) return r;
        Statement s = tx.Prepare("DELETE FROM vals WHERE key = ? AND fold = ? RETURNING 1");
        if (!s.Bind(1, t.id).Bind(2, fold).Step()) return ERROR_FILE_NOT_FOUND;
        while (s.Step()) {
        }
        Touch(tx, t.id);
        return ERROR_SUCCESS;
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
        {
            Statement s = tx.Prepare("SELECT 1 FROM keys WHERE parent = ? LIMIT 1");
            if (s.Bind(1, id).Step()) return ERROR_ACCESS_DENIED;
        }
        int64_t parent;
        {
            Statement s = tx.Prepare("SELECT parent FROM keys WHERE id = ?");
            s.Bind(1, id).Step();
            parent = s.Int(0);
        }
        tx.Prepare("DELETE FROM vals WHERE key = ?").Bind(1, id).Step();
        tx.Prepare("DELETE FROM keys WHERE id = ?").Bind(1, id).Step();
        Touch(tx, parent);
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
        Statement s =
            tx.Prepare("SELECT name, written FROM keys WHERE parent = ? ORDER BY fold LIMIT 1 OFFSET ?");
        if (!s.Bind(1, t.id).Bind(2, (int64_t)dwIndex).Step()) return ERROR_NO_MORE_ITEMS;
        r = CopyName(s.Blob(0), lpName, lpcchName);
        if (r != ERROR_SUCCESS) return r;
        if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) lpClass[0] = '\0';
        if (lpcchClass != nullptr) *lpcchClass = 0;
        if (lpftLastWriteTime != nullptr) {
            uint64_t ft = (uint64_t)s.Int(1);
            lpftLastWriteTime->dwLowDateTime = (DWORD)ft;
            lpftLastWriteTime->dwHighDateTime = (DWORD)(ft >> 32);
        }
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
        Statement s =
            tx.Prepare("SELECT name, type, data FROM vals WHERE key = ? ORDER BY rowid LIMIT 1 OFFSET ?");
        if (!s.Bind(1, t.id).Bind(2, (int64_t)dwIndex).Step()) return ERROR_NO_MORE_ITEMS;
        *lpcchValueName = nameCapacity;
        r = CopyName(s.Blob(0), lpValueName, lpcchValueName);
        if (r != ERROR_SUCCESS) return r;
        if (lpType != nullptr) *lpType = (DWORD)s.Int(1);
        if (lpcbData != nullptr) *lpcbData = dataCapacity;
        return CopyData(s.Blob(2), lpData, lpcbData);
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
        Statement key = tx.Prepare("SELECT written FROM keys WHERE id = ?");
        if (!key.Bind(1, t.id).Step()) return ERROR_KEY_DELETED;
        Statement subkeys =
            tx.Prepare("SELECT count(*), coalesce(max(length(name)), 0) FROM keys WHERE parent = ?");
        subkeys.Bind(1, t.id).Step();
        Statement values = tx.Prepare(
            "SELECT count(*), coalesce(max(length(name)), 0), coalesce(max(length(data)), 0) FROM vals WHERE "
            "key = ?");
        values.Bind(1, t.id).Step();
        if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) lpClass[0] = '\0';
        put(lpcchClass, 0);
        put(lpcSubKeys, subkeys.Int(0));
        put(lpcbMaxSubKeyLen, subkeys.Int(1));
        put(lpcbMaxClassLen, 0);
        put(lpcValues, values.Int(0));
        put(lpcbMaxValueNameLen, values.Int(1));
        put(lpcbMaxValueLen, values.Int(2));
        put(lpcbSecurityDescriptor, 0);
        if (lpftLastWriteTime != nullptr) {
            uint64_t ft = (uint64_t)key.Int(0);
            lpftLastWriteTime->dwLowDateTime = (DWORD)ft;
            lpftLastWriteTime->dwHighDateTime = (DWORD)(ft >> 32);
        }
        return ERROR_SUCCESS;
    });
}

namespace kiln {

std::string RegistryHivePath(HKEY hive) {
    if (hive == HKEY_CURRENT_USER) return reg::HivePath(reg::Hive::User);
    if (hive == HKEY_LOCAL_MACHINE) return reg::HivePath(reg::Hive::Machine);
    return std::string();
}

}  // namespace kiln
