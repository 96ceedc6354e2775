#include "platform/win/Registry.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <unordered_map>

#include "platform/runtime/Log.h"
#include "platform/runtime/TCString.h"
#include "platform/win/NameFold.h"

namespace {

using zrx::win::foldName;

constexpr int kBusyTimeoutMs = 15000;
constexpr int kSchemaVersion = 1;
// The connection stays open to the end of the process, so its write-ahead
// log is never folded in at close and the next start reads all of it back
// (SQLite's recovery): the log is folded into the store once it holds this
// many pages, which keeps that reading short.
constexpr int kWalCheckpointPages = 64;
constexpr int64_t kNoKey = 0;
// Deeper than any key path can be (a path holds at most 512 levels).
constexpr int64_t kMaxTreeDepth = 1024;

const char* const kRootNames[] = {"HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                  "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
constexpr int kRootCount = 7;

struct OpenKey {
    int64_t id;
    uint32_t access;
    uint64_t generation;  // the database connection the handle belongs to
};

// One prepared statement, finalised on scope exit.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &st_, nullptr); }
    ~Stmt() { sqlite3_finalize(st_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    bool ok() const { return rc_ == SQLITE_OK && st_; }
    Stmt& bind(int i, int64_t v) {
        if (ok()) sqlite3_bind_int64(st_, i, v);
        return *this;
    }
    Stmt& text(int i, std::string_view v) {
        if (ok()) sqlite3_bind_text(st_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Stmt& blob(int i, std::string_view v) {
        if (ok()) sqlite3_bind_blob(st_, i, v.empty() ? "" : v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int step() { return ok() ? sqlite3_step(st_) : rc_; }
    int64_t i64(int c) const { return sqlite3_column_int64(st_, c); }
    std::string str(int c) const {
        const void* p = sqlite3_column_blob(st_, c);
        const int n = sqlite3_column_bytes(st_, c);
        return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
    }

private:
    sqlite3_stmt* st_ = nullptr;
    int rc_ = SQLITE_ERROR;
};

// Set when a statement met a damaged database; the call that met it sets
// the file aside once its statements are done (see Call).
thread_local bool g_corruptionSeen = false;

int32_t mapError(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW: return ERROR_SUCCESS;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: g_corruptionSeen = true; return ERROR_BADDB;
    case SQLITE_CANTOPEN: return ERROR_CANTOPEN;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_IOERR: return ERROR_REGISTRY_IO_FAILED;
    default: return ERROR_CANTWRITE;
    }
}

class Registry {
public:
    std::mutex mutex;

    // The connection for the current environment, opened on first use and
    // again after a fork or when ZRX_REGISTRY changes. Call with mutex held.
    int32_t db(sqlite3** out) {
        const std::string path = zrx::win::registryPath();
        if (db_ && (pid_ != getpid() || path != path_)) {
            // A connection inherited through fork() must not be used or closed
            // in the child: it is dropped and a fresh one opened.
            if (pid_ == getpid()) sqlite3_close_v2(db_);
            db_ = nullptr;
        }
        if (!db_) {
            int32_t err = open(path);
            if (err == ERROR_BADDB) {
                setAside(path);
                err = open(path);
            }
            if (err != ERROR_SUCCESS) return err;
            path_ = path;
            pid_ = getpid();
            ++generation_;
        }
        *out = db_;
        return ERROR_SUCCESS;
    }

    uint64_t generation() const { return generation_; }

    // After a corruption error at run time: when the store fails its check,
    // it is set aside and the next call starts a fresh one. Call with mutex held.
    void recoverFromCorruption() {
        g_corruptionSeen = false;
        if (!db_ || pid_ != getpid()) return;
        if (checkIntegrity(db_) == SQLITE_OK) return;
        sqlite3_close_v2(db_);
        db_ = nullptr;
        setAside(path_);
    }

    HKEY addHandle(int64_t id, uint32_t access) {
        HKEY h;
        do {
            nextHandle_ += 4;
            h = nextHandle_;
        } while (h >= HKEY_CLASSES_ROOT && h < HKEY_CLASSES_ROOT + 0x100);
        handles_[h] = OpenKey{id, access, generation_};
        return h;
    }
    bool removeHandle(HKEY h) { return handles_.erase(h) > 0; }

    // The key id and access of a handle; false for unknown handles.
    bool resolve(HKEY h, int64_t* id, uint32_t* access) {
        if (zrx::win::isRootKey(h)) {
            *id = static_cast<int64_t>(h - HKEY_CLASSES_ROOT) + 1;
            *access = KEY_ALL_ACCESS;
            return true;
        }
        auto it = handles_.find(h);
        if (it == handles_.end() || it->second.generation != generation_) return false;
        *id = it->second.id;
        *access = it->second.access;
        return true;
    }

private:
    // A damaged store is kept aside as "<file>.bad" for inspection, rather
    // than failing every settings read and write for good.
    static void setAside(const std::string& path) {
        std::error_code ec;
        std::filesystem::rename(path, path + ".bad", ec);
        std::filesystem::remove(path + "-wal", ec);
        std::filesystem::remove(path + "-shm", ec);
        KV_HLogFmtText(0xC0000000u | ERROR_BADDB,
                       "Хранилище настроек '%s' повреждено: оно сохранено как '%s.bad', создано новое", path.c_str(),
                       path.c_str());
    }

    // Pages readable and the tables of this version present.
    static int checkIntegrity(sqlite3* db) {
        {
            Stmt st(db, "PRAGMA quick_check(1)");
            const int rc = st.step();
            if (rc != SQLITE_ROW) return rc;
            if (st.str(0) != "ok") return SQLITE_CORRUPT;
        }
        Stmt st(db, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN ('regkey','regvalue')");
        const int rc = st.step();
        if (rc != SQLITE_ROW) return rc;
        return st.i64(0) == 2 ? SQLITE_OK : SQLITE_CORRUPT;
    }

    int32_t open(const std::string& path) {
        std::error_code ec;
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty() && !std::filesystem::exists(parent, ec)) {
            std::filesystem::create_directories(parent, ec);
            std::filesystem::permissions(parent, std::filesystem::perms::owner_all, ec);
        }
        // The registry is the user's own: a new store is readable by its owner only
        // (SQLite gives its journal files the same permissions).
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) ::close(fd);
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                 nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close_v2(db);
            return ERROR_CANTOPEN;
        }
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        sqlite3_extended_result_codes(db, 0);
        rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        // In WAL mode NORMAL keeps every commit across a crash of the program and
        // never corrupts the store; only a power loss may drop the last commits.
        // It spares a disk flush per value, which form closing notices.
        if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) rc = sqlite3_wal_autocheckpoint(db, kWalCheckpointPages);
        if (rc == SQLITE_OK) rc = createSchema(db);
        if (rc == SQLITE_OK) rc = checkIntegrity(db);
        if (rc != SQLITE_OK) {
            sqlite3_close_v2(db);
            const int32_t err = mapError(rc);
            g_corruptionSeen = false;  // handled by the caller of open
            return err;
        }
        db_ = db;
        return ERROR_SUCCESS;
    }

    static int createSchema(sqlite3* db) {
        int version = 0;
        {
            Stmt st(db, "PRAGMA user_version");
            int rc = st.step();
            if (rc == SQLITE_ROW) version = static_cast<int>(st.i64(0));
            else if (rc != SQLITE_DONE) return rc;
        }
        if (version == kSchemaVersion) return SQLITE_OK;
        std::string sql =
            "BEGIN IMMEDIATE;"
            "CREATE TABLE IF NOT EXISTS regkey(id INTEGER PRIMARY KEY AUTOINCREMENT,"
            " parent INTEGER NOT NULL, name TEXT NOT NULL, fold TEXT NOT NULL, mtime INTEGER NOT NULL DEFAULT 0);"
            "CREATE UNIQUE INDEX IF NOT EXISTS regkey_child ON regkey(parent, fold);"
            "CREATE TABLE IF NOT EXISTS regvalue(id INTEGER PRIMARY KEY AUTOINCREMENT,"
            " key INTEGER NOT NULL, name TEXT NOT NULL, fold TEXT NOT NULL, type INTEGER NOT NULL,"
            " data BLOB NOT NULL);"
            "CREATE UNIQUE INDEX IF NOT EXISTS regvalue_name ON regvalue(key, fold);";
        for (int i = 0; i < kRootCount; ++i) {
            sql += "INSERT OR IGNORE INTO regkey(id, parent, name, fold) VALUES(" + std::to_string(i + 1) + ", 0, '" +
                   kRootNames[i] + "', '" + foldName(kRootNames[i]) + "');";
        }
        sql += "PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";COMMIT;";
        const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return rc;
    }

    sqlite3* db_ = nullptr;
    std::string path_;
    pid_t pid_ = 0;
    uint64_t generation_ = 0;
    HKEY nextHandle_ = 0x1000;
    std::unordered_map<HKEY, OpenKey> handles_;
};

Registry& registry() {
    static Registry* r = new Registry;  // never destroyed: handles may be closed during exit
    return *r;
}

// A transaction that rolls back unless committed.
class Transaction {
public:
    explicit Transaction(sqlite3* db, bool write) : db_(db) {
        rc_ = sqlite3_exec(db_, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr);
    }
    ~Transaction() {
        if (rc_ == SQLITE_OK && !done_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    int32_t begun() const { return mapError(rc_); }
    int32_t commit() {
        done_ = true;
        const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return mapError(rc);
    }

private:
    sqlite3* db_;
    int rc_;
    bool done_ = false;
};

// The path elements of a sub-key; empty elements (doubled, leading or
// trailing backslashes) are skipped. False for an element that is too long.
bool splitPath(const char* subKey, std::vector<std::string>& parts) {
    parts.clear();
    if (!subKey) return true;
    std::string_view s(subKey);
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find('\\', start);
        if (end == std::string_view::npos) end = s.size();
        if (end > start) {
            std::string_view part = s.substr(start, end - start);
            if (zrx_utf8::charCount(part) > REG_MAX_KEY_NAME) return false;
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    return true;
}

// ERROR_SUCCESS when the key is there, ERROR_KEY_DELETED when it is gone,
// else the store's failure.
int32_t keyState(sqlite3* db, int64_t id) {
    Stmt st(db, "SELECT 1 FROM regkey WHERE id=?");
    st.bind(1, id);
    const int rc = st.step();
    if (rc == SQLITE_ROW) return ERROR_SUCCESS;
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : mapError(rc);
}

// Walks the path from a key; kNoKey when an element is missing.
int32_t findKey(sqlite3* db, int64_t base, const std::vector<std::string>& parts, int64_t* id) {
    int64_t cur = base;
    for (const auto& part : parts) {
        Stmt st(db, "SELECT id FROM regkey WHERE parent=? AND fold=?");
        st.bind(1, cur).text(2, foldName(part));
        const int rc = st.step();
        if (rc == SQLITE_DONE) {
            *id = kNoKey;
            return ERROR_SUCCESS;
        }
        if (rc != SQLITE_ROW) return mapError(rc);
        cur = st.i64(0);
    }
    *id = cur;
    return ERROR_SUCCESS;
}

int32_t touchKey(sqlite3* db, int64_t id) {
    Stmt st(db, "UPDATE regkey SET mtime=? WHERE id=?");
    st.bind(1, static_cast<int64_t>(std::time(nullptr))).bind(2, id);
    return mapError(st.step());
}

// Locks the registry, opens the database and resolves a handle.
struct Call {
    std::unique_lock<std::mutex> lock;
    sqlite3* db = nullptr;
    int64_t id = kNoKey;
    uint32_t access = 0;
    int32_t err = ERROR_SUCCESS;

    explicit Call(HKEY key) : lock(registry().mutex) {
        g_corruptionSeen = false;
        err = registry().db(&db);
        if (err != ERROR_SUCCESS) return;
        if (!registry().resolve(key, &id, &access)) err = ERROR_INVALID_HANDLE;
    }
    // The same, failing with ERROR_ACCESS_DENIED when the handle lacks `need`.
    Call(HKEY key, uint32_t need) : Call(key) {
        if (err == ERROR_SUCCESS && !allowed(need)) err = ERROR_ACCESS_DENIED;
    }
    bool allowed(uint32_t need) const { return (access & need) == need; }
    // Runs after the call's statements and transaction are gone.
    ~Call() {
        if (g_corruptionSeen) registry().recoverFromCorruption();
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
};

bool validValueName(std::string_view name) {
    return name.find('\0') == std::string_view::npos && zrx_utf8::charCount(name) <= REG_MAX_VALUE_NAME;
}

int32_t queryValue(sqlite3* db, int64_t key, std::string_view name, uint32_t* type, std::string* data,
                   std::string* spelling = nullptr) {
    Stmt st(db, "SELECT type, data, name FROM regvalue WHERE key=? AND fold=?");
    st.bind(1, key).text(2, foldName(name));
    const int rc = st.step();
    if (rc == SQLITE_DONE) {
        const int32_t state = keyState(db, key);
        return state == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : state;
    }
    if (rc != SQLITE_ROW) return mapError(rc);
    if (type) *type = static_cast<uint32_t>(st.i64(0));
    if (data) *data = st.str(1);
    if (spelling) *spelling = st.str(2);
    return ERROR_SUCCESS;
}

int32_t setValue(HKEY key, std::string_view name, uint32_t type, std::string_view data) {
    if (!validValueName(name)) return ERROR_INVALID_PARAMETER;
    if ((type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN) && data.size() != 4) return ERROR_INVALID_PARAMETER;
    if (type == REG_QWORD && data.size() != 8) return ERROR_INVALID_PARAMETER;
    if (data.size() > 0x7FFFFFFFu) return ERROR_INVALID_PARAMETER;
    Call c(key, KEY_SET_VALUE);
    if (c.err != ERROR_SUCCESS) return c.err;
    Transaction tx(c.db, true);
    if (tx.begun() != ERROR_SUCCESS) return tx.begun();
    if (const int32_t gone = keyState(c.db, c.id)) return gone;
    const std::string fold = foldName(name);
    int rc;
    {
        // An existing value keeps its place and spelling.
        Stmt up(c.db, "UPDATE regvalue SET type=?, data=? WHERE key=? AND fold=?");
        up.bind(1, type).blob(2, data).bind(3, c.id).text(4, fold);
        rc = up.step();
    }
    if (rc != SQLITE_DONE) return mapError(rc);
    if (sqlite3_changes(c.db) == 0) {
        Stmt ins(c.db, "INSERT INTO regvalue(key, name, fold, type, data) VALUES(?,?,?,?,?)");
        ins.bind(1, c.id).text(2, name).text(3, fold).bind(4, type).blob(5, data);
        rc = ins.step();
        if (rc != SQLITE_DONE) return mapError(rc);
    }
    const int32_t err = touchKey(c.db, c.id);
    if (err != ERROR_SUCCESS) return err;
    return tx.commit();
}

int32_t deleteValue(HKEY key, std::string_view name) {
    if (!validValueName(name)) return ERROR_INVALID_PARAMETER;
    Call c(key, KEY_SET_VALUE);
    if (c.err != ERROR_SUCCESS) return c.err;
    Transaction tx(c.db, true);
    if (tx.begun() != ERROR_SUCCESS) return tx.begun();
    if (const int32_t gone = keyState(c.db, c.id)) return gone;
    Stmt st(c.db, "DELETE FROM regvalue WHERE key=? AND fold=?");
    st.bind(1, c.id).text(2, foldName(name));
    const int rc = st.step();
    if (rc != SQLITE_DONE) return mapError(rc);
    if (sqlite3_changes(c.db) == 0) return ERROR_FILE_NOT_FOUND;
    const int32_t err = touchKey(c.db, c.id);
    if (err != ERROR_SUCCESS) return err;
    return tx.commit();
}

// Deletes the sub-keys of a key (all levels) and its values; with self, the key too.
int32_t deleteSubtree(sqlite3* db, int64_t id, bool self) {
    // The walk is bounded: a damaged parent link (a cycle) would never end.
    const std::string tree =
        "WITH RECURSIVE t(id, depth) AS (SELECT id, 1 FROM regkey WHERE parent=?1"
        " UNION ALL SELECT r.id, t.depth + 1 FROM regkey r JOIN t ON r.parent=t.id"
        " WHERE t.depth < " +
        std::to_string(kMaxTreeDepth) + ") ";
    {
        Stmt check(db, (tree + "SELECT coalesce(max(depth), 0), coalesce(sum(id=?1), 0) FROM t").c_str());
        check.bind(1, id);
        const int rc = check.step();
        if (rc != SQLITE_ROW) return mapError(rc);
        if (check.i64(0) >= kMaxTreeDepth || check.i64(1) > 0) return mapError(SQLITE_CORRUPT);
    }
    const std::string delValues = tree + "DELETE FROM regvalue WHERE key IN (SELECT id FROM t)";
    const std::string delKeys = tree + "DELETE FROM regkey WHERE id IN (SELECT id FROM t)";
    const char* const steps[] = {delValues.c_str(), delKeys.c_str(), "DELETE FROM regvalue WHERE key=?1",
                                 "DELETE FROM regkey WHERE id=?1"};
    for (size_t i = 0; i < (self ? 4u : 3u); ++i) {
        Stmt st(db, steps[i]);
        st.bind(1, id);
        const int rc = st.step();
        if (rc != SQLITE_DONE) return mapError(rc);
    }
    return ERROR_SUCCESS;
}

int32_t deleteKey(HKEY key, const char* subKey, bool tree) {
    std::vector<std::string> parts;
    if (!splitPath(subKey, parts)) return ERROR_INVALID_PARAMETER;
    Call c(key, KEY_SET_VALUE);
    if (c.err != ERROR_SUCCESS) return c.err;
    Transaction tx(c.db, true);
    if (tx.begun() != ERROR_SUCCESS) return tx.begun();
    if (const int32_t gone = keyState(c.db, c.id)) return gone;
    int64_t target = kNoKey;
    int32_t err = findKey(c.db, c.id, parts, &target);
    if (err != ERROR_SUCCESS) return err;
    if (target == kNoKey) return ERROR_FILE_NOT_FOUND;
    const bool self = !parts.empty();
    if (self && target <= kRootCount) return ERROR_ACCESS_DENIED;
    if (!tree) {
        if (!self) return ERROR_ACCESS_DENIED;  // a key cannot delete itself through its own handle
        Stmt st(c.db, "SELECT 1 FROM regkey WHERE parent=? LIMIT 1");
        st.bind(1, target);
        const int rc = st.step();
        if (rc == SQLITE_ROW) return ERROR_ACCESS_DENIED;
        if (rc != SQLITE_DONE) return mapError(rc);
    }
    int64_t parent = kNoKey;
    if (self) {
        Stmt st(c.db, "SELECT parent FROM regkey WHERE id=?");
        st.bind(1, target);
        if (st.step() == SQLITE_ROW) parent = st.i64(0);
    }
    err = deleteSubtree(c.db, target, self);
    if (err != ERROR_SUCCESS) return err;
    err = touchKey(c.db, self ? parent : target);
    if (err != ERROR_SUCCESS) return err;
    return tx.commit();
}

// Copies a name into a caller's buffer with Windows' size rules.
int32_t copyName(const std::string& name, char* buf, uint32_t* size) {
    if (!size) return ERROR_INVALID_PARAMETER;
    if (!buf || *size <= name.size()) {
        *size = static_cast<uint32_t>(name.size());
        return ERROR_MORE_DATA;
    }
    std::memcpy(buf, name.data(), name.size());
    buf[name.size()] = '\0';
    *size = static_cast<uint32_t>(name.size());
    return ERROR_SUCCESS;
}

// Copies value bytes; strings get a terminator when there is room for one
// and the stored bytes lack it.
int32_t copyData(uint32_t type, const std::string& data, uint8_t* buf, uint32_t* size) {
    if (!buf) {
        if (size) *size = static_cast<uint32_t>(data.size());
        return ERROR_SUCCESS;
    }
    if (!size) return ERROR_INVALID_PARAMETER;
    if (*size < data.size()) {
        *size = static_cast<uint32_t>(data.size());
        return ERROR_MORE_DATA;
    }
    if (!data.empty()) std::memcpy(buf, data.data(), data.size());
    const bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if (text && *size > data.size() && (data.empty() || data.back() != '\0')) buf[data.size()] = 0;
    *size = static_cast<uint32_t>(data.size());
    return ERROR_SUCCESS;
}

int32_t childNames(HKEY key, std::vector<std::string>& names, bool keys) {
    names.clear();
    Call c(key, keys ? KEY_ENUMERATE_SUB_KEYS : KEY_QUERY_VALUE);
    if (c.err != ERROR_SUCCESS) return c.err;
    Transaction tx(c.db, false);
    if (const int32_t gone = keyState(c.db, c.id)) return gone;
    Stmt st(c.db, keys ? "SELECT name FROM regkey WHERE parent=? ORDER BY fold"
                       : "SELECT name FROM regvalue WHERE key=? ORDER BY id");
    st.bind(1, c.id);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) names.push_back(st.str(0));
    return rc == SQLITE_DONE ? ERROR_SUCCESS : mapError(rc);
}

}  // namespace

namespace zrx::win {

std::string registryPath() {
    if (const char* p = std::getenv("ZRX_REGISTRY"); p && *p) return p;
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) base = x;
    else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.config";
    else base = ".";
    return base + "/zoren/registry.sqlite";
}

bool isRootKey(HKEY key) { return key >= HKEY_CLASSES_ROOT && key < HKEY_CLASSES_ROOT + kRootCount; }

int32_t regQueryValue(HKEY key, std::string_view name, uint32_t* type, std::string* data) {
    if (!validValueName(name)) return ERROR_INVALID_PARAMETER;
    Call c(key, KEY_QUERY_VALUE);
    if (c.err != ERROR_SUCCESS) return c.err;
    return queryValue(c.db, c.id, name, type, data);
}

int32_t regSetValue(HKEY key, std::string_view name, uint32_t type, std::string_view data) {
    return setValue(key, name, type, data);
}

int32_t regDeleteValue(HKEY key, std::string_view name) { return deleteValue(key, name); }

int32_t regKeyNames(HKEY key, std::vector<std::string>& names) { return childNames(key, names, true); }

int32_t regValueNames(HKEY key, std::vector<std::string>& names) { return childNames(key, names, false); }

std::string regText(std::string_view data) { return std::string(data.substr(0, data.find('\0'))); }

int32_t regKeyInfo(HKEY key, RegKeyInfo& info) {
    info = RegKeyInfo{};
    Call c(key, KEY_QUERY_VALUE);
    if (c.err != ERROR_SUCCESS) return c.err;
    Transaction tx(c.db, false);
    {
        Stmt st(c.db, "SELECT mtime FROM regkey WHERE id=?");
        st.bind(1, c.id);
        if (st.step() != SQLITE_ROW) return ERROR_KEY_DELETED;
        info.lastWriteTime = st.i64(0);
    }
    {
        Stmt st(c.db, "SELECT name FROM regkey WHERE parent=?");
        st.bind(1, c.id);
        while (st.step() == SQLITE_ROW) {
            ++info.subKeys;
            info.maxSubKeyLen = std::max<uint32_t>(info.maxSubKeyLen, static_cast<uint32_t>(st.str(0).size()));
        }
    }
    {
        Stmt st(c.db, "SELECT name, length(data) FROM regvalue WHERE key=?");
        st.bind(1, c.id);
        while (st.step() == SQLITE_ROW) {
            ++info.values;
            info.maxValueNameLen = std::max<uint32_t>(info.maxValueNameLen, static_cast<uint32_t>(st.str(0).size()));
            info.maxValueLen = std::max<uint32_t>(info.maxValueLen, static_cast<uint32_t>(st.i64(1)));
        }
    }
    return ERROR_SUCCESS;
}

std::string regErrorText(int32_t code) {
    switch (code) {
    case ERROR_SUCCESS: return "The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND: return "The system cannot find the file specified.";
    case ERROR_PATH_NOT_FOUND: return "The system cannot find the path specified.";
    case ERROR_ACCESS_DENIED: return "Access is denied.";
    case ERROR_INVALID_HANDLE: return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY: return "Not enough memory resources are available to process this command.";
    case ERROR_WRITE_FAULT: return "The system cannot write to the specified device.";
    case ERROR_READ_FAULT: return "The system cannot read from the specified device.";
    case ERROR_INVALID_PARAMETER: return "The parameter is incorrect.";
    case ERROR_BAD_PATHNAME: return "The specified path is invalid.";
    case ERROR_MORE_DATA: return "More data is available.";
    case ERROR_NO_MORE_ITEMS: return "No more data is available.";
    case ERROR_BADDB: return "The configuration registry database is corrupt.";
    case ERROR_BADKEY: return "The configuration registry key is invalid.";
    case ERROR_CANTOPEN: return "The configuration registry key could not be opened.";
    case ERROR_CANTREAD: return "The configuration registry key could not be read.";
    case ERROR_CANTWRITE: return "The configuration registry key could not be written.";
    case ERROR_REGISTRY_IO_FAILED:
        return "An I/O operation initiated by the registry failed unrecoverably. The registry could not read "
               "in, or write out, or flush, one of the files that contain the system's image of the registry.";
    case ERROR_KEY_DELETED: return "Illegal operation attempted on a registry key that has been marked for deletion.";
    default: return "Unknown error (" + std::to_string(code) + ").";
    }
}

}  // namespace zrx::win

int32_t RegOpenKeyExA(HKEY key, const char* subKey, uint32_t, uint32_t access, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    std::vector<std::string> parts;
    if (!splitPath(subKey, parts)) return ERROR_INVALID_PARAMETER;
    Call c(key);
    if (c.err != ERROR_SUCCESS) return c.err;
    Transaction tx(c.db, false);
    if (const int32_t gone = keyState(c.db, c.id)) return gone;
    int64_t id = kNoKey;
    const int32_t err = findKey(c.db, c.id, parts, &id);
    if (err != ERROR_SUCCESS) return err;
    if (id == kNoKey) return ERROR_FILE_NOT_FOUND;
    *result = registry().addHandle(id, access);
    return ERROR_SUCCESS;
}

int32_t RegCreateKeyExA(HKEY key, const char* subKey, uint32_t, const char*, uint32_t, uint32_t access, const void*,
                        HKEY* result, uint32_t* disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    std::vector<std::string> parts;
    if (!splitPath(subKey, parts)) return ERROR_INVALID_PARAMETER;
    Call c(key);
    if (c.err != ERROR_SUCCESS) return c.err;
    Transaction tx(c.db, true);
    if (tx.begun() != ERROR_SUCCESS) return tx.begun();
    if (const int32_t gone = keyState(c.db, c.id)) return gone;
    int64_t cur = c.id;
    bool created = false;
    for (const auto& part : parts) {
        const std::string fold = foldName(part);
        Stmt find(c.db, "SELECT id FROM regkey WHERE parent=? AND fold=?");
        find.bind(1, cur).text(2, fold);
        const int rc = find.step();
        if (rc == SQLITE_ROW) {
            cur = find.i64(0);
            continue;
        }
        if (rc != SQLITE_DONE) return mapError(rc);
        if (!created && !c.allowed(KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        Stmt ins(c.db, "INSERT INTO regkey(parent, name, fold, mtime) VALUES(?,?,?,?)");
        ins.bind(1, cur).text(2, part).text(3, fold).bind(4, static_cast<int64_t>(std::time(nullptr)));
        const int irc = ins.step();
        if (irc != SQLITE_DONE) return mapError(irc);
        cur = sqlite3_last_insert_rowid(c.db);
        created = true;
    }
    if (created) {
        const int32_t err = tx.commit();
        if (err != ERROR_SUCCESS) return err;
    }
    *result = registry().addHandle(cur, access);
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

int32_t RegCloseKey(HKEY key) {
    if (zrx::win::isRootKey(key)) return ERROR_SUCCESS;
    std::lock_guard<std::mutex> lock(registry().mutex);
    return registry().removeHandle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

int32_t RegQueryValueExA(HKEY key, const char* valueName, uint32_t*, uint32_t* type, uint8_t* data,
                         uint32_t* dataSize) {
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    uint32_t t = REG_NONE;
    std::string bytes;
    const int32_t err = zrx::win::regQueryValue(key, valueName ? valueName : "", &t, &bytes);
    if (err != ERROR_SUCCESS) return err;
    if (type) *type = t;
    return copyData(t, bytes, data, dataSize);
}

int32_t RegSetValueExA(HKEY key, const char* valueName, uint32_t, uint32_t type, const uint8_t* data,
                       uint32_t dataSize) {
    if (!data && dataSize) return ERROR_INVALID_PARAMETER;
    return setValue(key, valueName ? valueName : "", type,
                    std::string_view(reinterpret_cast<const char*>(data), data ? dataSize : 0));
}

int32_t RegDeleteValueA(HKEY key, const char* valueName) { return deleteValue(key, valueName ? valueName : ""); }

int32_t RegDeleteKeyA(HKEY key, const char* subKey) { return deleteKey(key, subKey, false); }

int32_t RegDeleteTreeA(HKEY key, const char* subKey) { return deleteKey(key, subKey, true); }

int32_t RegEnumKeyExA(HKEY key, uint32_t index, char* name, uint32_t* nameSize, uint32_t*, char* keyClass,
                      uint32_t* classSize, int64_t* lastWriteTime) {
    if (!nameSize) return ERROR_INVALID_PARAMETER;
    Call c(key, KEY_ENUMERATE_SUB_KEYS);
    if (c.err != ERROR_SUCCESS) return c.err;
    if (const int32_t gone = keyState(c.db, c.id)) return gone;
    Stmt st(c.db, "SELECT name, mtime FROM regkey WHERE parent=? ORDER BY fold LIMIT 1 OFFSET ?");
    st.bind(1, c.id).bind(2, index);
    const int rc = st.step();
    if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW) return mapError(rc);
    if (keyClass && classSize && *classSize) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
    if (lastWriteTime) *lastWriteTime = st.i64(1);
    return copyName(st.str(0), name, nameSize);
}

int32_t RegEnumValueA(HKEY key, uint32_t index, char* name, uint32_t* nameSize, uint32_t*, uint32_t* type,
                      uint8_t* data, uint32_t* dataSize) {
    if (!nameSize || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    Call c(key, KEY_QUERY_VALUE);
    if (c.err != ERROR_SUCCESS) return c.err;
    if (const int32_t gone = keyState(c.db, c.id)) return gone;
    Stmt st(c.db, "SELECT name, type, data FROM regvalue WHERE key=? ORDER BY id LIMIT 1 OFFSET ?");
    st.bind(1, c.id).bind(2, index);
    const int rc = st.step();
    if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW) return mapError(rc);
    const uint32_t t = static_cast<uint32_t>(st.i64(1));
    if (type) *type = t;
    const int32_t err = copyName(st.str(0), name, nameSize);
    if (err != ERROR_SUCCESS) return err;
    return copyData(t, st.str(2), data, dataSize);
}

int32_t RegQueryInfoKeyA(HKEY key, char* keyClass, uint32_t* classSize, uint32_t*, uint32_t* subKeys,
                         uint32_t* maxSubKeyLen, uint32_t* maxClassLen, uint32_t* values, uint32_t* maxValueNameLen,
                         uint32_t* maxValueLen, uint32_t* securityDescriptor, int64_t* lastWriteTime) {
    zrx::win::RegKeyInfo info;
    const int32_t err = zrx::win::regKeyInfo(key, info);
    if (err != ERROR_SUCCESS) return err;
    if (keyClass && classSize && *classSize) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
    if (subKeys) *subKeys = info.subKeys;
    if (maxSubKeyLen) *maxSubKeyLen = info.maxSubKeyLen;
    if (maxClassLen) *maxClassLen = 0;
    if (values) *values = info.values;
    if (maxValueNameLen) *maxValueNameLen = info.maxValueNameLen;
    if (maxValueLen) *maxValueLen = info.maxValueLen;
    if (securityDescriptor) *securityDescriptor = 0;
    if (lastWriteTime) *lastWriteTime = info.lastWriteTime;
    return ERROR_SUCCESS;
}

int32_t RegFlushKey(HKEY key) {
    Call c(key);
    return c.err;
}
