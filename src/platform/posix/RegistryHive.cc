#include "platform/posix/RegistryHive.h"

#include <errno.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

constexpr int kSchemaVersion = 1;
// How long a call waits for another process's write transaction before giving up.
constexpr int kBusyTimeoutMs = 10000;

const char* const kStatements[] = {
    // kFindChild
    "SELECT id FROM keys WHERE parent=?1 AND folded=?2",
    // kKeyExists
    "SELECT 1 FROM keys WHERE id=?1",
    // kInsertKey
    "INSERT INTO keys(parent,name,folded) VALUES(?1,?2,?3)",
    // kHasChild
    "SELECT 1 FROM keys WHERE parent=?1 LIMIT 1",
    // kDeleteKeyValues
    "DELETE FROM vals WHERE key=?1",
    // kDeleteKey
    "DELETE FROM keys WHERE id=?1",
    // kDeleteTreeValues
    "WITH RECURSIVE t(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN t ON k.parent=t.id)"
    " DELETE FROM vals WHERE key IN t",
    // kDeleteTreeKeys
    "WITH RECURSIVE t(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN t ON k.parent=t.id)"
    " DELETE FROM keys WHERE id IN t",
    // kQueryValue: no row when the key is gone, a NULL type when only the value is missing.
    "SELECT v.type, v.data FROM keys k LEFT JOIN vals v ON v.key=k.id AND v.folded=?2"
    " WHERE k.id=?1",
    // kSetValue: writes nothing when the key is gone; keeps the spelling of an existing name,
    // as Windows does.
    "INSERT INTO vals(key,name,folded,type,data) SELECT ?1,?2,?3,?4,?5"
    " WHERE EXISTS(SELECT 1 FROM keys WHERE id=?1)"
    " ON CONFLICT(key,folded) DO UPDATE SET type=excluded.type, data=excluded.data",
    // kDeleteValue
    "DELETE FROM vals WHERE key=?1 AND folded=?2",
    // kEnumKey
    "SELECT name FROM keys WHERE parent=?1 ORDER BY folded LIMIT 1 OFFSET ?2",
    // kEnumValue
    "SELECT name, type, data FROM vals WHERE key=?1 ORDER BY folded LIMIT 1 OFFSET ?2",
    // kQueryInfo: one statement, so the five figures come from one snapshot.
    "SELECT (SELECT count(*) FROM keys WHERE parent=?1),"
    " (SELECT ifnull(max(length(name)),0) FROM keys WHERE parent=?1),"
    " (SELECT count(*) FROM vals WHERE key=?1),"
    " (SELECT ifnull(max(length(name)),0) FROM vals WHERE key=?1),"
    " (SELECT ifnull(max(length(data)),0) FROM vals WHERE key=?1)"
    " FROM keys WHERE id=?1",
    // kBegin, kBeginImmediate, kCommit, kRollback
    "BEGIN",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
};

const char kSchema[] =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
    " name BLOB NOT NULL, folded BLOB NOT NULL);"
    "CREATE UNIQUE INDEX keys_child ON keys(parent, folded);"
    "CREATE TABLE vals(key INTEGER NOT NULL, name BLOB NOT NULL, folded BLOB NOT NULL,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, folded)) WITHOUT ROWID;"
    "INSERT INTO keys(id,parent,name,folded) VALUES(1,0,x'',x'');";

// A new machine hive holds what every Windows machine has: HKEY_CLASSES_ROOT's home and the
// Program Files folder ("C:\Program Files" with its NUL).
const char kMachineSeed[] =
    "INSERT INTO keys(id,parent,name,folded) VALUES"
    " (2,1,CAST('SOFTWARE' AS BLOB),CAST('SOFTWARE' AS BLOB)),"
    " (3,2,CAST('Classes' AS BLOB),CAST('CLASSES' AS BLOB)),"
    " (4,2,CAST('Microsoft' AS BLOB),CAST('MICROSOFT' AS BLOB)),"
    " (5,4,CAST('Windows' AS BLOB),CAST('WINDOWS' AS BLOB)),"
    " (6,5,CAST('CurrentVersion' AS BLOB),CAST('CURRENTVERSION' AS BLOB));"
    "INSERT INTO vals(key,name,folded,type,data) VALUES(6,CAST('ProgramFilesDir' AS BLOB),"
    " CAST('PROGRAMFILESDIR' AS BLOB),1,x'433A5C50726F6772616D2046696C657300');";

