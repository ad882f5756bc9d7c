#include "browse/LocationEntries.h"

#include <algorithm>

#include "browse/FolderPath.h"
#include "platform/Cp932.h"
#include "platform/Path.h"

namespace tq {

namespace {

const CPlainFileInfoProvider& PlainProvider() {
    static const CPlainFileInfoProvider s_provider;
    return s_provider;
}

}  // namespace

CLocationEntries::CLocationEntries() : CLocationEntries(PlainProvider()) {}

CLocationEntries::CLocationEntries(const CFileInfoProvider& provider) : m_provider(provider) {}

CLocationEntry CLocationEntries::MakeEntry(const std::string& strPath, int32_t nLevel) const {
    CLocationEntry entry;
    entry.m_strPath = strPath;
    entry.m_strDisplayName = m_provider.GetDisplayName(strPath);
    entry.m_nLevel = nLevel;
    return entry;
}

int32_t CLocationEntries::Initialize() {
    m_entries.clear();
    m_strFolder.clear();
    m_nSelected = -1;
    // "C:\", "D:\" ... each ended by a NUL, the list by a second one.
    std::string strDrives = GetLogicalDriveStrings();
    for (size_t nStart = 0; nStart < strDrives.size() && strDrives[nStart] != '\0';) {
        size_t nEnd = strDrives.find('\0', nStart);
        std::string strRoot = strDrives.substr(nStart, nEnd - nStart);
        nStart = nEnd == std::string::npos ? strDrives.size() : nEnd + 1;
        if (GetDriveType(strRoot) == DRIVE_FIXED) {
            CLocationEntry entry = MakeEntry(strRoot, 0);
            entry.m_strText = strRoot;
            entry.m_bDrive = true;
            m_entries.push_back(std::move(entry));
        }
    }
    if (!m_entries.empty()) {
        m_nSelected = 0;
        m_strFolder = m_entries[0].m_strPath;
    }
    return static_cast<int32_t>(m_entries.size());
}

int32_t CLocationEntries::SetFolder(const std::string& strPath) {
    if (strPath.empty()) {
        return -1;
    }
    if (EqualsNoCase(strPath, m_strFolder)) {
        return 0;
    }
    std::erase_if(m_entries, [](const CLocationEntry& e) { return e.m_strText.empty(); });
    for (CLocationEntry& entry : m_entries) {
        entry.m_bCurrent = false;
    }
    CFolderPath path(strPath);
    // A path without a drive letter must not take the first drive for its own.
    std::string strDrive = path.DriveText();
    auto drive = std::find_if(m_entries.begin(), m_entries.end(), [&](const CLocationEntry& e) {
        return !strDrive.empty() && StartsWithNoCase(e.m_strText, strDrive);
    });
    size_t nAt = 0;
    size_t nFirstLevel = 1;
    if (drive != m_entries.end()) {
        nAt = static_cast<size_t>(drive - m_entries.begin());
    } else {
        nFirstLevel = path.RootLevelCount() + 1;
        m_entries.insert(m_entries.begin(), MakeEntry(path.RootPath(), 0));
    }
    for (size_t n = nFirstLevel; n <= path.LevelCount(); ++n) {
        ++nAt;
        int32_t nLevel = static_cast<int32_t>(n - nFirstLevel + 1);
        m_entries.insert(m_entries.begin() + static_cast<ptrdiff_t>(nAt),
                         MakeEntry(path.PathOfLevel(n), nLevel));
    }
    m_entries[nAt].m_bCurrent = true;
    m_nSelected = static_cast<int32_t>(nAt);
    m_strFolder = strPath;
    return 0;
}

int32_t CLocationEntries::Select(int32_t nIndex) {
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_entries.size()) {
        return -1;
    }
    m_nSelected = nIndex;
    return 0;
}

const CLocationEntry* CLocationEntries::GetSelectedEntry() const {
    if (m_nSelected < 0 || static_cast<size_t>(m_nSelected) >= m_entries.size()) {
        return nullptr;
    }
    return &m_entries[static_cast<size_t>(m_nSelected)];
}

}  // namespace tq
