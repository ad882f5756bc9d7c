#include "dialogs/NotAddedDlg.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include "dialogs/DialogUnits.h"
#include "dialogs/QtText.h"
#include "resources/DialogIds.h"

namespace tq {

CNotAddedDlg::CNotAddedDlg(const std::string& strProductName, QWidget* pParent)
    : QDialog(pParent, kFixedDialogFlags), m_pNames(new QPlainTextEdit(this)) {
    setWindowTitle(QStringFromCp932(strProductName));
    CDialogUnits units = SetUpDialog(this, 238, 107);

    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    PlaceControl(pOk, IDC_OK, units, 93, 85, 50, 14);
    pOk->setDefault(true);
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);

    PlaceControl(m_pNames, IDC_NOT_ADDED_NAMES, units, 34, 42, 196, 35);
    m_pNames->setReadOnly(true);
    m_pNames->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pNames->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pNames->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    auto* pIcon = new QLabel(this);
    PlaceControl(pIcon, IDC_WARNING_ICON, units, 8, 8, 18, 20);
    pIcon->setAlignment(Qt::AlignCenter);
    int nIconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    pIcon->setPixmap(style()
                         ->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this)
                         .pixmap(nIconSize, nIconSize));

    const char* lines[] = {"以下のファイルには検索に必要な情報が含まれていないか、",
                           "ファイルが保護されているため情報を取得できません。",
                           "検索対象ファイルに追加できませんでした。"};
    int y = 10;
    for (const char* pszLine : lines) {
        auto* pLine = new QLabel(QString::fromUtf8(pszLine), this);
        PlaceControl(pLine, -1, units, 34, y, 198, 8);
        y += 8;
    }
    // The first tab stop of the template.
    setTabOrder(pOk, m_pNames);
    pOk->setFocus();
}

void CNotAddedDlg::SetText(const std::string& strNames) {
    QString strText = QStringFromCp932(strNames);
    strText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_pNames->setPlainText(strText);
}

}  // namespace tq
