#include "dialogs/DialogUnits.h"

#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "browse/LocationGeometry.h"
#include "resources/DialogIds.h"

namespace tq {

namespace {

constexpr int kDialogFontPoints = 9;

}  // namespace

QFont GetDialogFont() {
    const QString strPreferred = QString::fromUtf8("ＭＳ Ｐゴシック");
    QString strFamily = QFontDatabase::families().contains(strPreferred)
                            ? strPreferred
                            : QStringLiteral("IPAPGothic");
    QFont font(strFamily, kDialogFontPoints);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

CDialogUnits::CDialogUnits(const QFont& font) {
    QFontMetrics metrics(font);
    // The average of the 52 Latin letters, rounded, as the dialog manager measures it.
    int nLetters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseWidth = (nLetters / 26 + 1) / 2;
    m_nBaseHeight = metrics.height();
}

int32_t CDialogUnits::ToPixelsX(int32_t nUnits) const {
    int64_t nScaled = static_cast<int64_t>(nUnits) * m_nBaseWidth;
    return static_cast<int32_t>((nScaled + (nScaled >= 0 ? 2 : -2)) / 4);
}

int32_t CDialogUnits::ToPixelsY(int32_t nUnits) const {
    return DialogUnitsToPixelsY(nUnits, m_nBaseHeight);
}

QRect CDialogUnits::ToPixels(int32_t x, int32_t y, int32_t cx, int32_t cy) const {
    // The far edges are mapped, not the sizes, so that neighbouring controls meet exactly.
    int32_t nLeft = ToPixelsX(x);
    int32_t nTop = ToPixelsY(y);
    return QRect(nLeft, nTop, ToPixelsX(x + cx) - nLeft, ToPixelsY(y + cy) - nTop);
}

void PlaceControl(QWidget* pControl, int32_t nId, const CDialogUnits& units, int32_t x, int32_t y,
                  int32_t cx, int32_t cy) {
    if (nId >= 0) {
        pControl->setObjectName(QString::number(nId));
    }
    pControl->setGeometry(units.ToPixels(x, y, cx, cy));
}

CDialogUnits SetUpDialog(QDialog* pDialog, int32_t cx, int32_t cy) {
    pDialog->setModal(true);
    pDialog->setFont(GetDialogFont());
    CDialogUnits units(pDialog->font());
    pDialog->setFixedSize(units.ToPixelsX(cx), units.ToPixelsY(cy));
    return units;
}

QPushButton* AddDefaultAndCancel(QDialog* pDialog, const CDialogUnits& units,
                                 const QString& strDefault, int32_t xDefault, int32_t xCancel,
                                 int32_t y) {
    auto* pDefault = new QPushButton(strDefault, pDialog);
    PlaceControl(pDefault, IDC_OK, units, xDefault, y, 48, 16);
    pDefault->setDefault(true);
    auto* pCancel = new QPushButton(QString::fromUtf8("キャンセル"), pDialog);
    PlaceControl(pCancel, IDC_CANCEL, units, xCancel, y, 48, 16);
    QObject::connect(pDefault, &QPushButton::clicked, pDialog, &QDialog::accept);
    QObject::connect(pCancel, &QPushButton::clicked, pDialog, &QDialog::reject);
    return pDefault;
}

}  // namespace tq
