// The file-selection pane that the add wizard's first page and the edit dialog share, on the
// controls of their templates: the location box, the three picture buttons, the file list, Add
// and Remove, and the target list. It browses, switches the view, moves the chosen files into the
// target list through the check job behind the wait dialog, takes them out again, and takes
// files dropped on the target list. The dialog hands it its messages and keys.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "applications/CheckJob.h"
#include "dialogs/FilePaneCore.h"
#include "dialogs/win32/FileListCtrl.h"
#include "dialogs/win32/FolderComboBox.h"
#include "dialogs/win32/ImageButton.h"
#include "dialogs/win32/TargetListBox.h"
#include "dialogs/win32/WinDialog.h"

namespace tq {

class CFilePane : public CFilePaneCore {
public:
    // strProductName captions the messages.
    CFilePane(CWinDialog& dialog, CHelpFileCheck check, std::string strProductName);
    ~CFilePane() override;
    CFilePane(const CFilePane&) = delete;
    CFilePane& operator=(const CFilePane&) = delete;

    // When the dialog's window is up: the controls, the folder (its deepest existing part, as
    // the location box takes it), the view, the file filter, the targets.
    void Open(const std::string& strFolder, int32_t nView, const std::string& strFilter,
              bool bForceFill, const std::vector<std::string>& targets);

    std::string GetShownFolder() const { return m_location.GetFolder(); }
    int32_t GetView() const { return m_files.GetView(); }
    CFileListCtrl& GetFileList() { return m_files; }
    CFolderComboBox& GetLocation() { return m_location; }
    CTargetListBox& GetTargetList() { return m_targets; }
    CImageButton& GetViewButton(int32_t nView) { return nView == kViewList ? m_list : m_details; }

    void OpenFolder(const std::string& strFolder) override;
    void SetViewMode(int32_t nView) override;
    void RemoveTargets();

    // The dialog's messages and keys: true when the pane took them.
    bool OnCommand(int32_t nId, int32_t nCode);
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    bool PreTranslate(const MSG& msg);

    // Who keeps the edit's sets hears each file accepted and each taken out.
    std::function<void(const std::string&)> m_onTargetAdded;
    std::function<void(const std::string&)> m_onTargetRemoved;

protected:
    ITargetList& GetCheckTargets() override { return m_targets; }
    std::unique_ptr<IJobWait> MakeWait() override;
    void OnTargetAccepted(const std::string& strPath) override;
    void ShowNotAdded(const std::string& strRefusedNames) override;
    void GoUp() override;
    void OpenLocationList() override { m_location.DropDown(); }
    void Refresh() override;

private:
    bool OnNotify(const NMHDR& header);
    bool HandlePaneKey(const MSG& msg);
    bool HandleLocationKey(const MSG& msg);
    void OnFilesDropped(HDROP hDrop);
    void OnAddClicked();
    void OnRowActivated(int nRow);
    void OnEnterPressed();
    void SetRedraw(bool bOn);
    void UpdateAddButton();
    void UpdateUpButton();
    void UpdateRemoveButton();
    HWND Dialog() const { return m_dialog.GetHwnd(); }

    CWinDialog& m_dialog;
    CFolderComboBox m_location;
    CImageButton m_up;
    CImageButton m_list;
    CImageButton m_details;
    CFileListCtrl m_files;
    CTargetListBox m_targets;
    HWND m_hTooltip = nullptr;
};

}  // namespace tq
