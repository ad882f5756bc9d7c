#include "manager/ProductRegKey.h"

#include <cstring>
#include <ctime>
#include <mutex>

#include "controlfile/NameRules.h"
#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

constexpr const char* kGroupSetKey = "GroupSet";
constexpr const char* kPendingGroupIdsKey = "GroupSet\\Pending";
constexpr const char* kTreeValue = "Tree";
constexpr const char* kNextUniqueIdValue = "NextUniqueID";

struct CLocalTime {
    int m_nYear, m_nMonth, m_nDay, m_nHour, m_nMinute, m_nSecond;
};

CLocalTime GetLocalTime() {
    // std::localtime hands out one shared record; the lock keeps two resets of this module
    // from reading each other's.
    static std::mutex s_mutex;
    std::lock_guard<std::mutex> lock(s_mutex);
    const std::time_t now = std::time(nullptr);
    const std::tm* tm = std::localtime(&now);
    if (tm == nullptr) {
        return CLocalTime{1970, 1, 1, 0, 0, 0};
    }
    return CLocalTime{tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday,
                      tm->tm_hour,        tm->tm_min,     tm->tm_sec};
}

// The ids by group number, then the next id; the first failure ends the writing.
int32_t SetIds(CRegKey& key, const std::map<uint32_t, uint32_t>& ids, uint32_t dwNext) {
    for (const auto& [n, id] : ids) {
        if (const int32_t rc = key.SetDword(std::to_string(n), id); rc != ERROR_SUCCESS) {
            return rc;
        }
    }
    return key.SetDword(kNextUniqueIdValue, dwNext);
}

}  // namespace

int32_t CProductRegKey::Open(const std::string& strPath) {
    m_strKeyPath.clear();
    CRegKey key;
    const int32_t rc = key.Open(m_hRoot, strPath, KEY_READ);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    m_strKeyPath = strPath;
    AppendBackslash(m_strKeyPath);
    return ERROR_SUCCESS;
}

std::string CProductRegKey::SubKeyPath(const std::string& strSubKey) const {
    if (strSubKey.empty()) {
        // The key itself: its path without the trailing backslash.
        return m_strKeyPath.substr(0, m_strKeyPath.size() - 1);
    }
    return m_strKeyPath + strSubKey;
}

