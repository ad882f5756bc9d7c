#include "browse/FolderPath.h"

#include <algorithm>

#include "platform/Cp932.h"
#include "platform/File.h"

namespace tq {

namespace {

// The drive part of a path: "C:" when it begins with a letter and a colon.
std::string DrivePartOf(const std::string& strPath) {
    bool bDrive =
        strPath.size() >= 2 && strPath[1] == ':' && !IsLeadByte(static_cast<uint8_t>(strPath[0]));
    return bDrive ? strPath.substr(0, 2) : std::string();
}

// The names between the backslashes of the directory part (up to the last "\"), non-empty
// ones only, lower-cased. A double-byte character whose second byte is 0x5C stays whole.
std::vector<std::string> SplitLevels(std::string_view strDirectory) {
    std::vector<std::string> levels;
    size_t nStart = 0;
    for (size_t nSlash = FindChar(strDirectory, '\\'); nSlash != std::string_view::npos;
         nSlash = FindChar(strDirectory, '\\', nStart)) {
        if (nSlash > nStart) {
            levels.push_back(ToLowerCp932(strDirectory.substr(nStart, nSlash - nStart)));
        }
        nStart = nSlash + 1;
    }
    return levels;
}

}  // namespace

CFolderPath::CFolderPath(std::string strPath)
    : m_strPath(std::move(strPath)), m_strDrive(DrivePartOf(m_strPath)) {
    std::string_view strDirectory = std::string_view(m_strPath).substr(m_strDrive.size());
    m_bUnc = m_strDrive.empty() && strDirectory.substr(0, 2) == "\\\\";
    m_levels = SplitLevels(strDirectory);
}

size_t CFolderPath::RootLevelCount() const {
    return m_bUnc ? std::min<size_t>(2, m_levels.size()) : 0;
}

std::string CFolderPath::PathOfLevel(size_t n) const {
    // A UNC path keeps both of its leading backslashes.
    std::string strPath = m_bUnc ? "\\\\" : m_strDrive + "\\";
    for (size_t i = 0; i < std::min(n, m_levels.size()); ++i) {
        strPath += m_levels[i] + "\\";
    }
    return strPath;
}

std::string CFolderPath::Parent() const {
    std::string_view strPath = m_strPath;
    size_t nLast = FindLastChar(strPath, '\\');
    if (nLast != std::string_view::npos && nLast + 1 == strPath.size()) {
        strPath.remove_suffix(1);
        nLast = FindLastChar(strPath, '\\');
    }
    return nLast == std::string_view::npos ? std::string()
                                           : std::string(strPath.substr(0, nLast + 1));
}

std::string CFolderPath::DeepestExisting() const {
    // Only a folder will do: a level that names a file would show as an empty list.
    for (size_t n = m_levels.size(); n > RootLevelCount(); --n) {
        std::string strPath = PathOfLevel(n);
        uint32_t nAttributes = 0;
        if (GetFileAttributes(strPath, nAttributes) == 0 &&
            (nAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return strPath;
        }
    }
    return RootPath();
}

std::string CFolderPath::DriveText() const {
    return ToLowerCp932(m_strDrive);
}

}  // namespace tq
