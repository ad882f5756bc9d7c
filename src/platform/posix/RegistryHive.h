// One registry hive: a SQLite database file of the prefix (registry/machine.db, user.db,
// users.db) and the process's one connection to it.
//
// Layout of a hive file (user_version 1):
//   keys(id, parent, name, folded)   one row per key; the hive's root key has id 1, parent 0.
//                                    folded = the name with ASCII letters in upper case (double-
//                                    byte characters untouched); unique per parent, so the
//                                    lookup of a child and the alphabetical enumeration ignoring
//                                    case both run on the (parent, folded) index.
//   vals(key, name, folded, type, data)   one row per value, primary key (key, folded).
// Names and data are BLOBs so that code page 932 bytes are kept and compared exactly.
// Key ids are AUTOINCREMENT, never reused, so an open handle of a deleted key can tell that its
// key is gone (ERROR_KEY_DELETED) instead of silently landing on a newer key.
//
// Every operation locks the hive's mutex, opens the connection when needed, and runs as its own
// transaction unless the calling thread has a CRegistryBatch open on this hive. Errors are Win32
// numbers.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Win32Error.h"

namespace tq {

// A value as stored.
struct CRegValueData {
    std::string m_strName;
    uint32_t m_dwType = 0;
    std::string m_data;
};

// What RegQueryInfoKey reports.
struct CRegKeyInfo {
    uint32_t m_nSubKeys = 0;
    uint32_t m_nMaxSubKeyLen = 0;
    uint32_t m_nValues = 0;
    uint32_t m_nMaxValueNameLen = 0;
    uint32_t m_nMaxValueLen = 0;
};

class CRegistryHive {
public:
    static constexpr int64_t kRootId = 1;

    // strPath: the Linux path of the hive file. bMachine: a new file gets the machine hive's seed
    // (SOFTWARE\Classes and the Program Files folder).
    CRegistryHive(std::string strPath, bool bMachine);
    ~CRegistryHive();
    CRegistryHive(const CRegistryHive&) = delete;
    CRegistryHive& operator=(const CRegistryHive&) = delete;

    const std::string& GetPath() const { return m_strPath; }

    // Closes the connection for good (the prefix changed); later calls give ERROR_INVALID_HANDLE.
    void Retire();
    // Whether the hive file can only be read by this process (connects when needed).
    int32_t IsReadOnly(bool& bReadOnly);

    // Names are compared folded (see Fold). Paths are lists of key names below a base key.
    using CNames = std::vector<std::string>;
    static std::string Fold(std::string_view name);

    // Follows names down from base. ERROR_FILE_NOT_FOUND when a key is missing,
    // ERROR_KEY_DELETED when base itself is gone.
    int32_t FindPath(int64_t base, const CNames& names, int64_t& id);
    // Creates the missing keys along names below base, in one transaction; bCreated tells
    // whether the last key was made.
    int32_t CreatePath(int64_t base, const CNames& names, int64_t& id, bool& bCreated);
    // Deletes the key at names below base; ERROR_ACCESS_DENIED while it has subkeys or when it is
    // the hive's root.
    int32_t DeleteKey(int64_t base, const CNames& names);
    // Deletes the key at names below base with every key and value under it.
    int32_t DeleteTree(int64_t base, const CNames& names);

    // ERROR_FILE_NOT_FOUND when the value is missing; data and type only changed on success.
    int32_t QueryValue(int64_t key, std::string_view name, uint32_t& type, std::string& data);
    int32_t SetValue(int64_t key, std::string_view name, uint32_t type, std::string_view data);
    int32_t DeleteValue(int64_t key, std::string_view name);
    int32_t EnumKey(int64_t key, uint32_t index, std::string& strName);
    int32_t EnumValue(int64_t key, uint32_t index, CRegValueData& value);
    int32_t QueryInfo(int64_t key, CRegKeyInfo& info);

    // Transactions of a batch (see CRegistryBatch): the caller holds GetMutex() from BeginBatch
    // until EndBatch.
    std::recursive_mutex& GetMutex() { return m_mutex; }
    int32_t BeginBatch();
    int32_t EndBatch(bool bCommit);
    // Puts the commits made so far on the disk (see CRegKey::Flush).
    int32_t Flush();

private:
    class CUse;
    enum Stmt : int {
        kFindChild,
        kKeyExists,
        kInsertKey,
        kHasChild,
        kDeleteKeyValues,
        kDeleteKey,
        kDeleteTreeValues,
        kDeleteTreeKeys,
        kQueryValue,
        kSetValue,
        kDeleteValue,
        kEnumKey,
        kEnumValue,
        kQueryInfo,
        kBegin,
        kBeginImmediate,
        kCommit,
        kRollback,
        kStmtCount
    };

    int32_t Connect();
    int32_t CheckSchemaPatiently();
    int32_t CheckSchema();
    int32_t CreateSchema();
    int32_t PrepareAll();
    void Disconnect();
    int32_t Exec(const char* pszSql);
    int32_t KeyExists(int64_t key, bool& bExists);
    int32_t FindChild(int64_t parent, std::string_view name, int64_t& id);
    int32_t Resolve(int64_t base, const CNames& names, int64_t& id);
    int32_t MissingOrDeleted(int64_t key, int32_t errIfPresent);
    int32_t BeginTxn(bool bWrite, bool& bOwn);
    // Runs fn under the hive's lock inside a write transaction of its own, or inside the open
    // batch's transaction; fn's error rolls the transaction back.
    template <typename Fn>
    int32_t InWriteTxn(Fn&& fn) {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        int32_t err = Connect();
        bool bOwn = false;
        if (err == ERROR_SUCCESS) {
            err = BeginTxn(true, bOwn);
        }
        if (err == ERROR_SUCCESS) {
            err = fn();
        }
        return EndTxn(bOwn, err);
    }
    int32_t ResolveDeletable(int64_t base, const CNames& names, int64_t& id);
    int32_t DeleteRows(int64_t id, std::initializer_list<Stmt> statements);
    int32_t EndTxn(bool bOwn, int32_t err);
    int32_t MapError(int rc, bool bWrite) const;

    std::string m_strPath;
    bool m_bMachine;
    bool m_bRetired = false;
    bool m_bInBatch = false;
    sqlite3* m_pDb = nullptr;
    sqlite3_stmt* m_stmts[kStmtCount] = {};
    std::recursive_mutex m_mutex;
};

}  // namespace tq
