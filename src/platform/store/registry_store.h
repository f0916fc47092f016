// The database behind one registry hive.
//
// A HiveStore owns one SQLite connection to the hive's file (opened on first use, again in a forked
// child) and runs each registry call as one transaction on it. The registry API sees keys and values
// only through Transaction's typed operations; every SQL statement lives in registry_store.cpp.
// SQLite itself is loaded when a hive is first used, so a program that never touches the registry
// does not load it; when it cannot be loaded every call fails with ERROR_MOD_NOT_FOUND.
//
// Keys are numbered, 0 being the hive's root. Names are byte strings (code page 932) kept as written
// and compared folded (kiln::detail::FoldName).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include <kiln/platform/runtime/types.h>

#include "platform/store/hive_path.h"

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln::detail {

struct KeyEntry {
    std::string name;
    uint64_t written;  // FILETIME of the last write to the key
};

struct ValueEntry {
    std::string name;
    DWORD type;
    std::string data;
};

struct KeySummary {
    uint64_t written;
    DWORD subkeys, longestSubkeyName;
    DWORD values, longestValueName, longestData;
};

// The operations of one running call. A failure of the database throws; HiveStore::Run turns it
// into a Win32 code and rolls the transaction back.
class Transaction {
public:
    struct Connection;
    explicit Transaction(Connection& c) : m_c(c) {}

    bool KeyExists(int64_t id);
    // The child of parent called name, or -1.
    int64_t FindChild(int64_t parent, std::string_view name);
    // Adds the child name to parent (marking parent written) and returns its id.
    int64_t AddChild(int64_t parent, std::string_view name);
    bool HasChildren(int64_t id);
    // Deletes a key that has no children, with its values, and marks its parent written.
    void DeleteKey(int64_t id);
    // The index-th child of parent in the order of folded names.
    std::optional<KeyEntry> ChildAt(int64_t parent, int64_t index);
    std::optional<KeySummary> Summary(int64_t id);

    std::optional<ValueEntry> FindValue(int64_t key, std::string_view name);
    // Sets a value; one that exists keeps the name it was first written with and its place in the
    // enumeration. Marks the key written.
    void SetValue(int64_t key, std::string_view name, DWORD type, std::string_view data);
    // False when there is no such value.
    bool DeleteValue(int64_t key, std::string_view name);
    // The index-th value of key in the order values were created.
    std::optional<ValueEntry> ValueAt(int64_t key, int64_t index);

private:
    void Touch(int64_t id);
    Connection& m_c;
};

class HiveStore {
public:
    HiveStore(std::string path, Hive hive);
    ~HiveStore();
    HiveStore(const HiveStore&) = delete;
    HiveStore& operator=(const HiveStore&) = delete;

    const std::string& Path() const { return m_path; }
    // Whether this process may write the hive (its file, or the folder that will hold it).
    bool MayWrite() const;
    // Runs body as one transaction (a write transaction when write is set) and returns its result.
    // The transaction commits only when body returns ERROR_SUCCESS. Waits for other writers, gives
    // up with ERROR_BUSY after a while; database failures become Win32 codes.
    LONG Run(bool write, const std::function<LONG(Transaction&)>& body);

private:
    using Connection = Transaction::Connection;
    static int WaitForLock(void* connection, int count);
    LONG Connect(bool write);
    LONG OpenFile(bool write);
    LONG InitSchema(Connection& c);
    LONG UseEmpty();
    void Drop();
    void LeaveToParent();  // in a forked child: puts the parent's connections aside, unclosed

    std::string m_path;
    Hive m_hive;
    std::mutex m_mutex;
    std::unique_ptr<Connection> m_file;   // the hive's database
    std::unique_ptr<Connection> m_empty;  // an empty hive in memory, read while the file is missing
    Connection* m_current = nullptr;
    pid_t m_pid;
};

// The store of a hive as the environment names it now (shared by every caller).
std::shared_ptr<HiveStore> StoreFor(Hive hive);

}  // namespace kiln::detail

#pragma GCC visibility pop
