#include "dialogs/FileSelectionPane.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "applications/HaveTopic.h"
#include "browse/FileListModel.h"
#include "browse/FolderPath.h"
#include "browse/PaneRules.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/FileListCtrl.h"
#include "dialogs/FolderComboBox.h"
#include "dialogs/ImageButton.h"
#include "dialogs/NotAddedDlg.h"
#include "dialogs/TargetListBox.h"
#include "dialogs/WaitDlg.h"
#include "dialogs/toolkit/QtText.h"
#include "manager/CtrlFile.h"
#include "platform/Path.h"
#include "resources/DialogIds.h"
#include "resources/StringTable.h"

namespace tq {

namespace {

constexpr int kLocationItemHeight = 12;

void Place(QWidget* pControl, int nId, const CDialogUnits& units, const int (&rc)[4]) {
    PlaceControl(pControl, nId, units, rc[0], rc[1], rc[2], rc[3]);
}

QLabel* MakeLabel(QDialog* pDialog, const char* pszText, QWidget* pBuddy, const CDialogUnits& units,
                  const int (&rc)[4]) {
    auto* pLabel = new QLabel(QString::fromUtf8(pszText), pDialog);
    Place(pLabel, -1, units, rc);
    pLabel->setBuddy(pBuddy);
    return pLabel;
}

}  // namespace

CHelpFileCheck MakeHelpFileCheck(const CDialogContext& context) {
    return {context.m_pCtrlFile, context.m_pTopicFilter};
}

CFileSelectionPane::CFileSelectionPane(QDialog* pDialog, const CDialogUnits& units,
                                       const CPaneLayout& layout, CHelpFileCheck check,
                                       std::string strProductName)
    : QObject(pDialog), CFilePaneCore(check, std::move(strProductName)), m_pDialog(pDialog) {
    // Made in the order of the template, so that the tab order is the template's (labels and
    // the picture buttons are no tab stops).
    m_pLocation = new CFolderComboBox(pDialog);
    Place(m_pLocation, IDC_LOCATION, units, layout.m_location);
    // The template's height includes the dropped-down list; the closed box is one entry high.
    m_pLocation->resize(m_pLocation->width(), m_pLocation->sizeHint().height());
    QStyle* pStyle = pDialog->style();
    m_pUp = new CImageButton(pStyle->standardIcon(QStyle::SP_FileDialogToParent),
                             QString::fromUtf8("１つ上のフォルダへ (BS)"), pDialog);
    Place(m_pUp, IDC_UP, units, layout.m_up);
    m_pListButton = new CImageButton(pStyle->standardIcon(QStyle::SP_FileDialogListView),
                                     QString::fromUtf8("一覧 (Ctrl+L)"), pDialog);
    Place(m_pListButton, IDC_LIST_VIEW, units, layout.m_listButton);
    m_pDetailsButton = new CImageButton(pStyle->standardIcon(QStyle::SP_FileDialogDetailedView),
                                        QString::fromUtf8("詳細一覧 (Ctrl+D)"), pDialog);
    Place(m_pDetailsButton, IDC_DETAILS_VIEW, units, layout.m_detailsButton);
    m_pFiles = new CFileListCtrl(pDialog);
    Place(m_pFiles, IDC_FILES, units, layout.m_files);
    m_pAdd = new QPushButton(QString::fromUtf8("追加(&A)↓"), pDialog);
    Place(m_pAdd, IDC_ADD, units, layout.m_add);
    m_pRemove = new QPushButton(QString::fromUtf8("削除(&D)↑"), pDialog);
    Place(m_pRemove, IDC_REMOVE, units, layout.m_remove);
    m_pTargets = new CTargetListBox(pDialog);
    Place(m_pTargets, IDC_TARGETS, units, layout.m_targets);
    MakeLabel(pDialog, "ファイルの場所(&I)", m_pLocation, units, layout.m_locationLabel);
    MakeLabel(pDialog, "検索対象ファイル(&L)", m_pTargets, units, layout.m_targetsLabel);
    m_pListButton->SetKind(CImageButton::kLatched);
    m_pDetailsButton->SetKind(CImageButton::kLatched);
    ConnectControls();
}

void CFileSelectionPane::ConnectControls() {
    connect(m_pUp, &QPushButton::clicked, this, &CFileSelectionPane::GoUp);
    connect(m_pListButton, &QPushButton::clicked, this, [this] { SetViewMode(kViewList); });
    connect(m_pDetailsButton, &QPushButton::clicked, this, [this] { SetViewMode(kViewDetails); });
    connect(m_pLocation, &CFolderComboBox::CloseUp, this, [this] {
        std::string strFolder = m_pLocation->GetSelectedFolder();
        if (!strFolder.empty()) {
            OpenFolder(strFolder);
        }
    });
    connect(m_pFiles, &CFileListCtrl::SelectionChanged, this, &CFileSelectionPane::UpdateAddButton);
    connect(m_pFiles, &CFileListCtrl::RowActivated, this, &CFileSelectionPane::OnRowActivated);
    connect(m_pFiles, &CFileListCtrl::EnterPressed, this, &CFileSelectionPane::OnEnterPressed);
    connect(m_pAdd, &QPushButton::clicked, this, &CFileSelectionPane::OnAddClicked);
    connect(m_pRemove, &QPushButton::clicked, this, &CFileSelectionPane::RemoveTargets);
    connect(m_pTargets, &CTargetListBox::DeletePressed, this, &CFileSelectionPane::RemoveTargets);
    connect(m_pTargets, &CTargetListBox::FilesDropped, this, &CFileSelectionPane::OnFilesDropped);
    connect(m_pTargets, &QListWidget::itemSelectionChanged, this,
            &CFileSelectionPane::UpdateRemoveButton);
    connect(qApp, &QApplication::focusChanged, this, &CFileSelectionPane::OnFocusChanged);

    m_pLocation->installEventFilter(this);
    for (QAbstractItemView* pView : m_pFiles->findChildren<QAbstractItemView*>()) {
        pView->installEventFilter(this);
    }
    m_pFiles->installEventFilter(this);
}

void CFileSelectionPane::Open(const std::string& strFolder, int32_t nView,
                              const std::string& strFilter, bool bForceFill,
                              const std::vector<std::string>& targets) {
    m_pLocation->Initialize(kLocationItemHeight);
    m_pLocation->SetFolder(CFolderPath(strFolder).DeepestExisting());
    m_pFiles->Initialize();
    SetViewMode(nView);
    m_pFiles->SetFilter(strFilter);
    m_pFiles->ShowFolder(m_pLocation->GetFolder(), bForceFill);
    UpdateAddButton();
    UpdateUpButton();
    for (const std::string& strPath : targets) {
        m_pTargets->AddString(strPath);
    }
    UpdateRemoveButton();
}

std::string CFileSelectionPane::GetShownFolder() const {
    return m_pLocation->GetFolder();
}

const std::vector<std::string>& CFileSelectionPane::GetTargets() const {
    return m_pTargets->GetEntries();
}

void CFileSelectionPane::OpenFolder(const std::string& strFolder) {
    m_pDialog->setUpdatesEnabled(false);
    m_pFiles->ShowFolder(strFolder, false);
    m_pLocation->SetFolder(m_pFiles->GetFolder());
    m_pDialog->setUpdatesEnabled(true);
    UpdateUpButton();
    UpdateAddButton();
}

void CFileSelectionPane::GoUp() {
    std::string strParent = CFolderPath(m_pLocation->GetFolder()).Parent();
    if (!strParent.empty()) {
        OpenFolder(strParent);
    }
}

void CFileSelectionPane::SetViewMode(int32_t nView) {
    m_pListButton->SetState(nView == kViewList ? CImageButton::kDown : CImageButton::kUp);
    m_pDetailsButton->SetState(nView == kViewList ? CImageButton::kUp : CImageButton::kDown);
    m_pFiles->SetView(nView);
}

int32_t CFileSelectionPane::GetView() const {
    return m_pFiles->GetView();
}

void CFileSelectionPane::UpdateAddButton() {
    m_pAdd->setEnabled(m_pFiles->HasSelectedFile());
}

void CFileSelectionPane::UpdateUpButton() {
    m_pUp->setEnabled(!CFolderPath(m_pLocation->GetFolder()).Parent().empty());
}

void CFileSelectionPane::UpdateRemoveButton() {
    m_pRemove->setEnabled(m_pTargets->HasSelection());
}

void CFileSelectionPane::OnAddClicked() {
    if (AddSelectedFiles(m_pFiles->GetModel())) {
        m_pFiles->setFocus();
    }
}

void CFileSelectionPane::OnRowActivated(int nRow) {
    ActivateRow(m_pFiles->GetModel(), nRow);
}

void CFileSelectionPane::OnEnterPressed() {
    std::string strFolder;
    switch (DecideListEnter(m_pFiles->GetModel(), m_pAdd->isEnabled(), strFolder)) {
        case EListEnter::kOpenFolder:
            OpenFolder(strFolder);
            break;
        case EListEnter::kAdd:
            m_pAdd->click();
            break;
        case EListEnter::kClearSelection:
            m_pFiles->ClearSelection();
            break;
    }
}

ITargetList& CFileSelectionPane::GetCheckTargets() {
    return *m_pTargets;
}

std::unique_ptr<IJobWait> CFileSelectionPane::MakeWait() {
    return std::make_unique<CWaitDlg>(m_pDialog);
}

void CFileSelectionPane::ShowNotAdded(const std::string& strRefusedNames) {
    CNotAddedDlg dialog(GetProductName(), m_pDialog);
    dialog.SetText(strRefusedNames);
    dialog.exec();
}

void CFileSelectionPane::OnFilesDropped(const QStringList& localPaths) {
    std::vector<std::string> paths;
    std::vector<CLeftOutFile> leftOut;
    for (const QString& strLocal : localPaths) {
        const QFileInfo file(strLocal);
        std::string strPath;
        if (ToWindowsPath(QFile::encodeName(file.absoluteFilePath()).toStdString(), strPath) == 0) {
            paths.push_back(std::move(strPath));
        } else {
            leftOut.push_back({Cp932FromQStringLossy(file.fileName()), IDS_LEFT_OUT_NO_CP932});
        }
    }
    AddPaths(paths, static_cast<size_t>(localPaths.size()), std::move(leftOut));
}

void CFileSelectionPane::RemoveTargets() {
    for (const std::string& strPath : m_pTargets->RemoveSelected()) {
        emit TargetRemoved(strPath);
    }
    UpdateRemoveButton();
}

bool CFileSelectionPane::IsInFileList(const QObject* pObject) const {
    for (const QObject* p = pObject; p != nullptr; p = p->parent()) {
        if (p == m_pFiles) {
            return true;
        }
    }
    return false;
}

void CFileSelectionPane::OnFocusChanged(QWidget* /*pOld*/, QWidget* pNew) {
    // A push button with the focus takes Enter itself (the toolkit makes it the default while it
    // has the focus). Elsewhere Enter in the file list adds the chosen files, and anywhere else
    // it is the dialog's own button's.
    if (m_pDialogDefault == nullptr || pNew == nullptr || pNew->window() != m_pDialog) {
        return;
    }
    const EDefaultButton button =
        DecideDefaultButton(qobject_cast<QPushButton*>(pNew) != nullptr, IsInFileList(pNew));
    if (button == EDefaultButton::kKeep) {
        return;
    }
    QPushButton* pDefault = button == EDefaultButton::kAdd ? m_pAdd : m_pDialogDefault;
    if (!pDefault->isDefault()) {
        pDefault->setDefault(true);
    }
}

bool CFileSelectionPane::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() == QEvent::KeyPress) {
        auto* pKey = static_cast<QKeyEvent*>(pEvent);
        bool bCtrl = (pKey->modifiers() & Qt::ControlModifier) != 0;
        if (HandleKey(pWatched, pKey->key(), bCtrl)) {
            pKey->accept();
            return true;
        }
    }
    return QObject::eventFilter(pWatched, pEvent);
}

