#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "ProductFiles.h"
#include "platform/Cp932.h"
#include "platform/MessageBox.h"
#include "resources/ErrorCodes.h"

namespace tq::customize {

namespace {

enum { kColumnName, kColumnInstalled, kColumnIndex };

QString FromCp932(const std::string& str) {
    return QString::fromStdString(Cp932ToUtf8Lossy(str));
}

QString FromUtf8(const std::string& str) {
    return QString::fromStdString(str);
}

// The component's questions and warnings, above whatever window of the host is active.
class CWindowMessageBox : public CMessageBox {
public:
    int32_t AskYesNo(const std::string& strText, const std::string& strCaption) override {
        return Run(QMessageBox::Question, strText, strCaption,
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
                   ? IDYES
                   : IDNO;
    }
    void ShowWarning(const std::string& strText, const std::string& strCaption) override {
        Run(QMessageBox::Warning, strText, strCaption, QMessageBox::Ok);
    }

private:
    static int Run(QMessageBox::Icon icon, const std::string& strText,
                   const std::string& strCaption, QMessageBox::StandardButtons buttons) {
        QWidget* pParent = QApplication::activeModalWidget();
        QMessageBox box(icon, FromCp932(strCaption), FromCp932(strText), buttons,
                        pParent != nullptr ? pParent : QApplication::activeWindow());
        return box.exec();
    }
};

CWindowMessageBox g_messageBox;

constexpr CAction kButtons[] = {CAction::Add, CAction::Edit, CAction::Remove, CAction::Save,
                                CAction::Revert};

}  // namespace

CMainWindow::CMainWindow(std::string strProduct, QWidget* pParent)
    : QMainWindow(pParent), m_strProduct(std::move(strProduct)), m_strTitle(m_strProduct) {
    SetMessageBox(&g_messageBox);
    setAcceptDrops(true);
    auto* pCentral = new QWidget(this);
    auto* pLayout = new QVBoxLayout(pCentral);
    CreateList(pCentral);
    pLayout->addWidget(m_pList);
    auto* pButtons = new QHBoxLayout;
    for (CAction action : kButtons) {
        auto* pButton = new QPushButton(FromUtf8(GetActionLabel(action)), pCentral);
        pButton->setAutoDefault(true);  // Enter on a button with the focus presses it
        m_pButtons[static_cast<int>(action)] = pButton;
        pButtons->addWidget(pButton);
    }
    pButtons->addStretch();
    pLayout->addLayout(pButtons);
    setCentralWidget(pCentral);
    m_pStatus = new QLabel(this);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setMaximumWidth(200);
    statusBar()->addWidget(m_pStatus, 1);
    statusBar()->addPermanentWidget(m_pProgress);
    m_pPoll = new QTimer(this);
    m_pPoll->setInterval(1000);
    ConnectActions();
    RestorePlacement();
    Update();
}

void CMainWindow::CreateList(QWidget* pParent) {
    m_pList = new QTreeWidget(pParent);
    m_pList->setColumnCount(3);
    m_pList->setHeaderLabels(
        {FromUtf8(kColumnTitles[0]), FromUtf8(kColumnTitles[1]), FromUtf8(kColumnTitles[2])});
    m_pList->header()->setSectionResizeMode(kColumnName, QHeaderView::Stretch);
    m_pList->header()->setStretchLastSection(false);
    m_pList->setUniformRowHeights(true);  // a list of thousands lays out at once
    m_pList->setAcceptDrops(false);       // a drop on it is the window's
    m_pList->installEventFilter(this);
    // Rows are as high as the first, a section's, which has no check box: it is made as high as
    // a database's, or the boxes of a font with short lines would touch.
    const int nRowHeight =
        std::max(m_pList->fontMetrics().height(),
                 m_pList->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, m_pList)) +
        4;
    for (int i = 0; i < 3; ++i) {
        m_pSectionItems[i] = new QTreeWidgetItem(m_pList, {FromUtf8(kSectionTitles[i])});
        m_pSectionItems[i]->setSizeHint(kColumnName, QSize(0, nRowHeight));
        m_pSectionItems[i]->setFlags(Qt::ItemIsEnabled);
        QFont font = m_pSectionItems[i]->font(kColumnName);
        font.setBold(true);
        m_pSectionItems[i]->setFont(kColumnName, font);
    }
}

void CMainWindow::ConnectActions() {
    connect(GetButton(CAction::Add), &QPushButton::clicked, this, [this] { Add(); });
    connect(GetButton(CAction::Edit), &QPushButton::clicked, this, &CMainWindow::Edit);
    connect(GetButton(CAction::Remove), &QPushButton::clicked, this, &CMainWindow::Remove);
    connect(GetButton(CAction::Save), &QPushButton::clicked, this, &CMainWindow::Save);
    connect(GetButton(CAction::Revert), &QPushButton::clicked, this, &CMainWindow::Revert);
    connect(m_pList, &QTreeWidget::itemChanged, this, &CMainWindow::OnItemChanged);
    connect(m_pList, &QTreeWidget::currentItemChanged, this, &CMainWindow::Update);
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, &CMainWindow::Edit);
    connect(m_pPoll, &QTimer::timeout, this, &CMainWindow::Poll);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            &CMainWindow::Save);
    connect(new QShortcut(QKeySequence(Qt::Key_Delete), this), &QShortcut::activated, this,
            &CMainWindow::Remove);
    connect(new QShortcut(QKeySequence(Qt::Key_F2), this), &QShortcut::activated, this,
            &CMainWindow::Edit);
    connect(new QShortcut(QKeySequence::Quit, this), &QShortcut::activated, this,
            &CMainWindow::close);
}

