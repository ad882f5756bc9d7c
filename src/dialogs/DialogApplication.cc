#include "dialogs/DialogApplication.h"

#include <QApplication>
#include <string>

#include "platform/Environment.h"

namespace tq {

bool HasDisplay() {
    for (const char* pszName : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        std::string strValue;
        if (GetEnvironmentVariable(pszName, strValue) == 0 && !strValue.empty()) {
            return true;
        }
    }
    return false;
}

bool EnsureDialogApplication() {
    if (QCoreApplication::instance() != nullptr) {
        // A console application of the host cannot show widgets.
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    }
    if (!HasDisplay()) {
        return false;
    }
    // The application keeps references to its arguments for its whole life.
    static int s_nArgc = 1;
    static char s_szName[] = "tqcstm";
    static char* s_argv[] = {s_szName, nullptr};
    static QApplication* s_pApplication = new QApplication(s_nArgc, s_argv);
    return s_pApplication != nullptr;
}

}  // namespace tq
