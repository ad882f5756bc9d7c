// Dialog layout in dialog units, as the dialogs' templates give positions and sizes: a
// horizontal unit is a quarter of the dialog font's average character width, a vertical unit an
// eighth of its character height. Every control is also named by its numeric id, so that tests
// and accessibility tools find it.
#pragma once

#include <QFont>
#include <QRect>
#include <cstdint>

class QDialog;
class QPushButton;
class QString;
class QWidget;

namespace tq {

// "ＭＳ Ｐゴシック" 9 pt where the desktop has it, else IPAPGothic 9 pt.
QFont GetDialogFont();

class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);
    int32_t GetBaseWidth() const { return m_nBaseWidth; }
    int32_t GetBaseHeight() const { return m_nBaseHeight; }
    int32_t ToPixelsX(int32_t nUnits) const;
    int32_t ToPixelsY(int32_t nUnits) const;
    // A rectangle of the template (x, y, width, height in dialog units) in pixels.
    QRect ToPixels(int32_t x, int32_t y, int32_t cx, int32_t cy) const;

private:
    int32_t m_nBaseWidth;   // average character width, pixels
    int32_t m_nBaseHeight;  // character height, pixels
};

// The window flags of a captioned dialog of fixed size with a close box.
constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::WindowTitleHint |
                                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                              Qt::MSWindowsFixedSizeDialogHint;

// Makes the dialog modal, in the dialog font, of the template's size (dialog units); returns
// the units its controls are placed in.
CDialogUnits SetUpDialog(QDialog* pDialog, int32_t cx, int32_t cy);

// The dialog's default button (id 1, bound to accept) at (xDefault, y) and Cancel (id 2, bound
// to reject) at (xCancel, y), both 48 x 16 units; returns the default button.
QPushButton* AddDefaultAndCancel(QDialog* pDialog, const CDialogUnits& units,
                                 const QString& strDefault, int32_t xDefault, int32_t xCancel,
                                 int32_t y);

// Gives the control its id as objectName and places it at a template rectangle.
void PlaceControl(QWidget* pControl, int32_t nId, const CDialogUnits& units, int32_t x, int32_t y,
                  int32_t cx, int32_t cy);

}  // namespace tq
