#include "dialogs/EditAppDlg.h"

#include <QGroupBox>

#include "applications/AppNameRules.h"
#include "applications/AppliCommit.h"
#include "applications/AppliOperations.h"
#include "browse/BrowseSettings.h"
#include "dialogs/AppNameEdit.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/FileListCtrl.h"
#include "dialogs/FileSelectionPane.h"
#include "dialogs/ShowDialogMessage.h"
#include "dialogs/TargetListBox.h"
#include "manager/CtrlFile.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {

namespace {

const CPaneLayout kLayout = {
    {76, 40, 118, 80}, {16, 44, 56, 8},   {198, 40, 14, 16},  {216, 40, 14, 16}, {230, 40, 14, 16},
    {16, 60, 228, 72}, {84, 136, 48, 16}, {136, 136, 48, 16}, {16, 146, 66, 8},  {16, 156, 228, 59},
};

}  // namespace

CEditAppDlg::CEditAppDlg(const CDialogContext& context, int32_t lIndex, QWidget* pParent)
    : QDialog(pParent, kFixedDialogFlags),
      m_context(context),
      m_lIndex(lIndex),
      m_strName(context.m_pCtrlFile->GetPublicName(lIndex)) {
    setWindowTitle(QString::fromUtf8("アプリケーションの変更"));
    CDialogUnits units = SetUpDialog(this, 260, 256);
    m_pName = CAppNameEdit::AddWithLabel(this, units, 8, 176);
    auto* pFrame = new QGroupBox(QString::fromUtf8("検索対象ファイルの指定"), this);
    PlaceControl(pFrame, -1, units, 8, 28, 244, 196);
    m_pPane = new CFileSelectionPane(this, units, kLayout, MakeHelpFileCheck(context),
                                     context.m_strProductName);
    m_pPane->SetDialogDefault(
        AddDefaultAndCancel(this, units, QStringLiteral("OK"), 152, 204, 232));
    connect(m_pPane, &CFileSelectionPane::TargetAdded, this,
            [this](const std::string& strPath) { m_sets.NoteAdded(strPath); });
    connect(m_pPane, &CFileSelectionPane::TargetRemoved, this,
            [this](const std::string& strPath) { m_sets.NoteRemoved(strPath); });

    m_pName->SetNameText(m_strName);
    const std::vector<std::string> docs =
        CAppliOperations(*context.m_pCtrlFile).GetDocDisplayPaths(lIndex);
    m_pPane->Open(GetEditStartFolder(context.m_strSettingsKey, docs), 3,
                  GetFileFilter(context.m_strSettingsKey), false, docs);
    m_pName->setFocus();
}

void CEditAppDlg::accept() {
    std::string strText;
    uint32_t id = IDS_APP_NAME_UNUSABLE;
    std::string strNewName;
    if (m_pName->GetNameText(strText)) {
        id = ApplyEditAppName(*m_context.m_pCtrlFile, m_lIndex, m_strName, strText,
                              m_pPane->GetTargetList()->IsEmpty(), strNewName);
    }
    if (id == 0) {
        m_strName = strNewName;
        QDialog::accept();
        return;
    }
    if (id == IDS_SPECIFY_TARGETS) {
        m_pPane->GetFileList()->setFocus();
    } else {
        m_pName->setFocus();
        if (id == IDS_APP_NAME_CONTROL) {
            m_pName->SetCaretAtByte(strText, FindNameControlChar(strText));
        }
    }
    ShowDialogMessage(id, m_context.m_strProductName);
}

void CEditAppDlg::done(int nResult) {
    SetCurrentFolder(m_context.m_strSettingsKey, m_pPane->GetShownFolder());
    QDialog::done(nResult);
}

int32_t RunEditAppDialog(const CDialogContext& context, int32_t lIndex, QWidget* pParent) {
    CCtrlFile& file = *context.m_pCtrlFile;
    const std::string strOldName = file.GetPublicName(lIndex);
    CEditAppDlg dialog(context, lIndex, pParent);
    if (dialog.exec() != QDialog::Accepted) {
        return TQE_CANCELLED;
    }
    return ApplyEditedFiles(file, lIndex, dialog.GetName() != strOldName, dialog.GetFileSets());
}

}  // namespace tq
