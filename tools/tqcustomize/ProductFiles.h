// What the window reads of a product beside the automation object, as the index builder and
// the user see it: which databases wait for the builder (their rebuild requests), the indexing
// log the last load wrote, and the window's own place in the product's user settings.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/Cp932.h"

namespace tq::customize {

// The databases of a base control file in order, with their public names, and its log line.
struct CBaseFileOutline {
    struct CDatabase {
        std::string m_strName;
        std::string m_strPublicName;
    };
    std::vector<CDatabase> m_databases;
    std::string m_strOutputLog;
};

// Reads the sections, their PublicName lines and the OutputLog line of a base control file's
// text (code page 932; keys without regard to case, values with or without quotes).
CBaseFileOutline OutlineBaseFile(std::string_view text);

// A string value of a key below HKEY_LOCAL_MACHINE, up to its first zero byte; empty when the
// key or the value is missing.
std::string ReadMachineString(const std::string& strKey, const std::string& strName);

// The registry path below HKEY_LOCAL_MACHINE of a product key (code page 932).
std::string GetProductKeyPath(const std::string& strProduct);
// The product keys installed (below SOFTWARE\Orbanworks\Trellisquest), code page 932.
std::vector<std::string> ListProducts();

// Names looked up without regard to case.
using CNameSet = std::unordered_set<std::string, CNoCaseHash, CNoCaseEqual>;
// The public names of the databases that have a rebuild request the builder has not consumed.
CNameSet ReadPendingPublicNames(const std::string& strKeyPath);
// The indexing log of the product's base control file; empty when there is none.
std::string ReadIndexingLog(const std::string& strKeyPath);

// The window's place on the screen, kept in the product's user settings.
struct CWindowPlacement {
    int m_nX = 0;
    int m_nY = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;

    // "x,y,width,height"; false (and nothing changed) for anything else or a size below 1.
    bool Parse(std::string_view text);
    std::string Format() const;
};
bool ReadWindowPlacement(const std::string& strKeyPath, CWindowPlacement& placement);
void WriteWindowPlacement(const std::string& strKeyPath, const CWindowPlacement& placement);

}  // namespace tq::customize