// sqlite3_bind_blob binds SQL NULL for a null pointer, so empty names and data need a real one.
void BindBlob(sqlite3_stmt* s, int i, std::string_view v) {
    sqlite3_bind_blob(s, i, v.empty() ? "" : v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
}

std::string ColumnBlob(sqlite3_stmt* s, int i) {
    const void* p = sqlite3_column_blob(s, i);
    int n = sqlite3_column_bytes(s, i);
    return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
}

std::string ParentDir(const std::string& strPath) {
    size_t pos = strPath.rfind('/');
    return pos == std::string::npos || pos == 0 ? std::string() : strPath.substr(0, pos);
}

}  // namespace

// Resets a statement and its bindings when a call is done with it.
class CRegistryHive::CUse {
public:
    CUse(CRegistryHive& hive, Stmt s) : m_p(hive.m_stmts[s]) {}
    ~CUse() {
        sqlite3_reset(m_p);
        sqlite3_clear_bindings(m_p);
    }
    sqlite3_stmt* operator*() const { return m_p; }
    int Step() { return sqlite3_step(m_p); }

private:
    sqlite3_stmt* m_p;
};

CRegistryHive::CRegistryHive(std::string strPath, bool bMachine)
    : m_strPath(std::move(strPath)), m_bMachine(bMachine) {}

CRegistryHive::~CRegistryHive() {
    Disconnect();
}

std::string CRegistryHive::Fold(std::string_view name) {
    return ToUpperCp932(name);
}

void CRegistryHive::Retire() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Disconnect();
    m_bRetired = true;
}

void CRegistryHive::Disconnect() {
    for (auto& s : m_stmts) {
        sqlite3_finalize(s);
        s = nullptr;
    }
    if (m_pDb) {
        sqlite3_close_v2(m_pDb);
        m_pDb = nullptr;
    }
    m_bInBatch = false;
}

int32_t CRegistryHive::MapError(int rc, bool bWrite) const {
    switch (rc & 0xff) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE:
            return ERROR_SUCCESS;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return ERROR_ACCESS_DENIED;
        case SQLITE_CANTOPEN: {
            int err = m_pDb ? sqlite3_system_errno(m_pDb) : 0;
            return err == EACCES || err == EPERM || err == EROFS ? ERROR_ACCESS_DENIED
                                                                 : ERROR_CANTOPEN;
        }
        case SQLITE_FULL:
            return ERROR_DISK_FULL;
        case SQLITE_IOERR:
            return bWrite ? ERROR_CANTWRITE : ERROR_CANTREAD;
        case SQLITE_NOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ERROR_SHARING_VIOLATION;
        default:  // NOTADB, CORRUPT, a schema that is not ours, ...
            return ERROR_BADDB;
    }
}

int32_t CRegistryHive::Exec(const char* pszSql) {
    return MapError(sqlite3_exec(m_pDb, pszSql, nullptr, nullptr, nullptr), true);
}

