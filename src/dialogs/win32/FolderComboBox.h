// The folder location box on the system's extended combo box: the location entries (fixed
// drives, and one indented entry per level down to the shown folder) with the shell's names and
// small icons, the shown folder's entry in its open form. Choosing an entry and closing the
// drop-down tells the dialog (its close-up notification), which then shows that folder.
#pragma once

#include <string>

#include "browse/LocationEntries.h"
#include "dialogs/win32/DialogApi.h"
#include "dialogs/win32/ShellInfo.h"

namespace tq {

class CFolderComboBox {
public:
    CFolderComboBox() : m_entries(m_provider) {}

    // The box of the dialog, its drive entries (the first selected) and the entries' height in
    // vertical dialog units.
    void Initialize(HWND hBox, int32_t nItemHeightUnits);
    void SetFolder(const std::string& strPath);
    const std::string& GetFolder() const { return m_entries.GetFolder(); }
    const CLocationEntries& GetEntries() const { return m_entries; }
    // The folder of the entry selected in the box; empty when none.
    std::string GetSelectedFolder();
    HWND GetHwnd() const { return m_hBox; }
    // The combo box inside, which has the focus and the keys.
    HWND GetCombo() const;
    bool IsDroppedDown() const;
    void DropDown();

private:
    void ShowEntries();

    CShellFileInfoProvider m_provider;
    CLocationEntries m_entries;
    HWND m_hBox = nullptr;
};

}  // namespace tq
