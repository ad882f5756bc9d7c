// The entries of the folder location box: the machine's fixed drives, and below the drive of
// the shown folder one indented entry per folder level down to the shown folder. The toolkit's
// combo box shows them in this order and hands the user's choice back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "browse/FileInfoProvider.h"

namespace tq {

struct CLocationEntry {
    std::string m_strPath;  // a folder, ending in "\"; a drive's root for a drive
    std::string m_strDisplayName;
    // The drive string ("C:\") for drive entries; empty for every other entry, which is how
    // a new folder removes them.
    std::string m_strText;
    bool m_bDrive = false;
    bool m_bCurrent = false;  // the entry of the shown folder
    int32_t m_nLevel = 0;     // indentation: 0 for roots, 1 for a root's first folder ...
};

class CLocationEntries {
public:
    // The plain provider.
    CLocationEntries();
    // provider must outlive the entries.
    explicit CLocationEntries(const CFileInfoProvider& provider);

    // Makes one entry per fixed drive, selects the first and shows its root. Gives the number
    // of drives; with none, the list and the shown folder stay empty.
    int32_t Initialize();
    // Rebuilds the folder entries for a folder unless it is the shown folder already (ignoring
    // case). A folder whose root is no drive entry (another drive, a UNC path) gets a root
    // entry of its own at the top. 0; -1 for an empty path, which changes nothing.
    int32_t SetFolder(const std::string& strPath);
    const std::string& GetFolder() const { return m_strFolder; }

    const std::vector<CLocationEntry>& GetEntries() const { return m_entries; }
    // The selected entry's index, -1 when none is.
    int32_t GetSelectedIndex() const { return m_nSelected; }
    // Selects an entry (the user's choice in the drop-down); -1 for an index out of range,
    // which changes nothing.
    int32_t Select(int32_t nIndex);
    // The selected entry; nullptr when none is selected.
    const CLocationEntry* GetSelectedEntry() const;

private:
    CLocationEntry MakeEntry(const std::string& strPath, int32_t nLevel) const;

    const CFileInfoProvider& m_provider;
    std::vector<CLocationEntry> m_entries;
    std::string m_strFolder;
    int32_t m_nSelected = -1;
};

}  // namespace tq