int32_t CRegistryHive::Connect() {
    if (m_bRetired) {
        return ERROR_INVALID_HANDLE;
    }
    if (m_pDb) {
        return ERROR_SUCCESS;
    }
    std::string dir = ParentDir(m_strPath);
    if (!dir.empty()) {
        ::mkdir(dir.c_str(), 0755);  // the prefix makes it; this covers a folder removed since
    }
    // A file we may not write is opened read-only by SQLite on its own; writes then fail with
    // SQLITE_READONLY, which is our ERROR_ACCESS_DENIED.
    int rc =
        sqlite3_open_v2(m_strPath.c_str(), &m_pDb,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    int32_t err = MapError(rc, false);
    if (err == ERROR_SUCCESS) {
        sqlite3_extended_result_codes(m_pDb, 1);
        sqlite3_busy_timeout(m_pDb, kBusyTimeoutMs);
        // Keep the -wal and -shm files when the last connection closes. A WAL database can only
        // be read by a user who may not write it when both files already exist (SQLite 3.22+
        // then maps the shared index read-only), so keeping them keeps the hive readable for
        // everyone who may read the hive file. The alternative, a rollback journal, lets such
        // readers in without helper files, but it syncs the journal on every commit, which
        // makes a commit two orders of magnitude slower, and readers would wait while a commit
        // runs (docs/PERFORMANCE.md, "The registry's journal").
        int one = 1;
        sqlite3_file_control(m_pDb, "main", SQLITE_FCNTL_PERSIST_WAL, &one);
        err = CheckSchemaPatiently();
    }
    if (err == ERROR_SUCCESS) {
        err = PrepareAll();
    }
    if (err != ERROR_SUCCESS) {
        Disconnect();
    }
    return err;
}

// Two processes that find the hive empty at once both switch it to WAL, which needs the file to
// themselves: SQLite refuses one of them at once rather than let them wait for each other, so
// the busy timeout never applies. The refused one looks again (by then it usually finds the
// other's schema) for as long as a busy write would have waited.
int32_t CRegistryHive::CheckSchemaPatiently() {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    int32_t err = CheckSchema();
    while (err == ERROR_SHARING_VIOLATION && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        err = CheckSchema();
    }
    return err;
}

int32_t CRegistryHive::CheckSchema() {
    // Read before anything is written: a foreign or corrupt file must be left exactly as it is.
    int version = -1;
    int objects = -1;
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(m_pDb,
                                "SELECT (SELECT user_version FROM pragma_user_version),"
                                " (SELECT count(*) FROM sqlite_master)",
                                -1, &s, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            version = sqlite3_column_int(s, 0);
            objects = sqlite3_column_int(s, 1);
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_OK) {
        return MapError(rc, false);
    }
    if (version == 0 && objects == 0) {
        return CreateSchema();
    }
    if (version != kSchemaVersion) {
        return ERROR_BADDB;
    }
    if (sqlite3_db_readonly(m_pDb, "main") == 1) {
        return ERROR_SUCCESS;
    }
    // synchronous=NORMAL: in WAL mode a commit survives a crash of the process; a power loss may
    // take the last commits, which is what Windows' lazily flushed registry promises too.
    return Exec(
        "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
        " PRAGMA journal_size_limit=1048576;");
}

int32_t CRegistryHive::CreateSchema() {
    if (sqlite3_db_readonly(m_pDb, "main") == 1) {
        return ERROR_ACCESS_DENIED;
    }
    int32_t err = Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; BEGIN IMMEDIATE;");
    if (err != ERROR_SUCCESS) {
        return err;
    }
    // Another process may have created the hive between our look and our lock.
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(m_pDb, "SELECT count(*) FROM sqlite_master", -1, &s, nullptr);
    int objects = rc == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int(s, 0) : -1;
    sqlite3_finalize(s);
    if (objects == 0) {
        err = Exec(kSchema);
        if (err == ERROR_SUCCESS && m_bMachine) {
            err = Exec(kMachineSeed);
        }
        if (err == ERROR_SUCCESS) {
            err = Exec("PRAGMA user_version=1");
        }
    }
    if (err == ERROR_SUCCESS) {
        err = Exec("COMMIT");
    }
    if (err != ERROR_SUCCESS) {
        sqlite3_exec(m_pDb, "ROLLBACK", nullptr, nullptr, nullptr);
        return err;
    }
    return objects == 0 ? ERROR_SUCCESS : CheckSchema();
}

int32_t CRegistryHive::PrepareAll() {
    for (int i = 0; i < kStmtCount; ++i) {
        int rc = sqlite3_prepare_v3(m_pDb, kStatements[i], -1, SQLITE_PREPARE_PERSISTENT,
                                    &m_stmts[i], nullptr);
        if (rc != SQLITE_OK) {
            return ERROR_BADDB;  // the tables are not the ones we made
        }
    }
    return ERROR_SUCCESS;
}

int32_t CRegistryHive::IsReadOnly(bool& bReadOnly) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int32_t err = Connect();
    if (err == ERROR_SUCCESS) {
        bReadOnly = sqlite3_db_readonly(m_pDb, "main") == 1;
    }
    return err;
}

