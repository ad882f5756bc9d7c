#include "DatabaseModel.h"

#include <QFont>
#include <QSize>
#include <algorithm>

#include "dialogs/toolkit/QtText.h"
#include "resources/ErrorCodes.h"

namespace tq::customize {

namespace {

// The internal id of an index: 0 for a section, else its section's number plus one.
constexpr quintptr kSectionId = 0;

QString FromUtf8(const char* psz) {
    return QString::fromUtf8(psz);
}

}  // namespace

CDatabaseModel::CDatabaseModel(CProductSession& session, const CWindowState& state,
                               QObject* pParent)
    : QAbstractItemModel(pParent), m_session(session), m_state(state) {}

QModelIndex CDatabaseModel::index(int nRow, int nColumn, const QModelIndex& parent) const {
    if (!hasIndex(nRow, nColumn, parent)) {
        return {};
    }
    return parent.isValid() ? createIndex(nRow, nColumn, static_cast<quintptr>(parent.row() + 1))
                            : createIndex(nRow, nColumn, kSectionId);
}

QModelIndex CDatabaseModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kSectionId) {
        return {};
    }
    return SectionIndex(static_cast<int32_t>(child.internalId()));
}

int CDatabaseModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return 3;
    }
    const bool bSection = parent.internalId() == kSectionId && parent.column() == 0;
    return bSection ? static_cast<int>(m_sections[parent.row()].size()) : 0;
}

int CDatabaseModel::columnCount(const QModelIndex&) const {
    return kColumns;
}

const CDatabaseRow* CDatabaseModel::GetRow(const QModelIndex& at) const {
    if (!at.isValid() || at.model() != this || at.internalId() == kSectionId) {
        return nullptr;
    }
    const std::vector<CDatabaseRow>& section = m_sections[at.internalId() - 1];
    return static_cast<size_t>(at.row()) < section.size() ? &section[static_cast<size_t>(at.row())]
                                                          : nullptr;
}

CDatabaseRow* CDatabaseModel::FindRow(const QModelIndex& at) {
    return const_cast<CDatabaseRow*>(GetRow(at));
}

QVariant CDatabaseModel::data(const QModelIndex& at, int nRole) const {
    if (const CDatabaseRow* pRow = GetRow(at)) {
        return RowData(*pRow, at.column(), nRole);
    }
    return at.isValid() ? SectionData(at.row(), at.column(), nRole) : QVariant();
}

QVariant CDatabaseModel::SectionData(int nSection, int nColumn, int nRole) const {
    if (nColumn != kColumnName) {
        return {};
    }
    switch (nRole) {
        case Qt::DisplayRole:
            return FromUtf8(kSectionTitles[nSection]);
        case Qt::FontRole: {
            QFont font;
            font.setBold(true);
            return font;
        }
        case Qt::SizeHintRole:
            return m_nSectionHeight > 0 ? QVariant(QSize(0, m_nSectionHeight)) : QVariant();
        default:
            return {};
    }
}

QVariant CDatabaseModel::RowData(const CDatabaseRow& row, int nColumn, int nRole) const {
    const CRowTexts texts = GetRowTexts(row);
    if (nRole == Qt::CheckStateRole && nColumn == kColumnName) {
        return row.m_bSelected ? Qt::Checked : Qt::Unchecked;
    }
    if (nRole == Qt::ToolTipRole && nColumn == kColumnIndex) {
        return QString::fromStdString(texts.m_strIndexTip);
    }
    if (nRole != Qt::DisplayRole) {
        return {};
    }
    switch (nColumn) {
        case kColumnName:
            return QStringFromCp932(row.m_strPublicName);
        case kColumnInstalled:
            return QString::fromStdString(texts.m_strInstalled);
        default:
            return QString::fromStdString(texts.m_strIndex);
    }
}

QVariant CDatabaseModel::headerData(int nSection, Qt::Orientation orientation, int nRole) const {
    if (orientation != Qt::Horizontal || nRole != Qt::DisplayRole || nSection < 0 ||
        nSection >= kColumns) {
        return {};
    }
    return FromUtf8(kColumnTitles[nSection]);
}

Qt::ItemFlags CDatabaseModel::flags(const QModelIndex& at) const {
    const CDatabaseRow* pRow = GetRow(at);
    if (pRow == nullptr) {
        return at.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }
    // Fixed databases are always searched: checked, and not for the user to change.
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    return pRow->m_lType == DBTYPE_FIXED ? flags : flags | Qt::ItemIsEnabled;
}

