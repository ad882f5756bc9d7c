#include "MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "WindowPlacement.h"
#include "dialogs/toolkit/QtText.h"
#include "platform/Cp932.h"
#include "resources/ErrorCodes.h"

namespace tq::customize {

namespace {

QString FromUtf8(const std::string& str) {
    return QString::fromStdString(str);
}

constexpr CAction kButtons[] = {CAction::Add, CAction::Edit, CAction::Remove, CAction::Save,
                                CAction::Revert};
constexpr CAction kActions[] = {CAction::Add,  CAction::Edit,   CAction::Remove,
                                CAction::Save, CAction::Revert, CAction::Toggle};

// The button follows its action: pressed, it triggers it; it is enabled with it, and while it
// is not, its tooltip says why.
void BindButton(QPushButton* pButton, QAction* pAction) {
    QObject::connect(pButton, &QPushButton::clicked, pAction, &QAction::trigger);
    QObject::connect(pAction, &QAction::changed, pButton, [pButton, pAction] {
        pButton->setEnabled(pAction->isEnabled());
        pButton->setToolTip(pAction->isEnabled() ? QString() : pAction->toolTip());
    });
}

}  // namespace

CMainWindow::CMainWindow(std::string strProduct, QWidget* pParent)
    : QMainWindow(pParent), m_strProduct(std::move(strProduct)), m_strTitle(m_strProduct) {
    setAcceptDrops(true);
    auto* pCentral = new QWidget(this);
    auto* pLayout = new QVBoxLayout(pCentral);
    CreateList(pCentral);
    pLayout->addWidget(m_pList);
    auto* pButtons = new QHBoxLayout;
    CreateActions(pCentral);
    for (CAction action : kButtons) {
        pButtons->addWidget(GetButton(action));
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
    ConnectSignals();
    RestorePlacement();
    Update();
}

void CMainWindow::CreateList(QWidget* pParent) {
    m_pModel = new CDatabaseModel(m_session, m_state, this);
    m_pList = new QTreeView(pParent);
    m_pList->setModel(m_pModel);
    m_pList->header()->setSectionResizeMode(CDatabaseModel::kColumnName, QHeaderView::Stretch);
    m_pList->header()->setStretchLastSection(false);
    m_pList->setUniformRowHeights(true);  // a list of thousands lays out at once
    m_pList->setAcceptDrops(false);       // a drop on it is the window's
    // Rows are as high as the first, a section's, which has no check box: it is made as high as
    // a database's, or the boxes of a font with short lines would touch.
    m_pModel->SetSectionHeight(
        std::max(m_pList->fontMetrics().height(),
                 m_pList->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, m_pList)) +
        4);
}

QAction* CMainWindow::MakeAction(CAction action, const QKeySequence& keys,
                                 std::function<void()> run) {
    auto* pAction = new QAction(FromUtf8(GetActionLabel(action)), this);
    pAction->setShortcut(keys);
    connect(pAction, &QAction::triggered, this, std::move(run));
    m_pActions[static_cast<int>(action)] = pAction;
    return pAction;
}

void CMainWindow::CreateActions(QWidget* pButtons) {
    addAction(MakeAction(CAction::Add, {}, [this] { Add(); }));
    addAction(MakeAction(CAction::Edit, Qt::Key_F2, [this] { Edit(); }));
    addAction(MakeAction(CAction::Remove, Qt::Key_Delete, [this] { Remove(); }));
    addAction(MakeAction(CAction::Save, QKeySequence::Save, [this] { Save(); }));
    addAction(MakeAction(CAction::Revert, {}, [this] { Revert(); }));
    // Space ticks the current database while the list has the keyboard.
    QAction* pToggle = MakeAction(CAction::Toggle, Qt::Key_Space, [this] { ToggleCurrent(); });
    pToggle->setShortcutContext(Qt::WidgetShortcut);
    m_pList->addAction(pToggle);
    auto* pQuit = new QAction(this);
    pQuit->setShortcut(QKeySequence::Quit);
    connect(pQuit, &QAction::triggered, this, &CMainWindow::close);
    addAction(pQuit);
    for (CAction action : kButtons) {
        auto* pButton = new QPushButton(FromUtf8(GetActionLabel(action)), pButtons);
        pButton->setAutoDefault(true);  // Enter on a button with the focus presses it
        m_pButtons[static_cast<int>(action)] = pButton;
        BindButton(pButton, m_pActions[static_cast<int>(action)]);
    }
}

void CMainWindow::ConnectSignals() {
    connect(m_pList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CMainWindow::Update);
    connect(m_pModel, &QAbstractItemModel::dataChanged, this, &CMainWindow::Update);
    connect(m_pModel, &CDatabaseModel::TickRefused, this, &CMainWindow::ShowError);
    connect(m_pList, &QTreeView::doubleClicked, m_pActions[static_cast<int>(CAction::Edit)],
            &QAction::trigger);
    connect(m_pPoll, &QTimer::timeout, this, &CMainWindow::Poll);
    connect(&m_loading, &QFutureWatcher<CLoadResult>::progressRangeChanged, m_pProgress,
            &QProgressBar::setRange);
    connect(&m_loading, &QFutureWatcher<CLoadResult>::progressValueChanged, m_pProgress,
            &QProgressBar::setValue);
    connect(&m_loading, &QFutureWatcher<CLoadResult>::finished, this,
            [this] { FinishLoad(m_loading.result()); });
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
    m_loading.waitForFinished();
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
    m_loading.waitForFinished();
    m_state.m_list = CWindowState::CList::Loading;
    m_pPoll->stop();
    m_pProgress->setRange(0, 0);
    m_pProgress->show();
    Update();
    // The object is the worker's until it reports back; the window leaves it alone meanwhile.
    m_loading.setFuture(QtConcurrent::run([this](QPromise<CLoadResult>& promise) {
        CLoadResult loaded;
        loaded.m_lResult = m_session.IsOpen() ? 0 : m_session.Open(m_strProduct);
        if (loaded.m_lResult == 0) {
            loaded.m_lResult = m_session.Load(loaded.m_rows, loaded.m_lStatus,
                                              [&promise](int32_t lDone, int32_t lTotal) {
                                                  promise.setProgressRange(0, lTotal);
                                                  promise.setProgressValue(lDone);
                                              });
        }
        promise.addResult(std::move(loaded));
    }));
}

void CMainWindow::FinishLoad(const CLoadResult& loaded) {
    m_pProgress->hide();
    if (!m_session.GetProductName().empty()) {
        m_strTitle = m_session.GetProductName();
    }
    m_state.m_lStatus = loaded.m_lStatus;
    m_state.m_bCustomize = loaded.m_lResult == 0 && m_session.CanCustomize();
    if (loaded.m_lResult == 0) {
        m_state.m_list = CWindowState::CList::Loaded;
    } else if (loaded.m_lResult == TQE_EDITING &&
               (loaded.m_lStatus == EDITSTATUS_EDITING || loaded.m_lStatus == EDITSTATUS_LOCKED)) {
        m_state.m_list = CWindowState::CList::Blocked;
        m_pPoll->start();
    } else {
        m_state.m_list = CWindowState::CList::Failed;
        m_state.m_strFailure = Cp932ToUtf8Lossy(m_session.GetMessage(loaded.m_lResult));
    }
    m_pModel->Reset(loaded.m_rows);
    m_pList->expandAll();
    m_pList->resizeColumnToContents(CDatabaseModel::kColumnInstalled);
    m_pList->resizeColumnToContents(CDatabaseModel::kColumnIndex);
    m_pList->setCurrentIndex(m_pModel->GetFirstChangeable());
    Update();
    if (m_state.m_list == CWindowState::CList::Failed && m_bReportFailures) {
        ReportFailure(loaded.m_lResult);
    }
    emit LoadEnded();
}

void CMainWindow::ReportFailure(int32_t lCode) {
    // The reader's account of a damaged file is in the indexing log.
    const std::string strLog = m_session.IsOpen() ? m_session.ReadIndexingLog() : std::string();
    QMessageBox box(QMessageBox::Warning, GetCaption(),
                    FromUtf8(FormatError(lCode, m_state.m_strFailure)), QMessageBox::Ok, this);
    box.setInformativeText(
        QStringFromCp932(strLog.substr(strLog.size() - std::min<size_t>(strLog.size(), 2000))));
    box.exec();
}

void CMainWindow::Poll() {
    if (m_state.m_list != CWindowState::CList::Blocked || !m_session.IsOpen()) {
        return;
    }
    const int32_t lStatus = m_session.GetStatus();
    if (lStatus == EDITSTATUS_EDITING || lStatus == EDITSTATUS_LOCKED) {
        m_state.m_lStatus = lStatus;
        Update();
    } else {
        StartLoad();
    }
}

void CMainWindow::ToggleCurrent() {
    const QModelIndex current =
        m_pList->currentIndex().siblingAtColumn(CDatabaseModel::kColumnName);
    if (const CDatabaseRow* pRow = m_pModel->GetRow(current)) {
        m_pModel->setData(current, pRow->m_bSelected ? Qt::Unchecked : Qt::Checked,
                          Qt::CheckStateRole);
    }
}

void CMainWindow::Update() {
    const CDatabaseRow* pRow = m_pModel->GetRow(m_pList->currentIndex());
    m_state.m_lCurrentType = pRow != nullptr ? pRow->m_lType : 0;
    m_state.m_bSelectionChanged = m_pModel->HasSelectionChanges();
    m_state.m_bStructureChanged = m_pModel->IsStructureChanged();
    for (CAction action : kActions) {
        const CActionState state = GetActionState(action, m_state);
        m_pActions[static_cast<int>(action)]->setEnabled(state.m_bEnabled);
        m_pActions[static_cast<int>(action)]->setToolTip(FromUtf8(state.m_strWhy));
    }
    setWindowTitle(FromUtf8(GetWindowTitle(Cp932ToUtf8Lossy(m_strTitle))));
    setWindowModified(m_state.IsModified());
    m_pStatus->setText(FromUtf8(GetStatusText(m_state)));
}

QString CMainWindow::GetCaption() const {
    return windowHandle() != nullptr ? windowHandle()->title() : windowTitle();
}

void CMainWindow::ShowError(int32_t lCode) {
    QMessageBox::warning(
        this, GetCaption(),
        FromUtf8(FormatError(lCode, Cp932ToUtf8Lossy(m_session.GetMessage(lCode)))));
}

void CMainWindow::Add(const std::vector<std::string>& targets) {
    if (!GetActionState(CAction::Add, m_state).m_bEnabled) {
        return;
    }
    QModelIndex added;
    if (const int32_t lResult = m_pModel->Add(targets, added); lResult != 0) {
        if (lResult != TQE_CANCELLED) {
            ShowError(lResult);
        }
        return;
    }
    m_pList->setCurrentIndex(added);
    Update();
}

void CMainWindow::Edit() {
    if (!GetActionState(CAction::Edit, m_state).m_bEnabled) {
        return;
    }
    const int32_t lResult = m_pModel->Edit(m_pList->currentIndex());
    Update();
    if (lResult != 0 && lResult != TQE_CANCELLED) {
        ShowError(lResult);
    }
}

void CMainWindow::Remove() {
    if (!GetActionState(CAction::Remove, m_state).m_bEnabled) {
        return;
    }
    const int32_t lResult = m_pModel->Remove(m_pList->currentIndex());
    Update();
    if (lResult != 0 && lResult != TQE_CANCELLED) {
        ShowError(lResult);
    }
}

bool CMainWindow::Save() {
    if (!GetActionState(CAction::Save, m_state).m_bEnabled) {
        return !m_state.IsModified();
    }
    const int32_t lResult = m_pModel->Save(GetSaveMode(m_state));
    Update();
    if (lResult != 0 && lResult != TQE_CANCELLED) {
        ShowError(lResult);
    }
    return lResult == 0;
}

void CMainWindow::Revert() {
    // Revert is there only while something is unsaved: it asks before it throws that away.
    if (GetActionState(CAction::Revert, m_state).m_bEnabled &&
        QMessageBox::question(this, GetCaption(), FromUtf8(kRevertQuestion),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes) {
        StartLoad();
    }
}

void CMainWindow::closeEvent(QCloseEvent* pEvent) {
    if (m_state.IsModified()) {
        const auto answer = QMessageBox::question(
            this, GetCaption(), FromUtf8(kCloseQuestion),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !Save())) {
            pEvent->ignore();
            return;
        }
    }
    m_loading.waitForFinished();
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