void CMainWindow::RestorePlacement() {
    // A place on a screen that is no longer there is not kept to.
    CWindowPlacement placement;
    const bool bKept = ReadWindowPlacement(GetProductKeyPath(m_strProduct), placement);
    const QRect place(placement.m_nX, placement.m_nY, placement.m_nWidth, placement.m_nHeight);
    if (bKept && QGuiApplication::screenAt(place.center()) != nullptr) {
        setGeometry(place);
    } else {
        resize(640, 480);
    }
}

CMainWindow::~CMainWindow() {
    StopWorker();
    SetMessageBox(nullptr);
}

void CMainWindow::StopWorker() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

QPushButton* CMainWindow::GetButton(CAction action) const {
    return m_pButtons[static_cast<int>(action)];
}

void CMainWindow::SetPollInterval(int nMs) {
    m_pPoll->setInterval(nMs);
}

void CMainWindow::showEvent(QShowEvent* pEvent) {
    QMainWindow::showEvent(pEvent);
    if (!m_bStarted) {
        m_bStarted = true;
        StartLoad();
    }
}

void CMainWindow::StartLoad() {
    StopWorker();
    m_state.m_list = CWindowState::CList::Loading;
    m_pPoll->stop();
    m_pProgress->setRange(0, 0);
    m_pProgress->show();
    Update();
    // The object is the worker's until it reports back; the window leaves it alone meanwhile.
    m_worker = std::thread([this] {
        std::vector<CDatabaseRow> rows;
        int32_t lStatus = kStatusFree;
        int32_t lResult = m_session.IsOpen() ? 0 : m_session.Open(m_strProduct);
        if (lResult == 0) {
            lResult = m_session.Load(rows, lStatus, [this](int32_t lDone, int32_t lTotal) {
                QMetaObject::invokeMethod(
                    this, [this, lDone, lTotal] { ShowProgress(lDone, lTotal); },
                    Qt::QueuedConnection);
            });
        }
        QMetaObject::invokeMethod(
            this,
            [this, lResult, lStatus, rows = std::move(rows)]() mutable {
                FinishLoad(lResult, lStatus, std::move(rows));
            },
            Qt::QueuedConnection);
    });
}

void CMainWindow::ShowProgress(int32_t lDone, int32_t lTotal) {
    m_pProgress->setRange(0, lTotal);
    m_pProgress->setValue(lDone);
}

