// The edit dialog of a user application: its name and its files in one window. OK applies the
// name; the files added and removed are kept as two sets and applied once the dialog has
// closed, removals first.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "applications/EditFileSets.h"
#include "dialogs/DialogContext.h"

namespace tq {

class CAppNameEdit;
class CFileSelectionPane;

class CEditAppDlg : public QDialog {
    Q_OBJECT

public:
    CEditAppDlg(const CDialogContext& context, int32_t lIndex, QWidget* pParent);
    CFileSelectionPane& GetPane() { return *m_pPane; }
    // The public name: the old one until OK succeeds, the new one after it.
    const std::string& GetName() const { return m_strName; }
    const CEditFileSets& GetFileSets() const { return m_sets; }

    void accept() override;  // OK
    void done(int nResult) override;

private:
    const CDialogContext& m_context;
    int32_t m_lIndex;
    std::string m_strName;
    CEditFileSets m_sets;
    CAppNameEdit* m_pName;
    CFileSelectionPane* m_pPane;
};

// Runs the edit dialog for the user application at lIndex and applies its changes: 0 when
// something changed, else TQE_CANCELLED.
int32_t RunEditAppDialog(const CDialogContext& context, int32_t lIndex, QWidget* pParent);

}  // namespace tq
