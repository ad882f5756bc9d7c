// The window's own place on the screen, kept in the product's user settings (the product key's
// "USER\Customize" subkey, which belongs to this window alone).
#pragma once

#include <string>
#include <string_view>

namespace tq::customize {

struct CWindowPlacement {
    int m_nX = 0;
    int m_nY = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;

    // "x,y,width,height"; false (and nothing changed) for anything else or a size below 1.
    bool Parse(std::string_view text);
    std::string Format() const;
};
// strKeyPath: the product key's path below HKEY_LOCAL_MACHINE.
bool ReadWindowPlacement(const std::string& strKeyPath, CWindowPlacement& placement);
void WriteWindowPlacement(const std::string& strKeyPath, const CWindowPlacement& placement);

}  // namespace tq::customize
