#include "dialogs/FileListCtrl.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>

#include "browse/FileListColumns.h"
#include "browse/FileListSort.h"
#include "dialogs/InputMethod.h"

namespace tq {

namespace {

// The compact list gives every row the size of one (a folder of many thousands would otherwise
// measure each row at every layout); the toolkit would take the last row's, which cuts every
// longer name short. This takes the size of the row with the longest name.
class CLongestNameDelegate : public QStyledItemDelegate {
public:
    CLongestNameDelegate(const CFileListModel& list, QObject* pParent)
        : QStyledItemDelegate(pParent), m_list(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QModelIndex longest =
            index.sibling(static_cast<int>(m_list.GetLongestNameRow()), index.column());
        return QStyledItemDelegate::sizeHint(option, longest.isValid() ? longest : index);
    }

private:
    const CFileListModel& m_list;
};

void SetUpView(QAbstractItemView* pView) {
    pView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pView->setSelectionBehavior(QAbstractItemView::SelectRows);
    pView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    pView->setIconSize(QSize(16, 16));
    // Off from the start too: a view switches it on when it is made, and off again only once a
    // row becomes current (see the item model's flags).
    SetInputMethodOpen(pView, false);
}

}  // namespace

CFileListCtrl::CFileListCtrl(QWidget* pParent)
    : QWidget(pParent),
      m_list(m_provider, m_locale),
      m_items(m_list, m_provider),
      m_pStack(new QStackedLayout(this)),
      m_pListView(new QListView(this)),
      m_pDetailsView(new QTreeView(this)),
      m_pFillTimer(new QTimer(this)) {
    // The next piece of a folder is read once the events waiting have been served.
    m_pFillTimer->setSingleShot(true);
    m_pFillTimer->setInterval(0);
    connect(m_pFillTimer, &QTimer::timeout, this, [this] { FillPiece(nullptr); });
    // The compact list: names in columns that fill the height, then run to the right.
    m_pListView->setViewMode(QListView::ListMode);
    m_pListView->setFlow(QListView::TopToBottom);
    m_pListView->setWrapping(true);
    m_pListView->setResizeMode(QListView::Adjust);
    m_pListView->setUniformItemSizes(true);
    m_pListView->setItemDelegate(new CLongestNameDelegate(m_list, m_pListView));
    m_pDetailsView->setRootIsDecorated(false);
    m_pDetailsView->setUniformRowHeights(true);
    m_pDetailsView->setAllColumnsShowFocus(true);
    m_pDetailsView->setItemsExpandable(false);
    for (QAbstractItemView* pView : {static_cast<QAbstractItemView*>(m_pListView),
                                     static_cast<QAbstractItemView*>(m_pDetailsView)}) {
        SetUpView(pView);
        pView->setModel(&m_items);
        pView->installEventFilter(this);
        connect(pView, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex& index) { emit RowActivated(index.row()); });
        m_pStack->addWidget(pView);
    }
    // One selection for both views, so that switching keeps it.
    m_pSelection = m_pListView->selectionModel();
    QItemSelectionModel* pOwn = m_pDetailsView->selectionModel();
    m_pDetailsView->setSelectionModel(m_pSelection);
    delete pOwn;
    connect(m_pSelection, &QItemSelectionModel::selectionChanged, this,
            [this] { TakeSelection(); });
    QHeaderView* pHeader = m_pDetailsView->header();
    pHeader->setSectionsClickable(true);
    pHeader->setStretchLastSection(false);
    pHeader->setSortIndicatorShown(true);
    connect(pHeader, &QHeaderView::sectionClicked, this, &CFileListCtrl::OnHeaderClicked);
    setFocusProxy(m_pListView);
}

CFileListCtrl::~CFileListCtrl() = default;

void CFileListCtrl::Initialize() {
    for (int nColumn = 0; nColumn < kListColumnCount; ++nColumn) {
        m_pDetailsView->setColumnWidth(nColumn, GetListColumn(nColumn)->m_nWidth);
    }
    m_pDetailsView->header()->setSortIndicator(-1, Qt::AscendingOrder);
}

QAbstractItemView* CFileListCtrl::GetCurrentView() const {
    return m_list.GetView() == kViewDetails ? static_cast<QAbstractItemView*>(m_pDetailsView)
                                            : m_pListView;
}

void CFileListCtrl::SetView(int32_t nView) {
    bool bHadFocus = GetCurrentView()->hasFocus();
    // Switching to the details view makes the detail texts the rows do not have yet.
    m_items.ChangeRows([&] { m_list.SetView(nView); });
    ShowSelection();
    m_pStack->setCurrentWidget(GetCurrentView());
    setFocusProxy(GetCurrentView());
    if (bHadFocus) {
        GetCurrentView()->setFocus();
    }
}

