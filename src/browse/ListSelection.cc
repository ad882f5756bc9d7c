#include "browse/ListSelection.h"

namespace tq {

void CListSelection::Reset(size_t nRows) {
    m_selected.assign(nRows, false);
    m_nFocus = kNone;
    m_nMark = kNone;
}

int32_t CListSelection::SetSelected(size_t nRow, bool bSelected) {
    if (nRow >= m_selected.size()) {
        return -1;
    }
    m_selected[nRow] = bSelected;
    if (bSelected) {
        m_nMark = static_cast<int32_t>(nRow);
    }
    return 0;
}

bool CListSelection::IsSelected(size_t nRow) const {
    return nRow < m_selected.size() && m_selected[nRow];
}

void CListSelection::SetFocusRow(size_t nRow) {
    if (nRow < m_selected.size()) {
        m_nFocus = static_cast<int32_t>(nRow);
    }
}

void CListSelection::SelectFirst() {
    if (m_selected.empty()) {
        return;
    }
    m_selected[0] = true;
    m_nFocus = 0;
    m_nMark = 0;
}

void CListSelection::Clear() {
    if (m_selected.empty()) {
        return;
    }
    m_selected.assign(m_selected.size(), false);
    m_nFocus = 0;
}

std::vector<size_t> CListSelection::GetSelectedRows() const {
    std::vector<size_t> rows;
    for (size_t i = 0; i < m_selected.size(); ++i) {
        if (m_selected[i]) {
            rows.push_back(i);
        }
    }
    return rows;
}

size_t CListSelection::GetSelectedCount() const {
    size_t n = 0;
    for (bool b : m_selected) {
        n += b ? 1 : 0;
    }
    return n;
}

void CListSelection::Reorder(const std::vector<size_t>& order) {
    if (order.size() != m_selected.size()) {
        return;
    }
    std::vector<bool> selected(order.size());
    int32_t nFocus = kNone;
    int32_t nMark = kNone;
    for (size_t i = 0; i < order.size(); ++i) {
        selected[i] = m_selected[order[i]];
        if (static_cast<int32_t>(order[i]) == m_nFocus) {
            nFocus = static_cast<int32_t>(i);
        }
        if (static_cast<int32_t>(order[i]) == m_nMark) {
            nMark = static_cast<int32_t>(i);
        }
    }
    m_selected = std::move(selected);
    m_nFocus = nFocus;
    m_nMark = nMark;
}

}  // namespace tq
