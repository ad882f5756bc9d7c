#include "dialogs/TargetListBox.h"

#include <QKeyEvent>

#include "dialogs/InputMethod.h"
#include "dialogs/QtText.h"

namespace tq {

CTargetListBox::CTargetListBox(QWidget* pParent) : QListWidget(pParent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A list box of the template: a vertical scroll bar only; long paths are cut at the edge.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
}

int32_t CTargetListBox::FindStringExact(const std::string& strText) const {
    return m_entries.FindStringExact(strText);
}

int32_t CTargetListBox::AddString(const std::string& strText) {
    int32_t index = m_entries.AddString(strText);
    if (index < 0) {
        return index;
    }
    auto* pItem = new QListWidgetItem(QStringFromCp932(strText));
    insertItem(index, pItem);
    scrollToItem(pItem, QAbstractItemView::EnsureVisible);
    return index;
}

std::vector<std::string> CTargetListBox::RemoveSelected() {
    std::vector<std::string> removed;
    const int nCaret = currentRow();
    setUpdatesEnabled(false);
    for (int i = count() - 1; i >= 0; --i) {
        if (item(i)->isSelected()) {
            removed.push_back(m_entries.GetEntries()[static_cast<size_t>(i)]);
            m_entries.DeleteString(i);
            delete takeItem(i);
        }
    }
    setUpdatesEnabled(true);
    clearSelection();
    if (count() > 0) {
        int nRow = nCaret >= 0 && nCaret < count() ? nCaret : count() - 1;
        setCurrentRow(nRow, QItemSelectionModel::ClearAndSelect);
    }
    return removed;
}

void CTargetListBox::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->key() == Qt::Key_Delete) {
        emit DeletePressed();
    }
    QListWidget::keyPressEvent(pEvent);
}

void CTargetListBox::focusInEvent(QFocusEvent* pEvent) {
    QListWidget::focusInEvent(pEvent);
    SetInputMethodOpen(this, false);
}

}  // namespace tq