void CFileListCtrl::ShowFolder(const std::string& strFolder, bool bForce) {
    if (bForce || !m_list.IsShown(strFolder)) {
        FillPiece(&strFolder);
    }
}

void CFileListCtrl::Refresh() {
    ShowFolder(m_list.GetFolder(), true);
}

void CFileListCtrl::FillPiece(const std::string* pStartFolder) {
    const bool bFirst = pStartFolder != nullptr;
    // The rows are made again for each piece: what the user scrolled to and where the focus
    // mark stands are kept across.
    QAbstractItemView* pView = GetCurrentView();
    const int nLeft = pView->horizontalScrollBar()->value();
    const int nTop = pView->verticalScrollBar()->value();
    if (const QModelIndex current = m_pSelection->currentIndex(); current.isValid()) {
        m_list.GetSelection().SetFocusRow(static_cast<size_t>(current.row()));
    }
    m_items.ChangeRows([&] {
        if (bFirst) {
            m_list.StartFolder(*pStartFolder, true);
        }
        m_list.FillPiece();
    });
    if (!bFirst) {
        pView->doItemsLayout();  // the scroll bars' ranges for the new rows, before they are set
        pView->horizontalScrollBar()->setValue(nLeft);
        pView->verticalScrollBar()->setValue(nTop);
    }
    // A folder read whole in its first piece shows its focus as before; later pieces never move
    // the view under the user.
    ShowSelection(bFirst);
    for (QAbstractItemView* pEach : {static_cast<QAbstractItemView*>(m_pListView),
                                     static_cast<QAbstractItemView*>(m_pDetailsView)}) {
        if (m_list.IsFilling()) {
            pEach->viewport()->setCursor(Qt::BusyCursor);
        } else {
            pEach->viewport()->unsetCursor();
        }
    }
    if (m_list.IsFilling()) {
        m_pFillTimer->start();
    } else {
        m_pFillTimer->stop();
    }
}

void CFileListCtrl::ClearSelection() {
    m_list.ClearSelection();
    ShowSelection();
}

void CFileListCtrl::OnHeaderClicked(int nColumn) {
    m_items.ChangeRows([&] { m_list.ClickHeader(nColumn); });
    ShowSelection();
    // The odd key of a column is its first order; the arrow shows which of the two is on.
    int32_t nKey = m_list.GetSortKey();
    m_pDetailsView->header()->setSortIndicator(
        (nKey - 1) / 2, nKey % 2 == 1 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CFileListCtrl::ShowSelection(bool bScroll) {
    m_bShowingSelection = true;
    const CListSelection& selection = m_list.GetSelection();
    QItemSelection qtSelection;
    for (size_t nRow : selection.GetSelectedRows()) {
        QModelIndex index = m_items.index(static_cast<int>(nRow), 0);
        qtSelection.select(index, index);
    }
    m_pSelection->select(qtSelection,
                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QModelIndex focus = m_items.index(selection.GetFocusRow(), 0);
    m_pSelection->setCurrentIndex(focus, QItemSelectionModel::NoUpdate);
    if (bScroll && focus.isValid()) {
        GetCurrentView()->scrollTo(focus);
    }
    m_bShowingSelection = false;
    emit SelectionChanged();
}

void CFileListCtrl::TakeSelection() {
    if (m_bShowingSelection) {
        return;
    }
    CListSelection& selection = m_list.GetSelection();
    for (size_t nRow = 0; nRow < selection.GetRowCount(); ++nRow) {
        selection.SetSelected(nRow, false);
    }
    for (const QModelIndex& index : m_pSelection->selectedRows()) {
        selection.SetSelected(static_cast<size_t>(index.row()), true);
    }
    // The selection mark is the row the user picked last: the current one, when it is selected.
    QModelIndex current = m_pSelection->currentIndex();
    if (current.isValid() && m_pSelection->isRowSelected(current.row())) {
        selection.SetSelected(static_cast<size_t>(current.row()), true);
    }
    emit SelectionChanged();
}

bool CFileListCtrl::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() == QEvent::KeyPress) {
        auto* pKey = static_cast<QKeyEvent*>(pEvent);
        bool bEnter = pKey->key() == Qt::Key_Return || pKey->key() == Qt::Key_Enter;
        if (bEnter && m_list.IsEnterForList()) {
            emit EnterPressed();
            return true;
        }
    }
    return QWidget::eventFilter(pWatched, pEvent);
}

}  // namespace tq