void CMainWindow::FinishLoad(int32_t lResult, int32_t lStatus, std::vector<CDatabaseRow> rows) {
    StopWorker();
    m_pProgress->hide();
    if (!m_session.GetProductName().empty()) {
        m_strTitle = m_session.GetProductName();
    }
    m_state.m_lStatus = lStatus;
    m_state.m_bCustomize = lResult == 0 && m_session.CanCustomize();
    m_state.m_nSelectionDiffs = 0;
    m_state.m_bStructureChanged = false;
    for (auto& section : m_sections) {
        section.clear();
    }
    for (CDatabaseRow& row : rows) {
        m_sections[row.m_lType - 1].push_back(std::move(row));
    }
    if (lResult == 0) {
        m_state.m_list = CWindowState::CList::Loaded;
    } else if (lResult == TQE_EDITING && (lStatus == kStatusEditing || lStatus == kStatusLocked)) {
        m_state.m_list = CWindowState::CList::Blocked;
        m_pPoll->start();
    } else {
        m_state.m_list = CWindowState::CList::Failed;
        m_state.m_strFailure = Cp932ToUtf8Lossy(m_session.GetMessage(lResult));
    }
    FillList();
    Update();
    if (m_state.m_list == CWindowState::CList::Failed && m_bReportFailures) {
        ReportFailure(lResult);
    }
    emit LoadEnded();
}

void CMainWindow::ReportFailure(int32_t lCode) {
    // The reader's account of a damaged file is in the indexing log.
    const std::string strLog =
        m_session.IsOpen() ? ReadIndexingLog(m_session.GetKeyPath()) : std::string();
    QMessageBox box(QMessageBox::Warning, windowTitle(),
                    FromUtf8(FormatError(lCode, m_state.m_strFailure)), QMessageBox::Ok, this);
    box.setInformativeText(
        FromCp932(strLog.substr(strLog.size() - std::min<size_t>(strLog.size(), 2000))));
    box.exec();
}

void CMainWindow::Poll() {
    if (m_state.m_list != CWindowState::CList::Blocked || !m_session.IsOpen()) {
        return;
    }
    const int32_t lStatus = m_session.GetStatus();
    if (lStatus == kStatusEditing || lStatus == kStatusLocked) {
        m_state.m_lStatus = lStatus;
        Update();
    } else {
        StartLoad();
    }
}

void CMainWindow::SetRowItem(QTreeWidgetItem* pItem, const CDatabaseRow& row) {
    pItem->setText(kColumnName, FromCp932(row.m_strPublicName));
    const CRowTexts texts = GetRowTexts(row);
    pItem->setText(kColumnInstalled, FromUtf8(texts.m_strInstalled));
    pItem->setText(kColumnIndex, FromUtf8(texts.m_strIndex));
    pItem->setToolTip(kColumnIndex, FromUtf8(texts.m_strIndexTip));
    // Fixed databases are always searched: checked, and not for the user to change.
    pItem->setFlags(row.m_lType == kTypeFixed
                        ? Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                        : Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    pItem->setCheckState(kColumnName, row.m_bSelected ? Qt::Checked : Qt::Unchecked);
}

void CMainWindow::FillList() {
    m_bFilling = true;
    m_pList->setUpdatesEnabled(false);
    for (int i = 0; i < 3; ++i) {
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(m_sections[i].size()));
        for (const CDatabaseRow& row : m_sections[i]) {
            auto* pItem = new QTreeWidgetItem;
            SetRowItem(pItem, row);
            items.append(pItem);
        }
        qDeleteAll(m_pSectionItems[i]->takeChildren());
        m_pSectionItems[i]->addChildren(items);
        m_pSectionItems[i]->setExpanded(true);
    }
    m_pList->setUpdatesEnabled(true);
    m_pList->resizeColumnToContents(kColumnInstalled);
    m_pList->resizeColumnToContents(kColumnIndex);
    m_bFilling = false;
    // The first database the user can change.
    for (QTreeWidgetItem* pSection : {m_pSectionItems[1], m_pSectionItems[2]}) {
        if (pSection->childCount() > 0) {
            m_pList->setCurrentItem(pSection->child(0));
            break;
        }
    }
}

CDatabaseRow* CMainWindow::GetRow(QTreeWidgetItem* pItem) {
    QTreeWidgetItem* pSection = pItem != nullptr ? pItem->parent() : nullptr;
    for (int i = 0; i < 3 && pSection != nullptr; ++i) {
        if (pSection == m_pSectionItems[i]) {
            return &m_sections[i][static_cast<size_t>(pSection->indexOfChild(pItem))];
        }
    }
    return nullptr;
}

CDatabaseRow* CMainWindow::GetCurrentRow(QTreeWidgetItem** ppItem) {
    QTreeWidgetItem* pItem = m_pList->currentItem();
    CDatabaseRow* pRow = GetRow(pItem);
    if (pRow != nullptr && ppItem != nullptr) {
        *ppItem = pItem;
    }
    return pRow;
}

