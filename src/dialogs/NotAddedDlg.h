// The report after an add of several files: the display names of the files the topic check
// refused, one per line, under a warning. The dialog keeps its own copy of the names, so that
// the job that made them may go before the dialog closes.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace tq {

class CNotAddedDlg : public QDialog {
    Q_OBJECT

public:
    // strProductName: the caption (code page 932).
    explicit CNotAddedDlg(const std::string& strProductName, QWidget* pParent = nullptr);
    // The names, code page 932, separated by CR LF.
    void SetText(const std::string& strNames);

private:
    QPlainTextEdit* m_pNames;
};

}  // namespace tq
