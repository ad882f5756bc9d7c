// The target list without a toolkit: full paths kept sorted ascending without regard to case,
// as the dialogs' sorted list box keeps them. The command-line host uses it; the dialogs use
// their list box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "applications/CheckJob.h"

namespace tq {

class CSortedTargetList : public ITargetList {
public:
    int32_t FindStringExact(const std::string& strText) const override;
    // Inserts after the entries that sort before it or equal to it.
    int32_t AddString(const std::string& strText) override;
    // Deletes the entry at index; false for an index out of range.
    bool DeleteString(int32_t index);

    // The entry to select after the selected entries were removed: the one at the caret the
    // list had before, else the last one; -1 for an empty list.
    int32_t RowAfterRemoval(int32_t nCaret) const;

    const std::vector<std::string>& GetEntries() const { return m_entries; }
    bool IsEmpty() const { return m_entries.empty(); }

private:
    std::vector<std::string> m_entries;
};

}  // namespace tq
