#include "dialogs/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include "dialogs/DialogUnits.h"
#include "dialogs/QtText.h"

namespace tq {

namespace {

QWidget* ActiveDialog() {
    QWidget* pModal = QApplication::activeModalWidget();
    return pModal != nullptr ? pModal : QApplication::activeWindow();
}

int RunBox(QMessageBox::Icon icon, const std::string& strText, const std::string& strCaption,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, QStringFromCp932(strCaption), QStringFromCp932(strText), buttons,
                    ActiveDialog());
    box.setDefaultButton(defaultButton);
    box.setFont(GetDialogFont());
    return box.exec();
}

}  // namespace

int32_t CQtMessageBox::AskYesNo(const std::string& strText, const std::string& strCaption) {
    int nAnswer = RunBox(QMessageBox::Question, strText, strCaption,
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return nAnswer == QMessageBox::Yes ? IDYES : IDNO;
}

void CQtMessageBox::ShowWarning(const std::string& strText, const std::string& strCaption) {
    RunBox(QMessageBox::Warning, strText, strCaption, QMessageBox::Ok, QMessageBox::Ok);
}

}  // namespace tq
