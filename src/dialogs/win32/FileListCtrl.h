// The file list on the system's list-view control: the list model's rows, shown as a virtual
// list (the control asks for the texts and icons of the rows it draws, so a folder of 100,000
// entries costs the model's rows and nothing more), in the list or details view, with the
// system's small icons. The user's selection is taken into the model as it changes.
#pragma once

#include <functional>
#include <string>

#include "browse/FileListModel.h"
#include "dialogs/win32/DialogApi.h"
#include "dialogs/win32/ShellInfo.h"

namespace tq {

class CFileListCtrl {
public:
    CFileListCtrl();
    ~CFileListCtrl();
    CFileListCtrl(const CFileListCtrl&) = delete;
    CFileListCtrl& operator=(const CFileListCtrl&) = delete;

    // The control of the dialog: the system's icon list and the five columns.
    void Initialize(HWND hList);
    HWND GetHwnd() const { return m_hList; }
    // kViewDetails or kViewList.
    void SetView(int32_t nView);
    int32_t GetView() const { return m_list.GetView(); }
    void SetFilter(const std::string& strText) { m_list.SetFilter(strText); }
    // Fills the list from the folder (unless it is shown already and bForce is false). A large
    // folder is read a piece at a time on the control's timer, which comes only when no input
    // or painting waits, under the busy cursor, its rows shown in order as they come.
    void ShowFolder(const std::string& strFolder, bool bForce);
    void Refresh();
    bool IsFilling() const { return m_list.IsFilling(); }
    // How much a piece reads (see CFileListModel::SetFillPiece).
    void SetFillPiece(size_t nAtLeast, std::chrono::steady_clock::duration time) {
        m_list.SetFillPiece(nAtLeast, time);
    }
    const std::string& GetFolder() const { return m_list.GetFolder(); }
    bool HasSelectedFile() const { return m_list.HasSelectedFile(); }
    void ClearSelection();
    const CFileListModel& GetModel() const { return m_list; }

    // The control's notifications: true when it was one of the list's; bSelection tells that
    // the selection changed.
    bool OnNotify(const NMHDR& header, bool& bSelection);
    // Called after each later piece of a fill has been shown (its end may select a row).
    std::function<void()> m_onPieceShown;

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR pData);
    // Reads and shows the next piece of the folder being filled.
    void FillPiece(bool bFirst);
    // The model's rows, order and selection into the control, scrolled to the focus row unless
    // bScroll is false.
    void ShowRows(bool bScroll = true);
    void TakeSelection();
    void FillDisplayInfo(NMLVDISPINFOW& info);
    void ShowSortMark();

    CShellFileInfoProvider m_provider;
    CWinListLocale m_locale;
    CFileListModel m_list;
    HWND m_hList = nullptr;
    std::wstring m_strCell;  // the text handed to the control, kept until it asks again
    bool m_bShowing = false;
};

}  // namespace tq
