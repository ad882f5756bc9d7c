#include "dialogs/toolkit/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tq {

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