int32_t CProductRegKey::OpenSubKey(const std::string& strSubKey, uint32_t access,
                                   CRegKey& key) const {
    if (m_strKeyPath.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    return key.Open(m_hRoot, SubKeyPath(strSubKey), access);
}

int32_t CProductRegKey::CreateSubKey(const std::string& strSubKey, CRegKey& key) const {
    if (m_strKeyPath.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    return key.Create(m_hRoot, SubKeyPath(strSubKey), KEY_WRITE);
}

int32_t CProductRegKey::GetDWORD(const std::string& strSubKey, const std::string& strName,
                                 uint32_t& value) const {
    CRegKey key;
    int32_t rc = OpenSubKey(strSubKey, KEY_READ, key);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    // Any type is read as long as its data fits the four bytes; shorter data leaves the upper
    // bytes zero.
    uint8_t data[4] = {};
    uint32_t cbData = sizeof(data);
    rc = key.QueryValue(strName, nullptr, data, &cbData);
    if (rc == ERROR_SUCCESS) {
        std::memcpy(&value, data, sizeof(value));
    }
    return rc;
}

int32_t CProductRegKey::GetString(const std::string& strSubKey, const std::string& strName,
                                  std::string& value) const {
    CRegKey key;
    int32_t rc = OpenSubKey(strSubKey, KEY_READ, key);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    uint32_t cbData = 0;
    rc = key.QueryValue(strName, nullptr, nullptr, &cbData);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    std::string data(cbData, '\0');
    rc = key.QueryValue(strName, nullptr, reinterpret_cast<uint8_t*>(data.data()), &cbData);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    // The text ends at the bytes read, or earlier at its terminating zero.
    data.resize(cbData);
    value.assign(data.c_str());
    return ERROR_SUCCESS;
}

int32_t CProductRegKey::GetValueType(const std::string& strSubKey, const std::string& strName,
                                     uint32_t& type) const {
    CRegKey key;
    const int32_t rc = OpenSubKey(strSubKey, KEY_READ, key);
    uint32_t cbData = 0;
    return rc != ERROR_SUCCESS ? rc : key.QueryValue(strName, &type, nullptr, &cbData);
}

int32_t CProductRegKey::SetDWORD(const std::string& strSubKey, const std::string& strName,
                                 uint32_t value) {
    CRegKey key;
    const int32_t rc = CreateSubKey(strSubKey, key);
    return rc != ERROR_SUCCESS ? rc : key.SetDword(strName, value);
}

int32_t CProductRegKey::SetString(const std::string& strSubKey, const std::string& strName,
                                  const std::string& value) {
    CRegKey key;
    const int32_t rc = CreateSubKey(strSubKey, key);
    return rc != ERROR_SUCCESS ? rc : key.SetString(strName, value);
}

int32_t CProductRegKey::Flush() const {
    CRegKey key;
    const int32_t rc = OpenSubKey("", KEY_QUERY_VALUE, key);
    return rc != ERROR_SUCCESS ? rc : key.Flush();
}

int32_t CProductRegKey::DeleteTree(const std::string& strSubKey) {
    if (m_strKeyPath.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    CRegKey key;
    if (OpenSubKey(strSubKey, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key) == ERROR_SUCCESS) {
        uint32_t count = 0;
        if (key.QueryInfo(&count, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            count = 0;
        }
        // The last subkey first, so that the indexes still to come stay valid. The count goes
        // down even when a subkey could not be deleted, so the walk always ends.
        for (; count > 0; --count) {
            std::string strName;
            if (key.EnumKey(count - 1, strName) != ERROR_SUCCESS) {
                break;
            }
            DeleteTree(strSubKey.empty() ? strName : strSubKey + "\\" + strName);
        }
        key.Close();
    }
    return RegDeleteKey(m_hRoot, SubKeyPath(strSubKey));
}

bool CProductRegKey::CheckWriteAccess() {
    CRegKey key;
    return OpenSubKey("Builder", KEY_SET_VALUE | KEY_CREATE_SUB_KEY, key) == ERROR_SUCCESS &&
           key.SetDword("AccessCheck", 0) == ERROR_SUCCESS &&
           key.DeleteValue("AccessCheck") == ERROR_SUCCESS;
}

int32_t CProductRegKey::GetGroupSetDWORD(uint32_t n, uint32_t& value) const {
    return GetDWORD(kGroupSetKey, std::to_string(n), value);
}

int32_t CProductRegKey::GetNextUniqueID(uint32_t& value) const {
    return GetDWORD(kGroupSetKey, kNextUniqueIdValue, value);
}

int32_t CProductRegKey::DeleteGroupSet() {
    return DeleteTree(kGroupSetKey);
}

// Every id through one open key: a save writes thousands of them.
int32_t CProductRegKey::SetGroupSet(const std::map<uint32_t, uint32_t>& ids, uint32_t dwNext) {
    CRegKey key;
    const int32_t rc = CreateSubKey(kGroupSetKey, key);
    return rc != ERROR_SUCCESS ? rc : SetIds(key, ids, dwNext);
}

int32_t CProductRegKey::SetPendingGroupIds(const std::string& strTree,
                                           const std::map<uint32_t, uint32_t>& ids,
                                           uint32_t dwNext) {
    CRegistryBatch batch;
    CRegKey key;
    int32_t rc = CreateSubKey(kPendingGroupIdsKey, key);
    if (rc == ERROR_SUCCESS) {
        rc = key.SetString(kTreeValue, strTree);
    }
    if (rc == ERROR_SUCCESS) {
        rc = SetIds(key, ids, dwNext);
    }
    key.Close();
    return rc == ERROR_SUCCESS ? batch.Commit() : rc;
}

int32_t CProductRegKey::GetPendingGroupIds(std::string& strTree, std::map<uint32_t, uint32_t>& ids,
                                           uint32_t& dwNext) const {
    CRegKey key;
    if (const int32_t rc = OpenSubKey(kPendingGroupIdsKey, KEY_READ, key); rc != ERROR_SUCCESS) {
        return rc;
    }
    std::string strName;
    std::string data;
    uint32_t type = 0;
    for (uint32_t i = 0; key.EnumValue(i, strName, type, data) == ERROR_SUCCESS; ++i) {
        if (EqualsNoCase(strName, kTreeValue) && type == REG_SZ) {
            strTree = data.substr(0, data.find('\0'));
            continue;
        }
        if (type != REG_DWORD || data.size() != 4) {
            continue;
        }
        uint32_t value = 0;
        std::memcpy(&value, data.data(), 4);
        if (EqualsNoCase(strName, kNextUniqueIdValue)) {
            dwNext = value;
        } else if (!strName.empty() && strName.size() <= 5 &&
                   strName.find_first_not_of("0123456789") == std::string::npos) {
            ids[static_cast<uint32_t>(std::stoul(strName))] = value;
        }
    }
    return ERROR_SUCCESS;
}

bool CProductRegKey::IsCustomizeEnabled() const {
    uint32_t value = 0;
    return GetDWORD("USER\\AddTarget", "Customize", value) == ERROR_SUCCESS && value != 0;
}

bool CProductRegKey::GetProductName(std::string& strName) const {
    return GetString(std::string(), "ProductName", strName) == ERROR_SUCCESS;
}

int32_t CProductRegKey::ResetBuilderRequest() {
    // Whatever was left of the group ids and the pending requests goes; the builder then
    // rebuilds everything from the control file ("<REG>").
    DeleteGroupSet();
    DeleteTree("Builder\\Request");
    int32_t rc = SetDWORD("Builder\\Request", "<REG>", 1);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    const CLocalTime now = GetLocalTime();
    const auto date = static_cast<uint32_t>((now.m_nYear * 100 + now.m_nMonth) * 100 + now.m_nDay);
    const auto time =
        static_cast<uint32_t>((now.m_nHour * 100 + now.m_nMinute) * 100 + now.m_nSecond);
    rc = SetDWORD("Builder\\GroupSet", "ResetDate", date);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    return SetDWORD("Builder\\GroupSet", "ResetTime", time);
}

}  // namespace tq
