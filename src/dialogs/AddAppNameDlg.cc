#include "dialogs/AddAppNameDlg.h"

#include <QLabel>
#include <QPushButton>

#include "applications/AppNameRules.h"
#include "dialogs/AppNameEdit.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/ShowDialogMessage.h"
#include "resources/DialogIds.h"
#include "resources/StringTable.h"

namespace tq {

CAddAppNameDlg::CAddAppNameDlg(const CDialogContext& context, std::string& strName,
                               QWidget* pParent)
    : QDialog(pParent, kFixedDialogFlags), m_context(context), m_strName(strName) {
    setWindowTitle(QString::fromUtf8("アプリケーションの追加　(2/2)"));
    CDialogUnits units = SetUpDialog(this, 244, 68);
    auto* pIntro =
        new QLabel(QString::fromUtf8(
                       "［アプリケーション一覧］に表示するアプリケーション名を指定してください。"),
                   this);
    PlaceControl(pIntro, IDC_APP_NAME_INTRO, units, 8, 8, 228, 8);
    m_pName = CAppNameEdit::AddWithLabel(this, units, 24, 160);
    auto* pBack = new QPushButton(QString::fromUtf8("< 戻る(&B)"), this);
    PlaceControl(pBack, IDC_BACK, units, 80, 44, 48, 16);
    AddDefaultAndCancel(this, units, QString::fromUtf8("完了"), 132, 188, 44);
    connect(pBack, &QPushButton::clicked, this, [this] {
        // Kept as typed, neither checked nor trimmed: Next brings it back unchanged.
        m_pName->GetNameText(m_strName);
        done(kBack);
    });
    m_pName->SetNameText(strName);
    m_pName->setFocus();
}

void CAddAppNameDlg::Refuse(uint32_t id) {
    m_pName->setFocus();
    ShowDialogMessage(id, m_context.m_strProductName);
}

void CAddAppNameDlg::accept() {
    std::string strText;
    if (!m_pName->GetNameText(strText)) {
        // A character the control files cannot hold: refused, never written as "?".
        Refuse(IDS_APP_NAME_UNUSABLE);
        return;
    }
    const CNameFinish finish = FinishAddAppName(*m_context.m_pCtrlFile, strText);
    if (finish.m_nCaret != std::string_view::npos) {
        m_pName->SetCaretAtByte(strText, finish.m_nCaret);
    }
    if (finish.m_bPutBack) {
        m_pName->SetNameText(finish.m_strName);
    }
    if (finish.m_id != 0) {
        Refuse(finish.m_id);
        return;
    }
    m_position = finish.m_position;
    m_strName = finish.m_strName;
    QDialog::accept();
}

}  // namespace tq
