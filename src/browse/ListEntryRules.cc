#include "browse/ListEntryRules.h"

#include "browse/FileListTexts.h"
#include "platform/Cp932.h"

namespace tq {

std::string MakeListPattern(const std::string& strFolder) {
    size_t nLast = FindLastChar(strFolder, '\\');
    bool bEndsInBackslash = nLast != std::string::npos && nLast + 1 == strFolder.size();
    return strFolder + (bEndsInBackslash ? "*.*" : "\\*.*");
}

bool IsSafeListName(std::string_view strName) {
    if (strName.empty() || !IsWellFormedCp932(strName)) {
        return false;
    }
    for (size_t i = 0; i < strName.size(); i += CharLength(strName, i)) {
        auto c = static_cast<uint8_t>(strName[i]);
        if (c < 0x20 || c == 0x7F ||
            std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

EListEntry JudgeListEntry(const std::string& strFolder, const CFindData& entry,
                          const CFileFilter& filter) {
    bool bFolder = (entry.m_nAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (bFolder && (entry.m_strName == "." || entry.m_strName == "..")) {
        return EListEntry::kDots;
    }
    if (entry.m_nAttributes & FILE_ATTRIBUTE_HIDDEN) {
        return EListEntry::kHidden;
    }
    if (bFolder && (entry.m_nAttributes & kFileAttributeSystem)) {
        return EListEntry::kSystemFolder;
    }
    if (!bFolder && !filter.Passes(entry.m_strName)) {
        return EListEntry::kFiltered;
    }
    if (strFolder.size() + entry.m_strName.size() > kListPathMax) {
        return EListEntry::kTooLong;
    }
    return IsSafeListName(entry.m_strName) ? EListEntry::kKeep : EListEntry::kUnsafeName;
}

}  // namespace tq
