#include "platform/Registry.h"

#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/Cp932.h"
#include "platform/Faults.h"
#include "platform/Win32Error.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/RegistryHive.h"

namespace tq {

// An open key: the hive it lives in and its row id there.
class CRegistryKeyImpl {
public:
    std::shared_ptr<CRegistryHive> m_pHive;
    int64_t m_id = 0;
    uint32_t m_access = 0;
    bool m_bPredefinedRoot = false;  // the key a predefined HKEY stands for
};

namespace {

using CNames = CRegistryHive::CNames;

enum HiveKind { kMachine, kUser, kUsers, kHiveCount };
const char* const kHiveFiles[kHiveCount] = {"/machine.db", "/user.db", "/users.db"};

// Access rights that change a key; a key of a read-only hive cannot be opened with them.
constexpr uint32_t kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | 0x00010000u /*DELETE*/;

struct CHiveTable {
    std::mutex m_mutex;
    std::shared_ptr<CRegistryHive> m_hives[kHiveCount];
};

CHiveTable& Hives() {
    static CHiveTable s_table;
    return s_table;
}

// The prefix changed: every connection goes, and keys still open on the old hives answer
// ERROR_INVALID_HANDLE from now on.
void DropHives() {
    std::shared_ptr<CRegistryHive> old[kHiveCount];
    {
        std::lock_guard<std::mutex> lock(Hives().m_mutex);
        for (int i = 0; i < kHiveCount; ++i) {
            old[i] = std::move(Hives().m_hives[i]);
        }
    }
    for (auto& hive : old) {
        if (hive) {
            hive->Retire();
        }
    }
}

std::shared_ptr<CRegistryHive> GetHive(HiveKind kind) {
    static std::once_flag s_hook;
    std::call_once(s_hook, [] { RegisterPrefixChangedHook(&DropHives); });
    std::lock_guard<std::mutex> lock(Hives().m_mutex);
    auto& hive = Hives().m_hives[kind];
    if (!hive) {
        hive = std::make_shared<CRegistryHive>(
            CPrefix::Current().GetRegistryDir() + kHiveFiles[kind], kind == kMachine);
    }
    return hive;
}

// Where a predefined key lives: its hive and its path from the hive's root.
bool MapRoot(HKEY root, HiveKind& kind, CNames& names) {
    names.clear();
    switch (root) {
        case HKEY_LOCAL_MACHINE:
            kind = kMachine;
            return true;
        case HKEY_CLASSES_ROOT:
            kind = kMachine;
            names = {"SOFTWARE", "Classes"};
            return true;
        case HKEY_CURRENT_USER:
            kind = kUser;
            return true;
        case HKEY_USERS:
            kind = kUsers;
            return true;
    }
    return false;
}

int32_t CheckName(std::string_view name, size_t maxLen) {
    return name.size() > maxLen || !IsWellFormedCp932(name) ? ERROR_INVALID_PARAMETER
                                                            : ERROR_SUCCESS;
}

// Splits a subkey path into its key names (see the rules in Registry.h).
int32_t SplitKeyPath(std::string_view path, CNames& names) {
    names.clear();
    if (!IsWellFormedCp932(path)) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!path.empty() && path[0] == '\\') {
        return ERROR_BAD_PATHNAME;
    }
    size_t pos = 0;
    bool bEmptySeen = false;
    while (pos < path.size()) {
        size_t end = FindChar(path, '\\', pos);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        std::string_view part = path.substr(pos, end - pos);
        if (part.empty()) {
            bEmptySeen = true;  // fine only when nothing but separators follows
        } else if (bEmptySeen) {
            return ERROR_BAD_PATHNAME;
        } else if (CharCount(part) > MAX_KEY_NAME) {
            return ERROR_INVALID_PARAMETER;
        } else {
            names.emplace_back(part);
        }
        pos = end + 1;
    }
    return ERROR_SUCCESS;
}

// The batch of this thread: the hives it holds, each with its lock and open transaction.
struct CBatchState {
    int m_nDepth = 1;
    bool m_bAbandoned = false;  // an inner batch was dropped without Commit
    std::vector<std::pair<std::shared_ptr<CRegistryHive>, std::unique_lock<std::recursive_mutex>>>
        m_joined;
};
thread_local CBatchState* t_pBatch = nullptr;

// Before a write: puts the hive into this thread's batch when one is open.
int32_t JoinBatch(const std::shared_ptr<CRegistryHive>& hive) {
    if (!t_pBatch) {
        return ERROR_SUCCESS;
    }
    for (auto& joined : t_pBatch->m_joined) {
        if (joined.first == hive) {
            return ERROR_SUCCESS;
        }
    }
    std::unique_lock<std::recursive_mutex> lock(hive->GetMutex());
    int32_t err = hive->BeginBatch();
    if (err == ERROR_SUCCESS) {
        t_pBatch->m_joined.emplace_back(hive, std::move(lock));
    }
    return err;
}

// The common start of every write: fault injection, then the batch.
int32_t BeforeWrite(const std::shared_ptr<CRegistryHive>& hive, const char* op) {
    int32_t err = RunFaultHook(op, {});
    return err != ERROR_SUCCESS ? err : JoinBatch(hive);
}

int32_t EndBatch(CBatchState& state, bool bCommit) {
    int32_t first = ERROR_SUCCESS;
    for (auto& joined : state.m_joined) {
        int32_t err = joined.first->EndBatch(bCommit && first == ERROR_SUCCESS);
        if (first == ERROR_SUCCESS) {
            first = err;
        }
    }
    state.m_joined.clear();
    return first;
}

// Resolves a root-relative path; the hive and the id of the key.
int32_t OpenFromRoot(HKEY root, const std::string& strSubKey, std::shared_ptr<CRegistryHive>& hive,
                     CNames& rootNames, CNames& names) {
    HiveKind kind;
    if (!MapRoot(root, kind, rootNames)) {
        return ERROR_INVALID_HANDLE;
    }
    int32_t err = SplitKeyPath(strSubKey, names);
    if (err == ERROR_SUCCESS) {
        hive = GetHive(kind);
    }
    return err;
}

CNames Concat(CNames a, const CNames& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

CRegKey::CRegKey() = default;
CRegKey::~CRegKey() = default;
CRegKey::CRegKey(CRegKey&&) noexcept = default;
CRegKey& CRegKey::operator=(CRegKey&&) noexcept = default;

void CRegKey::Close() {
    m_pImpl.reset();
}

bool CRegKey::IsOpen() const {
    return m_pImpl != nullptr;
}

// Checks the handle and the access right an operation needs.
int32_t CRegKey::CheckAccess(uint32_t right) const {
    if (!m_pImpl) {
        return ERROR_INVALID_HANDLE;
    }
    return (m_pImpl->m_access & right) != 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

namespace {

// Makes the handle of a found key, refusing write access to a read-only hive.
int32_t MakeKey(std::shared_ptr<CRegistryHive> hive, int64_t id, uint32_t access, bool bRoot,
                std::unique_ptr<CRegistryKeyImpl>& out) {
    if (access & kWriteAccess) {
        bool bReadOnly = false;
        int32_t err = hive->IsReadOnly(bReadOnly);
        if (err != ERROR_SUCCESS) {
            return err;
        }
        if (bReadOnly) {
            return ERROR_ACCESS_DENIED;
        }
    }
    auto impl = std::make_unique<CRegistryKeyImpl>();
    impl->m_pHive = std::move(hive);
    impl->m_id = id;
    impl->m_access = access;
    impl->m_bPredefinedRoot = bRoot;
    out = std::move(impl);
    return ERROR_SUCCESS;
}

}  // namespace

int32_t CRegKey::Open(HKEY root, const std::string& strSubKey, uint32_t access) {
    std::shared_ptr<CRegistryHive> hive;
    CNames rootNames, names;
    int32_t err = OpenFromRoot(root, strSubKey, hive, rootNames, names);
    int64_t id = 0;
    if (err == ERROR_SUCCESS) {
        err = hive->FindPath(CRegistryHive::kRootId, Concat(rootNames, names), id);
    }
    if (err == ERROR_SUCCESS) {
        err = MakeKey(hive, id, access, names.empty(), m_pImpl);
    }
    return err;
}

int32_t CRegKey::Open(const CRegKey& parent, const std::string& strSubKey, uint32_t access) {
    if (!parent.m_pImpl) {
        return ERROR_INVALID_HANDLE;
    }
    CNames names;
    int32_t err = SplitKeyPath(strSubKey, names);
    auto hive = parent.m_pImpl->m_pHive;
    int64_t id = 0;
    if (err == ERROR_SUCCESS) {
        err = hive->FindPath(parent.m_pImpl->m_id, names, id);
    }
    if (err == ERROR_SUCCESS) {
        err =
            MakeKey(hive, id, access, parent.m_pImpl->m_bPredefinedRoot && names.empty(), m_pImpl);
    }
    return err;
}

int32_t CRegKey::Create(HKEY root, const std::string& strSubKey, uint32_t access,
                        uint32_t* pDisposition) {
    std::shared_ptr<CRegistryHive> hive;
    CNames rootNames, names;
    int32_t err = OpenFromRoot(root, strSubKey, hive, rootNames, names);
    if (err != ERROR_SUCCESS) {
        return err;
    }
    CNames path = Concat(rootNames, names);
    int64_t id = 0;
    bool bCreated = false;
    // An existing key is only opened, so a read-only hive still answers with it.
    err = hive->FindPath(CRegistryHive::kRootId, path, id);
    if (err == ERROR_FILE_NOT_FOUND) {
        err = BeforeWrite(hive, "reg-create");
        if (err == ERROR_SUCCESS) {
            err = hive->CreatePath(CRegistryHive::kRootId, path, id, bCreated);
        }
    }
    if (err == ERROR_SUCCESS) {
        err = MakeKey(hive, id, access, names.empty(), m_pImpl);
    }
    if (err == ERROR_SUCCESS && pDisposition) {
        *pDisposition = bCreated ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return err;
}

int32_t CRegKey::QueryValue(const std::string& strName, uint32_t& type, std::string& data) const {
    if (int32_t err = CheckAccess(KEY_QUERY_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    int32_t err = CheckName(strName, MAX_VALUE_NAME);
    if (err == ERROR_INVALID_PARAMETER && strName.size() > MAX_VALUE_NAME) {
        return ERROR_FILE_NOT_FOUND;  // no value can have such a name
    }
    return err != ERROR_SUCCESS ? err
                                : m_pImpl->m_pHive->QueryValue(m_pImpl->m_id, strName, type, data);
}

int32_t CRegKey::SetValue(const std::string& strName, uint32_t type, const void* pData,
                          uint32_t cbData) {
    if (int32_t err = CheckAccess(KEY_SET_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    if (!pData && cbData > 0) {
        return ERROR_NOACCESS;  // the system's answer: no bytes can be read from no buffer
    }
    int32_t err = CheckName(strName, MAX_VALUE_NAME);
    if (err == ERROR_SUCCESS) {
        err = BeforeWrite(m_pImpl->m_pHive, "reg-set");
    }
    if (err == ERROR_SUCCESS) {
        std::string_view data(static_cast<const char*>(pData), pData ? cbData : 0);
        err = m_pImpl->m_pHive->SetValue(m_pImpl->m_id, strName, type, data);
    }
    return err;
}

int32_t CRegKey::DeleteValue(const std::string& strName) {
    if (int32_t err = CheckAccess(KEY_SET_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    int32_t err = CheckName(strName, MAX_VALUE_NAME);
    if (err == ERROR_SUCCESS) {
        err = BeforeWrite(m_pImpl->m_pHive, "reg-delete-value");
    }
    return err != ERROR_SUCCESS ? err : m_pImpl->m_pHive->DeleteValue(m_pImpl->m_id, strName);
}

int32_t CRegKey::Flush() const {
    if (!m_pImpl) {
        return ERROR_INVALID_HANDLE;
    }
    const int32_t err = RunFaultHook("reg-flush", {});
    return err != ERROR_SUCCESS ? err : m_pImpl->m_pHive->Flush();
}

int32_t CRegKey::DeleteSubKey(const std::string& strSubKey) {
    if (!m_pImpl) {
        return ERROR_INVALID_HANDLE;
    }
    CNames names;
    int32_t err = SplitKeyPath(strSubKey, names);
    if (err == ERROR_SUCCESS && names.empty() && m_pImpl->m_bPredefinedRoot) {
        err = ERROR_ACCESS_DENIED;
    }
    if (err == ERROR_SUCCESS) {
        err = BeforeWrite(m_pImpl->m_pHive, "reg-delete-key");
    }
    return err != ERROR_SUCCESS ? err : m_pImpl->m_pHive->DeleteKey(m_pImpl->m_id, names);
}

int32_t CRegKey::EnumKey(uint32_t index, std::string& strName) const {
    if (int32_t err = CheckAccess(KEY_ENUMERATE_SUB_KEYS); err != ERROR_SUCCESS) {
        return err;
    }
    return m_pImpl->m_pHive->EnumKey(m_pImpl->m_id, index, strName);
}

int32_t CRegKey::EnumValue(uint32_t index, std::string& strName, uint32_t& type,
                           std::string& data) const {
    if (int32_t err = CheckAccess(KEY_QUERY_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    CRegValueData value;
    int32_t err = m_pImpl->m_pHive->EnumValue(m_pImpl->m_id, index, value);
    if (err == ERROR_SUCCESS) {
        strName = std::move(value.m_strName);
        type = value.m_dwType;
        data = std::move(value.m_data);
    }
    return err;
}

int32_t CRegKey::QueryInfo(uint32_t* pSubKeys, uint32_t* pMaxSubKeyLen, uint32_t* pValues,
                           uint32_t* pMaxValueNameLen, uint32_t* pMaxValueLen) const {
    if (int32_t err = CheckAccess(KEY_QUERY_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    CRegKeyInfo info;
    int32_t err = m_pImpl->m_pHive->QueryInfo(m_pImpl->m_id, info);
    if (err != ERROR_SUCCESS) {
        return err;
    }
    for (auto [p, v] :
         {std::pair{pSubKeys, info.m_nSubKeys}, std::pair{pMaxSubKeyLen, info.m_nMaxSubKeyLen},
          std::pair{pValues, info.m_nValues}, std::pair{pMaxValueNameLen, info.m_nMaxValueNameLen},
          std::pair{pMaxValueLen, info.m_nMaxValueLen}}) {
        if (p) {
            *p = v;
        }
    }
    return ERROR_SUCCESS;
}

int32_t RegDeleteKey(HKEY root, const std::string& strSubKey) {
    CRegKey key;
    int32_t err = key.Open(root, "", 0);
    return err != ERROR_SUCCESS ? err : key.DeleteSubKey(strSubKey);
}

int32_t RegDeleteTree(HKEY root, const std::string& strSubKey) {
    std::shared_ptr<CRegistryHive> hive;
    CNames rootNames, names;
    int32_t err = OpenFromRoot(root, strSubKey, hive, rootNames, names);
    if (err == ERROR_SUCCESS && names.empty()) {
        err = ERROR_ACCESS_DENIED;  // a predefined root stays
    }
    if (err == ERROR_SUCCESS) {
        err = BeforeWrite(hive, "reg-delete-key");
    }
    return err != ERROR_SUCCESS
               ? err
               : hive->DeleteTree(CRegistryHive::kRootId, Concat(rootNames, names));
}

CRegistryBatch::CRegistryBatch() {
    if (t_pBatch) {
        ++t_pBatch->m_nDepth;
    } else {
        t_pBatch = new CBatchState;
        m_bOuter = true;
    }
}

CRegistryBatch::~CRegistryBatch() {
    if (!t_pBatch) {
        return;
    }
    if (!m_bOuter) {
        t_pBatch->m_bAbandoned |= !m_bDone;
        --t_pBatch->m_nDepth;
        return;
    }
    if (!m_bDone) {
        EndBatch(*t_pBatch, false);
    }
    delete t_pBatch;
    t_pBatch = nullptr;
}

int32_t CRegistryBatch::Commit() {
    if (m_bDone || !t_pBatch) {
        return ERROR_INVALID_HANDLE;
    }
    m_bDone = true;
    if (!m_bOuter) {
        return ERROR_SUCCESS;  // the outer batch commits
    }
    if (t_pBatch->m_bAbandoned) {
        EndBatch(*t_pBatch, false);
        return ERROR_CANTWRITE;
    }
    return EndBatch(*t_pBatch, true);
}

}  // namespace tq
