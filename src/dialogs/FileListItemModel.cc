#include "dialogs/FileListItemModel.h"

#include "browse/FileListColumns.h"
#include "dialogs/QtText.h"

namespace tq {

namespace {

Qt::Alignment AlignmentOf(int nColumn) {
    const CListColumn* pColumn = GetListColumn(nColumn);
    bool bRight = pColumn != nullptr && pColumn->m_align == EColumnAlign::kRight;
    return (bRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

}  // namespace

CFileListItemModel::CFileListItemModel(CFileListModel& list, const CQtFileInfoProvider& provider,
                                       QObject* pParent)
    : QAbstractTableModel(pParent), m_list(list), m_provider(provider) {}

int CFileListItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.GetRowCount());
}

int CFileListItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumnCount;
}

QVariant CFileListItemModel::data(const QModelIndex& index, int nRole) const {
    const CFileListItem* pItem = m_list.GetItem(static_cast<size_t>(index.row()));
    if (!index.isValid() || pItem == nullptr) {
        return QVariant();
    }
    switch (nRole) {
        case Qt::DisplayRole:
            return QStringFromCp932(
                m_list.GetCellText(static_cast<size_t>(index.row()), index.column()));
        case Qt::DecorationRole:
            return index.column() == kColumnName ? QVariant(m_provider.GetIcon(pItem->m_nIcon))
                                                 : QVariant();
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(AlignmentOf(index.column()));
        default:
            return QVariant();
    }
}

Qt::ItemFlags CFileListItemModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

QVariant CFileListItemModel::headerData(int nSection, Qt::Orientation orientation,
                                        int nRole) const {
    const CListColumn* pColumn = GetListColumn(nSection);
    if (orientation != Qt::Horizontal || pColumn == nullptr) {
        return QVariant();
    }
    if (nRole == Qt::DisplayRole) {
        return QStringFromCp932(pColumn->m_pszHeading);
    }
    if (nRole == Qt::TextAlignmentRole) {
        return QVariant::fromValue(AlignmentOf(nSection));
    }
    return QVariant();
}

}  // namespace tq
