// The add wizard's second page: the application's name. Finish adds the free-type database;
// Back keeps the text exactly as typed.
#pragma once

#include <QDialog>
#include <string>

#include "dialogs/DialogContext.h"

namespace tq {

class CAppNameEdit;

class CAddAppNameDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kBack = 3;

    // strName: the text kept across Back (raw), and the checked name after Finish.
    CAddAppNameDlg(const CDialogContext& context, std::string& strName, QWidget* pParent);
    // The new application's 0-based position among the free-type databases, after Finish.
    int32_t GetNewPosition() const { return m_position; }

    void accept() override;  // Finish

private:
    void Refuse(uint32_t id);

    const CDialogContext& m_context;
    std::string& m_strName;
    CAppNameEdit* m_pName;
    int32_t m_position = -1;
};

}  // namespace tq
