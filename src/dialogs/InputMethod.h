// The input method of a control: switched off where only paths and keys are typed (the location
// box, the lists), on where a Japanese name is typed (the application name).
#pragma once

class QWidget;

namespace tq {

void SetInputMethodOpen(QWidget* pWidget, bool bOpen);

}  // namespace tq
