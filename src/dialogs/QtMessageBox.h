// The component's message boxes while one of its dialogs is open: the toolkit's, parented to the
// active dialog so that they stay above it and block it.
#pragma once

#include <functional>

#include "platform/MessageBox.h"

class QWidget;

namespace tq {

class CQtMessageBox : public CMessageBox {
public:
    int32_t AskYesNo(const std::string& strText, const std::string& strCaption) override;
    void ShowWarning(const std::string& strText, const std::string& strCaption) override;
};

// Makes the toolkit's message box current while a dialog is open, and the previous one again
// afterwards.
class CQtMessageBoxScope {
public:
    CQtMessageBoxScope() : m_scope(m_box) {}

private:
    CQtMessageBox m_box;
    CMessageBoxScope m_scope;
};

}  // namespace tq
