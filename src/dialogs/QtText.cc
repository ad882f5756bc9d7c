#include "dialogs/QtText.h"

#include <QList>

#include "platform/Cp932.h"

namespace tq {

QString QStringFromCp932(std::string_view strText) {
    return QString::fromStdString(Cp932ToUtf8Lossy(strText));
}

bool Cp932FromQString(const QString& strText, std::string& strOut) {
    strOut.clear();
    if (Utf8ToCp932(strText.toStdString(), strOut) != 0) {
        strOut.clear();
        return false;
    }
    return true;
}

std::string Cp932FromQStringLossy(const QString& strText) {
    std::string strOut;
    for (const char32_t c : strText.toUcs4()) {
        std::string strChar;
        strOut += Cp932FromQString(QString::fromUcs4(&c, 1), strChar) ? strChar : "?";
    }
    return strOut;
}

}  // namespace tq