void CMainWindow::OnItemChanged(QTreeWidgetItem* pItem, int nColumn) {
    CDatabaseRow* pRow = m_bFilling || nColumn != kColumnName ? nullptr : GetRow(pItem);
    if (pRow == nullptr) {
        return;
    }
    CDatabaseRow& row = *pRow;
    const bool bChecked = pItem->checkState(kColumnName) == Qt::Checked;
    if (bChecked == row.m_bSelected) {
        return;
    }
    CWindowState state = m_state;  // the changed row, which need not be the current one
    state.m_lCurrentType = row.m_lType;
    const bool bAllowed = GetActionState(CAction::Toggle, state).m_bEnabled;
    const int32_t lResult = bAllowed ? m_session.SetSelected(row, bChecked) : 0;
    if (!bAllowed || lResult != 0) {
        m_bFilling = true;
        pItem->setCheckState(kColumnName, row.m_bSelected ? Qt::Checked : Qt::Unchecked);
        m_bFilling = false;
        if (lResult != 0) {
            ShowError(lResult);
        }
        return;
    }
    row.m_bSelected = bChecked;
    m_state.m_nSelectionDiffs += bChecked == row.m_bWasSelected ? -1 : 1;
    Update();
}

void CMainWindow::ToggleCurrent() {
    QTreeWidgetItem* pItem = nullptr;
    if (CDatabaseRow* pRow = GetCurrentRow(&pItem);
        pRow != nullptr && GetActionState(CAction::Toggle, m_state).m_bEnabled) {
        pItem->setCheckState(kColumnName, pRow->m_bSelected ? Qt::Unchecked : Qt::Checked);
    }
}

