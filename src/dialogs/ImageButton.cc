#include "dialogs/ImageButton.h"

namespace tq {

CImageButton::CImageButton(const QIcon& icon, const QString& strTip, QWidget* pParent)
    : QPushButton(pParent) {
    setIcon(icon);
    setIconSize(QSize(16, 16));
    setToolTip(strTip);
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
}

void CImageButton::SetState(int32_t nState) {
    m_nState = nState;
    if (m_nKind == kLatched) {
        setDown(nState == kDown);
        setEnabled(nState != kUpDisabled);
    }
    update();
}

}  // namespace tq