int32_t CRegistryHive::BeginTxn(bool bWrite, bool& bOwn) {
    bOwn = false;
    if (m_bInBatch) {
        return ERROR_SUCCESS;  // the batch's transaction holds this write
    }
    // Writes take the write lock up front (BEGIN IMMEDIATE): a transaction that started as a
    // reader and upgrades later gets SQLITE_BUSY_SNAPSHOT without waiting when another process
    // committed in between, and that would lose a concurrent write.
    CUse s(*this, bWrite ? kBeginImmediate : kBegin);
    int32_t err = MapError(s.Step(), bWrite);
    bOwn = err == ERROR_SUCCESS;
    return err;
}

int32_t CRegistryHive::EndTxn(bool bOwn, int32_t err) {
    if (!bOwn) {
        return err;
    }
    if (err == ERROR_SUCCESS) {
        CUse c(*this, kCommit);
        err = MapError(c.Step(), true);
        if (err == ERROR_SUCCESS) {
            return err;
        }
    }
    if (!sqlite3_get_autocommit(m_pDb)) {
        CUse r(*this, kRollback);
        r.Step();
    }
    return err;
}

int32_t CRegistryHive::KeyExists(int64_t key, bool& bExists) {
    CUse s(*this, kKeyExists);
    sqlite3_bind_int64(*s, 1, key);
    int rc = s.Step();
    bExists = rc == SQLITE_ROW;
    return MapError(rc, false);
}

// After "nothing found" for key: ERROR_KEY_DELETED when the key itself is gone, else
// errIfPresent.
int32_t CRegistryHive::MissingOrDeleted(int64_t key, int32_t errIfPresent) {
    bool bExists = false;
    int32_t err = KeyExists(key, bExists);
    if (err != ERROR_SUCCESS) {
        return err;
    }
    return bExists ? errIfPresent : ERROR_KEY_DELETED;
}

int32_t CRegistryHive::FindChild(int64_t parent, std::string_view name, int64_t& id) {
    std::string folded = Fold(name);
    CUse s(*this, kFindChild);
    sqlite3_bind_int64(*s, 1, parent);
    BindBlob(*s, 2, folded);
    int rc = s.Step();
    if (rc == SQLITE_ROW) {
        id = sqlite3_column_int64(*s, 0);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : MapError(rc, false);
}

int32_t CRegistryHive::Resolve(int64_t base, const CNames& names, int64_t& id) {
    int64_t cur = base;
    for (const auto& name : names) {
        int32_t err = FindChild(cur, name, cur);
        if (err == ERROR_FILE_NOT_FOUND && cur == base) {
            return MissingOrDeleted(base, err);
        }
        if (err != ERROR_SUCCESS) {
            return err;
        }
    }
    if (names.empty()) {
        int32_t err = MissingOrDeleted(base, ERROR_SUCCESS);
        if (err != ERROR_SUCCESS) {
            return err;
        }
    }
    id = cur;
    return ERROR_SUCCESS;
}

int32_t CRegistryHive::FindPath(int64_t base, const CNames& names, int64_t& id) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int32_t err = Connect();
    if (err != ERROR_SUCCESS) {
        return err;
    }
    // One snapshot for the whole walk when it takes more than one look-up.
    bool bOwn = false;
    if (names.size() > 1) {
        err = BeginTxn(false, bOwn);
    }
    if (err == ERROR_SUCCESS) {
        err = Resolve(base, names, id);
    }
    return EndTxn(bOwn, err);
}

