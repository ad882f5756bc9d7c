#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include <vector>

#include "browse/FileListColumns.h"
#include "dialogs/win32/FileListCtrl.h"
#include "dialogs/win32/WinText.h"
#include "platform/Cp932.h"

namespace tq {

namespace {

// The control's own timers have small ids; this one is the fill's.
constexpr UINT_PTR kFillTimerId = 0x7466;

}  // namespace

CFileListCtrl::CFileListCtrl() : m_list(m_provider, m_locale) {
    // The rows left out for their names are told on the host's standard error, as on Linux.
}

CFileListCtrl::~CFileListCtrl() {
    if (m_hList != nullptr) {
        ::KillTimer(m_hList, kFillTimerId);
        ::RemoveWindowSubclass(m_hList, SubclassProc, 0);
    }
}

void CFileListCtrl::Initialize(HWND hList) {
    m_hList = hList;
    ::SetWindowSubclass(m_hList, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    ListView_SetImageList(m_hList, GetSystemSmallIcons(), LVSIL_SMALL);
    for (int32_t nColumn = 0; nColumn < kListColumnCount; ++nColumn) {
        const CListColumn* pColumn = GetListColumn(nColumn);
        std::wstring strHeading = WideFromCp932(pColumn->m_pszHeading);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = pColumn->m_align == EColumnAlign::kRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = pColumn->m_nWidth;
        column.pszText = strHeading.data();
        column.iSubItem = nColumn;
        ::SendMessageW(m_hList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(nColumn),
                       reinterpret_cast<LPARAM>(&column));
    }
}

void CFileListCtrl::SetView(int32_t nView) {
    m_list.SetView(nView);
    const LONG_PTR nStyle = ::GetWindowLongPtrW(m_hList, GWL_STYLE);
    ::SetWindowLongPtrW(m_hList, GWL_STYLE,
                        (nStyle & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) |
                            (nView == kViewDetails ? LVS_REPORT : LVS_LIST));
    ShowRows();
}

void CFileListCtrl::ShowFolder(const std::string& strFolder, bool bForce) {
    if (m_list.StartFolder(strFolder, bForce)) {
        FillPiece(true);
    }
}

void CFileListCtrl::Refresh() {
    ShowFolder(m_list.GetFolder(), true);
}

void CFileListCtrl::FillPiece(bool bFirst) {
    if (const int nFocus = ListView_GetNextItem(m_hList, -1, LVNI_FOCUSED);
        !bFirst && nFocus >= 0) {
        m_list.GetSelection().SetFocusRow(static_cast<size_t>(nFocus));
    }
    m_list.FillPiece();
    // A folder read whole in its first piece shows its focus as before; later pieces never move
    // the view under the user.
    ShowRows(bFirst);
    if (bFirst && m_list.IsFilling()) {
        // WM_TIMER is made only when nothing else waits: the user's keys and the painting of
        // the rows read so far come first. Set once for the whole fill: setting it again after
        // each piece would restart its period, an idle wait between pieces.
        ::SetTimer(m_hList, kFillTimerId, USER_TIMER_MINIMUM, nullptr);
    } else if (!m_list.IsFilling()) {
        ::KillTimer(m_hList, kFillTimerId);
    }
    // The cursor over the list changes now, not at the mouse's next move.
    POINT cursor{};
    if (::GetCursorPos(&cursor) && ::WindowFromPoint(cursor) == m_hList) {
        ::SendMessageW(m_hList, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hList),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
    if (!bFirst && m_onPieceShown) {
        m_onPieceShown();
    }
}

LRESULT CALLBACK CFileListCtrl::SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR, DWORD_PTR pData) {
    auto* pThis = reinterpret_cast<CFileListCtrl*>(pData);
    if (nMsg == WM_TIMER && wParam == kFillTimerId) {
        pThis->FillPiece(false);
        return 0;
    }
    if (nMsg == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT && pThis->IsFilling()) {
        ::SetCursor(LoadBusyCursor());
        return TRUE;
    }
    return ::DefSubclassProc(hWnd, nMsg, wParam, lParam);
}

void CFileListCtrl::ClearSelection() {
    m_list.ClearSelection();
    ShowRows();
}

void CFileListCtrl::ShowRows(bool bScroll) {
    m_bShowing = true;
    // The rows the control shows selected or focused are cleared one by one: clearing every row
    // at once (item -1) costs the control a pass over all of them, again at each piece of a fill.
    std::vector<int> shown;
    for (int nRow = ListView_GetNextItem(m_hList, -1, LVNI_SELECTED); nRow >= 0;
         nRow = ListView_GetNextItem(m_hList, nRow, LVNI_SELECTED)) {
        shown.push_back(nRow);
    }
    if (const int nFocus = ListView_GetNextItem(m_hList, -1, LVNI_FOCUSED); nFocus >= 0) {
        shown.push_back(nFocus);
    }
    // Cleared while their indices are the control's still (a new folder may have fewer rows).
    for (int nRow : shown) {
        ListView_SetItemState(m_hList, nRow, 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    ListView_SetItemCountEx(m_hList, static_cast<int>(m_list.GetRowCount()),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    const CListSelection& selection = m_list.GetSelection();
    for (size_t nRow : selection.GetSelectedRows()) {
        ListView_SetItemState(m_hList, static_cast<int>(nRow), LVIS_SELECTED, LVIS_SELECTED);
    }
    if (const int32_t nFocus = selection.GetFocusRow(); nFocus >= 0) {
        ListView_SetItemState(m_hList, nFocus, LVIS_FOCUSED, LVIS_FOCUSED);
        if (bScroll) {
            ListView_EnsureVisible(m_hList, nFocus, FALSE);
        }
    }
    ListView_SetSelectionMark(m_hList, selection.GetSelectionMark());
    ::InvalidateRect(m_hList, nullptr, TRUE);
    m_bShowing = false;
    ShowSortMark();
}

void CFileListCtrl::TakeSelection() {
    CListSelection& selection = m_list.GetSelection();
    for (size_t nRow : selection.GetSelectedRows()) {
        selection.SetSelected(nRow, false);
    }
    for (int nRow = ListView_GetNextItem(m_hList, -1, LVNI_SELECTED); nRow >= 0;
         nRow = ListView_GetNextItem(m_hList, nRow, LVNI_SELECTED)) {
        selection.SetSelected(static_cast<size_t>(nRow), true);
    }
    // The selection mark is the row the user picked last.
    const int nMark = ListView_GetSelectionMark(m_hList);
    if (nMark >= 0 && selection.IsSelected(static_cast<size_t>(nMark))) {
        selection.SetSelected(static_cast<size_t>(nMark), true);
    }
}

void CFileListCtrl::FillDisplayInfo(NMLVDISPINFOW& info) {
    const auto nRow = static_cast<size_t>(info.item.iItem);
    const CFileListItem* pItem = m_list.GetItem(nRow);
    if (pItem == nullptr) {
        return;
    }
    if ((info.item.mask & LVIF_TEXT) != 0 && info.item.cchTextMax > 0) {
        m_strCell = WideFromCp932(m_list.GetCellText(nRow, info.item.iSubItem));
        m_strCell.resize(std::min<size_t>(m_strCell.size(), info.item.cchTextMax - 1));
        std::copy(m_strCell.c_str(), m_strCell.c_str() + m_strCell.size() + 1, info.item.pszText);
    }
    if ((info.item.mask & LVIF_IMAGE) != 0 && info.item.iSubItem == 0) {
        info.item.iImage = pItem->m_nIcon;
    }
}

void CFileListCtrl::ShowSortMark() {
    HWND hHeader = ListView_GetHeader(m_hList);
    const int32_t nKey = m_list.GetSortKey();
    for (int32_t nColumn = 0; hHeader != nullptr && nColumn < kListColumnCount; ++nColumn) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(hHeader, HDM_GETITEMW, nColumn, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if ((nKey - 1) / 2 == nColumn) {
            item.fmt |= nKey % 2 == 1 ? HDF_SORTUP : HDF_SORTDOWN;
        }
        ::SendMessageW(hHeader, HDM_SETITEMW, nColumn, reinterpret_cast<LPARAM>(&item));
    }
}

bool CFileListCtrl::OnNotify(const NMHDR& header, bool& bSelection) {
    bSelection = false;
    if (header.hwndFrom != m_hList) {
        return false;
    }
    switch (header.code) {
        case LVN_GETDISPINFOW:
            FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
            return true;
        case LVN_COLUMNCLICK:
            m_list.ClickHeader(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            ShowRows();
            bSelection = true;
            return true;
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            if (!m_bShowing) {
                TakeSelection();
                bSelection = true;
            }
            return true;
        default:
            return false;
    }
}

}  // namespace tq
