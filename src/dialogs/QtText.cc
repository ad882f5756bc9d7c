#include "dialogs/QtText.h"

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

}  // namespace tq
