#include "dialogs/AddAppWizard.h"

#include "applications/AppliCommit.h"
#include "dialogs/AddAppFileDlg.h"
#include "dialogs/AddAppNameDlg.h"
#include "resources/ErrorCodes.h"

namespace tq {

int32_t RunAddAppWizard(const CDialogContext& context, QWidget* pParent) {
    CAddAppFiles files;
    std::string strName;
    for (;;) {
        {
            CAddAppFileDlg filePage(context, files, pParent);
            if (filePage.exec() != QDialog::Accepted) {
                return TQE_CANCELLED;
            }
        }
        CAddAppNameDlg namePage(context, strName, pParent);
        int nResult = namePage.exec();
        if (nResult == QDialog::Accepted) {
            return CommitNewAppli(*context.m_pCtrlFile, namePage.GetNewPosition(), strName,
                                  files.m_targets);
        }
        if (nResult != CAddAppNameDlg::kBack) {
            return TQE_CANCELLED;
        }
    }
}

}  // namespace tq
