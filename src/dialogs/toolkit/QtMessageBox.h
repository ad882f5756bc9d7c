// The component's questions and warnings in the toolkit's message box, parented to the active
// modal dialog (else the active window) so that they stay above it and block it. The dialogs
// show them in their own font; a host shows them in its own.
#pragma once

#include <QFont>
#include <optional>
#include <utility>

#include "platform/MessageBox.h"

namespace tq {

class CQtMessageBox : public CMessageBox {
public:
    explicit CQtMessageBox(std::optional<QFont> font = std::nullopt) : m_font(std::move(font)) {}
    int32_t AskYesNo(const std::string& strText, const std::string& strCaption) override;
    void ShowWarning(const std::string& strText, const std::string& strCaption) override;

private:
    std::optional<QFont> m_font;
};

// Makes the toolkit's message box current for a scope (while a dialog is open, for a window's
// life) and the previous one again afterwards.
class CQtMessageBoxScope {
public:
    explicit CQtMessageBoxScope(std::optional<QFont> font = std::nullopt)
        : m_box(std::move(font)), m_scope(m_box) {}

private:
    CQtMessageBox m_box;
    CMessageBoxScope m_scope;
};

}  // namespace tq
