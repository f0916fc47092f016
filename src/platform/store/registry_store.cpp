#include "platform/store/registry_store.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <kiln/platform/runtime/last_error.h>

#include "platform/files/replace_file.h"
#include "platform/runtime/host_folder.h"
#include "platform/text/name_fold.h"
#include "platform/time/file_time.h"

namespace kiln::detail {
namespace {

// The SQLite functions the store uses, loaded from libsqlite3 when a hive is first used.
struct Sqlite {
// clang-format off
#define KILN_SQLITE_FUNCTIONS(X)                                                                         \
    X(bind_blob) X(bind_int64) X(busy_handler) X(clear_bindings) X(close) X(column_blob) X(column_bytes) \
    X(column_int64) X(column_text) X(db_readonly) X(exec) X(finalize) X(get_autocommit)                 \
    X(last_insert_rowid) X(open_v2) X(prepare_v2) X(prepare_v3) X(reset) X(step)
// clang-format on
#define KILN_SQLITE_MEMBER(name) decltype(&sqlite3_##name) name = nullptr;
    KILN_SQLITE_FUNCTIONS(KILN_SQLITE_MEMBER)
#undef KILN_SQLITE_MEMBER
};

// Set once SQLite is loaded; HiveStore::Run loads it before it makes a connection.
const Sqlite* g_sql = nullptr;

// The loaded library, or null when it or one of its functions is missing. Loaded once; kept for the
// life of the process.
const Sqlite* LoadSqlite() {
    static const Sqlite* const loaded = []() -> const Sqlite* {
        void* lib = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_LOCAL);
        if (lib == nullptr) return nullptr;
        static Sqlite api;
        bool complete = true;
#define KILN_SQLITE_LOAD(name)                                                     \
    api.name = reinterpret_cast<decltype(api.name)>(dlsym(lib, "sqlite3_" #name)); \
    complete = complete && api.name != nullptr;
        KILN_SQLITE_FUNCTIONS(KILN_SQLITE_LOAD)
#undef KILN_SQLITE_LOAD
        if (!complete) return nullptr;
        g_sql = &api;
        return g_sql;
    }();
    return loaded;
}
#undef KILN_SQLITE_FUNCTIONS

constexpr int64_t kApplicationId = 0x4B494C4E;  // "KILN" in the database header
constexpr int64_t kSchemaVersion = 1;
// How long a call waits for other processes' write transactions before it gives up.
constexpr int64_t kBusyDeadlineMs = 10000;
constexpr int kBusyTimeoutMs = 1000;

// Layout:
//   keys(id, parent, name, fold, written)  one row per key; id 0 is the hive's root, fold the
//                                           case-folded name, written the last write as a FILETIME
//   vals(key, name, fold, type, data)       one row per value; rowid gives the enumeration order
// Names are stored as blobs, so code page 932 bytes come back exactly as written.
const char* const kSchema =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
    " name BLOB NOT NULL, fold BLOB NOT NULL, written INTEGER NOT NULL);"
    "CREATE UNIQUE INDEX keys_by_name ON keys(parent, fold);"
    "CREATE TABLE vals(key INTEGER NOT NULL, name BLOB NOT NULL, fold BLOB NOT NULL,"
    " type INTEGER NOT NULL, data BLOB NOT NULL);"
    "CREATE UNIQUE INDEX vals_by_name ON vals(key, fold);"
    "PRAGMA application_id = 1263094862;"
    "PRAGMA user_version = 1;";
static_assert(kApplicationId == 1263094862);

// The root, and "Software", which every Windows hive has and programs open without creating it.
std::string SeedSql(int64_t now) {
    std::string t = std::to_string(now);
    std::string root =
        "INSERT INTO keys(id, parent, name, fold, written) VALUES(0, -1, x'', x'', " + t + ");";
    std::string software =
        "INSERT INTO keys(parent, name, fold, written) VALUES(0, CAST('Software' AS BLOB), "
        "CAST('SOFTWARE' AS BLOB), " +
        t + ");";
    return root + software;
}

int64_t MonotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

// An SQLite failure inside a transaction; HiveStore::Run turns it into a Win32 code.
struct SqlFailure {
    int rc;
};

// A failure of the hive's file or folder in the registry API's terms: a hive the user may not
// change, a read-only file system included, is ERROR_ACCESS_DENIED (the registry never answers
// ERROR_WRITE_PROTECT), and a file that cannot be opened for any other reason ERROR_CANTOPEN.
LONG ErrorFromErrno(int e) {
    DWORD code = Win32ErrorFromErrno(e, nullptr);
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return ERROR_ACCESS_DENIED;
    case ERROR_DISK_FULL:
    case ERROR_NOT_ENOUGH_MEMORY: return (LONG)code;
    default: return ERROR_CANTOPEN;
    }
}

LONG ErrorFromSqlite(int rc, bool write) {
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT: return ERROR_BADDB;
    case SQLITE_CANTOPEN: return ERROR_CANTOPEN;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_NOMEM: return ERROR_OUTOFMEMORY;
    case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
    default: return write ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
}

bool CanWrite(const std::string& path) { return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

void Exec(sqlite3* db, const char* sql) {
    int rc = g_sql->exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw SqlFailure{rc};
}

int64_t QueryInt(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    int rc = g_sql->prepare_v2(db, sql, -1, &s, nullptr);
    if (rc != SQLITE_OK) throw SqlFailure{rc};
    rc = g_sql->step(s);
    int64_t v = rc == SQLITE_ROW ? g_sql->column_int64(s, 0) : 0;
    g_sql->finalize(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) throw SqlFailure{rc};
    return v;
}

std::string QueryText(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    int rc = g_sql->prepare_v2(db, sql, -1, &s, nullptr);
    if (rc != SQLITE_OK) throw SqlFailure{rc};
    rc = g_sql->step(s);
    std::string v;
    if (rc == SQLITE_ROW && g_sql->column_text(s, 0) != nullptr) v = (const char*)g_sql->column_text(s, 0);
    g_sql->finalize(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) throw SqlFailure{rc};
    return v;
}

// file: URI of a host path, for opening a database that nobody may change while it is read.
std::string ImmutableUri(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (c == '%' || c == '?' || c == '#' || c < 0x21 || c >= 0x7F) {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        } else {
            uri += (char)c;
        }
    }
    return uri + "?immutable=1";
}

// A cached statement in use; reset when it goes out of scope.
class Statement {
public:
    explicit Statement(sqlite3_stmt* s) : m_s(s) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() {
        g_sql->reset(m_s);
        g_sql->clear_bindings(m_s);
    }

