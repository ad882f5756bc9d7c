// The registry class of the browse settings: string values below one key path of one root.
// Results are 0 or -1; a missing key or value is not an error for the callers, only a reason
// to fall back.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace tq {

class CSettingsRegKey {
public:
    // strPath: a key path below root, of at most 260 bytes.
    CSettingsRegKey(const std::string& strPath, HKEY root);

    // Opens root\path, or root\path\subkey when a subkey is given, with the access asked;
    // when that fails and bCreate is set, creates it. False when neither works. A key path
    // longer than 260 bytes opens nothing (cutting it would reach some other key).
    bool OpenSubKey(const std::string& strSubKey, uint32_t access, bool bCreate,
                    CRegKey& key) const;
    // The value's data up to its first NUL (whatever its type; data stored without a NUL
    // reads whole). 0 with strValue, or -1 with strValue empty.
    int32_t ReadString(const std::string& strSubKey, const std::string& strValueName,
                       std::string& strValue) const;
    // Stores the text as a REG_SZ whose data are the text's bytes without a terminating NUL.
    int32_t WriteString(const std::string& strSubKey, const std::string& strValueName,
                        const std::string& strText, bool bCreate) const;

private:
    std::string m_strPath;
    HKEY m_hRoot;
};

constexpr size_t kSettingsKeyPathMax = 260;

}  // namespace tq
