#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "dialogs/win32/NotAddedDlg.h"

#include "dialogs/win32/WinText.h"
#include "resources/DialogIds.h"

namespace tq {

BOOL CNotAddedDlg::OnInitDialog() {
    SetWindowTextCp932(GetHwnd(), m_strProductName);
    ::SendMessageW(Item(IDC_WARNING_ICON), STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadIconW(nullptr, MAKEINTRESOURCEW(32515))), 0);
    SetWindowTextCp932(Item(IDC_NOT_ADDED_NAMES), m_strNames);
    return TRUE;  // the focus to the first tab stop
}

void CNotAddedDlg::OnCommand(int32_t nId, int32_t, HWND) {
    if (nId == IDC_OK || nId == IDC_CANCEL) {
        End(nId);
    }
}

}  // namespace tq