bool CDatabaseModel::setData(const QModelIndex& at, const QVariant& value, int nRole) {
    CDatabaseRow* pRow = FindRow(at);
    if (pRow == nullptr || nRole != Qt::CheckStateRole || at.column() != kColumnName) {
        return false;
    }
    const bool bChecked = value.toInt() == Qt::Checked;
    CWindowState state = m_state;  // the ticked row, which need not be the current one
    state.m_lCurrentType = pRow->m_lType;
    if (bChecked == pRow->m_bSelected || !GetActionState(CAction::Toggle, state).m_bEnabled) {
        return false;
    }
    if (const int32_t lResult = m_session.SetSelected(*pRow, bChecked); lResult != 0) {
        emit TickRefused(lResult);
        return false;
    }
    pRow->m_bSelected = bChecked;
    emit dataChanged(at, at, {Qt::CheckStateRole});
    return true;
}

void CDatabaseModel::Reset(std::vector<CDatabaseRow> rows) {
    beginResetModel();
    for (auto& section : m_sections) {
        section.clear();
    }
    for (CDatabaseRow& row : rows) {
        m_sections[row.m_lType - 1].push_back(std::move(row));
    }
    m_bStructureChanged = false;
    endResetModel();
}

QModelIndex CDatabaseModel::GetFirstChangeable() const {
    for (int32_t lType : {DBTYPE_SELECTION, DBTYPE_FREE}) {
        if (!m_sections[lType - 1].empty()) {
            return index(0, kColumnName, SectionIndex(lType));
        }
    }
    return {};
}

bool CDatabaseModel::HasSelectionChanges() const {
    return std::any_of(std::begin(m_sections), std::end(m_sections), [](const auto& section) {
        return std::any_of(section.begin(), section.end(), [](const CDatabaseRow& row) {
            return row.m_bSelected != row.m_bWasSelected;
        });
    });
}

void CDatabaseModel::RowChanged(const QModelIndex& at) {
    emit dataChanged(at.siblingAtColumn(kColumnName), at.siblingAtColumn(kColumns - 1));
}

int32_t CDatabaseModel::Add(const std::vector<std::string>& targets, QModelIndex& added) {
    const int32_t lNumber = m_session.Add(targets);
    if (lNumber < 0) {
        return lNumber;
    }
    CDatabaseRow row;
    if (const int32_t lResult = m_session.ReadRow(DBTYPE_FREE, lNumber, row); lResult != 0) {
        return lResult;
    }
    row.m_bWasSelected = row.m_bSelected;
    std::vector<CDatabaseRow>& section = m_sections[DBTYPE_FREE - 1];
    const int nRow = static_cast<int>(section.size());
    beginInsertRows(SectionIndex(DBTYPE_FREE), nRow, nRow);
    section.push_back(std::move(row));
    m_bStructureChanged = true;
    endInsertRows();
    added = index(nRow, kColumnName, SectionIndex(DBTYPE_FREE));
    return 0;
}

int32_t CDatabaseModel::Edit(const QModelIndex& at) {
    CDatabaseRow* pRow = FindRow(at);
    int32_t lResult = pRow != nullptr ? m_session.Edit(*pRow) : TQE_CANCELLED;
    if (lResult == 0) {
        lResult = m_session.ReadRow(pRow->m_lType, pRow->m_lNumber, *pRow);
        m_bStructureChanged = true;
        RowChanged(at);
    }
    return lResult;
}

int32_t CDatabaseModel::Remove(const QModelIndex& at) {
    const CDatabaseRow* pRow = GetRow(at);
    const int32_t lResult = pRow != nullptr ? m_session.Remove(*pRow) : TQE_CANCELLED;
    if (lResult != 0) {
        return lResult;
    }
    // The databases after it move up one number.
    std::vector<CDatabaseRow>& section = m_sections[pRow->m_lType - 1];
    beginRemoveRows(at.parent(), at.row(), at.row());
    for (auto next = section.erase(section.begin() + at.row()); next != section.end(); ++next) {
        --next->m_lNumber;
    }
    m_bStructureChanged = true;
    endRemoveRows();
    return 0;
}

int32_t CDatabaseModel::Save(int32_t lMode) {
    if (const int32_t lResult = m_session.Save(lMode); lResult != 0) {
        return lResult;
    }
    for (auto& section : m_sections) {
        for (CDatabaseRow& row : section) {
            row.m_bWasSelected = row.m_bSelected;
        }
    }
    m_bStructureChanged = false;
    UpdateIndexMarkers();
    return 0;
}

void CDatabaseModel::UpdateIndexMarkers() {
    for (int32_t lType = DBTYPE_FIXED; lType <= DBTYPE_FREE; ++lType) {
        std::vector<CDatabaseRow>& section = m_sections[lType - 1];
        for (size_t n = 0; n < section.size(); ++n) {
            // Only the rows whose marker changed are drawn again: a save touches few of thousands.
            if (m_session.IsIndexPending(section[n]) != section[n].m_bIndexPending) {
                section[n].m_bIndexPending = !section[n].m_bIndexPending;
                RowChanged(index(static_cast<int>(n), kColumnName, SectionIndex(lType)));
            }
        }
    }
}

}  // namespace tq::customize