    Statement& Bind(int i, int64_t v) {
        int rc = g_sql->bind_int64(m_s, i, v);
        if (rc != SQLITE_OK) throw SqlFailure{rc};
        return *this;
    }
    Statement& Bind(int i, std::string_view bytes) {
        // A blob bound from a null pointer would be SQL NULL; an empty blob needs a real pointer. The
        // bytes are copied, so callers may bind temporaries.
        int rc =
            g_sql->bind_blob(m_s, i, bytes.empty() ? "" : bytes.data(), (int)bytes.size(), SQLITE_TRANSIENT);
        if (rc != SQLITE_OK) throw SqlFailure{rc};
        return *this;
    }
    // True while a row is available.
    bool Step() {
        int rc = g_sql->step(m_s);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throw SqlFailure{rc};
    }
    int64_t Int(int col) const { return g_sql->column_int64(m_s, col); }
    std::string Blob(int col) const {
        const void* p = g_sql->column_blob(m_s, col);
        int n = g_sql->column_bytes(m_s, col);
        return p == nullptr ? std::string() : std::string((const char*)p, (size_t)n);
    }

private:
    sqlite3_stmt* m_s;
};

}  // namespace

struct Transaction::Connection {
    sqlite3* db = nullptr;
    std::vector<std::pair<const char*, sqlite3_stmt*>> cache;  // by the address of the SQL literal
    bool readOnly = false;
    bool snapshot = false;  // the file as it stood when opened, for one call
    int64_t waitStartMs = 0;

    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() {
        for (auto& entry : cache) g_sql->finalize(entry.second);
        g_sql->close(db);
    }

