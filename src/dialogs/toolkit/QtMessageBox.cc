#include "dialogs/toolkit/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include "dialogs/toolkit/QtText.h"

namespace tq {

namespace {

QWidget* ActiveDialog() {
    QWidget* pModal = QApplication::activeModalWidget();
    return pModal != nullptr ? pModal : QApplication::activeWindow();
}

int RunBox(QMessageBox::Icon icon, const std::string& strText, const std::string& strCaption,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
           const std::optional<QFont>& font) {
    QMessageBox box(icon, QStringFromCp932(strCaption), QStringFromCp932(strText), buttons,
                    ActiveDialog());
    box.setDefaultButton(defaultButton);
    if (font) {
        box.setFont(*font);
    }
    return box.exec();
}

}  // namespace

int32_t CQtMessageBox::AskYesNo(const std::string& strText, const std::string& strCaption) {
    int nAnswer = RunBox(QMessageBox::Question, strText, strCaption,
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, m_font);
    return nAnswer == QMessageBox::Yes ? IDYES : IDNO;
}

void CQtMessageBox::ShowWarning(const std::string& strText, const std::string& strCaption) {
    RunBox(QMessageBox::Warning, strText, strCaption, QMessageBox::Ok, QMessageBox::Ok, m_font);
}

}  // namespace tq