int32_t CRegistryHive::CreatePath(int64_t base, const CNames& names, int64_t& id, bool& bCreated) {
    int64_t cur = base;
    bool bMade = false;
    int32_t err = InWriteTxn([&] {
        int32_t e = MissingOrDeleted(base, ERROR_SUCCESS);
        for (size_t i = 0; e == ERROR_SUCCESS && i < names.size(); ++i) {
            e = FindChild(cur, names[i], cur);
            bMade = false;
            if (e == ERROR_FILE_NOT_FOUND) {
                std::string folded = Fold(names[i]);
                CUse s(*this, kInsertKey);
                sqlite3_bind_int64(*s, 1, cur);
                BindBlob(*s, 2, names[i]);
                BindBlob(*s, 3, folded);
                e = MapError(s.Step(), true);
                cur = sqlite3_last_insert_rowid(m_pDb);
                bMade = true;
            }
        }
        return e;
    });
    if (err == ERROR_SUCCESS) {
        id = cur;
        bCreated = bMade;
    }
    return err;
}

int32_t CRegistryHive::ResolveDeletable(int64_t base, const CNames& names, int64_t& id) {
    int32_t err = Resolve(base, names, id);
    // The root of a hive is not a key of its own and can never be deleted.
    return err == ERROR_SUCCESS && id == kRootId ? ERROR_ACCESS_DENIED : err;
}

int32_t CRegistryHive::DeleteKey(int64_t base, const CNames& names) {
    return InWriteTxn([&] {
        int64_t id = 0;
        int32_t err = ResolveDeletable(base, names, id);
        if (err == ERROR_SUCCESS) {
            CUse s(*this, kHasChild);
            sqlite3_bind_int64(*s, 1, id);
            int rc = s.Step();
            err = rc == SQLITE_ROW ? ERROR_ACCESS_DENIED : MapError(rc, false);
        }
        return err == ERROR_SUCCESS ? DeleteRows(id, {kDeleteKeyValues, kDeleteKey}) : err;
    });
}

int32_t CRegistryHive::DeleteTree(int64_t base, const CNames& names) {
    return InWriteTxn([&] {
        int64_t id = 0;
        int32_t err = ResolveDeletable(base, names, id);
        return err == ERROR_SUCCESS ? DeleteRows(id, {kDeleteTreeValues, kDeleteTreeKeys}) : err;
    });
}

int32_t CRegistryHive::DeleteRows(int64_t id, std::initializer_list<Stmt> statements) {
    for (Stmt st : statements) {
        CUse s(*this, st);
        sqlite3_bind_int64(*s, 1, id);
        if (int32_t err = MapError(s.Step(), true); err != ERROR_SUCCESS) {
            return err;
        }
    }
    return ERROR_SUCCESS;
}

int32_t CRegistryHive::QueryValue(int64_t key, std::string_view name, uint32_t& type,
                                  std::string& data) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int32_t err = Connect();
    if (err != ERROR_SUCCESS) {
        return err;
    }
    std::string folded = Fold(name);
    CUse s(*this, kQueryValue);
    sqlite3_bind_int64(*s, 1, key);
    BindBlob(*s, 2, folded);
    int rc = s.Step();
    if (rc == SQLITE_DONE) {
        return ERROR_KEY_DELETED;
    }
    if (rc != SQLITE_ROW) {
        return MapError(rc, false);
    }
    if (sqlite3_column_type(*s, 0) == SQLITE_NULL) {
        return ERROR_FILE_NOT_FOUND;
    }
    type = static_cast<uint32_t>(sqlite3_column_int64(*s, 0));
    data = ColumnBlob(*s, 1);
    return ERROR_SUCCESS;
}

int32_t CRegistryHive::SetValue(int64_t key, std::string_view name, uint32_t type,
                                std::string_view data) {
    return InWriteTxn([&] {
        std::string folded = Fold(name);
        CUse s(*this, kSetValue);
        sqlite3_bind_int64(*s, 1, key);
        BindBlob(*s, 2, name);
        BindBlob(*s, 3, folded);
        sqlite3_bind_int64(*s, 4, type);
        BindBlob(*s, 5, data);
        int32_t err = MapError(s.Step(), true);
        return err == ERROR_SUCCESS && sqlite3_changes(m_pDb) == 0 ? ERROR_KEY_DELETED : err;
    });
}

