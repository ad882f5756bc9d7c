#include "browse/SettingsRegKey.h"

#include <vector>

#include "platform/Win32Error.h"

namespace tq {

CSettingsRegKey::CSettingsRegKey(const std::string& strPath, HKEY root)
    : m_strPath(strPath), m_hRoot(root) {}

bool CSettingsRegKey::OpenSubKey(const std::string& strSubKey, uint32_t access, bool bCreate,
                                 CRegKey& key) const {
    if (m_strPath.size() > kSettingsKeyPathMax) {
        return false;
    }
    std::string strKeyPath = strSubKey.empty() ? m_strPath : m_strPath + "\\" + strSubKey;
    if (key.Open(m_hRoot, strKeyPath, access) == ERROR_SUCCESS) {
        return true;
    }
    return bCreate && key.Create(m_hRoot, strKeyPath, access) == ERROR_SUCCESS;
}

int32_t CSettingsRegKey::ReadString(const std::string& strSubKey, const std::string& strValueName,
                                    std::string& strValue) const {
    strValue.clear();
    CRegKey key;
    if (!OpenSubKey(strSubKey, KEY_READ, false, key)) {
        return -1;
    }
    // A buffer as large as the key's longest value data, and one byte more for the NUL that
    // ends the text even when the stored data has none.
    uint32_t cbMaxValue = 0;
    if (key.QueryInfo(nullptr, nullptr, nullptr, nullptr, &cbMaxValue) != ERROR_SUCCESS) {
        return -1;
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(cbMaxValue) + 1, 0);
    uint32_t cbData = cbMaxValue;
    uint32_t type = REG_NONE;
    if (key.QueryValue(strValueName, &type, buffer.data(), &cbData) != ERROR_SUCCESS) {
        return -1;
    }
    buffer[cbData] = 0;
    strValue.assign(reinterpret_cast<const char*>(buffer.data()));
    return 0;
}

int32_t CSettingsRegKey::WriteString(const std::string& strSubKey, const std::string& strValueName,
                                     const std::string& strText, bool bCreate) const {
    CRegKey key;
    if (!OpenSubKey(strSubKey, KEY_WRITE, bCreate, key)) {
        return -1;
    }
    int32_t err =
        key.SetValue(strValueName, REG_SZ, strText.data(), static_cast<uint32_t>(strText.size()));
    return err == ERROR_SUCCESS ? 0 : -1;
}

}  // namespace tq
