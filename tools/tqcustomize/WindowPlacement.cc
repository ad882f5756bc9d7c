#include "WindowPlacement.h"

#include <charconv>

#include "platform/Registry.h"

namespace tq::customize {

namespace {

constexpr const char* kSettingsKey = "\\USER\\Customize";
constexpr const char* kPlacementValue = "Window";

}  // namespace

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
    CRegKey key;
    uint32_t type = 0;
    std::string data;
    return key.Open(HKEY_LOCAL_MACHINE, strKeyPath + kSettingsKey, KEY_READ) == 0 &&
           key.QueryValue(kPlacementValue, type, data) == 0 &&
           placement.Parse(data.substr(0, data.find('\0')));
}

void WriteWindowPlacement(const std::string& strKeyPath, const CWindowPlacement& placement) {
    // The place is a convenience: a registry that refuses it costs the next opening nothing.
    CRegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, strKeyPath + kSettingsKey, KEY_ALL_ACCESS) == 0) {
        key.SetString(kPlacementValue, placement.Format());
    }
}

}  // namespace tq::customize
