#include "dialogs/TargetListBox.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include "dialogs/InputMethod.h"
#include "dialogs/toolkit/QtText.h"

namespace tq {

CTargetListBox::CTargetListBox(QWidget* pParent) : QListWidget(pParent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A list box of the template: a vertical scroll bar only; long paths are cut at the edge.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    viewport()->setAcceptDrops(true);  // the drop lands on the viewport
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
    if (const int32_t nRow = m_entries.RowAfterRemoval(nCaret); nRow >= 0) {
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

namespace {

// The local files of a drag, in its order; empty when it carries none.
QStringList LocalFiles(const QMimeData* pData) {
    QStringList files;
    if (pData == nullptr || !pData->hasUrls()) {
        return files;
    }
    for (const QUrl& url : pData->urls()) {
        if (url.isLocalFile()) {
            files.push_back(url.toLocalFile());
        }
    }
    return files;
}

}  // namespace

void CTargetListBox::dragEnterEvent(QDragEnterEvent* pEvent) {
    dragMoveEvent(pEvent);  // an entering drag is taken as a moving one is
}

void CTargetListBox::dragMoveEvent(QDragMoveEvent* pEvent) {
    if (LocalFiles(pEvent->mimeData()).isEmpty()) {
        pEvent->ignore();
        return;
    }
    pEvent->acceptProposedAction();
}

void CTargetListBox::dropEvent(QDropEvent* pEvent) {
    QStringList files = LocalFiles(pEvent->mimeData());
    if (files.isEmpty()) {
        pEvent->ignore();
        return;
    }
    pEvent->acceptProposedAction();
    // After the drop has ended: the check runs behind a modal wait dialog, which must not
    // start inside the drag's own handling.
    QMetaObject::invokeMethod(
        this, [this, files] { emit FilesDropped(files); }, Qt::QueuedConnection);
}

}  // namespace tq
