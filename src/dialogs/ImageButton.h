// The small picture buttons beside the location box (one folder up, list view, details view).
// A push button looks pressed while it is held; a latched button shows its state: up, down, or
// up with the disabled picture. They take no keyboard focus, so the focus stays where the user
// was working when one is clicked.
#pragma once

#include <QIcon>
#include <QPushButton>

#include "dialogs/ImageButtonState.h"

namespace tq {

class CImageButton : public QPushButton, public CImageButtonState {
    Q_OBJECT

public:
    CImageButton(const QIcon& icon, const QString& strTip, QWidget* pParent = nullptr);
    void SetState(int32_t nState);
};

}  // namespace tq
