#include "platform/Registry.h"

#include <cstring>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

struct CRootName {
    HKEY m_root;
    const char* m_pszLong;
    const char* m_pszShort;
};
constexpr CRootName kRootNames[] = {
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
    {HKEY_USERS, "HKEY_USERS", "HKU"},
};

}  // namespace

bool ParseRootKey(const std::string& strFullPath, HKEY& root, std::string& strRest) {
    std::string_view path(strFullPath);
    size_t end = FindChar(path, '\\');
    std::string_view first = path.substr(0, end);
    for (const auto& r : kRootNames) {
        if (EqualsNoCase(first, r.m_pszLong) || EqualsNoCase(first, r.m_pszShort)) {
            root = r.m_root;
            strRest = end == std::string_view::npos ? std::string() : strFullPath.substr(end + 1);
            return true;
        }
    }
    return false;
}

const char* RootKeyName(HKEY root) {
    for (const auto& r : kRootNames) {
        if (r.m_root == root) {
            return r.m_pszLong;
        }
    }
    return "";
}

int32_t CRegKey::QueryValue(const std::string& strName, uint32_t* pType, uint8_t* pData,
                            uint32_t* pcbData) const {
    if (int32_t err = CheckAccess(KEY_QUERY_VALUE); err != ERROR_SUCCESS) {
        return err;
    }
    if (pData && !pcbData) {
        return ERROR_INVALID_PARAMETER;
    }
    uint32_t type = 0;
    std::string data;
    int32_t err = QueryValue(strName, type, data);
    if (err != ERROR_SUCCESS) {
        return err;
    }
    // Like Windows, a buffer too small still reports the type and the size it needs.
    if (pType) {
        *pType = type;
    }
    uint32_t cbNeeded = static_cast<uint32_t>(data.size());
    if (pData && *pcbData < cbNeeded) {
        *pcbData = cbNeeded;
        return ERROR_MORE_DATA;
    }
    if (pData && cbNeeded > 0) {
        std::memcpy(pData, data.data(), cbNeeded);
    }
    if (pcbData) {
        *pcbData = cbNeeded;
    }
    return ERROR_SUCCESS;
}

int32_t CRegKey::QueryDword(const std::string& strName, uint32_t& value) const {
    uint32_t type = 0;
    std::string data;
    int32_t err = QueryValue(strName, type, data);
    if (err != ERROR_SUCCESS) {
        return err;
    }
    if (type != REG_DWORD || data.size() != sizeof(uint32_t)) {
        return ERROR_UNSUPPORTED_TYPE;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    value = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return ERROR_SUCCESS;
}

int32_t CRegKey::SetString(const std::string& strName, const std::string& strValue) {
    return SetValue(strName, REG_SZ, strValue.c_str(), static_cast<uint32_t>(strValue.size() + 1));
}

int32_t CRegKey::SetDword(const std::string& strName, uint32_t value) {
    uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return SetValue(strName, REG_DWORD, bytes, sizeof(bytes));
}

}  // namespace tq
