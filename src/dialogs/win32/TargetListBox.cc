#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "dialogs/win32/TargetListBox.h"

#include "dialogs/win32/WinText.h"

namespace tq {

int32_t CTargetListBox::FindStringExact(const std::string& strText) const {
    return m_entries.FindStringExact(strText);
}

int32_t CTargetListBox::AddString(const std::string& strText) {
    const int32_t nIndex = m_entries.AddString(strText);
    const std::wstring strWide = WideFromCp932(strText);
    const LRESULT nAt = ::SendMessageW(m_hList, LB_INSERTSTRING, static_cast<WPARAM>(nIndex),
                                       reinterpret_cast<LPARAM>(strWide.c_str()));
    if (nAt < 0) {  // the list is full: the entry is not there
        m_entries.DeleteString(nIndex);
        return -1;
    }
    ScrollIntoView(nIndex);
    return nIndex;
}

void CTargetListBox::ScrollIntoView(int32_t nIndex) {
    RECT rcItem{};
    RECT rcClient{};
    ::SendMessageW(m_hList, LB_GETITEMRECT, static_cast<WPARAM>(nIndex),
                   reinterpret_cast<LPARAM>(&rcItem));
    ::GetClientRect(m_hList, &rcClient);
    const LONG nRow = rcItem.bottom - rcItem.top;
    if (rcItem.top < rcClient.top) {
        ::SendMessageW(m_hList, LB_SETTOPINDEX, static_cast<WPARAM>(nIndex), 0);
    } else if (rcItem.bottom > rcClient.bottom && nRow > 0) {
        const LRESULT nTop = ::SendMessageW(m_hList, LB_GETTOPINDEX, 0, 0);
        ::SendMessageW(m_hList, LB_SETTOPINDEX,
                       static_cast<WPARAM>(nTop + (rcItem.bottom - rcClient.bottom) / nRow + 1), 0);
    }
}

std::vector<std::string> CTargetListBox::RemoveSelected() {
    std::vector<std::string> removed;
    const auto nCaret = static_cast<int32_t>(::SendMessageW(m_hList, LB_GETCARETINDEX, 0, 0));
    ::SendMessageW(m_hList, WM_SETREDRAW, FALSE, 0);
    for (auto i = static_cast<int32_t>(m_entries.GetEntries().size()) - 1; i >= 0; --i) {
        if (::SendMessageW(m_hList, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) {
            removed.push_back(m_entries.GetEntries()[static_cast<size_t>(i)]);
            m_entries.DeleteString(i);
            ::SendMessageW(m_hList, LB_DELETESTRING, static_cast<WPARAM>(i), 0);
        }
    }
    ::SendMessageW(m_hList, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hList, nullptr, TRUE);
    if (const int32_t nRow = m_entries.RowAfterRemoval(nCaret); nRow >= 0) {
        ::SendMessageW(m_hList, LB_SETSEL, TRUE, nRow);
        ::SendMessageW(m_hList, LB_SETCARETINDEX, static_cast<WPARAM>(nRow), FALSE);
    }
    return removed;
}

bool CTargetListBox::HasSelection() const {
    return ::SendMessageW(m_hList, LB_GETSELCOUNT, 0, 0) > 0;
}

}  // namespace tq
