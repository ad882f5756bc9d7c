#include "dialogs/DialogApplication.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <string>

#include "platform/Environment.h"

namespace tq {

namespace {

// The toolkit ends the process when it cannot connect to its display, so the component asks
// first: a host started with a display that has since gone keeps its answer of -1001.
bool IsXDisplayReachable(const std::string& strDisplay) {
    xcb_connection_t* pConnection = xcb_connect(strDisplay.c_str(), nullptr);
    const bool bReachable = xcb_connection_has_error(pConnection) == 0;
    xcb_disconnect(pConnection);
    return bReachable;
}

std::string ReadVariable(const char* pszName) {
    std::string strValue;
    return GetEnvironmentVariable(pszName, strValue) == 0 ? strValue : std::string();
}

}  // namespace

bool HasDisplay() {
    const std::string strPlatform = ReadVariable("QT_QPA_PLATFORM");
    if (!strPlatform.empty() && !strPlatform.starts_with("xcb")) {
        return true;  // offscreen, wayland, ...: the host chose the platform and answers for it
    }
    const std::string strDisplay = ReadVariable("DISPLAY");
    return !strDisplay.empty() && IsXDisplayReachable(strDisplay);
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
    LoadToolkitTranslations(QLocale());
    return s_pApplication != nullptr;
}

void LoadToolkitTranslations(const QLocale& locale) {
    // Owned by the application: it translates for as long as there is one.
    auto* pTranslator = new QTranslator(QCoreApplication::instance());
    if (pTranslator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(pTranslator);
    } else {
        delete pTranslator;
    }
}

}  // namespace tq