namespace {

EPaneKey ClassifyPaneKey(int nKey) {
    switch (nKey) {
        case Qt::Key_Backspace:
            return EPaneKey::kBackspace;
        case Qt::Key_D:
            return EPaneKey::kD;
        case Qt::Key_L:
            return EPaneKey::kL;
        case Qt::Key_F4:
            return EPaneKey::kF4;
        case Qt::Key_F5:
            return EPaneKey::kF5;
        default:
            return EPaneKey::kOther;
    }
}

}  // namespace

bool CFileSelectionPane::HandleKey(QObject* pWatched, int nKey, bool bCtrl) {
    const EPaneControl control = pWatched == m_pLocation  ? EPaneControl::kLocation
                                 : IsInFileList(pWatched) ? EPaneControl::kFiles
                                                          : EPaneControl::kOther;
    return DoPaneAction(
        DecidePaneKey(ClassifyPaneKey(nKey), control, bCtrl, m_pLocation->view()->isVisible()));
}

void CFileSelectionPane::OpenLocationList() {
    m_pLocation->setFocus();
    m_pLocation->showPopup();
}

void CFileSelectionPane::Refresh() {
    m_pDialog->setUpdatesEnabled(false);
    m_pFiles->Refresh();
    m_pDialog->setUpdatesEnabled(true);
}

}  // namespace tq
