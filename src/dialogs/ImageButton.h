// The small picture buttons beside the location box (one folder up, list view, details view).
// A push button looks pressed while it is held; a latched button shows its state: up, down, or
// up with the disabled picture. They take no keyboard focus, so the focus stays where the user
// was working when one is clicked.
#pragma once

#include <QIcon>
#include <QPushButton>

namespace tq {

class CImageButton : public QPushButton {
    Q_OBJECT

public:
    static constexpr int32_t kPush = 1;
    static constexpr int32_t kLatched = 2;
    static constexpr int32_t kUp = 1;
    static constexpr int32_t kDown = 2;
    static constexpr int32_t kUpDisabled = 3;

    CImageButton(const QIcon& icon, const QString& strTip, QWidget* pParent = nullptr);
    void SetKind(int32_t nKind) { m_nKind = nKind; }
    void SetState(int32_t nState);
    int32_t GetState() const { return m_nState; }

private:
    int32_t m_nKind = kPush;
    int32_t m_nState = kUp;
};

}  // namespace tq