    // A prepared statement for sql (a string literal).
    Statement Prepare(const char* sql) {
        for (auto& [text, stmt] : cache)
            if (text == sql) return Statement(stmt);
        sqlite3_stmt* s = nullptr;
        int rc = g_sql->prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
        if (rc != SQLITE_OK) throw SqlFailure{rc};
        cache.emplace_back(sql, s);
        return Statement(s);
    }
};

// ---- the typed operations ----

bool Transaction::KeyExists(int64_t id) {
    return m_c.Prepare("SELECT 1 FROM keys WHERE id = ?").Bind(1, id).Step();
}

int64_t Transaction::FindChild(int64_t parent, std::string_view name) {
    Statement s = m_c.Prepare("SELECT id FROM keys WHERE parent = ? AND fold = ?");
    s.Bind(1, parent).Bind(2, FoldName(name));
    return s.Step() ? s.Int(0) : -1;
}

void Transaction::Touch(int64_t id) {
    m_c.Prepare("UPDATE keys SET written = ? WHERE id = ?").Bind(1, FileTimeNow()).Bind(2, id).Step();
}

int64_t Transaction::AddChild(int64_t parent, std::string_view name) {
    m_c.Prepare("INSERT INTO keys(parent, name, fold, written) VALUES(?, ?, ?, ?)")
        .Bind(1, parent)
        .Bind(2, name)
        .Bind(3, FoldName(name))
        .Bind(4, FileTimeNow())
        .Step();
    int64_t id = g_sql->last_insert_rowid(m_c.db);
    Touch(parent);
    return id;
}

bool Transaction::HasChildren(int64_t id) {
    return m_c.Prepare("SELECT 1 FROM keys WHERE parent = ? LIMIT 1").Bind(1, id).Step();
}

void Transaction::DeleteKey(int64_t id) {
    int64_t parent;
    {
        Statement s = m_c.Prepare("SELECT parent FROM keys WHERE id = ?");
        s.Bind(1, id).Step();
        parent = s.Int(0);
    }
    m_c.Prepare("DELETE FROM vals WHERE key = ?").Bind(1, id).Step();
    m_c.Prepare("DELETE FROM keys WHERE id = ?").Bind(1, id).Step();
    Touch(parent);
}

std::optional<KeyEntry> Transaction::ChildAt(int64_t parent, int64_t index) {
    Statement s =
        m_c.Prepare("SELECT name, written FROM keys WHERE parent = ? ORDER BY fold LIMIT 1 OFFSET ?");
    if (!s.Bind(1, parent).Bind(2, index).Step()) return std::nullopt;
    return KeyEntry{s.Blob(0), (uint64_t)s.Int(1)};
}

std::optional<KeySummary> Transaction::Summary(int64_t id) {
    Statement key = m_c.Prepare("SELECT written FROM keys WHERE id = ?");
    if (!key.Bind(1, id).Step()) return std::nullopt;
    Statement subkeys =
        m_c.Prepare("SELECT count(*), coalesce(max(length(name)), 0) FROM keys WHERE parent = ?");
    subkeys.Bind(1, id).Step();
    Statement values = m_c.Prepare(
        "SELECT count(*), coalesce(max(length(name)), 0), coalesce(max(length(data)), 0) FROM vals WHERE "
        "key = ?");
    values.Bind(1, id).Step();
    return KeySummary{(uint64_t)key.Int(0), (DWORD)subkeys.Int(0), (DWORD)subkeys.Int(1),
                      (DWORD)values.Int(0), (DWORD)values.Int(1),  (DWORD)values.Int(2)};
}

std::optional<ValueEntry> Transaction::FindValue(int64_t key, std::string_view name) {
    Statement s = m_c.Prepare("SELECT name, type, data FROM vals WHERE key = ? AND fold = ?");
    if (!s.Bind(1, key).Bind(2, FoldName(name)).Step()) return std::nullopt;
    return ValueEntry{s.Blob(0), (DWORD)s.Int(1), s.Blob(2)};
}

void Transaction::SetValue(int64_t key, std::string_view name, DWORD type, std::string_view data) {
    m_c.Prepare(
           "INSERT INTO vals(key, name, fold, type, data) VALUES(?, ?, ?, ?, ?)"
           " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data")
        .Bind(1, key)
        .Bind(2, name)
        .Bind(3, FoldName(name))
        .Bind(4, (int64_t)type)
        .Bind(5, data)
        .Step();
    Touch(key);
}

bool Transaction::DeleteValue(int64_t key, std::string_view name) {
    {
        Statement s = m_c.Prepare("DELETE FROM vals WHERE key = ? AND fold = ? RETURNING 1");
        if (!s.Bind(1, key).Bind(2, FoldName(name)).Step()) return false;
        while (s.Step()) {}
    }
    Touch(key);
    return true;
}

std::optional<ValueEntry> Transaction::ValueAt(int64_t key, int64_t index) {
    Statement s =
        m_c.Prepare("SELECT name, type, data FROM vals WHERE key = ? ORDER BY rowid LIMIT 1 OFFSET ?");
    if (!s.Bind(1, key).Bind(2, index).Step()) return std::nullopt;
    return ValueEntry{s.Blob(0), (DWORD)s.Int(1), s.Blob(2)};
}

// ---- the hive store ----

// Called while another connection holds a lock this one needs. Writes are short, so the waiter looks
// again after a fraction of a millisecond (jittered, so that waiters do not move in step) rather
// than after SQLite's own growing pauses of up to 100 ms, which leave the hive idle under contention.
int HiveStore::WaitForLock(void* connection, int count) {
    auto* c = static_cast<Connection*>(connection);
    int64_t now = MonotonicMs();
    if (count == 0) c->waitStartMs = now;
    if (now - c->waitStartMs >= kBusyTimeoutMs) return 0;
    usleep(200 + (useconds_t)(random() % 600));
    return 1;
}

HiveStore::HiveStore(std::string path, Hive hive) : m_path(std::move(path)), m_hive(hive), m_pid(getpid()) {}

// A forked child must not close what belongs to its parent: closing may checkpoint or remove the
// parent's write-ahead log. The child keeps those connections as they are, open and out of use, for
// the rest of its life (in a list that is never destroyed, so leak checkers see them held).
void HiveStore::LeaveToParent() {
    static std::mutex mutex;
    static auto* kept = new std::vector<std::unique_ptr<Connection>>;
    std::lock_guard<std::mutex> lock(mutex);
    for (auto* c : {&m_file, &m_empty})
        if (*c) kept->push_back(std::move(*c));
    m_current = nullptr;
    m_pid = getpid();
}

HiveStore::~HiveStore() {
    if (m_pid != getpid()) LeaveToParent();
}

bool HiveStore::MayWrite() const {
    std::string dir = HostFolderOf(m_path);
    if (access(m_path.c_str(), F_OK) == 0) return CanWrite(m_path) && CanWrite(dir);
    // Not made yet: the nearest existing folder on the way must take the new folders and file.
    while (access(dir.c_str(), F_OK) != 0) {
        if (errno != ENOENT || dir == "/" || dir == ".") return false;
        dir = HostFolderOf(dir);
    }
    return CanWrite(dir);
}

void HiveStore::Drop() {
    m_file.reset();
    m_current = nullptr;
}

// A hive file that does not exist reads as a new one. Its keys get the ids the same seed gives a new
// file, so a handle opened on "Software" here names "Software" in the file the first write makes.
LONG HiveStore::UseEmpty() {
    if (!m_empty) {
        auto c = std::make_unique<Connection>();
        int rc = g_sql->open_v2(":memory:", &c->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) return ErrorFromSqlite(rc, false);
        Exec(c->db, kSchema);
        Exec(c->db, SeedSql(0).c_str());
        m_empty = std::move(c);
    }
    m_current = m_empty.get();
    return ERROR_SUCCESS;
}

LONG HiveStore::Connect(bool write) {
    if (m_pid != getpid()) LeaveToParent();
    if (m_file && (m_file->snapshot || (m_file->readOnly && write && MayWrite()))) Drop();
    if (m_file) {
        m_current = m_file.get();
        return ERROR_SUCCESS;
    }
    struct stat st;
    if (stat(m_path.c_str(), &st) != 0) {
        int e = errno;
        if (!write) return e == ENOENT || e == ENOTDIR ? UseEmpty() : ErrorFromErrno(e);
        if (!MayWrite()) return ERROR_ACCESS_DENIED;
        e = MakeFolders(HostFolderOf(m_path), m_hive == Hive::User ? 0700 : 0755);
        if (e != 0) return ErrorFromErrno(e);
    }
    return OpenFile(write);
}

LONG HiveStore::OpenFile(bool write) {
    auto c = std::make_unique<Connection>();
    int rc = g_sql->open_v2(m_path.c_str(), &c->db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        int e = errno;
        g_sql->close(c->db);
        c->db = nullptr;
        if (write) return (rc & 0xFF) == SQLITE_CANTOPEN ? ErrorFromErrno(e) : ErrorFromSqlite(rc, true);
        rc = g_sql->open_v2(m_path.c_str(), &c->db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) return ErrorFromErrno(errno);
    }
    c->readOnly = g_sql->db_readonly(c->db, "main") == 1;
    if (write && c->readOnly) return ERROR_ACCESS_DENIED;
    g_sql->busy_handler(c->db, WaitForLock, c.get());
    LONG result = InitSchema(*c);
    if ((result == ERROR_CANTOPEN || result == ERROR_ACCESS_DENIED) && c->readOnly) {
        // A read-only reader of a hive in write-ahead-log mode cannot make the log's index files in a
        // folder it may not write. It reads the database file as it stands instead, which holds
        // every change: writers fold the log back into it when they close. Such a connection never
        // sees later changes, so it serves one call only.
        c = std::make_unique<Connection>();
        rc = g_sql->open_v2(ImmutableUri(m_path).c_str(), &c->db,
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) return ERROR_CANTOPEN;
        c->readOnly = true;
        c->snapshot = true;
        result = InitSchema(*c);
    }
    if (result == ERROR_FILE_NOT_FOUND) return UseEmpty();  // an empty file that this user cannot set up
    if (result != ERROR_SUCCESS) return result;
    m_file = std::move(c);
    m_current = m_file.get();
    return ERROR_SUCCESS;
}

// Checks that the file is a sound hive, making the tables in a new, empty file. ERROR_FILE_NOT_FOUND
// for an empty file that this connection may not write.
LONG HiveStore::InitSchema(Connection& c) {
    try {
        if (!c.readOnly) {
            // Write-ahead logging lets readers and one writer work at the same time, and with
            // synchronous=FULL every commit is on disk (the log synced) before the call returns, so a
            // returned write survives a crash of the process or of the machine.
            std::string mode = QueryText(c.db, "PRAGMA journal_mode=WAL");
            if (mode != "wal") return ERROR_CANTOPEN;
            Exec(c.db, "PRAGMA synchronous=FULL");
        }
        for (;;) {
            // One read transaction: a hive that another process is setting up is seen before or after
            // that, never halfway (the id already there but not the version).
            Exec(c.db, "BEGIN");
            int64_t app = QueryInt(c.db, "PRAGMA application_id");
            int64_t version = QueryInt(c.db, "PRAGMA user_version");
            int64_t tables = QueryInt(c.db, "SELECT count(*) FROM sqlite_master");
            Exec(c.db, "COMMIT");
            if (app == kApplicationId && version == kSchemaVersion) break;
            if (app != 0 || version != 0 || tables != 0) return ERROR_BADDB;
            if (c.readOnly) return ERROR_FILE_NOT_FOUND;
            Exec(c.db, "BEGIN IMMEDIATE");
            if (QueryInt(c.db, "SELECT count(*) FROM sqlite_master") == 0) {
                Exec(c.db, kSchema);
                Exec(c.db, SeedSql(FileTimeNow()).c_str());
            }
            Exec(c.db, "COMMIT");
        }
        // A damaged file is refused as a whole rather than read or written in part.
        if (QueryText(c.db, "PRAGMA quick_check") != "ok") return ERROR_BADDB;
    } catch (SqlFailure f) {
        if (!g_sql->get_autocommit(c.db)) g_sql->exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
        if ((f.rc & 0xFF) == SQLITE_BUSY || (f.rc & 0xFF) == SQLITE_LOCKED) throw;
        return ErrorFromSqlite(f.rc, false);
    }
    return ERROR_SUCCESS;
}

LONG HiveStore::Run(bool write, const std::function<LONG(Transaction&)>& body) {
    if (LoadSqlite() == nullptr) return ERROR_MOD_NOT_FOUND;
    if (write && !MayWrite()) return ERROR_ACCESS_DENIED;
    std::lock_guard<std::mutex> lock(m_mutex);
    int64_t deadline = MonotonicMs() + kBusyDeadlineMs;
    useconds_t pause = 1000;
    for (;;) {
        int failure;
        try {
            LONG rc = Connect(write);
            if (rc != ERROR_SUCCESS) return rc;
            if (write && m_current->readOnly) return ERROR_ACCESS_DENIED;
            sqlite3* db = m_current->db;
            try {
                Exec(db, write ? "BEGIN IMMEDIATE" : "BEGIN");
                Transaction t(*m_current);
                rc = body(t);
                Exec(db, rc == ERROR_SUCCESS ? "COMMIT" : "ROLLBACK");
                return rc;
            } catch (...) {
                if (!g_sql->get_autocommit(db)) g_sql->exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
        } catch (SqlFailure f) {
            failure = f.rc;
        } catch (const std::bad_alloc&) {
            return ERROR_OUTOFMEMORY;
        }
        int primary = failure & 0xFF;
        if ((primary == SQLITE_BUSY || primary == SQLITE_LOCKED) && MonotonicMs() < deadline) {
            usleep(pause);
            pause = pause < 50000 ? pause * 2 : pause;
            continue;
        }
        // After a failure of the file itself the next call opens it afresh (it may have been mended).
        if (primary != SQLITE_BUSY && primary != SQLITE_LOCKED && m_current == m_file.get()) Drop();
        return ErrorFromSqlite(failure, write);
    }
}

std::shared_ptr<HiveStore> StoreFor(Hive hive) {
    static std::mutex mutex;
    static std::shared_ptr<HiveStore> stores[2];
    std::string path = HivePath(hive);
    std::lock_guard<std::mutex> lock(mutex);
    auto& slot = stores[hive == Hive::User ? 0 : 1];
    // Handles keep their own store alive; the shared one follows the environment.
    if (!slot || slot->Path() != path) slot = std::make_shared<HiveStore>(path, hive);
    return slot;
}

}  // namespace kiln::detail
