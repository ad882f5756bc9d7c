// The add wizard's first page: the files of the new application. Each showing is a new window;
// what outlives it (the view and the chosen files, kept across Back) is the wizard's.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "dialogs/DialogContext.h"

namespace tq {

class CFileSelectionPane;

// What the first page keeps for the whole wizard.
struct CAddAppFiles {
    int32_t m_nView = 3;  // the list view
    std::vector<std::string> m_targets;
};

class CAddAppFileDlg : public QDialog {
    Q_OBJECT

public:
    CAddAppFileDlg(const CDialogContext& context, CAddAppFiles& files, QWidget* pParent);
    CFileSelectionPane& GetPane() { return *m_pPane; }

    void accept() override;  // Next
    void done(int nResult) override;

private:
    const CDialogContext& m_context;
    CAddAppFiles& m_files;
    CFileSelectionPane* m_pPane;
};

}  // namespace tq
