// The database behind one registry hive.
//
// A HiveStore owns one SQLite connection to the hive's file (opened on first use, again in a forked
// child) and runs each registry call as one transaction on it. Layout:
//
//   keys(id, parent, name, fold, written)  one row per key; id 0 is the hive's root, fold the
//                                           case-folded name, written the last write as a FILETIME
//   vals(key, name, fold, type, data)       one row per value; rowid gives the enumeration order
//
// Names are stored as blobs, so code page 932 bytes come back exactly as written.
#pragma once

#include <sqlite3.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <kiln/platform/runtime/types.h>

namespace kiln::reg {

enum class Hive { User, Machine };

// The host path of the hive's database, from the environment as it is now.
std::string HivePath(Hive hive);

// An SQLite failure inside a transaction; HiveStore::Run turns it into a Win32 code.
struct SqlFailure {
    int rc;
};

class Statement;

// The connection of one running call.
class Transaction {
public:
    explicit Transaction(sqlite3* db, std::vector<std::pair<const char*, sqlite3_stmt*>>& cache)
        : m_db(db), m_cache(cache) {}
    // A prepared statement for sql (a string literal: statements are cached by its address).
    Statement Prepare(const char* sql);
    int64_t LastInsertId() const { return sqlite3_last_insert_rowid(m_db); }

private:
    sqlite3* m_db;
    std::vector<std::pair<const char*, sqlite3_stmt*>>& m_cache;
};

// A cached statement in use; reset when it goes out of scope.
class Statement {
public:
    explicit Statement(sqlite3_stmt* s) : m_s(s) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    Statement& Bind(int i, int64_t v);
    Statement& Bind(int i, std::string_view bytes);
    // True while a row is available.
    bool Step();
    int64_t Int(int col) const { return sqlite3_column_int64(m_s, col); }
    std::string_view Blob(int col) const;

private:
    sqlite3_stmt* m_s;
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
    struct Connection;
    static int WaitForLock(void* connection, int count);
    LONG Connect(bool write);
    LONG OpenFile(bool write);
    LONG InitSchema(Connection& c);
    LONG UseEmpty();
    void Drop();

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

// The current time as a FILETIME count (100 ns since 1601).
int64_t FileTimeNow();

}  // namespace kiln::reg
