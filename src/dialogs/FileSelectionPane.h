// The file-selection pane that the add wizard's first page and the edit dialog share: the
// location box, the three picture buttons, the file list, Add and Remove, and the target list.
// It browses, switches the view, moves the chosen files into the target list through the
// check job behind the wait dialog, and takes them out again. The dialog gives the positions
// and its default button, and hears what was added or removed.
#pragma once

#include <QObject>
#include <QStringList>
#include <string>
#include <vector>

#include "applications/CheckJob.h"
#include "dialogs/DialogContext.h"
#include "dialogs/FilePaneCore.h"

class QDialog;
class QLabel;
class QPushButton;

namespace tq {

class CDialogUnits;
class CFileListCtrl;
class CFolderComboBox;
class CImageButton;
class CTargetListBox;

// Where the pane's controls stand, in dialog units (x, y, width, height).
struct CPaneLayout {
    int m_location[4];
    int m_locationLabel[4];
    int m_up[4];
    int m_listButton[4];
    int m_detailsButton[4];
    int m_files[4];
    int m_add[4];
    int m_remove[4];
    int m_targetsLabel[4];
    int m_targets[4];
};

// The check of an added file: its model's, through the context's topic filter.
CHelpFileCheck MakeHelpFileCheck(const CDialogContext& context);

class CFileSelectionPane : public QObject, public CFilePaneCore {
    Q_OBJECT

public:
    // Creates the controls in the dialog in tab order. strProductName captions the messages.
    CFileSelectionPane(QDialog* pDialog, const CDialogUnits& units, const CPaneLayout& layout,
                       CHelpFileCheck check, std::string strProductName);

    // The opening: the folder (its deepest existing part, as the location box takes it), the
    // view (kViewList or kViewDetails), the file filter, the targets.
    void Open(const std::string& strFolder, int32_t nView, const std::string& strFilter,
              bool bForceFill, const std::vector<std::string>& targets);
    // The button that is the default while the file list does not have the focus.
    void SetDialogDefault(QPushButton* pButton) { m_pDialogDefault = pButton; }

    std::string GetShownFolder() const;
    int32_t GetView() const;
    const std::vector<std::string>& GetTargets() const;
    CFileListCtrl* GetFileList() const { return m_pFiles; }
    CTargetListBox* GetTargetList() const { return m_pTargets; }

    void OpenFolder(const std::string& strFolder) override;
    void SetViewMode(int32_t nView) override;
    void RemoveTargets();

signals:
    // A file accepted into the target list, and one taken out of it (its Windows path): whoever
    // keeps the edit's sets hears them.
    void TargetAdded(const std::string& strPath);
    void TargetRemoved(const std::string& strPath);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    ITargetList& GetCheckTargets() override;
    std::unique_ptr<IJobWait> MakeWait() override;
    void OnTargetAccepted(const std::string& strPath) override { emit TargetAdded(strPath); }
    void ShowNotAdded(const std::string& strRefusedNames) override;
    void GoUp() override;
    void OpenLocationList() override;
    void Refresh() override;

private:
    // The controls' signals to the pane's slots, and the pane's eye on their keys.
    void ConnectControls();
    bool HandleKey(QObject* pWatched, int nKey, bool bCtrl);
    bool IsInFileList(const QObject* pObject) const;
    void UpdateAddButton();
    void UpdateUpButton();
    void UpdateRemoveButton();
    void OnAddClicked();
    void OnRowActivated(int nRow);
    void OnEnterPressed();
    void OnFilesDropped(const QStringList& localPaths);
    void OnFocusChanged(QWidget* pOld, QWidget* pNew);

    QDialog* m_pDialog;
    CFolderComboBox* m_pLocation;
    CImageButton* m_pUp;
    CImageButton* m_pListButton;
    CImageButton* m_pDetailsButton;
    CFileListCtrl* m_pFiles;
    QPushButton* m_pAdd;
    QPushButton* m_pRemove;
    CTargetListBox* m_pTargets;
    QPushButton* m_pDialogDefault = nullptr;
};

}  // namespace tq
