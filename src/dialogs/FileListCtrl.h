// The file list of the add and edit dialogs: one folder's subfolders and the files the filter
// lets through, in a compact list or a details view with five columns. The rows, their order and
// their selection are the list model's; this widget shows them and hands the user's clicks and
// keys to it.
#pragma once

#include <QWidget>
#include <memory>

#include "browse/FileListModel.h"
#include "dialogs/FileListItemModel.h"
#include "dialogs/QtFileInfoProvider.h"
#include "dialogs/QtListLocale.h"

class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QStackedLayout;
class QTimer;
class QTreeView;

namespace tq {

class CFileListCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CFileListCtrl(QWidget* pParent = nullptr);
    ~CFileListCtrl() override;

    // The columns with their widths; called once when the dialog opens.
    void Initialize();
    // kViewDetails or kViewList.
    void SetView(int32_t nView);
    int32_t GetView() const { return m_list.GetView(); }
    void SetFilter(const std::string& strText) { m_list.SetFilter(strText); }
    // Fills the list from the folder (unless it is shown already and bForce is false); the
    // first row is then selected and focused. A large folder is read a piece at a time between
    // the user's events, under a busy cursor, its rows shown in order as they come.
    void ShowFolder(const std::string& strFolder, bool bForce);
    void Refresh();
    bool IsFilling() const { return m_list.IsFilling(); }
    // How much a piece reads (see CFileListModel::SetFillPiece).
    void SetFillPiece(size_t nAtLeast, std::chrono::steady_clock::duration time) {
        m_list.SetFillPiece(nAtLeast, time);
    }
    const std::string& GetFolder() const { return m_list.GetFolder(); }

    bool HasSelectedFile() const { return m_list.HasSelectedFile(); }
    // Nothing selected, the focus mark on the first row.
    void ClearSelection();
    // The rows, their records and their selection.
    const CFileListModel& GetModel() const { return m_list; }
    // The view in front: the compact list or the details view.
    QAbstractItemView* GetCurrentView() const;

signals:
    // Enter on the list when no selected row is a file: the dialog opens the one selected
    // folder or clears the selection. With a file selected Enter goes to the default button.
    void EnterPressed();
    // A double click on a row.
    void RowActivated(int nRow);
    void SelectionChanged();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void OnHeaderClicked(int nColumn);
    // Reads and shows the next piece of the folder being filled; with pStartFolder, the first
    // piece of that folder.
    void FillPiece(const std::string* pStartFolder);
    // Shows the list model's selection and focus in the views (scrolled to the focus unless
    // bScroll is false), and takes the user's back.
    void ShowSelection(bool bScroll = true);
    void TakeSelection();

    CQtFileInfoProvider m_provider;
    CQtListLocale m_locale;
    CFileListModel m_list;
    CFileListItemModel m_items;
    QStackedLayout* m_pStack;
    QListView* m_pListView;
    QTreeView* m_pDetailsView;
    QItemSelectionModel* m_pSelection;
    QTimer* m_pFillTimer;
    bool m_bShowingSelection = false;
};

}  // namespace tq
