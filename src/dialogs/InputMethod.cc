#include "dialogs/InputMethod.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QWidget>

namespace tq {

void SetInputMethodOpen(QWidget* pWidget, bool bOpen) {
    pWidget->setAttribute(Qt::WA_InputMethodEnabled, bOpen);
    pWidget->setInputMethodHints(bOpen ? Qt::ImhNone
                                       : (Qt::ImhLatinOnly | Qt::ImhNoPredictiveText));
    if (pWidget->hasFocus()) {
        // The input method reads the attributes only when the focus moves; tell it now.
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
        if (!bOpen) {
            QGuiApplication::inputMethod()->reset();
        }
    }
}

}  // namespace tq
