#include "dialogs/AppNameEdit.h"

#include "dialogs/InputMethod.h"
#include "dialogs/QtText.h"

namespace tq {

namespace {
constexpr int kNameLimit = 256;
}  // namespace

CAppNameEdit::CAppNameEdit(QWidget* pParent) : QLineEdit(pParent) {
    setMaxLength(kNameLimit);
}

bool CAppNameEdit::GetNameText(std::string& strText) const {
    return Cp932FromQString(text(), strText);
}

void CAppNameEdit::SetNameText(const std::string& strText) {
    setText(QStringFromCp932(strText));
}

void CAppNameEdit::SetCaretAtByte(const std::string& strText, size_t nByte) {
    setCursorPosition(
        static_cast<int>(QStringFromCp932(std::string_view(strText).substr(0, nByte)).size()));
}

void CAppNameEdit::focusInEvent(QFocusEvent* pEvent) {
    QLineEdit::focusInEvent(pEvent);
    SetInputMethodOpen(this, true);
}

}  // namespace tq
