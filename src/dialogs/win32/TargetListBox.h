// The target list on the system's list box: the chosen files' full paths in the plain sorted
// list's order (the component's own order, without regard to case, code page 932 aware), several
// selectable at once. The check job reaches it through the wait dialog, on the dialog's thread.
#pragma once

#include <string>
#include <vector>

#include "applications/TargetList.h"
#include "dialogs/win32/DialogApi.h"

namespace tq {

class CTargetListBox : public ITargetList {
public:
    void Attach(HWND hList) { m_hList = hList; }
    HWND GetHwnd() const { return m_hList; }

    int32_t FindStringExact(const std::string& strText) const override;
    // Inserts at the sorted place and scrolls the new entry into view.
    int32_t AddString(const std::string& strText) override;
    // Deletes every selected entry (last first) and selects the entry at the old caret, or the
    // last one; the removed paths in deletion order.
    std::vector<std::string> RemoveSelected();
    const std::vector<std::string>& GetEntries() const { return m_entries.GetEntries(); }
    bool IsEmpty() const { return m_entries.IsEmpty(); }
    bool HasSelection() const;

private:
    void ScrollIntoView(int32_t nIndex);

    CSortedTargetList m_entries;
    HWND m_hList = nullptr;
};

}  // namespace tq
