#include "dialogs/AddAppWizard.h"

#include <QTimer>

#include "applications/AppliCommit.h"
#include "dialogs/AddAppFileDlg.h"
#include "dialogs/AddAppNameDlg.h"
#include "dialogs/FileSelectionPane.h"
#include "resources/ErrorCodes.h"

namespace tq {

int32_t RunAddAppWizard(const CDialogContext& context, QWidget* pParent,
                        const std::vector<std::string>& initialTargets) {
    CAddAppFiles files;
    std::string strName;
    bool bFirst = true;
    for (;;) {
        {
            CAddAppFileDlg filePage(context, files, pParent);
            if (bFirst && !initialTargets.empty()) {
                // Once the page is up: the check's wait dialog and report stand above it.
                QTimer::singleShot(0, &filePage, [&filePage, &initialTargets] {
                    filePage.GetPane().AddPaths(initialTargets, initialTargets.size());
                });
            }
            bFirst = false;
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
