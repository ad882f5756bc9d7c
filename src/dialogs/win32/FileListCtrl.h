// The file list on the system's list-view control: the list model's rows, shown as a virtual
// list (the control asks for the texts and icons of the rows it draws, so a folder of 100,000
// entries costs the model's rows and nothing more), in the list or details view, with the
// system's small icons. The user's selection is taken into the model as it changes.
#pragma once

#include <string>

#include "browse/FileListModel.h"
#include "dialogs/win32/DialogApi.h"
#include "dialogs/win32/ShellInfo.h"

namespace tq {

class CFileListCtrl {
public:
    CFileListCtrl();

    // The control of the dialog: the system's icon list and the five columns.
    void Initialize(HWND hList);
    HWND GetHwnd() const { return m_hList; }
    // kViewDetails or kViewList.
    void SetView(int32_t nView);
    int32_t GetView() const { return m_list.GetView(); }
    void SetFilter(const std::string& strText) { m_list.SetFilter(strText); }
    // Fills the list from the folder (unless it is shown already and bForce is false).
    void ShowFolder(const std::string& strFolder, bool bForce);
    void Refresh();
    const std::string& GetFolder() const { return m_list.GetFolder(); }
    bool HasSelectedFile() const { return m_list.HasSelectedFile(); }
    void ClearSelection();
    const CFileListModel& GetModel() const { return m_list; }

    // The control's notifications: true when it was one of the list's; bSelection tells that
    // the selection changed.
    bool OnNotify(const NMHDR& header, bool& bSelection);

private:
    // The model's rows, order and selection into the control.
    void ShowRows();
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
