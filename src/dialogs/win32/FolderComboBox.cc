#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "dialogs/win32/FolderComboBox.h"
#include "dialogs/win32/WinText.h"

namespace tq {

void CFolderComboBox::Initialize(HWND hBox, int32_t nItemHeightUnits) {
    m_hBox = hBox;
    ::SendMessageW(m_hBox, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(GetSystemSmallIcons()));
    RECT rc{0, 0, 0, nItemHeightUnits};
    ::MapDialogRect(::GetParent(m_hBox), &rc);
    ::SendMessageW(GetCombo(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), rc.bottom);
    ::SendMessageW(GetCombo(), CB_SETITEMHEIGHT, 0, rc.bottom);
    m_entries.Initialize();
    ShowEntries();
}

void CFolderComboBox::SetFolder(const std::string& strPath) {
    if (m_entries.SetFolder(strPath) == 0) {
        ShowEntries();
    }
}

std::string CFolderComboBox::GetSelectedFolder() {
    m_entries.Select(static_cast<int32_t>(::SendMessageW(m_hBox, CB_GETCURSEL, 0, 0)));
    const CLocationEntry* pEntry = m_entries.GetSelectedEntry();
    return pEntry != nullptr ? pEntry->m_strPath : std::string();
}

HWND CFolderComboBox::GetCombo() const {
    return reinterpret_cast<HWND>(::SendMessageW(m_hBox, CBEM_GETCOMBOCONTROL, 0, 0));
}

bool CFolderComboBox::IsDroppedDown() const {
    return ::SendMessageW(m_hBox, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void CFolderComboBox::DropDown() {
    ::SetFocus(GetCombo());
    ::SendMessageW(m_hBox, CB_SHOWDROPDOWN, TRUE, 0);
}

void CFolderComboBox::ShowEntries() {
    ::SendMessageW(m_hBox, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(m_hBox, CB_RESETCONTENT, 0, 0);
    const auto& entries = m_entries.GetEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const CLocationEntry& entry = entries[i];
        const uint32_t nOpen = entry.m_bCurrent ? kIconFormOpen : 0;
        std::wstring strName = WideFromCp932(entry.m_strDisplayName);
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
        item.iItem = static_cast<INT_PTR>(i);
        item.pszText = strName.data();
        item.iImage = m_provider.GetIconIndex(entry.m_strPath, true, nOpen);
        item.iSelectedImage =
            m_provider.GetIconIndex(entry.m_strPath, true, nOpen | kIconFormSelected);
        item.iIndent = entry.m_nLevel;
        ::SendMessageW(m_hBox, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageW(m_hBox, CB_SETCURSEL, static_cast<WPARAM>(m_entries.GetSelectedIndex()), 0);
    ::SendMessageW(m_hBox, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hBox, nullptr, TRUE);
}

}  // namespace tq
