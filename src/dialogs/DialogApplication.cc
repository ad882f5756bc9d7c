#include "dialogs/DialogApplication.h"

#include <QApplication>
#include <QLocale>

#include "dialogs/toolkit/Display.h"
#include "dialogs/toolkit/Translations.h"

namespace tq {

bool EnsureDialogApplication() {
    if (QCoreApplication::instance() != nullptr) {
        // A console application of the host cannot show widgets.
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    }
    // A host started with a display that has since gone keeps its answer of -1001.
    if (!HasDisplay()) {
        return false;
    }
    // The application keeps references to its arguments for its whole life.
    static int s_nArgc = 1;
    static char s_szName[] = "tqcstm";
    static char* s_argv[] = {s_szName, nullptr};
    static QApplication* s_pApplication = new QApplication(s_nArgc, s_argv);
    LoadToolkitTranslations(QLocale());
    return s_pApplication != nullptr;
}

}  // namespace tq
