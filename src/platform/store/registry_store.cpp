#include "platform/store/registry_store.h"

#include "platform/files/replace_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace kiln::reg {
namespace {

constexpr int64_t kApplicationId = 0x4B494C4E;  // "KILN" in the database header
constexpr int64_t kSchemaVersion = 1;
// How long a call waits for other processes' write transactions before it gives up.
constexpr int64_t kBusyDeadlineMs = 10000;
constexpr int kBusyTimeoutMs = 1000;

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

std::string EnvDir(const char* name) {
    const char* v = getenv(name);
    return v != nullptr && v[0] == '/' ? std::string(v) : std::string();
}

std::string HomeDir() {
    std::string home = EnvDir("HOME");
    if (!home.empty()) return home;
    const passwd* pw = getpwuid(getuid());
    return pw != nullptr && pw->pw_dir != nullptr ? std::string(pw->pw_dir) : std::string("/");
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

LONG ErrorFromErrno(int e) {
    switch (e) {
        case EACCES:
        case EPERM:
        case EROFS: return ERROR_ACCESS_DENIED;
        case ENOSPC:
        case EDQUOT: return ERROR_DISK_FULL;
        case ENOMEM: return ERROR_OUTOFMEMORY;
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
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw SqlFailure{rc};
}

int64_t QueryInt(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    if (rc != SQLITE_OK) throw SqlFailure{rc};
    rc = sqlite3_step(s);
    int64_t v = rc == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
    sqlite3_finalize(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) throw SqlFailure{rc};
    return v;
}

std::string QueryText(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    if (rc != SQLITE_OK) throw SqlFailure{rc};
    rc = sqlite3_step(s);
    std::string v;
    if (rc == SQLITE_ROW && sqlite3_column_text(s, 0) != nullptr) v = (const char*)sqlite3_column_text(s, 0);
    sqlite3_finalize(s);
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

}  // namespace

std::string HivePath(Hive hive) {
    const char* name = hive == Hive::User ? "user.db" : "machine.db";
    const char* dir = getenv("KILN_REGISTRY_DIR");
    if (dir != nullptr && dir[0] != '\0') return std::string(dir) + "/" + name;
    if (hive == Hive::Machine) return "/etc/kiln/machine.db";
    std::string config = EnvDir("XDG_CONFIG_HOME");
    if (config.empty()) config = HomeDir() + "/.config";
    return config + "/kiln/user.db";
}

int64_t FileTimeNow() {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return (int64_t)ts.tv_sec * 10000000 + ts.tv_nsec / 100 + 116444736000000000LL;
}

// ---- statements ----

Statement Transaction::Prepare(const char* sql) {
    for (auto& [text, stmt] : m_cache)
        if (text == sql) return Statement(stmt);
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    if (rc != SQLITE_OK) throw SqlFailure{rc};
    m_cache.emplace_back(sql, s);
    return Statement(s);
}

Statement::~Statement() {
    sqlite3_reset(m_s);
    sqlite3_clear_bindings(m_s);
}

Statement& Statement::Bind(int i, int64_t v) {
    int rc = sqlite3_bind_int64(m_s, i, v);
    if (rc != SQLITE_OK) throw SqlFailure{rc};
    return *this;
}

Statement& Statement::Bind(int i, std::string_view bytes) {
    // A blob bound from a null pointer would be SQL NULL; an empty blob needs a real pointer. The bytes
    // are copied, so callers may bind temporaries.
    int rc =
        sqlite3_bind_blob(m_s, i, bytes.empty() ? "" : bytes.data(), (int)bytes.size(), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) throw SqlFailure{rc};
    return *this;
}

bool Statement::Step() {
    int rc = sqlite3_step(m_s);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw SqlFailure{rc};
}

std::string_view Statement::Blob(int col) const {
    const void* p = sqlite3_column_blob(m_s, col);
    int n = sqlite3_column_bytes(m_s, col);
    return p == nullptr ? std::string_view() : std::string_view((const char*)p, (size_t)n);
}

// ---- the hive store ----

struct HiveStore::Connection {
    sqlite3* db = nullptr;
    std::vector<std::pair<const char*, sqlite3_stmt*>> cache;
    bool readOnly = false;
    bool snapshot = false;  // the file as it stood when opened, for one call
    int64_t waitStartMs = 0;

    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() {
        for (auto& entry : cache) sqlite3_finalize(entry.second);
        sqlite3_close(db);
    }
};

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

HiveStore::~HiveStore() {
    // A forked child must not close what belongs to its parent: closing may checkpoint or remove the
    // parent's write-ahead log. The child leaves those connections as they are.
    if (m_pid != getpid()) {
        (void)m_file.release();
        (void)m_empty.release();
    }
}

bool HiveStore::MayWrite() const {
    std::string dir = FolderOf(m_path);
    if (access(m_path.c_str(), F_OK) == 0) return CanWrite(m_path) && CanWrite(dir);
    // Not made yet: the nearest existing folder on the way must take the new folders and file.
    while (access(dir.c_str(), F_OK) != 0) {
        if (errno != ENOENT || dir == "/") return false;
        dir = FolderOf(dir);
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
        int rc = sqlite3_open_v2(":memory:", &c->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) return ErrorFromSqlite(rc, false);
        Exec(c->db, kSchema);
        Exec(c->db, SeedSql(0).c_str());
        m_empty = std::move(c);
    }
    m_current = m_empty.get();
    return ERROR_SUCCESS;
}

LONG HiveStore::Connect(bool write) {
    if (m_pid != getpid()) {
        (void)m_file.release();
        (void)m_empty.release();
        m_pid = getpid();
    }
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
        e = kiln::MakeFolders(FolderOf(m_path), m_hive == Hive::User ? 0700 : 0755);
        if (e != 0) return ErrorFromErrno(e);
    }
    return OpenFile(write);
}

LONG HiveStore::OpenFile(bool write) {
    auto c = std::make_unique<Connection>();
    int rc = sqlite3_open_v2(m_path.c_str(), &c->db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        int e = errno;
        sqlite3_close(c->db);
        c->db = nullptr;
        if (write) return (rc & 0xFF) == SQLITE_CANTOPEN ? ErrorFromErrno(e) : ErrorFromSqlite(rc, true);
        rc = sqlite3_open_v2(m_path.c_str(), &c->db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) return ErrorFromErrno(errno);
    }
    c->readOnly = sqlite3_db_readonly(c->db, "main") == 1;
    if (write && c->readOnly) return ERROR_ACCESS_DENIED;
    sqlite3_busy_handler(c->db, WaitForLock, c.get());
    LONG result = InitSchema(*c);
    if ((result == ERROR_CANTOPEN || result == ERROR_ACCESS_DENIED) && c->readOnly) {
        // A read-only reader of a hive in write-ahead-log mode cannot make the log's index files in a
        // folder it may not write. It reads the database file as it stands instead, which holds
        // every change: writers fold the log back into it when they close. Such a connection never
        // sees later changes, so it serves one call only.
        c = std::make_unique<Connection>();
        rc = sqlite3_open_v2(ImmutableUri(m_path).c_str(), &c->db,
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
            int64_t app = QueryInt(c.db, "PRAGMA application_id");
            int64_t version = QueryInt(c.db, "PRAGMA user_version");
            if (app == kApplicationId && version == kSchemaVersion) break;
            if (app != 0 || version != 0 || QueryInt(c.db, "SELECT count(*) FROM sqlite_master") != 0)
                return ERROR_BADDB;
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
        if (!sqlite3_get_autocommit(c.db)) sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
        if ((f.rc & 0xFF) == SQLITE_BUSY || (f.rc & 0xFF) == SQLITE_LOCKED) throw;
        return ErrorFromSqlite(f.rc, false);
    }
    return ERROR_SUCCESS;
}

LONG HiveStore::Run(bool write, const std::function<LONG(Transaction&)>& body) {
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
                Transaction t(db, m_current->cache);
                rc = body(t);
                Exec(db, rc == ERROR_SUCCESS ? "COMMIT" : "ROLLBACK");
                return rc;
            } catch (...) {
                if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
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

}  // namespace kiln::reg