bool CMainWindow::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == m_pList && pEvent->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Space) {
        ToggleCurrent();
        return true;
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

void CMainWindow::Update() {
    const CDatabaseRow* pRow = GetCurrentRow();
    m_state.m_lCurrentType = pRow != nullptr ? pRow->m_lType : 0;
    for (CAction action : kButtons) {
        const CActionState state = GetActionState(action, m_state);
        GetButton(action)->setEnabled(state.m_bEnabled);
        GetButton(action)->setToolTip(FromUtf8(state.m_strWhy));
    }
    setWindowTitle(FromUtf8(GetWindowTitle(Cp932ToUtf8Lossy(m_strTitle), m_state.IsModified())));
    m_pStatus->setText(FromUtf8(GetStatusText(m_state)));
}

void CMainWindow::ShowError(int32_t lCode) {
    QMessageBox::warning(
        this, windowTitle(),
        FromUtf8(FormatError(lCode, Cp932ToUtf8Lossy(m_session.GetMessage(lCode)))));
}

void CMainWindow::Add(const std::vector<std::string>& targets) {
    if (!GetActionState(CAction::Add, m_state).m_bEnabled) {
        return;
    }
    const int32_t lNumber = m_session.Add(targets);
    if (lNumber < 0) {
        if (lNumber != TQE_CANCELLED) {
            ShowError(lNumber);
        }
        return;
    }
    CDatabaseRow row;
    if (const int32_t lResult = m_session.ReadRow(kTypeFree, lNumber, row); lResult != 0) {
        ShowError(lResult);
        return;
    }
    row.m_bWasSelected = row.m_bSelected;
    m_sections[kTypeFree - 1].push_back(row);
    auto* pItem = new QTreeWidgetItem(m_pSectionItems[kTypeFree - 1]);
    m_bFilling = true;
    SetRowItem(pItem, row);
    m_bFilling = false;
    m_state.m_bStructureChanged = true;
    m_pList->setCurrentItem(pItem);
    Update();
}

void CMainWindow::Edit() {
    QTreeWidgetItem* pItem = nullptr;
    CDatabaseRow* pRow = GetCurrentRow(&pItem);
    if (pRow == nullptr || !GetActionState(CAction::Edit, m_state).m_bEnabled) {
        return;
    }
    int32_t lResult = m_session.Edit(*pRow);
    if (lResult == 0) {
        lResult = m_session.ReadRow(pRow->m_lType, pRow->m_lNumber, *pRow);
        m_bFilling = true;
        SetRowItem(pItem, *pRow);
        m_bFilling = false;
        m_state.m_bStructureChanged = true;
        Update();
    }
    if (lResult != 0 && lResult != TQE_CANCELLED) {
        ShowError(lResult);
    }
}

void CMainWindow::Remove() {
    QTreeWidgetItem* pItem = nullptr;
    CDatabaseRow* pRow = GetCurrentRow(&pItem);
    if (pRow == nullptr || !GetActionState(CAction::Remove, m_state).m_bEnabled) {
        return;
    }
    const int32_t lResult = m_session.Remove(*pRow);
    if (lResult != 0) {
        if (lResult != TQE_CANCELLED) {
            ShowError(lResult);
        }
        return;
    }
    // The databases after it move up one number.
    std::vector<CDatabaseRow>& section = m_sections[pRow->m_lType - 1];
    const auto it = section.begin() + (pRow - section.data());
    m_state.m_nSelectionDiffs -= it->m_bSelected != it->m_bWasSelected ? 1 : 0;
    for (auto next = section.erase(it); next != section.end(); ++next) {
        --next->m_lNumber;
    }
    delete pItem;
    m_state.m_bStructureChanged = true;
    Update();
}

bool CMainWindow::Save() {
    if (!GetActionState(CAction::Save, m_state).m_bEnabled) {
        return !m_state.IsModified();
    }
    const int32_t lResult = m_session.Save(GetSaveMode(m_state));
    if (lResult != 0) {
        if (lResult != TQE_CANCELLED) {
            ShowError(lResult);
        }
        return false;
    }
    for (auto& section : m_sections) {
        for (CDatabaseRow& row : section) {
            row.m_bWasSelected = row.m_bSelected;
        }
    }
    m_state.m_nSelectionDiffs = 0;
    m_state.m_bStructureChanged = false;
    UpdateIndexMarkers();
    Update();
    return true;
}

void CMainWindow::UpdateIndexMarkers() {
    const CNameSet pending = ReadPendingPublicNames(m_session.GetKeyPath());
    m_bFilling = true;
    for (int i = 0; i < 3; ++i) {
        for (size_t n = 0; n < m_sections[i].size(); ++n) {
            // Only the rows whose marker changed are drawn again: a save touches few of thousands.
            CDatabaseRow& row = m_sections[i][n];
            if (pending.contains(row.m_strPublicName) != row.m_bIndexPending) {
                row.m_bIndexPending = !row.m_bIndexPending;
                SetRowItem(m_pSectionItems[i]->child(static_cast<int>(n)), row);
            }
        }
    }
    m_bFilling = false;
}

void CMainWindow::Revert() {
    // Revert is there only while something is unsaved: it asks before it throws that away.
    if (GetActionState(CAction::Revert, m_state).m_bEnabled &&
        QMessageBox::question(this, windowTitle(), FromUtf8(kRevertQuestion),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes) {
        StartLoad();
    }
}

void CMainWindow::closeEvent(QCloseEvent* pEvent) {
    if (m_state.IsModified()) {
        const auto answer = QMessageBox::question(
            this, windowTitle(), FromUtf8(kCloseQuestion),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !Save())) {
            pEvent->ignore();
            return;
        }
    }
    StopWorker();
    if (m_session.IsOpen()) {  // a product key that exists
        const QRect frame = geometry();
        WriteWindowPlacement(m_session.GetKeyPath(),
                             {frame.x(), frame.y(), frame.width(), frame.height()});
    }
    pEvent->accept();
}

void CMainWindow::dragEnterEvent(QDragEnterEvent* pEvent) {
    if (pEvent->mimeData()->hasUrls()) {
        pEvent->acceptProposedAction();
    }
}

void CMainWindow::dropEvent(QDropEvent* pEvent) {
    std::vector<CDroppedItem> items;
    for (const QUrl& url : pEvent->mimeData()->urls()) {
        items.push_back({url.isLocalFile(), url.toLocalFile().toStdString()});
    }
    pEvent->acceptProposedAction();
    CDropPlan plan = PlanDrop(items);
    const CActionState add = GetActionState(CAction::Add, m_state);
    std::string strNote = !add.m_bEnabled ? add.m_strWhy : plan.m_strNote;
    if (!strNote.empty()) {
        statusBar()->showMessage(FromUtf8(strNote), 10000);
    }
    if (add.m_bEnabled && !plan.m_paths.empty()) {
        // After the drop has ended: the wizard is modal.
        QTimer::singleShot(0, this, [this, paths = std::move(plan.m_paths)] { Add(paths); });
    }
}

}  // namespace tq::customize
