#include "dialogs/AppNameEdit.h"

#include <QLabel>

#include "dialogs/DialogUnits.h"
#include "dialogs/InputMethod.h"
#include "dialogs/QtText.h"
#include "resources/DialogIds.h"

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

CAppNameEdit* CAppNameEdit::AddWithLabel(QWidget* pDialog, const CDialogUnits& units, int32_t y,
                                         int32_t cx) {
    auto* pLabel = new QLabel(QString::fromUtf8("アプリケーション名(&N)"), pDialog);
    PlaceControl(pLabel, IDC_APP_NAME_LABEL, units, 8, y + 2, 68, 8);
    auto* pName = new CAppNameEdit(pDialog);
    PlaceControl(pName, IDC_APP_NAME, units, 76, y, cx, 12);
    pLabel->setBuddy(pName);
    return pName;
}

void CAppNameEdit::focusInEvent(QFocusEvent* pEvent) {
    QLineEdit::focusInEvent(pEvent);
    SetInputMethodOpen(this, true);
}

}  // namespace tq
