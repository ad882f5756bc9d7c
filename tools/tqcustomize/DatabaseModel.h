// The window's list as the toolkit's item model over the databases the session read: the three
// sections at the top (fixed, selection-type, free-type), each database under its own in the
// object's order; the columns are the public name with the selection's check box, whether it is
// installed and whether it waits for the index builder. Every change goes to the session first
// and the rows take only what the object took: a tick through setData, and Add, Edit, Remove and
// Save. The rows' own state is what the window's modified state is read from.
#pragma once

#include <QAbstractItemModel>
#include <cstdint>
#include <string>
#include <vector>

#include "ProductSession.h"
#include "WindowRules.h"

namespace tq::customize {

class CDatabaseModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum { kColumnName, kColumnInstalled, kColumnIndex, kColumns };

    // state: the window's, by which a tick is allowed (CAction::Toggle).
    CDatabaseModel(CProductSession& session, const CWindowState& state, QObject* pParent);

    QModelIndex index(int nRow, int nColumn, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& at, int nRole) const override;
    QVariant headerData(int nSection, Qt::Orientation orientation, int nRole) const override;
    Qt::ItemFlags flags(const QModelIndex& at) const override;
    // The check box of a database's name: (de)selects it through the session.
    bool setData(const QModelIndex& at, const QVariant& value, int nRole) override;

    // The sections' rows are this high (a database's row, with its check box).
    void SetSectionHeight(int nHeight) { m_nSectionHeight = nHeight; }
    // The rows of a load (in list order), as the files have them.
    void Reset(std::vector<CDatabaseRow> rows);
    // The database of an index (any column); null for a section or none.
    const CDatabaseRow* GetRow(const QModelIndex& at) const;
    // The first database the user can change; invalid when there is none.
    QModelIndex GetFirstChangeable() const;
    bool HasSelectionChanges() const;
    bool IsStructureChanged() const { return m_bStructureChanged; }

    // The changes, through the session; 0 or the code. Add gives the new row in pAdded.
    int32_t Add(const std::vector<std::string>& targets, QModelIndex& added);
    int32_t Edit(const QModelIndex& at);
    int32_t Remove(const QModelIndex& at);
    // Save with the session's mode; the saved rows then count as the files have them, and their
    // markers say what the builder waits for now.
    int32_t Save(int32_t lMode);

signals:
    // The object refused a tick (the code's message is the window's to show).
    void TickRefused(int32_t lCode);

private:
    CDatabaseRow* FindRow(const QModelIndex& at);
    QModelIndex SectionIndex(int32_t lType) const { return createIndex(lType - 1, 0, quintptr{0}); }
    QVariant SectionData(int nSection, int nColumn, int nRole) const;
    QVariant RowData(const CDatabaseRow& row, int nColumn, int nRole) const;
    void RowChanged(const QModelIndex& at);
    void UpdateIndexMarkers();

    CProductSession& m_session;
    const CWindowState& m_state;
    std::vector<CDatabaseRow> m_sections[3];  // fixed, selection-type, free-type
    bool m_bStructureChanged = false;
    int m_nSectionHeight = 0;
};

}  // namespace tq::customize