int32_t CRegistryHive::DeleteValue(int64_t key, std::string_view name) {
    return InWriteTxn([&] {
        std::string folded = Fold(name);
        CUse s(*this, kDeleteValue);
        sqlite3_bind_int64(*s, 1, key);
        BindBlob(*s, 2, folded);
        int32_t err = MapError(s.Step(), true);
        if (err == ERROR_SUCCESS && sqlite3_changes(m_pDb) == 0) {
            err = MissingOrDeleted(key, ERROR_FILE_NOT_FOUND);
        }
        return err;
    });
}

int32_t CRegistryHive::EnumKey(int64_t key, uint32_t index, std::string& strName) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int32_t err = Connect();
    if (err != ERROR_SUCCESS) {
        return err;
    }
    CUse s(*this, kEnumKey);
    sqlite3_bind_int64(*s, 1, key);
    sqlite3_bind_int64(*s, 2, index);
    int rc = s.Step();
    if (rc == SQLITE_ROW) {
        strName = ColumnBlob(*s, 0);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? MissingOrDeleted(key, ERROR_NO_MORE_ITEMS) : MapError(rc, false);
}

int32_t CRegistryHive::EnumValue(int64_t key, uint32_t index, CRegValueData& value) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int32_t err = Connect();
    if (err != ERROR_SUCCESS) {
        return err;
    }
    CUse s(*this, kEnumValue);
    sqlite3_bind_int64(*s, 1, key);
    sqlite3_bind_int64(*s, 2, index);
    int rc = s.Step();
    if (rc == SQLITE_ROW) {
        value.m_strName = ColumnBlob(*s, 0);
        value.m_dwType = static_cast<uint32_t>(sqlite3_column_int64(*s, 1));
        value.m_data = ColumnBlob(*s, 2);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? MissingOrDeleted(key, ERROR_NO_MORE_ITEMS) : MapError(rc, false);
}

int32_t CRegistryHive::QueryInfo(int64_t key, CRegKeyInfo& info) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int32_t err = Connect();
    if (err != ERROR_SUCCESS) {
        return err;
    }
    CUse s(*this, kQueryInfo);
    sqlite3_bind_int64(*s, 1, key);
    int rc = s.Step();
    if (rc == SQLITE_DONE) {
        return ERROR_KEY_DELETED;
    }
    if (rc != SQLITE_ROW) {
        return MapError(rc, false);
    }
    auto col = [&](int i) { return static_cast<uint32_t>(sqlite3_column_int64(*s, i)); };
    info = {col(0), col(1), col(2), col(3), col(4)};
    return ERROR_SUCCESS;
}

int32_t CRegistryHive::BeginBatch() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int32_t err = Connect();
    if (err != ERROR_SUCCESS || m_bInBatch) {
        return err;
    }
    CUse s(*this, kBeginImmediate);
    err = MapError(s.Step(), true);
    m_bInBatch = err == ERROR_SUCCESS;
    return err;
}

int32_t CRegistryHive::Flush() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (int32_t err = Connect(); err != ERROR_SUCCESS) {
        return err;
    }
    // A commit lies in the write-ahead log, synced only before the log is copied into the hive
    // file (synchronous=NORMAL); syncing the log now keeps every commit through a power loss.
    sqlite3_file* pLog = nullptr;
    if (sqlite3_file_control(m_pDb, "main", SQLITE_FCNTL_JOURNAL_POINTER, &pLog) != SQLITE_OK ||
        pLog == nullptr || pLog->pMethods == nullptr) {
        return ERROR_SUCCESS;  // no log open: every commit is in the hive file already
    }
    return MapError(pLog->pMethods->xSync(pLog, SQLITE_SYNC_NORMAL), true);
}

int32_t CRegistryHive::EndBatch(bool bCommit) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!m_bInBatch || !m_pDb) {
        return ERROR_SUCCESS;
    }
    m_bInBatch = false;
    if (sqlite3_get_autocommit(m_pDb)) {
        // SQLite already rolled the transaction back after an I/O error.
        return bCommit ? ERROR_CANTWRITE : ERROR_SUCCESS;
    }
    if (!bCommit) {
        CUse r(*this, kRollback);
        r.Step();
        return ERROR_SUCCESS;
    }
    return EndTxn(true, ERROR_SUCCESS);
}

}  // namespace tq
