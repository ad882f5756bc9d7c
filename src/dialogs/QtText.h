// The component's texts are code page 932; the toolkit's are Unicode.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tq {

// Bytes that are not code page 932 show as replacement characters.
QString QStringFromCp932(std::string_view strText);
// Characters without a code page 932 form give an empty text and false.
bool Cp932FromQString(const QString& strText, std::string& strOut);
// The text with "?" for each character that has no code page 932 form, as the desktop shows such
// names to programs of that code page.
std::string Cp932FromQStringLossy(const QString& strText);

}  // namespace tq
