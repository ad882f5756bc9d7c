#include "ProductFiles.h"

#include <charconv>
#include <fstream>
#include <iterator>

#include "hostclient/AutomationClient.h"
#include "platform/Cp932.h"
#include "platform/Path.h"
#include "platform/Registry.h"

namespace tq::customize {

namespace {

constexpr const char* kSettingsKey = "\\USER\\Customize";
constexpr const char* kPlacementValue = "Window";

std::string Unquote(std::string_view s) {
    s = TrimWhite(s);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') {
        s = s.substr(1, s.size() - 2);
    }
    return std::string(s);
}

std::string ReadLinuxText(const std::string& strWinPath) {
    std::string strLinux;
    if (strWinPath.empty() || ResolvePath(strWinPath, strLinux) != 0) {
        return {};
    }
    std::ifstream in(strLinux, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ControlFolder(const std::string& strKeyPath) {
    std::string strFolder = ReadMachineString(strKeyPath + "\\Path", "Control");
    // A folder ending in a double-byte character whose second byte is 0x5C still needs its
    // backslash.
    const bool bEnds = FindLastChar(strFolder, '\\') + 1 == strFolder.size();
    return strFolder.empty() || bEnds ? strFolder : strFolder + "\\";
}

CBaseFileOutline ReadOutline(const std::string& strKeyPath) {
    const std::string strFile = ReadMachineString(strKeyPath + "\\Builder", "BaseControlFile");
    return strFile.empty() ? CBaseFileOutline{}
                           : OutlineBaseFile(ReadLinuxText(ControlFolder(strKeyPath) + strFile));
}

}  // namespace

std::string ReadMachineString(const std::string& strKey, const std::string& strName) {
    CRegKey key;
    uint32_t type = 0;
    std::string data;
    if (key.Open(HKEY_LOCAL_MACHINE, strKey, KEY_READ) != 0 ||
        key.QueryValue(strName, type, data) != 0) {
        return {};
    }
    return data.substr(0, data.find('\0'));
}

CBaseFileOutline OutlineBaseFile(std::string_view text) {
    CBaseFileOutline outline;
    for (size_t nStart = 0; nStart < text.size();) {
        size_t nEnd = text.find('\n', nStart);
        nEnd = nEnd == std::string_view::npos ? text.size() : nEnd;
        std::string_view line = TrimWhite(text.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
        const size_t nClose = FindChar(line, ']');
        if (line.starts_with('[') && nClose != std::string_view::npos) {
            outline.m_databases.push_back({std::string(line.substr(1, nClose - 1)), {}});
            continue;
        }
        const size_t nEqual = FindChar(line, '=');
        if (nEqual == std::string_view::npos) {
            continue;
        }
        std::string_view key = TrimWhite(line.substr(0, nEqual));
        if (EqualsNoCase(key, "PublicName") && !outline.m_databases.empty()) {
            outline.m_databases.back().m_strPublicName = Unquote(line.substr(nEqual + 1));
        } else if (EqualsNoCase(key, "OutputLog")) {
            outline.m_strOutputLog = Unquote(line.substr(nEqual + 1));
        }
    }
    return outline;
}

std::string GetProductKeyPath(const std::string& strProduct) {
    return host::kProductKeyBase + strProduct;
}

std::vector<std::string> ListProducts() {
    CRegKey key;
    std::vector<std::string> products;
    std::string strBase = host::kProductKeyBase;
    strBase.pop_back();
    std::string strName;
    if (key.Open(HKEY_LOCAL_MACHINE, strBase, KEY_READ) == 0) {
        for (uint32_t i = 0; key.EnumKey(i, strName) == 0; ++i) {
            products.push_back(strName);
        }
    }
    return products;
}

CNameSet ReadPendingPublicNames(const std::string& strKeyPath) {
    CRegKey key;
    CNameSet names;
    if (key.Open(HKEY_LOCAL_MACHINE, strKeyPath + "\\Builder\\Request", KEY_READ) != 0) {
        return names;
    }
    CNameSet requested;
    std::string strName, data;
    uint32_t type = 0;
    for (uint32_t i = 0; key.EnumValue(i, strName, type, data) == 0; ++i) {
        if (type == REG_SZ) {
            requested.insert(strName);
        }
    }
    if (requested.empty()) {
        return names;
    }
    for (const CBaseFileOutline::CDatabase& db : ReadOutline(strKeyPath).m_databases) {
        if (requested.contains(db.m_strName)) {
            names.insert(db.m_strPublicName);
        }
    }
    return names;
}

std::string ReadIndexingLog(const std::string& strKeyPath) {
    const std::string strLog = ReadOutline(strKeyPath).m_strOutputLog;
    if (strLog.empty()) {
        return {};
    }
    // Found as the loader that writes it finds it: a path with a drive as given, anything else
    // taken against the control folder.
    std::string strFull = strLog;
    if (FindText(strLog, ":\\") == std::string_view::npos) {
        const std::string strFolder = ControlFolder(strKeyPath);
        if (strFolder.empty() || GetFullPathName(strLog, strFolder, strFull) != 0) {
            return {};
        }
    }
    return ReadLinuxText(strFull);
}

bool CWindowPlacement::Parse(std::string_view text) {
    int values[4] = {};
    const char* p = text.data();
    const char* const pEnd = p + text.size();
    for (int i = 0; i < 4; ++i) {
        auto [pNext, ec] = std::from_chars(p, pEnd, values[i]);
        const bool bLast = i == 3;
        if (ec != std::errc() || (bLast ? pNext != pEnd : pNext == pEnd || *pNext != ',')) {
            return false;
        }
        p = pNext + 1;
    }
    if (values[2] < 1 || values[3] < 1) {
        return false;
    }
    *this = {values[0], values[1], values[2], values[3]};
    return true;
}

std::string CWindowPlacement::Format() const {
    return std::to_string(m_nX) + "," + std::to_string(m_nY) + "," + std::to_string(m_nWidth) +
           "," + std::to_string(m_nHeight);
}

bool ReadWindowPlacement(const std::string& strKeyPath, CWindowPlacement& placement) {
    return placement.Parse(ReadMachineString(strKeyPath + kSettingsKey, kPlacementValue));
}

void WriteWindowPlacement(const std::string& strKeyPath, const CWindowPlacement& placement) {
    // The place is a convenience: a registry that refuses it costs the next opening nothing.
    CRegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, strKeyPath + kSettingsKey, KEY_ALL_ACCESS) == 0) {
        key.SetString(kPlacementValue, placement.Format());
    }
}

}  // namespace tq::customize
