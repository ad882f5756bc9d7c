// The selection state of the file list's rows: which rows are selected, the row with the focus
// mark and the row with the selection mark (the row the user last picked). The toolkit layer
// mirrors its own selection into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tq {

class CListSelection {
public:
    static constexpr int32_t kNone = -1;

    // Forgets everything and takes a new number of rows, none selected.
    void Reset(size_t nRows);
    size_t GetRowCount() const { return m_selected.size(); }
    // Rows added after the last one, none selected (a folder still being read).
    void AddRows(size_t nRows) { m_selected.resize(m_selected.size() + nRows, false); }

    // Selects or deselects one row; an index out of range changes nothing and gives -1.
    int32_t SetSelected(size_t nRow, bool bSelected);
    bool IsSelected(size_t nRow) const;
    // Row 0 selected, focused and marked; nothing when there are no rows.
    void SelectFirst();
    // Every row deselected, then the focus mark (without selection) on row 0; nothing when
    // there are no rows.
    void Clear();

    std::vector<size_t> GetSelectedRows() const;  // in index order
    size_t GetSelectedCount() const;
    int32_t GetFocusRow() const { return m_nFocus; }
    // The row the user moved the focus mark to; an index out of range leaves it.
    void SetFocusRow(size_t nRow);
    int32_t GetSelectionMark() const { return m_nMark; }
    // Moves the state with the rows after they were reordered: row order[i] became row i.
    void Reorder(const std::vector<size_t>& order);

private:
    std::vector<bool> m_selected;
    int32_t m_nFocus = kNone;
    int32_t m_nMark = kNone;
};

}  // namespace tq
