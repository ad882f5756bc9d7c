// The file list's rows as the toolkit's views read them: one row per row of the list's model,
// five columns with their headings, widths and alignment, icons in the name column.
#pragma once

#include <QAbstractTableModel>

#include "browse/FileListModel.h"
#include "dialogs/QtFileInfoProvider.h"

namespace tq {

class CFileListItemModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The list and the provider must outlive the model.
    CFileListItemModel(CFileListModel& list, const CQtFileInfoProvider& provider,
                       QObject* pParent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole) const override;
    // Selectable, never editable. The toolkit's item views switch the input method on or off at
    // every focus-in and every change of the current row, by whether that row is editable: rows
    // that never are keep it off, so that typing jumps to a name instead of composing one.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int nSection, Qt::Orientation orientation, int nRole) const override;

    // Runs a change of the list's rows (a fill, a sort, the detail texts) and tells the views.
    template <typename Change>
    void ChangeRows(Change change) {
        beginResetModel();
        change();
        endResetModel();
    }

private:
    CFileListModel& m_list;
    const CQtFileInfoProvider& m_provider;
};

}  // namespace tq
