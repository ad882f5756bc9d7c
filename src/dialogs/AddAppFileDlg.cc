#include "dialogs/AddAppFileDlg.h"

#include <QLabel>

#include "browse/BrowseSettings.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/FileListCtrl.h"
#include "dialogs/FileSelectionPane.h"
#include "dialogs/ShowDialogMessage.h"
#include "dialogs/TargetListBox.h"
#include "manager/CtrlFile.h"
#include "resources/StringTable.h"

namespace tq {

namespace {

const CPaneLayout kLayout = {
    {64, 24, 138, 92}, {8, 28, 56, 8},    {206, 24, 14, 16},  {224, 24, 14, 16}, {238, 24, 14, 16},
    {8, 44, 244, 84},  {80, 132, 48, 16}, {132, 132, 48, 16}, {8, 142, 64, 8},   {8, 152, 244, 75},
};

}  // namespace

CAddAppFileDlg::CAddAppFileDlg(const CDialogContext& context, CAddAppFiles& files, QWidget* pParent)
    : QDialog(pParent, kFixedDialogFlags), m_context(context), m_files(files) {
    setWindowTitle(QString::fromUtf8("アプリケーションの追加　(1/2)"));
    CDialogUnits units = SetUpDialog(this, 260, 260);
    auto* pIntro = new QLabel(
        QString::fromUtf8(
            "検索するヘルプ・マニュアルファイルを［検索対象ファイル］に追加してください。"),
        this);
    PlaceControl(pIntro, -1, units, 8, 8, 244, 8);
    m_pPane = new CFileSelectionPane(this, units, kLayout, MakeHelpFileCheck(context),
                                     context.m_strProductName);
    m_pPane->SetDialogDefault(
        AddDefaultAndCancel(this, units, QString::fromUtf8("次へ(&N) >"), 148, 204, 236));

    m_pPane->Open(GetCurrentFolder(context.m_strSettingsKey), files.m_nView,
                  GetFileFilter(context.m_strSettingsKey), true, files.m_targets);
    m_pPane->GetFileList()->setFocus();  // whose views keep the input method off
}

void CAddAppFileDlg::accept() {
    if (m_pPane->GetTargetList()->IsEmpty()) {
        m_pPane->GetFileList()->setFocus();
        ShowDialogMessage(IDS_SPECIFY_TARGETS, m_context.m_strProductName);
        return;
    }
    m_files.m_targets = m_pPane->GetTargets();
    QDialog::accept();
}

void CAddAppFileDlg::done(int nResult) {
    // Every close: the next showing, and the next wizard, start where the user was.
    SetCurrentFolder(m_context.m_strSettingsKey, m_pPane->GetShownFolder());
    m_files.m_nView = m_pPane->GetView();
    QDialog::done(nResult);
}

}  // namespace tq
